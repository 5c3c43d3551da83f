#include "core/delimited_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/text_encoding.h"

namespace {

constexpr std::size_t MaxNumberLength = 64;
constexpr std::size_t PieceSize = std::size_t{1} << 16;
constexpr const char* FileChangedMessage = "The file changed while it was read!";
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

/// The raw bytes of a delimited file a piece at a time, from the start as often
/// as asked. The first piece holds the first three bytes when there are three.
class ByteSource {
public:
    ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    virtual ~ByteSource() = default;

    /// The next bytes; empty at the end.
    virtual std::string_view Next() = 0;
    virtual void Rewind() = 0;
};

class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}

    std::string_view Next() override { return std::exchange(rest_, std::string_view()); }
    void Rewind() override { rest_ = bytes_; }

private:
    std::string_view bytes_;
    std::string_view rest_ = bytes_;
};

class FileBytes final : public ByteSource {
public:
    explicit FileBytes(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "rb"))
    {
        if (!file_) {
            std::error_code error;
            throw PopulationFileError(std::filesystem::exists(path, error) || path.empty()
                                          ? "Cannot open \"" + path + "\""
                                          : "File not found");
        }
    }

    // A regular file gives a whole piece unless it ends or fails.
    std::string_view Next() override
    {
        const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
        if (got == 0 && std::ferror(file_.get())) {
            throw PopulationFileError("Cannot read \"" + path_ + "\"");
        }
        return {buffer_.data(), got};
    }

    void Rewind() override { std::rewind(file_.get()); }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<char> buffer_ = std::vector<char>(PieceSize);
};

/// Keeps track, piece by piece, of whether a text is UTF-8: a sequence cut by
/// the end of one piece is checked with the next.
class Utf8Check {
public:
    void Add(std::string_view piece)
    {
        if (!valid_) {
            return;
        }
        text_.assign(cutSequence_);
        text_.append(piece);
        valid_ = IsValidUtf8(text_, true);
        cutSequence_.clear();
        if (valid_ && !IsValidUtf8(text_)) {
            std::size_t lead = text_.size() - 1;
            while ((static_cast<unsigned char>(text_[lead]) & 0xC0) == 0x80) {
                --lead;
            }
            cutSequence_ = text_.substr(lead);
        }
    }

    /// Whether all the text added is UTF-8 (once it is all added).
    [[nodiscard]] bool Valid() const { return valid_ && cutSequence_.empty(); }

private:
    bool valid_ = true;
    std::string cutSequence_;
    std::string text_;
};

/// The characters of a delimited file, from the start as often as asked: UTF-16
/// (known by its byte-order mark) decoded to UTF-8 as it comes, other bytes as
/// they are after a UTF-8 byte-order mark. Whether those were Windows-1252
/// rather than UTF-8 is known once the end has been read.
class DecodedText {
public:
    static constexpr int End = -1;

    explicit DecodedText(ByteSource& bytes) : bytes_(bytes) { Rewind(); }

    int Peek()
    {
        while (next_ == piece_.size()) {
            if (atEnd_) {
                return End;
            }
            piece_ = NextPiece();
            next_ = 0;
        }
        return static_cast<unsigned char>(piece_[next_]);
    }

    int Get()
    {
        const int c = Peek();
        if (c != End) {
            ++next_;
        }
        return c;
    }

    void Rewind()
    {
        bytes_.Rewind();
        std::string_view first = bytes_.Next();
        const bool last = first.empty();
        utf16_ = first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF");
        bigEndian_ = first.starts_with("\xFE\xFF");
        if (utf16_) {
            first.remove_prefix(2);
        } else if (first.starts_with("\xEF\xBB\xBF")) {
            first.remove_prefix(3);
        }
        utf8Check_ = Utf8Check();
        heldBack_.clear();
        piece_ = Decoded(first, last);
        next_ = 0;
    }

