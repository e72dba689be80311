#!/usr/bin/env bash
# Installs the Debian packages that one task needs, and only those that are missing:
#   deps.sh run      building and running the launcher (setup-and-run, setup-and-install)
#   deps.sh package  that, and making the Debian package (build-deb)
#   deps.sh bundle   that, and making the self-contained folder (build-bundle)
#   deps.sh test     that, and everything the tests, the sanitizers and the fuzzers use
set -euo pipefail

run=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev
  zlib1g-dev libzip-dev libexpat1-dev nettle-dev
)
package=(dpkg-dev file)
# The self-contained folder: Qt's Wayland platform to copy, and the ELF tools.
bundle=(qt6-wayland patchelf binutils)
test=(
  xvfb xauth xdotool x11-utils fonts-dejavu-core
  desktop-file-utils appstream shared-mime-info hicolor-icon-theme libglib2.0-bin
  lintian
  clang libclang-rt-dev libbenchmark-dev
  wine wine64 gcc-mingw-w64-x86-64-win32 locales
  mame-data
  weston qt6-wayland imagemagick python3
)

case "${1:-run}" in
  run) packages=("${run[@]}") ;;
  package) packages=("${run[@]}" "${package[@]}") ;;
  bundle) packages=("${run[@]}" "${bundle[@]}") ;;
  test) packages=("${run[@]}" "${package[@]}" "${bundle[@]}" "${test[@]}") ;;
  *) echo "usage: deps.sh run|package|bundle|test" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
