#include "batch/batch_population.h"

#include <algorithm>
#include <ostream>

#include "batch/batch_options.h"
#include "core/delimited_file.h"
#include "core/population_file.h"
#include "core/simulation_state.h"

namespace {

/// The columns --columns names, in its order: the first column of each name.
std::vector<int> NamedColumns(const DelimitedTable& table, const std::vector<std::string>& names)
{
    if (names.size() > MaxVariables) {
        throw UsageError("--columns names more than 10 columns");
    }
    std::vector<int> chosen;
    for (const std::string& name : names) {
        const auto found = std::find_if(table.columns.begin(), table.columns.end(),
                                        [&](const DelimitedColumn& column) { return column.name == name; });
        if (found == table.columns.end()) {
            throw UsageError("--columns: there is no column '" + name + "'");
        }
        const int index = static_cast<int>(found - table.columns.begin());
        if (std::find(chosen.begin(), chosen.end(), index) != chosen.end()) {
            throw UsageError("--columns: column '" + name + "' is named twice");
        }
        if (!found->usable()) {
            throw UsageError("--columns: column '" + name + "' holds no value");
        }
        chosen.push_back(index);
    }
    return chosen;
}

}  // namespace

VariableLabels ReadBatchPopulation(const BatchOptions& options)
{
    const std::string& path = options.populationPath;
    if (!IsDelimitedFileName(path)) {
        if (options.columns) {
            throw UsageError("--columns needs a CSV, TSV or TXT file");
        }
        SimulationState.populationName = path;
        ReadPopulation();
        return VariableLabels(static_cast<std::size_t>(SimulationState.variableCount) + 1);
    }
    const DelimitedTable table = ReadDelimitedFile(path);
    const std::vector<int> columns =
        options.columns ? NamedColumns(table, *options.columns) : FirstUsableColumns(table);
    AdoptPopulation(DelimitedPopulation(table, columns, options.dropMissing));
    VariableLabels labels(1);
    for (const int j : columns) {
        labels.push_back(table.columns[static_cast<std::size_t>(j)].labels);
    }
    return labels;
}

void WriteVariableCodes(std::ostream& out, const VariableLabels& labels)
{
    for (std::size_t k = 1; k < labels.size(); ++k) {
        if (labels[k].empty()) {
            continue;
        }
        out << "Codes of " << SimulationState.variableNames[k] << ':';
        for (std::size_t code = 1; code <= labels[k].size(); ++code) {
            out << (code > 1 ? ", " : " ") << code << ' ' << labels[k][code - 1];
        }
        out << '\n';
    }
}
