#include "core/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

/// The target values of units 1..N in ascending order, NaN last.
std::vector<double> SortedTargetValues(int units)
{
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(units));
    for (int i = 1; i <= units; ++i) {
        values.push_back(TargetValue(i));
    }
    std::sort(values.begin(), values.end(),
              [](double a, double b) { return a < b || (std::isnan(b) && !std::isnan(a)); });
    return values;
}

/// sum / m; when the sum of the m finite values at positions first, first + step,
/// ... of `values` overflowed, their mean summed as shares value / m in the same
/// order. Rounding of the shares can still carry a mean of values near the
/// largest double beyond it; the true mean is finite, so it is then taken as the
/// largest finite value of its sign.
double MeanOfSum(double sum, int m, const std::vector<double>& values, int first, int step)
{
    if (std::isfinite(sum)) {
        return sum / m;
    }
    double mean = 0.0;
    for (int i = 0, p = first; i < m; ++i, p += step) {
        mean += values[static_cast<std::size_t>(p)] / m;
    }
    constexpr double largest = std::numeric_limits<double>::max();
    return std::clamp(mean, -largest, largest);
}

}  // namespace

// The m smallest and m largest values are summed in the order of the units sorted
// by the target variable. Units with equal values may come in any order: the
// sequence of values summed is the same (and a sum that starts at +0 is not
// changed by adding -0 or +0), so sorting the values alone gives the same scale
// as sorting the units, in O(N log N) whatever the order of the values.
void SetScaleForSampleSize()
{
    const int units = PopulationSize();
    const int m = SimulationState.scaleSampleSize;
    const int target = SimulationState.targetVariable;
    if (!IsVariableNumber(target) || m < 1 || m > units) {
        return;
    }
    const std::vector<double> values = SortedTargetValues(units);
    double smallest = 0.0;
    for (int p = 0; p < m; ++p) {
        smallest += values[static_cast<std::size_t>(p)];
    }
    double largest = 0.0;
    for (int p = units - 1; p > units - 1 - m; --p) {
        largest += values[static_cast<std::size_t>(p)];
    }
    SimulationState.scaleLower = MeanOfSum(smallest, m, values, 0, 1);
    SimulationState.scaleUpper = MeanOfSum(largest, m, values, units - 1, -1);
}
