#include "core/random_sampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "core/simulation_state.h"
#include "tests/core/core_test_support.h"

namespace {

/// The seed after `steps` generator steps from `start`.
std::uint32_t SeedAfter(std::uint32_t start, int steps)
{
    RandomGenerator.seed = start;
    for (int i = 0; i < steps; ++i) {
        RandomFraction();
    }
    return RandomGenerator.seed;
}

std::vector<int> SamplePositions(int n)
{
    return {SimulationState.sampleUnits.begin() + 1, SimulationState.sampleUnits.begin() + 1 + n};
}

std::vector<double> Sequence(int count)
{
    std::vector<double> values;
    for (int i = 1; i <= count; ++i) {
        values.push_back(i);
    }
    return values;
}

class SamplingTest : public ::testing::Test {
protected:
    void SetUp() override { RandomGenerator.seed = 0; }
};

TEST_F(SamplingTest, GeneratorStartsWithTheKnownValues)
{
    std::vector<int> integers;
    for (int i = 0; i < 4; ++i) {
        integers.push_back(RandomInteger(1000));
    }
    EXPECT_EQ(integers, (std::vector<int>{0, 31, 861, 202}));

    RandomGenerator.seed = 0;
    EXPECT_EQ(RandomFraction(), 1.0 / 4294967296.0);
    EXPECT_NEAR(RandomFraction(), 0.0313799, 1e-7);
    EXPECT_NEAR(RandomFraction(), 0.8610485, 1e-7);
    EXPECT_NEAR(RandomFraction(), 0.2025810, 1e-7);
}

TEST_F(SamplingTest, GeneratorWrapsAroundAndStaysInRange)
{
    RandomGenerator.seed = 0xFFFFFFFFu;
    EXPECT_EQ(RandomInteger(7), static_cast<int>((std::uint64_t{0xFFFFFFFFu * 134775813u + 1u} * 7) >> 32));
    RandomGenerator.seed = 123456789u;
    for (int i = 0; i < 1000; ++i) {
        const double fraction = RandomFraction();
        ASSERT_GE(fraction, 0.0);
        ASSERT_LT(fraction, 1.0);
        const int index = RandomIndex(5);
        ASSERT_GE(index, 1);
        ASSERT_LE(index, 5);
    }
}

TEST_F(SamplingTest, RandomIndexOfNothingLeavesTheSeed)
{
    RandomGenerator.seed = 77;
    EXPECT_EQ(RandomIndex(0), 0);
    EXPECT_EQ(RandomIndex(-3), 0);
    EXPECT_EQ(RandomGenerator.seed, 77u);
}

TEST_F(SamplingTest, EqualProbabilitiesShufflesWithOneNumberPerPosition)
{
    InstallSingleVariable(Sequence(10));
    SimulationState.sampleSize = 3;
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SamplePositions(3), (std::vector<int>{1, 2, 9}));
    EXPECT_EQ(SimulationState.respondentCount, 3);
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 3));
}

TEST_F(SamplingTest, EqualProbabilitiesWithTheWholePopulationGivesAPermutation)
{
    InstallSingleVariable(Sequence(50));
    SimulationState.sampleSize = 50;
    DrawSampleEqualProbabilities();
    std::vector<int> sample = SamplePositions(50);
    std::sort(sample.begin(), sample.end());
    std::vector<int> units(50);
    std::iota(units.begin(), units.end(), 1);
    EXPECT_EQ(sample, units);
}

TEST_F(SamplingTest, EqualProbabilitiesWithMorePositionsThanUnitsMarksTheSurplusEmpty)
{
    InstallSingleVariable(Sequence(3));
    SimulationState.sampleSize = 5;
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SimulationState.respondentCount, 3);
    EXPECT_EQ(SimulationState.sampleUnits[4], 0);
    EXPECT_EQ(SimulationState.sampleUnits[5], 0);
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 3));
}

