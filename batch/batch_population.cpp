#include "batch/batch_population.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "core/delimited_file.h"
#include "core/population_file.h"
#include "core/simulation_state.h"
#include "engine/lesson.h"

namespace {

/// The columns --columns names, in its order: the first column of each name.
std::vector<int> NamedColumns(const DelimitedTable& table, const std::vector<std::string>& names)
{
    if (names.size() > MaxVariables) {
        throw UsageError("--columns names more than 10 columns");
    }
    std::vector<int> chosen;
    if (const std::string refusal = ColumnsNamed(table, names, chosen); !refusal.empty()) {
        throw UsageError("--columns: " + refusal);
    }
    return chosen;
}

}  // namespace

void ReadBatchPopulation(const BatchOptions& options)
{
    const std::string& path = options.populationPath;
    if (!IsDelimitedFileName(path)) {
        if (options.columns) {
            throw UsageError(options.columnsFromLesson ? LessonColumnsNeedTableMessage(path)
                                                       : "--columns needs a CSV, TSV or TXT file");
        }
        SimulationState.populationName = path;
        ReadPopulation();
        return;
    }
    const DelimitedTable table = ReadDelimitedFile(path);
    // A lesson's refusal names the lesson's columns, as the desktop program's does.
    if (options.columnsFromLesson) {
        std::vector<int> columns;
        if (const std::string refusal = ColumnsNamed(table, *options.columns, columns); !refusal.empty()) {
            throw UsageError(LessonColumnsRefusal(path, refusal));
        }
    }
    AdoptTableColumns(table, options.columns, options.dropMissing);
}

void AdoptTableColumns(const DelimitedTable& table, const std::optional<std::vector<std::string>>& names,
                       bool dropMissing)
{
    const std::vector<int> columns = names ? NamedColumns(table, *names) : FirstUsableColumns(table);
    AdoptPopulation(DelimitedPopulation(table, columns, dropMissing));
}

void WriteVariableCodes(std::ostream& out)
{
    const int variables = std::clamp(SimulationState.variableCount, 0, MaxVariables);
    for (int k = 1; k <= variables; ++k) {
        const std::vector<std::string>& labels = SimulationState.variableLabels[k];
        if (labels.empty()) {
            continue;
        }
        out << "Codes of " << SimulationState.variableNames[k] << ':';
        for (std::size_t code = 1; code <= labels.size(); ++code) {
            out << (code > 1 ? ", " : " ") << code << ' ' << labels[code - 1];
        }
        out << '\n';
    }
}
