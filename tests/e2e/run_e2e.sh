#!/usr/bin/env bash
# The built launcher in a real X11 window under Xvfb, driven by keyboard events: it selects
# a file with a hostile name, launches a stand-in emulator, refuses a second instance, picks
# a theme, renames, deletes, resets the emulator options and saves both files at Alt+X.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/lib.sh"

prog="$work/prog"; emu="$work/emu dir"; roms="$work/roms"
mkdir -p "$prog/Data" "$emu" "$roms"
cp "$launcher" "$prog/kalmora-launcher"
odd='Bravo $(touch PWNED) "q" ü.vb'
: > "$roms/Alpha.vb"
: > "$roms/$odd"
: > "$roms/ignored.txt"
cat > "$emu/kalmora_boy.exe" <<'SCRIPT'
#!/bin/sh
here="$(dirname "$0")"
pwd > "$here/cwd.txt"
printf '%s\n' "$@" > "$here/args.tmp"
mv "$here/args.tmp" "$here/args.txt"
SCRIPT
chmod +x "$emu/kalmora_boy.exe"

settings() { settings_lines "$emu" "$roms" "$1" "$2"; }
settings False True > "$prog/Data/Settings.ini"   # keyboard layout 2

start_xvfb

"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus

# The list has the focus first; whether or not it has a current entry yet, Down Down ends on
# the second entry, the odd name.
keys Down Down alt+l
wait_for 10 test -f "$emu/args.txt" || fail "the emulator was not started"
expected="$(printf '%s\n' "$roms/$odd" -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0 -altkbd)"
[ "$(cat "$emu/args.txt")" = "$expected" ] || { diff <(echo "$expected") "$emu/args.txt" >&2; fail "wrong arguments"; }
[ "$(cat "$emu/cwd.txt")" = "$emu" ] || fail "wrong working folder: $(cat "$emu/cwd.txt")"
[ ! -e PWNED ] && [ ! -e "$emu/PWNED" ] && [ ! -e "$roms/PWNED" ] && [ ! -e "$work/PWNED" ] || fail "a shell ran part of a file name"

# A second start while the first runs ends at once, without a window.
timeout 10 "$prog/kalmora-launcher" >"$work/second.log" 2>&1 || fail "second instance did not end cleanly"
[ "$(xdotool search --name '^Kalmora Launcher - GUI for Kalmora Boy$' | wc -l)" -eq 1 ] || fail "a second window"

# Window > Filebrowser theme > Matrix, by keyboard.
keys alt+w f m
# Up selects "Alpha.vb"; File > Rename asks for the new name in a box of its own.
keys Up alt+f r
wait_for 10 has_dialog 'Rename file' || fail "no rename box"
sleep 0.3
xdotool type --delay 30 'Renamed game.vb'; keys Return; refocus
wait_for 10 test -e "$roms/Renamed game.vb" || fail "rename did not happen"
[ ! -e "$roms/Alpha.vb" ] || fail "the old name is still there"
# The list was re-read; whether or not it has a current entry, Down then Up selects the first,
# the odd name. File > Delete asks, Return is Yes.
keys Down Up alt+f d
wait_for 10 has_dialog 'Delete file' || fail "no delete question"
sleep 0.3; keys Return; refocus
wait_for 10 test ! -e "$roms/$odd" || fail "delete did not happen"
# Config > Reset emulator, Yes: the keyboard layout goes back to 1.
keys alt+n e
wait_for 10 has_dialog 'Reset emulator configuration' || fail "no reset question"
sleep 0.3; keys Return; refocus

exit_launcher

[ "$(ls "$roms")" = "$(printf '%s\n' 'Renamed game.vb' ignored.txt)" ] || fail "ROM folder: $(ls "$roms")"
settings True False > "$work/settings.expected"
cmp -s "$prog/Data/Settings.ini" "$work/settings.expected" || fail "Settings.ini differs"
# Matrix is the fourth theme: line 8 ticked, "Default" (line 13) not.
printf '%s\r\n' True False False False False False False True False False False False False False > "$work/gui.expected"
cmp -s "$prog/Data/GUI.ini" "$work/gui.expected" || { od -c "$prog/Data/GUI.ini" >&2; fail "GUI.ini differs"; }
[ -z "$(ls "$prog/Data" | grep -v -e '^Settings.ini$' -e '^GUI.ini$' -e '^recent-games$')" ] || fail "stray files in Data"
echo "e2e: 1 passed, 0 failed"
