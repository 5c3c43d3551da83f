#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, then the interface tests
# again with more jobs than cores. The ctest summaries are the last things printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVEK_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize=${TARVEK_SANITIZE_BUILD_DIR:-$root/build-sanitize}
cmake -S "$root" -B "$sanitize" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEK_SANITIZE=ON >/dev/null
cmake --build "$sanitize" --parallel "$(nproc)"
(cd "$sanitize" && UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --timeout 600 -j "$(nproc)")

# Each fuzz target for a bounded time from its seed corpus.
"$root/fuzz/run.sh" "${TARVEK_FUZZ_SECONDS:-60}"

cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"

# The interface tests wait on conditions, never on time: they must pass on a
# machine busier than it has cores.
ctest --output-on-failure --timeout 600 -L gui -j "$((2 * $(nproc) + 2))"
