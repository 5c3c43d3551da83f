#include "engine/comparison.h"

#include <algorithm>
#include <cmath>

#include "core/estimators.h"
#include "core/number_format.h"
#include "core/random_sampling.h"
#include "core/strata.h"
#include "core/stratified_sampling.h"
#include "core/systematic_sampling.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"
#include "engine/monte_carlo_errors.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"
#include "texts/interface_text_table.h"

namespace {

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
    const DesignParameters parameters = DesignOf(variant.design.design).EstimatorParameters(variant.design);
    return PrepareEstimatorInputs(variant.estimator, parameters, SimulationState.targetVariable,
                                  variant.auxiliaryVariable);
}

VariantSample EstimateVariant(const PreparedDesign& design, const EstimatorInputs& inputs, bool intervals,
                              const CoverageTarget& target)
{
    VariantSample sample;
    const SampleEstimate result = EstimateOnDrawnSample(design, inputs, intervals);
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
            ClassifyEstimate(sample.estimate, sample.standardError, target) == IntervalOutcome::Covered;
    }
    return sample;
}

void Count(VariantTally& tally, const VariantSample& sample, bool intervals, const CoverageTarget& target)
{
    if (!sample.valid) {
        return;
    }
    tally.estimates.push_back(sample.estimate);
    tally.estimateSamples.push_back(sample.sample);
    if (!intervals) {
        return;
    }
    if (!sample.standardErrorAvailable) {
        ++tally.withoutStandardError;
        return;
    }
    switch (ClassifyEstimate(sample.estimate, sample.standardError, target)) {
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

SquaredErrors SquaredErrorsOf(const VariantTally& tally, double populationMean)
{
    SquaredErrors errors;
    for (const double estimate : tally.estimates) {
        errors.values.push_back((estimate - populationMean) * (estimate - populationMean));
    }
    errors.samples = tally.estimateSamples;
    return errors;
}

std::optional<double> Available(bool available, double value)
{
    return available ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

std::vector<int> AllocationOfDesign(const DesignChoice& design)
{
    if (design.design != DesignStratified) {
        return {};
    }
    return StratifiedAllocationSizes(StratificationOf(design.variable, design.stratumClasses),
                                     static_cast<AllocationCode>(design.allocation));
}

std::string VariantText(const ComparisonVariant& variant)
{
    // Every variant has the record's n: the sample size tells variants apart only
    // where the design's own settings make it (m and k of the cluster designs).
    const int n = SimulationState.sampleSize;
    const std::string size = DesignOf(variant.design.design).SampleSizeText(variant.design, n);
    const std::string sizePart = size == std::to_string(n) ? "" : ", " + size;
    return DesignCaption(variant.design) + sizePart + " / " +
           EstimatorCaption(variant.estimator, variant.auxiliaryVariable, variant.design.design);
}

std::string VariantRefusal(const ComparisonVariant& variant)
{
    const SamplingDesign& design = DesignOf(variant.design.design);
    if (std::string refusal = design.EstimatorRefusal(variant.estimator); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = design.Refusal(variant.design, SimulationState.sampleSize); !refusal.empty()) {
        return refusal;
    }
    const Estimator* estimator = FindEstimator(variant.estimator);
    return estimator != nullptr ? estimator->VariableRefusal(variant.auxiliaryVariable) : "";
}

std::vector<ComparisonVariant> VariantsOfSettings()
{
    const TSimulationState& s = SimulationState;
    const SamplingDesign& design = DesignOf(s.designCode);
    // The units (auxiliary 0) serve the designs that offer them.
    const bool auxiliaryUsable = IsVariableNumber(s.auxiliaryVariable) ||
                                 (design.OffersUnitsAsAuxiliary() && s.auxiliaryVariable == 0);
    const auto readsAuxiliary = [](std::int32_t code) {
        const Estimator* estimator = FindEstimator(code);
        return estimator != nullptr && estimator->ReadsAuxiliary();
    };
    const auto withEstimator = [&](std::int32_t estimator) {
        ComparisonVariant variant;
        variant.design = RecordDesignChoice();
        variant.estimator = estimator;
        if (design.VariableIsAuxiliary() || readsAuxiliary(estimator)) {
            variant.auxiliaryVariable = s.auxiliaryVariable;
        }
        return variant;
    };
    const auto usable = [&](const ComparisonVariant& variant) {
        return !readsAuxiliary(variant.estimator) ||
               (auxiliaryUsable && design.Allows(variant.estimator) && VariantRefusal(variant).empty());
    };
    // The estimator in force first, then every other the design allows.
    ComparisonVariant inForce = withEstimator(s.estimatorCode);
    if (!usable(inForce)) {
        inForce = withEstimator(EstimatorDirect);
    }
    std::vector<ComparisonVariant> variants = {inForce};
    for (const Estimator* estimator : Estimators()) {
        if (const ComparisonVariant variant = withEstimator(estimator->Code());
            estimator->Code() != inForce.estimator && usable(variant)) {
            variants.push_back(variant);
        }
    }
    return variants;
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
                                double populationMean, std::optional<double> referenceMse,
                                double roundingLevel)
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
        const bool belowRounding = referenceMse && *referenceMse <= roundingLevel && *mse <= roundingLevel;
        if (referenceMse && *referenceMse != 0.0 && *mse != 0.0 && !belowRounding) {
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
    summary.coveredPercent = Percent(tally.covered, m);
    summary.missedLowPercent = Percent(tally.missedLow, m);
    summary.missedHighPercent = Percent(tally.missedHigh, m);
    if (m >= 1) {
        summary.coveredMcError = MonteCarloErrorOfPercentage(tally.covered, m);
    }
    summary.withoutStandardError = tally.withoutStandardError;
    return summary;
}

std::optional<double> TheoreticalRelativeEfficiency(const VariantSummary& reference,
                                                    const VariantSummary& summary)
{
    const std::optional<double>& referenceError = reference.theoreticalStdError;
    const std::optional<double>& error = summary.theoreticalStdError;
    if (!referenceError || !error || *referenceError == 0.0 || *error == 0.0) {
        return std::nullopt;
    }
    return (*referenceError * *referenceError) / (*error * *error);
}

std::vector<SummaryValue> SummaryValues(const VariantSummary& summary, bool intervals, bool monteCarloErrors)
{
    using enum SummaryValue::Kind;
    std::vector<SummaryValue> values = {
        {summary.theoreticalMean, Real},
        {summary.simulatedMean, Real},
        {summary.bias, Real},
        {summary.theoreticalStdError, Real},
        {summary.simulatedStdError, Real},
        {summary.rootMeanSquareError, Real},
        {summary.relativeEfficiency, Real},
        {summary.noEstimate, Count},
    };
    if (intervals) {
        values.insert(values.end(), {{summary.coveredPercent, Percentage},
                                     {summary.missedLowPercent, Percentage},
                                     {summary.missedHighPercent, Percentage},
                                     {summary.withoutStandardError, Count}});
    }
    if (monteCarloErrors) {
        values.push_back({summary.relativeEfficiencyMcError, Real});
        if (intervals) {
            values.push_back({summary.coveredMcError, Real});
        }
    }
    return values;
}

std::vector<std::string> SummaryFields(const VariantSummary& summary, bool intervals, bool monteCarloErrors)
{
    std::vector<std::string> fields;
    for (const SummaryValue& value : SummaryValues(summary, intervals, monteCarloErrors)) {
        if (!value.value) {
            fields.emplace_back("-");
        } else if (value.kind == SummaryValue::Kind::Count) {
            fields.push_back(std::to_string(static_cast<int>(*value.value)));
        } else {
            fields.push_back(value.kind == SummaryValue::Kind::Real ? FormatFixed3(*value.value)
                                                                    : FormatFixed1(*value.value));
        }
    }
    return fields;
}

BoxSummary SummarizeForBoxPlot(std::vector<double> estimates)
{
    BoxSummary box;
    if (estimates.empty()) {
        return box;
    }
    std::sort(estimates.begin(), estimates.end());
    const auto quantile = [&estimates](double p) {
        const double position = p * static_cast<double>(estimates.size() - 1);
        const auto below = static_cast<std::size_t>(std::floor(position));
        const std::size_t above = std::min(below + 1, estimates.size() - 1);
        const double fraction = position - static_cast<double>(below);
        return estimates[below] + fraction * (estimates[above] - estimates[below]);
    };
    box.available = true;
    box.lowerQuartile = quantile(0.25);
    box.median = quantile(0.5);
    box.upperQuartile = quantile(0.75);
    const double reach = 1.5 * (box.upperQuartile - box.lowerQuartile);
    box.lowerWhisker = box.lowerQuartile;
    box.upperWhisker = box.upperQuartile;
    for (const double estimate : estimates) {
        if (estimate < box.lowerQuartile - reach || estimate > box.upperQuartile + reach) {
            box.outliers.push_back(estimate);
        } else {
            box.lowerWhisker = std::min(box.lowerWhisker, estimate);
            box.upperWhisker = std::max(box.upperWhisker, estimate);
        }
    }
    return box;
}

BoxAxis BoxAxisFor(const std::vector<BoxSummary>& boxes, double populationMean)
{
    constexpr double padding = 0.05;
    double lo = populationMean;
    double hi = populationMean;
    for (const BoxSummary& box : boxes) {
        if (!box.available) {
            continue;
        }
        lo = std::min(lo, box.lowerWhisker);
        hi = std::max(hi, box.upperWhisker);
        for (const double outlier : box.outliers) {
            lo = std::min(lo, outlier);
            hi = std::max(hi, outlier);
        }
    }
    double span = hi - lo;
    if (!(span > 0.0) || !std::isfinite(span)) {
        span = std::max(std::abs(populationMean) * 0.1, 1.0);
        lo = populationMean - span / 2;
        hi = populationMean + span / 2;
    }
    return {lo - padding * span, hi + padding * span};
}

std::array<std::string, 3> BoxAxisLabels(const BoxAxis& axis)
{
    return {FormatFixed3(axis.low), FormatFixed3((axis.low + axis.high) / 2), FormatFixed3(axis.high)};
}

ComparisonResult RunComparison(const std::vector<ComparisonVariant>& variants, int samples, bool intervals,
                               const std::function<void(const VariantSample&)>& observe,
                               const std::function<bool()>& keepGoing)
{
    bool stopped = false;
    const auto goOn = [&keepGoing, &stopped] {
        stopped = stopped || (keepGoing && !keepGoing());
        return !stopped;
    };
    ComparisonResult result;
    const CoverageTarget target = CoverageTargetOfPopulation();
    result.populationMean = target.populationMean;
    result.tallies.resize(variants.size());
    std::vector<EstimatorInputs> inputs;
    for (const ComparisonVariant& variant : variants) {
        inputs.push_back(InputsOf(variant));
    }
    for (const std::vector<int>& group : VariantsByDesign(variants)) {
        const DesignChoice& choice = variants[group.front()].design;
        const std::unique_ptr<PreparedDesign> design = PrepareDraws(choice);
        int accepted = 0;
        int rejected = 0;
        while (accepted < samples && goOn()) {
            if (!design->DrawUnlessStopped(goOn)) {
                break;
            }
            if (!design->Acceptable()) {
                if (++rejected >= RejectionBound) {
                    result.stoppedDesigns.push_back(group.front());
                    break;
                }
                continue;
            }
            ++accepted;
            for (const int v : group) {
                VariantSample sample = EstimateVariant(*design, inputs[v], intervals, target);
                sample.variant = v;
                sample.sample = accepted;
                sample.rejectedDraws = rejected;
                Count(result.tallies[v], sample, intervals, target);
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
    const double roundingLevel = target.zeroWidthTolerance * target.zeroWidthTolerance;
    std::optional<double> referenceMse;
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const std::optional<double> mse =
            MeanSquaredError(result.tallies[v].estimates, result.populationMean);
        if (v == 0) {
            referenceMse = mse;
        }
        VariantSummary summary =
            SummarizeVariant(result.tallies[v], TheoryOfChoice(variants[v].design, inputs[v], sampleSize),
                             result.populationMean, referenceMse, roundingLevel);
        if (summary.relativeEfficiency) {
            summary.relativeEfficiencyMcError =
                MonteCarloErrorOfRelativeEfficiency(SquaredErrorsOf(result.tallies[0], result.populationMean),
                                                    SquaredErrorsOf(result.tallies[v], result.populationMean),
                                                    variants[0].design == variants[v].design);
        }
        result.summaries.push_back(summary);
    }
    return result;
}
