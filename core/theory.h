#pragma once
// Theoretical expected value and standard error of an estimator under a design,
// over the whole population (F = 1/n - 1/N, nonresponse ignored). TheoryOf takes
// what it needs as arguments; the record-based routines publish its result in
// theoreticalMean and theoreticalStdError with their availability flags. A value
// the formulas leave undefined is marked not available.

#include <optional>

struct EstimatorInputs;

/// \brief Theoretical mean and standard error; a value that is not available is 0.
struct TheoreticalProperties {
    double mean = 0.0;
    bool meanAvailable = false;
    double stdError = 0.0;
    bool stdErrorAvailable = false;
};

/// \brief The properties of `inputs.estimator` under `inputs.design` for samples
/// of `sampleSize`; nothing for a combination without an estimator (as
/// EstimateOnSample).
std::optional<TheoreticalProperties> TheoryOf(const EstimatorInputs& inputs, int sampleSize);

/// \brief Dispatches on estimatorCode and designCode like ComputeEstimate; under
/// design 13 every estimator goes to TheorySystematic.
void ComputeTheoreticalProperties();

/// \brief Ybar; sqrt(F * sum (Y - Ybar)^2 / (N - 1)).
void TheoryDirectEqual();
/// \brief M = sum_{X>0} Y / N; sqrt(Xbar * sum_{X>0} X (Y/X - M/Xbar)^2 / n / N).
void TheoryDirectProportional();
/// \brief Ybar; sqrt(F * sum (Y - R X)^2 / (N - 1)) with R = Ybar / Xbar.
void TheoryRatio();
/// \brief Ybar; sqrt(F * sum ((Y - Ybar) - (X - Xbar) B)^2 / (N - 1)), B = Sxy / Sxx.
void TheoryRegression();
/// \brief Ybar; sqrt(sum_h [F W_h S2_h + (1 - W_h) S2_h / n^2]).
void TheoryPostStratified();
/// \brief Design 12, direct: Ybar; sqrt(sum_h W_h^2 (1/n_h - 1/N_h) S2_h) with the
/// allocation of the settings in force.
void TheoryDirectStratified();
/// \brief Design 13: mean and standard deviation of the chosen estimator over the
/// N possible samples of the list ordered by systematicOrder.
void TheorySystematic();
