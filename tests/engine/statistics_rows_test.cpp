#include "engine/statistics_rows.h"

#include <gtest/gtest.h>

#include "core/ordering.h"
#include "core/simulation_state.h"
#include "texts/interface_text_table.h"

namespace {

class StatisticsRowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulationState = TSimulationState{};
        TSimulationState& s = SimulationState;
        s.populationName = "Four households";
        s.unitCount = 4;
        s.variableCount = 2;
        s.variableNames[1] = "Y";
        s.variableNames[2] = "X2";
        const double y[] = {1, 2, 3, 4};
        const double x[] = {1, 1, 2, 2};
        for (int unit = 1; unit <= 4; ++unit) {
            s.populationData[unit][1] = y[unit - 1];
            s.populationData[unit][2] = x[unit - 1];
        }
        s.targetVariable = 1;
        s.sampleSize = 2;
        s.simulationCount = 10;
        s.estimatorCode = EstimatorDirect;
        s.designCode = DesignEqualProbabilities;
        for (int sample = 1; sample <= 10; ++sample) {
            s.estimates[sample] = sample;
        }
    }

    static std::string Value(int row) { return StatisticsTableRows(10)[row].value; }
};

TEST_F(StatisticsRowsTest, LabelsComeFromTheInterfaceTexts)
{
    const auto rows = StatisticsTableRows(10);
    const char* expected[] = {"Population",
                              "Sample size",
                              "Probabilities",
                              "Target variable",
                              "Estimator",
                              "Nonresponse",
                              "Simulations",
                              "",
                              "Mean (theoretical)",
                              "Mean (simulated)",
                              "",
                              "Standard error (theoretical)",
                              "Standard error (simulated)"};
    for (int row = 0; row < StatisticsRowCount; ++row) {
        EXPECT_EQ(rows[row].label, expected[row]) << "row " << row;
    }
    EXPECT_EQ(rows[7].value, "");
    EXPECT_EQ(rows[10].value, "");
}

TEST_F(StatisticsRowsTest, SettingsOfADirectEqualProbabilityRun)
{
    const auto rows = StatisticsTableRows(10);
    EXPECT_EQ(rows[0].value, "Four households");
    EXPECT_EQ(rows[1].value, "2");
    EXPECT_EQ(rows[2].value, "Equal");
    EXPECT_EQ(rows[3].value, "Y");
    EXPECT_EQ(rows[4].value, "Direct");
    EXPECT_EQ(rows[5].value, "No");
    EXPECT_EQ(rows[6].value, "10");
}

TEST_F(StatisticsRowsTest, AuxiliaryAndNonresponseVariablesAreNamed)
{
    SimulationState.auxiliaryVariable = 2;
    SimulationState.estimatorCode = EstimatorRatio;
    SimulationState.nonresponseOn = true;
    SimulationState.nonresponseVariable = 2;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(Value(4), "Ratio (X2)");
    EXPECT_EQ(Value(5), "Yes, by X2");

    SimulationState.estimatorCode = EstimatorPostStratified;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(Value(4), "Post-stratification (X2)");

    SimulationState.estimatorCode = EstimatorDirect;
    SimulationState.designCode = DesignProportionalToSize;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(Value(2), "Proportional to X2");
}

TEST_F(StatisticsRowsTest, MissingVariablesReadAsDash)
{
    SimulationState.targetVariable = 0;
    SimulationState.designCode = DesignProportionalToSize;
    SimulationState.auxiliaryVariable = 0;
    EXPECT_EQ(Value(3), "-");
    EXPECT_EQ(Value(2), "Proportional to -");
}

TEST_F(StatisticsRowsTest, SimulatedValuesCoverTheSamplesDrawnSoFar)
{
    auto rows = StatisticsTableRows(10);
    EXPECT_EQ(rows[9].value, "5.500");
    EXPECT_EQ(rows[12].value, "3.028");

    rows = StatisticsTableRows(1);
    EXPECT_EQ(rows[9].value, "1.000");
    EXPECT_EQ(rows[12].value, "-");

    rows = StatisticsTableRows(0);
    EXPECT_EQ(rows[9].value, "-");
    EXPECT_EQ(rows[12].value, "-");
}

TEST_F(StatisticsRowsTest, TheoreticalValuesOfTheDirectEstimator)
{
    // Ybar 2.5; sqrt((1/2 - 1/4) * 5 / 3) = 0.6455.
    const auto rows = StatisticsTableRows(10);
    EXPECT_EQ(rows[8].value, "2.500");
    EXPECT_EQ(rows[11].value, "0.645");
}

TEST_F(StatisticsRowsTest, UndefinedTheoryReadsAsDash)
{
    // A constant auxiliary variable leaves the regression slope undefined.
    SimulationState.populationData[3][2] = 1.0;
    SimulationState.populationData[4][2] = 1.0;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.estimatorCode = EstimatorRegression;
    PrepareAuxiliaryQuantities();
    EXPECT_EQ(Value(11), "-");
}

}  // namespace
