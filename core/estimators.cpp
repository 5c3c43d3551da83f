#include "core/estimators.h"

#include <cmath>

#include "core/ordering.h"
#include "core/simulation_state.h"
#include "core/standard_error.h"
#include "core/stratified_sampling.h"

namespace {

/// Calls visit(unit) for the respondents of the current sample in position order.
template <typename Visit>
void ForEachRespondent(Visit visit)
{
    const int positions = SamplePositions();
    const std::int32_t* const sample = SimulationState.sampleUnits.Room(positions);
    for (int j = 1; j <= positions; ++j) {
        const int unit = sample[j];
        if (unit >= 1 && unit <= MaxUnits) {
            visit(unit);
        }
    }
}

double RespondentCount()
{
    return SimulationState.respondentCount;
}

/// f = 1/n' - 1/N, the finite population correction of design 10.
double FinitePopulationCorrection()
{
    return 1.0 / RespondentCount() - 1.0 / SimulationState.unitCount;
}

/// An estimate that is not finite (no respondents, or an overflow) counts as no
/// estimate: the record keeps its previous results.
bool IsUsableEstimate(double value)
{
    return std::isfinite(value);
}

void AcceptEstimate(double value)
{
    SimulationState.estimate = value;
    SimulationState.estimateValid = true;
}

void SetStandardErrorInIntervalMode(double variance)
{
    if (SimulationState.confidenceIntervalMode) {
        SimulationState.standardError = RootOfVariance(variance).value_or(-1.0);
    }
}

/// Respondents whose post-stratum lies outside 1..H are left out of every tally.
StratumTallies TallyRespondentsByStratum(int strata)
{
    StratumTallies tallies{};
    ForEachRespondent([&](int unit) {
        const int h = PostStratumOf(AuxiliaryValue(unit));
        if (h < 1 || h > strata) {
            return;
        }
        tallies[h].Add(TargetValue(unit));
    });
    return tallies;
}

}  // namespace

void RunRoutineForSettings(const EstimatorRoutines& routines)
{
    switch (SimulationState.estimatorCode) {
        case EstimatorDirect:
            if (SimulationState.designCode == DesignEqualProbabilities ||
                SimulationState.designCode == DesignSystematic) {
                routines.directEqual();
            } else if (SimulationState.designCode == DesignProportionalToSize) {
                routines.directProportional();
            }
            break;
        case EstimatorRatio:
            routines.ratio();
            break;
        case EstimatorRegression:
            routines.regression();
            break;
        case EstimatorPostStratified:
            routines.postStratified();
            break;
        default:
            break;
    }
}

void ComputeEstimate()
{
    if (SimulationState.estimatorCode == EstimatorDirect && SimulationState.designCode == DesignStratified) {
        EstimateDirectStratified();
        return;
    }
    RunRoutineForSettings({&EstimateDirectEqual, &EstimateDirectProportional, &EstimateRatio,
                           &EstimateRegression, &EstimatePostStratified});
}

void EstimateDirectEqual()
{
    double sum = 0.0;
    ForEachRespondent([&](int unit) { sum += TargetValue(unit); });
    const double mean = sum / RespondentCount();
    if (!IsUsableEstimate(mean)) {
        return;
    }
    double squares = 0.0;
    ForEachRespondent([&](int unit) {
        const double deviation = TargetValue(unit) - mean;
        squares += deviation * deviation;
    });
    SetStandardErrorInIntervalMode(FinitePopulationCorrection() * squares / (RespondentCount() - 1.0));
    AcceptEstimate(mean);
}

void EstimateDirectProportional()
{
    const double auxiliaryMean = SimulationState.auxiliaryMean;
    double sum = 0.0;
    ForEachRespondent([&](int unit) { sum += TargetValue(unit) / AuxiliaryValue(unit); });
    const double estimate = auxiliaryMean * sum / RespondentCount();
    if (!IsUsableEstimate(estimate)) {
        return;
    }
    double squares = 0.0;
    ForEachRespondent([&](int unit) {
        const double deviation = auxiliaryMean * TargetValue(unit) / AuxiliaryValue(unit) - estimate;
        squares += deviation * deviation;
    });
    SetStandardErrorInIntervalMode(squares / RespondentCount() / (RespondentCount() - 1.0));
    AcceptEstimate(estimate);
}

