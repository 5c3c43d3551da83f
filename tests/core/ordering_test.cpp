#include "core/ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "tests/core/core_test_support.h"

namespace {

std::vector<int> SortedUnits(const std::vector<double>& values)
{
    InstallSingleVariable(values);
    UnitList list{};
    SortUnitsByVariable(1, list);
    return {list.begin() + 1, list.begin() + 1 + static_cast<int>(values.size())};
}

TEST(SortUnitsByVariable, OrdersUnitNumbersByValue)
{
    EXPECT_EQ(SortedUnits({3, 1, 2}), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(SortedUnits({5}), (std::vector<int>{1}));
    EXPECT_EQ(SortedUnits({}), (std::vector<int>{}));
}

TEST(SortUnitsByVariable, KeepsTheExchangeSchemesOrderOfTies)
{
    EXPECT_EQ(SortedUnits({4, 4, 4, 4}), (std::vector<int>{1, 2, 3, 4}));
    // Not a stable order: the scheme puts unit 4 before unit 2 and unit 3 before unit 1.
    EXPECT_EQ(SortedUnits({2, 1, 2, 1}), (std::vector<int>{4, 2, 3, 1}));
}

TEST(SortUnitsByVariable, SortsAThousandUnitsWithManyTies)
{
    std::vector<double> values;
    RandomGenerator.seed = 5;
    for (int i = 0; i < MaxUnits; ++i) {
        values.push_back(RandomInteger(20));
    }
    const std::vector<int> units = SortedUnits(values);
    ASSERT_TRUE(std::is_sorted(units.begin(), units.end(),
                               [&](int a, int b) { return values[a - 1] < values[b - 1]; }));
    std::vector<int> sortedUnits = units;
    std::sort(sortedUnits.begin(), sortedUnits.end());
    EXPECT_EQ(sortedUnits.front(), 1);
    EXPECT_EQ(std::adjacent_find(sortedUnits.begin(), sortedUnits.end()), sortedUnits.end());
}

TEST(SortUnitsByVariable, LeavesOneHundredThousandOrderedUnitsInOnePass)
{
    std::vector<double> values;
    for (int i = 0; i < MaxUnits; ++i) {
        values.push_back(i / 7);
    }
    const std::vector<int> units = SortedUnits(values);
    EXPECT_TRUE(std::is_sorted(units.begin(), units.end()));
    EXPECT_EQ(units.back(), MaxUnits);
}

TEST(PostStratumOf, RoundsHalvesToEven)
{
    EXPECT_EQ(PostStratumOf(0.6), 1);
    EXPECT_EQ(PostStratumOf(1.5), 2);
    EXPECT_EQ(PostStratumOf(2.5), 2);
    EXPECT_EQ(PostStratumOf(3.5), 4);
    EXPECT_EQ(PostStratumOf(0.5), 0);
}

class PrepareAuxiliaryQuantitiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallPopulation({{1, 0.6}, {2, 1.5}, {3, 2.5}, {4, 2.4}});
        SimulationState.targetVariable = 1;
        SimulationState.auxiliaryVariable = 2;
        SimulationState.designCode = DesignEqualProbabilities;
        SimulationState.auxiliaryMean = -1.0;
        SimulationState.stratumCount = 7;
    }
};

TEST_F(PrepareAuxiliaryQuantitiesTest, PostStratificationGetsWeightsOnly)
{
    SimulationState.estimatorCode = EstimatorPostStratified;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(SimulationState.stratumCount, 2);
    EXPECT_EQ(SimulationState.stratumWeights[1], 0.25);
    EXPECT_EQ(SimulationState.stratumWeights[2], 0.75);
    EXPECT_EQ(SimulationState.stratumWeights[3], 0.0);
    EXPECT_EQ(SimulationState.auxiliaryMean, -1.0);
}

TEST_F(PrepareAuxiliaryQuantitiesTest, RatioRegressionAndSizeDesignGetTheMeanOnly)
{
    for (const auto& [estimator, design] : {std::pair{EstimatorRatio, DesignEqualProbabilities},
                                            std::pair{EstimatorRegression, DesignEqualProbabilities},
                                            std::pair{EstimatorDirect, DesignProportionalToSize}}) {
        SimulationState.estimatorCode = estimator;
        SimulationState.designCode = design;
        SimulationState.auxiliaryMean = -1.0;
        PrepareAuxiliaryQuantities();
        EXPECT_DOUBLE_EQ(SimulationState.auxiliaryMean, 7.0 / 4.0);
        EXPECT_EQ(SimulationState.stratumCount, 7);
    }
}

TEST_F(PrepareAuxiliaryQuantitiesTest, DirectEstimatorUnderEqualProbabilitiesChangesNothing)
{
    SimulationState.estimatorCode = EstimatorDirect;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(SimulationState.auxiliaryMean, -1.0);
    EXPECT_EQ(SimulationState.stratumCount, 7);
}

TEST_F(PrepareAuxiliaryQuantitiesTest, UnitsOutsideThePostStrataAreSkipped)
{
    SimulationState.populationData[4][2] = 11.0;
    SimulationState.populationData[3][2] = -3.0;
    SimulationState.estimatorCode = EstimatorPostStratified;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(SimulationState.stratumCount, 2);
    EXPECT_EQ(SimulationState.stratumWeights[1], 0.25);
    EXPECT_EQ(SimulationState.stratumWeights[2], 0.25);
}

}  // namespace