    /// Whether the bytes are read as Windows-1252; known once the end is read.
    [[nodiscard]] bool IsWindows1252() const { return !utf16_ && !utf8Check_.Valid(); }

private:
    std::string_view NextPiece()
    {
        if (atEnd_) {
            return {};
        }
        const std::string_view raw = bytes_.Next();
        return Decoded(raw, raw.empty());
    }

    std::string_view Decoded(std::string_view raw, bool last)
    {
        atEnd_ = last;
        if (!utf16_) {
            utf8Check_.Add(raw);
            return raw;
        }
        return DecodedUtf16(raw);
    }

    // UTF-16 units are decoded in whole pairs: an odd byte or a leading
    // surrogate at the end of a piece waits for the next one.
    std::string_view DecodedUtf16(std::string_view raw)
    {
        heldBack_.append(raw);
        std::size_t usable = heldBack_.size();
        if (!atEnd_) {
            usable -= usable % 2;
            if (usable >= 2 && IsLeadingSurrogate(heldBack_.substr(usable - 2, 2))) {
                usable -= 2;
            }
        }
        decoded_ = Utf16ToUtf8(std::string_view(heldBack_).substr(0, usable), bigEndian_);
        heldBack_.erase(0, usable);
        return decoded_;
    }

    [[nodiscard]] bool IsLeadingSurrogate(std::string_view unit) const
    {
        const auto high = static_cast<unsigned char>(bigEndian_ ? unit[0] : unit[1]);
        return high >= 0xD8 && high <= 0xDB;
    }

    ByteSource& bytes_;
    bool utf16_ = false;
    bool bigEndian_ = false;
    bool atEnd_ = false;
    Utf8Check utf8Check_;
    std::string heldBack_;
    std::string decoded_;
    std::string_view piece_;
    std::size_t next_ = 0;
};

/// Splits the text into records of fields by the rules of RFC 4180, a field at
/// a time, counting lines from 1. CR, LF and CR LF end a line; inside quotes
/// they are data.
class RecordReader {
public:
    explicit RecordReader(DecodedText& text) : text_(text) {}

    /// Skips the lines that hold only blanks; false at the end of the text. The
    /// tabs before a record's first character are kept for the record.
    bool AtRecord()
    {
        for (;;) {
            leadingTabs_ = 0;
            int c = text_.Peek();
            while (c != DecodedText::End && IsBlank(static_cast<char>(c))) {
                leadingTabs_ += c == '\t' ? 1 : 0;
                text_.Get();
                c = text_.Peek();
            }
            if (c == DecodedText::End) {
                return false;
            }
            if (!IsLineEnd(c)) {
                return true;
            }
            SkipLineEnd();
        }
    }

    [[nodiscard]] int line() const { return line_; }

    /// The delimiter of the record that starts here: a tab if it holds one
    /// outside quotes, otherwise a semicolon if it holds one, otherwise a comma.
    /// Reads up to the record's line end.
    char DelimiterOfRecord()
    {
        if (leadingTabs_ > 0) {
            return '\t';
        }
        bool quoted = false;
        bool semicolon = false;
        for (int c = text_.Get(); c != DecodedText::End; c = text_.Get()) {
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && c == '\t') {
                return '\t';
            } else if (!quoted && c == ';') {
                semicolon = true;
            } else if (!quoted && IsLineEnd(c)) {
                break;
            }
        }
        return semicolon ? ';' : ',';
    }

    /// Reads the record that starts here, passing each field (its value, blanks
    /// at both ends removed) with its index to `onField`, and moves past its
    /// line end. Returns the number of fields.
    template <typename OnField>
    std::size_t ReadRecord(char delimiter, OnField&& onField)
    {
        const int firstLine = line_;
        std::size_t count = 0;
        for (; delimiter == '\t' && leadingTabs_ > 0; --leadingTabs_) {
            onField(count++, std::string_view());
        }
        for (;;) {
            ReadField(delimiter, firstLine);
            onField(count++, Trimmed(field_));
            const int c = text_.Peek();
            if (c == delimiter) {
                text_.Get();
                continue;
            }
            if (c != DecodedText::End) {
                SkipLineEnd();
            }
            return count;
        }
    }

