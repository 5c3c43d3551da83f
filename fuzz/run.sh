#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each one for a bounded
# time from the seed corpus: fuzz/run.sh [seconds per target, default 60].
# A finding stops the script with the input saved in the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVEK_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}

CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target read_population_fuzzer read_delimited_fuzzer run_engine_fuzzer

for target in read_population read_delimited run_engine; do
    # New inputs go to a scratch folder, so the seed corpus in the repository stays as it is.
    scratch="$build/corpus/$target"
    mkdir -p "$scratch"
    log="$build/$target.log"
    echo "Fuzzing $target for $seconds s"
    if ! "$build/${target}_fuzzer" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$build/$target-" "$scratch" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "The $target fuzzer found a failure; the input is in $build" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log"
done
