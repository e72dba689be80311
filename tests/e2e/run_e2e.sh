#!/usr/bin/env bash
# The built launcher in a real X11 window under Xvfb, driven by keyboard events: it selects
# a file with a hostile name, launches a stand-in emulator, refuses a second instance, picks
# a theme, renames, deletes, resets the emulator options and saves both files at Alt+X.
set -euo pipefail
launcher="$1"
work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls until the command succeeds, for at most $1 seconds.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

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

settings() {
  printf '%s\r\n' "$emu" "$roms" True False False False False " 0 " False True False False False False \
    Normal 1.0 " 0 " 1x "0 f./sec." " 0 " "$1" "$2" " 0 " "None connected to PC" " 0 " " 0 " " 0 " " 0 " " 0 " " 0 "
}
settings False True > "$prog/Data/Settings.ini"   # keyboard layout 2

# A display of our own, whatever else runs on the machine.
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$work/displayfd" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/displayfd")"
export XDG_RUNTIME_DIR="$work/run"; mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
window=""
find_window() { window=$(xdotool search --name '^Kalmora Launcher - GUI for Kalmora Boy$' 2>/dev/null | head -n1); [ -n "$window" ]; }
wait_for 20 find_window || fail "no window"
keys() { for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.15; done; }
# Without a window manager nobody activates the window, nor gives it back its activation when
# a dialog closes; shortcuts only work in the active window. Moving the focus away first makes
# sure the window gets a focus-in event, which is what activates it.
root_window="$(xwininfo -root | awk '/Window id:/ {print $4}')"
refocus() {
  sleep 0.3
  xdotool windowfocus "$root_window" 2>/dev/null || true
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.2
}
refocus

# The list has the focus first: Down selects "Alpha.vb", the next Down the odd name.
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
dialog() { xdotool search --name "^$1\$" 2>/dev/null | head -n1; }
wait_for 10 test -n "$(dialog 'Rename file')" || fail "no rename box"
sleep 0.3
xdotool type --delay 30 'Renamed game.vb'; keys Return; refocus
wait_for 10 test -e "$roms/Renamed game.vb" || fail "rename did not happen"
[ ! -e "$roms/Alpha.vb" ] || fail "the old name is still there"
# The list was re-read; whether or not it has a current entry, Down then Up selects the first,
# the odd name. File > Delete asks, Return is Yes.
keys Down Up alt+f d
wait_for 10 test -n "$(dialog 'Delete file')" || fail "no delete question"
sleep 0.3; keys Return; refocus
wait_for 10 test ! -e "$roms/$odd" || fail "delete did not happen"
# Config > Reset emulator, Yes: the keyboard layout goes back to 1.
keys alt+n e
wait_for 10 test -n "$(dialog 'Reset emulator configuration')" || fail "no reset question"
sleep 0.3; keys Return; refocus

keys alt+x
wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "Alt+X did not end the program"
wait "$app_pid" || fail "the launcher exited with an error"
app_pid=""

[ "$(ls "$roms")" = "$(printf '%s\n' 'Renamed game.vb' ignored.txt)" ] || fail "ROM folder: $(ls "$roms")"
settings True False > "$work/settings.expected"
cmp -s "$prog/Data/Settings.ini" "$work/settings.expected" || fail "Settings.ini differs"
# Matrix is the fourth theme: line 8 ticked, "Default" (line 13) not.
printf '%s\r\n' True False False False False False False True False False False False False False > "$work/gui.expected"
cmp -s "$prog/Data/GUI.ini" "$work/gui.expected" || { od -c "$prog/Data/GUI.ini" >&2; fail "GUI.ini differs"; }
[ -z "$(ls "$prog/Data" | grep -v -e '^Settings.ini$' -e '^GUI.ini$')" ] || fail "stray files in Data"
echo "e2e: 1 passed, 0 failed"
