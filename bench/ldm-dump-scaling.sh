#!/usr/bin/env bash
# Whole-process time of `strata-ldm dump` over database areas full of records
# (2, 4, 8 and 16 MiB): the time per record stays the same when the dump is
# linear in the number of records. The sizes take turns in every round, so
# that a drift of the machine's speed touches all alike.
#   bench/ldm-dump-scaling.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/ldm-dump-scaling.sh BUILD_DIR [RUNS]}
runs=${2:-5}
cmake --build "$build" --target bench_ldm_full_area strata-ldm >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(2 4 8 16)
declare -A records
for mib in "${sizes[@]}"; do
  records[$mib]=$("$build/bin/bench_ldm_full_area" "$work/full$mib.img" "$mib" | awk '{ print $2 }')
done

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

declare -A times
for ((i = 0; i < runs; i++)); do
  for mib in "${sizes[@]}"; do
    times[$mib]+="$(run_us "$build/bin/strata-ldm" dump "$work/full$mib.img") "
  done
done
for mib in "${sizes[@]}"; do
  us=$(printf '%s\n' ${times[$mib]} | median)
  awk -v mib="$mib" -v n="${records[$mib]}" -v us="$us" -v runs="$runs" 'BEGIN {
    printf "%2d MiB area, %6d records: median of %d runs %.2f s, %.2f us per record\n", mib, n, runs, us / 1e6, us / n }'
done
