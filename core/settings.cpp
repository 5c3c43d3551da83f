#include "core/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/ordering.h"
#include "core/simulation_state.h"
#include "core/strata.h"

void ApplyTargetVariable(TSimulationState& state, int k)
{
    const ValueRange range = ScanVariableRange(state, k);
    state.targetVariable = k;
    state.targetMinimum = range.minimum;
    state.targetMaximum = range.maximum;
    state.verticalCompression = 1;
    state.scaleLower = range.minimum;
    state.scaleUpper = range.maximum;
}

void SetTargetVariable(int k)
{
    if (IsVariableNumber(k)) {
        ApplyTargetVariable(SimulationState, k);
    }
}

int CountNonPositiveValues(int k)
{
    const int units = PopulationSize();
    const int column = VariableColumn(k);
    int count = 0;
    for (int i = 1; i <= units; ++i) {
        if (!(UnitValue(i, column) > 0.0)) {
            ++count;
        }
    }
    return count;
}

std::string PostStrataRefusal(int k)
{
    return FormStrata(k).refusal;
}

// The tally of units per stratum is kept in stratumWeights as counts; a run turns
// them into weights when it starts.
std::string CheckPostStrata()
{
    if (SimulationState.estimatorCode != EstimatorPostStratified) {
        return "";
    }
    const StrataCheck check = FormStrata(SimulationState.auxiliaryVariable);
    std::copy(check.strata.sizes.begin(), check.strata.sizes.end(), SimulationState.stratumWeights.begin());
    SimulationState.stratumCount = check.strata.count;
    if (!check.refusal.empty()) {
        SimulationState.estimatorCode = EstimatorDirect;
    }
    return check.refusal;
}

// A variable without two different values (or a line that overflows) gives no
// line through two points; nothing is stored then, so no undefined probability
// can reach the sampling.
std::string SetNonresponseLine(int variable, int percentAtMinimum, int percentAtMaximum)
{
    if (!IsVariableNumber(variable)) {
        return ConstantNonresponseVariableMessage;
    }
    const double atMinimum = percentAtMinimum / 100.0;
    const double atMaximum = percentAtMaximum / 100.0;
    const ValueRange range = ScanVariableRange(SimulationState, variable);
    const double lo = range.minimum;
    const double hi = range.maximum;
    if (!(hi > lo)) {
        return ConstantNonresponseVariableMessage;
    }
    const double intercept = (hi * atMinimum - lo * atMaximum) / (hi - lo);
    const double slope = (atMaximum - atMinimum) / (hi - lo);
    if (!std::isfinite(intercept) || !std::isfinite(slope)) {
        return ConstantNonresponseVariableMessage;
    }
    SimulationState.nonresponseAtMinimum = atMinimum;
    SimulationState.nonresponseAtMaximum = atMaximum;
    SimulationState.nonresponseVariable = variable;
    SimulationState.nonresponseIntercept = intercept;
    SimulationState.nonresponseSlope = slope;
    SimulationState.nonresponseOn = true;
    return "";
}

namespace {

/// sum / m; when the sum of the m finite target values at positions first,
/// first + step, ... of list overflowed, their mean summed as shares value / m in
/// the same order. Rounding of the shares can still carry a mean of values near
/// the largest double beyond it; the true mean is finite, so it is then taken as
/// the largest finite value of its sign.
double MeanOfSum(double sum, int m, const UnitList& list, int first, int step)
{
    if (std::isfinite(sum)) {
        return sum / m;
    }
    double mean = 0.0;
    for (int i = 0, p = first; i < m; ++i, p += step) {
        mean += TargetValue(list[p]) / m;
    }
    constexpr double largest = std::numeric_limits<double>::max();
    return std::clamp(mean, -largest, largest);
}

}  // namespace

void SetScaleForSampleSize()
{
    const int units = PopulationSize();
    const int m = SimulationState.scaleSampleSize;
    const int target = SimulationState.targetVariable;
    if (!IsVariableNumber(target) || m < 1 || m > units) {
        return;
    }
    UnitList list{};
    SortUnitsByVariable(target, list);
    double smallest = 0.0;
    for (int p = 1; p <= m; ++p) {
        smallest += TargetValue(list[p]);
    }
    double largest = 0.0;
    for (int p = units; p > units - m; --p) {
        largest += TargetValue(list[p]);
    }
    SimulationState.scaleLower = MeanOfSum(smallest, m, list, 1, 1);
    SimulationState.scaleUpper = MeanOfSum(largest, m, list, units, -1);
}
