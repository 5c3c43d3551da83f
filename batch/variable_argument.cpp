#include "batch/variable_argument.h"

#include <algorithm>
#include <limits>

#include "core/population_file.h"
#include "core/simulation_state.h"

bool ParseVariableArgument(const std::string& text, VariableArgument& variable)
{
    variable = VariableArgument{};
    if (text.empty()) {
        return false;
    }
    int number = 0;
    if (ParseIntInRange(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), number)) {
        variable.number = number;
    } else {
        variable.name = text;
    }
    return true;
}

std::string ResolveVariable(const VariableArgument& variable, const std::string& option, int& number)
{
    if (variable.number) {
        number = *variable.number;
        return "";
    }
    int matches = 0;
    const int count = std::clamp(SimulationState.variableCount, 0, MaxVariables);
    for (int k = 1; k <= count; ++k) {
        if (SimulationState.variableNames[k] == variable.name) {
            number = k;
            ++matches;
        }
    }
    if (matches == 1) {
        return "";
    }
    const std::string quoted = "'" + variable.name + "'";
    return matches == 0 ? "no variable is named " + quoted + " (" + option + ")"
                        : "more than one variable is named " + quoted + " (" + option + ")";
}
