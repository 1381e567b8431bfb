#!/usr/bin/env bash
# A person's walk through the real window under Xvfb, against the mock web:
# type the keyword, press Track, hide the window and watch it pop up on a new
# target, bring it back from the tray icon, page, mark a row, open a target
# (a stand-in browser records its arguments), clear with the question
# answered. A screenshot of the screen after each step goes to OUT, for a
# person to look at. Not run by CI.
#
# Needs Xvfb, xdotool, ImageMagick (import) and a tray host (trayer or
# stalonetray). Usage: tools/xvfb_walkthrough.sh [OUT]   (default /tmp/checks)
# Then, with the pop-up toggle off, a run of a second keyword that leaves the
# window hidden, and an export of its targets as web pages through the save
# dialog into OUT/export, whose navigation links tools/check_export_links.py
# checks; with chromium, pictures of its first two pages.
# VEXO_BUILD names the build folder (default build); KEYWORD and KEYWORD2 the
# keywords (default 中文 and 导航, the mock web's two). The mock web answers
# after DELAY_MS (default 600), so that targets keep arriving while the window
# is hidden.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${VEXO_BUILD:-build}
out=${1:-/tmp/checks}
keyword=${KEYWORD:-中文}
keyword2=${KEYWORD2:-导航}
delay=${DELAY_MS:-600}
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
tray=$(command -v stalonetray || command -v trayer || true)
[ -n "$tray" ] || { echo "missing: a tray host (stalonetray or trayer)" >&2; exit 1; }
[ -x "$build/shell/vexo" ] && [ -x "$build/cli/vexo-mockweb" ] ||
  { echo "build vexo and vexo-mockweb into $build first" >&2; exit 1; }

mkdir -p "$out"
tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT

step=0
shot() {  # shot NAME: the whole screen into OUT/NN-NAME.png
  sleep 0.4
  step=$((step + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$out" "$step" "$1")
  import -display "$DISPLAY" -window root "$file"
  echo "screenshot: $file"
}
say() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# The display, with a tray host docked at the top.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
case "$tray" in
  *stalonetray) "$tray" --geometry 4x1+0+0 --icon-size 24 >/dev/null 2>&1 & ;;
  *) "$tray" --edge top --align right --widthtype request --height 24 \
       --SetDockType true >/dev/null 2>&1 & ;;
esac
pids+=($!)
sleep 1

# The mock web, the stand-in browser and a fresh program folder.
"$build/cli/vexo-mockweb" "$delay" >"$tmp/map" &
pids+=($!)
for _ in $(seq 50); do [ -s "$tmp/map" ] && break; sleep 0.1; done
export VEXO_CONNECT_TO
VEXO_CONNECT_TO=$(head -n 1 "$tmp/map")
export VEXO_HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config"
mkdir -p "$VEXO_HOME" "$XDG_CONFIG_HOME"
browser_log="$out/browser-args.txt"
: >"$browser_log"
cat >"$tmp/browser" <<EOF
#!/bin/sh
for a in "\$@"; do printf '[%s]\n' "\$a" >>"$browser_log"; done
echo "--" >>"$browser_log"
EOF
chmod +x "$tmp/browser"
export BROWSER="$tmp/browser"

"$build/shell/vexo" >"$out/vexo.log" 2>&1 &
vexo_pid=$!
pids+=("$vexo_pid")

