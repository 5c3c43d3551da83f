#pragma once
// Comparison of estimators and designs on the same samples. Each design of the
// list draws its samples exactly as a run of that design draws them; every
// estimator paired with that design is computed on each accepted sample, and
// the variants are summed up against the population mean: bias, standard
// error, root mean square error, relative efficiency and, with intervals, where
// the misses fall. The settings of the record (target, sample size, nonresponse)
// apply to every variant; the record's design and estimator are never changed.
// No Qt.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/simulation_state.h"
#include "core/theory.h"
#include "engine/designs/sampling_design.h"
#include "engine/interval_rule.h"

inline constexpr int MinComparisonSamples = 10;
inline constexpr int MaxComparisonSamples = 1000;

/// \brief A design with an estimator and its auxiliary variable.
struct ComparisonVariant {
    DesignChoice design;
    std::int32_t estimator = EstimatorDirect;
    /// Under the size-proportional and the stratified design: the design's variable.
    int auxiliaryVariable = 0;
};

/// \brief The variant as the windows name it: its design, the sample size where
/// the design's settings make it ("10 of 50 clusters, 3 units in each"), " / ",
/// its estimator as the statistics table names it ("Ratio (NAME)").
std::string VariantText(const ComparisonVariant& variant);

/// \brief The refusal of a variant, with the message the settings dialogs give
/// for it, or "" when it can be run: the size-proportional and the stratified
/// design only with the direct estimator, positive sizes, strata and post-strata
/// that can be used, a sample size that fits the strata.
std::string VariantRefusal(const ComparisonVariant& variant);

/// \brief The variants a comparison starts with: the current design with the
/// estimator in force first, then every other estimator the design allows that
/// can be run with the current auxiliary variable (the units where the design
/// offers them).
std::vector<ComparisonVariant> VariantsOfSettings();

/// \brief One estimator on one accepted sample.
struct VariantSample {
    int variant = 0;        ///< place in the list, from 0
    int sample = 0;         ///< accepted sample of its design, from 1
    int rejectedDraws = 0;  ///< draws rejected before that sample was accepted
    bool valid = false;     ///< false: no estimate on this sample
    double estimate = 0.0;
    bool standardErrorAvailable = false;  ///< with intervals only
    double standardError = -1.0;
    double lower = 0.0;
    double upper = 0.0;
    bool covered = false;
};

/// \brief What a variant collected over its design's accepted samples.
struct VariantTally {
    std::vector<double> estimates;  ///< the valid estimates e_1..e_m in draw order
    int acceptedSamples = 0;        ///< S, or fewer when its design was stopped
    int covered = 0;
    int missedLow = 0;
    int missedHigh = 0;
    int withoutStandardError = 0;        ///< estimates without a standard error (intervals only)
    std::vector<int> estimateSamples{};  ///< the accepted sample of each estimate, ascending
};

/// \brief The row of a variant in the comparison table; an undefined value is nothing.
struct VariantSummary {
    std::optional<double> theoreticalMean;
    std::optional<double> theoreticalStdError;
    std::optional<double> simulatedMean;
    std::optional<double> bias;
    std::optional<double> simulatedStdError;
    std::optional<double> rootMeanSquareError;
    std::optional<double> relativeEfficiency;
    int noEstimate = 0;
    // With intervals: percentages of the samples with an estimate (m), so that
    // they add up to 100 with the samples without a standard error.
    std::optional<double> coveredPercent;
    std::optional<double> missedLowPercent;
    std::optional<double> missedHighPercent;
    int withoutStandardError = 0;
    // Monte Carlo errors: of the relative efficiency (delta method) and of the
    // covered percentage (of m, intervals only).
    std::optional<double> relativeEfficiencyMcError;
    std::optional<double> coveredMcError;
};

/// \brief Mean of (e - Ybar)^2 over the estimates (divisor m); nothing without estimates.
std::optional<double> MeanSquaredError(const std::vector<double>& estimates, double populationMean);

