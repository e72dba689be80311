#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev
  zlib1g-dev libzip-dev
  xvfb xauth xdotool x11-utils fonts-dejavu-core
  desktop-file-utils appstream shared-mime-info hicolor-icon-theme
  dpkg-dev file lintian
  clang libclang-rt-14-dev libbenchmark-dev
)

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
