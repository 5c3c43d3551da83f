#include "core/simulation_state.h"

TSimulationState SimulationState;
