#include "engine/run_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

#include "core/allocation.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "core/systematic_sampling.h"
#include "engine/comparison.h"
#include "engine/designs/sampling_design.h"

namespace {

/// The generator as documented, kept apart from the core's: seed * 134775813 + 1
/// modulo 2^32; an index in 1..n is the upper half of seed * n, plus one.
class ReferenceGenerator {
public:
    std::int32_t Index(std::int32_t n)
    {
        Step();
        return static_cast<std::int32_t>(
                   (static_cast<std::uint64_t>(seed_) * static_cast<std::uint32_t>(n)) >> 32) +
               1;
    }
    double Fraction()
    {
        Step();
        return seed_ / 4294967296.0;
    }
    void Step() { seed_ = seed_ * 134775813u + 1u; }
    std::uint32_t seed() const { return seed_; }

private:
    std::uint32_t seed_ = 0;
};

/// The units of an equal-probability sample drawn by the documented partial shuffle.
std::vector<int> ReferenceEqualSample(ReferenceGenerator& generator, int unitCount, int sampleSize)
{
    std::vector<int> units(unitCount + 1);
    std::iota(units.begin(), units.end(), 0);
    for (int i = 1; i <= sampleSize; ++i) {
        const int j = i + generator.Index(unitCount - i + 1) - 1;
        std::swap(units[i], units[j]);
    }
    return {units.begin() + 1, units.begin() + 1 + sampleSize};
}

class RunEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulationState = TSimulationState{};
        RandomGenerator.seed = 0;
    }

    /// A population whose variable k takes the values columns[k - 1].
    static void SetPopulation(const std::vector<std::vector<double>>& columns, int sampleSize,
                              int simulations)
    {
        TSimulationState& s = SimulationState;
        s.variableCount = static_cast<int>(columns.size());
        s.unitCount = static_cast<int>(columns[0].size());
        for (int k = 1; k <= s.variableCount; ++k) {
            for (int unit = 1; unit <= s.unitCount; ++unit) {
                s.populationData[unit][k] = columns[k - 1][unit - 1];
            }
        }
        s.targetVariable = 1;
        s.sampleSize = sampleSize;
        s.simulationCount = simulations;
        s.estimatorCode = EstimatorDirect;
        s.designCode = DesignEqualProbabilities;
        s.scaleLower = 0.0;
        s.scaleUpper = 100.0;
    }

    static double MeanOf(const std::vector<double>& values, const std::vector<int>& units)
    {
        double sum = 0.0;
        for (int unit : units) {
            sum += values[unit - 1];
        }
        return sum / static_cast<double>(units.size());
    }

    RunEngine engine;
    SampleResult result;
};

TEST_F(RunEngineTest, FirstSamplesFromSeedZeroFollowTheDocumentedSequence)
{
    const std::vector<double> y = {3, 14, 15, 92, 65, 35, 89, 79, 32, 38};
    SetPopulation({y}, 3, 10);
    engine.StartRun();
    ReferenceGenerator reference;
    for (int sample = 1; sample <= 10; ++sample) {
        ASSERT_EQ(engine.NextSample(result), DrawStatus::Accepted);
        const double expected = MeanOf(y, ReferenceEqualSample(reference, 10, 3));
        EXPECT_EQ(result.sampleNumber, sample);
        EXPECT_EQ(result.estimate, expected) << "sample " << sample;
        EXPECT_EQ(SimulationState.estimates[sample], expected);
        EXPECT_EQ(result.rejectedDraws, 0);
        EXPECT_FALSE(result.standardErrorAvailable);
    }
    EXPECT_EQ(RandomGenerator.seed, reference.seed());
    EXPECT_TRUE(engine.finished());
    EXPECT_EQ(engine.NextSample(result), DrawStatus::RunComplete);
    EXPECT_EQ(RandomGenerator.seed, reference.seed()) << "a finished run draws nothing";

    // A new run continues the one random sequence.
    engine.StartRun();
    EXPECT_EQ(engine.samplesDrawn(), 0);
    ASSERT_EQ(engine.NextSample(result), DrawStatus::Accepted);
    EXPECT_EQ(result.estimate, MeanOf(y, ReferenceEqualSample(reference, 10, 3)));
}

