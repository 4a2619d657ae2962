#!/usr/bin/env bash
# The Windows program for real, under wine on a virtual X display: the window
# opens at its place and size, the search button answers a click with a
# message, the title strip drags the window, and the close button ends the
# program.
# Arguments: the program (.exe), the test sites' address file (NAME=host:port
# lines; when it is missing every site is a closed local port), a folder for
# the screenshots.
set -uo pipefail

program=${1:?program}
sites=${2:-}
shots=${3:-.}
mkdir -p "$shots"
[ -f "$program" ] || { echo "windows_window: FAILED: no program at $program" >&2; exit 1; }

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-lantisk}" WINEDEBUG=-all
for host in SOURCEA SOURCEB SOURCEC UPDATE; do export "LANTISK_${host}_HOST=127.0.0.1:9"; done
if [ -f "$sites" ]; then
  # Names are taken as SOURCEA or LANTISK_SOURCEA_HOST alike.
  while IFS='=' read -r name value; do
    name=${name^^}
    name=${name#LANTISK_}
    name=${name%_HOST}
    case "$name" in SOURCEA | SOURCEB | SOURCEC | UPDATE) export "LANTISK_${name}_HOST=$value" ;; esac
  done <"$sites"
fi

work=$(mktemp -d)
xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "windows_window: FAILED: $*" >&2
  exit 1
}

# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 640x640x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
xdotool mousemove 1 1

# wine starts a wineserver for the prefix when none runs; it ends by itself.
wine "$program" >"$work/program.log" 2>&1 &
program_pid=$!

running() { kill -0 "$program_pid" 2>/dev/null && [[ "$(ps -o stat= -p "$program_pid" 2>/dev/null)" != Z* ]]; }

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Lantisk$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  running || fail "the program ended before its window appeared: $(tail -n3 "$work/program.log")"
  sleep 0.2
done
[ -n "$window" ] || fail "no window named Lantisk appeared within 20 s"

geometry() {  # prints "x y width height" of the window
  xdotool getwindowgeometry --shell "$window" | awk -F= '
    /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2} END {print x, y, w, h}'
}

# Waits until two screenshots a moment apart are alike, then keeps the last.
settled_shot() {
  import -window root "$1"
  for _ in $(seq 20); do
    sleep 0.25
    import -window root "$work/again.png"
    [ "$(compare -metric AE "$1" "$work/again.png" null: 2>&1)" = 0 ] && break
    cp "$work/again.png" "$1"
  done
}

read -r x y w h < <(geometry)
[ "$x $y $w $h" = "50 50 320 533" ] || fail "window at ($x,$y) size ${w}x$h, expected (50,50) 320x533"

settled_shot "$work/start.png"
convert "$work/start.png" -crop 320x533+50+50 +repage "$shots/windows-start.png"

# 提示_标签 (8,273 304x109) lies over the synopsis. With the placeholder in the
# search box, 搜索_超级按钮 (256,457 56x68) answers with a message there.
message_area="304x109+$((50 + 8))+$((50 + 273))"
convert "$work/start.png" -crop "$message_area" +repage "$work/message-before.png"
xdotool mousemove $((50 + 256 + 28)) $((50 + 457 + 34)) click 1
settled_shot "$work/searched.png"
convert "$work/searched.png" -crop 320x533+50+50 +repage "$shots/windows-after-search.png"
convert "$work/searched.png" -crop "$message_area" +repage "$work/message-after.png"
changed=$(compare -metric AE "$work/message-before.png" "$work/message-after.png" null: 2>&1)
[[ "$changed" =~ ^[0-9]+$ ]] || fail "could not compare the message area: $changed"
[ "$changed" -gt 300 ] || fail "no message appeared after the search click ($changed pixels changed)"
running || fail "the program ended after the search click"

# 窗口移动_标签 (0,0 320x28): pressing it and moving the pointer drags the window.
xdotool mousemove $((50 + 100)) $((50 + 14)) mousedown 1
sleep 0.2
xdotool mousemove $((50 + 120)) $((50 + 30))
sleep 0.2
xdotool mousemove $((50 + 140)) $((50 + 44))
sleep 0.2
xdotool mouseup 1
sleep 0.3
read -r x y w h < <(geometry)
[ "$x $y" = "90 80" ] || fail "dragging the title strip by (40,30) left the window at ($x,$y), expected (90,80)"

# 窗口位置_销毁 (296,4 20x20) ends the program.
xdotool mousemove $((x + 296 + 10)) $((y + 4 + 10)) click 1
for _ in $(seq 50); do running || break; sleep 0.1; done
running && fail "the program still runs 5 s after the close button was clicked"
wait "$program_pid"
status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "windows_window: passed"
