#include "core/theory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/estimators.h"
#include "core/ordering.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"
#include "tests/core/core_test_support.h"

namespace {

struct Moments {
    double mean = 0.0;
    double standardDeviation = 0.0;
};

/// Mean and standard deviation of the estimate over weighted samples.
class MomentsOfEstimates {
public:
    void Add(double weight)
    {
        ComputeEstimate();
        ASSERT_TRUE(SimulationState.estimateValid);
        sum_ += weight * SimulationState.estimate;
        squares_ += weight * SimulationState.estimate * SimulationState.estimate;
        weights_ += weight;
    }
    Moments Result() const
    {
        const double mean = sum_ / weights_;
        return {mean, std::sqrt(squares_ / weights_ - mean * mean)};
    }

private:
    double sum_ = 0.0;
    double squares_ = 0.0;
    double weights_ = 0.0;
};

void UseSettings(EstimatorCode estimator, DesignCode design, int sampleSize)
{
    SimulationState.targetVariable = 1;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.estimatorCode = estimator;
    SimulationState.designCode = design;
    SimulationState.sampleSize = sampleSize;
    PrepareAuxiliaryQuantities();
}

void ExpectTheory(double mean, double standardError)
{
    ComputeTheoreticalProperties();
    EXPECT_TRUE(SimulationState.theoreticalMeanAvailable);
    EXPECT_TRUE(SimulationState.theoreticalStdErrorAvailable);
    EXPECT_NEAR(SimulationState.theoreticalMean, mean, 1e-12);
    EXPECT_NEAR(SimulationState.theoreticalStdError, standardError, 1e-12);
}

void ExpectStdErrorNotAvailable()
{
    SimulationState.theoreticalStdError = 99.0;
    ComputeTheoreticalProperties();
    EXPECT_FALSE(SimulationState.theoreticalStdErrorAvailable);
    EXPECT_EQ(SimulationState.theoreticalStdError, 0.0);
}

TEST(TheoryDirectEqual, MatchesEveryPossibleSample)
{
    InstallPopulation({{3, 0}, {7, 0}, {1, 0}, {12, 0}, {4, 0}});
    UseSettings(EstimatorDirect, DesignEqualProbabilities, 2);
    SimulationState.respondentCount = 2;
    MomentsOfEstimates moments;
    for (int a = 1; a <= 5; ++a) {
        for (int b = a + 1; b <= 5; ++b) {
            SimulationState.sampleUnits[1] = a;
            SimulationState.sampleUnits[2] = b;
            moments.Add(1.0);
        }
    }
    const Moments exact = moments.Result();
    ExpectTheory(exact.mean, exact.standardDeviation);
    EXPECT_DOUBLE_EQ(SimulationState.theoreticalMean, 5.4);
}

TEST(TheoryDirectProportional, MatchesEveryOrderedSampleWithItsProbability)
{
    InstallPopulation({{3, 1}, {7, 2}, {1, 4}, {12, 3}});
    UseSettings(EstimatorDirect, DesignProportionalToSize, 2);
    SimulationState.respondentCount = 2;
    MomentsOfEstimates moments;
    for (int a = 1; a <= 4; ++a) {
        for (int b = 1; b <= 4; ++b) {
            SimulationState.sampleUnits[1] = a;
            SimulationState.sampleUnits[2] = b;
            moments.Add(UnitValue(a, 2) * UnitValue(b, 2));
        }
    }
    const Moments exact = moments.Result();
    ExpectTheory(exact.mean, exact.standardDeviation);
}

TEST(TheoryDirectProportional, LeavesOutUnitsThatCannotBeDrawn)
{
    InstallPopulation({{3, 1}, {7, 0}, {1, 4}, {12, 3}});
    UseSettings(EstimatorDirect, DesignProportionalToSize, 2);
    ComputeTheoreticalProperties();
    EXPECT_DOUBLE_EQ(SimulationState.theoreticalMean, 16.0 / 4.0);

    SimulationState.auxiliaryMean = 0.0;
    ExpectStdErrorNotAvailable();
    EXPECT_TRUE(SimulationState.theoreticalMeanAvailable);
}

// Squaring before weighting by X rounds differently from (X d) d for this
// population; the value is the one of X_i * (Y_i / X_i - b)^2 summed in unit order.
TEST(TheoryDirectProportional, WeighsTheSquaredDeviationBitForBit)
{
    InstallPopulation({{1.9, 3.9}, {3.5, 6.7}, {4.0, 9.3}});
    UseSettings(EstimatorDirect, DesignProportionalToSize, 2);
    ComputeTheoreticalProperties();
    EXPECT_EQ(SimulationState.theoreticalStdError, 0x1.8e64f22b8eccbp-3);
}

TEST(TheoryDesignEqual, TheWholePopulationAsSampleHasNoError)
{
    InstallPopulation({{3, 1}, {7, 2}, {1, 4}, {12, 3}});
    for (const EstimatorCode estimator : {EstimatorDirect, EstimatorRatio, EstimatorRegression}) {
        UseSettings(estimator, DesignEqualProbabilities, 4);
        ExpectTheory(5.75, 0.0);
    }
}

TEST(TheoryRatio, ComputesTheResidualsAroundTheRatioOfMeans)
{
    InstallPopulation({{2, 1}, {4, 3}, {6, 2}, {8, 2}});
    UseSettings(EstimatorRatio, DesignEqualProbabilities, 2);
    // R = 5 / 2; residuals -0.5, -3.5, 1, 3; S = 22.5; F = 1/2 - 1/4.
    ExpectTheory(5.0, std::sqrt(0.25 * 22.5 / 3.0));

    InstallPopulation({{2, 2}, {4, 4}, {6, 6}});
    UseSettings(EstimatorRatio, DesignEqualProbabilities, 2);
    ExpectTheory(4.0, 0.0);
}

TEST(TheoryRatio, IsNotAvailableWithAuxiliaryMeanZero)
{
    InstallPopulation({{2, -1}, {4, 1}});
    UseSettings(EstimatorRatio, DesignEqualProbabilities, 1);
    ExpectStdErrorNotAvailable();
    EXPECT_TRUE(SimulationState.theoreticalMeanAvailable);
}

TEST(TheoryRegression, ComputesTheResidualsAroundTheLine)
{
    InstallPopulation({{1, 1}, {3, 2}, {2, 3}, {6, 6}});
    UseSettings(EstimatorRegression, DesignEqualProbabilities, 2);
    // Xbar = Ybar = 3; Sxx = 14, Sxy = 13; residuals by hand below.
    const double b = 13.0 / 14.0;
    const double s = std::pow(-2 + 2 * b, 2) + std::pow(0 + b, 2) + std::pow(-1, 2) + std::pow(3 - 3 * b, 2);
    ExpectTheory(3.0, std::sqrt(0.25 * s / 3.0));

    InstallPopulation({{5, 1}, {7, 2}, {11, 4}});
    UseSettings(EstimatorRegression, DesignEqualProbabilities, 2);
    ExpectTheory(23.0 / 3.0, 0.0);
}

TEST(TheoryRegression, IsNotAvailableWithAConstantAuxiliaryVariable)
{
    InstallPopulation({{5, 2}, {7, 2}, {11, 2}});
    UseSettings(EstimatorRegression, DesignEqualProbabilities, 2);
    ExpectStdErrorNotAvailable();
}

TEST(TheoryPostStratified, SumsTheStratumTerms)
{
    InstallPopulation({{1, 1}, {3, 1}, {5, 2}, {9, 2}, {4, 2}, {7, 1}});
    UseSettings(EstimatorPostStratified, DesignEqualProbabilities, 2);
    // Strata {1, 3, 7} and {5, 9, 4}: S2 = 28/3 and 7, W = 1/2, F = 1/2 - 1/6.
    const double f = 1.0 / 3.0;
    const double s2 = 28.0 / 3.0;
    const double v = f * 0.5 * s2 + 0.5 * s2 / 4 + f * 0.5 * 7 + 0.5 * 7 / 4;
    ExpectTheory(29.0 / 6.0, std::sqrt(v));
}

TEST(TheoryPostStratified, IsNotAvailableWithAStratumOfOneUnit)
{
    InstallPopulation({{1, 1}, {3, 1}, {5, 2}});
    UseSettings(EstimatorPostStratified, DesignEqualProbabilities, 2);
    ExpectStdErrorNotAvailable();
    EXPECT_DOUBLE_EQ(SimulationState.theoreticalMean, 3.0);
}

TEST(TheoryDirectEqual, IsNotAvailableForASingleUnitOrNone)
{
    InstallPopulation({{4, 0}});
    UseSettings(EstimatorDirect, DesignEqualProbabilities, 1);
    ExpectStdErrorNotAvailable();
    EXPECT_TRUE(SimulationState.theoreticalMeanAvailable);

    InstallPopulation({});
    UseSettings(EstimatorDirect, DesignEqualProbabilities, 0);
    ComputeTheoreticalProperties();
    EXPECT_FALSE(SimulationState.theoreticalMeanAvailable);
    EXPECT_FALSE(SimulationState.theoreticalStdErrorAvailable);
}

TEST(ComputeTheoreticalProperties, IgnoresUnknownCombinations)
{
    InstallPopulation({{4, 1}, {6, 1}});
    UseSettings(EstimatorDirect, DesignEqualProbabilities, 2);
    SimulationState.designCode = 14;
    SimulationState.theoreticalMean = 7.0;
    ComputeTheoreticalProperties();
    EXPECT_EQ(SimulationState.theoreticalMean, 7.0);
    EXPECT_FALSE(SimulationState.theoreticalMeanAvailable);
}

}  // namespace
