#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh DIR [cmake options...]
# STRATA_BUILD_TARGETS, when set, names the targets to build (default: all).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$top" -B "$top/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for target in ${STRATA_BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$top/$dir" -j"$(nproc)" "${targets[@]}"
