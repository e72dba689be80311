#!/usr/bin/env bash
# The Debian package of the build it is given: cpack with the build's CPackConfig, lintian
# without errors, no maintainer scripts, dpkg -i, the installed files and their validators, the
# program started from /usr/bin under Xvfb by a user whose options land in ~/.config, then
# dpkg --purge leaves none of the installed files behind. It installs a package on the machine,
# so it runs only when asked (CI=true, as CI sets it, or KALMORA_TEST_PACKAGE=1), as root, and
# on a machine that does not have the package already: exit 77 (skipped) otherwise.
set -euo pipefail
build="$1"
pkg=kalmora-launcher
id=org.example.kalmora_launcher
skip() { echo "package: 0 passed, 0 failed, 1 skipped ($1)"; exit 77; }
[ "${CI:-}" = true ] || [ "${KALMORA_TEST_PACKAGE:-}" = 1 ] || skip "it installs a package: set KALMORA_TEST_PACKAGE=1 to run it"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
# A package the machine had before is the user's: never purged, and the test left alone.
if [ -n "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null | grep -v '^not-installed$' || true)" ]; then
  skip "$pkg is already installed on this machine"
fi
. "$(dirname "$0")/lib.sh"

# This test's install is purged at the end, whatever happens.
purge_package() {
  local status
  status="$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)"
  if [ -n "$status" ] && [ "$status" != not-installed ]; then
    dpkg --purge --force-remove-reinstreq "$pkg" >"$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; return 1; }
  fi
}
trap 'purge_package || true; cleanup' EXIT

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")"
arch="$(dpkg --print-architecture)"
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$work/deb/${pkg}_${version}_$arch.deb"
[ -f "$deb" ] || { ls "$work/deb" >&2; fail "no $deb"; }

# lintian: no errors (it exits non-zero on one); its warnings and notes are shown.
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian"; }
sed 's/^/lintian: /' "$work/lintian.log"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reported errors"

# The control fields, and only control and md5sums: the triggers of desktop-file-utils,
# hicolor-icon-theme and shared-mime-info refresh the caches, no maintainer script does.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$pkg" ] && [ "$(field Version)" = "$version" ] && [ "$(field Architecture)" = "$arch" ] \
  || fail "control: $(field Package) $(field Version) $(field Architecture)"
[ "$(field Section)" = games ] || fail "section $(field Section)"
field Depends | grep -q 'libqt6widgets6' || fail "dependencies: $(field Depends)"
[ "$(field Recommends)" = "qt6-wayland, wine" ] || fail "recommends: $(field Recommends)"
[ "$(field Suggests)" = mame-data ] || fail "suggests: $(field Suggests)"
[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | LC_ALL=C sort | tr '\n' ' ')" = "control md5sums " ] \
  || fail "control archive: $(dpkg-deb --ctrl-tarfile "$deb" | tar -t | tr '\n' ' ')"

dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }
dpkg -L "$pkg" > "$work/listed"
expected_files="/usr/bin/kalmora-launcher
/usr/games/kalmora-launcher
/usr/lib/kalmora-launcher/Docs/History.txt
/usr/lib/kalmora-launcher/Docs/Readme.txt
/usr/lib/kalmora-launcher/installed-copy
/usr/lib/kalmora-launcher/kalmora-launcher
/usr/lib/kalmora-launcher/kalmora-watch
/usr/share/applications/$id.desktop
/usr/share/doc/kalmora-launcher/changelog.gz
/usr/share/doc/kalmora-launcher/copyright
/usr/share/icons/hicolor/16x16/apps/$id.png
/usr/share/icons/hicolor/32x32/apps/$id.png
/usr/share/icons/hicolor/64x64/apps/$id.png
/usr/share/icons/hicolor/scalable/apps/$id.svg
/usr/share/man/man6/kalmora-launcher.6.gz
/usr/share/metainfo/$id.metainfo.xml"
files="$(while IFS= read -r p; do [ -d "$p" ] && [ ! -L "$p" ] || printf '%s\n' "$p"; done < "$work/listed" | LC_ALL=C sort)"
[ "$files" = "$expected_files" ] || { diff <(echo "$expected_files") <(echo "$files") >&2; fail "package contents"; }
program=/usr/lib/kalmora-launcher
[ "$(readlink /usr/bin/kalmora-launcher)" = ../lib/kalmora-launcher/kalmora-launcher ] || fail "bin link"
[ "$(readlink /usr/games/kalmora-launcher)" = ../lib/kalmora-launcher/kalmora-launcher ] || fail "games link"
[ -f "$program/installed-copy" ] && [ ! -e "$program/Data" ] || fail "the marker, and no Data folder"
file -b "$program/kalmora-launcher" | grep -q 'ELF.*, stripped' || fail "not stripped: $(file -b "$program/kalmora-launcher")"
[ "$(stat -c %U:%a "$program/kalmora-launcher")" = root:755 ] || fail "program owner and mode"

