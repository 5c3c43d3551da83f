#include "core/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/ordering.h"
#include "core/random_sampling.h"

#include "core/simulation_state.h"
#include "tests/core/core_test_support.h"

namespace {

TEST(SetTargetVariable, TakesTheRangeAndResetsScaleAndCompression)
{
    InstallPopulation({{1, 7}, {2, -3}, {3, 7.5}});
    SimulationState.targetVariable = 2;
    SimulationState.scaleLower = -100;
    SimulationState.scaleUpper = 100;
    SimulationState.verticalCompression = 4;
    SetTargetVariable(2);
    EXPECT_EQ(SimulationState.targetVariable, 2);
    EXPECT_EQ(SimulationState.targetMinimum, -3.0);
    EXPECT_EQ(SimulationState.targetMaximum, 7.5);
    EXPECT_EQ(SimulationState.scaleLower, -3.0);
    EXPECT_EQ(SimulationState.scaleUpper, 7.5);
    EXPECT_EQ(SimulationState.verticalCompression, 1);

    SetTargetVariable(3);
    SetTargetVariable(0);
    EXPECT_EQ(SimulationState.targetVariable, 2);
}

TEST(CountNonPositiveValues, CountsZeroAndNegativeValues)
{
    InstallSingleVariable({0, 3, -1, 0.001, 0});
    EXPECT_EQ(CountNonPositiveValues(1), 3);
}

class CheckPostStrataTest : public ::testing::Test {
protected:
    std::string CheckWith(const std::vector<double>& values)
    {
        std::vector<std::vector<double>> rows;
        for (const double value : values) {
            rows.push_back({0, value});
        }
        InstallPopulation(rows);
        SimulationState.auxiliaryVariable = 2;
        SimulationState.estimatorCode = EstimatorPostStratified;
        return CheckPostStrata();
    }
};

TEST_F(CheckPostStrataTest, AcceptsStrataThatAreAllMet)
{
    EXPECT_EQ(CheckWith({3, 1, 2, 2.4, 3.4}), "");
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorPostStratified);
    EXPECT_EQ(SimulationState.stratumCount, 3);
    EXPECT_EQ(SimulationState.stratumWeights[1], 1.0);
    EXPECT_EQ(SimulationState.stratumWeights[2], 2.0);
    EXPECT_EQ(SimulationState.stratumWeights[3], 2.0);
}

TEST_F(CheckPostStrataTest, RefusesValuesOutsideOneToTen)
{
    EXPECT_EQ(CheckWith({1, 2, 3, 4, 5, 6, 7, 8, 9, 10.4}), "");
    EXPECT_EQ(SimulationState.stratumCount, 10);
    for (const double value : {10.6, 0.4, 0.5, -2.0}) {
        EXPECT_EQ(CheckWith({1, value}), TooManyStrataMessage) << value;
        EXPECT_EQ(SimulationState.estimatorCode, EstimatorDirect);
    }
}

TEST_F(CheckPostStrataTest, RefusesAnEmptyStratum)
{
    EXPECT_EQ(CheckWith({1, 2, 2, 4}), EmptyStrataMessage);
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorDirect);
    EXPECT_EQ(SimulationState.auxiliaryVariable, 2);
}

TEST_F(CheckPostStrataTest, DoesNothingForOtherEstimators)
{
    CheckWith({40});
    SimulationState.estimatorCode = EstimatorRatio;
    SimulationState.stratumCount = 5;
    EXPECT_EQ(CheckPostStrata(), "");
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorRatio);
    EXPECT_EQ(SimulationState.stratumCount, 5);
}

TEST(SetNonresponseLine, PassesThroughBothPercentages)
{
    InstallSingleVariable({30, 10, 50, 20});
    EXPECT_EQ(SetNonresponseLine(1, 1, 99), "");
    EXPECT_TRUE(SimulationState.nonresponseOn);
    EXPECT_EQ(SimulationState.nonresponseVariable, 1);
    EXPECT_EQ(SimulationState.nonresponseAtMinimum, 0.01);
    EXPECT_EQ(SimulationState.nonresponseAtMaximum, 0.99);
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseSlope, 0.0245);
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseIntercept, -0.235);

    EXPECT_EQ(SetNonresponseLine(1, 30, 30), "");
    EXPECT_EQ(SimulationState.nonresponseSlope, 0.0);
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseIntercept, 0.3);

    EXPECT_EQ(SetNonresponseLine(1, 80, 20), "");
    EXPECT_LT(SimulationState.nonresponseSlope, 0.0);
}

