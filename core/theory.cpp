#include "core/theory.h"

#include <cmath>
#include <optional>

#include "core/estimators.h"
#include "core/ordering.h"
#include "core/simulation_state.h"
#include "core/standard_error.h"
#include "core/stratified_sampling.h"
#include "core/systematic_sampling.h"

namespace {

/// Stores both results; a value that is not finite (a formula undefined for
/// this population) is stored as 0 and marked not available.
void PublishTheory(double mean, std::optional<double> stdError)
{
    const bool meanAvailable = std::isfinite(mean);
    const bool stdErrorAvailable = stdError.has_value() && std::isfinite(*stdError);
    SimulationState.theoreticalMean = meanAvailable ? mean : 0.0;
    SimulationState.theoreticalMeanAvailable = meanAvailable;
    SimulationState.theoreticalStdError = stdErrorAvailable ? *stdError : 0.0;
    SimulationState.theoreticalStdErrorAvailable = stdErrorAvailable;
}

double UnitTotal()
{
    return SimulationState.unitCount;
}

double SampleSize()
{
    return SimulationState.sampleSize;
}

/// F = 1/n - 1/N; negative when n > N, where no sample without replacement exists.
double SamplingCorrection()
{
    return 1.0 / SampleSize() - 1.0 / UnitTotal();
}

/// Ybar, summed in unit order; not finite without units.
double TargetMean()
{
    const int units = PopulationSize();
    double sum = 0.0;
    for (int i = 1; i <= units; ++i) {
        sum += TargetValue(i);
    }
    return sum / UnitTotal();
}

/// sqrt(F * S / (N - 1)), the form shared by the estimators of design 10.
std::optional<double> EqualProbabilityStdError(double sumOfSquares)
{
    return RootOfVariance(SamplingCorrection() * sumOfSquares / (UnitTotal() - 1.0));
}

/// Tallies of every unit whose post-stratum lies in 1..strata.
StratumTallies TallyUnitsByStratum(int strata)
{
    StratumTallies tallies{};
    const int units = PopulationSize();
    for (int i = 1; i <= units; ++i) {
        const int h = PostStratumOf(AuxiliaryValue(i));
        if (h >= 1 && h <= strata) {
            tallies[h].Add(TargetValue(i));
        }
    }
    return tallies;
}

}  // namespace

void ComputeTheoreticalProperties()
{
    if (SimulationState.designCode == DesignSystematic) {
        TheorySystematic();
        return;
    }
    if (SimulationState.estimatorCode == EstimatorDirect && SimulationState.designCode == DesignStratified) {
        TheoryDirectStratified();
        return;
    }
    RunRoutineForSettings({&TheoryDirectEqual, &TheoryDirectProportional, &TheoryRatio, &TheoryRegression,
                           &TheoryPostStratified});
}

void TheoryDirectEqual()
{
    const double mean = TargetMean();
    const int units = PopulationSize();
    double squares = 0.0;
    for (int i = 1; i <= units; ++i) {
        const double deviation = TargetValue(i) - mean;
        squares += deviation * deviation;
    }
    PublishTheory(mean, EqualProbabilityStdError(squares));
}

void TheoryDirectProportional()
{
    const int units = PopulationSize();
    double sum = 0.0;
    for (int i = 1; i <= units; ++i) {
        if (AuxiliaryValue(i) > 0.0) {
            sum += TargetValue(i);
        }
    }
    const double mean = sum / UnitTotal();
    const double auxiliaryMean = SimulationState.auxiliaryMean;
    if (!(auxiliaryMean > 0.0)) {
        PublishTheory(mean, std::nullopt);
        return;
    }
    const double slope = mean / auxiliaryMean;
    double squares = 0.0;
    for (int i = 1; i <= units; ++i) {
        const double x = AuxiliaryValue(i);
        if (x > 0.0) {
            const double deviation = TargetValue(i) / x - slope;
            // The square first, then the weight: X (Y/X - b)^2 rounds as written.
            squares += x * (deviation * deviation);
        }
    }
    PublishTheory(mean, RootOfVariance(auxiliaryMean * squares / SampleSize() / UnitTotal()));
}

void TheoryRatio()
{
    const double mean = TargetMean();
    const double auxiliaryMean = SimulationState.auxiliaryMean;
    if (auxiliaryMean == 0.0) {
        PublishTheory(mean, std::nullopt);
        return;
    }
    const double ratio = mean / auxiliaryMean;
    const int units = PopulationSize();
    double squares = 0.0;
    for (int i = 1; i <= units; ++i) {
        const double residual = TargetValue(i) - ratio * AuxiliaryValue(i);
        squares += residual * residual;
    }
    PublishTheory(mean, EqualProbabilityStdError(squares));
}

void TheoryRegression()
{
    const double mean = TargetMean();
    const double auxiliaryMean = SimulationState.auxiliaryMean;
    const int units = PopulationSize();
    double sxx = 0.0;
    double sxy = 0.0;
    for (int i = 1; i <= units; ++i) {
        const double dx = AuxiliaryValue(i) - auxiliaryMean;
        sxx += dx * dx;
        sxy += dx * (TargetValue(i) - mean);
    }
    if (!(sxx > 0.0)) {
        PublishTheory(mean, std::nullopt);
        return;
    }
    const double slope = sxy / sxx;
    double squares = 0.0;
    for (int i = 1; i <= units; ++i) {
        const double residual = (TargetValue(i) - mean) - (AuxiliaryValue(i) - auxiliaryMean) * slope;
        squares += residual * residual;
    }
    PublishTheory(mean, EqualProbabilityStdError(squares));
}

// A post-stratum with fewer than two units has no variance S2_h, and then neither
// has the estimator: the standard error is marked not available.
void TheoryPostStratified()
{
    const double mean = TargetMean();
    const int strata = StratumCount();
    const StratumTallies tallies = TallyUnitsByStratum(strata);
    const bool everyStratumHasTwo = strata >= 1 && EveryStratumHasTwoUnits(tallies, strata);
    if (!everyStratumHasTwo) {
        PublishTheory(mean, std::nullopt);
        return;
    }
    PublishTheory(
        mean, RootOfVariance(PostStratifiedVariance(tallies, strata, SamplingCorrection(), SampleSize())));
}

void TheoryDirectStratified()
{
    const TSimulationState& s = SimulationState;
    const StratifiedAllocation allocation = AllocateStratifiedSample(
        s.auxiliaryVariable, s.targetVariable, s.sampleSize, static_cast<AllocationCode>(s.allocationCode));
    std::optional<double> stdError;
    if (allocation.sampleSizes) {
        stdError =
            StratifiedStandardError(allocation.check.strata, *allocation.sampleSizes, allocation.variances);
    }
    PublishTheory(TargetMean(), stdError);
}

void TheorySystematic()
{
    const TSimulationState& s = SimulationState;
    const std::vector<std::int32_t> order = SystematicOrder(s.systematicOrder);
    std::vector<double> target(order.size());
    std::vector<double> auxiliary(order.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        target[place] = TargetValue(order[place]);
        auxiliary[place] = AuxiliaryValue(order[place]);
    }
    SystematicTheoryInput input{target,          auxiliary,        s.sampleSize,  s.estimatorCode,
                                s.auxiliaryMean, s.stratumWeights, StratumCount()};
    const TheoryValues values = SystematicTheory(input);
    if (!values.mean) {
        PublishTheory(std::nan(""), std::nullopt);
        return;
    }
    PublishTheory(*values.mean, values.standardError);
}
