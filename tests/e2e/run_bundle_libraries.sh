#!/usr/bin/env bash
# The self-contained folder's library picking: which sonames are the system's, and what the
# built program and the window's platform plugins bring along, read from their NEEDED entries
# on this machine: Qt, ICU, libzip, nettle, xkbcommon and the xcb extensions are copied, and
# nothing of the system's list is, nor anything only a system library needs.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/../../scripts/bundle-lib.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

# soname, then system (the system provides it) or copied
while read -r name kind; do
  if bundle_system_library "$name"; then got=system; else got=copied; fi
  [ "$got" = "$kind" ] || fail "$name: $got, expected $kind"
done <<'TABLE'
libc.so.6 system
libm.so.6 system
ld-linux-x86-64.so.2 system
libresolv.so.2 system
libnss_files.so.2 system
libstdc++.so.6 system
libgcc_s.so.1 system
libGL.so.1 system
libGLX.so.0 system
libGLX_mesa.so.0 copied
libEGL.so.1 system
libOpenGL.so.0 system
libGLdispatch.so.0 system
libdrm.so.2 system
libgbm.so.1 system
libX11.so.6 system
libX11-xcb.so.1 system
libxcb.so.1 system
libxcb-dri3.so.0 system
libxcb-icccm.so.4 copied
libxcb-xkb.so.1 copied
libwayland-client.so.0 system
libwayland-egl.so.1 system
libwayland-cursor.so.0 copied
libfontconfig.so.1 system
libfreetype.so.6 system
libharfbuzz.so.0 system
libharfbuzz-subset.so.0 copied
libz.so.1 system
libzip.so.4 copied
libzstd.so.1 copied
libexpat.so.1 system
libasound.so.2 system
libQt6Core.so.6 copied
libicudata.so.72 copied
libxkbcommon.so.0 copied
TABLE

plugins="/usr/lib/$(gcc -print-multiarch)/qt6/plugins"
files=("$launcher" "$(dirname "$launcher")/kalmora-watch" "$plugins/platforms/libqxcb.so")
wayland=false
if [ -f "$plugins/platforms/libqwayland-generic.so" ]; then
  files+=("$plugins/platforms/libqwayland-generic.so" "$plugins/wayland-shell-integration/libxdg-shell.so")
  wayland=true
fi
closure="$(bundle_closure "${files[@]}")" || fail "bundle_closure"
names="$(cut -f1 <<<"$closure")"
expected=(libQt6Core.so.6 libQt6Gui.so.6 libQt6Widgets.so.6 libQt6Network.so.6 libQt6XcbQpa.so.6 libQt6DBus.so.6
          libnettle.so.8 libxkbcommon.so.0 libxkbcommon-x11.so.0 libxcb-icccm.so.4 libxcb-keysyms.so.1)
$wayland && expected+=(libQt6WaylandClient.so.6 libwayland-cursor.so.0)
for name in "${expected[@]}"; do grep -qx "$name" <<<"$names" || fail "$name is not copied"; done
for pattern in '^libicuuc\.so\.' '^libzip\.so\.' '^libpcre2-16\.so\.'; do
  grep -q "$pattern" <<<"$names" || fail "nothing matching $pattern is copied"
done
while read -r name; do
  ! bundle_system_library "$name" || fail "$name, the system's, would be copied"
done <<<"$names"
# Only the system's harfbuzz and xcb need these: they come with them, not from the bundle.
for name in libgraphite2.so.3 libXau.so.6 libXdmcp.so.6; do
  ! grep -qx "$name" <<<"$names" || fail "$name is copied"
done
# Every copied path is the soname's file on this system.
while IFS=$'\t' read -r name path; do
  [ -f "$path" ] || fail "$name resolves to $path, which is no file"
  LC_ALL=C readelf -d "$path" | grep -q "(SONAME).*\[$name\]" || fail "$path is not $name"
done <<<"$closure"
echo "library picking: $(wc -l <<<"$names") libraries copied, none of the system's"
