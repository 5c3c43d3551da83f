#include "engine/fitted_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/simulation_state.h"

namespace {

// By hand: a class is 8/50 = 0.16 standard errors wide, so the class of the mean
// holds 2 Phi(0.08) - 1 = 0.063763 of the estimates. The distribution window's
// step is nearest(0.02 * 373) = 7 pixels and a bar may rise 29 steps = 203
// pixels; compressions 1..4 give bar units 7, 4, 2, 2, i.e. room for 29, 50,
// 101 and 101 estimates.
TEST(FittedScaleTest, FollowsTheTheoryWithTheCompressionThatHoldsTheTallestClass)
{
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        TheoreticalProperties theory;
        int simulations;
        double lower;
        double upper;
        int compression;
    };
    const ValueRange population{2.0, 30.0};
    const std::vector<Case> cases = {
        {"100 samples: 6.4 expected, compression 1", {10.0, true, 0.5, true}, 100, 8.0, 12.0, 1},
        {"450 samples: 28.7 fit under 29", {10.0, true, 0.5, true}, 450, 8.0, 12.0, 1},
        {"500 samples: 31.9 need 2", {-3.0, true, 2.0, true}, 500, -11.0, 5.0, 2},
        {"1000 samples: 63.8 need 3", {10.0, true, 0.25, true}, 1000, 9.0, 11.0, 3},
        {"1600 samples: 102 fit nowhere", {10.0, true, 0.5, true}, 1600, 8.0, 12.0, 4},
        {"no standard error: the population's range", {10.0, true, 0.0, false}, 1000, 2.0, 30.0, 2},
        {"a standard error of 0", {10.0, true, 0.0, true}, 1000, 2.0, 30.0, 2},
        {"no mean", {0.0, false, 0.5, true}, 1000, 2.0, 30.0, 2},
        {"a standard error that is no number", {10.0, true, NaN, true}, 1000, 2.0, 30.0, 2},
    };
    for (const Case& c : cases) {
        const FittedScale fitted = FitScaleToEstimator(c.theory, population, c.simulations, 2);
        EXPECT_DOUBLE_EQ(fitted.scale.lower, c.lower) << c.name;
        EXPECT_DOUBLE_EQ(fitted.scale.upper, c.upper) << c.name;
        EXPECT_DOUBLE_EQ(fitted.scale.range, c.upper - c.lower) << c.name;
        EXPECT_EQ(fitted.verticalCompression, c.compression) << c.name;
    }
    EXPECT_NEAR(ExpectedTallestClass(1000), 63.763, 0.001);
}

// Twenty units 1..20, n = 5: the direct estimator has mean 10.5 and standard
// error sqrt((1/5 - 1/20) 35). The run takes the scale of that theory and the
// record's theoretical fields, which only the statistics fill, stay as they were.
TEST(FittedScaleTest, ARunFitsItsScaleWithoutWritingTheTheoryIntoTheRecord)
{
    SimulationState = TSimulationState{};
    TSimulationState& s = SimulationState;
    s.unitCount = 20;
    s.variableCount = 1;
    for (int unit = 1; unit <= s.unitCount; ++unit) {
        s.populationData[unit][1] = unit;
    }
    s.targetVariable = 1;
    s.targetMinimum = 1.0;
    s.targetMaximum = 20.0;
    s.sampleSize = 5;
    s.simulationCount = 100;
    s.designCode = DesignEqualProbabilities;
    s.estimatorCode = EstimatorDirect;
    s.verticalCompression = 1;
    s.theoreticalMean = -7.0;
    s.theoreticalStdError = -8.0;
    RunEngine engine;
    engine.StartRun();
    const RunGraph graph = StartFittedRunGraph(engine, GraphKind::Histogram);
    const double halfWidth = FittedHalfWidth * std::sqrt(0.15 * 35.0);
    EXPECT_NEAR(engine.scale().lower, 10.5 - halfWidth, 1e-9);
    EXPECT_NEAR(engine.scale().upper, 10.5 + halfWidth, 1e-9);
    EXPECT_DOUBLE_EQ(graph.frame.populationMean, 10.5);
    EXPECT_EQ(s.theoreticalMean, -7.0);
    EXPECT_EQ(s.theoreticalStdError, -8.0);
    EXPECT_FALSE(s.theoreticalMeanAvailable || s.theoreticalStdErrorAvailable);
}

}  // namespace