TEST_F(RunEngineTest, SamplesWithoutAnEstimateAreRedrawnAndCounted)
{
    // Regression needs two different x values: only samples holding unit 5 qualify.
    const std::vector<double> y = {1, 2, 3, 4, 50};
    const std::vector<double> x = {1, 1, 1, 1, 2};
    SetPopulation({y, x}, 2, 10);
    SimulationState.estimatorCode = EstimatorRegression;
    SimulationState.auxiliaryVariable = 2;
    engine.StartRun();
    EXPECT_DOUBLE_EQ(SimulationState.auxiliaryMean, 1.2) << "StartRun prepares the auxiliary mean";

    ReferenceGenerator reference;
    for (int sample = 1; sample <= 3; ++sample) {
        int expectedRejected = 0;
        std::vector<int> units = ReferenceEqualSample(reference, 5, 2);
        while (units[0] != 5 && units[1] != 5) {
            ++expectedRejected;
            units = ReferenceEqualSample(reference, 5, 2);
        }
        ASSERT_EQ(engine.NextSample(result), DrawStatus::Accepted);
        EXPECT_EQ(result.rejectedDraws, expectedRejected) << "sample " << sample;
        EXPECT_EQ(RandomGenerator.seed, reference.seed());
    }
}

TEST_F(RunEngineTest, TooFewRespondentsStopTheRunAtTheBound)
{
    const struct {
        const char* name;
        std::vector<double> responseVariable;
        double intercept;
        double slope;
    } cases[] = {
        {"nobody responds", {1, 2, 3, 4, 5}, 1.0, 0.0},  // p = 1 for every unit
        {"only unit 1 responds: one respondent at most", {0, 1, 1, 1, 1}, 0.0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulationState = TSimulationState{};
        RandomGenerator.seed = 0;
        SetPopulation({{1, 2, 3, 4, 5}, c.responseVariable}, 2, 10);
        SimulationState.nonresponseOn = true;
        SimulationState.nonresponseVariable = 2;
        SimulationState.nonresponseIntercept = c.intercept;
        SimulationState.nonresponseSlope = c.slope;
        engine.StartRun();

        EXPECT_EQ(engine.NextSample(result), DrawStatus::BoundReached);
        EXPECT_EQ(engine.samplesDrawn(), 0);
        EXPECT_TRUE(engine.stoppedByBound());
        EXPECT_TRUE(engine.finished());

        // Exactly RejectionBound draws, each two indices and two response fractions.
        ReferenceGenerator reference;
        for (int step = 0; step < RejectionBound * 4; ++step) {
            reference.Step();
        }
        EXPECT_EQ(RandomGenerator.seed, reference.seed());
        EXPECT_EQ(engine.NextSample(result), DrawStatus::RunComplete);
        EXPECT_EQ(RandomGenerator.seed, reference.seed());

        engine.StartRun();
        EXPECT_FALSE(engine.stoppedByBound()) << "a new run starts afresh";
    }
}

TEST_F(RunEngineTest, RegressionOnConstantAuxiliaryReachesTheBoundWithoutCountingASample)
{
    SetPopulation({{1, 2, 3, 4}, {7, 7, 7, 7}}, 2, 10);
    SimulationState.estimatorCode = EstimatorRegression;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.estimates[1] = 123.0;
    engine.StartRun();
    EXPECT_EQ(engine.NextSample(result), DrawStatus::BoundReached);
    EXPECT_EQ(engine.samplesDrawn(), 0);
    EXPECT_EQ(SimulationState.estimates[1], 123.0) << "a sample that was not accepted stores nothing";
}

TEST_F(RunEngineTest, IntervalsCountCoverageStrictly)
{
    const std::vector<double> y = {2, 4, 6, 8, 10, 12};
    SetPopulation({y}, 3, 40);
    SimulationState.confidenceIntervalMode = true;
    engine.StartRun();
    EXPECT_DOUBLE_EQ(engine.populationMean(), 7.0);

    int covered = 0;
    while (engine.NextSample(result) == DrawStatus::Accepted) {
        ASSERT_TRUE(result.standardErrorAvailable);
        EXPECT_EQ(result.standardError, SimulationState.standardError);
        EXPECT_EQ(result.intervalLower, result.estimate - 1.96 * result.standardError);
        EXPECT_EQ(result.intervalUpper, result.estimate + 1.96 * result.standardError);
        EXPECT_EQ(result.covered, result.intervalLower < 7.0 && 7.0 < result.intervalUpper);
        covered += result.covered ? 1 : 0;
    }
    EXPECT_EQ(engine.samplesDrawn(), 40);
    EXPECT_EQ(engine.correctIntervals(), covered);
    EXPECT_GT(covered, 0);
    EXPECT_LT(covered, 40);
}

TEST_F(RunEngineTest, ACensusAndAnExactRatioGiveCorrectIntervalsOfWidthZero)
{
    // n = N: every estimate is the population mean, summed in another order, and
    // its standard error 0. x = 2y makes the ratio and its residuals exact.
    const std::vector<double> y = {0.1, 0.7, 0.3, 2.9, 1.3};
    std::vector<double> x;
    for (const double value : y) {
        x.push_back(value * 2.0);
    }
    struct Case {
        const char* what;
        int n;
        std::int32_t estimator;
    };
    for (const Case& c : {Case{"census", 5, EstimatorDirect}, Case{"exact ratio", 3, EstimatorRatio}}) {
        SetPopulation({y, x}, c.n, 10);
        SimulationState.estimatorCode = c.estimator;
        SimulationState.auxiliaryVariable = 2;
        SimulationState.confidenceIntervalMode = true;
        engine.StartRun();
        while (engine.NextSample(result) == DrawStatus::Accepted) {
            EXPECT_EQ(result.standardError, 0.0) << c.what;
            EXPECT_TRUE(result.covered) << c.what << ": " << result.estimate;
        }
        EXPECT_EQ(engine.correctIntervalPercentage(), 100) << c.what;
    }
}

TEST_F(RunEngineTest, IntervalsOfRoundingNoiseAtTheMeanAreCorrect)
{
    // Targets exactly proportional or linear to x, written as decimals: the
    // estimates are Ybar up to rounding and their standard errors rounding noise.
    const std::vector<double> x = {1.3, 2.7, 0.9, 4.1, 3.3, 5.9, 2.2, 7.7};
    struct Case {
        const char* what;
        std::vector<double> y;
        std::int32_t estimator;
    };
    const std::vector<Case> cases = {
        {"ratio on y = 0.1 x", {0.13, 0.27, 0.09, 0.41, 0.33, 0.59, 0.22, 0.77}, EstimatorRatio},
        {"regression on y = 3 x", {3.9, 8.1, 2.7, 12.3, 9.9, 17.7, 6.6, 23.1}, EstimatorRegression},
    };
    for (const Case& c : cases) {
        SetPopulation({c.y, x}, 4, 200);
        SimulationState.estimatorCode = c.estimator;
        SimulationState.auxiliaryVariable = 2;
        SimulationState.confidenceIntervalMode = true;
        engine.StartRun();
        bool noisy = false;
        while (engine.NextSample(result) == DrawStatus::Accepted) {
            noisy = noisy || result.standardError > 0.0;
        }
        EXPECT_TRUE(noisy) << c.what << ": some standard error is rounding noise, not 0";
        EXPECT_EQ(engine.correctIntervals(), 200) << c.what;
    }
}

TEST_F(RunEngineTest, MissingStandardErrorGivesNoIntervalAndCountsAsNotCorrect)
{
    // Two post-strata and samples of two: a stratum always has fewer than two respondents.
    SetPopulation({{1, 2, 3, 4, 5, 6}, {1, 1, 1, 2, 2, 2}}, 2, 10);
    SimulationState.estimatorCode = EstimatorPostStratified;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.confidenceIntervalMode = true;
    engine.StartRun();
    EXPECT_EQ(SimulationState.stratumCount, 2) << "StartRun prepares the post-strata";
    while (engine.NextSample(result) == DrawStatus::Accepted) {
        EXPECT_FALSE(result.standardErrorAvailable);
        EXPECT_EQ(result.intervalLower, result.estimate);
        EXPECT_EQ(result.intervalUpper, result.estimate);
        EXPECT_FALSE(result.covered);
    }
    EXPECT_EQ(engine.samplesDrawn(), 10);
    EXPECT_EQ(engine.correctIntervals(), 0);
}

TEST_F(RunEngineTest, StartRunCopiesTheScaleAndReplacesAZeroRange)
{
    SetPopulation({{5, 5, 5}}, 2, 10);
    SimulationState.scaleLower = 5.0;
    SimulationState.scaleUpper = 5.0;
    engine.StartRun();
    EXPECT_EQ(engine.scale().lower, 5.0);
    EXPECT_EQ(engine.scale().upper, 5.0);
    EXPECT_EQ(engine.scale().range, 1.0);
    EXPECT_EQ(engine.simulationCount(), 10);
}

// A stop request within a long draw ends the draw, in a run and in a comparison;
// the run goes on at the next sample.
TEST_F(RunEngineTest, AStopRequestEndsALongDrawAndTheRunGoesOn)
{
    constexpr int Units = 2000;
    std::vector<double> sizes(Units, 1.0);
    sizes[0] = 1e9;
    SetPopulation({sizes, sizes}, Units, 3);
    SimulationState.designCode = DesignProportionalToSize;
    SimulationState.auxiliaryVariable = 2;
    int asked = 0;
    const auto stopAtTheSecondQuestion = [&asked] { return ++asked < 2; };

    engine.StartRun();
    EXPECT_EQ(engine.NextSample(result, stopAtTheSecondQuestion), DrawStatus::Stopped);
    EXPECT_EQ(engine.samplesDrawn(), 0);
    EXPECT_FALSE(engine.finished());
    EXPECT_EQ(engine.NextSample(result), DrawStatus::Accepted);
    EXPECT_EQ(result.sampleNumber, 1);

    asked = 0;
    const ComparisonResult compared =
        RunComparison({{RecordDesignChoice(), EstimatorDirect, 2}}, 3, false, {}, stopAtTheSecondQuestion);
    EXPECT_EQ(compared.tallies.at(0).acceptedSamples, 0);
}

TEST(HistogramClassTest, ClassesAtTheEdgesOfTheScale)
{
    const RunScale scale{0.0, 100.0, 100.0};
    EXPECT_EQ(HistogramClass(0.0, scale), 1);
    EXPECT_EQ(HistogramClass(1.0, scale), 1) << "half a class goes to the even neighbour";
    EXPECT_EQ(HistogramClass(1.01, scale), 2);
    EXPECT_EQ(HistogramClass(3.0, scale), 3);
    EXPECT_EQ(HistogramClass(97.0, scale), 49);
    EXPECT_EQ(HistogramClass(99.0, scale), 50);
    EXPECT_EQ(HistogramClass(100.0, scale), 50);
    EXPECT_EQ(HistogramClass(-5.0, scale), 1);
    EXPECT_EQ(HistogramClass(250.0, scale), 50);
}

TEST(HistogramClassTest, NonFiniteAndHugeEstimatesStayInRange)
{
    const RunScale scale{0.0, 100.0, 100.0};
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(HistogramClass(infinity, scale), 50);
    EXPECT_EQ(HistogramClass(-infinity, scale), 1);
    EXPECT_EQ(HistogramClass(std::numeric_limits<double>::quiet_NaN(), scale), 1);
    EXPECT_EQ(HistogramClass(std::numeric_limits<double>::max(), scale), 50);
    EXPECT_EQ(HistogramClass(-std::numeric_limits<double>::max(), scale), 1);
    EXPECT_EQ(HistogramClass(5e9, scale), 50) << "an offset beyond the int32 range";
    const RunScale reversed{100.0, 0.0, -100.0};
    EXPECT_EQ(HistogramClass(0.0, reversed), 50);
    EXPECT_EQ(HistogramClass(100.0, reversed), 1);
}

class SimulatedStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulationState = TSimulationState{};
        for (int s = 1; s <= 10; ++s) {
            SimulationState.estimates[s] = s;
        }
        for (int s = 11; s <= MaxSamples; ++s) {
            SimulationState.estimates[s] = 1e6;  // left over from an earlier run
        }
    }
};

