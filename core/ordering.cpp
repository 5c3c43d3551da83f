#include "core/ordering.h"

#include <algorithm>
#include <utility>

#include "core/rounding.h"
#include "core/strata.h"

namespace {

bool NeedsAuxiliaryMean()
{
    const std::int32_t estimator = SimulationState.estimatorCode;
    return estimator == EstimatorRatio || estimator == EstimatorRegression ||
           SimulationState.designCode == DesignProportionalToSize;
}

void PrepareAuxiliaryMean()
{
    SimulationState.auxiliaryMean = VariableMean(SimulationState.auxiliaryVariable);
}

void PrepareStratumWeights()
{
    const PostStrata strata = PostStrataOf(SimulationState.auxiliaryVariable);
    SimulationState.stratumWeights = strata.weights;
    SimulationState.stratumCount = strata.count;
}

/// The strata of the stratified design: H and N_h, and the bounds of its
/// classes, which the values' post-strata do not give.
void PrepareStratumSizes()
{
    TSimulationState& s = SimulationState;
    const Stratification stratification = StratificationOf(s.auxiliaryVariable, s.stratumClasses);
    const Strata strata = FormStrata(stratification).strata;
    s.stratumCount = strata.count;
    s.stratumSizes = strata.sizes;
    s.stratumClassBounds = stratification.upper;
}

}  // namespace

void SortUnitsByVariable(int k, UnitList& list)
{
    const int units = PopulationSize();
    list.assign(static_cast<std::size_t>(units) + 1, 0);
    for (int i = 1; i <= units; ++i) {
        list[i] = i;
    }
    QuickSortUnits(k, list, 1, units);
}

namespace {

/// Whether positions lo..hi hold non-decreasing values. On such a range the
/// scheme below never exchanges (the last value is the largest) and goes on with
/// lo..hi-1, which is again non-decreasing: it leaves the range as it is. NaN
/// fails every comparison here, so a range holding one is sorted the long way.
template <typename Value>
bool InAscendingOrder(const Value& value, int lo, int hi)
{
    for (int p = lo; p < hi; ++p) {
        if (!(value(p) <= value(p + 1))) {
            return false;
        }
    }
    return true;
}

}  // namespace

// The pivot starts at the right end and travels with every exchange; only strictly
// greater values are exchanged, which fixes the order of equal values. The two
// parts are disjoint, so sorting the smaller one first by recursion and the larger
// one in this loop gives the same list with a recursion depth of log2(N).
void QuickSortUnits(int k, UnitList& list, int lo, int hi)
{
    lo = std::max(lo, 1);
    hi = std::min(hi, static_cast<int>(list.size()) - 1);
    const int column = VariableColumn(k);
    const auto value = [&](int position) { return UnitValue(list[position], column); };
    const auto exchange = [&](int a, int b) { std::swap(list[a], list[b]); };
    while (lo < hi && !InAscendingOrder(value, lo, hi)) {
        int left = lo;
        int right = hi;
        bool exchanged = true;
        while (exchanged && left < right) {
            exchanged = false;
            for (; left < right; ++left) {
                if (value(left) > value(right)) {
                    exchange(left, right);
                    exchanged = true;
                    break;
                }
            }
            if (!exchanged) {
                break;
            }
            exchanged = false;
            for (; left < right; --right) {
                if (value(left) > value(right)) {
                    exchange(left, right);
                    exchanged = true;
                    break;
                }
            }
        }
        const int leftHi = left - 1;
        const int rightLo = right + 1;
        if (leftHi - lo < hi - rightLo) {
            QuickSortUnits(k, list, lo, leftHi);
            lo = rightLo;
        } else {
            QuickSortUnits(k, list, rightLo, hi);
            hi = leftHi;
        }
    }
}

std::int32_t PostStratumOf(double value)
{
    return nearest(value);
}

int StratumCount()
{
    return std::clamp(SimulationState.stratumCount, 0, MaxStrata);
}

bool EveryStratumHasTwoUnits(const StratumTallies& tallies, int strata)
{
    return std::all_of(tallies.begin() + 1, tallies.begin() + 1 + strata,
                       [](const StratumTally& tally) { return tally.count >= 2; });
}

double PostStratifiedVariance(const StratumTallies& tallies, const StratumWeights& weights, int strata,
                              double correction, double n)
{
    double variance = 0.0;
    for (int h = 1; h <= strata; ++h) {
        const StratumTally& tally = tallies[h];
        const double weight = weights[h];
        const double s2 = (tally.sumOfSquares - tally.total * tally.total / tally.count) / (tally.count - 1);
        variance = variance + correction * weight * s2 + (1.0 - weight) * s2 / (n * n);
    }
    // A variance cannot be negative; below 0 it is rounding error.
    return variance < 0.0 ? 0.0 : variance;
}

double VariableMean(int k)
{
    const int units = PopulationSize();
    const int column = VariableColumn(k);
    double sum = 0.0;
    for (int i = 1; i <= units; ++i) {
        sum += UnitValue(i, column);
    }
    // Without units there is no mean; 0 keeps the record finite.
    return units > 0 ? sum / units : 0.0;
}

// Units whose post-stratum lies outside 1..10 are left out (the estimator dialog
// never lets such a stratification reach a run).
PostStrata PostStrataOf(int k)
{
    PostStrata strata;
    const int units = PopulationSize();
    const int column = VariableColumn(k);
    for (int i = 1; i <= units; ++i) {
        const int h = PostStratumOf(UnitValue(i, column));
        if (h < 1 || h > MaxStrata) {
            continue;
        }
        strata.weights[h] += 1.0;
        strata.count = std::max(strata.count, h);
    }
    for (int h = 1; h <= strata.count; ++h) {
        strata.weights[h] /= SimulationState.unitCount;
    }
    return strata;
}

void PrepareAuxiliaryQuantities()
{
    if (NeedsAuxiliaryMean()) {
        PrepareAuxiliaryMean();
    } else if (SimulationState.estimatorCode == EstimatorPostStratified) {
        PrepareStratumWeights();
    } else if (SimulationState.designCode == DesignStratified) {
        PrepareStratumWeights();
        PrepareStratumSizes();
    }
}
