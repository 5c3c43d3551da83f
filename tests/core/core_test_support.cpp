#include "tests/core/core_test_support.h"

#include <fstream>
#include <random>

void InstallPopulation(const std::vector<std::vector<double>>& rows)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = static_cast<int>(rows.size());
    SimulationState.variableCount = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t k = 0; k < rows[i].size(); ++k) {
            SimulationState.populationData[i + 1][k + 1] = rows[i][k];
        }
    }
}

void InstallSingleVariable(const std::vector<double>& values)
{
    std::vector<std::vector<double>> rows;
    for (const double value : values) {
        rows.push_back({value});
    }
    InstallPopulation(rows);
}

std::vector<double> ColumnOf(int k)
{
    std::vector<double> values;
    for (int i = 1; i <= SimulationState.unitCount; ++i) {
        values.push_back(UnitValue(i, k));
    }
    return values;
}

TemporaryFolder::TemporaryFolder()
{
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() / ("tarvek-core-" + std::to_string(device()));
    std::filesystem::create_directories(path_);
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryFolder::Write(const std::string& name, const std::string& content) const
{
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
}
