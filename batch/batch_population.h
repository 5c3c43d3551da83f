#pragma once
// The population tarvek-batch simulates: read from a population file or from
// the chosen columns of a delimited file, and the codes of its categorical
// variables.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

struct BatchOptions;
struct DelimitedTable;

/// \brief Reads the population the options name into the record, with the
/// labels of its categorical variables. Throws PopulationFileError for a file
/// that cannot be read and UsageError for a --columns that does not fit the file.
void ReadBatchPopulation(const BatchOptions& options);

/// \brief Makes the columns `names` gives of a delimited file (its first usable
/// columns without names) the record's population, rows with a missing value
/// left out with `dropMissing`. Throws as ReadBatchPopulation.
void AdoptTableColumns(const DelimitedTable& table, const std::optional<std::vector<std::string>>& names,
                       bool dropMissing);

/// \brief One line a categorical variable of the record: "Codes of NAME: 1 LABEL,
/// 2 LABEL, ...".
void WriteVariableCodes(std::ostream& out);
