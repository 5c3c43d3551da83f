// Any bytes as a delimited file: the reader either fails with
// PopulationFileError, or gives columns whose types, labels, codes and names keep
// their rules, and the population of their first usable columns reads or fails
// without touching the record when it fails.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/delimited_file.h"
#include "core/simulation_state.h"
#include "core/text_encoding.h"
#include "fuzz/fuzz_check.h"

namespace {

std::size_t Characters(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void CheckColumn(const DelimitedColumn& column, std::size_t rows)
{
    FUZZ_CHECK(IsValidUtf8(column.name));
    FUZZ_CHECK(!column.name.empty() && Characters(column.name) <= MaxNameLength);
    FUZZ_CHECK(column.values.size() == rows);
    FUZZ_CHECK(column.numeric == column.labels.empty() || column.missingCount == static_cast<int>(rows));
    FUZZ_CHECK(std::is_sorted(column.labels.begin(), column.labels.end()));
    FUZZ_CHECK(std::adjacent_find(column.labels.begin(), column.labels.end()) == column.labels.end());
    int missing = 0;
    for (const double value : column.values) {
        if (std::isnan(value)) {
            ++missing;
            continue;
        }
        FUZZ_CHECK(std::isfinite(value));
        if (!column.numeric) {
            FUZZ_CHECK(value >= 1 && value <= static_cast<double>(column.labels.size()) &&
                       value == std::floor(value));
        }
    }
    FUZZ_CHECK(missing == column.missingCount);
    for (const std::string& label : column.labels) {
        FUZZ_CHECK(IsValidUtf8(label) && !label.empty());
    }
}

void CheckPopulation(const DelimitedTable& table, bool dropMissing)
{
    const std::vector<int> columns = FirstUsableColumns(table);
    FUZZ_CHECK(!columns.empty() && columns.size() <= MaxVariables);
    try {
        const PopulationContents contents = DelimitedPopulation(table, columns, dropMissing);
        FUZZ_CHECK(contents.unitCount >= 0 && contents.unitCount <= static_cast<int>(table.rowLines.size()));
        FUZZ_CHECK(contents.variableCount == static_cast<int>(columns.size()));
        for (int i = 1; i <= contents.unitCount; ++i) {
            for (int k = 1; k <= contents.variableCount; ++k) {
                FUZZ_CHECK(std::isfinite(contents.rows[i][k]));
            }
        }
        AdoptPopulation(contents);
        FUZZ_CHECK(SimulationState.unitCount == contents.unitCount);
    } catch (const PopulationFileError& error) {
        const std::string_view message = error.what();
        FUZZ_CHECK(message == NoUnitsMessage || (!dropMissing && message.starts_with("Line ")));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    DelimitedTable table;
    try {
        table = ParseDelimitedText(bytes, "fuzz");
    } catch (const PopulationFileError& error) {
        FUZZ_CHECK(std::string_view(error.what()).size() > 0);
        return 0;
    }
    FUZZ_CHECK(!table.columns.empty());
    FUZZ_CHECK(std::is_sorted(table.rowLines.begin(), table.rowLines.end()));
    FUZZ_CHECK(table.rowLines.size() <= static_cast<std::size_t>(MaxUnits));
    for (const DelimitedColumn& column : table.columns) {
        CheckColumn(column, table.rowLines.size());
    }
    SimulationState = TSimulationState{};
    CheckPopulation(table, false);
    CheckPopulation(table, true);
    return 0;
}