# The main window: the program's visible 540 x 400 window.
main_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$vexo_pid" 2>/dev/null); do
    if xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 540x400'; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local n=$(($1 * 10))
  shift
  for _ in $(seq "$n"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
hidden() { ! main_window; }
# The program's message box on show, with the program's caption as its title.
box_shown() {
  wait_for 5 xdotool search --onlyvisible --name "Vexo提示" || fail "no box titled Vexo提示"
  local title
  title=$(xdotool getwindowname "$(xdotool search --onlyvisible --name "Vexo提示" | head -n 1)")
  say "box titled: $title"
  [ "$title" = "Vexo提示" ] || fail "the box's title is not Vexo提示"
}
win=""
click() {  # click X Y: a left click at a place of the main window
  xdotool mousemove --window "$win" "$1" "$2" click 1
}

wait_for 10 main_window || fail "no main window"
win=$(main_window)
say "window $win at $(xdotool getwindowgeometry "$win" | sed -n 2p)"
shot start

say "type the keyword, press Track"
click 130 44
xdotool type --delay 200 "$keyword"
shot keyword
click 247 44
sleep 2
shot tracking

say "drag the window by its title 100 right and 50 down"
xdotool mousemove --window "$win" 150 13 mousedown 1
for _ in 1 2 3 4 5; do xdotool mousemove_relative -- 20 10; sleep 0.05; done
xdotool mouseup 1
say "now at $(xdotool getwindowgeometry "$win" | sed -n 2p)"
shot dragged

say "hide the window with its hide label"
click 506 13
wait_for 5 hidden || fail "the window did not hide"
shot hidden

say "wait for a new target to pop it up (centred again)"
wait_for 60 main_window || fail "no pop-up on a new target"
win=$(main_window)
say "popped up at $(xdotool getwindowgeometry "$win" | sed -n 2p)"
shot popped-up
sleep 10  # the rest of the first pass: no new targets after it
shot all-targets

say "hide again and bring it back with a click on the tray icon"
click 506 13
wait_for 5 hidden || fail "the window did not hide"
sleep 2
main_window >/dev/null && fail "the window came back by itself"
# The tray host's window holds the icon at its right end.
tray_win=$(xdotool search --onlyvisible --class "$(basename "$tray")" 2>/dev/null | head -n 1 || true)
[ -n "$tray_win" ] || fail "no tray host window"
eval "$(xdotool getwindowgeometry --shell "$tray_win")"
xdotool mousemove --window "$tray_win" $((WIDTH - 12)) $((HEIGHT / 2)) click 1
wait_for 5 main_window || fail "the tray click did not bring the window back"
win=$(main_window)
say "back from the tray at $(xdotool getwindowgeometry "$win" | sed -n 2p)"
shot tray-click

say "a right click on the hide label does not hide"
xdotool mousemove --window "$win" 506 13 click 3
sleep 1
main_window >/dev/null || fail "a right click hid the window"

say "next page, then previous"
click 460 370
shot next-page
click 438 370
shot previous-page

say "mark row 3"
click 14 166
shot marked-row-3

say "open the target of row 1"
click 200 95
wait_for 5 grep -q -- -- "$browser_log" || fail "the browser was not started"
say "the browser got: $(tr '\n' ' ' <"$browser_log")"
shot opened-row-1

say "clear, answering the question"
click 526 370
box_shown
shot clear-question
xdotool key Return
sleep 1
shot cleared

say "pop-up toggle off, stop, then a run of the second keyword: the window stays hidden"
click 478 44
shot popup-off
click 247 44  # stop
sleep 1
click 130 44
xdotool key ctrl+a BackSpace
xdotool type --delay 200 "$keyword2"
click 247 44  # track
sleep 1
click 506 13
wait_for 5 hidden || fail "the window did not hide"
sleep 12
main_window >/dev/null && fail "the window popped up with the pop-up toggle off"
shot hidden-no-popup
xdotool mousemove --window "$tray_win" $((WIDTH - 12)) $((HEIGHT / 2)) click 1
wait_for 5 main_window || fail "the tray click did not bring the window back"
win=$(main_window)
shot second-run

say "stop and export as web pages through the save dialog"
click 247 44  # stop
sleep 1
shot stopped
export_dir="$out/export"
rm -rf "$export_dir"
mkdir -p "$export_dir"
click 504 370
box_shown
shot export-question
xdotool key Return
wait_for 5 xdotool search --onlyvisible --name "Vexo信息导出" || fail "no save dialog"
sleep 0.5
shot save-dialog
xdotool key ctrl+a BackSpace
xdotool type --delay 20 "$export_dir/back.htm"
xdotool key Return
wait_for 5 test -s "$export_dir/back.htm" || fail "no export written"
sleep 1
shot exported
say "exported: $(cd "$export_dir" && ls)"
if command -v python3 >/dev/null; then
  python3 tools/check_export_links.py "$export_dir" || fail "export navigation"
fi
if command -v chromium >/dev/null; then
  for page in back.htm back1.htm; do
    chromium --headless --no-sandbox --disable-gpu --user-data-dir="$tmp/chromium" \
      --window-size=800,900 --screenshot="$out/export-${page%.htm}.png" \
      "file://$export_dir/$page" >/dev/null 2>&1 || true
    echo "screenshot: $out/export-${page%.htm}.png"
  done
fi

say "close"
xdotool mousemove --window "$win" 524 13 click 1
box_shown
shot close-question
xdotool key Return
wait_for 10 bash -c "! kill -0 $vexo_pid" || fail "vexo did not end"
# The keyword as typed reached the program: it is saved at the end.
grep -a '^gjc=' "$XDG_CONFIG_HOME/vexo.ini" "$VEXO_HOME/vexo.ini" 2>/dev/null |
  iconv -f GB2312 -t UTF-8 || true
say "done; screenshots in $out, browser arguments in $browser_log"
