#!/usr/bin/env bash
# A user install to a temporary prefix with a blank in it: the layout of an installed copy (the
# marker, no Data folder), the desktop entry and metainfo through their validators, and the
# installed program started through its symbolic link under Xvfb by two users one after the
# other. The first launches a Windows emulator through a stand-in Wine; each picks another
# file list theme by keyboard and saves both files in its own ~/.config/kalmora-launcher/,
# and nothing is written under the prefix.
set -euo pipefail
build="$1"
. "$(dirname "$0")/lib.sh"

id=org.example.kalmora_launcher
prefix="$work/pre fix/.local"
# An earlier install's entry under the old name that starts this prefix's program is removed
# (it would be a second menu entry); one that starts anything else stays.
old_entry() { printf '[Desktop Entry]\nType=Application\nName=Kalmora Launcher\nExec="%s"\n' "$1"; }
mkdir -p "$prefix/share/applications"
old_entry "$prefix/bin/kalmora-launcher" > "$prefix/share/applications/kalmora-launcher.desktop"
other="$work/other prefix"
mkdir -p "$other/share/applications"
old_entry /opt/elsewhere/kalmora-launcher > "$other/share/applications/kalmora-launcher.desktop"
cp "$other/share/applications/kalmora-launcher.desktop" "$work/other.desktop"
cmake --install "$build" --prefix "$other" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "install"; }
cmp -s "$other/share/applications/kalmora-launcher.desktop" "$work/other.desktop" || fail "another program's entry was removed"
[ -f "$other/share/applications/org.example.kalmora_launcher.desktop" ] || fail "no entry in $other"
rm -rf "$other"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "install"; }
[ ! -e "$prefix/share/applications/kalmora-launcher.desktop" ] || fail "the earlier install's entry is still there"
folder="$prefix/lib/kalmora-launcher"
[ -x "$folder/kalmora-launcher" ] && [ -f "$folder/kalmora-launcher" ] || fail "no executable in $folder"
[ -f "$folder/installed-copy" ] && [ ! -L "$folder/installed-copy" ] || fail "no installed-copy marker beside the executable"
[ ! -e "$folder/Data" ] || fail "an installed copy must not have a Data folder"
[ "$(cd "$folder" && ls -A | LC_ALL=C sort | tr '\n' ' ')" = "Docs installed-copy kalmora-launcher kalmora-watch " ] \
  || fail "program folder holds: $(ls -A "$folder")"
[ -s "$folder/Docs/Readme.txt" ] && [ -s "$folder/Docs/History.txt" ] || fail "documents missing"
[ -L "$prefix/bin/kalmora-launcher" ] || fail "bin/kalmora-launcher is not a symbolic link"
[ "$(readlink "$prefix/bin/kalmora-launcher")" = ../lib/kalmora-launcher/kalmora-launcher ] || fail "link is not relative"
[ "$(readlink -f "$prefix/bin/kalmora-launcher")" = "$(readlink -f "$folder/kalmora-launcher")" ] || fail "link target"
for icon in "scalable/apps/$id.svg" "16x16/apps/$id.png" "32x32/apps/$id.png" "64x64/apps/$id.png"; do
  [ -s "$prefix/share/icons/hicolor/$icon" ] || fail "icon $icon missing"
done
for size in 16 32 64; do
  file -b "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," \
    || fail "the ${size}x$size icon is not a $size pixel PNG"
done
[ -z "$(find "$prefix/share" -name 'kalmora-launcher.png' -o -name 'kalmora-launcher.svg' -o -name 'kalmora-launcher.desktop')" ] \
  || fail "files under the old name"
[ -s "$prefix/share/man/man6/kalmora-launcher.6.gz" ] || fail "no manual page"
[ -s "$prefix/share/doc/kalmora-launcher/copyright" ] || fail "no copyright file"

