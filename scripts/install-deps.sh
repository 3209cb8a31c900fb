#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Quick when everything is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    qt6-base-dev qt6-gtk-platformtheme
    fonts-liberation2 fontconfig
    xvfb xdotool xauth imagemagick poppler-utils
    libcups2-dev cups printer-driver-cups-pdf
    libzint-dev zbar-tools dmtx-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