entry="/usr/share/applications/$id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
[ "$(sed -n 's/^Exec=//p' "$entry")" = '"/usr/bin/kalmora-launcher" %f' ] || fail "Exec: $(grep ^Exec= "$entry")"
appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
# desktop-file-utils' trigger registered the entry for the ROM type.
grep -q "^application/x-virtual-boy-rom=\(.*;\)\?$id.desktop;" /usr/share/applications/mimeinfo.cache \
  || fail "the desktop database does not list the entry for application/x-virtual-boy-rom"

# A user whose options, with the emulator and ROM folders, are in ~/.config/kalmora-launcher.
home="$work/home"; emu="$work/emu dir"; roms="$work/roms"
options="$home/.config/kalmora-launcher"
mkdir -p "$home/.config" "$emu" "$roms"
mkdir -m 700 "$options"
: > "$roms/Galactic Pinball.vb"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$options/Settings.ini"
cp "$options/Settings.ini" "$work/settings.expected"
find "$program" -printf '%P|%y|%s|%m|%T@\n' | LC_ALL=C sort > "$work/program.before"

start_xvfb
( cd / && HOME="$home" exec env -u XDG_CONFIG_HOME /usr/bin/kalmora-launcher ) >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus
keys Down alt+l
wait_for 10 test -f "$emu/args.txt" || fail "the emulator was not started"
expected="$(printf '%s\n' "$roms/Galactic Pinball.vb" -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0)"
[ "$(cat "$emu/args.txt")" = "$expected" ] || { diff <(echo "$expected") "$emu/args.txt" >&2; fail "wrong arguments"; }
refocus
exit_launcher
cmp -s "$options/Settings.ini" "$work/settings.expected" || { od -c "$options/Settings.ini" >&2; fail "Settings.ini differs"; }
printf '%s\r\n' True False False False False False False False False False False False True False > "$work/gui.expected"
cmp -s "$options/GUI.ini" "$work/gui.expected" || { od -c "$options/GUI.ini" >&2; fail "GUI.ini differs"; }
find "$program" -printf '%P|%y|%s|%m|%T@\n' | LC_ALL=C sort > "$work/program.after"
diff "$work/program.before" "$work/program.after" >&2 || fail "the program wrote into $program"

# Purged, nothing the package installed is left: every listed path is gone, or is a folder
# that another package owns.
dpkg --purge "$pkg" >"$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; fail "dpkg --purge"; }
[ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || echo not-installed)" = not-installed ] \
  || fail "still known to dpkg after the purge"
while IFS= read -r p; do
  [ "$p" = /. ] && continue
  if [ -e "$p" ] || [ -L "$p" ]; then
    [ -d "$p" ] && [ ! -L "$p" ] && dpkg -S "$p" >/dev/null 2>&1 || fail "left behind after the purge: $p"
  fi
done < "$work/listed"
! grep -q "$id.desktop" /usr/share/applications/mimeinfo.cache 2>/dev/null || fail "the desktop database still lists the entry"
echo "package: 1 passed, 0 failed"
