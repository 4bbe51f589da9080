#!/usr/bin/env bash
# The Windows stage of ./test: cross-builds build-windows/ with mingw-w64 and
# runs it under Wine, headless, in its own prefix (build-windows/wine-prefix):
#   1. strata-host.exe --format json loads strata.pi.dll and queries every
#      class; the report is checked by check_host_output.py;
#   2. test_windows.exe, the tests that run on Windows itself.
# Each Wine run has a time limit (STRATA_WINE_TIME_LIMIT seconds, default 120):
# a hung enumeration fails the stage.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
here="$top/tests/windows"
dir="$top/build-windows"
limit=${STRATA_WINE_TIME_LIMIT:-120}

"$top/scripts/ensure-packages.sh" g++-mingw-w64-x86-64-posix wine wine64 python3 || exit 1
"$top/scripts/build-windows.sh" || { echo "Windows build: FAIL"; exit 1; }

export WINEPREFIX="$dir/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers, no desktop entries, no debugger on a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Stops this prefix's Wine server once the stage is over.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  timeout -k 10 300 wine wineboot -i >"$dir/wineboot.log" 2>&1 ||
    { echo "FAIL: wineboot could not set up the prefix (see $dir/wineboot.log)"; exit 1; }
fi

# 1. The host program against the real (Wine) Win32 implementation.
report="$dir/wine-report.json"
echo "Running strata-host.exe --format json under Wine (limit ${limit}s)"
timeout -k 10 "$limit" wine "$dir/bin/strata-host.exe" --format json >"$report" 2>"$dir/wine-report.log"
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  fail "strata-host.exe did not finish within ${limit}s (see $dir/wine-report.log)"
elif [ $status -ne 0 ]; then
  fail "strata-host.exe exited with $status (see $dir/wine-report.log)"
elif ! python3 "$here/check_host_output.py" "$report"; then
  fail "the report $report is not what Wine should give"
else
  echo "strata-host.exe under Wine: PASS"
fi

# 2. The tests built for Windows.
echo "Running test_windows.exe under Wine (limit $((limit * 5))s)"
(cd "$dir/bin" && timeout -k 10 $((limit * 5)) wine ./test_windows.exe --gtest_brief=1)
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  fail "test_windows.exe did not finish within $((limit * 5))s"
elif [ $status -ne 0 ]; then
  fail "test_windows.exe exited with $status"
else
  echo "test_windows.exe under Wine: PASS"
fi

if [ $failed -ne 0 ]; then
  echo "Windows stage: FAIL"
  exit 1
fi
echo "Windows stage: PASS"
