#!/bin/sh
# Times tarvek-batch against R, side by side in one run, in two parts.
#
# "estimators": an R script doing the same simulation as tarvek-batch: simple
# random sampling, the sample mean, the ratio and the regression estimators,
# SIMULATIONS samples of SAMPLE_SIZE from a 1000-unit population; the median
# times of whole processes and their ratio.
#
# "study": the figures of simulation studies: tarvek-batch --version; the whole
# process for 1000 samples with n = N = 1000, regression estimator with
# intervals, against the simulation loop alone of the same simulation in R (base
# R formulas, and the survey package); 1,000,000 samples of n = 10 (time and
# resident memory, also with intervals and JSON). Whole processes are timed by
# tarvek_process_timer (built with the benchmarks) as medians.
#
# Installs R and its two packages when missing.
#
# Usage: bench/compare_r.sh [TARVEK_BATCH] [POPULATION_FILE]
# Environment: PARTS (estimators study), SAMPLE_SIZE (100), SIMULATIONS (1000),
# BATCH_REPEATS (11), R_REPEATS (3)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
batch=${1:-$here/../build-bench/batch/tarvek-batch}
population=${2:-$here/../data/schools.pop}
timer=$(dirname "$batch")/../bench/tarvek_process_timer
parts=${PARTS:-estimators study}
sample_size=${SAMPLE_SIZE:-100}
simulations=${SIMULATIONS:-1000}
batch_repeats=${BATCH_REPEATS:-11}
r_repeats=${R_REPEATS:-3}

install_r() {
    if dpkg -s r-base-core r-cran-sampling r-cran-survey >/dev/null 2>&1; then
        return
    fi
    echo "Installing r-base-core, r-cran-sampling and r-cran-survey..." >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends r-base-core r-cran-sampling r-cran-survey >/dev/null
}

now_ns() {
    date +%s%N
}

# Prints the wall time of one run of the command in milliseconds (three decimals).
time_once() {
    start=$(now_ns)
    "$@" >/dev/null
    end=$(now_ns)
    echo "$start $end" | awk '{ printf "%.3f\n", ($2 - $1) / 1e6 }'
}

# Median of the numbers on standard input.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The three batch runs of one comparison, one process per estimator, as a
# script of a teacher would call them.
batch_simulation() {
    "$batch" -n "$sample_size" -s "$simulations" -e direct "$population" &&
        "$batch" -n "$sample_size" -s "$simulations" -a 2 -e ratio "$population" &&
        "$batch" -n "$sample_size" -s "$simulations" -a 2 -e regression "$population"
}

# $1: survey (the survey package's estimators) or base (their formulas in base R).
r_simulation() {
    Rscript --vanilla "$here/compare_r.R" "$population" "$sample_size" "$simulations" "$1"
}

repeat_median() {
    count=$1
    shift
    i=0
    while [ "$i" -lt "$count" ]; do
        time_once "$@"
        i=$((i + 1))
    done | median
}

# Median wall and CPU milliseconds (columns 1 and 2) of R_REPEATS runs of the
# R simulation loop; $1 is loop-base or loop-survey, $2 the number of runs.
r_loop_median() {
    i=0
    while [ "$i" -lt "$2" ]; do
        Rscript --vanilla "$here/compare_r.R" "$population" 1000 1000 "$1"
        i=$((i + 1))
    done >"$r_loop_output"
    wall=$(cut -f 1 "$r_loop_output" | median)
    cpu=$(cut -f 2 "$r_loop_output" | median)
    echo "$wall $cpu"
}

# "label wall CPU memory" as a table row.
row() {
    printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4"
}

