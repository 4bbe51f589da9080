#!/usr/bin/env bash
# How the simulated machine scales with the size of its description: a
# machine of many basic disks (one partition each, C: on the first) and a
# machine of one disk with many volumes mounted in folders of C:. Prints the
# time and peak memory of loading each description and answering a whole
# query through strata-host.
#   bench/sim-scale.sh BUILD_DIR [DISKS [FOLDERS]]     (defaults 5000 2000)
set -euo pipefail
build=$(cd "${1:?usage: bench/sim-scale.sh BUILD_DIR [DISKS [FOLDERS]]}" && pwd)
disks=${2:-5000}
folders=${3:-2000}
host="$build/bin/strata-host"
[ -x "$host" ] || { echo "missing $host; build it first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/strata-simscale.XXXXXX")
trap 'rm -rf "$work"' EXIT

disk() {  # disk NUMBER: a 1 GiB basic disk with one NTFS partition
  printf '{"class":"disk","instanceId":"SCSI\\\\DISK&VEN_SCALE\\\\%d","deviceNumber":%d,"length":1073741824,' "$1" "$1"
  printf '"layout":{"style":"mbr","signature":"%d","partitions":[{"offset":1048576,"length":1072693248,"number":1,"type":"0x07"}]}}' "$(($1 + 1))"
}
volume() {  # volume NUMBER ROOTS FOLDERS: NTFS on disk 0's partition
  printf '{"guidName":"\\\\\\\\?\\\\Volume{5ca1e000-0000-0000-0000-%012d}\\\\","roots":[%s],"mountFolders":[%s],' "$1" "$2" "$3"
  printf '"fileSystem":"NTFS","extents":[{"disk":0,"offset":1048576,"length":1072693248}]}'
}

{
  printf '{"name":"SCALE-DISKS","devices":['
  for ((n = 0; n < disks; n++)); do [ $n -gt 0 ] && printf ','; disk $n; done
  printf '],"volumes":['; volume 0 '"C:\\"' ''; printf ']}\n'
} >"$work/disks.json"
{
  printf '{"name":"SCALE-FOLDERS","devices":['; disk 0; printf '],"volumes":['
  volume 0 '"C:\\"' ''
  for ((n = 1; n <= folders; n++)); do printf ','; volume $n '' "\"C:\\\\mnt\\\\$n\\\\\""; done
  printf ']}\n'
} >"$work/folders.json"

echo "| description | load and query | peak memory | instances with a DeviceID |"
echo "|---|---:|---:|---:|"
for machine in disks folders; do
  /usr/bin/time -f "%e %M" -o "$work/time" "$host" --machine "$work/$machine.json" --format json --log-level -1 >"$work/out.json"
  read -r seconds kib <"$work/time"
  label=$([ $machine = disks ] && echo "$disks basic disks" || echo "$folders mount folders")
  echo "| $label | ${seconds} s | $((kib / 1024)) MiB | $(grep -o '"DeviceID"' "$work/out.json" | wc -l) |"
done
