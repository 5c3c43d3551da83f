#!/usr/bin/env bash
# Installs the Debian packages Tarvek needs to build, test and run. Quick when
# everything is already there: apt is only called for what is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins fonts-dejavu-core
    fonts-liberation2 fonts-comic-neue
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    libfast-float-dev libdragonbox-dev emscripten
    libchm-dev fp-utils-3.2.2
    nodejs chromium
    clang libclang-rt-14-dev
    desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
# The page's build runs npm, which some node packages leave out.
command -v npm >/dev/null || missing+=(npm)
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
