#!/usr/bin/env bash
# The Linux program on a virtual X display: the window opens at its place and
# size, the search button answers a click on the placeholder with a message,
# a typed title is searched on the test sites and a marked result is shown,
# the title strip drags the window, and the close button ends the program.
# Usage: linux_window.sh PROGRAM SITES_ENV SCREENSHOT_DIR
set -uo pipefail

program=${1:?usage: linux_window.sh PROGRAM SITES_ENV SCREENSHOT_DIR}
sites=${2:-}
shots=${3:-$(mktemp -d)}

fail() {
  echo "linux_window: FAIL: $*" >&2
  exit 1
}

[ -x "$program" ] || fail "no program at $program"
for tool in Xvfb xdotool import convert compare; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
mkdir -p "$shots" || fail "cannot create $shots"

# The window table's places, on a screen where the window opens at (50, 50).
win_x=50 win_y=50 win_w=320 win_h=533
search_button=(256 457 56 68)
search_box=(8 457 240 30)
result_buttons=(8 427 304 22)
first_result_button=(8 427 54 22)
title_field=(9 66 302 30)
close_button=(296 4 20 20)
message_label=(8 273 304 109)

xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

# A display nobody uses; Xvfb refuses a taken one, so try the next.
for n in $(seq 91 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 640x640x24 -nolisten tcp -noreset >"$shots/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    xdotool getmouselocation >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  xdotool getmouselocation >/dev/null 2>&1 && break
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || fail "could not start Xvfb (see $shots/xvfb.log)"

# The test sites when they run; otherwise hosts that refuse at once, so the
# start-up notice check fails fast and nothing leaves the machine.
for name in SOURCEA SOURCEB SOURCEC UPDATE; do export "LANTISK_${name}_HOST=127.0.0.1:9"; done
if [ -n "$sites" ] && [ -f "$sites" ]; then
  while IFS='=' read -r name value; do
    name=$(echo "$name" | tr -d '[:space:]' | tr '[:lower:]' '[:upper:]')
    value=$(echo "$value" | tr -d '[:space:]')
    [ -n "$name" ] && [ -n "$value" ] || continue
    case "$name" in
      LANTISK_*_HOST) export "$name=$value" ;;
      SOURCEA | SOURCEB | SOURCEC | UPDATE) export "LANTISK_${name}_HOST=$value" ;;
    esac
  done <"$sites"
fi

# Crops a rectangle (x y w h, relative to the window's top left) of the screen.
shot() {
  local out=$1 x=$2 y=$3 w=$4 h=$5
  import -window root "$out.full.png" 2>/dev/null || return 1
  convert "$out.full.png" -crop "${w}x${h}+$((win_x + x))+$((win_y + y))" +repage "$out" || return 1
  rm -f "$out.full.png"
}
# Pixels that differ between two images beyond anti-aliasing noise.
differing() {
  compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | awk '{ print int($1) }'
}
window_geometry() {
  xdotool getwindowgeometry --shell "$window" 2>/dev/null | tr '\n' ' '
}

# The pointer waits away from the window, so that it moves over nothing.
xdotool mousemove 630 630
"$program" >"$shots/program.log" 2>&1 &
app_pid=$!

window=""
for _ in $(seq 50); do
  window=$(xdotool search --onlyvisible --name '^Lantisk$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window appeared (see $shots/program.log)"
  sleep 0.2
done
[ -n "$window" ] || fail "no window named Lantisk appeared within 10 s (see $shots/program.log)"
geometry=$(window_geometry)
case "$geometry" in
  *"X=$win_x Y=$win_y WIDTH=$win_w HEIGHT=$win_h "*) ;;
  *) fail "the window is not ${win_w}x${win_h} at ($win_x, $win_y): $geometry" ;;
esac

# The start: wait until two screenshots in a row agree, and something is drawn.
start="$shots/linux_window_start.png"
previous="$shots/linux_window_previous.png"
stable=""
for _ in $(seq 25); do
  sleep 0.2
  shot "$start" 0 0 "$win_w" "$win_h" || fail "cannot take a screenshot"
  if [ -f "$previous" ] && [ "$(differing "$start" "$previous")" -eq 0 ]; then
    stable=yes
    break
  fi
  cp "$start" "$previous"
