#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (the test emulator).
#   wine-run.sh [--prefix=DIR] program.exe [arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix="$here/../build/win/wineprefix"
if [[ "${1:-}" == --prefix=* ]]; then
  prefix=${1#--prefix=}
  shift
fi
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
tepo_wine_env "$prefix"
tepo_ensure_display
tepo_ensure_prefix unmanaged
tepo_start_services
exec wine "$@"
