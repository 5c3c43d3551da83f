#pragma once
// The scale a run takes when the Simulation menu's "Fit the scale to the
// estimator" is on: wide enough for nearly every estimate the theory expects,
// and compressed so that the histogram's tallest class is expected to fit.

#include <cstdint>

#include "core/simulation_state.h"
#include "core/theory.h"
#include "engine/plot_frame.h"
#include "engine/run_engine.h"

/// Half the fitted scale, in theoretical standard errors.
inline constexpr double FittedHalfWidth = 4.0;

struct FittedScale {
    RunScale scale;
    std::int32_t verticalCompression = 1;
};

/// \brief The expected count of the histogram's class around the theoretical
/// mean on a scale of mean -+ 4 standard errors (normal approximation):
/// simulationCount times the probability of a class's width around the mean.
double ExpectedTallestClass(int simulationCount);

/// \brief The scale mean -+ 4 standard errors and the smallest compression 1..4
/// under which ExpectedTallestClass fits below the bars' cap (4 when none does).
/// Where the theory gives no positive, finite standard error: the population's
/// range `population` and `compression` unchanged.
FittedScale FitScaleToEstimator(const TheoreticalProperties& theory, const ValueRange& population,
                                int simulationCount, std::int32_t compression);

/// \brief The empty graph of the run `engine` has just started, on the scale
/// fitted to the theory of the record's estimator: the engine classes the run's
/// samples under that scale, and a histogram's bars take the fitted compression.
RunGraph StartFittedRunGraph(RunEngine& engine, GraphKind kind);
