#!/usr/bin/env bash
# Patches with real processes: --run of games with a BPS, a UPS and an IPS beside them and of a
# zip with a BPS; the stand-in emulator must be given a path outside the ROM folder, to a file
# that is byte for byte the patched image the fixture was made for, the same path again on a
# second start, and the ROM folder must be unchanged. A BPS made for another image starts
# nothing and writes nothing; a patched session of 6 s is kept under the result's SHA-1. Then
# the window: Alt+L on a patched game, a handed file, the status line and Properties (saved,
# with the window, to KL_SCREENSHOTS when that names a folder).
set -euo pipefail
launcher="$1"; stand_in="$2"; make_image="$3"; fixtures="$4"
. "$(dirname "$0")/lib.sh"

portable_copy "$launcher"
cp "$stand_in" "$emu/kalmora_boy.exe"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
patched="$prog/Data/Patched"
for name in source translated doubled padded halved; do "$make_image" "$name" "$work/$name.vb"; done
key() { sha1sum < "$1" | cut -c1-40; }

# game file | its image (a fixture name, or zip:ENTRY:fixture) | the patch beside it | the result
rows=(
  "Space Squash (Japan).vb|source|translated.bps|translated"
  "Innsmouth no Yakata (Japan).vb|source|padded.ups|padded"
  "Golf (USA).vb|source|halved.ips|halved"
  "Jack Bros. (Japan).zip|zip:Jack Bros. (Japan).vb:source|doubled.bps|doubled"
)
for row in "${rows[@]}"; do
  IFS='|' read -r game image patch _ <<<"$row"
  if [[ "$image" == zip:* ]]; then
    IFS=':' read -r _ entry fixture <<<"$image"
    "$make_image" "$fixture" "$roms/$game" "$entry"
  else
    cp "$work/$image.vb" "$roms/$game"
  fi
  cp "$fixtures/$patch" "$roms/${game%.*}.${patch##*.}"
done
folder_hashes() { (cd "$roms" && find . -type f -print0 | sort -z | xargs -0 sha1sum); }
before="$(folder_hashes)"

