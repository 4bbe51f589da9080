#!/usr/bin/env bash
# Whole-query time and memory of generated machines with 1, 8, 64 and 256
# dynamic disks of one group (every disk's 1 MiB database full, the volumes
# spread over the disks and all mounted) and of the lab sample machine.
# Beside each query: the floor every query stands on (reading each dynamic
# disk's header and database area twice, once per collector) and the time
# the simulated machine spent answering the query's Win32 calls. Prints a
# Markdown table.
#   bench/query-scaling.sh BUILD_DIR [DISKS...]
# BUILD_DIR must hold bench_make_machine, bench_query, strata.pi.so and the
# lab sample, e.g. after
#   cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=RelWithDebInfo
#   cmake --build build-rel --target bench_make_machine bench_query strata_pi strata_lab_sample
# Every machine is queried 5 times (median; ROUNDS=n overrides).
set -euo pipefail
build=$(cd "${1:?usage: bench/query-scaling.sh BUILD_DIR [DISKS...]}" && pwd)
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 8 64 256)
bin="$build/bin"
for program in bench_make_machine bench_query strata.pi.so; do
  [ -e "$bin/$program" ] || { echo "missing $bin/$program; build it first" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/strata-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

value() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

row() {
  local name=$1 machine=$2 rounds=$3 query reads
  query=$("$bin/bench_query" "$machine" "$rounds")
  reads=$("$bin/bench_query" --reads "$machine" "$rounds")
  awk -v name="$name" -v drives="$(value drives "$query")" -v volumes="$(value volumes "$query")" \
      -v databases="$(value databases_read "$reads")" -v q="$(value query_ms "$query")" \
      -v r="$(value reads_ms "$reads")" -v s="$(value sim_ms "$query")" -v qm="$(value query_mib "$query")" \
      'BEGIN { printf "| %s | %d | %d | %d | %.0f ms | %.0f ms | %.0f ms (%.0f%%) | %.0f MiB |\n",
               name, drives, databases / 2, volumes, q, r, s, 100 * s / q, qm }'
}

echo "| Machine | Drives | Dynamic disks | Logical disks | Query (median) | Two area reads | Simulated machine's share | Query peak memory |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
for disks in "${sizes[@]}"; do
  folder="$work/$disks"
  mkdir -p "$folder"
  "$bin/bench_make_machine" "$disks" "$folder" >/dev/null
  rounds=${ROUNDS:-5}
  row "generated, full databases" "$folder/machine.json" "$rounds"
  rm -rf "$folder"
done
if [ -f "$build/samples/default.json" ]; then
  row "lab sample machine" "$build/samples/default.json" "${ROUNDS:-5}"
fi
