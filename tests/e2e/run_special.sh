#!/usr/bin/env bash
# A named pipe given a ROM's name is listed and selectable by keyboard; File > Properties on it
# answers at once, and the window still answers the keyboard afterwards.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/lib.sh"

prog="$work/prog"; emu="$work/emu"; roms="$work/roms"
mkdir -p "$prog/Data" "$emu" "$roms"
cp "$launcher" "$prog/kalmora-launcher"
: > "$roms/Alpha.vb"
mkfifo "$roms/Pipe.vb"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"

start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus

keys Down Down alt+f p
wait_for 10 has_dialog 'Properties of "Pipe.vb"' || fail "Properties of the pipe did not open"
properties="$(dialog 'Properties of "Pipe.vb"')"
xdotool windowclose "$properties" 2>/dev/null || xdotool windowunmap "$properties"
refocus
keys Up alt+l
expect_args "launch after the pipe's properties" "$roms/Alpha.vb" -display frame -dspmode normal -pallet normal \
  -brite 1.0 -sclscr 1 -frmskp 0
exit_launcher
echo "special files: 1 passed, 0 failed"
