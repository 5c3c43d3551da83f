#pragma once
// Theoretical expected value and standard error of the estimators' formulas over
// the whole population (F = 1/n - 1/N, nonresponse ignored). A value the
// formulas leave undefined is marked not available.

#include <optional>

struct EstimatorInputs;

/// \brief Theoretical mean and standard error; a value that is not available is 0.
struct TheoreticalProperties {
    double mean = 0.0;
    bool meanAvailable = false;
    double stdError = 0.0;
    bool stdErrorAvailable = false;
};

/// \brief Both results; a value that is not finite (a formula undefined for this
/// population) is 0 and marked not available.
TheoreticalProperties Properties(double mean, std::optional<double> stdError);

/// \brief Publishes a theory in the record's theoreticalMean and
/// theoreticalStdError with their availability flags.
void StoreTheory(const TheoreticalProperties& properties);

/// \brief The theory of each formula of core/estimators.h for samples of
/// `sampleSize` drawn as that formula assumes.
TheoreticalProperties SampleMeanTheory(const EstimatorInputs& inputs, int sampleSize);
TheoreticalProperties ProportionalToSizeTheory(const EstimatorInputs& inputs, int sampleSize);
TheoreticalProperties StratifiedMeanTheory(const EstimatorInputs& inputs, int sampleSize);
TheoreticalProperties RatioTheory(const EstimatorInputs& inputs, int sampleSize);
TheoreticalProperties RegressionTheory(const EstimatorInputs& inputs, int sampleSize);
TheoreticalProperties PostStratifiedTheory(const EstimatorInputs& inputs, int sampleSize);
