#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, if any is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libstorm-dev libbz2-dev smpq
  xvfb xauth fonts-dejavu-core
  # end-to-end tests: the installed program on its own X display, driven over the accessibility bus
  qt6-qpa-plugins python3-pyatspi at-spi2-core dbus-daemon dbus-bin libglib2.0-bin shared-mime-info
  # the Debian package (scripts/package) and its checks: shared-library dependencies, lintian,
  # the desktop's file-type and launcher caches that Debian's triggers refresh
  dpkg-dev file lintian desktop-file-utils xdg-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
