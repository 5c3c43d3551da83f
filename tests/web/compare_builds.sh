#!/usr/bin/env bash
# tarvek-batch.js (WebAssembly, in node) against the native tarvek-batch: the
# same standard output, standard error, exit status and written files on every
# command line below, and the number conversions' test passing in both with the
# same digest of its texts, and the browser page's engine driver answering the
# same requests with the same texts in both. Exits 77 (skipped) without emscripten.
#
#   compare_builds.sh ROOT NATIVE_BATCH NATIVE_CORE_TESTS WEB_DIR NATIVE_DRIVER_SCRIPT
set -euo pipefail
root=$1 native=$2 core_tests=$3 web=$4 driver_script=$5

command -v emcc >/dev/null || { echo "emscripten is not installed: skipped"; exit 77; }
"$root/scripts/web.sh" --build-only "$web" >"$web.log" 2>&1 || { cat "$web.log"; exit 1; }

failures=0
fail() {
    echo "DIFFERENT: $*"
    failures=$((failures + 1))
}

# Each build runs in a folder of its own holding the same relative names, so
# that file names in messages and the files written compare as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for side in native web; do
    mkdir "$work/$side"
    ln -s "$root/data" "$work/$side/data"
    ln -s "$root/tests/data" "$work/$side/testdata"
done

# Runs one command line in both builds; compares output, errors, status and
# the files it wrote.
compare() {
    local status
    for side in native web; do
        local program=("$native")
        [[ $side == web ]] && program=(node "$web/tarvek-batch.js")
        status=0
        (cd "$work/$side" && "${program[@]}" "$@" >stdout 2>stderr) || status=$?
        echo "$status" >"$work/$side/status"
    done
    diff -r --exclude=data --exclude=testdata "$work/native" "$work/web" >/dev/null || fail "tarvek-batch $*"
    rm -f "$work"/native/*.* "$work"/web/*.*
}

lines=(
    "data/mu284.pop"
    "--version"
    "--help"
    "-e ratio -a 2 --intervals data/mu284.pop"
    "-e regression -a 3 -s 5000 --mc-error data/mu284.pop"
    "-e poststrat -a 4 --intervals --mc-error data/classroom.pop"
    "-d pps -a 2 --runs 5 --estimates runs.csv data/mu284.pop"
    "-d pps -a 2 -e ratio -a 3 --intervals --json data/mu284.pop"
    "-d stratified -a 4 --allocation optimal -n 12 data/classroom.pop"
    "-d stratified -a 4 --allocation equal -n 12 --intervals data/classroom.pop"
    "-d stratified -a 4 --allocation proportional -n 12 --json --mc-error data/classroom.pop"
    "-d systematic --order 2 -n 10 --intervals data/classroom.pop"
    "-d systematic -n 10 --json data/schools.pop"
    "--nonresponse 2:1:99 -e ratio -a 2 --intervals data/mu284.pop"
    "--nonresponse 3:20:80 -d pps -a 2 -e regression -a 3 --runs 3 --json data/mu284.pop"
    "--seed 17 -s 20000 --mc-error -e ratio -a 2 data/mu284.pop"
    "--seed 4294967295 --intervals --scale 0:100 --compression 3 data/classroom.pop"
    "--describe data/schools.pop"
    "--describe --json data/belgium.pop"
    "--compare equal/direct,equal/ratio:2,pps:2/direct data/mu284.pop"
    "--compare stratified:4:proportional/direct,stratified:4:optimal/direct -n 12 --intervals data/classroom.pop"
    "--compare systematic:2/direct,equal/poststrat:4 --estimates compare.csv data/classroom.pop"
    "--compare equal/direct,equal/regression:3 --json --seed 5 data/mu284.pop"
    "--columns Mark,Set --describe data/classroom.csv"
    "--columns Mark,Homework,Set -e poststrat -a Set --intervals data/classroom.csv"
    "--write-population class.pop data/classroom.csv"
    "--write-population - data/mu284.pop"
    "--estimates - -s 200 --intervals data/classroom.pop"
    "-s 2000 -n 2 -e ratio -a 2 --nonresponse 2:99:99 data/mu284.pop"
    "--json --estimates - data/mu284.pop"
    "-e ratio data/mu284.pop"
    "-d pps -a 9 data/mu284.pop"
    "-n 1 data/mu284.pop"
    "-s 5 data/mu284.pop"
    "--seed -1 data/mu284.pop"
    "--bogus data/mu284.pop"
    "data/missing.pop"
    "--columns Nothing data/classroom.csv"
    ""
)
for line in "${lines[@]}"; do
    read -ra arguments <<<"$line"
    compare "${arguments[@]}"
done
for file in "$root"/tests/data/batch/*.pop "$root"/tests/data/batch/*.csv; do
    [[ -e $file ]] && compare --describe "testdata/batch/${file##*/}"
done

# Pictures need Qt: the WebAssembly build refuses --plot as a usage error.
status=0
(cd "$work/web" && node "$web/tarvek-batch.js" --plot picture.png data/mu284.pop >stdout 2>stderr) || status=$?
[[ $status -eq 2 && ! -e $work/web/picture.png ]] && grep -q -- '--plot' "$work/web/stderr" ||
    fail "--plot is not refused (status $status)"

# 100,000 samples, every one written, compared by hash.
for side in native web; do
    program=("$native")
    [[ $side == web ]] && program=(node "$web/tarvek-batch.js")
    (cd "$work/$side" && "${program[@]}" -s 100000 --intervals -e ratio -a 2 --estimates - data/mu284.pop |
        sha256sum >hash)
done
cmp -s "$work/native/hash" "$work/web/hash" || fail "100,000 samples' CSV"

# The number conversions' test, in both builds, with the same digest.
native_digest=$("$core_tests" --gtest_filter='NumberText.*' | grep 'digest') || fail "native number test"
web_digest=$(node "$web/number_text_tests.js" | grep 'digest') || fail "WebAssembly number test"
[[ "$native_digest" == "$web_digest" ]] || fail "number texts: $native_digest, $web_digest"

# The engine driver's responses to a script of requests, in both builds.
(cd "$root" && "$driver_script" tests/web/driver_requests.txt) >"$work/native/driver" || fail "native driver"
(cd "$root" && node tests/web/driver_script.js "$web/tarvek-engine-node.js" tests/web/driver_requests.txt) \
    >"$work/web/driver" || fail "WebAssembly driver"
cmp -s "$work/native/driver" "$work/web/driver" || fail "engine driver's responses"

echo "$((${#lines[@]} + 5)) comparisons, $failures different"
[[ $failures -eq 0 ]]
