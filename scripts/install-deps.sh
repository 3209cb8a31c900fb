#!/usr/bin/env bash
# Installs the Debian packages that building and running the program need,
# and any packages named as arguments. Quick when everything is already
# there. Usage: scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-gtk-platformtheme
    fonts-liberation2 fontconfig
    libcups2-dev librsvg2-bin libzint-dev
    libqpdf-dev qt6-pdf-dev qt6-svg-dev
    libzip-dev libuchardet-dev libharfbuzz-dev
    glabels-data libqt6sql6-psql
    "$@"
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
