#include "core/stratified_sampling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "core/standard_error.h"

namespace {

/// Stratum h's units, clamped to 0..N_h.
int UnitsToTake(const StratifiedFrame& frame, const StratumCounts& sampleSizes, int h)
{
    return std::clamp(sampleSizes[h], 0, frame.strata.sizes[h]);
}

std::size_t UnitsToDraw(const StratifiedFrame& frame, const StratumCounts& sampleSizes)
{
    std::size_t total = 0;
    for (int h = 1; h <= frame.strata.count; ++h) {
        total += static_cast<std::size_t>(UnitsToTake(frame, sampleSizes, h));
    }
    return total;
}

}  // namespace

StratifiedAllocation AllocateStratifiedSample(const Stratification& stratifier, int target, int n,
                                              AllocationCode allocation)
{
    StratifiedAllocation result;
    result.check = FormStrata(stratifier);
    if (!result.check.refusal.empty()) {
        return result;
    }
    const Strata& strata = result.check.strata;
    result.variances = StratumVariances(strata, stratifier, target);
    StratumValues deviations{};
    for (int h = 1; h <= strata.count; ++h) {
        deviations[h] = std::sqrt(result.variances[h]);
    }
    result.sampleSizes = AllocateSample(n, strata, allocation, deviations);
    return result;
}

StratifiedFrame BuildStratifiedFrame(const Strata& strata, const Stratification& stratifier)
{
    StratifiedFrame frame;
    frame.strata = strata;
    StratumCounts next{};
    int total = 0;
    for (int h = 1; h <= strata.count; ++h) {
        frame.first[h] = total;
        next[h] = total;
        total += strata.sizes[h];
    }
    frame.units.assign(total, 0);
    const int column = VariableColumn(stratifier.variable);
    for (int i = 1; i <= strata.units; ++i) {
        const int h = stratifier.StratumOf(UnitValue(i, column));
        if (h >= 1 && h <= strata.count && next[h] < total) {
            frame.units[next[h]++] = i;
        }
    }
    return frame;
}

StratifiedPlan PrepareStratifiedPlan(const Stratification& stratifier, int target, int n,
                                     AllocationCode allocation)
{
    const StratifiedAllocation allocated = AllocateStratifiedSample(stratifier, target, n, allocation);
    StratifiedPlan plan;
    if (allocated.sampleSizes) {
        plan.frame = BuildStratifiedFrame(allocated.check.strata, stratifier);
        plan.sampleSizes = *allocated.sampleSizes;
    }
    return plan;
}

StratifiedPlan PrepareStratifiedPlan()
{
    const TSimulationState& s = SimulationState;
    return PrepareStratifiedPlan(StratificationOf(s.auxiliaryVariable, s.stratumClasses), s.targetVariable,
                                 s.sampleSize, static_cast<AllocationCode>(s.allocationCode));
}

int DrawStratifiedSample(const StratifiedFrame& frame, const StratumCounts& sampleSizes,
                         std::span<std::int32_t> sample)
{
    if (UnitsToDraw(frame, sampleSizes) > sample.size()) {
        return 0;
    }
    std::size_t drawn = 0;
    for (int h = 1; h <= frame.strata.count; ++h) {
        const std::span<const std::int32_t> stratum(frame.units.data() + frame.first[h],
                                                    static_cast<std::size_t>(frame.strata.sizes[h]));
        const int take = UnitsToTake(frame, sampleSizes, h);
        const std::span<std::int32_t> into = sample.subspan(drawn, static_cast<std::size_t>(take));
        DrawFromList(stratum, into);
        drawn += take;
    }
    return static_cast<int>(drawn);
}

void DrawSampleStratified(const StratifiedPlan& plan)
{
    const int positions = SamplePositions();
    const int room = std::max(positions, static_cast<int>(UnitsToDraw(plan.frame, plan.sampleSizes)));
    std::int32_t* const units = SimulationState.sampleUnits.Room(room);
    const int drawn = DrawStratifiedSample(plan.frame, plan.sampleSizes,
                                           std::span(units + 1, static_cast<std::size_t>(room)));
    for (int j = drawn + 1; j <= positions; ++j) {
        units[j] = 0;
    }
    SimulationState.respondentCount = std::min(drawn, positions);
    if (SimulationState.nonresponseOn) {
        GenerateNonresponse();
    }
}

MeanEstimate EstimateStratifiedMean(std::span<const std::int32_t> sample, const Strata& strata,
                                    const Stratification& stratifier, int target)
{
    const int stratumColumn = VariableColumn(stratifier.variable);
    const int targetColumn = VariableColumn(target);
    // The stratum values are fetched in a pass of their own: in a large population
    // the units' rows are mostly out of the cache, and this short loop has many of
    // them fetched at once; the sums below then find them cached.
    static std::vector<double> stratumValues;
    stratumValues.resize(sample.size());
    for (std::size_t k = 0; k < sample.size(); ++k) {
        const std::int32_t unit = sample[k];
        stratumValues[k] = UnitValue(unit >= 1 && unit <= strata.units ? unit : 0, stratumColumn);
    }
    // Each run of consecutive respondents of one stratum is summed apart and then
    // added to its stratum's tally; the draw places each stratum's units together,
    // so that every total is the sum in position order.
    StratumTallies tallies{};
    StratumTally run;
    int runStratum = 0;
    for (std::size_t k = 0; k < sample.size(); ++k) {
        const std::int32_t unit = sample[k];
        if (unit < 1 || unit > strata.units) {
            continue;
        }
        const int h = stratifier.StratumOf(stratumValues[k]);
        if (h < 1 || h > strata.count) {
            continue;
        }
        if (h != runStratum) {
            tallies[runStratum].Merge(run);
            run = StratumTally{};
            runStratum = h;
        }
        run.Add(UnitValue(unit, targetColumn));
    }
    tallies[runStratum].Merge(run);
    MeanEstimate result;
    double variance = 0.0;
    bool standardErrorAvailable = true;
    for (int h = 1; h <= strata.count; ++h) {
        const StratumTally& tally = tallies[h];
        if (tally.count < 1) {
            return result;
        }
        const double weight = strata.Weight(h);
        result.estimate = result.estimate + weight * tally.total / tally.count;
        if (tally.count == 1) {
            standardErrorAvailable = standardErrorAvailable && strata.sizes[h] == 1;
            continue;
        }
        const double s2 = (tally.sumOfSquares - tally.total * tally.total / tally.count) / (tally.count - 1);
        variance = variance + weight * weight * (1.0 / tally.count - 1.0 / strata.sizes[h]) * s2;
    }
    result.valid = strata.count >= 1 && std::isfinite(result.estimate);
    if (standardErrorAvailable) {
        // Below 0 only through rounding.
        result.standardError = RootOfVariance(std::max(variance, 0.0)).value_or(-1.0);
    }
    return result;
}

std::optional<double> StratifiedStandardError(const Strata& strata, const StratumCounts& sampleSizes,
                                              const StratumValues& variances)
{
    double variance = 0.0;
    for (int h = 1; h <= strata.count; ++h) {
        const double weight = strata.Weight(h);
        variance = variance + weight * weight * (1.0 / sampleSizes[h] - 1.0 / strata.sizes[h]) * variances[h];
    }
    return RootOfVariance(variance);
}
