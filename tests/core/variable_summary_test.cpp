#include "core/variable_summary.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/core/core_test_support.h"

namespace {

TEST(SummarizeVariable, GivesExtremesMeanAndStandardDeviationWithDivisorNMinusOne)
{
    InstallPopulation({{5, 2}, {-1, 4}, {3, 4}, {9, 6}});
    const VariableSummary summary = SummarizeVariable(2);
    EXPECT_TRUE(summary.extremesAvailable);
    EXPECT_EQ(summary.minimum, 2.0);
    EXPECT_EQ(summary.maximum, 6.0);
    EXPECT_EQ(summary.mean, 4.0);
    EXPECT_TRUE(summary.standardDeviationAvailable);
    // Squared deviations 4 + 0 + 0 + 4 over N - 1 = 3.
    EXPECT_EQ(summary.standardDeviation, std::sqrt(8.0 / 3.0));
    EXPECT_EQ(SummarizeVariable(1).minimum, -1.0);
    EXPECT_EQ(SummarizeVariable(1).maximum, 9.0);
}

TEST(SummarizeVariable, SumsInUnitOrder)
{
    // In unit order 1e17 absorbs the first 1; any other order gives another mean.
    InstallSingleVariable({1e17, 1, -1e17, 1});
    EXPECT_EQ(SummarizeVariable(1).mean, 0.25);
}

TEST(SummarizeVariable, LeavesOutWhatTooFewUnitsCannotGive)
{
    InstallSingleVariable({-7.5});
    const VariableSummary one = SummarizeVariable(1);
    EXPECT_TRUE(one.extremesAvailable);
    EXPECT_EQ(one.minimum, -7.5);
    EXPECT_EQ(one.maximum, -7.5);
    EXPECT_TRUE(one.meanAvailable);
    EXPECT_EQ(one.mean, -7.5);
    EXPECT_FALSE(one.standardDeviationAvailable);

    InstallSingleVariable({});
    const VariableSummary none = SummarizeVariable(1);
    EXPECT_FALSE(none.extremesAvailable);
    EXPECT_FALSE(none.meanAvailable);
    EXPECT_FALSE(none.standardDeviationAvailable);
}

TEST(SummarizeVariable, StaysInsideTheMatrixWhateverTheRecordHolds)
{
    InstallSingleVariable({3, 4});
    SimulationState.unitCount = MaxUnits + 5;
    const VariableSummary tooMany = SummarizeVariable(1);
    EXPECT_TRUE(std::isfinite(tooMany.mean));
    EXPECT_EQ(tooMany.maximum, 4.0);

    SimulationState.unitCount = 2;
    const VariableSummary noVariable = SummarizeVariable(MaxVariables + 1);
    EXPECT_EQ(noVariable.minimum, 0.0);
    EXPECT_EQ(noVariable.maximum, 0.0);
}

}  // namespace