TEST_F(SamplingTest, ProportionalToSizeDrawsTwoNumbersPerTrial)
{
    InstallSingleVariable({1, 2, 3, 4});
    SimulationState.auxiliaryVariable = 1;
    SimulationState.sampleSize = 3;
    DrawSampleProportionalToSize();
    // Trials: unit 1 accepted, unit 4 accepted, one rejected, unit 2 accepted.
    EXPECT_EQ(SamplePositions(3), (std::vector<int>{1, 4, 2}));
    EXPECT_EQ(SimulationState.respondentCount, 3);
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 8));
}

TEST_F(SamplingTest, ProportionalToSizeWithEqualSizesAcceptsEveryTrial)
{
    InstallSingleVariable({2, 2, 2, 2, 2});
    SimulationState.auxiliaryVariable = 1;
    SimulationState.sampleSize = 5;
    DrawSampleProportionalToSize();
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 10));
}

TEST_F(SamplingTest, ProportionalToSizeNeverDrawsUnitsWithoutSize)
{
    InstallSingleVariable({0, 5, -1, 0, 1});
    SimulationState.auxiliaryVariable = 1;
    SimulationState.sampleSize = 5;
    for (int draw = 0; draw < 200; ++draw) {
        DrawSampleProportionalToSize();
        for (const int unit : SamplePositions(5)) {
            ASSERT_TRUE(unit == 2 || unit == 5) << unit;
        }
    }
}

TEST_F(SamplingTest, ProportionalToSizeWithoutAnyPositiveSizeReturnsNoRespondents)
{
    InstallSingleVariable({0, -2, 0});
    SimulationState.auxiliaryVariable = 1;
    SimulationState.sampleSize = 2;
    DrawSampleProportionalToSize();
    EXPECT_EQ(SimulationState.respondentCount, 0);
    EXPECT_EQ(SamplePositions(2), (std::vector<int>{0, 0}));
    EXPECT_EQ(RandomGenerator.seed, 0u);
}

// One size far above the others: a sample takes about n N trials, several
// slices of them. A stop request ends the draw at once; going on changes no
// random number.
TEST_F(SamplingTest, ProportionalToSizeDrawAsksBetweenSlicesOfTrialsWhetherToGoOn)
{
    constexpr int Units = 2000;
    std::vector<double> sizes(Units, 1.0);
    sizes[0] = 1e9;
    InstallSingleVariable(sizes);
    SimulationState.sampleSize = Units;
    const ProportionalToSizePlan plan = PrepareProportionalToSizePlan(1);
    ASSERT_GT(ExpectedProportionalToSizeTrials(plan, Units), 3.0 * TrialsPerSlice);
    EXPECT_TRUE(DrawSampleProportionalToSize(plan));
    const std::vector<int> drawn = SamplePositions(Units);
    const std::uint32_t seedAfter = RandomGenerator.seed;

    for (const int stopAt : {1, 3}) {
        RandomGenerator.seed = 0;
        int asked = 0;
        EXPECT_FALSE(DrawSampleProportionalToSize(plan, [&asked, stopAt] { return ++asked < stopAt; }));
        EXPECT_EQ(asked, stopAt) << "the draw ends at the first stop request";
        EXPECT_EQ(SimulationState.respondentCount, 0);
        EXPECT_EQ(SamplePositions(Units), std::vector<int>(Units, 0));
    }

    RandomGenerator.seed = 0;
    int asked = 0;
    EXPECT_TRUE(DrawSampleProportionalToSize(plan, [&asked] { return ++asked > 0; }));
    EXPECT_GE(asked, 3);
    EXPECT_EQ(SamplePositions(Units), drawn);
    EXPECT_EQ(RandomGenerator.seed, seedAfter);
}

class NonresponseTest : public SamplingTest {
protected:
    /// Nonresponse by variable 1 with the constant probability p.
    void SetUp() override
    {
        SamplingTest::SetUp();
        InstallSingleVariable(Sequence(20));
        SimulationState.sampleSize = 6;
        SimulationState.nonresponseOn = true;
        SimulationState.nonresponseVariable = 1;
    }
    void SetProbability(double p) { SimulationState.nonresponseIntercept = p; }
};

