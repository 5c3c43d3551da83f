#include "core/theory.h"

#include <algorithm>
#include <cmath>

#include "core/estimators.h"
#include "core/ordering.h"
#include "core/simulation_state.h"
#include "core/standard_error.h"
#include "core/stratified_sampling.h"

namespace {

/// The population values a formula reads, with N and n.
class TheoryData {
public:
    TheoryData(const EstimatorInputs& inputs, int sampleSize)
        : inputs_(inputs),
          targetColumn_(VariableColumn(inputs.targetVariable)),
          auxiliaryColumn_(VariableColumn(inputs.auxiliaryVariable)),
          sampleSize_(sampleSize)
    {}

    const EstimatorInputs& inputs() const { return inputs_; }
    int Units() const { return PopulationSize(); }
    double Y(int unit) const { return UnitValue(unit, targetColumn_); }
    double X(int unit) const { return UnitValue(unit, auxiliaryColumn_); }
    double UnitTotal() const { return SimulationState.unitCount; }
    double SampleSize() const { return sampleSize_; }

    /// F = 1/n - 1/N; negative when n > N, where no sample without replacement exists.
    double SamplingCorrection() const { return 1.0 / SampleSize() - 1.0 / UnitTotal(); }

    /// Ybar, summed in unit order; not finite without units.
    double TargetMean() const
    {
        double sum = 0.0;
        for (int i = 1; i <= Units(); ++i) {
            sum += Y(i);
        }
        return sum / UnitTotal();
    }

    /// sqrt(F * S / (N - 1)), the form shared by the estimators of design 10.
    std::optional<double> EqualProbabilityStdError(double sumOfSquares) const
    {
        return RootOfVariance(SamplingCorrection() * sumOfSquares / (UnitTotal() - 1.0));
    }

private:
    const EstimatorInputs& inputs_;
    int targetColumn_;
    int auxiliaryColumn_;
    int sampleSize_;
};

TheoreticalProperties DirectEqualTheoryOf(const TheoryData& data)
{
    const double mean = data.TargetMean();
    double squares = 0.0;
    for (int i = 1; i <= data.Units(); ++i) {
        const double deviation = data.Y(i) - mean;
        squares += deviation * deviation;
    }
    return Properties(mean, data.EqualProbabilityStdError(squares));
}

TheoreticalProperties DirectProportionalTheoryOf(const TheoryData& data)
{
    double sum = 0.0;
    for (int i = 1; i <= data.Units(); ++i) {
        if (data.X(i) > 0.0) {
            sum += data.Y(i);
        }
    }
    const double mean = sum / data.UnitTotal();
    const double auxiliaryMean = data.inputs().auxiliaryMean;
    if (!(auxiliaryMean > 0.0)) {
        return Properties(mean, std::nullopt);
    }
    const double slope = mean / auxiliaryMean;
    double squares = 0.0;
    for (int i = 1; i <= data.Units(); ++i) {
        const double x = data.X(i);
        if (x > 0.0) {
            const double deviation = data.Y(i) / x - slope;
            // The square first, then the weight: X (Y/X - b)^2 rounds as written.
            squares += x * (deviation * deviation);
        }
    }
    return Properties(mean, RootOfVariance(auxiliaryMean * squares / data.SampleSize() / data.UnitTotal()));
}

TheoreticalProperties RatioTheoryOf(const TheoryData& data)
{
    const double mean = data.TargetMean();
    const double auxiliaryMean = data.inputs().auxiliaryMean;
    if (auxiliaryMean == 0.0) {
        return Properties(mean, std::nullopt);
    }
    const double ratio = mean / auxiliaryMean;
    double squares = 0.0;
    for (int i = 1; i <= data.Units(); ++i) {
        const double residual = data.Y(i) - ratio * data.X(i);
        squares += residual * residual;
    }
    return Properties(mean, data.EqualProbabilityStdError(squares));
}

TheoreticalProperties RegressionTheoryOf(const TheoryData& data)
{
    const double mean = data.TargetMean();
    const double auxiliaryMean = data.inputs().auxiliaryMean;
    double sxx = 0.0;
    double sxy = 0.0;
    for (int i = 1; i <= data.Units(); ++i) {
        const double dx = data.X(i) - auxiliaryMean;
        sxx += dx * dx;
        sxy += dx * (data.Y(i) - mean);
    }
    if (!(sxx > 0.0)) {
        return Properties(mean, std::nullopt);
    }
    const double slope = sxy / sxx;
    double squares = 0.0;
    for (int i = 1; i <= data.Units(); ++i) {
        const double residual = (data.Y(i) - mean) - (data.X(i) - auxiliaryMean) * slope;
        squares += residual * residual;
    }
    return Properties(mean, data.EqualProbabilityStdError(squares));
}

/// Tallies of every unit whose post-stratum lies in 1..strata.
StratumTallies TallyUnitsByStratum(const TheoryData& data, int strata)
{
    StratumTallies tallies{};
    for (int i = 1; i <= data.Units(); ++i) {
        const int h = PostStratumOf(data.X(i));
        if (h >= 1 && h <= strata) {
            tallies[h].Add(data.Y(i));
        }
    }
    return tallies;
}

// A post-stratum with fewer than two units has no variance S2_h, and then neither
// has the estimator: the standard error is marked not available.
TheoreticalProperties PostStratifiedTheoryOf(const TheoryData& data)
{
    const double mean = data.TargetMean();
    const int strata = std::clamp(data.inputs().stratumCount, 0, MaxStrata);
    const StratumTallies tallies = TallyUnitsByStratum(data, strata);
    const bool everyStratumHasTwo = strata >= 1 && EveryStratumHasTwoUnits(tallies, strata);
    if (!everyStratumHasTwo) {
        return Properties(mean, std::nullopt);
    }
    return Properties(mean,
                      RootOfVariance(PostStratifiedVariance(tallies, data.inputs().stratumWeights, strata,
                                                            data.SamplingCorrection(), data.SampleSize())));
}

TheoreticalProperties DirectStratifiedTheoryOf(const TheoryData& data)
{
    const EstimatorInputs& inputs = data.inputs();
    const StratifiedAllocation allocation = AllocateStratifiedSample(
        inputs.stratification, inputs.targetVariable, static_cast<int>(data.SampleSize()),
        static_cast<AllocationCode>(inputs.allocation));
    std::optional<double> stdError;
    if (allocation.sampleSizes) {
        stdError =
            StratifiedStandardError(allocation.check.strata, *allocation.sampleSizes, allocation.variances);
    }
    return Properties(data.TargetMean(), stdError);
}

}  // namespace

