#pragma once
// Helpers for the core tests: a fresh record with a small population, and
// population files written to a private temporary folder.

#include <filesystem>
#include <string>
#include <vector>

#include "core/simulation_state.h"

/// \brief Resets SimulationState to its start values and installs `rows` (one
/// vector of values per unit, every row of the same length) as the population.
void InstallPopulation(const std::vector<std::vector<double>>& rows);

/// \brief Installs a population with one variable holding `values`.
void InstallSingleVariable(const std::vector<double>& values);

/// \brief Values of variable k of units 1..N.
std::vector<double> ColumnOf(int k);

/// \brief A temporary folder removed when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    /// \brief Writes `content` byte for byte to a file of that name; returns its path.
    std::string Write(const std::string& name, const std::string& content) const;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