TEST_F(SimulatedStatisticsTest, UseOnlyTheSamplesDrawnSoFar)
{
    ComputeSimulatedStatistics(10);
    EXPECT_DOUBLE_EQ(SimulationState.simulatedMean, 5.5);
    EXPECT_DOUBLE_EQ(SimulationState.simulatedStdDev, std::sqrt(82.5 / 9.0));
    EXPECT_TRUE(SimulationState.simulatedMeanAvailable);
    EXPECT_TRUE(SimulationState.simulatedStdDevAvailable);

    ComputeSimulatedStatistics(2);
    EXPECT_DOUBLE_EQ(SimulationState.simulatedMean, 1.5);
    EXPECT_DOUBLE_EQ(SimulationState.simulatedStdDev, std::sqrt(0.5));
}

TEST_F(SimulatedStatisticsTest, NeedOneSampleForTheMeanAndTwoForTheStandardDeviation)
{
    ComputeSimulatedStatistics(1);
    EXPECT_TRUE(SimulationState.simulatedMeanAvailable);
    EXPECT_EQ(SimulationState.simulatedMean, 1.0);
    EXPECT_FALSE(SimulationState.simulatedStdDevAvailable);

    ComputeSimulatedStatistics(0);
    EXPECT_FALSE(SimulationState.simulatedMeanAvailable);
    EXPECT_FALSE(SimulationState.simulatedStdDevAvailable);

    ComputeSimulatedStatistics(-3);
    EXPECT_FALSE(SimulationState.simulatedMeanAvailable);
}