printf '%-6s %-32s %-58s %s\n' format game "the stand-in received" result
for row in "${rows[@]}"; do
  IFS='|' read -r game image patch result <<<"$row"
  rm -f "$emu/args.txt"
  "$prog/kalmora-launcher" --run "$roms/$game" 2>"$work/err.txt" || fail "--run $game: $(cat "$work/err.txt")"
  given="$(head -n1 "$emu/args.txt")"
  case "$given" in "$patched"/*) ;; *) fail "$game: the emulator was given $given" ;; esac
  [ "$(basename "$(dirname "$given")")" = "$(key "$work/$result.vb")" ] || fail "$game: not in its result's folder: $given"
  cmp -s "$given" "$work/$result.vb" || fail "$game: $given is not the patched image"
  rm -f "$emu/args.txt"
  "$prog/kalmora-launcher" --run "$roms/$game" || fail "--run $game again"
  [ "$(head -n1 "$emu/args.txt")" = "$given" ] || fail "$game: the second start got another path"
  printf '%-6s %-32s %-58s %s\n' "${patch##*.}" "$game" "${given#"$prog/"}" "byte for byte $result, same path twice"
done
[ "$(folder_hashes)" = "$before" ] || fail "the ROM folder changed"
echo "the ROM folder is unchanged: $(echo "$before" | wc -l) files, each with its SHA-1"

# --print-command names the patched image.
printed="$("$prog/kalmora-launcher" --print-command "$roms/Golf (USA).vb")"
grep -qF "$patched/$(key "$work/halved.vb")/" <<<"$printed" || fail "--print-command: $printed"

# A BPS made for another image: nothing starts, nothing is written, the message names the patch.
cp "$work/doubled.vb" "$roms/Teleroboxer (Japan).vb"
cp "$fixtures/translated.bps" "$roms/Teleroboxer (Japan).bps"
listing="$(find "$patched" | sort)"
rm -f "$emu/args.txt"
status=0; "$prog/kalmora-launcher" --run "$roms/Teleroboxer (Japan).vb" 2>"$work/err.txt" || status=$?
[ "$status" -eq 127 ] || fail "a patch for another image: status $status"
[ ! -e "$emu/args.txt" ] || fail "a patch for another image started the emulator"
[ "$(find "$patched" | sort)" = "$listing" ] || fail "a patch for another image wrote under $patched"
[ "$(wc -l < "$work/err.txt")" -eq 1 ] && grep -q '^kalmora-launcher: The patch "Teleroboxer (Japan).bps" was made for another image of 32768 bytes' "$work/err.txt" \
  || fail "the message: $(cat "$work/err.txt")"
echo "a patch for another image: status 127, nothing started or written: $(cat "$work/err.txt")"

# A patched session of 6 s is the hack's; the image's own figures stay as they were.
times="$prog/Data/play-times"
record() { [ -f "$times" ] && tr '\0' '\n' < "$times" | grep "^$1 " | cut -d' ' -f2,3 || true; }
image_before="$(record "$(key "$work/source.vb")")"
KL_STAND_IN_SECONDS=6 "$prog/kalmora-launcher" --run "$roms/Space Squash (Japan).vb" || fail "the 6 s --run"
read -r sessions seconds <<<"$(record "$(key "$work/translated.vb")")"
[ "$sessions" = 1 ] && [ "$seconds" -ge 6 ] && [ "$seconds" -le 8 ] || fail "the patched session: $sessions $seconds"
[ "$(record "$(key "$work/source.vb")")" = "$image_before" ] || fail "the image's own figures changed"
echo "the patched session: 1 session, $seconds s under the result's SHA-1; the image's figures unchanged"

# The window: Alt+L on the patched game and a file handed to it start the patched image. A
# DAT as RetroAchievements publishes them, with only an MD5, names the translation.
mkdir -p "$prog/Data/Catalogues"
title="Space Squash (Japan) (En) (Test Translation)"
printf '<?xml version="1.0"?>\n<datafile><header><name>Nintendo - Virtual Boy (RetroAchievements)</name></header><game name="%s"><description>%s</description><rom name="%s.vb" md5="%s"/></game></datafile>\n' \
  "$title" "$title" "$title" "$(md5sum < "$work/translated.vb" | cut -c1-32)" > "$prog/Data/Catalogues/ra.dat"
export XDG_DATA_HOME="$work/data"
start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus
if [ -n "${KL_SCREENSHOTS:-}" ] && command -v import >/dev/null; then import -window "$window" "$KL_SCREENSHOTS/window.png"; fi
rm -f "$emu/args.txt"
# The list in name order: Golf, Innsmouth, Space Squash, Teleroboxer (*.vb only).
keys Down Down Down alt+l
wait_for 10 test -f "$emu/args.txt" || fail "Alt+L started nothing"
cmp -s "$(head -n1 "$emu/args.txt")" "$work/translated.vb" || fail "Alt+L: $(head -n1 "$emu/args.txt")"
echo "Alt+L on Space Squash (Japan).vb: the emulator was given the patched image"
rm -f "$emu/args.txt"
timeout 10 "$prog/kalmora-launcher" "$roms/Innsmouth no Yakata (Japan).vb" || fail "the hand-over"
wait_for 10 test -f "$emu/args.txt" || fail "the handed file started nothing"
cmp -s "$(head -n1 "$emu/args.txt")" "$work/padded.vb" || fail "handed: $(head -n1 "$emu/args.txt")"
echo "a handed file: the emulator was given the patched image"
refocus
keys alt+f p
properties_shown 'Space Squash \(Japan\)\.vb' patch-properties.png  # a pattern: the title is looked for
# Its applications menu entry is named as the catalogue names the patched game.
keys alt+f m
wait_for 10 bash -c "ls '$XDG_DATA_HOME/applications/'*.desktop >/dev/null 2>&1" || fail "no applications menu entry"
grep -qxF "Name=$title" "$XDG_DATA_HOME"/applications/*.desktop || fail "the entry: $(cat "$XDG_DATA_HOME"/applications/*.desktop)"
echo "the applications menu entry is named \"$title\""
exit_launcher
echo "PASS: patched starts from --run, the window and a hand-over, and a refusal"
