#!/usr/bin/env bash
# The Windows stage of ./test: cross-builds build-windows/ with mingw-w64 and
# runs it under Wine, headless, in its own prefix (build-windows/wine-prefix):
#   1. strata-host.exe --format json loads strata.pi.dll and queries every
#      class; the report is checked by check_host_output.py;
#   2. test_windows.exe, the tests that run on Windows itself;
#   3. strata-capture.exe snapshots the Wine machine, replayed on Linux.
# Each Wine run has a time limit (STRATA_WINE_TIME_LIMIT seconds, default 120):
# a hung enumeration fails the stage.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
here="$top/tests/windows"
dir="$top/build-windows"
limit=${STRATA_WINE_TIME_LIMIT:-120}

"$top/scripts/ensure-packages.sh" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 python3 || exit 1

export WINEPREFIX="$dir/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers, no desktop entries, no debugger on a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Stops this prefix's Wine server once the stage is over.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

# The prefix is made while the cross build runs: wineboot mostly waits.
mkdir -p "$dir"
prefix_pid=""
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  timeout -k 10 300 wine wineboot -i </dev/null >"$dir/wineboot.log" 2>&1 &
  prefix_pid=$!
fi
"$top/scripts/build-windows.sh" || { echo "Windows build: FAIL"; exit 1; }
if [ -n "$prefix_pid" ] && ! wait "$prefix_pid"; then
  echo "FAIL: wineboot could not set up the prefix (see $dir/wineboot.log)"
  exit 1
fi

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}


# 0. The modules: the plug-in exports nothing, and no module needs a run-time
#    DLL of the compiler (libstdc++, libgcc, winpthread) beside it.
objdump=x86_64-w64-mingw32-objdump
imports() { "$objdump" -p "$1" | awk '/DLL Name:/ { print tolower($3) }' | sort | tr '\n' ' '; }
modules_ok=1
for module in strata.pi.dll telvacore.dll strata-host.exe strata-capture.exe test_windows.exe; do
  if [ ! -f "$dir/bin/$module" ]; then
    fail "$module was not built"; modules_ok=0; continue
  fi
  for name in $(imports "$dir/bin/$module"); do
    case "$name" in
      lib*.dll) fail "$module needs $name beside it"; modules_ok=0 ;;
    esac
  done
done
if [ -f "$dir/bin/strata.pi.dll" ]; then
  plugin_imports=$(imports "$dir/bin/strata.pi.dll")
  for name in setupapi.dll ole32.dll telvacore.dll; do
    case " $plugin_imports" in
      *" $name "*) ;;
      *) fail "strata.pi.dll does not link $name (it imports: $plugin_imports)"; modules_ok=0 ;;
    esac
  done
  # The first "Export Address Table" line gives the number of entries.
  exported=$("$objdump" -p "$dir/bin/strata.pi.dll" |
             awk '/Export Address Table/ && NF == 4 { print $4; exit }')
  if [ -n "$exported" ] && [ $((16#$exported)) -ne 0 ]; then
    fail "strata.pi.dll exports $((16#$exported)) functions; it must export none"; modules_ok=0
  fi
fi
[ $modules_ok -eq 1 ] && echo "Windows modules (imports, no exports): PASS"

# 1. The host program against the real (Wine) Win32 implementation.
report="$dir/wine-report.json"
echo "Running strata-host.exe --format json under Wine (limit ${limit}s)"
timeout -k 10 "$limit" wine "$dir/bin/strata-host.exe" --format json </dev/null >"$report" 2>"$dir/wine-report.log"
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  fail "strata-host.exe did not finish within ${limit}s (see $dir/wine-report.log)"
elif [ $status -ne 0 ]; then
  fail "strata-host.exe exited with $status (see $dir/wine-report.log)"
elif grep -q "registered .* callback objects" "$dir/wine-report.log"; then
  fail "loading strata.pi.dll registered more than one callback object"
elif ! python3 "$here/check_host_output.py" "$report"; then
  fail "the report $report is not what Wine should give"
else
  echo "strata-host.exe under Wine: PASS"
fi

# 2. The tests built for Windows.
echo "Running test_windows.exe under Wine (limit $((limit * 5))s)"
(cd "$dir/bin" && timeout -k 10 $((limit * 5)) wine ./test_windows.exe --gtest_brief=1 </dev/null)
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  fail "test_windows.exe did not finish within $((limit * 5))s"
elif [ $status -ne 0 ]; then
  fail "test_windows.exe exited with $status"
else
  echo "test_windows.exe under Wine: PASS"
fi

# 3. strata-capture.exe snapshots the Wine machine; the snapshot replays on
#    Linux (when build/ has strata-host) to the logical disks that
#    strata-host.exe reported in step 1.
snapshot="$dir/wine-snapshot"
rm -rf "$snapshot" && mkdir -p "$snapshot" && touch "$dir/capture-start"
echo "Running strata-capture.exe under Wine (limit ${limit}s)"
timeout -k 10 "$limit" wine "$dir/bin/strata-capture.exe" --out "Z:$snapshot" </dev/null \
  >/dev/null 2>"$dir/wine-capture.log"
status=$?
linux_host="$top/${STRATA_BUILD_DIR:-build}/bin/strata-host"
if [ $status -ne 0 ]; then
  fail "strata-capture.exe exited with $status (see $dir/wine-capture.log)"
elif [ -n "$(find "$dir" -newer "$dir/capture-start" -type f ! -path "$snapshot/*" ! -path "$dir/wine-prefix/*" ! -name wine-capture.log -print -quit)" ]; then
  fail "strata-capture.exe wrote outside its output folder"
elif [ ! -x "$linux_host" ]; then
  echo "strata-capture.exe under Wine: PASS (no Linux build at $linux_host: replay skipped)"
elif ! "$linux_host" --machine "$snapshot/machine.json" --format json >"$dir/wine-replay.json" 2>"$dir/wine-replay.log"; then
  fail "the snapshot does not load on Linux (see $dir/wine-replay.log)"
elif ! python3 "$here/check_capture.py" "$report" "$dir/wine-replay.json"; then
  fail "the snapshot's logical disks differ from those strata-host.exe reported"
else
  echo "strata-capture.exe under Wine, replayed on Linux: PASS"
fi

if [ $failed -ne 0 ]; then
  echo "Windows stage: FAIL"
  exit 1
fi
echo "Windows stage: PASS"
