#!/usr/bin/env bash
# Builds Tarvek's WebAssembly programs with Debian's emscripten.
#
#   scripts/web.sh --build-only DIR   builds into DIR and exits
#
# DIR receives tarvek-batch.js (with its .wasm), which `node DIR/tarvek-batch.js
# ARGS` runs as `tarvek-batch ARGS` (--plot aside), and number_text_tests.js.
# The build tree is DIR/build; a second run rebuilds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    echo "usage: $0 --build-only DIR" >&2
    exit 2
}

[[ $# -eq 2 && $1 == --build-only ]] || usage
mkdir -p "$2"
out=$(cd "$2" && pwd)

"$root/scripts/install-deps.sh"
# Debian's emcc runs its JavaScript tools with the system's node, which finds
# Debian's node modules (acorn) only there when node itself is not Debian's.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

build_module() {
    emcmake cmake -S "$root/web" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$out/build" --parallel "$(nproc)"
    for program in tarvek-batch number_text_tests tarvek-engine tarvek-engine-node; do
        cp "$out/build/$program.js" "$out/build/$program.wasm" "$out/"
    done
}

build_module
echo "Built $out/tarvek-batch.js: run it as node $out/tarvek-batch.js ARGS"
