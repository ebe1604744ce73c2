#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; only
# what is missing, so a machine that has them all is left alone.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev libxi-dev libxkbcommon-dev
    libcurl4-openssl-dev python3-pyftpdlib
    xvfb xauth x11-utils xdotool
    openbox trayer imagemagick
    samba smbnetfs fuse3 iproute2
    fonts-noto-cjk
    libqt6printsupport6 poppler-utils
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != *"install ok installed"* ]]; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
