#!/usr/bin/env bash
# Real Wine: a Windows stand-in emulator built with mingw-w64 opens its first argument as an
# ANSI program and as a Unicode one. Each name of the table is started with --run, under a
# UTF-8 locale and under LANG=C, beside a decoy that Wine's own rules would open instead: the
# stand-in must read exactly that file, or the launcher must refuse it with one line and
# status 127. Then the window, by keyboard, and a hand-over. Skipped (77) without Wine or
# mingw-w64.
set -uo pipefail
launcher="$1"; make_image="$2"; fixtures="$3"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
command -v wine >/dev/null && command -v wineserver >/dev/null && command -v x86_64-w64-mingw32-gcc >/dev/null \
  || { echo "SKIP: wine, wine64 or gcc-mingw-w64-x86-64-win32 is not installed"; exit 77; }
. "$(dirname "$0")/lib.sh"

export WINEPREFIX="$work/wine prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
stop_wine() { wineserver -k 2>/dev/null || true; }
trap 'stop_wine; cleanup' EXIT

portable_copy "$launcher"
x86_64-w64-mingw32-gcc -O2 -o "$emu/kalmora_boy.exe" "$source_dir/tests/support/windows_stand_in.c" -lshell32 \
  || fail "the Windows stand-in did not build"
timeout 180 wine wineboot -i >"$work/wineboot.log" 2>&1 || fail "no Wine prefix"
settings_lines "$emu" "$work/rows" True False > "$prog/Data/Settings.ini"

# label | name below a folder of its own (printf %b) | a decoy beside it, or empty | opens or refused
rows=(
  "plain|Game.vb||opens"
  "a blank|Mario Tennis.vb||opens"
  "an apostrophe|Mario's Tennis.vb||opens"
  "a trailing blank|Game.vb |Game.vb|opens"
  "a trailing dot|Game.vb.|Game.vb|opens"
  "a double quote|Say \"Hi\".vb|Say _Hi_.vb|opens"
  "an asterisk|Star*.vb|Star_.vb|opens"
  "a question mark|Who?.vb|Who_.vb|opens"
  "a less-than sign|a<b.vb||opens"
  "a greater-than sign|a>b.vb||opens"
  "a bar|a\\x7cb.vb||opens"
  "a colon|Red:Alarm.vb||opens"
  "a backslash|a\\\\b.vb||refused"
  "a newline|a\\nb.vb||refused"
  "Japanese|\\xe3\\x83\\x86\\xe3\\x83\\x88\\xe3\\x83\\xaa\\xe3\\x82\\xb9.vb||opens"
  "dots, then Japanese|v.b. \\xe3\\x83\\x86\\xe3\\x83\\x88.vb|v.b. __.vb|opens"
  "Latin-1 in UTF-8|Caf\\xc3\\xa9 \\xc2\\xbd.vb|Cafe 1_2.vb|opens"
  "Latin Extended|\\xc4\\x80rea.vb|Area.vb|opens"
  "a non-UTF-8 byte|Caf\\xe9.vb|Caf_.vb|opens"
  "nul.vb|nul.vb||opens"
  "aux.vb|aux.vb||opens"
  "con|con||opens"
  "Com1.vb|Com1.vb||opens"
  "a folder ending in a blank|roms /Game.vb|roms/Game.vb|opens"
  "a folder ending in a dot|roms./Game.vb|roms/Game.vb|opens"
  "a Japanese folder|\\xe3\\x82\\xb2\\xe3\\x83\\xbc\\xe3\\x83\\xa0/Game.vb||opens"
)

# The Wine in use, and the short-name rule that follows from its version.
version="$(wine --version 2>/dev/null)"
case "$version" in
  wine-[0-8].*|wine-9.[0-9]|wine-9.[0-9][^0-9]*|wine-9.10|wine-9.10[^-0-9]*) rule="up to wine-9.10" ;;
  *) rule="wine-9.11 and later" ;;