private:
    static bool IsLineEnd(int c) { return c == '\n' || c == '\r'; }

    void SkipLineEnd()
    {
        if (text_.Get() == '\r' && text_.Peek() == '\n') {
            text_.Get();
        }
        ++line_;
    }

    /// Reads to the delimiter or line end, appending what it passes to the field.
    void ReadUnquoted(char delimiter)
    {
        for (int c = text_.Peek(); c != DecodedText::End && c != delimiter && !IsLineEnd(c);
             c = text_.Peek()) {
            field_.push_back(static_cast<char>(text_.Get()));
        }
    }

    void ReadField(char delimiter, int firstLine)
    {
        field_.clear();
        int c = text_.Peek();
        while (c != DecodedText::End && IsBlank(static_cast<char>(c)) && c != delimiter) {
            field_.push_back(static_cast<char>(text_.Get()));
            c = text_.Peek();
        }
        if (c == '"') {
            field_.clear();
            text_.Get();
            ReadQuoted(firstLine);
        }
        ReadUnquoted(delimiter);
    }

    void ReadQuoted(int firstLine)
    {
        for (;;) {
            const int c = text_.Get();
            if (c == DecodedText::End) {
                throw PopulationFileError("Line " + std::to_string(firstLine) +
                                          ": a quoted field is not closed!");
            }
            if (c == '"') {
                if (text_.Peek() != '"') {
                    return;
                }
                text_.Get();
            } else if (c == '\n' || (c == '\r' && text_.Peek() != '\n')) {
                ++line_;
            }
            field_.push_back(static_cast<char>(c));
        }
    }

    DecodedText& text_;
    std::string field_;
    int leadingTabs_ = 0;
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

/// What the first reading finds out about a column.
struct ColumnScan {
    int missingCount = 0;
    bool numeric = true;
    bool whole = true;  ///< every number stored exactly as a 32-bit whole number
};

void ScanField(ColumnScan& scan, std::string_view field, bool decimalComma)
{
    if (IsMissing(field)) {
        ++scan.missingCount;
        return;
    }
    if (!scan.numeric) {
        return;
    }
    const std::optional<double> number = ParseNumber(field, decimalComma);
    scan.numeric = number.has_value();
    scan.whole = scan.whole && number && ColumnValues::IsWhole(*number);
}

/// A categorical column's labels while its values are read: each label gets a
/// number in the order first seen, which becomes its code once all are known.
class LabelCoder {
public:
    std::int32_t NumberOf(std::string_view field)
    {
        const auto [place, added] =
            numbers_.try_emplace(std::string(field), static_cast<std::int32_t>(texts_.size()));
        if (added) {
            texts_.push_back(&place->first);
        }
        return place->second;
    }

    /// The labels, one line each, sorted by code point; `codes` gets the code of
    /// each label number.
    std::vector<std::string> Labels(bool windows1252, std::vector<std::int32_t>& codes) const
    {
        std::vector<std::string> lines;
        lines.reserve(texts_.size());
        for (const std::string* text : texts_) {
            lines.push_back(OnOneLine(windows1252 ? Windows1252ToUtf8(*text) : *text));
        }
        std::vector<std::string> labels = lines;
        std::sort(labels.begin(), labels.end());
        labels.erase(std::unique(labels.begin(), labels.end()), labels.end());
        codes.clear();
        for (const std::string& line : lines) {
            const auto found = std::lower_bound(labels.begin(), labels.end(), line);
            codes.push_back(static_cast<std::int32_t>(found - labels.begin() + 1));
        }
        return labels;
    }

private:
    std::unordered_map<std::string, std::int32_t> numbers_;
    std::vector<const std::string*> texts_;
};

