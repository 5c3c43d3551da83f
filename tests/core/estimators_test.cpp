#include "core/estimators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"
#include "tests/core/core_test_support.h"

namespace {

/// Population of (y, x) pairs: target variable 1, auxiliary variable 2.
void InstallPairs(const std::vector<std::vector<double>>& rows)
{
    InstallPopulation(rows);
    SimulationState.targetVariable = 1;
    SimulationState.auxiliaryVariable = 2;
}

/// The sample positions; 0 marks a nonrespondent.
void SetSample(const std::vector<int>& units)
{
    SimulationState.sampleSize = static_cast<int>(units.size());
    SimulationState.respondentCount = 0;
    for (std::size_t j = 0; j < units.size(); ++j) {
        SimulationState.sampleUnits[j + 1] = units[j];
        SimulationState.respondentCount += units[j] != 0 ? 1 : 0;
    }
}

void UseEstimator(EstimatorCode estimator, bool intervals = true)
{
    SimulationState.estimatorCode = estimator;
    SimulationState.designCode = DesignEqualProbabilities;
    SimulationState.confidenceIntervalMode = intervals;
    SimulationState.estimateValid = false;
}

TEST(DirectEqualEstimator, IsTheRespondentsMeanWithFiniteCorrection)
{
    InstallPairs({{2, 0}, {4, 0}, {6, 0}, {8, 0}});
    UseEstimator(EstimatorDirect);
    SetSample({1, 0, 3});
    ComputeEstimate();
    EXPECT_TRUE(SimulationState.estimateValid);
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 4.0);
    // f = 1/2 - 1/4, S = 8, n' - 1 = 1.
    EXPECT_DOUBLE_EQ(SimulationState.standardError, std::sqrt(2.0));
}

TEST(DirectEqualEstimator, TheWholePopulationGivesItsMeanWithoutError)
{
    InstallPairs({{1, 0}, {2, 0}, {6, 0}});
    UseEstimator(EstimatorDirect);
    SetSample({3, 1, 2});
    ComputeEstimate();
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 3.0);
    EXPECT_EQ(SimulationState.standardError, 0.0);
}

TEST(DirectEqualEstimator, OutsideIntervalModeLeavesTheStandardError)
{
    InstallPairs({{2, 0}, {4, 0}, {6, 0}});
    UseEstimator(EstimatorDirect, false);
    SimulationState.standardError = 123.0;
    SetSample({1, 2});
    ComputeEstimate();
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 3.0);
    EXPECT_EQ(SimulationState.standardError, 123.0);
}

TEST(DirectEqualEstimator, TooFewRespondentsGiveNoNonFiniteResult)
{
    InstallPairs({{2, 0}, {4, 0}, {6, 0}});
    UseEstimator(EstimatorDirect);
    SetSample({0, 2});
    ComputeEstimate();
    EXPECT_TRUE(SimulationState.estimateValid);
    EXPECT_EQ(SimulationState.estimate, 4.0);
    EXPECT_EQ(SimulationState.standardError, -1.0);

    UseEstimator(EstimatorDirect);
    SimulationState.estimate = 9.0;
    SetSample({0, 0});
    ComputeEstimate();
    EXPECT_FALSE(SimulationState.estimateValid);
    EXPECT_EQ(SimulationState.estimate, 9.0);
}

TEST(DirectProportionalEstimator, CountsARepeatedUnitAtEachPosition)
{
    InstallPairs({{2, 1}, {3, 3}});
    UseEstimator(EstimatorDirect);
    SimulationState.designCode = DesignProportionalToSize;
    SimulationState.auxiliaryMean = 2.0;
    SetSample({1, 1, 2});
    ComputeEstimate();
    // y/x = 2, 2, 1: estimate 2 * 5 / 3; S = 2 (4 - 10/3)^2 + (2 - 10/3)^2 = 24/9.
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 10.0 / 3.0);
    EXPECT_DOUBLE_EQ(SimulationState.standardError, 2.0 / 3.0);
}

TEST(RatioEstimator, ExactlyProportionalTargetHasNoError)
{
    InstallPairs({{2, 1}, {6, 3}, {10, 5}, {4, 2}});
    UseEstimator(EstimatorRatio);
    SimulationState.auxiliaryMean = 2.75;
    SetSample({1, 3});
    ComputeEstimate();
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 5.5);
    EXPECT_EQ(SimulationState.standardError, 0.0);
}

TEST(RatioEstimator, ComputesRatioAndResiduals)
{
    InstallPairs({{3, 1}, {5, 3}, {0, 4}, {0, 4}});
    UseEstimator(EstimatorRatio);
    SimulationState.auxiliaryMean = 3.0;
    SetSample({1, 2});
    ComputeEstimate();
    // R = 8/4 = 2; residuals 1 and -1; f = 1/2 - 1/4.
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 6.0);
    EXPECT_DOUBLE_EQ(SimulationState.standardError, std::sqrt(0.5));
}

TEST(RatioEstimator, NoEstimateWithoutPositiveAuxiliarySum)
{
    InstallPairs({{3, -1}, {5, 1}, {7, 0}});
    UseEstimator(EstimatorRatio);
    SimulationState.estimate = 9.0;
    SimulationState.standardError = 8.0;
    SetSample({1, 2, 3});
    ComputeEstimate();
    EXPECT_FALSE(SimulationState.estimateValid);
    EXPECT_EQ(SimulationState.estimate, 9.0);
    EXPECT_EQ(SimulationState.standardError, 8.0);
}