TEST(PopulationMeanTest, IsZeroWithoutUnitsOrTarget)
{
    SimulationState = TSimulationState{};
    EXPECT_EQ(PopulationMean(), 0.0);
    SimulationState.unitCount = 2;
    SimulationState.variableCount = 1;
    SimulationState.populationData[1][1] = 1.0;
    SimulationState.populationData[2][1] = 4.0;
    EXPECT_EQ(PopulationMean(), 0.0) << "no target variable";
    SimulationState.targetVariable = 1;
    EXPECT_EQ(PopulationMean(), 2.5);
}

}  // namespace

namespace {

/// Partial shuffle of `units` by the reference generator; the first `take` of them.
std::vector<int> ReferenceShuffle(ReferenceGenerator& reference, std::vector<int> units, int take)
{
    for (int i = 1; i <= take; ++i) {
        const int j = i + reference.Index(static_cast<int>(units.size()) - i + 1) - 1;
        std::swap(units[i - 1], units[j - 1]);
    }
    units.resize(take);
    return units;
}

// Strata of units 1..4 and 5..8, n = 4 shared 2 and 2; nobody in stratum 1 and 90%
// in stratum 2 fail to respond, so that many samples lack a stratum-2 respondent.
TEST_F(RunEngineTest, StratifiedSamplesDrawStratumAfterStratumAndNeedARespondentInEach)
{
    const std::vector<double> y = {1, 2, 4, 8, 16, 32, 64, 128};
    SetPopulation({y, {1, 1, 1, 1, 2, 2, 2, 2}}, 4, 10);
    TSimulationState& s = SimulationState;
    s.designCode = DesignStratified;
    s.auxiliaryVariable = 2;
    s.nonresponseOn = true;
    s.nonresponseVariable = 2;
    s.nonresponseIntercept = -0.9;
    s.nonresponseSlope = 0.9;
    engine.StartRun();

    ReferenceGenerator reference;
    int rejectedInAll = 0;
    for (int sample = 1; sample <= 10; ++sample) {
        int expectedRejected = -1;
        std::vector<int> respondents[3];
        do {
            ++expectedRejected;
            std::vector<int> drawn = ReferenceShuffle(reference, {1, 2, 3, 4}, 2);
            const std::vector<int> second = ReferenceShuffle(reference, {5, 6, 7, 8}, 2);
            drawn.insert(drawn.end(), second.begin(), second.end());
            respondents[1].clear();
            respondents[2].clear();
            for (const int unit : drawn) {
                const int h = unit <= 4 ? 1 : 2;
                if (!(reference.Fraction() < (h == 2 ? 0.9 : 0.0))) {
                    respondents[h].push_back(unit);
                }
            }
        } while (respondents[2].empty());
        ASSERT_EQ(engine.NextSample(result), DrawStatus::Accepted);
        EXPECT_EQ(result.rejectedDraws, expectedRejected) << "sample " << sample;
        EXPECT_EQ(RandomGenerator.seed, reference.seed());
        EXPECT_DOUBLE_EQ(result.estimate, 0.5 * MeanOf(y, respondents[1]) + 0.5 * MeanOf(y, respondents[2]));
        rejectedInAll += result.rejectedDraws;
    }
    EXPECT_GT(rejectedInAll, 0);
}

// N = 10, n = 4: the step 2.5 from the start u = 2.5 * RandomFraction().
TEST_F(RunEngineTest, SystematicSamplesTakeOneRandomNumberEach)
{
    const std::vector<double> y = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3};
    SetPopulation({y}, 4, 10);
    SimulationState.designCode = DesignSystematic;
    engine.StartRun();
    ReferenceGenerator reference;
    for (int sample = 1; sample <= 10; ++sample) {
        const double start = reference.Fraction() * 2.5;
        std::vector<int> units;
        for (int j = 0; j < 4; ++j) {
            units.push_back(static_cast<int>(std::floor(start + j * 2.5)) + 1);
        }
        ASSERT_EQ(engine.NextSample(result), DrawStatus::Accepted);
        EXPECT_EQ(result.estimate, MeanOf(y, units)) << "sample " << sample;
        EXPECT_EQ(RandomGenerator.seed, reference.seed());
    }
}

