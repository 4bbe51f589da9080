#!/usr/bin/env bash
# Fuzzes the dynamic-disk database reader for a bounded time.
#   tests/ldm/run-fuzz.sh [SECONDS] [BUILD_DIR]
# The seed corpus holds the databases of the Windows-written fixture images
# (when the build tree has them) and of images strata-ldm writes. Exits
# non-zero when the fuzzer finds a crash, a leak or undefined behaviour.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
build=${2:-$top/build}
case "$build" in /*) ;; *) build=$top/$build ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The whole target list first: grep -q stopping early would break the pipe.
targets=$(cmake --build "$build" --target help)
if ! grep -qE '(^|\.\.\. )ldm_fuzz(:|$)' <<<"$targets"; then
  echo "run-fuzz: no clang++ with libFuzzer in this build tree; skipped"
  exit 0
fi
cmake --build "$build" --target ldm_fuzz ldm_fuzz_seeds strata_fixtures -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
shopt -s nullglob
images=("$build"/fixtures/ldm/*.img)
"$build/bin/ldm_fuzz_seeds" "$work/corpus" "${images[@]}"
echo "run-fuzz: $(ls "$work/corpus" | wc -l) seeds (${#images[@]} fixture images), ${seconds}s"

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
if ! "$build/bin/ldm_fuzz" -max_total_time="$seconds" -max_len=32768 -timeout=10 \
     -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
     "$work/corpus" >"$work/log" 2>&1; then
  tail -n 60 "$work/log"
  for finding in "$work"/artifacts/*; do
    mkdir -p "$build/fuzz-findings"
    cp "$finding" "$build/fuzz-findings/"
    echo "run-fuzz: finding kept in $build/fuzz-findings/$(basename "$finding")"
  done
  echo "run-fuzz: the fuzzer found a fault"
  exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
echo "run-fuzz: no finding"
