#include "engine/comparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/allocation.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "engine/run_engine.h"

namespace {

/// A population of (y, x) pairs, target 1, samples of `n`, seed 0.
void InstallPairs(const std::vector<std::pair<double, double>>& units, int n)
{
    SimulationState = TSimulationState{};
    TSimulationState& s = SimulationState;
    s.unitCount = static_cast<int>(units.size());
    s.variableCount = 2;
    for (int i = 1; i <= s.unitCount; ++i) {
        s.populationData[i][1] = units[i - 1].first;
        s.populationData[i][2] = units[i - 1].second;
    }
    s.targetVariable = 1;
    s.sampleSize = n;
    RandomGenerator.seed = 0;
}

ComparisonVariant Variant(std::int32_t estimator, int auxiliary = 2)
{
    ComparisonVariant variant;
    variant.estimator = estimator;
    variant.auxiliaryVariable = auxiliary;
    return variant;
}

TEST(Comparison, RatioEstimatorWinsWhereTheTargetIsNearlyProportional)
{
    // y = 3 x plus a small wobble, x spread widely: the ratio estimator's error is
    // the wobble's, the direct estimator's the spread of y.
    std::vector<std::pair<double, double>> units;
    for (int i = 1; i <= 200; ++i) {
        const double x = 10.0 + (i * 37 % 200);
        units.emplace_back(3.0 * x + (i % 7 - 3) * 0.5, x);
    }
    InstallPairs(units, 20);
    const std::vector<ComparisonVariant> variants = {Variant(EstimatorDirect), Variant(EstimatorRatio),
                                                     Variant(EstimatorRegression)};
    const ComparisonResult result = RunComparison(variants, 400, true);
    ASSERT_EQ(result.summaries.size(), 3u);
    const VariantSummary& direct = result.summaries[0];
    const VariantSummary& ratio = result.summaries[1];
    EXPECT_LT(std::abs(*ratio.bias), 0.02 * *direct.simulatedStdError) << "bias near 0";
    EXPECT_GT(*ratio.relativeEfficiency, 100.0) << "efficiency far above 1";
    EXPECT_GT(*result.summaries[2].relativeEfficiency, 100.0);
    EXPECT_EQ(*direct.relativeEfficiency, 1.0);
    for (const VariantTally& tally : result.tallies) {
        EXPECT_EQ(tally.acceptedSamples, 400) << "one set of samples for the three";
        EXPECT_EQ(tally.estimates.size(), 400u);
    }
    EXPECT_NEAR(*ratio.theoreticalStdError, *ratio.simulatedStdError, 0.15 * *ratio.theoreticalStdError);
}

TEST(Comparison, OptimalAllocationBeatsProportionalWhereStrataVarianceDiffers)
{
    // Three strata of 40 units (variable 2) whose target spreads 1, 5 and 25 around
    // their means: the optimal allocation puts most of the sample in stratum 3.
    std::vector<std::pair<double, double>> units;
    for (int h = 1; h <= 3; ++h) {
        const double spread = h == 1 ? 1.0 : (h == 2 ? 5.0 : 25.0);
        for (int i = 0; i < 40; ++i) {
            units.emplace_back(100.0 * h + spread * ((i * 7 % 9) - 4), h);
        }
    }
    InstallPairs(units, 24);
    std::vector<ComparisonVariant> variants(2, Variant(EstimatorDirect));
    variants[0].design = {DesignStratified, 2, AllocationProportional};
    variants[1].design = {DesignStratified, 2, AllocationOptimal};
    const ComparisonResult result = RunComparison(variants, 400, false);
    const VariantSummary& proportional = result.summaries[0];
    const VariantSummary& optimal = result.summaries[1];
    EXPECT_LT(*optimal.theoreticalStdError, 0.8 * *proportional.theoreticalStdError);
    EXPECT_LT(*optimal.simulatedStdError, *proportional.simulatedStdError);
    EXPECT_GT(*optimal.relativeEfficiency, 1.5);
    EXPECT_EQ(result.tallies[0].acceptedSamples, 400);
}

TEST(Comparison, SystematicSampleOnASortedListMissesTheNominalCoverage)
{
    // A target that rises along the list: the systematic sample spreads over it
    // like a stratified one, and the usual standard error overstates its error.
    std::vector<std::pair<double, double>> units;
    for (int i = 1; i <= 300; ++i) {
        units.emplace_back(i + (i * 13 % 5), 0.0);
    }
    InstallPairs(units, 30);
    std::vector<ComparisonVariant> variants(2, Variant(EstimatorDirect));
    variants[0].design = {DesignSystematic, 0};  // file order: sorted by the target
    const ComparisonResult result = RunComparison(variants, 400, true);
    const double sorted = *result.summaries[0].coveredPercent;
    EXPECT_GT(std::abs(sorted - 95.0), 4.5) << sorted;
    EXPECT_LT(*result.summaries[0].rootMeanSquareError, 0.5 * *result.summaries[1].rootMeanSquareError)
        << "far more precise than simple random sampling";
}

TEST(Comparison, EveryEstimatorSeesTheSamplesOfItsDesignInDrawOrder)
{
    std::vector<std::pair<double, double>> units;
    for (int i = 1; i <= 30; ++i) {
        units.emplace_back(i % 9 + 1.0, i % 4 + 1.0);
    }
    InstallPairs(units, 5);
    ComparisonVariant pps = Variant(EstimatorDirect);
    pps.design = {DesignProportionalToSize, 2};
    const std::vector<ComparisonVariant> variants = {Variant(EstimatorDirect), pps, Variant(EstimatorRatio),
                                                     pps};
    std::vector<std::pair<int, int>> seen;
    std::vector<double> ppsEstimates[2];
    const ComparisonResult result = RunComparison(variants, 10, false, [&](const VariantSample& sample) {
        seen.emplace_back(sample.variant, sample.sample);
        if (sample.variant == 1 || sample.variant == 3) {
            ppsEstimates[sample.variant / 2].push_back(sample.estimate);
        }
    });
    std::vector<std::pair<int, int>> expected;
    for (int sample = 1; sample <= 10; ++sample) {
        expected.insert(expected.end(), {{0, sample}, {2, sample}});
    }
    for (int sample = 1; sample <= 10; ++sample) {
        expected.insert(expected.end(), {{1, sample}, {3, sample}});
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ppsEstimates[0], ppsEstimates[1]);

    // The first design draws exactly what a run of it draws from the same seed.
    RandomGenerator.seed = 0;
    SimulationState.simulationCount = 10;
    SimulationState.estimatorCode = EstimatorDirect;
    SimulationState.designCode = DesignEqualProbabilities;
    RunEngine run;
    run.StartRun();
    SampleResult sample;
    std::vector<double> runEstimates;
    while (run.NextSample(sample) == DrawStatus::Accepted) {
        runEstimates.push_back(sample.estimate);
    }
    EXPECT_EQ(runEstimates, result.tallies[0].estimates);
}

TEST(Comparison, SummaryFieldsOfKnownEstimates)
{
    struct Case {
        VariantTally tally;
        std::optional<double> referenceMse;
        std::vector<std::string> expected;
    };
    // Ybar = 3, no theory; estimates 1, 2, 3, 6 of 5 samples: mean 3, sd sqrt(14/3),
    // mse 14/4; an mse of 0 or none gives no efficiency. The percentages are of the
    // samples with an estimate, those without a standard error included.
    VariantTally four{{1, 2, 3, 6}, 5, 2, 1, 0, 1};
    VariantTally one{{3}, 4, 0, 0, 0, 1};
    const std::vector<Case> cases = {
        {four, 7.0, {"-", "3.000", "0.000", "-", "2.160", "1.871", "2.000", "1", "50.0", "25.0", "0.0", "1"}},
        {one, 7.0, {"-", "3.000", "0.000", "-", "-", "0.000", "-", "3", "0.0", "0.0", "0.0", "1"}},
        {VariantTally{{}, 10}, 7.0, {"-", "-", "-", "-", "-", "-", "-", "10", "-", "-", "-", "0"}},
        {four,
         std::nullopt,
         {"-", "3.000", "0.000", "-", "2.160", "1.871", "-", "1", "50.0", "25.0", "0.0", "1"}},
    };
    for (const Case& c : cases) {
        const VariantSummary summary = SummarizeVariant(c.tally, std::nullopt, 3.0, c.referenceMse);
        EXPECT_EQ(SummaryFields(summary, true), c.expected);
    }
}

TEST(Comparison, TheoreticalRelativeEfficiencyIsARatioOfVariances)
{
    struct Case {
        std::optional<double> referenceError;
        std::optional<double> error;
        std::optional<double> expected;
    };
    const std::vector<Case> cases = {
        {2.0, 1.0, 4.0},
        {1.0, 2.0, 0.25},
        {3.0, 3.0, 1.0},
        {std::nullopt, 1.0, std::nullopt},
        {1.0, std::nullopt, std::nullopt},
        {1.0, 0.0, std::nullopt},
        {0.0, 1.0, std::nullopt},
    };
    for (const Case& c : cases) {
        VariantSummary reference;
        reference.theoreticalStdError = c.referenceError;
        VariantSummary summary;
        summary.theoreticalStdError = c.error;
        EXPECT_EQ(TheoreticalRelativeEfficiency(reference, summary), c.expected)
            << c.referenceError.value_or(-1) << " over " << c.error.value_or(-1);
    }
}

TEST(Comparison, IntervalsCoverOrMissOnOneSide)
{
    struct Case {
        double lower;
        double upper;
        IntervalOutcome outcome;
    };
    const std::vector<Case> cases = {
        {2.0, 4.0, IntervalOutcome::Covered},   {1.0, 3.0, IntervalOutcome::MissedLow},
        {0.0, 2.0, IntervalOutcome::MissedLow}, {3.0, 5.0, IntervalOutcome::MissedHigh},
        {3.0, 3.0, IntervalOutcome::MissedLow}, {3.5, 6.0, IntervalOutcome::MissedHigh},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyInterval(c.lower, c.upper, 3.0), c.outcome) << c.lower << " " << c.upper;
    }
}

