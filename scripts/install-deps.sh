#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the demo and the tests need, when missing.
set -euo pipefail
packages=(
  cmake g++ clang clang-format libclang-rt-14-dev pkg-config
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev fontconfig
  fonts-liberation fonts-dejavu-core
  libbullet-dev
  libtinyobjloader-dev
  googletest libgtest-dev libbenchmark-dev
  python3 python3-pytest
  xvfb
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
