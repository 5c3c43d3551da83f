#include "engine/interval_rule.h"

#include <algorithm>
#include <cmath>

#include "core/simulation_state.h"
#include "engine/run_engine.h"

IntervalOutcome ClassifyInterval(double lower, double upper, double populationMean)
{
    if (lower < populationMean && populationMean < upper) {
        return IntervalOutcome::Covered;
    }
    if (upper <= populationMean) {
        return IntervalOutcome::MissedLow;
    }
    return IntervalOutcome::MissedHigh;
}

CoverageTarget CoverageTargetOfPopulation()
{
    CoverageTarget target;
    target.populationMean = PopulationMean();
    const int targetVariable = SimulationState.targetVariable;
    if (targetVariable < 1 || targetVariable > MaxVariables) {
        return target;
    }
    double largest = 1.0;
    const int unitCount = std::min<int>(SimulationState.unitCount, MaxUnits);
    for (int unit = 1; unit <= unitCount; ++unit) {
        largest = std::max(largest, std::abs(UnitValue(unit, targetVariable)));
    }
    target.zeroWidthTolerance = 1e-9 * largest;
    return target;
}

IntervalOutcome ClassifyEstimate(double estimate, double standardError, const CoverageTarget& target)
{
    const double lower = estimate - IntervalHalfWidthFactor * standardError;
    const double upper = estimate + IntervalHalfWidthFactor * standardError;
    const double tolerance = target.zeroWidthTolerance;
    if (upper - lower <= 2.0 * tolerance && std::abs(estimate - target.populationMean) <= tolerance) {
        return IntervalOutcome::Covered;
    }
    return ClassifyInterval(lower, upper, target.populationMean);
}
