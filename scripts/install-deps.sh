#!/usr/bin/env bash
# Installs everything the tool, its simulator and its tests need on Debian 12.
# Runs apt-get as root (through sudo when started by another user).
set -euo pipefail

packages=(cmake make g++ qt6-base-dev qt6-serialport-dev libgtest-dev
          fonts-ipafont-gothic socat xvfb xauth imagemagick xdotool
          dpkg-dev desktop-file-utils fakeroot clang-format lirc
          clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
