#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVEK_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
exec "$build/ui/tarvek" "$@"
