#include "core/stratified_sampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <random>
#include <vector>

#include "core/allocation.h"
#include "core/estimators.h"
#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/rounding.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "core/strata.h"
#include "core/theory.h"
#include "engine/estimators/estimator.h"
#include "tests/core/core_test_support.h"

namespace {

Strata StrataOfSizes(const std::vector<int>& sizes)
{
    Strata strata;
    strata.count = static_cast<int>(sizes.size());
    for (int h = 1; h <= strata.count; ++h) {
        strata.sizes[h] = sizes[h - 1];
        strata.units += sizes[h - 1];
    }
    return strata;
}

struct AllocationCase {
    const char* what;
    std::vector<int> sizes;
    AllocationCode allocation;
    std::vector<double> deviations;
    int n;
    std::optional<std::vector<int>> expected;
};

TEST(AllocateSample, FollowsTheBoundsTheRemaindersAndTheirTies)
{
    const std::vector<AllocationCase> cases = {
        {"remainders of strata 1 and 3 tie", {3, 4, 8}, AllocationProportional, {}, 12, {{3, 3, 6}}},
        {"shares below L fixed at L", {1, 10, 89}, AllocationProportional, {}, 10, {{1, 2, 7}}},
        {"shares above U fixed at U", {2, 3, 20}, AllocationEqual, {}, 15, {{2, 3, 10}}},
        {"equal shares tie to the lowest strata", {10, 10, 10}, AllocationEqual, {}, 10, {{4, 3, 3}}},
        {"optimal by N_h S_h", {10, 10}, AllocationOptimal, {1, 2}, 10, {{3, 7}}},
        {"optimal with a share below L", {4, 4}, AllocationOptimal, {1, 3}, 6, {{2, 4}}},
        {"optimal weights all 0 share by size", {3, 4, 8}, AllocationOptimal, {0, 0, 0}, 12, {{3, 3, 6}}},
        {"all fixed with units left frees the lower ones", {10, 3}, AllocationOptimal, {0, 1}, 6, {{3, 3}}},
        {"optimal after a take-all stratum", {3, 10, 30}, AllocationOptimal, {500, 5, 5}, 35, {{3, 8, 24}}},
        {"optimal zero gains to the lowest stratum with room",
         {3, 10, 30},
         AllocationOptimal,
         {0, 0, 5},
         40,
         {{3, 7, 30}}},
        {"the whole population", {3, 4}, AllocationEqual, {}, 7, {{3, 4}}},
        {"a stratum of one unit at the sum of the L_h", {1, 3}, AllocationProportional, {}, 3, {{1, 2}}},
        {"below the sum of the L_h", {1, 5}, AllocationProportional, {}, 2, std::nullopt},
        {"above N", {3, 4}, AllocationProportional, {}, 8, std::nullopt},
    };
    for (const AllocationCase& c : cases) {
        StratumValues deviations{};
        for (std::size_t h = 0; h < c.deviations.size(); ++h) {
            deviations[h + 1] = c.deviations[h];
        }
        const std::optional<StratumCounts> sizes =
            AllocateSample(c.n, StrataOfSizes(c.sizes), c.allocation, deviations);
        ASSERT_EQ(sizes.has_value(), c.expected.has_value()) << c.what;
        if (!sizes) {
            continue;
        }
        const std::vector<int> got(sizes->begin() + 1, sizes->begin() + 1 + c.sizes.size());
        EXPECT_EQ(got, *c.expected) << c.what;
    }
}

/// sum w_h^2 / n_h: the part of the stratified mean's variance that the allocation decides.
double AllocationCost(const std::vector<int>& sizes, const std::vector<double>& w)
{
    double cost = 0.0;
    for (std::size_t h = 0; h < sizes.size(); ++h) {
        cost += w[h] * w[h] / sizes[h];
    }
    return cost;
}

/// The smallest cost over every allocation of n within min(2, N_h)..N_h.
double SmallestCost(const std::vector<int>& strataSizes, const std::vector<double>& w, int n)
{
    double best = INFINITY;
    std::vector<int> sizes(strataSizes.size());
    const auto search = [&](auto&& self, std::size_t h, int left) -> void {
        if (h == sizes.size()) {
            if (left == 0) {
                best = std::min(best, AllocationCost(sizes, w));
            }
            return;
        }
        for (int nh = std::min(2, strataSizes[h]); nh <= std::min(strataSizes[h], left); ++nh) {
            sizes[h] = nh;
            self(self, h + 1, left - nh);
        }
    };
    search(search, 0, n);
    return best;
}

TEST(AllocateSample, OptimalIsTheSmallestVarianceOfAllWholeNumberAllocations)
{
    std::mt19937 random(20);
    for (int trial = 0; trial < 300; ++trial) {
        const int count = 2 + static_cast<int>(random() % 3);
        std::vector<int> sizes;
        std::vector<double> w;
        StratumValues deviations{};
        for (int h = 1; h <= count; ++h) {
            sizes.push_back(1 + static_cast<int>(random() % 9));
            deviations[h] = (random() % 4 == 0) ? 0.0 : static_cast<double>(random() % 1000) / 7.0;
            w.push_back(sizes.back() * deviations[h]);
        }
        const Strata strata = StrataOfSizes(sizes);
        for (int n = MinimumStratifiedSampleSize(strata); n <= strata.units; ++n) {
            const std::optional<StratumCounts> got = AllocateSample(n, strata, AllocationOptimal, deviations);
            ASSERT_TRUE(got.has_value());
            const std::vector<int> allocation(got->begin() + 1, got->begin() + 1 + count);
            EXPECT_LE(AllocationCost(allocation, w), SmallestCost(sizes, w, n) * (1.0 + 1e-12))
                << "trial " << trial << ", n " << n;
        }
    }
}

TEST(StratumVariances, UseDivisorNhMinusOneAndAreZeroForConstantStrata)
{
    // Stratum 1: 1, 2, 4 (variance 7/3); stratum 2: 0.1 three times; stratum 3: one unit.
    InstallPopulation({{1, 1}, {0.1, 2}, {2, 1}, {0.1, 2}, {9, 3}, {4, 1}, {0.1, 2}});
    const StrataCheck check = FormStrata(2);
    ASSERT_EQ(check.refusal, "");
    const StratumValues variances = StratumVariances(check.strata, 2, 1);
    EXPECT_DOUBLE_EQ(variances[1], 7.0 / 3.0);
    EXPECT_EQ(variances[2], 0.0);
    EXPECT_EQ(variances[3], 0.0);
}

TEST(CheckStratifiedDesign, RefusesInTheOrderStrataThenSize)
{
    InstallPopulation({{1, 1, 1}, {2, 1, 3}, {3, 2, 1}, {4, 2, 1}, {11, 2, 1}});
    EXPECT_EQ(CheckStratifiedDesign(2, 4), "");
    EXPECT_EQ(CheckStratifiedDesign(2, 3), SampleTooSmallForStrataMessage);
    EXPECT_EQ(CheckStratifiedDesign(1, 2), TooManyStrataMessage);
    EXPECT_EQ(CheckStratifiedDesign(3, 2), EmptyStrataMessage);
    // A stratum of one unit asks for one sample unit: strata {1, 3} need 3.
    InstallPopulation({{1, 1}, {2, 2}, {3, 2}, {4, 2}});
    EXPECT_EQ(CheckStratifiedDesign(2, 3), "");
    EXPECT_EQ(CheckStratifiedDesign(2, 2), SampleTooSmallForStrataMessage);
}

// Strata 1 = units 2, 4, 5, 7 and 2 = units 1, 3, 6; from seed 12345 the four
// indexes are RandomIndex(4) = 2, (3) = 1, then (3) = 1, (2) = 2.
TEST(DrawSampleStratified, ShufflesEachStratumInTurnWithItsOwnIndexes)
{
    InstallPopulation({{10, 2}, {20, 1}, {30, 2}, {40, 1}, {50, 1}, {60, 2}, {70, 1}});
    SimulationState.targetVariable = 1;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.sampleSize = 4;
    SimulationState.allocationCode = AllocationProportional;
    const StratifiedPlan plan = PrepareStratifiedPlan();
    RandomGenerator.seed = 12345;
    DrawSampleStratified(plan);
    const std::vector<int> sample(SimulationState.sampleUnits.begin() + 1,
                                  SimulationState.sampleUnits.begin() + 5);
    EXPECT_EQ(sample, (std::vector<int>{4, 2, 1, 6}));
    EXPECT_EQ(SimulationState.respondentCount, 4);
    EXPECT_EQ(RandomGenerator.seed, 2377737157u);
}

/// The reference draw: each stratum's whole list copied and shuffled in place.
std::vector<std::int32_t> LaidOutStratifiedDraw(const StratifiedFrame& frame,
                                                const StratumCounts& sampleSizes)
{
    std::vector<std::int32_t> sample;
    for (int h = 1; h <= frame.strata.count; ++h) {
        const int size = frame.strata.sizes[h];
        const int take = std::clamp(sampleSizes[h], 0, size);
        std::vector<std::int32_t> list(frame.units.begin() + frame.first[h],
                                       frame.units.begin() + frame.first[h] + size);
        for (int i = 1; i <= take; ++i) {
            const int j = i + RandomIndex(size - i + 1) - 1;
            std::swap(list[i - 1], list[j - 1]);
        }
        sample.insert(sample.end(), list.begin(), list.begin() + take);
    }
    return sample;
}

/// Strata of the given sizes whose units run backwards (N, N - 1, ..., 1), so
/// that no unit equals its place in the list.
StratifiedFrame BackwardFrame(const std::vector<int>& sizes)
{
    StratifiedFrame frame;
    frame.strata = StrataOfSizes(sizes);
    for (int h = 1; h <= frame.strata.count; ++h) {
        frame.first[h] = static_cast<int>(frame.units.size());
        for (int k = 0; k < sizes[h - 1]; ++k) {
            frame.units.push_back(frame.strata.units - static_cast<int>(frame.units.size()));
        }
    }
    return frame;
}

struct ShuffleCase {
    const char* what;
    std::vector<int> strataSizes;
    std::vector<int> sampleSizes;
};

TEST(DrawStratifiedSample, DrawsTheUnitsAndRandomNumbersOfTheLaidOutShuffle)
{
    const std::vector<ShuffleCase> cases = {
        {"a stratum of one unit", {1}, {1}},
        {"a census", {50}, {50}},
        {"one of eight units, laid out", {8}, {1}},
        {"one of nine units, not laid out", {9}, {1}},
        {"125 of 1000, laid out", {1000}, {125}},
        {"124 of 1000, not laid out", {1000}, {124}},
        {"small samples of large strata", {40000, 33000, 27000}, {400, 330, 270}},
        {"strata with nothing, all and a few to draw", {7, 20000, 3, 500}, {7, 10, 0, 20}},
        {"n_h beyond N_h and below 0 clamped", {5, 100}, {9, -2}},
        {"many places met twice", {100000}, {12000}},
    };
    for (const ShuffleCase& c : cases) {
        const StratifiedFrame frame = BackwardFrame(c.strataSizes);
        StratumCounts sampleSizes{};
        std::copy(c.sampleSizes.begin(), c.sampleSizes.end(), sampleSizes.begin() + 1);
        for (const std::uint32_t seed : {0u, 12345u, 4294967295u}) {
            RandomGenerator.seed = seed;
            const std::vector<std::int32_t> expected = LaidOutStratifiedDraw(frame, sampleSizes);
            const std::uint32_t seedAfter = RandomGenerator.seed;
            RandomGenerator.seed = seed;
            std::vector<std::int32_t> sample(expected.size() + 1, -7);
            const int drawn = DrawStratifiedSample(frame, sampleSizes, sample);
            ASSERT_EQ(drawn, static_cast<int>(expected.size())) << c.what << ", seed " << seed;
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sample.begin()))
                << c.what << ", seed " << seed;
            EXPECT_EQ(sample.back(), -7) << c.what << ": written beyond the units drawn";
            EXPECT_EQ(RandomGenerator.seed, seedAfter) << c.what << ", seed " << seed;
            sample.resize(expected.size() - 1);
            EXPECT_EQ(DrawStratifiedSample(frame, sampleSizes, sample), 0) << c.what << ": too little room";
            EXPECT_EQ(RandomGenerator.seed, seedAfter) << c.what << ": drew without room";
        }
    }
}

