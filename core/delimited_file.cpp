#include "core/delimited_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>

#include "core/text_encoding.h"

namespace {

constexpr std::size_t MaxNumberLength = 64;
constexpr double Missing = std::numeric_limits<double>::quiet_NaN();

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// Blanks and line ends (inside a quoted field) at both ends removed.
std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return IsBlank(c) || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsMissing(std::string_view value)
{
    return value.empty() || value == "NA" || value == ".";
}

/// The text in UTF-8, whatever the file's encoding: UTF-16 with its byte-order
/// mark, UTF-8 with or without one, or else Windows-1252.
std::string DecodeFile(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return Utf16ToUtf8(bytes.substr(2), bytes.front() == '\xFE');
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    return TextAsUtf8(bytes);
}

/// Splits the decoded text into records of fields by the rules of RFC 4180,
/// counting lines from 1.
class RecordReader {
public:
    explicit RecordReader(std::string_view text) : text_(text) {}

    /// Skips the lines that hold only blanks; false at the end of the text.
    bool AtRecord()
    {
        while (position_ < text_.size()) {
            std::size_t end = position_;
            while (end < text_.size() && (IsBlank(text_[end]) || text_[end] == '\r')) {
                ++end;
            }
            if (end < text_.size() && text_[end] != '\n') {
                return true;
            }
            position_ = end + 1;
            ++line_;
        }
        return false;
    }

    [[nodiscard]] int line() const { return line_; }

    /// The delimiter of the record that starts here: a tab if it holds one
    /// outside quotes, otherwise a semicolon if it holds one, otherwise a comma.
    [[nodiscard]] char DelimiterOfRecord() const
    {
        bool quoted = false;
        bool semicolon = false;
        for (std::size_t i = position_; i < text_.size(); ++i) {
            const char c = text_[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && c == '\t') {
                return '\t';
            } else if (!quoted && c == ';') {
                semicolon = true;
            } else if (!quoted && c == '\n') {
                break;
            }
        }
        return semicolon ? ';' : ',';
    }

    /// Reads the record that starts here into `fields` (values, blanks at both
    /// ends removed) and moves past its line end.
    void ReadRecord(char delimiter, std::vector<std::string>& fields)
    {
        const int firstLine = line_;
        fields.clear();
        for (;;) {
            fields.push_back(ReadField(delimiter, firstLine));
            if (position_ < text_.size() && text_[position_] == delimiter) {
                ++position_;
                continue;
            }
            if (position_ < text_.size()) {
                ++position_;  // the line end
                ++line_;
            }
            return;
        }
    }

private:
    [[nodiscard]] bool AtLineEnd() const
    {
        return text_[position_] == '\n' ||
               (text_[position_] == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n');
    }

    /// Skips to the delimiter or line end, appending what it passes to `field`.
    void ReadUnquoted(char delimiter, std::string& field)
    {
        const std::size_t start = position_;
        while (position_ < text_.size() && text_[position_] != delimiter && !AtLineEnd()) {
            ++position_;
        }
        field.append(text_.substr(start, position_ - start));
        if (position_ < text_.size() && text_[position_] == '\r') {
            ++position_;
        }
    }

    std::string ReadField(char delimiter, int firstLine)
    {
        std::size_t start = position_;
        while (start < text_.size() && IsBlank(text_[start]) && text_[start] != delimiter) {
            ++start;
        }
        std::string field;
        if (start < text_.size() && text_[start] == '"') {
            position_ = start + 1;
            ReadQuoted(field, firstLine);
        }
        ReadUnquoted(delimiter, field);
        return std::string(Trimmed(field));
    }

    void ReadQuoted(std::string& field, int firstLine)
    {
        for (;;) {
            const std::size_t quote = text_.find('"', position_);
            if (quote == std::string_view::npos) {
                throw PopulationFileError("Line " + std::to_string(firstLine) +
                                          ": a quoted field is not closed!");
            }
            const std::string_view part = text_.substr(position_, quote - position_);
            line_ += static_cast<int>(std::count(part.begin(), part.end(), '\n'));
            field.append(part);
            position_ = quote + 1;
            if (position_ < text_.size() && text_[position_] == '"') {
                field.push_back('"');
                ++position_;
                continue;
            }
            return;
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
    int line_ = 1;
};

/// A name or label on one line: line ends and tabs count as blanks.
std::string OnOneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return std::string(Trimmed(text));
}

std::optional<double> ParseNumber(std::string_view value, bool decimalComma)
{
    if (value.size() > MaxNumberLength) {
        return std::nullopt;
    }
    const std::size_t comma = value.find(',');
    if (decimalComma && comma != std::string_view::npos && value.find('.') == std::string_view::npos &&
        value.find(',', comma + 1) == std::string_view::npos) {
        std::string withPoint(value);
        withPoint[comma] = '.';
        return ParseRealText(withPoint);
    }
    return ParseRealText(value);
}

std::string ColumnName(const std::string& header, std::size_t index)
{
    const std::string name = FirstCharacters(OnOneLine(header), MaxNameLength);
    return name.empty() ? "Column " + std::to_string(index + 1) : name;
}

/// Types the column from its fields and fills its values, codes and labels.
void TypeColumn(DelimitedColumn& column, const std::vector<std::string>& fields, bool decimalComma)
{
    column.values.assign(fields.size(), Missing);
    for (std::size_t row = 0; row < fields.size() && column.numeric; ++row) {
        if (IsMissing(fields[row])) {
            continue;
        }
        const std::optional<double> number = ParseNumber(fields[row], decimalComma);
        if (number) {
            column.values[row] = *number;
        } else {
            column.numeric = false;
        }
    }
    column.missingCount = static_cast<int>(std::count_if(fields.begin(), fields.end(), IsMissing));
    if (column.numeric) {
        return;
    }
    std::vector<std::string> labels(fields.size());
    for (std::size_t row = 0; row < fields.size(); ++row) {
        if (!IsMissing(fields[row])) {
            labels[row] = OnOneLine(fields[row]);
        }
    }
    column.labels = labels;
    std::sort(column.labels.begin(), column.labels.end());
    column.labels.erase(std::unique(column.labels.begin(), column.labels.end()), column.labels.end());
    if (!column.labels.empty() && column.labels.front().empty()) {
        column.labels.erase(column.labels.begin());  // the missing values' place holder
    }
    for (std::size_t row = 0; row < fields.size(); ++row) {
        column.values[row] = Missing;
        if (!IsMissing(fields[row])) {
            const auto found = std::lower_bound(column.labels.begin(), column.labels.end(), labels[row]);
            column.values[row] = static_cast<double>(found - column.labels.begin() + 1);
        }
    }
}

std::string FieldCountMessage(int line, std::size_t fields, std::size_t headerFields)
{
    return "Line " + std::to_string(line) + " has " + std::to_string(fields) + " fields, the header has " +
           std::to_string(headerFields) + "!";
}

}  // namespace

bool IsDelimitedFileName(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return false;
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == "csv" || extension == "tsv" || extension == "txt";
}

DelimitedTable ReadDelimitedFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::error_code error;
        throw PopulationFileError(std::filesystem::exists(path, error) || path.empty()
                                      ? "Cannot open \"" + path + "\""
                                      : "File not found");
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) {
        throw PopulationFileError("Cannot read \"" + path + "\"");
    }
    return ParseDelimitedText(bytes.str(), TextAsUtf8(std::filesystem::path(path).stem().string()));
}

