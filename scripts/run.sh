#!/usr/bin/env bash
# Installs what is missing, builds tepo.exe and starts it under Wine, with the
# sample tepo.dat beside it. Without a display it starts a virtual one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
bash "$root/scripts/build.sh" win tepo
# Where 32-bit code cannot run, the 64-bit build of the same sources runs.
wine_build=$(tepo_wine_build)
arch=win32
if [ "$wine_build" = win64 ]; then
  echo "This machine cannot run 32-bit programs: starting the 64-bit build under a 64-bit Wine."
  bash "$root/scripts/build.sh" win64 tepo
  arch=win64
fi

# A prefix of its own: the tests' one leaves window management to Wine.
tepo_wine_env "$build/$wine_build/wineprefix-desktop" "$arch"
had_display=${DISPLAY:-}
TEPO_SCREEN=${TEPO_SCREEN:-1280x800x24} tepo_ensure_display
tepo_ensure_prefix desktop
tepo_start_services
cd "$build/$wine_build/bin"
echo "Starting tepo.exe; its icon (tip \"Click Here!\") is in the notification area."
# A virtual display has no desktop of its own: Wine's, with its taskbar, stands
# in. On the user's own desktop tepo's icon goes to that desktop's tray (or,
# lacking one, to the window "Wine System Tray"), unless TEPO_WINE_DESKTOP=1.
if [ -z "$had_display" ] || [ "${TEPO_WINE_DESKTOP:-}" = 1 ]; then
  if [ -z "$had_display" ]; then
    echo "No display was given: tepo runs on the virtual display $DISPLAY."
    # Not xwd: with Wine's windows, each program's with a colormap of its own,
    # it reads every window by its whole rectangle, black outside a shape.
    echo "Take a screenshot with:  import -display $DISPLAY -window root tepo-screen.png"
  fi
  echo "It runs in Wine's desktop \"tepo\" (1280x800): the icon is at the right end of its taskbar."
  echo "Quit from the icon's menu, or press Ctrl+C."
  tepo_wine_desktop tepo.exe
  exit 0
fi
echo "Under Wine without a desktop tray it stands in the window \"Wine System Tray\". Quit from its menu, or press Ctrl+C."
exec "$TEPO_WINE" tepo.exe