esac
echo "wine --version: $version, so the short-name rule of $rule is the one checked"
failures=0
run_row() {  # $1 locale, $2 row number, $3 row
  local locale="$1" n="$2" label name decoy expected
  IFS='|' read -r label name decoy expected <<<"$3"
  local folder="$work/rows/$n"
  rm -rf "$folder"; mkdir -p "$folder"
  name="$(printf '%b_' "$name")"; name="${name%_}"
  local rom="$folder/$name"
  mkdir -p "$(dirname "$rom")"
  printf 'ROM %s\r\n' "$n" > "$rom"
  if [ -n "$decoy" ]; then mkdir -p "$(dirname "$folder/$decoy")"; printf 'DECOY %s\r\n' "$n" > "$folder/$decoy"; fi
  rm -f "$emu/record.txt"
  local status=0
  env -u LC_ALL -u LC_CTYPE LANG="$locale" timeout -k 3 20 "$prog/kalmora-launcher" --run "$rom" \
    >"$work/out.txt" 2>"$work/err.txt" || status=$?
  local outcome given=""
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    outcome="HUNG"
  elif [ "$status" -eq 0 ] && [ -f "$emu/record.txt" ] \
       && grep -qx "ansi:ROM $n" "$emu/record.txt" && grep -qx "wide:ROM $n" "$emu/record.txt"; then
    outcome="opens"; given="$(sed -n 's/^arg://p' "$emu/record.txt")"
  elif [ "$status" -eq 127 ] && [ ! -f "$emu/record.txt" ] && [ "$(wc -l < "$work/err.txt")" -eq 1 ] \
       && grep -q 'cannot be opened by the Windows emulator' "$work/err.txt"; then
    outcome="refused"; given="$(cat "$work/err.txt")"
  else
    outcome="WRONG (status $status: $(cat "$emu/record.txt" 2>/dev/null | tr '\n' ' ')$(tr '\n' ' ' < "$work/err.txt"))"
  fi
  local mark="ok"
  [ "$outcome" = "$expected" ] || { mark="FAIL"; failures=$((failures + 1)); }
  printf '%-4s %-8s %-28s %-8s %s\n' "$mark" "$locale" "$label" "$outcome" "$given" | cut -c1-170
  [ "$outcome" = "$expected" ] && [ "$outcome" = opens ] && opened=$((opened + 1))
  [ "$outcome" = "$expected" ] && [ "$outcome" = refused ] && refused=$((refused + 1))
  return 0
}

for locale in C.UTF-8 C; do
  opened=0; refused=0
  for i in "${!rows[@]}"; do run_row "$locale" "$i" "${rows[$i]}"; done
  echo "LANG=$locale: $opened of ${#rows[@]} opened exactly, $refused refused"
done
# Albanian: Wine gives it code page 1250, which has no ñ, Æ or é. So those names go by their
# short names there, or the ANSI program opens the decoy of the plain name, or nothing. The
# locale is made in the test's folder and reaches Wine and the launcher through LOCPATH.
[ -f /usr/share/i18n/locales/sq_AL ] || fail "the locales package is not installed"
mkdir -p "$work/locales"
localedef -i sq_AL -f UTF-8 "$work/locales/sq_AL.UTF-8" || fail "localedef did not make sq_AL.UTF-8"
albanian=(
  "an n with a tilde|Ma\xc3\xb1ana.vb|Manana.vb|opens"
  "Danish letters|\xc3\x86r\xc3\xb8 \xc3\x86bleskiver.vb||opens"
  "Latin-1 in UTF-8|Caf\xc3\xa9 Cr\xc3\xa8me.vb|Cafe Creme.vb|opens"
)
opened=0; refused=0
for i in "${!albanian[@]}"; do LOCPATH="$work/locales" run_row sq_AL.UTF-8 "a$i" "${albanian[$i]}"; done
echo "LANG=sq_AL.UTF-8: $opened of ${#albanian[@]} opened exactly"
[ "$failures" -eq 0 ] || fail "$failures names did not reach the Windows emulator as that file"

