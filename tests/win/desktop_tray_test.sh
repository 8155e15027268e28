#!/usr/bin/env bash
# In Wine's desktop with a taskbar, a real X-level click on tepo's icon at the
# right end of the taskbar shows the balloon, and the balloon's tail stands
# over the taskbar: its pixels there are the balloon's pale yellow. Outside its
# shape the balloon leaves the screen as it was: the taskbar shows through
# below its body and beside its tail, at the bottom corners of its rectangle.
# The screen is read with ImageMagick's import, as it is shown: xwd builds its
# picture window by window when windows have colormaps of their own, as Wine's
# do, and reads a shaped window's whole rectangle as that window's, black
# outside the shape.
#   desktop_tray_test.sh TEPO_EXE WORK_DIR win32|win64
set -euo pipefail
exe=$1
work=$2
arch=$3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
# shellcheck source=../../scripts/wine-env.sh
source "$scripts/wine-env.sh"

# A prefix and a screen of its own, the desktop's size, apart from the suite's.
mkdir -p "$work"
tepo_wine_env "$work/wineprefix" "$arch"
unset DISPLAY
TEPO_SCREEN=1280x800x24 tepo_ensure_display
W=1280
H=800
run="$work/run"
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "${TEPO_XVFB_PID:-}" ]; then kill "$TEPO_XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$run"
}
trap cleanup EXIT
tepo_ensure_prefix desktop
tepo_start_services

fail() {
  echo "FAIL: $*" >&2
  import -window root "$work/last-screen.png" 2>/dev/null && echo "screen: $work/last-screen.png" >&2
  exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local limit=$1 i
  shift
  for i in $(seq 1 $((limit * 5))); do
    if "$@"; then return 0; fi
    sleep 0.2
  done
  return 1
}

# The bottom 60 rows of the screen as lines "x y rrggbb" (y from the top of the screen).
strip() {
  import -window root -crop "${W}x60+0+$((H - 60))" -depth 8 txt:- 2>/dev/null |
    awk -v top=$((H - 60)) 'NR > 1 { split($1, p, /[,:]/); c = tolower($3); sub(/^#/, "", c);
                               print p[1], p[2] + top, substr(c, 1, 6) }'
}
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | awk 'NR == 2 { c = tolower($3); sub(/^#/, "", c); print substr(c, 1, 6) }'; }

# The desktop alone first: its taskbar without tepo's icon.
tepo_wine_desktop </dev/null >/dev/null 2>&1 &
background() { pixel $((W / 2)) $((H / 2)); }
taskbar_drawn() { local b; b=$(background); [ -n "$b" ] && [ "$(pixel $((W / 2)) $((H - 3)))" != "$b" ]; }
wait_for 60 taskbar_drawn || fail "Wine's desktop shows no taskbar"
sleep 1
desk=$(background)
strip > "$work/before.txt"

mkdir -p "$run"
cp "$exe" "$run/tepo.exe"
msg='over the taskbar'
printf '%s\r\n' "$msg" > "$run/tepo.dat"
(cd "$run" && tepo_wine_desktop tepo.exe </dev/null >/dev/null 2>&1 &)

# The icon: what changed in the right half of the taskbar.
icon_box() {
  strip > "$work/after.txt"
  awk -v half=$((W / 2)) 'NR == FNR { was[$1 " " $2] = $3; next }
    $1 > half && was[$1 " " $2] != $3 { if (!n++ || $1 < x0) x0 = $1; if ($1 > x1) x1 = $1;
                                         if (n == 1 || $2 < y0) y0 = $2; if ($2 > y1) y1 = $2 }
    END { if (n > 20) print x0, y0, x1, y1 }' "$work/before.txt" "$work/after.txt"
}
box=""
find_icon() { box=$(icon_box); [ -n "$box" ]; }
wait_for 60 find_icon || fail "tepo's icon did not appear in the taskbar"
sleep 1
find_icon || fail "tepo's icon went away"
cp "$work/after.txt" "$work/unclicked.txt"
read -r x0 y0 x1 y1 <<<"$box"
echo "icon at x $x0-$x1, y $y0-$y1"
[ "$x1" -ge $((W - 200)) ] || fail "the icon is not at the right end of the taskbar"

