#!/usr/bin/env bash
# Cross-builds the Windows binaries into build-windows/bin with mingw-w64:
# strata.pi.dll (the plug-in), telvacore.dll (the stand-in host library),
# strata-host.exe (the host program), strata-capture.exe and test_windows.exe (the pure-logic tests).
#   scripts/build-windows.sh [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/ensure-packages.sh" cmake make g++-mingw-w64-x86-64-posix libboost-dev \
  nlohmann-json3-dev googletest xz-utils
dir="$top/build-windows"
cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" --target strata_pi telvacore strata-host strata-capture test_windows -j"$(nproc)"
