#pragma once
// The population tarvek-batch simulates: read from a population file or from
// the chosen columns of a delimited file, and the codes of its categorical
// variables.

#include <iosfwd>
#include <string>
#include <vector>

struct BatchOptions;

/// \brief Labels of each variable 1..K (index 0 unused), empty for a numeric one.
using VariableLabels = std::vector<std::vector<std::string>>;

/// \brief Reads the population the options name into the record. Throws
/// PopulationFileError for a file that cannot be read and UsageError for a
/// --columns that does not fit the file.
VariableLabels ReadBatchPopulation(const BatchOptions& options);

/// \brief One line a categorical variable: "Codes of NAME: 1 LABEL, 2 LABEL, ...".
void WriteVariableCodes(std::ostream& out, const VariableLabels& labels);