# The window, by keyboard: Alt+L on a name ending in a blank (beside the name without it) and on
# a Japanese name; then a hand-over of a name ending in a dot. Each must open exactly that file.
roms="$work/window roms"
mkdir -p "$roms" "$work/handed"
printf 'DECOY\r\n' > "$roms/Game.vb"
printf 'TRAILING\r\n' > "$roms/Game.vb "
printf 'JAPANESE\r\n' > "$roms/$(printf '\xe3\x83\x86\xe3\x83\x88\xe3\x83\xaa\xe3\x82\xb9.vb')"
printf 'HANDED\r\n' > "$work/handed/Game.vb."
printf 'DECOY\r\n' > "$work/handed/Game.vb"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
# All files: "*.vb" does not match a name that ends in a blank.
printf '%s\r\n' False False False True False False False False False False False False True False > "$prog/Data/GUI.ini"
expect_record() {
  wait_for 30 test -f "$emu/record.txt" || fail "the Windows emulator did not start ($1)"
  grep -qx "ansi:$2" "$emu/record.txt" && grep -qx "wide:$2" "$emu/record.txt" \
    || { cat "$emu/record.txt" >&2; fail "another file was opened ($1)"; }
  rm -f "$emu/record.txt"
}
# Wine's processes of one prefix: the server, the services, the programs.
wine_processes() {
  local p
  for p in $(pgrep -f '^(/[^ ]*/)?wine|\.exe'); do
    { tr '\0' '\n' < "/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1" && echo "$p"
  done
  return 0
}
no_wine() { [ -z "$(wine_processes "$1")" ]; }
server_kept() {
  local p
  for p in $(wine_processes "$WINEPREFIX"); do
    { tr '\0' ' ' < "/proc/$p/cmdline"; } 2>/dev/null | grep -q 'wineserver.* -p600' && return 0
  done
  return 1
}
stop_wine
wait_for 20 no_wine "$WINEPREFIX" || fail "Wine did not stop"

rm -f "$emu/record.txt"
start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
# The window opened with a Windows emulator: Wine is made ready, its server kept 10 minutes.
wait_for 10 server_kept || fail "no Wine server kept for the prefix after the window opened"
echo "the window made Wine ready: $(for p in $(wine_processes "$WINEPREFIX"); do { tr '\0' ' ' < "/proc/$p/cmdline"; } 2>/dev/null; echo; done | grep wineserver)"
refocus
keys Down Down alt+l
expect_record "a name ending in a blank, from the list" TRAILING
refocus
keys Down alt+l
expect_record "a Japanese name, from the list" JAPANESE
timeout 10 "$prog/kalmora-launcher" "$work/handed/Game.vb." >"$work/second.log" 2>&1 || fail "the hand-over failed"
expect_record "a name ending in a dot, handed over" HANDED
refocus
exit_launcher

# Opening the window starts no Wine where it is switched off, where the prefix is missing, or
# where the emulator is a native one; a missing prefix stays missing.
native="$work/native emu"
mkdir -p "$native"
stand_in_emulator "$native"
for case in "switched off" "missing prefix" "native emulator"; do
  stop_wine
  wait_for 20 no_wine "$WINEPREFIX" || fail "Wine did not stop"
  prefix="$WINEPREFIX"; ready=1; emulator="$emu"
  case "$case" in
    "switched off") ready=0 ;;
    "missing prefix") prefix="$work/missing prefix" ;;
    "native emulator") emulator="$native" ;;
  esac
  settings_lines "$emulator" "$roms" True False > "$prog/Data/Settings.ini"
  WINEPREFIX="$prefix" KALMORA_WINE_READY="$ready" "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
  app_pid=$!
  wait_for 20 find_window || fail "no window ($case)"
  sleep 3
  no_wine "$prefix" || fail "opening the window started Wine ($case)"
  [ "$case" != "missing prefix" ] || [ ! -e "$prefix" ] || fail "the missing prefix was created"
  refocus
  exit_launcher
  echo "untouched, $case: no Wine process"
done

# Play time under real Wine: the game's session lasts as long as the Windows program does,
# waited for by --run and, for a FILE with no window, by kalmora-watch, whose child is wine.
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
printf 'PLAYED\r\n' > "$work/handed/Played game.vb"
truncate -s 16384 "$work/handed/Played game.vb"  # an image's size
KL_STAND_IN_SECONDS=6 "$prog/kalmora-launcher" --run "$work/handed/Played game.vb" >/dev/null || fail "--run of a game played 6 s"
expect_record "played by --run" PLAYED
KL_STAND_IN_SECONDS=6 timeout 10 "$prog/kalmora-launcher" "$work/handed/Played game.vb" >"$work/second.log" 2>&1 \
  || fail "the start without a window failed"
