#pragma once
// A small population set up directly in SimulationState, for the window tests.

#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "ui/interface_text_table.h"

namespace window_test {

/// Units 1..20 with the target values 1..20, equal probabilities, the direct
/// estimator, samples of 5, `simulations` samples, scale 0..20, a fixed seed.
inline void SetUpPopulation(int simulations, bool confidenceIntervals = false)
{
    FillInterfaceTexts();
    SimulationState = TSimulationState{};
    TSimulationState& s = SimulationState;
    s.populationName = "Twenty units";
    s.unitCount = 20;
    s.variableCount = 1;
    s.variableNames[1] = "Y";
    for (int unit = 1; unit <= s.unitCount; ++unit) {
        s.populationData[unit][1] = unit;
    }
    s.targetVariable = 1;
    s.auxiliaryVariable = 1;
    s.sampleSize = 5;
    s.simulationCount = simulations;
    s.designCode = DesignEqualProbabilities;
    s.estimatorCode = EstimatorDirect;
    s.scaleLower = 0.0;
    s.scaleUpper = 20.0;
    s.verticalCompression = 1;
    s.confidenceIntervalMode = confidenceIntervals;
    s.simulationRestart = true;
    RandomGenerator.seed = 12345;
}

}  // namespace window_test
