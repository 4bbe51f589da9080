#!/usr/bin/env bash
# Checks the plug-in's include rules (docs/design.md, "Which folder may use
# which"): every include of a plug-in source names a file of its own layer or
# of a lower one, apart from the listed dependencies of the system itself.
#   layers.sh SOURCE_TOP   exit status 1 and one line per broken rule
set -euo pipefail
cd "$1"

# Layers, lowest first. collect/ holds the helpers every builder uses (lowest)
# and the two collectors that call the builders (above them).
layer() {
  case "$1" in
    platform/win32.h|plugin/telva.h) echo 0 ;;
    collect/HardwareInformation.*|collect/HardwareAssociations.*) echo 6 ;;
    collect/*) echo 1 ;;
    ldm/*) echo 2 ;;
    volume/*) echo 3 ;;
    disk/*) echo 4 ;;
    assoc/*) echo 5 ;;
    plugin/*) echo 7 ;;
    *) echo 0 ;;
  esac
}

# The system's own dependencies that run upward: the volume enumerator asks
# the disk enumerator for a drive's name.
allowed() {
  case "$1 $2" in
    "volume/DiskNamesForVolume.cpp disk/PhysDiskEnum.h") return 0 ;;
  esac
  return 1
}

broken=0
while IFS= read -r file; do
  from=$(layer "$file")
  while IFS= read -r target; do
    to=$(layer "$target")
    if [ "$to" -gt "$from" ] && ! allowed "$file" "$target"; then
      echo "$file includes $target from a higher layer"
      broken=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find plugin collect disk volume ldm assoc -name '*.cpp' -o -name '*.h' | sort)
exit $broken
