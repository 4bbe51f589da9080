#!/usr/bin/env bash
# Cross-builds the Windows binaries into build-windows/bin with mingw-w64 (the
# windows preset): strata.pi.dll (the plug-in), telvacore.dll (the stand-in
# host library), strata-host.exe (the host program), strata-capture.exe and
# test_windows.exe (the pure-logic tests).
#   scripts/build-windows.sh [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/ensure-packages.sh" cmake make g++-mingw-w64-x86-64-posix libboost-dev \
  nlohmann-json3-dev googletest xz-utils
cd "$top"
cmake --preset windows "$@" >/dev/null
cmake --build --preset windows -j"$(nproc)"