# The taskbar's top row, in an empty stretch of it.
col=$((W / 2 + 40))
top=$(awk -v c=$col -v d="$desk" '$1 == c && $3 == d { if ($2 > last) last = $2 } END { print last + 1 }' "$work/before.txt")
echo "taskbar from row $top, desktop $desk"
[ "$top" -lt "$y0" ] || fail "the icon is not in the taskbar"

cx=$(((x0 + x1) / 2))
cy=$(((y0 + y1) / 2))
clicked=$(date +%s%N)
xdotool mousemove "$cx" "$cy" click 1

# The balloon stands on the bottom edge with its tail's tip under the cursor:
# the tail runs from 21 to 10 rows above the bottom, up to 10 pixels left of the tip.
tail_shown() {
  strip | awk -v cx="$cx" -v lo=$((H - 18)) -v hi=$((H - 12)) -v top="$top" \
    '$2 >= lo && $2 <= hi && $2 > top && $1 >= cx - 6 && $1 <= cx && $3 == "ffffc0" { n++ } END { exit !(n >= 4) }'
}
wait_for 20 tail_shown || fail "no pale-yellow tail over the taskbar under the icon"
# The same pixels were the taskbar's before the click.
grep -q "^$((cx - 1)) $((H - 15)) ffffc0$" "$work/before.txt" && fail "the taskbar itself is pale yellow"
echo "the balloon's tail stands over the taskbar at x $cx"

# The balloon's rectangle: it begins where its body does, it is as wide as the
# design makes it for this message (6 pixels a byte, plus 10) and, for one line,
# 46 pixels high; the tail's tip is its rightmost pale-yellow column.
strip > "$work/shown.txt"
left=$(awk -v lo=$((H - 46)) -v hi=$((H - 22)) '$2 >= lo && $2 <= hi && $3 == "ffffc0" { if (x == "" || $1 < x) x = $1 }
                                              END { print x }' "$work/shown.txt")
tip=$(awk -v lo=$((H - 20)) -v hi=$((H - 11)) '$2 >= lo && $2 <= hi && $3 == "ffffc0" && $1 > x { x = $1 } END { print x }' \
  "$work/shown.txt")
if [ -z "$left" ] || [ -z "$tip" ]; then fail "the balloon's body or tail is not on the screen"; fi
right=$((left + ${#msg} * 6 + 10 - 1))
echo "balloon from x $left to $right, tail's tip at x $tip"
# Outside the shape: the bottom corners and the top-left one, below the body
# left of the tail and under its tip, and right of the tail where there is room.
outside="$left $((H - 1))
$right $((H - 1))
$left $((H - 46))
$((left + 3)) $((H - 15))
$((tip - 13)) $((H - 15))
$tip $((H - 4))"
[ $((tip + 2)) -gt "$right" ] || outside+=$'\n'"$((tip + 2)) $((H - 15))"
echo "$outside" > "$work/outside.txt"
# The points outside the shape that the screenshot $1 shows otherwise than before the click.
covered() {
  awk 'FILENAME == ARGV[1] { want[$1 " " $2] = 1; next }
       FILENAME == ARGV[2] { if (($1 " " $2) in want) was[$1 " " $2] = $3; next }
       (($1 " " $2) in want) && $3 != was[$1 " " $2] { printf "(%s,%s) %s, was %s; ", $1, $2, $3, was[$1 " " $2] }' \
    "$work/outside.txt" "$work/unclicked.txt" "$1"
}
# From 1 to 4 seconds after the click, the mouse still over the icon.
for s in 1 2 3 4; do
  while [ $((($(date +%s%N) - clicked) / 1000000)) -lt $((s * 1000)) ]; do sleep 0.05; done
  strip > "$work/at-$s.txt"
  bad=$(covered "$work/at-$s.txt")
  [ -z "$bad" ] || fail "$s s after the click the balloon covers the screen outside its shape: $bad"
done
echo "outside its shape the taskbar and the desktop show through, 1 to 4 s after the click"
