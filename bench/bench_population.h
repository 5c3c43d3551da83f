#pragma once
// The population and settings that the benchmarks run on: a real 1000 x 10
// population file read through the program's own reader, then the settings a
// user would choose in the dialogs.

#include <string>

#include "core/simulation_state.h"

/// \brief Path of the population the benchmarks read: the 1000-unit,
/// 10-variable population file unless another was set.
std::string BenchPopulationPath();

/// \brief Makes the benchmarks read the population file at `path` instead.
void SetBenchPopulationPath(const std::string& path);

/// \brief One combination of settings under measurement.
struct BenchSettings {
    DesignCode design = DesignEqualProbabilities;
    EstimatorCode estimator = EstimatorDirect;
    int sampleSize = 10;
    bool intervals = false;
    bool nonresponse = false;
};

/// \brief Reads the population (every setting back to its default) and starts
/// the random sequence from seed 0, as at program start. Returns "" or the reason
/// of a failure.
std::string ReadBenchPopulation();

/// \brief Applies `settings` through the same checks as the dialogs; returns ""
/// or the refusal's message.
std::string ApplyBenchSettings(const BenchSettings& settings);

/// \brief A short name such as "equal/ratio/n:100/intervals".
std::string BenchSettingsName(const BenchSettings& settings);
