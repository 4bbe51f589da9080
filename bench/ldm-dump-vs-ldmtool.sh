#!/usr/bin/env bash
# Whole-process time of `strata-ldm dump` against `ldmtool` showing the same
# ten fixture images, in alternating pairs.
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

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

# Alternating pairs (ours, then ldmtool's), so that a drift of the machine's
# speed touches both alike; the median of each and of the pairwise ratios.
ours=() theirs=() ratios=()
for ((i = 0; i < runs; i++)); do
  a=$(run_us "$build/bin/strata-ldm" dump "${images[@]}")
  b=$(run_us ldmtool "${devices[@]}" show diskgroup "$group")
  ours+=("$a") theirs+=("$b")
  ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", a / b }')")
done
echo "ten images, $runs alternating pairs, medians: strata-ldm dump $(printf '%s\n' "${ours[@]}" | median) us," \
     "ldmtool show diskgroup $(printf '%s\n' "${theirs[@]}" | median) us, ratio $(printf '%s\n' "${ratios[@]}" | median)"
