#!/usr/bin/env bash
# MAME's software list as Debian's mame-data installs it, through the real window: an image
# forged to one of its games' size and CRC-32, and an empty catalogue beside, by keyboard:
# File > Properties opens on the forged image (the rows it shows are checked by
# test_properties). With KL_SCREENSHOTS set to a folder, the Properties window is saved there.
# Skipped (77) without the list.
set -euo pipefail
launcher="$1"
forge="$2"
list=/usr/share/games/mame/hash/vboy.xml
[ -r "$list" ] || { echo "SKIP: $list (Debian's mame-data) is not installed"; exit 77; }
. "$(dirname "$0")/lib.sh"

portable_copy "$launcher"
mkdir "$prog/Data/Catalogues"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
printf '<?xml version="1.0"?>\n<datafile><header><name>Empty</name></header></datafile>\n' \
  > "$prog/Data/Catalogues/empty.dat"
rom="$(grep -m1 -o '<rom [^>]*>' "$list")"
size="$(sed 's/.* size="\([^"]*\)".*/\1/' <<<"$rom")"
crc="$(sed 's/.* crc="\([^"]*\)".*/\1/' <<<"$rom")"
"$forge" "$roms/Forged.vb" "$size" "$crc" "3D TETRIS" VPBE || fail "no forged image"

start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus
keys Down alt+f p
properties_shown Forged.vb properties-forged.png
exit_launcher
echo "catalogues in the window: 1 passed, 0 failed"
