#!/usr/bin/env bash
# A user install to a temporary prefix: the layout, the desktop entry, and the installed
# program started through its symbolic link under Xvfb. It launches a Windows emulator
# through a stand-in Wine, then saves both files in its own folder under the prefix.
set -euo pipefail
build="$1"
. "$(dirname "$0")/lib.sh"

prefix="$work/home dir/.local"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "install"; }
folder="$prefix/lib/kalmora-launcher"
[ -x "$folder/kalmora-launcher" ] || fail "no executable in $folder"
[ -d "$folder/Data" ] && [ -z "$(ls -A "$folder/Data")" ] || fail "Data must be an empty folder"
[ -s "$folder/Docs/Readme.txt" ] && [ -s "$folder/Docs/History.txt" ] || fail "documents missing"
[ -L "$prefix/bin/kalmora-launcher" ] || fail "bin/kalmora-launcher is not a symbolic link"
[ "$(readlink -f "$prefix/bin/kalmora-launcher")" = "$(readlink -f "$folder/kalmora-launcher")" ] || fail "link target"
for icon in scalable/apps/kalmora-launcher.svg 16x16/apps/kalmora-launcher.png 32x32/apps/kalmora-launcher.png \
            64x64/apps/kalmora-launcher.png; do
  [ -s "$prefix/share/icons/hicolor/$icon" ] || fail "icon $icon missing"
done
entry="$prefix/share/applications/kalmora-launcher.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
# The Exec value, unquoted and unescaped as a desktop would, names the link.
exec_value="$(sed -n 's/^Exec=//p' "$entry")"
unescaped="$(printf '%s' "$exec_value" | sed -e 's/^"//' -e 's/"$//' -e 's/\\\\/\\/g' -e 's/\\\(.\)/\1/g')"
[ "$unescaped" = "$prefix/bin/kalmora-launcher" ] || fail "Exec names $unescaped"

# A Windows emulator: the file begins with MZ; Wine is a stand-in on the PATH that records.
emu="$work/emu dir"; roms="$work/roms \$x"; bin="$work/bin"
mkdir -p "$emu" "$roms" "$bin"
printf 'MZ\x90\x00\x03\x00' > "$emu/kalmora_boy.exe"
: > "$roms/Wario Land ü.vb"
cat > "$bin/wine" <<'SCRIPT'
#!/bin/sh
pwd > "$WINE_RECORD/cwd.txt"
printf '%s\n' "$@" > "$WINE_RECORD/args.tmp"
mv "$WINE_RECORD/args.tmp" "$WINE_RECORD/args.txt"
SCRIPT
chmod +x "$bin/wine"
export WINE_RECORD="$work"
settings_lines "$emu" "$roms" True False > "$folder/Data/Settings.ini"

start_xvfb
( cd / && PATH="$bin:$PATH" exec "$prefix/bin/kalmora-launcher" ) >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus
keys Down alt+l
wait_for 10 test -f "$work/args.txt" || fail "Wine was not started"
drive="Z:$(printf '%s' "$roms/Wario Land ü.vb" | tr / '\\')"
expected="$(printf '%s\n' "$emu/kalmora_boy.exe" "$drive" -display frame -dspmode normal -pallet normal -brite 1.0 \
  -sclscr 1 -frmskp 0)"
[ "$(cat "$work/args.txt")" = "$expected" ] || { diff <(echo "$expected") "$work/args.txt" >&2; fail "wrong arguments"; }
[ "$(cat "$work/cwd.txt")" = "$emu" ] || fail "wrong working folder: $(cat "$work/cwd.txt")"
exit_launcher

settings_lines "$emu" "$roms" True False > "$work/settings.expected"
cmp -s "$folder/Data/Settings.ini" "$work/settings.expected" || fail "Settings.ini differs"
printf '%s\r\n' True False False False False False False False False False False False True False > "$work/gui.expected"
cmp -s "$folder/Data/GUI.ini" "$work/gui.expected" || fail "GUI.ini differs"
[ ! -e "$prefix/bin/Data" ] || fail "Data was created beside the link"
echo "install: 1 passed, 0 failed"
