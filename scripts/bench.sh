#!/usr/bin/env bash
# Builds and runs the benchmarks: the store natively, then the store and the
# running program under Wine. They print figures; nothing is asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" native bench_store
bash "$root/scripts/build.sh" win bench_store bench_gui tepo
echo "== native (Linux) =="
"$build/native/bin/bench_store"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
tepo_wine_env "$build/win/wineprefix"
tepo_ensure_display
tepo_ensure_prefix unmanaged
tepo_start_services
echo "== under Wine =="
wine "$build/win/bin/bench_store.exe" </dev/null
wine "$build/win/bin/bench_gui.exe" </dev/null
if [ -n "${TEPO_XVFB_PID:-}" ]; then kill "$TEPO_XVFB_PID" 2>/dev/null || true; fi