/// \brief The table row of `tally` against Ybar; `referenceMse` is the mean
/// squared error of the first variant. The relative efficiency is undefined when
/// either mean squared error is 0, or both are at most `roundingLevel` (a census
/// against a census: rounding noise over rounding noise).
VariantSummary SummarizeVariant(const VariantTally& tally, const std::optional<TheoreticalProperties>& theory,
                                double populationMean, std::optional<double> referenceMse,
                                double roundingLevel = 0.0);

/// \brief The relative efficiency the theory expects: the theoretical variance of
/// `reference` (the first variant) over that of `summary`; nothing where either
/// standard error is undefined or 0.
std::optional<double> TheoreticalRelativeEfficiency(const VariantSummary& reference,
                                                    const VariantSummary& summary);

/// \brief A value of a table row: a real, a percentage or a count; nothing where undefined.
struct SummaryValue {
    enum class Kind { Real, Percentage, Count };
    std::optional<double> value;
    Kind kind = Kind::Real;
};

/// \brief The values of a table row after the variant's name, in the order of the
/// columns: the eight of every comparison, the four interval values only with
/// intervals, with `monteCarloErrors` those of the relative efficiency and (with
/// intervals) of the covered percentage at the end.
std::vector<SummaryValue> SummaryValues(const VariantSummary& summary, bool intervals, bool monteCarloErrors);

/// \brief The fields of a table row after the variant's name, as both the window
/// and tarvek-batch show them: reals with three decimals, percentages with one,
/// counts whole, "-" where undefined.
std::vector<std::string> SummaryFields(const VariantSummary& summary, bool intervals,
                                       bool monteCarloErrors = false);

/// \brief What a box plot shows of a variant's estimates: the quartiles (linear
/// interpolation between order statistics at p (m - 1)), the whiskers at the most
/// extreme estimates within 1.5 interquartile ranges of the box, and the
/// estimates beyond them.
struct BoxSummary {
    bool available = false;  ///< false without estimates
    double lowerWhisker = 0.0;
    double lowerQuartile = 0.0;
    double median = 0.0;
    double upperQuartile = 0.0;
    double upperWhisker = 0.0;
    std::vector<double> outliers;
};

BoxSummary SummarizeForBoxPlot(std::vector<double> estimates);

/// \brief The common scale of the box plots: from `low` to `high`.
struct BoxAxis {
    double low = 0.0;
    double high = 1.0;
};

/// \brief Every value the available boxes show, and the population mean, lie
/// on the axis, with 5% of their span as room at both ends (a span around the
/// mean where they all coincide).
BoxAxis BoxAxisFor(const std::vector<BoxSummary>& boxes, double populationMean);

/// \brief The texts under the axis' left end, middle and right end, with three
/// decimals.
std::array<std::string, 3> BoxAxisLabels(const BoxAxis& axis);

/// \brief The n_h of a stratified design in stratum order; empty for other designs.
std::vector<int> AllocationOfDesign(const DesignChoice& design);

struct ComparisonResult {
    double populationMean = 0.0;
    std::vector<VariantTally> tallies;
    std::vector<VariantSummary> summaries;
    /// Designs stopped by the bound on consecutive rejected draws, by the place
    /// of their first variant.
    std::vector<int> stoppedDesigns;
};

/// \brief Draws the samples of every design of `variants` (S = `samples` each,
/// in the order of first appearance) and computes every estimator on them.
/// `observe` sees each estimate in draw order (design, sample, variant);
/// `keepGoing`, asked before each draw and within a long one, ends the run where
/// it is when it returns false, leaving the designs not reached without samples.
ComparisonResult RunComparison(const std::vector<ComparisonVariant>& variants, int samples, bool intervals,
                               const std::function<void(const VariantSample&)>& observe = {},
                               const std::function<bool()>& keepGoing = {});