// Each run in random order shuffles its list (N random numbers) and draws along
// it; its theory is the exact one of that list: the N equally likely samples
// c = 0..N-1 at the places floor((2c + 1 + 2jN) / 2n), j = 0..n-1.
TEST_F(RunEngineTest, SystematicRunsInRandomOrderHaveTheTheoryOfTheirOwnList)
{
    const std::vector<double> y = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3};
    constexpr int N = 10;
    constexpr int n = 4;
    SetPopulation({y}, n, 10);
    SimulationState.designCode = DesignSystematic;
    SimulationState.systematicOrder = SystematicRandomOrder;
    ReferenceGenerator reference;
    std::vector<double> theoreticalErrors;
    for (int run = 1; run <= 2; ++run) {
        engine.StartRun();
        const std::vector<int> list = ReferenceShuffle(reference, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, N);
        std::vector<double> means;
        for (int c = 0; c < N; ++c) {
            std::vector<int> units;
            for (int j = 0; j < n; ++j) {
                units.push_back(list[(2 * c + 1 + 2 * j * N) / (2 * n)]);
            }
            means.push_back(MeanOf(y, units));
        }
        const double mean = std::accumulate(means.begin(), means.end(), 0.0) / N;
        double squares = 0.0;
        for (const double m : means) {
            squares += (m - mean) * (m - mean);
        }
        ComputeDesignTheory();
        EXPECT_NEAR(SimulationState.theoreticalMean, mean, 1e-12) << "run " << run;
        EXPECT_NEAR(SimulationState.theoreticalStdError, std::sqrt(squares / N), 1e-12) << "run " << run;
        theoreticalErrors.push_back(SimulationState.theoreticalStdError);
        while (engine.NextSample(result) == DrawStatus::Accepted) {
            const double start = reference.Fraction() * 2.5;
            std::vector<int> units;
            for (int j = 0; j < n; ++j) {
                units.push_back(list[static_cast<int>(std::floor(start + j * 2.5))]);
            }
            EXPECT_EQ(result.estimate, MeanOf(y, units)) << "run " << run;
        }
    }
    EXPECT_NE(theoreticalErrors[0], theoreticalErrors[1]);
}

}  // namespace