study() {
    [ -x "$timer" ] || { echo "compare_r.sh: $timer is not built" >&2; exit 1; }
    r_loop_output=$(mktemp)
    set -- $("$timer" 101 "$batch" --version)
    version_wall=$1 version_cpu=$2 version_rss=$3
    set -- $("$timer" 51 "$batch" -n 1000 -s 1000 -e regression -a 2 --intervals "$population")
    regression_wall=$1 regression_cpu=$2 regression_rss=$3
    set -- $(r_loop_median loop-base "$r_repeats")
    r_base_wall=$1 r_base_cpu=$2
    set -- $(r_loop_median loop-survey 1)
    r_survey_wall=$1 r_survey_cpu=$2
    set -- $("$timer" 5 "$batch" -n 10 -s 1000000 "$population")
    million_wall=$1 million_cpu=$2 million_rss=$3
    set -- $("$timer" 3 "$batch" -n 10 -s 1000000 --intervals --mc-error --json "$population")
    million_json_wall=$1 million_json_cpu=$2 million_json_rss=$3
    rm -f "$r_loop_output"

    echo "Study figures, $population (wall and CPU in ms, memory = largest resident size in kB):"
    row "What" "wall" "CPU" "memory"
    row "---" "---:" "---:" "---:"
    row "tarvek-batch --version (101 runs)" "$version_wall" "$version_cpu" "$version_rss"
    row "tarvek-batch, 1000 samples, n = N = 1000, regression, intervals (51 runs)" \
        "$regression_wall" "$regression_cpu" "$regression_rss"
    row "R loop alone, base R formulas, same simulation ($r_repeats runs)" "$r_base_wall" "$r_base_cpu" "-"
    row "R loop alone, survey package (calibrate, svymean), same simulation (1 run)" \
        "$r_survey_wall" "$r_survey_cpu" "-"
    row "tarvek-batch, 1000000 samples, n = 10, N = 1000, equal, direct (5 runs)" \
        "$million_wall" "$million_cpu" "$million_rss"
    row "same with --intervals --mc-error --json (3 runs)" "$million_json_wall" "$million_json_cpu" \
        "$million_json_rss"
    echo "$r_base_wall $r_base_cpu $r_survey_wall $r_survey_cpu $regression_wall $regression_cpu" | awk '{
        printf "Ratio R loop (base R) / tarvek-batch process: %.0f (wall), %.0f (CPU)\n", $1 / $5, $2 / $6
        printf "Ratio R loop (survey) / tarvek-batch process: %.0f (wall), %.0f (CPU)\n", $3 / $5, $4 / $6 }'
}

estimators() {
    echo "Population: $population; $simulations samples of $sample_size; mean, ratio and regression estimators"
    echo "Results (the two programs use different random numbers; the summaries agree within sampling error):"
    for estimator in direct ratio regression; do
        printf 'tarvek-batch\t%s\t' "$estimator"
        "$batch" -n "$sample_size" -s "$simulations" -a 2 -e "$estimator" "$population" |
            awk -F '\t' '/^Mean \(simulated\)/ { m = $2 } /^Standard error \(simulated\)/ { s = $2 } END { printf "mean of estimates %s\tstandard deviation %s\n", m, s }'
    done
    r_simulation survey
    r_simulation base

    default_ms=$(repeat_median "$batch_repeats" "$batch" "$population")
    batch_ms=$(repeat_median "$batch_repeats" batch_simulation)
    r_ms=$(repeat_median "$r_repeats" r_simulation survey)
    r_base_ms=$(repeat_median "$r_repeats" r_simulation base)

    echo "Median wall times, process start to exit:"
    printf 'tarvek-batch, default settings (n = 10, direct, 1000 samples):\t%s ms (%s runs)\n' "$default_ms" "$batch_repeats"
    printf 'tarvek-batch, three estimators, n = %s:\t%s ms (%s runs)\n' "$sample_size" "$batch_ms" "$batch_repeats"
    printf 'R (sampling + survey), three estimators, n = %s:\t%s ms (%s runs)\n' "$sample_size" "$r_ms" "$r_repeats"
    printf 'R (sampling + base R formulas), three estimators, n = %s:\t%s ms (%s runs)\n' "$sample_size" "$r_base_ms" "$r_repeats"
    echo "$r_ms $batch_ms" | awk '{ printf "Ratio R (survey) / tarvek-batch: %.0f\n", $1 / $2 }'
    echo "$r_base_ms $batch_ms" | awk '{ printf "Ratio R (base R formulas) / tarvek-batch: %.0f\n", $1 / $2 }'
}

[ -x "$batch" ] || { echo "compare_r.sh: $batch is not built" >&2; exit 1; }
[ -r "$population" ] || { echo "compare_r.sh: cannot read $population" >&2; exit 1; }
install_r
for part in $parts; do
    "$part"
done
