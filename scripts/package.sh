#!/usr/bin/env bash
# Builds the ZIP for Windows users: build/win/tepo-1.00-win32.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" win tepo tepo_readme
cd "$build/win"
cpack -G ZIP
echo "Package: $build/win/tepo-1.00-win32.zip"
