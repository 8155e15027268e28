#!/usr/bin/env bash
# Builds and runs the benchmarks: the store natively, then the store and the
# running program under Wine. They print figures; nothing is asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" native bench_messages
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
wine_build=$(tepo_wine_build)
arch=win32
if [ "$wine_build" = win64 ]; then arch=win64; echo "This machine cannot run 32-bit programs: the 64-bit build is measured."; fi
bash "$root/scripts/build.sh" "$wine_build" bench_messages bench_gui tepo
echo "== native (Linux) =="
"$build/native/bin/bench_messages"
# The memory a file of bad bytes costs, each size in a process of its own.
for mb in 8 32; do "$build/native/bin/bench_messages" bad-bytes $mb; done
tepo_wine_env "$build/$wine_build/wineprefix" "$arch"
tepo_ensure_display
tepo_ensure_prefix unmanaged
tepo_start_services
echo "== under Wine =="
"$TEPO_WINE" "$build/$wine_build/bin/bench_messages.exe" </dev/null
for mb in 8 32; do "$TEPO_WINE" "$build/$wine_build/bin/bench_messages.exe" bad-bytes $mb </dev/null; done
"$TEPO_WINE" "$build/$wine_build/bin/bench_gui.exe" </dev/null
if [ -n "${TEPO_XVFB_PID:-}" ]; then kill "$TEPO_XVFB_PID" 2>/dev/null || true; fi
