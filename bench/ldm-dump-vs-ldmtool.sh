#!/usr/bin/env bash
# Whole-process time of `strata-ldm dump` against `ldmtool` showing the same
# ten fixture images, median of several runs.
#   bench/ldm-dump-vs-ldmtool.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/ldm-dump-vs-ldmtool.sh BUILD_DIR [RUNS]}
runs=${2:-9}
images=("$build"/fixtures/ldm/*.img)
[ -e "${images[0]}" ] || { echo "no fixture images in $build/fixtures/ldm"; exit 1; }
command -v ldmtool >/dev/null || { echo "ldmtool is not installed"; exit 1; }
devices=()
for image in "${images[@]}"; do devices+=(-d "$image"); done
group=$(ldmtool scan "${images[@]}" 2>/dev/null | tr -d '[]" \n')

median_ms() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "%.1f", t[int((NR + 1) / 2)] / 1000 }'
}

ours=$(median_ms "$build/bin/strata-ldm" dump "${images[@]}")
theirs=$(median_ms ldmtool "${devices[@]}" show diskgroup "$group")
echo "ten images, median of $runs runs: strata-ldm dump ${ours} ms, ldmtool show diskgroup ${theirs} ms"