DelimitedTable ParseDelimitedText(std::string_view bytes, std::string description)
{
    const std::string text = DecodeFile(bytes);
    RecordReader reader(text);
    DelimitedTable table;
    table.description = std::move(description);
    if (!reader.AtRecord()) {
        throw PopulationFileError(NoUsableColumnMessage);
    }
    const char delimiter = reader.DelimiterOfRecord();
    std::vector<std::string> header;
    reader.ReadRecord(delimiter, header);
    std::vector<std::vector<std::string>> fields(header.size());
    std::vector<std::string> record;
    while (reader.AtRecord()) {
        const int line = reader.line();
        reader.ReadRecord(delimiter, record);
        if (record.size() != header.size()) {
            throw PopulationFileError(FieldCountMessage(line, record.size(), header.size()));
        }
        if (table.rowLines.size() == static_cast<std::size_t>(MaxUnits)) {
            throw PopulationFileError(TooManyUnitsMessage);
        }
        table.rowLines.push_back(line);
        for (std::size_t j = 0; j < record.size(); ++j) {
            fields[j].push_back(std::move(record[j]));
        }
    }
    table.columns.resize(header.size());
    for (std::size_t j = 0; j < header.size(); ++j) {
        table.columns[j].name = ColumnName(header[j], j);
        TypeColumn(table.columns[j], fields[j], delimiter != ',');
    }
    if (std::none_of(table.columns.begin(), table.columns.end(),
                     [](const DelimitedColumn& column) { return column.usable(); })) {
        throw PopulationFileError(NoUsableColumnMessage);
    }
    return table;
}

std::vector<int> FirstUsableColumns(const DelimitedTable& table)
{
    std::vector<int> chosen;
    for (std::size_t j = 0; j < table.columns.size() && chosen.size() < MaxVariables; ++j) {
        if (table.columns[j].usable()) {
            chosen.push_back(static_cast<int>(j));
        }
    }
    return chosen;
}

PopulationContents DelimitedPopulation(const DelimitedTable& table, const std::vector<int>& columns,
                                       bool dropMissing)
{
    const auto usable = [&](int j) {
        return j >= 0 && static_cast<std::size_t>(j) < table.columns.size() &&
               table.columns[static_cast<std::size_t>(j)].usable();
    };
    if (columns.empty() || columns.size() > MaxVariables ||
        !std::all_of(columns.begin(), columns.end(), usable)) {
        throw PopulationFileError(NoUsableColumnMessage);
    }
    PopulationContents contents;
    contents.description = table.description;
    contents.variableCount = static_cast<int>(columns.size());
    for (std::size_t k = 0; k < columns.size(); ++k) {
        contents.variableNames[k + 1] = table.columns[static_cast<std::size_t>(columns[k])].name;
    }
    int unit = 0;
    for (std::size_t row = 0; row < table.rowLines.size(); ++row) {
        const auto missing = std::find_if(columns.begin(), columns.end(), [&](int j) {
            return std::isnan(table.columns[static_cast<std::size_t>(j)].values[row]);
        });
        if (missing != columns.end()) {
            if (dropMissing) {
                continue;
            }
            throw PopulationFileError("Line " + std::to_string(table.rowLines[row]) +
                                      ": missing value in column " +
                                      table.columns[static_cast<std::size_t>(*missing)].name + "!");
        }
        ++unit;
        UnitRow& values = contents.rows[unit];
        for (std::size_t k = 0; k < columns.size(); ++k) {
            values[k + 1] = table.columns[static_cast<std::size_t>(columns[k])].values[row];
        }
    }
    contents.unitCount = unit;
    contents.rows.resize(unit);
    return contents;
}
