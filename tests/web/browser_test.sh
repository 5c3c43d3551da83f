#!/usr/bin/env bash
# Builds the page (scripts/web.sh --build-only WEB_DIR) and runs browser_test.mjs
# in headless Chromium. Exits 77 (skipped) without emscripten, Chromium, npm or
# the npm packages.
#
#   browser_test.sh ROOT NATIVE_BATCH WEB_DIR
set -euo pipefail
root=$1 native=$2 web=$3

for tool in emcc npm /usr/bin/chromium; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
if ! "$root/scripts/web.sh" --build-only "$web" >"$web-page.log" 2>&1; then
    cat "$web-page.log"
    # Without the npm registry the page's packages cannot be installed.
    [[ -d $root/web/page/node_modules/playwright-core ]] || { echo "npm packages missing: skipped"; exit 77; }
    exit 1
fi
exec node "$root/tests/web/browser_test.mjs" "$root" "$native" "$web"
