#!/usr/bin/env bash
# Configures and builds one configuration: native (Linux), win (MinGW-w64,
# 32-bit: the program), win64 (the same for 64 bits, whose tests run where
# 32-bit code cannot), win-clang and win64-clang (the same two with clang: all
# built, of the Windows-side tests only the quick ones run), sanitize (the
# native tests with AddressSanitizer and UndefinedBehaviorSanitizer, built by
# clang: GCC 12's bounds check mis-indexes a class's table of steps) or fuzz
# (native, clang with libFuzzer).
#   build.sh native|sanitize|win|win64|win-clang|win64-clang|fuzz [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
kind=$1
shift
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
# The 32-bit Windows tests are built only where they can run.
wine32_tests=OFF
clang32_tests=none
if tepo_runs_32bit; then wine32_tests=ON; clang32_tests=quick; fi
# TEPO_WERROR=ON (the test command sets it) makes every warning an error.
werror=-DTEPO_WERROR=${TEPO_WERROR:-OFF}
case "$kind" in
  native) cmake -S "$root" -B "$build/native" $werror -DCMAKE_BUILD_TYPE=Release >/dev/null ;;
  win) cmake -S "$root" -B "$build/win" $werror -DCMAKE_BUILD_TYPE=Release -DTEPO_WINE_TESTS=$wine32_tests \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null ;;
  win64) cmake -S "$root" -B "$build/win64" $werror -DCMAKE_BUILD_TYPE=Release \
           -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null ;;
  win-clang) cmake -S "$root" -B "$build/win-clang" $werror -DCMAKE_BUILD_TYPE=Release -DTEPO_WINE_TEST_SET=$clang32_tests \
               -DTEPO_WINEPREFIX="$build/win/wineprefix" \
               -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-mingw-w64-i686.cmake" >/dev/null ;;
  win64-clang) cmake -S "$root" -B "$build/win64-clang" $werror -DCMAKE_BUILD_TYPE=Release \
                 -DTEPO_WINE_TEST_SET=quick -DTEPO_WINEPREFIX="$build/win64/wineprefix" \
                 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-mingw-w64-x86_64.cmake" >/dev/null ;;
  sanitize) CC=clang CXX=clang++ cmake -S "$root" -B "$build/sanitize" $werror -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEPO_SANITIZE=ON >/dev/null ;;
  fuzz) CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" $werror -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEPO_FUZZ=ON >/dev/null ;;
  *) echo "usage: build.sh native|sanitize|win|win64|win-clang|win64-clang|fuzz [target...]" >&2; exit 2 ;;
esac
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build/$kind" -j"$(nproc)" "${targets[@]}"
