#!/usr/bin/env bash
# Configures and builds one configuration: native (Linux) or win (MinGW-w64, 32-bit).
#   build.sh native|win [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
kind=$1
shift
case "$kind" in
  native) cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null ;;
  win) cmake -S "$root" -B "$build/win" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null ;;
  *) echo "usage: build.sh native|win [target...]" >&2; exit 2 ;;
esac
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build/$kind" -j"$(nproc)" "${targets[@]}"
