#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the program and the tests
# need, and only those that are missing. Safe to run again; run it as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  googletest                         # built from source by every build, Windows included
  libfltk1.3-dev fluid libcurl4-openssl-dev fonts-noto-cjk   # the Linux program (FLTK's CMake files require fluid)
  g++-mingw-w64-x86-64-posix wine wine64               # the Windows build and its tests
  python3 openssl ca-certificates                      # the loopback test sites
  xvfb xauth xdotool x11-utils imagemagick             # the window smoke tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: every package is installed"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing; run this script as root: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