TEST(RegressionEstimator, ComputesSlopeAdjustmentAndResiduals)
{
    InstallPairs({{1, 1}, {3, 2}, {2, 3}, {0, 4}, {0, 4}, {0, 4}});
    UseEstimator(EstimatorRegression);
    SimulationState.auxiliaryMean = 3.0;
    SetSample({1, 2, 3});
    ComputeEstimate();
    // xbar = ybar = 2, Sxx = 2, Sxy = 1, b = 0.5; S = 1.5; f = 1/3 - 1/6.
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 2.5);
    EXPECT_DOUBLE_EQ(SimulationState.standardError, std::sqrt(0.125));
}

TEST(RegressionEstimator, ExactlyLinearTargetHasNoError)
{
    InstallPairs({{5, 1}, {7, 2}, {9, 3}, {11, 4}});
    UseEstimator(EstimatorRegression);
    SimulationState.auxiliaryMean = 2.5;
    SetSample({4, 1});
    ComputeEstimate();
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 8.0);
    EXPECT_NEAR(SimulationState.standardError, 0.0, 1e-12);
}

TEST(RegressionEstimator, NoEstimateWhenAllAuxiliaryValuesAreEqual)
{
    InstallPairs({{5, 2}, {7, 2}, {9, 3}});
    UseEstimator(EstimatorRegression);
    SimulationState.estimate = 9.0;
    SetSample({1, 2});
    ComputeEstimate();
    EXPECT_FALSE(SimulationState.estimateValid);
    EXPECT_EQ(SimulationState.estimate, 9.0);
}

class PostStratifiedEstimator : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Post-strata 1, 1, 2, 2 with weights 1/2 each.
        InstallPairs({{1, 1}, {3, 0.6}, {5, 2}, {9, 2.4}});
        UseEstimator(EstimatorPostStratified);
        PrepareAuxiliaryQuantities();
    }
};

TEST_F(PostStratifiedEstimator, WeighsTheStratumMeansAndTheirVariances)
{
    SetSample({1, 2, 3, 4});
    ComputeEstimate();
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 4.5);
    // f = 0; s2 = 2 and 8: v = 0.5 * 2 / 16 + 0.5 * 8 / 16.
    EXPECT_DOUBLE_EQ(SimulationState.standardError, std::sqrt(5.0 / 16.0));
}

TEST_F(PostStratifiedEstimator, AStratumWithoutRespondentsIsLeftOutUnweighted)
{
    SimulationState.confidenceIntervalMode = false;
    SetSample({3, 0, 4});
    ComputeEstimate();
    EXPECT_TRUE(SimulationState.estimateValid);
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 3.5);
    EXPECT_EQ(SimulationState.standardError, -1.0);
}

TEST_F(PostStratifiedEstimator, OutsideIntervalModeTheStandardErrorIsZero)
{
    SimulationState.confidenceIntervalMode = false;
    SimulationState.standardError = 5.0;
    SetSample({1, 2, 3, 4});
    ComputeEstimate();
    EXPECT_EQ(SimulationState.standardError, 0.0);
}

TEST_F(PostStratifiedEstimator, RespondentsOutsideThePostStrataAreIgnored)
{
    SimulationState.populationData[4][2] = 40.0;
    SetSample({1, 3, 4});
    ComputeEstimate();
    EXPECT_DOUBLE_EQ(SimulationState.estimate, 0.5 * 1 + 0.5 * 5);
    EXPECT_EQ(SimulationState.standardError, -1.0);
}

TEST(ComputeEstimate, IgnoresUnknownCombinations)
{
    InstallPairs({{2, 1}, {4, 1}});
    SetSample({1, 2});
    for (const auto& [estimator, design] : {std::pair{19, 10}, std::pair{20, 14}, std::pair{24, 10}}) {
        SimulationState.estimatorCode = estimator;
        SimulationState.designCode = design;
        SimulationState.estimateValid = false;
        ComputeEstimate();
        EXPECT_FALSE(SimulationState.estimateValid);
    }
}

TEST(EstimateOnSample, GivesTheRecordRoutinesResultsBitForBit)
{
    // y, x and post-strata 1..3 in x: every estimator has something to do.
    InstallPairs({{5.5, 1}, {7.25, 2}, {3, 3}, {9.5, 1.2}, {4, 2.4}, {8.75, 3.1}, {6, 0.9}, {2.5, 2.2}});
    SimulationState.nonresponseOn = true;
    SimulationState.nonresponseVariable = 1;
    SimulationState.nonresponseSlope = 0.05;
    RandomGenerator.seed = 7;
    const std::vector<std::pair<EstimatorCode, DesignCode>> settings = {
        {EstimatorDirect, DesignEqualProbabilities},         {EstimatorDirect, DesignProportionalToSize},
        {EstimatorRatio, DesignEqualProbabilities},          {EstimatorRegression, DesignEqualProbabilities},
        {EstimatorPostStratified, DesignEqualProbabilities},
    };
    for (int draw = 0; draw < 40; ++draw) {
        SimulationState.sampleSize = 3 + draw % 5;
        DrawSampleEqualProbabilities();
        for (const auto& [estimator, design] : settings) {
            for (const bool intervals : {false, true}) {
                UseEstimator(estimator, intervals);
                SimulationState.designCode = design;
                PrepareAuxiliaryQuantities();
                SimulationState.standardError = 123.0;
                const EstimatorInputs inputs = PrepareEstimatorInputs(estimator, {design}, 1, 2);
                const SampleEstimate result = EstimateOnSample(RecordSample(), inputs, intervals);
                ComputeEstimate();
                ASSERT_EQ(result.valid, SimulationState.estimateValid) << estimator << " draw " << draw;
                if (!result.valid) {
                    continue;
                }
                EXPECT_EQ(result.estimate, SimulationState.estimate) << estimator << " draw " << draw;
                if (intervals) {
                    EXPECT_EQ(result.standardError, SimulationState.standardError) << estimator;
                }
            }
        }
    }
}

}  // namespace
