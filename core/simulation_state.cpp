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

std::vector<double> VariableValues(int k)
{
    std::vector<double> values(static_cast<std::size_t>(PopulationSize()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = UnitValue(static_cast<int>(i) + 1, VariableColumn(k));
    }
    return values;
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