void EstimateRatio()
{
    double sumX = 0.0;
    double sumY = 0.0;
    ForEachRespondent([&](int unit) {
        sumX += AuxiliaryValue(unit);
        sumY += TargetValue(unit);
    });
    if (!(sumX > 0.0)) {
        return;
    }
    const double ratio = sumY / sumX;
    const double estimate = SimulationState.auxiliaryMean * ratio;
    if (!IsUsableEstimate(estimate)) {
        return;
    }
    double squares = 0.0;
    ForEachRespondent([&](int unit) {
        const double residual = TargetValue(unit) - ratio * AuxiliaryValue(unit);
        squares += residual * residual;
    });
    SetStandardErrorInIntervalMode(FinitePopulationCorrection() * squares / (RespondentCount() - 1.0));
    AcceptEstimate(estimate);
}

void EstimateRegression()
{
    double sumX = 0.0;
    double sumY = 0.0;
    ForEachRespondent([&](int unit) {
        sumX += AuxiliaryValue(unit);
        sumY += TargetValue(unit);
    });
    const double meanX = sumX / RespondentCount();
    const double meanY = sumY / RespondentCount();
    double sxx = 0.0;
    double sxy = 0.0;
    ForEachRespondent([&](int unit) {
        const double dx = AuxiliaryValue(unit) - meanX;
        sxx += dx * dx;
        sxy += dx * (TargetValue(unit) - meanY);
    });
    if (!(sxx > 0.0)) {
        return;
    }
    const double slope = sxy / sxx;
    const double estimate = meanY - (meanX - SimulationState.auxiliaryMean) * slope;
    if (!IsUsableEstimate(estimate)) {
        return;
    }
    double squares = 0.0;
    ForEachRespondent([&](int unit) {
        const double residual = (TargetValue(unit) - meanY) - (AuxiliaryValue(unit) - meanX) * slope;
        squares += residual * residual;
    });
    SetStandardErrorInIntervalMode(FinitePopulationCorrection() * squares / (RespondentCount() - 1.0));
    AcceptEstimate(estimate);
}

void EstimatePostStratified()
{
    const int strata = StratumCount();
    const StratumTallies tallies = TallyRespondentsByStratum(strata);
    double estimate = 0.0;
    for (int h = 1; h <= strata; ++h) {
        if (tallies[h].count >= 1) {
            estimate = estimate + SimulationState.stratumWeights[h] * tallies[h].total / tallies[h].count;
        }
    }
    if (!IsUsableEstimate(estimate)) {
        return;
    }
    const bool everyStratumHasTwo = EveryStratumHasTwoUnits(tallies, strata);
    SimulationState.standardError = everyStratumHasTwo ? 0.0 : -1.0;
    if (SimulationState.confidenceIntervalMode && everyStratumHasTwo) {
        const double variance =
            PostStratifiedVariance(tallies, strata, FinitePopulationCorrection(), RespondentCount());
        SimulationState.standardError = RootOfVariance(variance).value_or(-1.0);
    }
    AcceptEstimate(estimate);
}

void EstimateDirectStratified()
{
    const TSimulationState& s = SimulationState;
    Strata strata;
    strata.count = StratumCount();
    strata.sizes = s.stratumSizes;
    strata.units = PopulationSize();
    const int positions = SamplePositions();
    const std::int32_t* const sample = SimulationState.sampleUnits.Room(positions);
    const MeanEstimate result =
        EstimateStratifiedMean(std::span(sample + 1, static_cast<std::size_t>(positions)), strata,
                               s.auxiliaryVariable, s.targetVariable);
    if (!result.valid) {
        return;
    }
    if (s.confidenceIntervalMode) {
        SimulationState.standardError = result.standardError;
    }
    AcceptEstimate(result.estimate);
}