TEST(SetNonresponseLine, RefusesAVariableWithOneValueAndStoresNothing)
{
    InstallPopulation({{4, 1}, {4, 2}});
    SimulationState.nonresponseIntercept = 0.5;
    for (const int variable : {1, 0, 3, 11}) {
        EXPECT_EQ(SetNonresponseLine(variable, 10, 90), ConstantNonresponseVariableMessage);
    }
    EXPECT_FALSE(SimulationState.nonresponseOn);
    EXPECT_EQ(SimulationState.nonresponseVariable, 0);
    EXPECT_EQ(SimulationState.nonresponseAtMinimum, 0.0);
    EXPECT_EQ(SimulationState.nonresponseIntercept, 0.5);
}

TEST(SetScaleForSampleSize, TakesTheMeansOfTheSmallestAndLargestValues)
{
    InstallSingleVariable({5, 2, 9, 1, 10, 3, 7, 4, 8, 6});
    SimulationState.targetVariable = 1;
    SimulationState.scaleSampleSize = 3;
    SetScaleForSampleSize();
    EXPECT_EQ(SimulationState.scaleLower, 2.0);
    EXPECT_EQ(SimulationState.scaleUpper, 9.0);

    SimulationState.scaleSampleSize = 10;
    SetScaleForSampleSize();
    EXPECT_EQ(SimulationState.scaleLower, 5.5);
    EXPECT_EQ(SimulationState.scaleUpper, 5.5);

    SimulationState.scaleSampleSize = 11;
    SimulationState.scaleLower = -1.0;
    SetScaleForSampleSize();
    EXPECT_EQ(SimulationState.scaleLower, -1.0);
}

// The scale depends only on the sorted values: it equals the means of the units
// in the order the exchange scheme sorts them, ties and signed zeros included.
TEST(SetScaleForSampleSize, GivesTheMeansOfTheUnitsInTheSchemesOrder)
{
    std::vector<std::vector<double>> cases = {
        {2, 1, 2, 1, 0.1, 0.1, 0.7},
        {0.0, -0.0, 0.0, -0.0, 1e-300, -0.0},
        {9, 8, 7, 6, 5, 4, 3, 2, 1},
        {1e308, 1.5e308, -1e308, 1.7e308, 1.7e308},
    };
    std::vector<double> ties;
    RandomGenerator.seed = 11;
    for (int i = 0; i < 1000; ++i) {
        ties.push_back(RandomInteger(7) * 0.1);
    }
    cases.push_back(ties);
    for (const std::vector<double>& values : cases) {
        InstallSingleVariable(values);
        SimulationState.targetVariable = 1;
        UnitList list;
        SortUnitsByVariable(1, list);
        const int units = static_cast<int>(values.size());
        for (const int m : {1, 3, units}) {
            double smallest = 0.0;
            double largest = 0.0;
            for (int p = 1; p <= m; ++p) {
                smallest += UnitValue(list[p], 1);
                largest += UnitValue(list[units + 1 - p], 1);
            }
            SimulationState.scaleSampleSize = m;
            SetScaleForSampleSize();
            if (std::isfinite(smallest) && std::isfinite(largest)) {
                EXPECT_EQ(SimulationState.scaleLower, smallest / m) << units << " " << m;
                EXPECT_EQ(SimulationState.scaleUpper, largest / m) << units << " " << m;
                EXPECT_EQ(std::signbit(SimulationState.scaleLower), std::signbit(smallest / m));
            } else {
                EXPECT_TRUE(std::isfinite(SimulationState.scaleUpper));
            }
        }
    }
}

}  // namespace
