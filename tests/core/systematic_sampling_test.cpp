#include "core/systematic_sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/estimators.h"
#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "core/theory.h"
#include "engine/estimators/estimator.h"
#include "tests/core/core_test_support.h"

namespace {

// This seed's next RandomFraction is exactly 0.5.
constexpr std::uint32_t SeedBeforeOneHalf = 2796574515u;

std::vector<int> DrawnUnits()
{
    const auto& units = SimulationState.sampleUnits;
    return {units.begin() + 1, units.begin() + 1 + SimulationState.sampleSize};
}

// N = 10, n = 4: k = 2.5, u = 1.25, places floor(1.25), floor(3.75), floor(6.25), floor(8.75).
TEST(DrawSampleSystematic, TakesEveryKthPlaceOfTheOrderedListFromOneRandomStart)
{
    InstallPopulation({{5, 3}, {4, 1}, {3, 3}, {2, 1}, {1, 3}, {0, 1}, {9, 3}, {8, 1}, {7, 3}, {6, 1}});
    SimulationState.sampleSize = 4;
    const struct {
        int order;
        std::vector<int> expected;
    } cases[] = {
        {0, {2, 4, 7, 9}},   // file order
        {1, {5, 3, 10, 8}},  // ascending values 0..9: units 6 5 4 3 2 1 10 9 8 7
        {2, {4, 8, 3, 7}},   // ties by unit number: 2 4 6 8 10 1 3 5 7 9
    };
    for (const auto& c : cases) {
        RandomGenerator.seed = SeedBeforeOneHalf;
        DrawSampleSystematic(SystematicOrder(c.order));
        EXPECT_EQ(DrawnUnits(), c.expected) << c.order;
        EXPECT_EQ(RandomGenerator.seed, 2147483648u) << "one random number";
        EXPECT_EQ(SimulationState.respondentCount, 4);
    }
}

// The random order is design 10's shuffle of the whole population: the sample of
// size N that DrawSampleEqualProbabilities draws from the same seed, and as many
// random numbers.
TEST(RandomSystematicOrder, IsTheShuffleOfDesignTenWithNEqualToTheUnits)
{
    for (const int units : {2, 7, 40}) {
        std::vector<std::vector<double>> rows(units, {1.0});
        InstallPopulation(rows);
        SimulationState.sampleSize = units;
        SimulationState.nonresponseOn = false;
        RandomGenerator.seed = 12345u;
        DrawSampleEqualProbabilities();
        const std::vector<int> expected = DrawnUnits();
        const std::uint32_t seedAfter = RandomGenerator.seed;
        RandomGenerator.seed = 12345u;
        const std::vector<std::int32_t> order = RandomSystematicOrder();
        EXPECT_EQ(std::vector<int>(order.begin(), order.end()), expected) << units;
        EXPECT_EQ(RandomGenerator.seed, seedAfter) << units;
    }
}

// Beyond 16 units the library's unstable sort no longer falls back to insertion
// sort, so ties are where an unstable order shows.
TEST(SystematicOrder, KeepsTiedUnitsInUnitOrderOnLongLists)
{
    std::vector<std::vector<double>> rows;
    for (int i = 1; i <= 60; ++i) {
        rows.push_back({static_cast<double>(i * 7 % 4)});
    }
    InstallPopulation(rows);
    std::vector<std::int32_t> expected;
    for (const double value : {0.0, 1.0, 2.0, 3.0}) {
        for (int i = 1; i <= 60; ++i) {
            if (rows[i - 1][0] == value) {
                expected.push_back(i);
            }
        }
    }
    EXPECT_EQ(SystematicOrder(1), expected);
}

/// The estimates of every start: u = (c + 1/2) / n for c = 0..N-1, each sample
/// drawn by the definition in double and estimated by the record's routines.
struct BruteForce {
    bool available = true;
    double mean = 0.0;
    double standardDeviation = 0.0;
};

BruteForce EveryStart(const std::vector<std::int32_t>& order, int n)
{
    const int units = static_cast<int>(order.size());
    const double k = static_cast<double>(units) / n;
    std::vector<double> estimates;
    for (int c = 0; c < units; ++c) {
        const double u = (c + 0.5) / n;
        for (int j = 1; j <= n; ++j) {
            SimulationState.sampleUnits[j] = order[static_cast<int>(std::floor(u + (j - 1) * k))];
        }
        SimulationState.respondentCount = n;
        SimulationState.estimateValid = false;
        ComputeEstimate();
        if (!SimulationState.estimateValid) {
            return {false};
        }
        estimates.push_back(SimulationState.estimate);
    }
    BruteForce result;
    for (const double e : estimates) {
        result.mean += e / units;
    }
    double variance = 0.0;
    for (const double e : estimates) {
        variance += (e - result.mean) * (e - result.mean) / units;
    }
    result.standardDeviation = std::sqrt(variance);
    return result;
}

// Sizes with and without common divisors of N and n, every estimator, file
// order and an order by a variable.
TEST(TheorySystematic, MatchesEveryStartOfTheSample)
{
    InstallPopulation({{3, 2.5, 4},
                       {7, 1.2, 2},
                       {1, 3.1, 9},
                       {12, 2.2, 1},
                       {4, 1.4, 3},
                       {9, 2.8, 6},
                       {2, 1.1, 5},
                       {15, 3.3, 8},
                       {6, 1.6, 7},
                       {8, 2.9, 12},
                       {11, 1.3, 10},
                       {5, 2.4, 11}});
    SimulationState.targetVariable = 1;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.designCode = DesignSystematic;
    for (const int order : {0, 3}) {
        SimulationState.systematicOrder = order;
        for (const EstimatorCode estimator :
             {EstimatorDirect, EstimatorRatio, EstimatorRegression, EstimatorPostStratified}) {
            SimulationState.estimatorCode = estimator;
            PrepareAuxiliaryQuantities();
            for (const int n : {2, 3, 4, 5, 6, 7, 8, 12}) {
                SimulationState.sampleSize = n;
                const BruteForce exact = EveryStart(SystematicOrder(order), n);
                ComputeTheoreticalProperties();
                const auto where = testing::Message()
                                   << "order " << order << ", estimator " << estimator << ", n " << n;
                ASSERT_EQ(SimulationState.theoreticalStdErrorAvailable, exact.available) << where;
                ASSERT_EQ(SimulationState.theoreticalMeanAvailable, exact.available) << where;
                if (exact.available) {
                    EXPECT_NEAR(SimulationState.theoreticalMean, exact.mean, 1e-12) << where;
                    EXPECT_NEAR(SimulationState.theoreticalStdError, exact.standardDeviation, 1e-12) << where;
                }
            }
        }
    }
}

// x = 1, 2, 1, 2 in file order: with n = 2 every sample takes two equal x, and the
// regression estimator gives no estimate on any of them.
TEST(TheorySystematic, IsNotAvailableWhenASampleGivesNoEstimate)
{
    InstallPopulation({{3, 1}, {7, 2}, {1, 1}, {12, 2}});
    SimulationState.targetVariable = 1;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.designCode = DesignSystematic;
    SimulationState.estimatorCode = EstimatorRegression;
    SimulationState.sampleSize = 2;
    PrepareAuxiliaryQuantities();
    ComputeTheoreticalProperties();
    EXPECT_FALSE(SimulationState.theoreticalMeanAvailable);
    EXPECT_FALSE(SimulationState.theoreticalStdErrorAvailable);
}

}  // namespace
