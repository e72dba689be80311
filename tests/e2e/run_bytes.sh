#!/usr/bin/env bash
# Names that are not UTF-8, in a real window: a ROM folder named in Latin-1 holding a file
# with the byte 0xE9 and one with Shift-JIS bytes. Each is launched by keyboard with its exact
# bytes; one is renamed and the other deleted; Settings.ini keeps the folder line byte for byte.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/lib.sh"

prog="$work/prog"; emu="$work/emu dir"
roms="$work/$(printf 'Sammlung \374')"
latin="$(printf 'Caf\351 Racer.vb')"
sjis="$(printf '\203\145\203\130\203\147.vb')"
mkdir -p "$prog/Data" "$emu" "$roms"
cp "$launcher" "$prog/kalmora-launcher"
: > "$roms/$latin"
: > "$roms/$sjis"
cat > "$emu/kalmora_boy.exe" <<'SCRIPT'
#!/bin/sh
here="$(dirname "$0")"
printf '%s\n' "$1" > "$here/rom.tmp"
mv "$here/rom.tmp" "$here/rom.txt"
SCRIPT
chmod +x "$emu/kalmora_boy.exe"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
cp "$prog/Data/Settings.ini" "$work/settings.expected"

expect_rom() {
  wait_for 10 test -f "$emu/rom.txt" || fail "the emulator was not started for $1"
  cmp -s "$emu/rom.txt" <(printf '%s\n' "$1") || { od -c "$emu/rom.txt" >&2; fail "wrong bytes for $1"; }
  rm "$emu/rom.txt"
}

start_xvfb
LC_ALL=C.UTF-8 "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus

# Sorted by bytes past ASCII: the Latin-1 name first, the Shift-JIS one second.
keys Down Return
expect_rom "$roms/$latin"
keys Down Return
expect_rom "$roms/$sjis"

# Rename the Shift-JIS file (selected) to a plain name.
keys alt+f r
wait_for 10 has_dialog 'Rename file' || fail "no rename box"
sleep 0.3
xdotool type --delay 30 'Renamed.vb'; keys Return; refocus
wait_for 10 test -e "$roms/Renamed.vb" || fail "rename did not happen"
[ ! -e "$roms/$sjis" ] || fail "the Shift-JIS name is still there"
# The list was read again: Down selects the first entry, the Latin-1 name; delete it.
keys Down alt+f d
wait_for 10 has_dialog 'Delete file' || fail "no delete question"
sleep 0.3; keys Return; refocus
wait_for 10 test ! -e "$roms/$latin" || fail "delete did not happen"

exit_launcher
[ "$(ls "$roms")" = "Renamed.vb" ] || fail "ROM folder: $(ls "$roms" | od -c)"
cmp -s "$prog/Data/Settings.ini" "$work/settings.expected" || { od -c "$prog/Data/Settings.ini" | head >&2; fail "Settings.ini differs"; }
echo "bytes: 1 passed, 0 failed"