done
rm -f "$previous"
[ -n "$stable" ] || fail "the window kept changing for 5 s after it opened"
spread=$(convert "$start" -colorspace Gray -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "the window looks empty (grey spread $spread)"

# Clicking the search button on the placeholder shows a message in 提示_标签.
before="$shots/linux_window_message_before.png"
after="$shots/linux_window_message_after.png"
shot "$before" "${message_label[@]}" || fail "cannot take a screenshot"
xdotool mousemove $((win_x + search_button[0] + search_button[2] / 2)) \
  $((win_y + search_button[1] + search_button[3] / 2)) click 1
changed=0
for _ in $(seq 25); do
  sleep 0.2
  shot "$after" "${message_label[@]}" || fail "cannot take a screenshot"
  changed=$(differing "$before" "$after")
  [ "$changed" -gt 500 ] && break
done
[ "$changed" -gt 500 ] || fail "the message area did not change after clicking the search button ($changed pixels)"
shot "$shots/linux_window_message.png" 0 0 "$win_w" "$win_h"

# With the test sites: a typed title is searched, the result buttons get their
# marks, and the first one shows its book.
click_at() { xdotool mousemove $((win_x + $1 + $3 / 2)) $((win_y + $2 + $4 / 2)) click 1; }
wait_for_change() {  # before after x y w h: waits until the area differs
  local before=$1 after=$2 changed=0
  shift 2
  for _ in $(seq 50); do
    sleep 0.2
    shot "$after" "$@" || return 1
    changed=$(differing "$before" "$after")
    [ "$changed" -gt 100 ] && return 0
  done
  return 1
}
if [ -n "$sites" ] && [ -f "$sites" ]; then
  shot "$shots/linux_results_before.png" "${result_buttons[@]}" || fail "cannot take a screenshot"
  click_at "${search_box[@]}"
  sleep 0.2
  xdotool type --delay 50 fanren
  click_at "${search_button[@]}"
  wait_for_change "$shots/linux_results_before.png" "$shots/linux_results_after.png" "${result_buttons[@]}" ||
    fail "no result button got its mark after searching the test sites"
  sleep 1  # let the slower sites fill their buttons too
  shot "$shots/linux_title_before.png" "${title_field[@]}" || fail "cannot take a screenshot"
  click_at "${first_result_button[@]}"
  wait_for_change "$shots/linux_title_before.png" "$shots/linux_title_after.png" "${title_field[@]}" ||
    fail "clicking the first result button did not show its book"
  shot "$shots/linux_window_search.png" 0 0 "$win_w" "$win_h"
fi

# Dragging the title strip moves the window by as much as the pointer.
kill -0 "$app_pid" 2>/dev/null || fail "the program ended by itself"
xdotool mousemove $((win_x + 100)) $((win_y + 14)) mousedown 1
sleep 0.1
xdotool mousemove $((win_x + 115)) $((win_y + 24))
sleep 0.1
xdotool mousemove $((win_x + 130)) $((win_y + 34))
sleep 0.1
xdotool mouseup 1
moved=""
for _ in $(seq 20); do
  sleep 0.1
  case "$(window_geometry)" in *"X=$((win_x + 30)) Y=$((win_y + 20)) "*) moved=yes; break ;; esac
done
[ -n "$moved" ] || fail "dragging the title strip by (30, 20) left the window at: $(window_geometry)"
win_x=$((win_x + 30)) win_y=$((win_y + 20))

# The close button ends the program, with status 0.
xdotool mousemove $((win_x + close_button[0] + close_button[2] / 2)) \
  $((win_y + close_button[1] + close_button[3] / 2)) click 1
for _ in $(seq 50); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program still runs 5 s after its close button was clicked"
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status (see $shots/program.log)"

echo "linux_window: window opened at its place, answered the search button, moved with its title strip, closed (screenshots in $shots)"
