#!/usr/bin/env bash
# Installs what is missing, builds the native (also with the sanitizers), the
# fuzzing and the Windows configuration and runs every test, native and under Wine, in one CTest run.
#   test.sh [ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
# Warnings stay at zero: in the test command each one fails the build.
export TEPO_WERROR=ON
bash "$root/scripts/build.sh" native
bash "$root/scripts/build.sh" win
# Where 32-bit code cannot run, the Windows-side tests run on a 64-bit build
# of the same sources; the 32-bit program is still built and checked.
wine_build=$(tepo_wine_build)
arch=win32
if [ "$wine_build" = win64 ]; then
  echo "This machine cannot run 32-bit programs: the Windows-side tests run on the 64-bit build under a 64-bit Wine."
  bash "$root/scripts/build.sh" win64
  arch=win64
fi
# A second compiler: clang builds everything once more; of its Windows-side
# tests only the program's quick checks run (the full suite runs once, GCC's).
bash "$root/scripts/build.sh" win-clang
clang_dirs=(win-clang)
if [ "$wine_build" = win64 ]; then
  bash "$root/scripts/build.sh" win64-clang
  clang_dirs+=(win64-clang)
fi
bash "$root/scripts/build.sh" fuzz
bash "$root/scripts/build.sh" sanitize

# One CTest run over every configuration.
if [ "$wine_build" = win64 ]; then
  printf 'subdirs("native" "sanitize" "fuzz" "win" "win64")\n' > "$build/CTestTestfile.cmake"
else
  printf 'subdirs("native" "sanitize" "fuzz" "win")\n' > "$build/CTestTestfile.cmake"
fi

tepo_wine_env "$build/$wine_build/wineprefix" "$arch"
tepo_ensure_display
tepo_ensure_prefix unmanaged
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "${TEPO_XVFB_PID:-}" ]; then kill "$TEPO_XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT
# One Wine server for the whole run instead of one per test program.
wineserver -p 2>/dev/null || true  # one already running for this prefix serves as well
tepo_start_services

# The clang builds name their tests as GCC's, so each runs in a CTest run of
# its own (one run would merge same-named tests), before the main one.
status=0
for dir in "${clang_dirs[@]}"; do
  echo "== clang build $dir =="
  (cd "$build/$dir" && ctest --output-on-failure --timeout 600 "$@") || status=1
done
cd "$build"
ctest --output-on-failure --timeout 600 "$@" || status=1
# Last, under CTest's summary, so that nobody takes the run for the whole story.
if [ "$wine_build" = win64 ]; then
  echo "NOT RUN: this machine cannot run 32-bit programs, so the Windows-side tests of the shipped 32-bit tepo.exe did not run here (they ran on the 64-bit build)."
fi
exit $status
