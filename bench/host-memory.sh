#!/usr/bin/env bash
# Peak memory of a whole strata-host query (JSON report to /dev/null) of one
# dynamic disk whose database area of 2, 4, 8 or 16 MiB is full of partition
# records, the records that give the most instances each; and the memory each
# further instance costs (the slope between the smallest and largest area).
#   bench/host-memory.sh BUILD_DIR [MIB...]
set -euo pipefail
build=${1:?usage: bench/host-memory.sh BUILD_DIR [MIB...]}
shift
[ $# -gt 0 ] && sizes=("$@") || sizes=(2 4 8 16)
cmake --build "$build" --target bench_ldm_full_area strata-host strata_pi >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

first_kb="" first_n="" last_kb="" last_n=""
for mib in "${sizes[@]}"; do
  "$build/bin/bench_ldm_full_area" "$work/full$mib.img" "$mib" partitions >/dev/null
  cat >"$work/full$mib.json" <<JSON
{"name": "FULL", "devices": [{"class": "disk", "instanceId": "SCSI\\\\DISK&VEN_BENCH&PROD_FULL\\\\1",
  "deviceNumber": 0, "image": "full$mib.img"}]}
JSON
  # Each instance of the report is an object at the third level of nesting.
  n=$("$build/bin/strata-host" --machine "$work/full$mib.json" --format json --log-level -1 | grep -c '^      {')
  kb=$( { /usr/bin/time -f '%M' "$build/bin/strata-host" --machine "$work/full$mib.json" --format json \
          --log-level -1 >/dev/null; } 2>&1 | tail -n 1)
  awk -v mib="$mib" -v n="$n" -v kb="$kb" 'BEGIN {
    printf "%2d MiB area: %7d instances, peak %5.0f MiB, %5.0f bytes per instance\n", mib, n, kb / 1024, kb * 1024 / n }'
  [ -z "$first_kb" ] && { first_kb=$kb; first_n=$n; }
  last_kb=$kb last_n=$n
done
if [ "$last_n" != "$first_n" ]; then
  awk -v a="$first_kb" -v b="$last_kb" -v m="$first_n" -v n="$last_n" 'BEGIN {
    printf "each further instance: %.0f bytes\n", (b - a) * 1024 / (n - m) }'
fi
