#!/usr/bin/env bash
# Installs what is missing, builds the native, the fuzzing and the Windows
# configuration and runs every test, native and under Wine, in one CTest run.
#   test.sh [ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" native
bash "$root/scripts/build.sh" win
bash "$root/scripts/build.sh" fuzz

# One CTest run over both configurations.
printf 'subdirs("native" "fuzz" "win")\n' > "$build/CTestTestfile.cmake"

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
tepo_wine_env "$build/win/wineprefix"
tepo_ensure_display
tepo_ensure_prefix unmanaged
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "${TEPO_XVFB_PID:-}" ]; then kill "$TEPO_XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT
# One Wine server for the whole run instead of one per test program.
wineserver -p
tepo_start_services

cd "$build"
ctest --output-on-failure --timeout 600 "$@"
