#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging
# Pyrelle need, where they are missing, and any further packages named on the
# command line. Needs root for apt-get.
#   usage: scripts/deps.sh [PACKAGE...]
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libxcb1-dev libgtest-dev libbenchmark-dev
          xvfb xdotool
          libfuse3-dev fuse3 fontconfig fonts-liberation fonts-dejavu-core
          help2man desktop-file-utils appstream librsvg2-bin dpkg-dev file "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
