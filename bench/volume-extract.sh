#!/usr/bin/env bash
# Whole-process time of `strata-ldm extract` against `cat` of the same member
# images to /dev/null, in alternating pairs, for each layout: simple, spanned,
# striped, mirror (one plex read) and RAID-5 with a member missing (rebuilt
# from parity). Every disk holds one partition filling its data region, so
# `cat` of its image reads its member bytes and little more (the 1 MiB
# database area). Member bytes are random, so nothing is sparse. Also prints
# each extract's peak memory, which stays a few stripes whatever MIB is.
#   bench/volume-extract.sh BUILD_DIR [MIB] [RUNS]
set -euo pipefail
build=${1:?usage: bench/volume-extract.sh BUILD_DIR [MIB] [RUNS]}
mib=${2:-256}
runs=${3:-5}
cmake --build "$build" --target strata-ldm >/dev/null
tool=$build/bin/strata-ldm
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sectors=$((mib * 2048))
half=$((sectors / 2))
disk() { echo "{\"name\": \"$1\", \"sectors\": $(($2 + 63 + 2048))}"; }
part() { echo "{\"disk\": \"$1\", \"size\": $2}"; }
cat >"$work/group.json" <<JSON
{ "configSectors": 2048,
  "disks": [ $(disk D1 $sectors), $(disk D2 $half), $(disk D3 $half), $(disk D4 $half), $(disk D5 $half),
             $(disk D6 $sectors), $(disk D7 $sectors), $(disk D8 $half), $(disk D9 $half), $(disk D10 $half) ],
  "volumes": [
    { "name": "Simple", "partitions": [ $(part D1 $sectors) ] },
    { "name": "Spanned", "layout": "spanned", "partitions": [ $(part D2 $half), $(part D3 $half) ] },
    { "name": "Striped", "layout": "striped", "partitions": [ $(part D4 $half), $(part D5 $half) ] },
    { "name": "Mirror", "layout": "mirror", "partitions": [ $(part D6 $sectors), $(part D7 $sectors) ] },
    { "name": "Raid5", "layout": "raid5", "partitions": [ $(part D8 $half), $(part D9 $half), $(part D10 $half) ] } ] }
JSON
mkdir "$work/img"
"$tool" write-all "$work/group.json" "$work/img"
for d in D1 D2 D3 D4 D5 D6 D7 D8 D9 D10; do
  size=$(( $(stat -c %s "$work/img/$d.img") / 512 - 63 - 2048 ))
  dd if=/dev/urandom of="$work/img/$d.img" bs=512 seek=63 count=$size conv=notrunc status=none iflag=fullblock
done
i=$work/img
all="$i/D1.img $i/D2.img $i/D3.img $i/D4.img $i/D5.img $i/D6.img $i/D7.img $i/D8.img $i/D9.img $i/D10.img"
degraded=${all/$i\/D8.img /}

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

compare() {
  local name=$1 images=$2 members=$3 ratios="" a b
  # shellcheck disable=SC2086
  cat $members >/dev/null  # into the page cache, for both alike
  for ((r = 0; r < runs; r++)); do
    # shellcheck disable=SC2086
    a=$(run_us "$tool" extract --volume "$name" --out - $images)
    # shellcheck disable=SC2086
    b=$(run_us cat $members)
    ratios+="$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", a / b }') "
  done
  # shellcheck disable=SC2086
  /usr/bin/time -o "$work/rss" -f %M "$tool" extract --volume "$name" --out - $images >/dev/null 2>&1
  rss=$(cat "$work/rss")
  # shellcheck disable=SC2086
  printf '%-8s extract / cat, median of %d pairs: %s   (extract peak %s KiB)\n' \
    "$name" "$runs" "$(printf '%s\n' $ratios | median)" "$rss"
}
echo "volumes of $mib MiB:"
compare Simple "$all" "$i/D1.img"
compare Spanned "$all" "$i/D2.img $i/D3.img"
compare Striped "$all" "$i/D4.img $i/D5.img"
compare Mirror "$all" "$i/D6.img"
compare Raid5 "$degraded" "$i/D9.img $i/D10.img"
