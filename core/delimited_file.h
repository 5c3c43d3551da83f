#pragma once
// Populations from delimited text files (CSV and tab- or semicolon-separated
// files as spreadsheets and statistics programs write them): the reader, the
// columns it finds, and the population made of a choice of them.

#include <string>
#include <string_view>
#include <vector>

#include "core/column_values.h"
#include "core/population_file.h"

inline constexpr const char* NoUsableColumnMessage = "There is no usable column!";

/// \brief One column of a delimited file. A column is numeric when every field
/// that is not missing is a number; otherwise it is categorical, and its labels,
/// sorted by code point, are coded 1, 2, ... in that order.
struct DelimitedColumn {
    std::string name;  ///< the header field cut to 20 characters, or "Column j"
    bool numeric = true;
    std::vector<std::string> labels;  ///< categorical columns only
    int missingCount = 0;
    ColumnValues values;  ///< one per data row: number or code, NaN when missing

    /// \brief Whether the column holds at least one value that is not missing.
    [[nodiscard]] bool usable() const { return missingCount < static_cast<int>(values.size()); }
};

/// \brief A delimited file as read: its columns and, for each data row, the
/// file line on which the row starts (counted from 1).
struct DelimitedTable {
    std::string description;
    std::vector<DelimitedColumn> columns;
    std::vector<int> rowLines;
};

/// \brief Whether a file of this name is read as a delimited file: its name
/// ends in .csv, .tsv or .txt, in any case.
bool IsDelimitedFileName(std::string_view path);

/// \brief Reads a delimited file; the description is its name without folder
/// and extension. The file is read twice, a piece at a time, so that memory holds
/// only the columns' values. Throws PopulationFileError.
DelimitedTable ReadDelimitedFile(const std::string& path);

/// \brief Reads the bytes of a delimited file (encoding, header, fields, types
/// and codes); CR, LF and CR LF all end a line. Throws PopulationFileError.
DelimitedTable ParseDelimitedText(std::string_view bytes, std::string description);

/// \brief The first 10 usable columns, in file order (0-based column indexes).
std::vector<int> FirstUsableColumns(const DelimitedTable& table);

/// \brief The columns (0-based indexes) of the header names, in the order given:
/// the first column of each name. Returns "" or why the names do not fit the
/// file (an unknown, repeated or empty column, more than 10 names).
std::string ColumnsNamed(const DelimitedTable& table, const std::vector<std::string>& names,
                         std::vector<int>& chosen);

/// \brief How many data rows have a missing value in at least one of the chosen
/// columns (0-based indexes): the rows that DelimitedPopulation leaves out with
/// `dropMissing`.
int RowsWithMissingValue(const DelimitedTable& table, const std::vector<int>& columns);

/// \brief What the import step shows of RowsWithMissingValue: "Rows with a
/// missing value in a ticked column: R of N".
std::string MissingRowsText(const DelimitedTable& table, const std::vector<int>& columns);

/// \brief The population of the chosen columns (0-based indexes, in the order
/// given), one unit a kept row in file order. A row with a missing value in a
/// chosen column is left out with `dropMissing`, otherwise it is an error
/// naming its line and column. A categorical column keeps its labels as the
/// variable's. Throws PopulationFileError.
PopulationContents DelimitedPopulation(const DelimitedTable& table, const std::vector<int>& columns,
                                       bool dropMissing);