TheoreticalProperties Properties(double mean, std::optional<double> stdError)
{
    TheoreticalProperties properties;
    properties.meanAvailable = std::isfinite(mean);
    properties.stdErrorAvailable = stdError.has_value() && std::isfinite(*stdError);
    properties.mean = properties.meanAvailable ? mean : 0.0;
    properties.stdError = properties.stdErrorAvailable ? *stdError : 0.0;
    return properties;
}

void StoreTheory(const TheoreticalProperties& properties)
{
    SimulationState.theoreticalMean = properties.mean;
    SimulationState.theoreticalMeanAvailable = properties.meanAvailable;
    SimulationState.theoreticalStdError = properties.stdError;
    SimulationState.theoreticalStdErrorAvailable = properties.stdErrorAvailable;
}

TheoreticalProperties SampleMeanTheory(const EstimatorInputs& inputs, int sampleSize)
{
    return DirectEqualTheoryOf(TheoryData(inputs, sampleSize));
}

TheoreticalProperties ProportionalToSizeTheory(const EstimatorInputs& inputs, int sampleSize)
{
    return DirectProportionalTheoryOf(TheoryData(inputs, sampleSize));
}

TheoreticalProperties StratifiedMeanTheory(const EstimatorInputs& inputs, int sampleSize)
{
    return DirectStratifiedTheoryOf(TheoryData(inputs, sampleSize));
}

TheoreticalProperties RatioTheory(const EstimatorInputs& inputs, int sampleSize)
{
    return RatioTheoryOf(TheoryData(inputs, sampleSize));
}

TheoreticalProperties RegressionTheory(const EstimatorInputs& inputs, int sampleSize)
{
    return RegressionTheoryOf(TheoryData(inputs, sampleSize));
}

TheoreticalProperties PostStratifiedTheory(const EstimatorInputs& inputs, int sampleSize)
{
    return PostStratifiedTheoryOf(TheoryData(inputs, sampleSize));
}
