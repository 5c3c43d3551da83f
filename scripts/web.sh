#!/usr/bin/env bash
# Builds Tarvek's WebAssembly programs with Debian's emscripten and the page
# with Vite, installing what is missing first.
#
#   scripts/web.sh                    builds into build-web and serves the page on
#                                     127.0.0.1 (the address is printed)
#   scripts/web.sh --build-only DIR   builds into DIR and exits
#
# DIR receives the page (index.html with its assets), tarvek.html (the whole
# page in one file, which opens from disk), tarvek-batch.js (with its .wasm),
# which `node DIR/tarvek-batch.js ARGS` runs as `tarvek-batch ARGS` (--plot
# aside), and number_text_tests.js. The build tree is DIR/build; a second run
# rebuilds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
page=$root/web/page

usage() {
    echo "usage: $0 [--build-only DIR]" >&2
    exit 2
}

serve=true
if [[ $# -eq 2 && $1 == --build-only ]]; then
    serve=false
    dir=$2
elif [[ $# -eq 0 ]]; then
    dir=$root/build-web
else
    usage
fi
mkdir -p "$dir"
out=$(cd "$dir" && pwd)

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

# The npm packages exactly as the lock file pins them, installed again only
# when the lock file changed.
install_page_packages() {
    local stamp=$page/node_modules/.tarvek-lock
    local lock
    lock=$(sha256sum "$page/package-lock.json")
    [[ -f $stamp && $(cat "$stamp") == "$lock" ]] && return
    (cd "$page" && npm ci --no-audit --no-fund)
    echo "$lock" >"$stamp"
}

build_page() {
    install_page_packages
    # The assets' names carry their hashes: the last build's would stay behind.
    rm -rf "$out/assets"
    (cd "$page" &&
        export TARVEK_ENGINE_DIR=$out/build TARVEK_PAGE_OUT=$out &&
        node protocol-types.mjs &&
        npx tsc --noEmit &&
        npx vite build --logLevel warn &&
        npx vite build --mode single --logLevel warn)
}

build_module
build_page
echo "Built $out/tarvek-batch.js: run it as node $out/tarvek-batch.js ARGS"
echo "Built the page $out/index.html and the single file $out/tarvek.html"
if $serve; then
    echo "Serving $out on 127.0.0.1 (Ctrl+C stops) at:"
    exec node "$page/serve.mjs" "$out" "${TARVEK_WEB_PORT:-8080}"
fi
