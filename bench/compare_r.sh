#!/bin/sh
# Times tarvek-batch against an R script doing the same simulation: simple
# random sampling, the sample mean, the ratio and the regression estimators,
# SIMULATIONS samples of SAMPLE_SIZE from a 1000-unit population. Prints the
# median times and their ratio. Installs R and its two packages when missing.
#
# Usage: bench/compare_r.sh [TARVEK_BATCH] [POPULATION_FILE]
# Environment: SAMPLE_SIZE (100), SIMULATIONS (1000), BATCH_REPEATS (11), R_REPEATS (3)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
batch=${1:-$here/../build-bench/batch/tarvek-batch}
population=${2:-$here/../data/schools.pop}
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

[ -x "$batch" ] || { echo "compare_r.sh: $batch is not built" >&2; exit 1; }
[ -r "$population" ] || { echo "compare_r.sh: cannot read $population" >&2; exit 1; }
install_r

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
