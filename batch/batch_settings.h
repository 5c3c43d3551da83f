#pragma once
// Applies the command line's settings to SimulationState as a user of the
// desktop program would enter them, with the same checks.

#include <string>

#include "batch/batch_options.h"

/// \brief Applies the settings in the order target, sample size, design,
/// estimator, nonresponse, simulations, mode, scale, then makes the checks of the
/// Begin command. Returns the first refusal's message, or "" when all is accepted.
std::string ApplySettings(const BatchOptions& options);

/// \brief The first settings of ApplySettings, the target and the sample size,
/// which the checks of a design read.
std::string ApplyLeadingSettings(const BatchOptions& options);

/// \brief The refusal ApplySettings would give of the design, the estimator and
/// the auxiliary variable of `options` once the record holds its leading
/// settings; writes nothing.
std::string DesignSettingsRefusal(const BatchOptions& options);
