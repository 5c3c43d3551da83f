#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The ctest summary is the
# last thing printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVEK_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