entry="$prefix/share/applications/$id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx 'MimeType=application/x-virtual-boy-rom;' "$entry" || fail "MimeType"
grep -qx "Icon=$id" "$entry" || fail "Icon"
# The Exec value: the quoted path, unquoted and unescaped as a desktop would, names the link,
# and the file comes last as %f.
exec_value="$(sed -n 's/^Exec=//p' "$entry")"
case "$exec_value" in *'" %f') ;; *) fail "Exec does not end with the quoted path and %f: $exec_value" ;; esac
quoted="${exec_value% %f}"
unescaped="$(printf '%s' "$quoted" | sed -e 's/^"//' -e 's/"$//' -e 's/\\\\/\\/g' -e 's/\\\(.\)/\1/g')"
[ "$unescaped" = "$prefix/bin/kalmora-launcher" ] || fail "Exec names $unescaped"

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
grep -q '<binary>kalmora-launcher</binary>' "$metainfo" || fail "metainfo binary"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] && grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$metainfo" \
  || fail "metainfo release $version"

snapshot() { find "$prefix" -printf '%P|%y|%s|%m|%T@|%l\n' | LC_ALL=C sort; }
snapshot > "$work/prefix.before"

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

start_xvfb

# Starts the installed program through the link as the user whose home is $1.
start_as() {
  ( cd / && HOME="$1" PATH="$bin:$PATH" exec env -u XDG_CONFIG_HOME "$prefix/bin/kalmora-launcher" ) >"$work/app.log" 2>&1 &
  app_pid=$!
  wait_for 20 find_window || fail "no window"
  refocus
}
# The folder of a home's options: mode 0700 and the two files as expected, nothing else.
check_options() {
  local options="$1/.config/kalmora-launcher"
  [ -d "$options" ] || fail "no $options"
  [ "$(stat -c %a "$options")" = 700 ] || fail "$options has mode $(stat -c %a "$options")"
  cmp -s "$options/Settings.ini" "$2" || { od -c "$options/Settings.ini" >&2; fail "$options/Settings.ini differs"; }
  cmp -s "$options/GUI.ini" "$3" || { od -c "$options/GUI.ini" >&2; fail "$options/GUI.ini differs"; }
  [ "$(ls -A "$options" | LC_ALL=C sort | tr '\n' ' ')" = "GUI.ini Settings.ini " ] || fail "stray files in $options"
}

# First user: the ROM and emulator folders come from the Settings.ini in their config folder.
home1="$work/home one"
mkdir -p "$home1/.config"
mkdir -m 700 "$home1/.config/kalmora-launcher"
settings_lines "$emu" "$roms" True False > "$home1/.config/kalmora-launcher/Settings.ini"
cp "$home1/.config/kalmora-launcher/Settings.ini" "$work/settings1.expected"
start_as "$home1"
keys Down alt+l
wait_for 10 test -f "$work/args.txt" || fail "Wine was not started"
drive="Z:$(printf '%s' "$roms/Wario Land ü.vb" | tr / '\\')"
expected="$(printf '%s\n' "$emu/kalmora_boy.exe" "$drive" -display frame -dspmode normal -pallet normal -brite 1.0 \
  -sclscr 1 -frmskp 0)"
[ "$(cat "$work/args.txt")" = "$expected" ] || { diff <(echo "$expected") "$work/args.txt" >&2; fail "wrong arguments"; }
[ "$(cat "$work/cwd.txt")" = "$emu" ] || fail "wrong working folder: $(cat "$work/cwd.txt")"
refocus
# Window > Filebrowser theme > Matrix, the fourth theme: line 8 ticked, "Default" (line 13) not.
keys alt+w f m
exit_launcher
printf '%s\r\n' True False False False False False False True False False False False False False > "$work/gui1.expected"
check_options "$home1" "$work/settings1.expected" "$work/gui1.expected"

# Second user, with nothing saved yet: the folder is made at the exit, with the default options
# and the first theme, Beach (line 5).
home2="$work/home two"
mkdir "$home2"
start_as "$home2"
keys alt+w f b
exit_launcher
settings_lines "" "" True False > "$work/settings2.expected"
printf '%s\r\n' True False False False True False False False False False False False False False > "$work/gui2.expected"
check_options "$home2" "$work/settings2.expected" "$work/gui2.expected"
# The first user's files are as they were.
check_options "$home1" "$work/settings1.expected" "$work/gui1.expected"

snapshot > "$work/prefix.after"
diff "$work/prefix.before" "$work/prefix.after" >&2 || fail "the program wrote under the prefix"
echo "install: 1 passed, 0 failed"
