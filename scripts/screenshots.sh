#!/usr/bin/env bash
# Renews the pictures of Tarvek's main windows in help/images, which the README
# and the help show: the windows run under a virtual X server (Xvfb) with the
# example population of the Californian schools, and each one is saved as PNG.
# Installs xvfb and imagemagick when they are missing. Usage: screenshots.sh [BUILD_FOLDER]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build-screenshots}"  # optional argument: a build folder to reuse
images="$root/help/images"

"$root/scripts/install-deps.sh"
missing=()
for package in xvfb xauth imagemagick; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tarvek_screenshot_tour tarvek_help

mkdir -p "$images"
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$build/packaging/tarvek_screenshot_tour" "$root/data/schools.pop" "$images"

# Without metadata (time stamps), so that unchanged windows give unchanged files.
for picture in "$images"/*.png; do
    convert "$picture" -strip "$picture"
done
echo "Pictures written to $images"
