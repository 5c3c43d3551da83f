# The same simulation as tarvek-batch, written as an R user would.
#
# Methods "survey" (the default) and "base": simple random sampling without
# replacement (sampling::srswor), then the sample mean, the ratio and the
# regression estimators of the population mean, with the survey package or with
# their formulas in base R; prints the mean and standard deviation of each.
#
# Methods "loop-base" and "loop-survey": the simulation loop of the study
# benchmark, timed alone: equal-probability samples (base R's sample), the
# regression estimator with its standard error, 95 % interval and coverage, in
# base R or with the survey package (calibration on x); prints the loop's wall
# and CPU milliseconds, the percentage of covering intervals and the mean of the
# estimates, tab-separated.
#
# Usage: Rscript compare_r.R POPULATION_FILE SAMPLE_SIZE SIMULATIONS [METHOD]
suppressPackageStartupMessages({
    library(sampling)
    library(survey)
})

arguments <- commandArgs(trailingOnly = TRUE)
path <- arguments[1]
n <- as.integer(arguments[2])
simulations <- as.integer(arguments[3])
method <- if (length(arguments) >= 4) arguments[4] else "survey"

# A population file: a description line, "units variables", one name line per
# variable, then one line of values per unit.
sizes <- scan(path, skip = 1, nlines = 1, quiet = TRUE)
units <- sizes[1]
variables <- sizes[2]
population <- read.table(path, skip = 2 + variables, nrows = units)
y <- population[[1]]
x <- population[[2]]
N <- length(y)
xMean <- mean(x)
yMean <- mean(y)

with_survey <- function(sample) {
    design <- svydesign(ids = ~1, data = sample, fpc = rep(N, n))
    calibrated <- calibrate(design, ~x, population = c(`(Intercept)` = N, x = N * xMean))
    c(coef(svymean(~y, design)),
      predict(svyratio(~y, ~x, design), total = xMean)$total,
      coef(svymean(~y, calibrated)))
}

with_formulas <- function(sample) {
    slope <- cov(sample$x, sample$y) / var(sample$x)
    c(mean(sample$y),
      xMean * sum(sample$y) / sum(sample$x),
      mean(sample$y) + slope * (xMean - mean(sample$x)))
}

# The regression estimate and its standard error, as tarvek-batch computes them.
regression_base <- function(chosen) {
    ys <- y[chosen]
    xs <- x[chosen]
    slope <- sum((xs - mean(xs)) * (ys - mean(ys))) / sum((xs - mean(xs))^2)
    estimate <- mean(ys) - (mean(xs) - xMean) * slope
    residuals <- (ys - mean(ys)) - (xs - mean(xs)) * slope
    c(estimate, sqrt((1 / n - 1 / N) * sum(residuals^2) / (n - 1)))
}

regression_survey <- function(chosen) {
    design <- svydesign(ids = ~1, data = data.frame(y = y[chosen], x = x[chosen]), fpc = rep(N, n))
    calibrated <- calibrate(design, ~x, population = c(`(Intercept)` = N, x = N * xMean))
    mean <- svymean(~y, calibrated)
    c(coef(mean), SE(mean))
}

simulation_loop <- function(regression) {
    results <- matrix(NA_real_, simulations, 2)
    times <- system.time(for (i in seq_len(simulations)) {
        results[i, ] <- regression(sample.int(N, n))
    })
    covered <- results[, 1] - 1.96 * results[, 2] < yMean & yMean < results[, 1] + 1.96 * results[, 2]
    cat(sprintf("%.3f\t%.3f\t%.1f\t%.3f\n", 1000 * times[["elapsed"]],
                1000 * (times[["user.self"]] + times[["sys.self"]]), 100 * mean(covered), mean(results[, 1])))
}

if (method == "loop-base") {
    simulation_loop(regression_base)
} else if (method == "loop-survey") {
    simulation_loop(regression_survey)
} else {
    estimate <- if (method == "base") with_formulas else with_survey
    estimates <- matrix(NA_real_, simulations, 3, dimnames = list(NULL, c("mean", "ratio", "regression")))
    for (i in seq_len(simulations)) {
        chosen <- srswor(n, N) == 1
        estimates[i, ] <- estimate(data.frame(y = y[chosen], x = x[chosen]))
    }
    cat(sprintf("R (%s)\t%s\tmean of estimates %.3f\tstandard deviation %.3f\n", method, colnames(estimates),
                colMeans(estimates), apply(estimates, 2, sd)), sep = "")
}