struct EstimateCase {
    const char* what;
    std::vector<int> sample;
    bool valid;
    double estimate;
    double standardError;
};

// Strata 1 = units 1..3 (y 1, 2, 4), 2 = units 4, 5 (y 10, 20), 3 = unit 6 (y 7).
TEST(EstimateStratifiedMean, WeighsTheStratumMeansAndTheirVariances)
{
    InstallPopulation({{1, 1}, {2, 1}, {4, 1}, {10, 2}, {20, 2}, {7, 3}});
    const Strata strata = FormStrata(2).strata;
    // s2_1 of y 1 and 4 is 4.5; stratum 2 is complete (1/r - 1/N = 0); stratum 3 adds 0.
    const double w1 = 3.0 / 6.0;
    const double full = w1 * 2.5 + (2.0 / 6.0) * 15 + (1.0 / 6.0) * 7;
    const std::vector<EstimateCase> cases = {
        {"two of three, all, the one",
         {1, 3, 4, 5, 6},
         true,
         full,
         std::sqrt(w1 * w1 * (0.5 - 1.0 / 3.0) * 4.5)},
        {"nonrespondents are skipped", {0, 1, 3, 0, 4, 5, 6}, true, full, std::sqrt(w1 * w1 / 6.0 * 4.5)},
        {"one respondent of three", {1, 4, 5, 6}, true, w1 * 1 + (2.0 / 6.0) * 15 + 7.0 / 6.0, -1.0},
        {"a stratum without respondents", {1, 3, 4, 5}, false, 0.0, -1.0},
    };
    for (const EstimateCase& c : cases) {
        const MeanEstimate result = EstimateStratifiedMean(c.sample, strata, 2, 1);
        ASSERT_EQ(result.valid, c.valid) << c.what;
        if (!c.valid) {
            continue;
        }
        EXPECT_DOUBLE_EQ(result.estimate, c.estimate) << c.what;
        EXPECT_DOUBLE_EQ(result.standardError, c.standardError) << c.what;
    }
}