TEST_F(NonresponseTest, IsOffUnlessSwitchedOn)
{
    SimulationState.nonresponseOn = false;
    SetProbability(1.0);
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SimulationState.respondentCount, 6);
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 6));
}

TEST_F(NonresponseTest, ZeroProbabilityStillConsumesOneNumberPerPosition)
{
    SetProbability(0.0);
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SimulationState.respondentCount, 6);
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 12));
}

TEST_F(NonresponseTest, CertainNonresponseEmptiesEveryPosition)
{
    SetProbability(1.0);
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SimulationState.respondentCount, 0);
    EXPECT_EQ(SamplePositions(6), std::vector<int>(6, 0));
}

TEST_F(NonresponseTest, FollowsTheLineOverTheVariable)
{
    // p(x) = x - 10: units up to 10 always respond, units from 11 never do.
    SimulationState.nonresponseIntercept = -10.0;
    SimulationState.nonresponseSlope = 1.0;
    SimulationState.sampleSize = 20;
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SimulationState.respondentCount, 10);
    for (const int unit : SamplePositions(20)) {
        EXPECT_LE(unit, 10);
    }
}

TEST_F(NonresponseTest, DecidesEachPositionOfARepeatedUnitSeparately)
{
    InstallSingleVariable({1});
    SimulationState.auxiliaryVariable = 1;
    SimulationState.sampleSize = 8;
    SimulationState.nonresponseOn = true;
    SimulationState.nonresponseVariable = 1;
    SetProbability(0.5);
    DrawSampleProportionalToSize();
    EXPECT_EQ(RandomGenerator.seed, SeedAfter(0, 24));
    const int zeros = static_cast<int>(
        std::count(SimulationState.sampleUnits.begin() + 1, SimulationState.sampleUnits.begin() + 9, 0));
    EXPECT_EQ(SimulationState.respondentCount, 8 - zeros);
    EXPECT_GT(zeros, 0);
    EXPECT_LT(zeros, 8);
}

TEST_F(NonresponseTest, AVariableOutsideTheRecordRemovesNobody)
{
    SimulationState.nonresponseVariable = 11;
    SetProbability(1.0);
    DrawSampleEqualProbabilities();
    EXPECT_EQ(SimulationState.respondentCount, 6);
}

/// Positions 1..n of the partial shuffle of units 1..N from `seed`, on a list of
/// its own: position i exchanged with position i + RandomIndex(N - i + 1) - 1.
std::vector<int> ReferenceShuffle(std::uint32_t& seed, int units, int n)
{
    std::vector<int> order(units + 1);
    std::iota(order.begin(), order.end(), 0);
    for (int i = 1; i <= n; ++i) {
        seed = seed * 134775813u + 1u;
        const int index = static_cast<int>((std::uint64_t{seed} * (units - i + 1)) >> 32) + 1;
        std::swap(order[i], order[i + index - 1]);
    }
    return {order.begin() + 1, order.begin() + 1 + n};
}

// Small samples from a large population and large ones are drawn in different
// ways; consecutive draws of changing sizes must give the shuffle's samples
// either way, also when the population changes in between.
TEST_F(SamplingTest, EqualProbabilitiesGivesThePartialShuffleForEverySampleSize)
{
    struct Draws {
        int units;
        std::vector<int> sizes;
    };
    const std::vector<Draws> cases = {
        {1000, {10, 3, 124, 125, 10, 999, 2, 1000, 10}},
        {17, {2, 2, 3, 17, 2}},
        {1000, {5, 5}},
    };
    std::uint32_t seed = 0;
    for (const Draws& c : cases) {
        InstallSingleVariable(Sequence(c.units));
        for (const int n : c.sizes) {
            SimulationState.sampleSize = n;
            DrawSampleEqualProbabilities();
            ASSERT_EQ(SamplePositions(n), ReferenceShuffle(seed, c.units, n)) << c.units << " " << n;
            ASSERT_EQ(RandomGenerator.seed, seed);
        }
    }
}

}  // namespace
