#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (the test emulator).
#   wine-run.sh [--prefix=DIR] [--arch=win32|win64] program.exe [arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix="$here/../build/win/wineprefix"
if [[ "${1:-}" == --prefix=* ]]; then
  prefix=${1#--prefix=}
  shift
fi
arch=win32
if [[ "${1:-}" == --arch=* ]]; then
  arch=${1#--arch=}
  shift
fi
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
tepo_wine_env "$prefix" "$arch"
tepo_ensure_display
tepo_ensure_prefix unmanaged
tepo_start_services
exec "$TEPO_WINE" "$@"
