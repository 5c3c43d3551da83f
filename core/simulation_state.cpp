#include "core/simulation_state.h"

#include <algorithm>

TSimulationState SimulationState;

int PopulationSize()
{
    return std::clamp(SimulationState.unitCount, 0, MaxUnits);
}

int SamplePositions()
{
    const int positions =
        SimulationState.drawnPositions > 0 ? SimulationState.drawnPositions : SimulationState.sampleSize;
    return std::clamp(positions, 0, MaxUnits);
}

bool IsVariableNumber(int k)
{
    return k >= 1 && k <= SimulationState.variableCount && k <= MaxVariables;
}

std::string VariableNameOrDash(int k)
{
    return IsVariableNumber(k) ? SimulationState.variableNames[k] : "-";
}

ValueRange ScanVariableRange(const TSimulationState& state, int k)
{
    ValueRange range{1e10, -1e10};
    if (k < 1 || k > MaxVariables) {
        return range;
    }
    const int units = std::clamp(state.unitCount, 0, MaxUnits);
    for (int i = 1; i <= units; ++i) {
        const double value = state.populationData[i][k];
        if (value < range.minimum) {
            range.minimum = value;
        }
        if (value > range.maximum) {
            range.maximum = value;
        }
    }
    return range;
}