std::string FieldCountMessage(int line, std::size_t fields, std::size_t headerFields)
{
    return "Line " + std::to_string(line) + " has " + std::to_string(fields) + " fields, the header has " +
           std::to_string(headerFields) + "!";
}

/// What the first reading finds: the delimiter, the number of columns and data
/// rows, each column's type and the encoding.
struct TableScan {
    char delimiter = ',';
    std::vector<ColumnScan> columns;
    std::size_t rows = 0;
    bool windows1252 = false;
};

char DelimiterOfFirstRecord(DecodedText& text)
{
    RecordReader reader(text);
    if (!reader.AtRecord()) {
        throw PopulationFileError(NoUsableColumnMessage);
    }
    return reader.DelimiterOfRecord();
}

/// The first reading: checks every record and types the columns, keeping no field.
TableScan ScanTable(DecodedText& text)
{
    TableScan scan;
    scan.delimiter = DelimiterOfFirstRecord(text);
    const bool decimalComma = scan.delimiter != ',';
    text.Rewind();
    RecordReader reader(text);
    reader.AtRecord();
    const std::size_t columns = reader.ReadRecord(scan.delimiter, [](std::size_t, std::string_view) {});
    scan.columns.resize(columns);
    while (reader.AtRecord()) {
        const int line = reader.line();
        const std::size_t fields =
            reader.ReadRecord(scan.delimiter, [&](std::size_t j, std::string_view field) {
                if (j < columns) {
                    ScanField(scan.columns[j], field, decimalComma);
                }
            });
        if (fields != columns) {
            throw PopulationFileError(FieldCountMessage(line, fields, columns));
        }
        if (scan.rows == static_cast<std::size_t>(MaxUnits)) {
            throw PopulationFileError(TooManyUnitsMessage);
        }
        ++scan.rows;
    }
    scan.windows1252 = text.IsWindows1252();
    if (std::none_of(scan.columns.begin(), scan.columns.end(), [&](const ColumnScan& column) {
            return static_cast<std::size_t>(column.missingCount) < scan.rows;
        })) {
        throw PopulationFileError(NoUsableColumnMessage);
    }
    return scan;
}

[[noreturn]] void RefuseChangedFile()
{
    throw PopulationFileError(FileChangedMessage);
}

/// The second reading's store of one field: a number, a label's number in the
/// order first seen (with a coder), or missing.
void StoreField(DelimitedColumn& column, LabelCoder* coder, bool whole, std::string_view field,
                bool decimalComma)
{
    if (IsMissing(field)) {
        ++column.missingCount;
        column.values.Append(Missing);
    } else if (coder != nullptr) {
        column.values.Append(coder->NumberOf(field));
    } else {
        const std::optional<double> number = ParseNumber(field, decimalComma);
        if (!number || (whole && !ColumnValues::IsWhole(*number))) {
            RefuseChangedFile();
        }
        column.values.Append(*number);
    }
}