/// Calls visit(sample) for every combination of `take` units out of `units`.
template <typename Visit>
void ForEachCombination(const std::vector<int>& units, int take, std::vector<int>& chosen, std::size_t from,
                        Visit visit)
{
    if (static_cast<int>(chosen.size()) == take) {
        visit(chosen);
        return;
    }
    for (std::size_t i = from; i < units.size(); ++i) {
        chosen.push_back(units[i]);
        ForEachCombination(units, take, chosen, i + 1, visit);
        chosen.pop_back();
    }
}

// Every stratified sample of the allocation, equally likely: the mean and the
// standard deviation of the direct estimates are the theory's.
TEST(TheoryDirectStratified, MatchesEveryPossibleSample)
{
    InstallPopulation({{3, 1}, {9, 2}, {1, 1}, {12, 2}, {4, 1}, {20, 2}, {2, 2}, {5, 3}, {6, 3}});
    SimulationState.targetVariable = 1;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.designCode = DesignStratified;
    SimulationState.estimatorCode = EstimatorDirect;
    SimulationState.sampleSize = 7;
    const std::vector<std::vector<int>> strata = {{1, 3, 5}, {2, 4, 6, 7}, {8, 9}};
    for (const AllocationCode allocation : {AllocationProportional, AllocationEqual, AllocationOptimal}) {
        SimulationState.allocationCode = allocation;
        PrepareAuxiliaryQuantities();
        const StratumCounts sizes = PrepareStratifiedPlan().sampleSizes;
        std::vector<double> estimates;
        std::vector<int> chosen1, chosen2, chosen3;
        ForEachCombination(strata[0], sizes[1], chosen1, 0, [&](const std::vector<int>& a) {
            ForEachCombination(strata[1], sizes[2], chosen2, 0, [&](const std::vector<int>& b) {
                ForEachCombination(strata[2], sizes[3], chosen3, 0, [&](const std::vector<int>& c) {
                    std::vector<int> sample = a;
                    sample.insert(sample.end(), b.begin(), b.end());
                    sample.insert(sample.end(), c.begin(), c.end());
                    std::copy(sample.begin(), sample.end(), SimulationState.sampleUnits.begin() + 1);
                    SimulationState.respondentCount = 7;
                    SimulationState.estimateValid = false;
                    ComputeEstimate();
                    ASSERT_TRUE(SimulationState.estimateValid);
                    estimates.push_back(SimulationState.estimate);
                });
            });
        });
        double mean = 0.0;
        for (const double e : estimates) {
            mean += e / estimates.size();
        }
        double variance = 0.0;
        for (const double e : estimates) {
            variance += (e - mean) * (e - mean) / estimates.size();
        }
        ComputeTheoreticalProperties();
        ASSERT_TRUE(SimulationState.theoreticalStdErrorAvailable) << allocation;
        EXPECT_NEAR(SimulationState.theoreticalMean, mean, 1e-12) << allocation;
        EXPECT_NEAR(SimulationState.theoreticalStdError, std::sqrt(variance), 1e-12) << allocation;
    }
}

}  // namespace

