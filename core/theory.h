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

/// \brief The theory of the record's settings, into the record: dispatches on
/// estimatorCode and designCode like ComputeEstimate; under design 13 every
/// estimator gets the exact mean and standard deviation over the N possible
/// samples of the list ordered by systematicOrder.
void ComputeTheoreticalProperties();

