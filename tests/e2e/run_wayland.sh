#!/usr/bin/env bash
# The window on Wayland itself (Qt's wayland platform, no X display): under a headless Weston
# it starts, takes a file handed over by a second start, is drawn, and SIGTERM saves the
# options. Under Weston's X11 backend inside Xvfb, where xdotool drives the pointer, a click on
# the maximize button of the title bar that Qt draws leaves the window running, at its fixed
# size, and still drawing. With KL_SCREENSHOTS set to a folder, the window is saved there.
# Skipped (77) without Weston or Qt's Wayland platform.
set -euo pipefail
launcher="$1"
command -v weston >/dev/null && command -v weston-screenshooter >/dev/null && command -v convert >/dev/null \
  && ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 \
  || { echo "SKIP: weston, qt6-wayland or imagemagick is not installed"; exit 77; }
. "$(dirname "$0")/lib.sh"

weston_pid=""
stop_weston() {
  if [ -n "$weston_pid" ]; then kill "$weston_pid" 2>/dev/null || true; wait "$weston_pid" 2>/dev/null || true; fi
  weston_pid=""
}
trap 'stop_weston; cleanup' EXIT

portable_copy "$launcher"
other="$work/other"
mkdir -p "$other" "$work/shots"
: > "$roms/Alpha.vb"
: > "$other/Handed.vb"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
printf '[core]\nidle-time=0\n[shell]\nbackground-color=0xff000000\npanel-position=none\nlocking=false\nanimation=none\n' \
  > "$work/weston.ini"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=wayland-kl QT_QPA_PLATFORM=wayland

# Weston with the given backend; the screenshooter needs --debug.
start_weston() {
  weston --backend="$1" --use-pixman --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
    --config="$work/weston.ini" --debug >"$work/weston.log" 2>&1 &
  weston_pid=$!
  wait_for 10 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || { cat "$work/weston.log" >&2; fail "Weston did not start"; }
}
# The screen as Weston composes it, in $work/shots/$1.png; prints the drawn area's
# "X Y WIDTH HEIGHT" (the background is black; the pointer, kept in the top left corner, is
# painted over).
screenshot() {
  rm -f "$work/shots/"wayland-screenshot*.png
  (cd "$work/shots" && weston-screenshooter) || fail "no screenshot"
  mv "$work/shots/"wayland-screenshot*.png "$work/shots/$1.png"
  convert "$work/shots/$1.png" -fill black -draw 'rectangle 0,0 31,31' -trim -format '%X %Y %w %h\n' info: 2>/dev/null \
    | tr -d '+'
}
window_drawn() { set -- $(screenshot probe); [ "$3" -gt 300 ] && [ "$4" -gt 300 ]; }
alive() { kill -0 "$app_pid" 2>/dev/null; }

# Headless, as a session without any X server.
start_weston headless-backend.so
rm -f "$prog/Data/GUI.ini"
env -u DISPLAY "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 window_drawn || fail "the window was not drawn on Wayland"
( cd "$other" && env -u DISPLAY timeout 10 "$prog/kalmora-launcher" Handed.vb ) >"$work/second.log" 2>&1 \
  || fail "the hand-over on Wayland failed"
expect_args "handed over on Wayland" "$other/Handed.vb" -display frame -dspmode normal -pallet normal -brite 1.0 \
  -sclscr 1 -frmskp 0
read -r x y w h < <(screenshot wayland)
[ -n "${KL_SCREENSHOTS:-}" ] && convert "$work/shots/wayland.png" -crop "${w}x$h+$x+$y" "$KL_SCREENSHOTS/wayland-window.png"
kill -TERM "$app_pid"
wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "SIGTERM did not end the window on Wayland"
status=0; wait "$app_pid" || status=$?; app_pid=""
[ "$status" -eq 143 ] || fail "SIGTERM on Wayland: exit status $status"
[ -f "$prog/Data/GUI.ini" ] || fail "SIGTERM on Wayland did not save GUI.ini"
grep -q "Wayland\|wayland" "$work/app.log" && { cat "$work/app.log" >&2; fail "Qt complained about Wayland"; }
stop_weston
echo "Wayland: started, took a hand-over, drawn ${w}x$h, SIGTERM saved the options"

# Weston inside Xvfb, where the pointer can be driven: the maximize button of Qt's title bar.
rm -rf "$XDG_RUNTIME_DIR"  # start_xvfb makes it anew, private
start_xvfb
start_weston x11-backend.so
xdotool mousemove 0 0
# The protocol log shows that the click did ask for the maximized state, and that it was taken
# back (libwayland 1.23 writes interface#id where older ones wrote interface@id).
env -u DISPLAY WAYLAND_DEBUG=1 "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 window_drawn || fail "the window was not drawn under Weston's X11 backend"
read -r x y w h < <(screenshot before)
# Qt's title bar: close, maximize, minimize from the right, each about 25 pixels wide. Press
# and release apart: Debian 13's Weston passes on no button that comes with its motion.
xdotool mousemove $((x + w - 40)) $((y + 14)) sleep 0.5 mousedown 1 sleep 0.2 mouseup 1 sleep 0.3 mousemove 0 0
# The state is taken back from a timer of the program's own, so all of it is waited for.
taken_back() { ! alive || grep -q 'xdg_toplevel[@#][0-9]*\.unset_maximized()' "$work/app.log"; }
size_back() { read -r x2 y2 w2 h2 < <(screenshot after); [ "$w2" -eq "$w" ] && [ "$h2" -eq "$h" ]; }
wait_for 10 taken_back
alive || { grep -v '^\[' "$work/app.log" >&2; fail "a click on maximize ended the program"; }
grep -q 'xdg_toplevel[@#][0-9]*\.set_maximized()' "$work/app.log" || fail "the click did not reach the maximize button"
grep -q 'xdg_toplevel[@#][0-9]*\.unset_maximized()' "$work/app.log" || fail "the window did not leave the maximized state"
wait_for 10 size_back || fail "after maximize the window is ${w2}x$h2, not ${w}x$h"
alive || { grep -v '^\[' "$work/app.log" >&2; fail "the program ended after the maximize"; }
# Still drawing: a click on the first file paints its row as selected.
before_px="$(convert "$work/shots/after.png" -format "%[pixel:p{$((x2 + 12)),$((y2 + 55))}]" info:)"
xdotool mousemove $((x2 + 60)) $((y2 + 56)) click 1 sleep 0.3 mousemove 0 0
repainted() {
  screenshot selected >/dev/null
  [ "$(convert "$work/shots/selected.png" -format "%[pixel:p{$((x2 + 12)),$((y2 + 55))}]" info:)" != "$before_px" ]
}
wait_for 10 repainted || fail "the window no longer draws after maximize ($before_px)"
xdotool key alt+x
wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "Alt+X did not end the program"
wait "$app_pid" || { grep -v '^\[' "$work/app.log" >&2; fail "the launcher exited with an error"; }
app_pid=""
echo "Wayland, maximize clicked: the window stayed, ${w}x$h, and went on drawing"
echo "wayland: 2 passed, 0 failed"
