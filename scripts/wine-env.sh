# Sourced by the scripts that run tepo under Wine: the environment, a display
# and the project's own Wine prefix.

# Code page 932 for the ANSI calls; a quiet Wine that never offers to install
# Mono or Gecko, which would hang an unattended run.
#   tepo_wine_env PREFIX [win32|win64]
tepo_wine_env() {
  export WINEPREFIX="$1"
  export WINEARCH=${2:-win32}
  # Debian's wine wrapper prefers the 32-bit loader whenever it is installed.
  if [ "$WINEARCH" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    TEPO_WINE=/usr/lib/wine/wine64
  else
    TEPO_WINE=wine
  fi
  export TEPO_WINE
  export LANG=ja_JP.UTF-8
  export LC_ALL=ja_JP.UTF-8
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Whether this machine runs 32-bit programs: some kernels (or virtual
# machines) refuse i386 code, and 32-bit Wine with it.
tepo_runs_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The Windows build whose tests run here: the 32-bit program itself, or the
# same sources built for 64 bits where 32-bit code cannot run.
tepo_wine_build() {
  if tepo_runs_32bit; then echo win; else echo win64; fi
}

# Starts a virtual display when none is given. The screen is wide enough to
# test cursors far right, where a 16-bit twips value would overflow.
tepo_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n pid i
  for n in $(seq 90 399); do
    # A lock whose server is gone is stale; Xvfb takes such a number over.
    if [ -e "/tmp/.X${n}-lock" ]; then
      pid=$(tr -d ' ' < "/tmp/.X${n}-lock" 2>/dev/null)
      if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then continue; fi
      rm -f "/tmp/.X${n}-lock" "/tmp/.X11-unix/X${n}" 2>/dev/null
    fi
    Xvfb ":${n}" -screen 0 "${TEPO_SCREEN:-3840x1080x24}" -nolisten tcp >/dev/null 2>&1 &
    TEPO_XVFB_PID=$!
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X${n}" ] && break
      kill -0 "$TEPO_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X${n}" ] && kill -0 "$TEPO_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":${n}"
      export TEPO_XVFB_PID
      return 0
    fi
  done
  echo "Could not start a virtual display (Xvfb)." >&2
  return 1
}

# Creates the prefix once (later runs reuse it), with the Japanese gothic font
# standing in for MS Gothic so that text fits the windows as designed.
# With "unmanaged", Wine places its windows itself instead of leaving them to a
# window manager: on a bare virtual display there is none, and Wine would wait
# two seconds for it each time a captioned window (a message box) closes.
# With "desktop", the prefix knows the desktop "tepo" (tepo_wine_desktop).
tepo_ensure_prefix() {
  local unmanaged=${1:-}
  local settings
  settings=$(
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"ＭＳ ゴシック"="IPAGothic"\r\n"MS Gothic"="IPAGothic"\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"MS PGothic"="IPAPGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n\r\n'
    if [ "$unmanaged" = unmanaged ]; then
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
      # A test program that crashes ends at once, with a failure, instead of
      # waiting in the debugger until the test's time is up: the "debugger"
      # Wine starts is one that exits (without one, it starts its own).
      printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n"Auto"="1"\r\n"Debugger"="cmd /c exit 1"\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    fi
    if [ "$unmanaged" = desktop ]; then
      # Wine's own desktop "tepo" with a taskbar and its notification area.
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"EnableShell"=dword:00000001\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"tepo"="1280x800"\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\tepo]\r\n"EnableShell"=dword:00000001\r\n\r\n'
    fi
  )
  # A prefix made by an older script gets the settings it lacks, without
  # being made again.
  local stamp="$WINEPREFIX/.tepo-ready"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$settings" ]; then
    tepo_prefix_fonts
    return 0
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$settings" ]; then exit 0; fi
    if [ ! -f "$stamp" ]; then
      echo "Creating the Wine prefix $WINEPREFIX (once)..." >&2
      "$TEPO_WINE" wineboot -i >/dev/null 2>&1 || true
      wineserver -w
    fi
    local reg="$WINEPREFIX/tepo-settings.reg"
    printf '%s\n' "$settings" | iconv -f UTF-8 -t UTF-16 > "$reg"
    "$TEPO_WINE" regedit /S "$reg" >/dev/null 2>&1
    wineserver -w
    printf '%s' "$settings" > "$stamp"
  ) 9>"$WINEPREFIX.lock"
  tepo_prefix_fonts
}

# Wine draws the caption buttons (close, minimise) with the Marlett font, which
# Debian's Wine does not find in fonts-wine by itself: without it a close box
# shows the letter "r". The prefix gets its own copy.
tepo_prefix_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/marlett.ttf"
  fi
}

# Runs a Windows program in Wine's desktop "tepo": a 1280 by 800 screen with
# a taskbar, the notification area at its right end, captions on dialogs.
#   tepo_wine_desktop program.exe [arguments]
tepo_wine_desktop() {
  "$TEPO_WINE" explorer /desktop=tepo,1280x800 "$@"
}

# Starts the prefix's services (services.exe and friends) detached from our
# output. Started by a test program instead, they would inherit its stdout and
# hold CTest's pipe open after the test has ended.
tepo_start_services() {
  "$TEPO_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}
