#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and is not there yet.
# Needs root for apt-get; without it, prints the exact command to run and stops.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev
    ffmpeg fonts-liberation2
    libavformat-dev libavcodec-dev libavfilter-dev libavutil-dev
    clang-format clang-tidy
    fonts-dejavu-core xdg-utils python3
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Quire needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root with:" >&2
    echo "  sudo sh -c '$cmd'" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
sh -c "$cmd"