expect_record "played, started without a window" PLAYED
played() { tr '\0' '\n' < "$prog/Data/play-times" | grep "^$(sha1sum < "$work/handed/Played game.vb" | cut -c1-40) "; }
wait_for 20 bash -c "$(declare -f played); work='$work' prog='$prog' played | grep -q '^[0-9a-f]* 2 '" \
  || fail "the sessions under Wine: $(played)"
read -r _ sessions seconds _ <<<"$(played)"
[ "$seconds" -ge 12 ] && [ "$seconds" -le 16 ] || fail "the sessions under Wine lasted $seconds s"
echo "play time under Wine: $sessions sessions, $seconds s"

# A patched start under real Wine: the Windows program is given the patched image (made by
# Floating IPS's BPS) outside the ROM folder and reads all of it.
"$make_image" source "$work/handed/Squash.vb" && "$make_image" translated "$work/translated.vb" || fail "no fixture image"
cp "$fixtures/translated.bps" "$work/handed/Squash.bps"
rm -f "$emu/record.txt"
"$prog/kalmora-launcher" --run "$work/handed/Squash.vb" >/dev/null 2>"$work/err.txt" || fail "the patched --run: $(cat "$work/err.txt")"
wait_for 30 test -f "$emu/record.txt" || fail "the patched start reached no Windows program"
expected_crc="$(gzip -c < "$work/translated.vb" | tail -c 8 | od -An -tx4 -N4 | tr -d ' ')"
grep -qx "crc:$expected_crc" "$emu/record.txt" || fail "the Windows program read another file: $(tr '\n' ' ' < "$emu/record.txt")"
grep -q '^arg:Z:.*\\Data\\Patched\\' "$emu/record.txt" || fail "not the patched copy: $(grep '^arg:' "$emu/record.txt")"
echo "a patched start under Wine: $(grep '^arg:' "$emu/record.txt"), CRC-32 $expected_crc of all of it"