/// The second reading: names, values and codes, in the storage the first
/// reading chose for each column.
DelimitedTable FillTable(DecodedText& text, const TableScan& scan, std::string description)
{
    const std::size_t columns = scan.columns.size();
    const bool decimalComma = scan.delimiter != ',';
    DelimitedTable table;
    table.description = std::move(description);
    table.columns.resize(columns);
    table.rowLines.reserve(scan.rows);
    std::vector<std::unique_ptr<LabelCoder>> coders(columns);
    for (std::size_t j = 0; j < columns; ++j) {
        table.columns[j].numeric = scan.columns[j].numeric;
        table.columns[j].values.Reserve(scan.rows, !scan.columns[j].numeric || scan.columns[j].whole);
        if (!scan.columns[j].numeric) {
            coders[j] = std::make_unique<LabelCoder>();
        }
    }
    text.Rewind();
    RecordReader reader(text);
    reader.AtRecord();
    reader.ReadRecord(scan.delimiter, [&](std::size_t j, std::string_view field) {
        if (j < columns) {
            table.columns[j].name =
                ColumnName(scan.windows1252 ? Windows1252ToUtf8(field) : std::string(field), j);
        }
    });
    for (std::size_t row = 0; row < scan.rows; ++row) {
        if (!reader.AtRecord()) {
            RefuseChangedFile();
        }
        table.rowLines.push_back(reader.line());
        const std::size_t fields =
            reader.ReadRecord(scan.delimiter, [&](std::size_t j, std::string_view field) {
                if (j < columns) {
                    StoreField(table.columns[j], coders[j].get(), scan.columns[j].whole, field, decimalComma);
                }
            });
        if (fields != columns) {
            RefuseChangedFile();
        }
    }
    if (reader.AtRecord()) {
        RefuseChangedFile();
    }
    std::vector<std::int32_t> codes;
    for (std::size_t j = 0; j < columns; ++j) {
        if (coders[j]) {
            table.columns[j].labels = coders[j]->Labels(scan.windows1252, codes);
            table.columns[j].values.Recode(codes);
        }
    }
    return table;
}

/// The first of `columns` whose value in data row `row` is missing, or end().
std::vector<int>::const_iterator FirstMissingColumn(const DelimitedTable& table,
                                                    const std::vector<int>& columns, std::size_t row)
{
    return std::find_if(columns.begin(), columns.end(), [&](int j) {
        return std::isnan(table.columns[static_cast<std::size_t>(j)].values[row]);
    });
}

DelimitedTable ReadTable(ByteSource& bytes, std::string description)
{
    DecodedText text(bytes);
    const TableScan scan = ScanTable(text);
    return FillTable(text, scan, std::move(description));
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
    RefuseIfNotRegularFile(path);
    FileBytes bytes(path);
    return ReadTable(bytes, TextAsUtf8(std::filesystem::path(path).stem().string()));
}

DelimitedTable ParseDelimitedText(std::string_view bytes, std::string description)
{
    MemoryBytes source(bytes);
    return ReadTable(source, std::move(description));
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

std::string ColumnsNamed(const DelimitedTable& table, const std::vector<std::string>& names,
                         std::vector<int>& chosen)
{
    chosen.clear();
    if (names.size() > MaxVariables) {
        return "more than 10 columns";
    }
    for (const std::string& name : names) {
        const auto found = std::find_if(table.columns.begin(), table.columns.end(),
                                        [&](const DelimitedColumn& column) { return column.name == name; });
        if (found == table.columns.end()) {
            return "there is no column '" + name + "'";
        }
        const int index = static_cast<int>(found - table.columns.begin());
        if (std::find(chosen.begin(), chosen.end(), index) != chosen.end()) {
            return "column '" + name + "' is named twice";
        }
        if (!found->usable()) {
            return "column '" + name + "' holds no value";
        }
        chosen.push_back(index);
    }
    return "";
}

int RowsWithMissingValue(const DelimitedTable& table, const std::vector<int>& columns)
{
    int rows = 0;
    for (std::size_t row = 0; row < table.rowLines.size(); ++row) {
        if (FirstMissingColumn(table, columns, row) != columns.end()) {
            ++rows;
        }
    }
    return rows;
}

std::string MissingRowsText(const DelimitedTable& table, const std::vector<int>& columns)
{
    return "Rows with a missing value in a ticked column: " +
           std::to_string(RowsWithMissingValue(table, columns)) + " of " +
           std::to_string(table.rowLines.size());
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
        const DelimitedColumn& column = table.columns[static_cast<std::size_t>(columns[k])];
        contents.variableNames[k + 1] = column.name;
        contents.variableLabels[k + 1] = column.labels;
    }
    int unit = 0;
    for (std::size_t row = 0; row < table.rowLines.size(); ++row) {
        const auto missing = FirstMissingColumn(table, columns, row);
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
