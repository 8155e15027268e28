#!/usr/bin/env bash
# Configures and builds one configuration: native (Linux), win (MinGW-w64,
# 32-bit) or fuzz (native, clang with libFuzzer).
#   build.sh native|win|fuzz [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
kind=$1
shift
case "$kind" in
  native) cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null ;;
  win) cmake -S "$root" -B "$build/win" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null ;;
  fuzz) CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEPO_FUZZ=ON >/dev/null ;;
  *) echo "usage: build.sh native|win|fuzz [target...]" >&2; exit 2 ;;
esac
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build/$kind" -j"$(nproc)" "${targets[@]}"