# Where no wine is installed: a home laid out as Steam and Lutris lay out their builds, and a PATH
# without wine. The stand-ins record how they were started, then run the real Wine: Proton's on
# the prefix in the data folder it was given, as Proton does, the runner's as wine does.
real_wine="$(command -v wine)"
home="$work/home"
ge="$home/.local/share/Steam/compatibilitytools.d/GE-Proton9-20"
runner="$home/.local/share/lutris/runners/wine/lutris-7.2-2-x86_64"
mkdir -p "$ge/files/bin" "$runner/bin" "$work/no wine here" "$home/.local/share/kalmora-launcher/proton"
# Proton makes pfx/ at its first start; this one takes the prefix made above instead of waiting for a new one.
ln -s "$WINEPREFIX" "$home/.local/share/kalmora-launcher/proton/pfx"
printf '1718000000 GE-Proton9-20\n' > "$ge/version"
cat > "$ge/proton" <<SCRIPT
#!/bin/sh
export PATH=/usr/bin:/bin
{ printf 'proton:'; printf ' %s' "\$@"; echo; env | grep -E '^(STEAM_COMPAT_|WINEPREFIX=)' | sort; } > "$work/proton.txt"
[ "\$1" = run ] || exit 2
shift
export WINEPREFIX="\$STEAM_COMPAT_DATA_PATH/pfx"
exec "$real_wine" "\$@"
SCRIPT
printf '#!/bin/sh\nexec %s "$@"\n' "$real_wine" > "$ge/files/bin/wine"
cat > "$runner/bin/wine" <<SCRIPT
#!/bin/sh
[ "\$1" = --version ] || { printf 'runner:'; printf ' %s' "\$@"; echo; } > "$work/runner.txt"
export PATH=/usr/bin:/bin
exec "$real_wine" "\$@"
SCRIPT
chmod +x "$ge/proton" "$ge/files/bin/wine" "$runner/bin/wine"
printf 'ELSEWHERE\r\n' > "$work/handed/Elsewhere (Japan).vb"
without_wine() { env -u WINE -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" PATH="$work/no wine here" "$@"; }
without_wine "$prog/kalmora-launcher" --list-wine > "$work/list.txt" || fail "--list-wine"
printf '* GE-Proton9-20 (Steam)\t%s/proton\n  lutris-7.2-2-x86_64 (Lutris)\t%s/bin/wine\n' "$ge" "$runner" > "$work/list.expected"
diff "$work/list.expected" "$work/list.txt" >&2 || fail "--list-wine"
without_wine "$prog/kalmora-launcher" --print-command "$work/handed/Elsewhere (Japan).vb" > "$work/printed.txt" \
  || fail "--print-command through Proton"
grep -q "^env STEAM_COMPAT_DATA_PATH=$home/.local/share/kalmora-launcher/proton STEAM_COMPAT_CLIENT_INSTALL_PATH=$home/.local/share/Steam $ge/proton run " \
  "$work/printed.txt" || fail "--print-command through Proton: $(cat "$work/printed.txt")"
settings_lines "$emu" "$work/handed" True False > "$prog/Data/Settings.ini"
without_wine "$prog/kalmora-launcher" --run "$work/handed/Elsewhere (Japan).vb" >/dev/null 2>"$work/err.txt" \
  || fail "--run through Proton: $(cat "$work/err.txt")"
expect_record "--run through Proton" ELSEWHERE
echo "--run through Proton, recorded: $(tr '\n' ' ' < "$work/proton.txt")"
grep -q "^proton: run $emu/kalmora_boy.exe Z:.*handed.Elsewhere (Japan).vb -display frame" "$work/proton.txt" \
  && grep -qx "STEAM_COMPAT_CLIENT_INSTALL_PATH=$home/.local/share/Steam" "$work/proton.txt" \
  && grep -qx "STEAM_COMPAT_DATA_PATH=$home/.local/share/kalmora-launcher/proton" "$work/proton.txt" \
  || fail "Proton was started otherwise: $(cat "$work/proton.txt")"

# The window: Alt+L through Proton, then Config > Wine by keyboard picks the Lutris runner, and
# Alt+L and --run go through it; --print-command names it.
rm -f "$work/proton.txt"
without_wine "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window without wine"
refocus
keys Down alt+l
expect_record "Alt+L through Proton" ELSEWHERE
[ -s "$work/proton.txt" ] || fail "Alt+L did not go through Proton"
refocus
keys alt+n w Down Down Return
wait_for 10 test -s "$prog/Data/wine-choice" || fail "Config > Wine kept no choice"
refocus
keys alt+l
expect_record "Alt+L through the Lutris runner" ELSEWHERE
grep -q "^runner: $emu/kalmora_boy.exe Z:.*Elsewhere (Japan).vb" "$work/runner.txt" || fail "Alt+L did not go through the runner"
refocus
exit_launcher
rm -f "$work/runner.txt"
without_wine "$prog/kalmora-launcher" --run "$work/handed/Elsewhere (Japan).vb" >/dev/null 2>"$work/err.txt" \
  || fail "--run through the chosen runner: $(cat "$work/err.txt")"
expect_record "--run through the chosen runner" ELSEWHERE
[ -s "$work/runner.txt" ] || fail "--run did not go through the chosen runner"
without_wine "$prog/kalmora-launcher" --print-command "$work/handed/Elsewhere (Japan).vb" > "$work/printed.txt"
grep -q "^$runner/bin/wine $emu/kalmora_boy.exe " "$work/printed.txt" || fail "--print-command: $(cat "$work/printed.txt")"
without_wine "$prog/kalmora-launcher" --list-wine | grep -q '^\* lutris-7.2-2-x86_64 (Lutris)' || fail "--list-wine marks another"
echo "without wine: --run, Alt+L and --print-command through GE-Proton9-20 (Steam) and the chosen lutris-7.2-2-x86_64 (Lutris)"

echo "PASS: every name opened exactly that file or was refused, under both locales, in the window and handed over"
