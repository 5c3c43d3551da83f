#pragma once
// The population tarvek-batch simulates: read from a population file or from
// the chosen columns of a delimited file, and the codes of its categorical
// variables.

#include <iosfwd>

struct BatchOptions;

/// \brief Reads the population the options name into the record, with the
/// labels of its categorical variables. Throws PopulationFileError for a file
/// that cannot be read and UsageError for a --columns that does not fit the file.
void ReadBatchPopulation(const BatchOptions& options);

/// \brief One line a categorical variable of the record: "Codes of NAME: 1 LABEL,
/// 2 LABEL, ...".
void WriteVariableCodes(std::ostream& out);