namespace {

TEST(StratumOfValue, RoundsLikeNearestWithinTheStrata)
{
    for (const double x : {-1e300, -0.6, -0.5, -0.0, 0.0, 0.4999, 0.5, 0.5001, 1.5, 2.5, 3.49, 9.5, 10.4,
                           10.5, 10.6, 11.5, 12.0, 1e300, std::nan("")}) {
        const int expected = nearest(x);
        const int h = StratumOfValue(x);
        if (expected >= 1 && expected <= MaxStrata) {
            EXPECT_EQ(h, expected) << x;
        } else {
            EXPECT_TRUE(h < 1 || h > MaxStrata) << x;
        }
    }
}

}  // namespace

// Each group of equal values goes whole to the class its middle rank falls in;
// classes that ties leave empty, an H outside 2..10 and missing values are
// refused by name, and a class of equal size is named by its range.
TEST(EqualSizeClasses, CutTheOrderedValuesKeepingTiesTogether)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::vector<double> values;
        int classes;
        std::vector<int> expected;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {{1, 2, 3, 4, 5, 6}, 3, {1, 1, 2, 2, 3, 3}, ""},
        {{5, 1, 4, 2, 3}, 2, {2, 1, 2, 1, 1}, ""},
        {{4, 2, 2, 1, 3, 2}, 2, {2, 1, 1, 1, 2, 1}, ""},
        {{3, 7, 7, 1, 9, 4, 7, 2}, 3, {1, 2, 2, 1, 3, 2, 2, 1}, ""},  // the help's example
        // The 5s start in the first half but lie mostly in the second.
        {{5, 1, 5, 2, 5, 3, 5, 4, 5, 6}, 2, {2, 1, 2, 1, 2, 1, 2, 1, 2, 2}, ""},
        {{-0.0, 0.0, 1}, 2, {1, 1, 2}, ""},
        {{9, 7, 9, 7},
         3,
         {2, 1, 2, 1},
         "With equal values in the class of their middle rank, x gives fewer than 3 classes!"},
        {{4, 4, 4},
         2,
         {1, 1, 1},
         "With equal values in the class of their middle rank, x gives fewer than 2 classes!"},
        {{1, 2},
         3,
         {1, 2},
         "With equal values in the class of their middle rank, x gives fewer than 3 classes!"},
        {{nan, 1, 2}, 2, {0, 1, 2}, "x has missing values, which fall in no class!"},
        {{1, 2, 3}, 11, {}, "There can be 2 to 10 classes, not 11!"},
        {{1, 2, 3}, 1, {}, "There can be 2 to 10 classes, not 1!"},
    };
    for (const Case& c : cases) {
        if (!c.expected.empty()) {
            EXPECT_EQ(EqualSizeClasses(c.values, c.classes), c.expected) << c.classes;
        }
        InstallSingleVariable(c.values);
        SimulationState.variableNames[1] = "x";
        const Stratification stratification = StratificationOf(1, c.classes);
        const StrataCheck check = FormStrata(stratification);
        EXPECT_EQ(check.refusal, c.refusal) << c.classes;
        if (c.refusal.empty()) {
            for (std::size_t i = 0; i < c.values.size(); ++i) {
                EXPECT_EQ(stratification.StratumOfUnit(static_cast<int>(i) + 1), c.expected[i]) << i;
            }
        }
    }
    InstallSingleVariable({12, 340, 7.5, 20});
    const Stratification halves = StratificationOf(1, 2);
    EXPECT_EQ(StratumNames(FormStrata(halves).strata, halves),
              (std::vector<std::string>{"7.5 to 12", "20 to 340"}));
    InstallSingleVariable({2, 1, 2});
    SimulationState.variableLabels[1] = {"E", "H"};
    EXPECT_EQ(StratumNames(FormStrata(1).strata, 1), (std::vector<std::string>{"1 = E", "2 = H"}));
    SimulationState.variableLabels[1].clear();
    EXPECT_EQ(StratumNames(FormStrata(1).strata, 1), (std::vector<std::string>{"1", "2"}));
}
