#!/usr/bin/env bash
# Fuzzes the dynamic-disk database reader (ldm_fuzz), the machine and
# disk-group description readers (description_fuzz) and captured folders, a
# description with its drive image queried for every class (snapshot_fuzz),
# each for a bounded time.
#   tests/ldm/run-fuzz.sh [SECONDS] [BUILD_DIR] [TARGET...]
# SECONDS per target (default 60); BUILD_DIR a sanitizer tree built with
# Clang (default build-asan, the sanitizer preset), where the fuzz targets are
# ordinary targets; TARGETs default to all three, fuzzed side by side.
#
# Each target keeps its corpus in $STRATA_FUZZ_CORPUS/<target> (default:
# fuzz-corpus/ at the top of the source tree, outside every build tree, not
# committed). A run starts from that corpus and fresh seeds (the fixture
# databases and images strata-ldm writes; the sample machines and the
# documented descriptions), and leaves the corpus minimised. Exits non-zero
# when the fuzzer finds a crash, a leak, undefined behaviour or a hang; the
# input is kept in BUILD_DIR/fuzz-findings/.
#
# A long run, one target at a time, at low priority:
#   nice -n 19 tests/ldm/run-fuzz.sh 1800 build-asan ldm_fuzz
#   nice -n 19 tests/ldm/run-fuzz.sh 1800 build-asan description_fuzz
#   nice -n 19 tests/ldm/run-fuzz.sh 1800 build-asan snapshot_fuzz
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
build=${2:-$top/build-asan}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ldm_fuzz description_fuzz snapshot_fuzz)
case "$build" in /*) ;; *) build=$top/$build ;; esac
corpora=${STRATA_FUZZ_CORPUS:-$top/fuzz-corpus}

if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "run-fuzz: no build tree in $build (cmake --preset sanitizer makes one); skipped"
  exit 0
fi
# The whole target list first: grep -q stopping early would break the pipe.
known=$(cmake --build "$build" --target help)
if ! grep -qE '(^|\.\.\. )ldm_fuzz(:|$)' <<<"$known"; then
  echo "run-fuzz: $build is not a Clang sanitizer tree (no fuzz targets); skipped"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

# A captured folder's description of one disk whose image is disk.img, with
# a volume on it.
snapshot_machine='{"name": "SNAPSHOT", "devices": [{"class": "disk", "deviceNumber": 0,
 "instanceId": "SCSI\\DISK&VEN_STRATA&PROD_SNAPSHOT\\1", "image": "disk.img"}],
 "volumes": [{"roots": ["E:\\"], "fileSystem": "NTFS", "label": "Data",
 "extents": [{"disk": 0, "offset": 32256, "length": 1048576}]}]}'

# Writes the seeds of a target into a folder.
seed() {
  local target=$1 into=$2
  mkdir -p "$into"
  shopt -s nullglob
  local images=("$build"/fixtures/ldm/*.img)
  if [ "$target" = ldm_fuzz ]; then
    "$build/bin/ldm_fuzz_seeds" "$into" "${images[@]}" >/dev/null
  elif [ "$target" = snapshot_fuzz ]; then
    # The drive seeds of the reader (after their mode byte, of 512-byte
    # sectors) as the image of a captured disk.
    local drives=$into.drives drive
    mkdir -p "$drives"
    "$build/bin/ldm_fuzz_seeds" "$drives" "${images[@]}" >/dev/null
    for drive in "$drives"/*-drive; do
      [ "$(head -c 1 "$drive" | od -An -tu1 | tr -d ' ')" = 0 ] || continue
      { printf '%s\0' "$snapshot_machine"; tail -c +2 "$drive"; } >"$into/$(basename "$drive")"
    done
    printf '%s' "$snapshot_machine" >"$into/no-image"
  else
    cp "$top"/samples/*.json "$top"/samples/lab/*.json "$into"/
    local readme
    for readme in "$top/platform/sim/README.md" "$top/tools/README-strata-ldm.md"; do
      awk -v out="$into/$(basename "$(dirname "$readme")")" \
        '/^```json$/ { block = 1; n++; next } /^```$/ { block = 0 } block { print > (out "-" n ".json") }' "$readme"
    done
  fi
}

# Options of a target: longer inputs for descriptions, and their keys as a
# dictionary.
options() {
  if [ "$1" = ldm_fuzz ]; then
    echo "-max_len=32768"
  elif [ "$1" = snapshot_fuzz ]; then
    echo "-max_len=65536 -dict=$top/tests/ldm/fuzz/description.dict"
  else
    echo "-max_len=16384 -dict=$top/tests/ldm/fuzz/description.dict"
  fi
}

fuzz() {
  local target=$1 corpus=$corpora/$1 log=$work/$1.log
  mkdir -p "$corpus" "$work/$target-artifacts"
  seed "$target" "$work/$target-seeds"
  echo "run-fuzz: $target: $(ls "$corpus" | wc -l) corpus inputs, $(ls "$work/$target-seeds" | wc -l) seeds, ${seconds}s"
  # shellcheck disable=SC2046
  if ! "$build/bin/$target" $(options "$target") -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$target-artifacts/" \
       "$corpus" "$work/$target-seeds" >"$log" 2>&1; then
    tail -n 60 "$log"
    mkdir -p "$build/fuzz-findings"
    local finding
    for finding in "$work/$target-artifacts"/*; do
      cp "$finding" "$build/fuzz-findings/"
      echo "run-fuzz: $target: finding kept in $build/fuzz-findings/$(basename "$finding")"
    done
    echo "run-fuzz: $target: the fuzzer found a fault"
    return 1
  fi
  # What the run did: executions, coverage (edges), features, corpus.
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 | sed "s/^/run-fuzz: $target: /"
  grep -E '^stat::number_of_executed_units|^Done ' "$log" | sed "s/^/run-fuzz: $target: /"
  # Keep the smallest set of inputs that reaches the same coverage.
  mkdir -p "$work/$target-minimised"
  # shellcheck disable=SC2046
  if "$build/bin/$target" $(options "$target") -merge=1 "$work/$target-minimised" "$corpus" "$work/$target-seeds" \
       >"$work/$target-merge.log" 2>&1; then
    find "$corpus" -mindepth 1 -delete
    find "$work/$target-minimised" -mindepth 1 -maxdepth 1 -exec mv -t "$corpus" {} +
  fi
  echo "run-fuzz: $target: corpus of $(ls "$corpus" | wc -l) inputs ($(du -sh "$corpus" | cut -f1)) in $corpus"
}

cmake --build "$build" --target "${targets[@]}" ldm_fuzz_seeds strata_fixtures -j"$(nproc)" >/dev/null
# Each fuzzer runs on one core: the targets run side by side.
status=0
pids=()
for target in "${targets[@]}"; do
  fuzz "$target" >"$work/$target.out" 2>&1 &
  pids+=($!)
done
for i in "${!targets[@]}"; do
  wait "${pids[$i]}" || status=1
  cat "$work/${targets[$i]}.out"
done
[ $status -eq 0 ] && echo "run-fuzz: no finding"
exit $status
