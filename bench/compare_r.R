# The same simulation as tarvek-batch, written as an R user would: simple random
# sampling without replacement (sampling::srswor), then the sample mean, the
# ratio and the regression estimators of the population mean, with the survey
# package ("survey", the default) or with their formulas in base R ("base").
# Usage: Rscript compare_r.R POPULATION_FILE SAMPLE_SIZE SIMULATIONS [survey|base]
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

estimate <- if (method == "base") with_formulas else with_survey
estimates <- matrix(NA_real_, simulations, 3, dimnames = list(NULL, c("mean", "ratio", "regression")))
for (i in seq_len(simulations)) {
    chosen <- srswor(n, N) == 1
    estimates[i, ] <- estimate(data.frame(y = y[chosen], x = x[chosen]))
}

cat(sprintf("R (%s)\t%s\tmean of estimates %.3f\tstandard deviation %.3f\n", method, colnames(estimates),
            colMeans(estimates), apply(estimates, 2, sd)), sep = "")
