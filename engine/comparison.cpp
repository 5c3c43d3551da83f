#include "engine/comparison.h"

#include <cmath>

#include "core/estimators.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "engine/run_engine.h"

namespace {

constexpr double IntervalHalfWidthFactor = 1.96;

/// One draw under `design` into the record's current sample, as a run draws it.
void DrawUnder(const DesignChoice& design)
{
    if (design.design == DesignProportionalToSize) {
        DrawSampleProportionalToSizeBy(design.variable);
    } else {
        DrawSampleEqualProbabilities();
    }
}

/// A sample is used when at least two units responded.
bool AcceptableSample()
{
    return SimulationState.respondentCount > 1;
}

/// Indices of the variants of each distinct design, designs in the order of
/// first appearance, variants in list order.
std::vector<std::vector<int>> VariantsByDesign(const std::vector<ComparisonVariant>& variants)
{
    std::vector<std::vector<int>> groups;
    std::vector<DesignChoice> designs;
    for (int v = 0; v < static_cast<int>(variants.size()); ++v) {
        std::size_t group = 0;
        while (group < designs.size() && !(designs[group] == variants[v].design)) {
            ++group;
        }
        if (group == designs.size()) {
            designs.push_back(variants[v].design);
            groups.emplace_back();
        }
        groups[group].push_back(v);
    }
    return groups;
}

EstimatorInputs InputsOf(const ComparisonVariant& variant)
{
    return PrepareEstimatorInputs(variant.estimator, variant.design.design, SimulationState.targetVariable,
                                  variant.auxiliaryVariable);
}

VariantSample EstimateVariant(const EstimatorInputs& inputs, bool intervals, double populationMean)
{
    VariantSample sample;
    const SampleEstimate result = EstimateOnSample(RecordSample(), inputs, intervals);
    sample.valid = result.valid;
    sample.estimate = result.estimate;
    if (!result.valid || !intervals) {
        return sample;
    }
    sample.standardError = result.standardError;
    sample.standardErrorAvailable = std::isfinite(result.standardError) && result.standardError >= 0.0;
    if (sample.standardErrorAvailable) {
        sample.lower = result.estimate - IntervalHalfWidthFactor * result.standardError;
        sample.upper = result.estimate + IntervalHalfWidthFactor * result.standardError;
        sample.covered =
            ClassifyInterval(sample.lower, sample.upper, populationMean) == IntervalOutcome::Covered;
    }
    return sample;
}

void Count(VariantTally& tally, const VariantSample& sample, bool intervals, double populationMean)
{
    if (!sample.valid) {
        return;
    }
    tally.estimates.push_back(sample.estimate);
    if (!intervals) {
        return;
    }
    if (!sample.standardErrorAvailable) {
        ++tally.withoutStandardError;
        return;
    }
    switch (ClassifyInterval(sample.lower, sample.upper, populationMean)) {
        case IntervalOutcome::Covered:
            ++tally.covered;
            break;
        case IntervalOutcome::MissedLow:
            ++tally.missedLow;
            break;
        case IntervalOutcome::MissedHigh:
            ++tally.missedHigh;
            break;
    }
}

double Mean(const std::vector<double>& values)
{
    double sum = 0.0;
    for (const double value : values) {
        sum += value;
    }
    return sum / static_cast<double>(values.size());
}

std::optional<double> Percent(int count, int total)
{
    if (total == 0) {
        return std::nullopt;
    }
    return count * 100.0 / total;
}

std::optional<double> Available(bool available, double value)
{
    return available ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

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

std::optional<double> MeanSquaredError(const std::vector<double>& estimates, double populationMean)
{
    if (estimates.empty()) {
        return std::nullopt;
    }
    double squares = 0.0;
    for (const double estimate : estimates) {
        const double error = estimate - populationMean;
        squares += error * error;
    }
    return squares / static_cast<double>(estimates.size());
}

VariantSummary SummarizeVariant(const VariantTally& tally, const std::optional<TheoreticalProperties>& theory,
                                double populationMean, std::optional<double> referenceMse)
{
    VariantSummary summary;
    if (theory) {
        summary.theoreticalMean = Available(theory->meanAvailable, theory->mean);
        summary.theoreticalStdError = Available(theory->stdErrorAvailable, theory->stdError);
    }
    const std::vector<double>& estimates = tally.estimates;
    const int m = static_cast<int>(estimates.size());
    summary.noEstimate = tally.acceptedSamples - m;
    if (m >= 1) {
        const double mean = Mean(estimates);
        summary.simulatedMean = mean;
        summary.bias = mean - populationMean;
        const std::optional<double> mse = MeanSquaredError(estimates, populationMean);
        summary.rootMeanSquareError = std::sqrt(*mse);
        if (referenceMse && *referenceMse != 0.0 && *mse != 0.0) {
            summary.relativeEfficiency = *referenceMse / *mse;
        }
    }
    if (m >= 2) {
        const double mean = *summary.simulatedMean;
        double squares = 0.0;
        for (const double estimate : estimates) {
            const double deviation = estimate - mean;
            squares += deviation * deviation;
        }
        summary.simulatedStdError = std::sqrt(squares / (m - 1));
    }
    const int withInterval = tally.covered + tally.missedLow + tally.missedHigh;
    summary.coveredPercent = Percent(tally.covered, withInterval);
    summary.missedLowPercent = Percent(tally.missedLow, withInterval);
    summary.missedHighPercent = Percent(tally.missedHigh, withInterval);
    summary.withoutStandardError = tally.withoutStandardError;
    return summary;
}

ComparisonResult RunComparison(const std::vector<ComparisonVariant>& variants, int samples, bool intervals,
                               const std::function<void(const VariantSample&)>& observe)
{
    ComparisonResult result;
    result.populationMean = PopulationMean();
    result.tallies.resize(variants.size());
    std::vector<EstimatorInputs> inputs;
    for (const ComparisonVariant& variant : variants) {
        inputs.push_back(InputsOf(variant));
    }
    for (const std::vector<int>& group : VariantsByDesign(variants)) {
        const DesignChoice& design = variants[group.front()].design;
        int accepted = 0;
        int rejected = 0;
        while (accepted < samples) {
            DrawUnder(design);
            if (!AcceptableSample()) {
                if (++rejected >= RejectionBound) {
                    result.stoppedDesigns.push_back(group.front());
                    break;
                }
                continue;
            }
            ++accepted;
            for (const int v : group) {
                VariantSample sample = EstimateVariant(inputs[v], intervals, result.populationMean);
                sample.variant = v;
                sample.sample = accepted;
                sample.rejectedDraws = rejected;
                Count(result.tallies[v], sample, intervals, result.populationMean);
                if (observe) {
                    observe(sample);
                }
            }
            rejected = 0;
        }
        for (const int v : group) {
            result.tallies[v].acceptedSamples = accepted;
        }
    }
    const int sampleSize = SimulationState.sampleSize;
    std::optional<double> referenceMse;
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const std::optional<double> mse =
            MeanSquaredError(result.tallies[v].estimates, result.populationMean);
        if (v == 0) {
            referenceMse = mse;
        }
        result.summaries.push_back(SummarizeVariant(result.tallies[v], TheoryOf(inputs[v], sampleSize),
                                                    result.populationMean, referenceMse));
    }
    return result;
}
