#!/usr/bin/env bash
# Keys that desktops expect, on the real window, with the pointer far away: Shift+F10 and the
# menu key open the file list's context menu at the selected file (not at the pointer), with
# the keyboard on "Launch", so Return starts that file; Escape closes File > Properties.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/lib.sh"

portable_copy "$launcher"
: > "$roms/Alpha.vb"
: > "$roms/Beta.vb"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
switches=(-display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0)

start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
xdotool mousemove 1020 764
refocus
eval "$(xdotool getwindowgeometry --shell "$window")"
wx=$X; wy=$Y; ww=$WIDTH; wh=$HEIGHT

# The context menu is the launcher's other visible window while it is open.
menu_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    [ "$w" = "$window" ] || { echo "$w"; return 0; }
  done
  return 1
}
has_menu() { menu_window >/dev/null; }
no_menu() { ! has_menu; }
properties_gone() { ! xdotool search --onlyvisible --name '^Properties of "Beta.vb"$' >/dev/null 2>&1; }
menu_at_the_row() {
  wait_for 10 has_menu || fail "no context menu ($1)"
  eval "$(xdotool getwindowgeometry --shell "$(menu_window)")"
  [ "$X" -ge "$wx" ] && [ "$X" -lt $((wx + ww)) ] && [ "$Y" -ge "$wy" ] && [ "$Y" -lt $((wy + wh)) ] \
    || fail "the menu opened at $X,$Y, outside the window at $wx,$wy ${ww}x$wh ($1)"
}

keys Down shift+F10
menu_at_the_row "Shift+F10"
keys Return
expect_args "Shift+F10, Return" "$roms/Alpha.vb" "${switches[@]}"
wait_for 5 no_menu || fail "the menu stayed open after Return"

refocus
keys Down Menu
menu_at_the_row "the menu key"
keys Return
expect_args "the menu key, Return" "$roms/Beta.vb" "${switches[@]}"

refocus
keys alt+f p
wait_for 10 has_dialog 'Properties of "Beta.vb"' || fail "Properties did not open"
xdotool windowfocus --sync "$(dialog 'Properties of "Beta.vb"')" 2>/dev/null || true
sleep 0.3
keys Escape
wait_for 5 properties_gone || fail "Escape did not close Properties"
refocus
exit_launcher
echo "desktop keys: 3 passed, 0 failed"