TEST(Comparison, NoRelativeEfficiencyOfRoundingNoiseOverRoundingNoise)
{
    // Two censuses whose sums round differently from Ybar's: errors of 1e-15.
    const VariantTally census{{3.0 + 1e-15, 3.0 - 1e-15}, 2};
    const double noise = 1e-30;
    EXPECT_FALSE(SummarizeVariant(census, std::nullopt, 3.0, noise, 1e-18).relativeEfficiency);
    EXPECT_TRUE(SummarizeVariant(census, std::nullopt, 3.0, noise, 0.0).relativeEfficiency);
    EXPECT_TRUE(SummarizeVariant(census, std::nullopt, 3.0, 1.0, 1e-18).relativeEfficiency)
        << "a census against a real sample keeps its efficiency";
}

TEST(Comparison, OnlyAnIntervalNarrowerThanRoundingAtTheMeanCoversByTolerance)
{
    struct Case {
        const char* what;
        double estimate;
        double standardError;
        IntervalOutcome outcome;
    };
    // Ybar = 3 in a population whose largest |y| is 1000: the tolerance is 1e-6.
    const CoverageTarget target{3.0, 1e-6};
    const std::vector<Case> cases = {
        {"zero width at the mean", 3.0, 0.0, IntervalOutcome::Covered},
        {"zero width within rounding of the mean", 3.0 + 5e-7, 0.0, IntervalOutcome::Covered},
        {"zero width beside the mean", 3.0 - 2e-6, 0.0, IntervalOutcome::MissedLow},
        {"upper end exactly at the mean", 3.0 - 1.96, 1.0, IntervalOutcome::MissedLow},
        {"lower end exactly at the mean", 3.0 + 1.96, 1.0, IntervalOutcome::MissedHigh},
        {"a positive standard error within the tolerance", 3.0, 1e-12, IntervalOutcome::Covered},
        {"rounding noise within the tolerance of the mean", 3.0 + 5e-7, 1e-12, IntervalOutcome::Covered},
        {"narrower than twice the tolerance, wholly below the mean", 3.0 - 9e-7, 5e-7 / 1.96,
         IntervalOutcome::Covered},
        {"rounding noise beside the mean", 3.0 + 2e-6, 1e-12, IntervalOutcome::MissedHigh},
        {"rounding noise below the mean", 3.0 - 2e-6, 1e-17, IntervalOutcome::MissedLow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyEstimate(c.estimate, c.standardError, target), c.outcome) << c.what;
    }
}

TEST(Comparison, BoxPlotQuartilesWhiskersAndOutliers)
{
    const BoxSummary box = SummarizeForBoxPlot({9, 1, 2, 3, 100, 4, 5, 6, 7, 8});
    ASSERT_TRUE(box.available);
    EXPECT_DOUBLE_EQ(box.lowerQuartile, 3.25);
    EXPECT_DOUBLE_EQ(box.median, 5.5);
    EXPECT_DOUBLE_EQ(box.upperQuartile, 7.75);
    EXPECT_EQ(box.lowerWhisker, 1.0);
    EXPECT_EQ(box.upperWhisker, 9.0);
    EXPECT_EQ(box.outliers, std::vector<double>{100.0});
    EXPECT_FALSE(SummarizeForBoxPlot({}).available);
    const BoxSummary single = SummarizeForBoxPlot({4.0});
    EXPECT_EQ(single.median, 4.0);
    EXPECT_EQ(single.upperWhisker, 4.0);
}

}  // namespace
