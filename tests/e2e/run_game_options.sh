#!/usr/bin/env bash
# Two games, one with options of its own, launched one after the other from the list by
# keyboard: each reaches the emulator with its own switches; File > Recent games starts the
# older one again. The other game then keeps
# options of its own (File > Keep options for this game) and a keyboard change goes to its
# file, while Settings.ini keeps the window's options.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/lib.sh"

prog="$work/prog"; emu="$work/emu dir"; roms="$work/roms"
mkdir -p "$prog/Data/Games" "$emu" "$roms"
cp "$launcher" "$prog/kalmora-launcher"
: > "$roms/Alpha.vb"
: > "$roms/Bravo.vb"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
cp "$prog/Data/Settings.ini" "$work/settings.expected"
# Alpha's own options: 320x200 instead of the window, keyboard layout 2.
settings_lines "" "" False True | tail -n +3 | sed '1s/^True/False/; 2s/^False/True/' > "$prog/Data/Games/Alpha.vb.ini"
common=(-dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0)

# Two games started from outside before the window runs: --run, and a file opened with no window.
: > "$roms/Charlie.vb"
: > "$roms/Delta.vb"
"$prog/kalmora-launcher" --run "$roms/Charlie.vb" || fail "--run Charlie"
expect_args "Charlie by --run" "$roms/Charlie.vb" -display frame "${common[@]}"
"$prog/kalmora-launcher" "$roms/Delta.vb" || fail "opening Delta"
expect_args "Delta opened with no window" "$roms/Delta.vb" -display frame "${common[@]}"

start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus

# Return in the list launches the selected entry and leaves the focus there.
keys Down Return
expect_args "Alpha, its own options" "$roms/Alpha.vb" -display 320 "${common[@]}" -altkbd
keys Down Return
expect_args "Bravo, the window's options" "$roms/Bravo.vb" -display frame "${common[@]}"
keys Up Return
expect_args "Alpha again" "$roms/Alpha.vb" -display 320 "${common[@]}" -altkbd

# A file handed to the window; then File > Recent games lists Charlie, Alpha, Bravo and Delta,
# the four ways in, and its third item starts Bravo, the older of the two started by keyboard.
"$prog/kalmora-launcher" "$roms/Charlie.vb" || fail "handing Charlie over"
expect_args "Charlie handed to the window" "$roms/Charlie.vb" -display frame "${common[@]}"
refocus
keys alt+f t 3
expect_args "Bravo from the recent games" "$roms/Bravo.vb" -display frame "${common[@]}"
# The list is written just after the emulator starts, so the stand-in may have answered first.
recent_in_order() {
  [ "$(tr '\0' '\n' < "$prog/Data/recent-games")" = "$(printf '%s\n' "$roms/"{Bravo,Charlie,Alpha,Delta}.vb)" ]
}
wait_for 10 recent_in_order || { od -c "$prog/Data/recent-games" >&2; fail "recent games"; }
refocus

# Bravo keeps options of its own; Tab Right then moves its display mode to 320x200.
keys Down alt+f g
wait_for 10 test -f "$prog/Data/Games/Bravo.vb.ini" || fail "Bravo kept no options"
refocus
keys Tab Right
exit_launcher

settings_lines "" "" True False | tail -n +3 | sed '1s/^True/False/; 2s/^False/True/' > "$work/bravo.expected"
cmp -s "$prog/Data/Games/Bravo.vb.ini" "$work/bravo.expected" || { od -c "$prog/Data/Games/Bravo.vb.ini" >&2; fail "Bravo's options"; }
cmp -s "$prog/Data/Settings.ini" "$work/settings.expected" || { od -c "$prog/Data/Settings.ini" >&2; fail "Settings.ini holds more than the window's options"; }
echo "game options: 1 passed, 0 failed"