// Classes of equal size are strata like any others: a run on x cut into three
// classes draws the same samples, estimates, standard errors and theory as a run
// on a variable holding those classes, written out by hand here (x sorted: 1 2 3
// 3 | 5 7 7 7 | 8 9 10 12), under every allocation and with nonresponse.
TEST_F(RunEngineTest, StratifiedRunsOnClassesMatchRunsOnTheirCodes)
{
    const std::vector<double> y = {14, 5, 30, 7, 41, 9, 16, 2, 25, 12, 4, 22};
    const std::vector<double> x = {7, 3, 9, 3, 12, 5, 7, 1, 10, 7, 2, 8};
    const std::vector<double> classes = {2, 1, 3, 1, 3, 2, 2, 1, 3, 2, 1, 3};
    struct Run {
        std::vector<double> estimates;
        std::vector<double> standardErrors;
        std::vector<std::int32_t> units;
        double theoreticalStdError = 0.0;
    };
    const auto run = [&](int stratifier, int stratumClasses, int allocation) {
        SimulationState = TSimulationState{};
        RandomGenerator.seed = 0;
        SetPopulation({y, x, classes}, 6, 30);
        TSimulationState& s = SimulationState;
        s.designCode = DesignStratified;
        s.auxiliaryVariable = stratifier;
        s.stratumClasses = stratumClasses;
        s.allocationCode = allocation;
        s.confidenceIntervalMode = true;
        EXPECT_EQ(SetNonresponseLine(1, 2, 41), "");
        RunEngine engine;
        engine.StartRun();
        Run out;
        SampleResult sample;
        for (int i = 0; i < s.simulationCount; ++i) {
            EXPECT_EQ(engine.NextSample(sample), DrawStatus::Accepted);
            out.estimates.push_back(sample.estimate);
            out.standardErrors.push_back(sample.standardError);
            out.units.insert(out.units.end(), s.drawnUnits.begin(), s.drawnUnits.end());
        }
        ComputeDesignTheory();
        out.theoreticalStdError = s.theoreticalStdError;
        EXPECT_TRUE(s.theoreticalStdErrorAvailable);
        return out;
    };
    for (const int allocation : {AllocationProportional, AllocationEqual, AllocationOptimal}) {
        const Run onClasses = run(2, 3, allocation);
        const Run onCodes = run(3, 0, allocation);
        EXPECT_EQ(onClasses.estimates, onCodes.estimates) << allocation;
        EXPECT_EQ(onClasses.standardErrors, onCodes.standardErrors) << allocation;
        EXPECT_EQ(onClasses.units, onCodes.units) << allocation;
        EXPECT_EQ(onClasses.theoreticalStdError, onCodes.theoreticalStdError) << allocation;
    }
}
