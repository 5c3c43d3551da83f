#include "core/population_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "core/delimited_file.h"
#include "core/number_text.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "core/text_encoding.h"

namespace {

constexpr const char* FileNotFoundMessage = "File not found";
constexpr const char* InvalidNumberMessage = "Invalid numeric input";
constexpr const char* RangeCheckMessage = "Range check error";

constexpr std::size_t MaxWholeNumberLength = 32;
constexpr std::size_t MaxRealLength = 64;
/// Bytes of a name line kept: room for 20 characters of up to four bytes each.
constexpr std::size_t MaxNameBytes = std::size_t{4} * MaxNameLength;
/// Bytes of a description line kept: far more than the information panel shows,
/// little enough for a label to lay out at once.
constexpr std::size_t MaxDescriptionBytes = 4096;
constexpr int DefaultSampleSize = 10;
constexpr int DefaultSimulationCount = 1000;

bool IsSeparator(int c)
{
    return c <= ' ';
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsSign(char c)
{
    return c == '+' || c == '-';
}

/// Optional sign, then decimal digits and nothing else; no hexadecimal forms.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && IsSign(text.front())) {
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) {
        return std::nullopt;
    }
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (const char digit : text) {
        magnitude = magnitude * 10 + (digit - '0');
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::size_t SkipDigits(std::string_view text, std::size_t& position)
{
    const std::size_t start = position;
    while (position < text.size() && IsDigit(text[position])) {
        ++position;
    }
    return position - start;
}

/// Optional sign, digits with an optional "." and decimals (at least one digit in
/// all, so "5." and ".5" pass), optional exponent. Checked here because every
/// library conversion also accepts nan, inf or hexadecimal forms.
std::optional<double> ParseReal(std::string_view text)
{
    std::size_t position = 0;
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && IsSign(text.front())) {
        ++position;
    }
    const std::size_t mantissaStart = position;
    std::size_t digits = SkipDigits(text, position);
    if (position < text.size() && text[position] == '.') {
        ++position;
        digits += SkipDigits(text, position);
    }
    if (digits == 0) {
        return std::nullopt;
    }
    bool negativeExponent = false;
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        ++position;
        if (position < text.size() && IsSign(text[position])) {
            negativeExponent = text[position] == '-';
            ++position;
        }
        if (SkipDigits(text, position) == 0) {
            return std::nullopt;
        }
    }
    if (position != text.size()) {
        return std::nullopt;
    }
    double magnitude = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = ParseDecimal(text.data() + mantissaStart, end, magnitude);
    if (error == std::errc::result_out_of_range) {
        // Within 64 characters only an exponent can leave the double range: a
        // negative one underflows towards zero, a positive one overflows.
        if (!negativeExponent) {
            return std::nullopt;
        }
        magnitude = 0.0;
    } else if (error != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return negative ? -magnitude : magnitude;
}

std::string SystemReason(int errorNumber)
{
    return std::strerror(errorNumber);
}

/// A population file's bytes from the file system, one at a time; a read error
/// is reported with the system's reason.
class FileBytes {
public:
    explicit FileBytes(const std::string& path) : path_(path), file_(OpenRegularFile(path))
    {
        if (!file_) {
            if (errno == ENOENT || path.empty()) {
                throw PopulationFileError(FileNotFoundMessage);
            }
            throw PopulationFileError("Cannot open \"" + path + "\": " + SystemReason(errno));
        }
    }

    /// The next byte as 0..255, or EOF at the end.
    int Get()
    {
        const int c = std::getc(file_.get());
        if (c == EOF && std::ferror(file_.get())) {
            throw PopulationFileError("Cannot read \"" + path_ + "\": " + SystemReason(errno));
        }
        return c;
    }

    void Unget(int c) { std::ungetc(c, file_.get()); }

    /// Skips `prefix` when the file starts with it.
    void SkipPrefix(std::string_view prefix)
    {
        char start[4] = {};
        const std::size_t got = std::fread(start, 1, std::min(prefix.size(), sizeof start), file_.get());
        if (std::string_view(start, got) != prefix) {
            std::rewind(file_.get());
        }
    }

private:
    static std::FILE* OpenRegularFile(const std::string& path)
    {
        RefuseIfNotRegularFile(path);
        return std::fopen(path.c_str(), "rb");
    }

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
};

/// A population file's bytes already in memory.
class MemoryBytes {
public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}

    int Get() { return position_ < bytes_.size() ? static_cast<unsigned char>(bytes_[position_++]) : EOF; }

    void Unget(int /*c*/) { --position_; }

    void SkipPrefix(std::string_view prefix)
    {
        if (bytes_.starts_with(prefix)) {
            position_ = prefix.size();
        }
    }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

/// Sequential reading of a population file: whole lines, parts of lines and
/// numbers separated by any character with code 32 or less. A CR directly before
/// a line end belongs to no text; a number asked for after the end reads as 0.
template <typename Bytes>
class PopulationTextReader {
public:
    explicit PopulationTextReader(Bytes& bytes) : bytes_(bytes) { bytes_.SkipPrefix("\xEF\xBB\xBF"); }

    /// The rest of the current line, of which at most maxLength bytes are kept
    /// (`cut` tells whether the line was longer); the reader moves on to the
    /// next line.
    std::string ReadLine(std::size_t maxLength, bool* cut = nullptr)
    {
        std::string kept;
        std::size_t lineLength = 0;
        for (int c = Get(); c != EOF && c != '\n'; c = Get()) {
            ++lineLength;
            if (kept.size() <= maxLength) {
                kept.push_back(static_cast<char>(c));
            }
        }
        const bool wholeLineKept = kept.size() == lineLength;
        if (wholeLineKept && !kept.empty() && kept.back() == '\r') {
            kept.pop_back();
        }
        if (kept.size() > maxLength) {
            kept.resize(maxLength);
        }
        if (cut != nullptr) {
            *cut = !wholeLineKept;
        }
        return kept;
    }

    /// A description line, in UTF-8; of a longer line only the first
    /// MaxDescriptionBytes bytes, without a character the cut splits.
    std::string ReadText()
    {
        bool cut = false;
        std::string kept = ReadLine(MaxDescriptionBytes, &cut);
        if (!IsValidUtf8(kept, cut)) {
            return Windows1252ToUtf8(kept);
        }
        while (!IsValidUtf8(kept)) {
            kept.pop_back();
        }
        return kept;
    }

    /// A name line's first 20 characters, in UTF-8: UTF-8 characters when the
    /// line's kept bytes are UTF-8, otherwise Windows-1252 bytes.
    std::string ReadName()
    {
        bool cut = false;
        const std::string kept = ReadLine(MaxNameBytes, &cut);
        if (IsValidUtf8(kept, cut)) {
            return FirstCharacters(kept, MaxNameLength);
        }
        return Windows1252ToUtf8(std::string_view(kept).substr(0, MaxNameLength));
    }

    void SkipLine()
    {
        for (int c = Get(); c != EOF && c != '\n'; c = Get()) {
        }
    }

    std::int32_t ReadWholeNumber()
    {
        const std::optional<std::string> token = ReadToken(MaxWholeNumberLength);
        if (!token) {
            return 0;
        }
        return ValueOrFailure(ParseWholeNumber(*token));
    }

    /// A whole number; one of digits only that no 32-bit count holds reads as
    /// the largest (or, negative, the smallest), which the range checks refuse.
    std::int32_t ReadCount()
    {
        const std::optional<std::string> token = ReadToken(MaxWholeNumberLength);
        if (!token) {
            return 0;
        }
        if (const std::optional<std::int32_t> number = ParseWholeNumber(*token)) {
            return *number;
        }
        const bool negative = token->front() == '-';
        const std::string_view digits = std::string_view(*token).substr(IsSign(token->front()) ? 1 : 0);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
            throw PopulationFileError(InvalidNumberMessage);
        }
        return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    }

    double ReadReal()
    {
        const std::optional<std::string> token = ReadToken(MaxRealLength);
        if (!token) {
            return 0.0;
        }
        return ValueOrFailure(ParseReal(*token));
    }

private:
    template <typename T>
    static T ValueOrFailure(const std::optional<T>& value)
    {
        if (!value) {
            throw PopulationFileError(InvalidNumberMessage);
        }
        return *value;
    }

    /// The next token, or nothing at the end of the file. A token longer than
    /// maxLength is refused as a number.
    std::optional<std::string> ReadToken(std::size_t maxLength)
    {
        int c = Get();
        while (c != EOF && IsSeparator(c)) {
            c = Get();
        }
        if (c == EOF) {
            return std::nullopt;
        }
        std::string token;
        while (c != EOF && !IsSeparator(c)) {
            if (token.size() == maxLength) {
                throw PopulationFileError(InvalidNumberMessage);
            }
            token.push_back(static_cast<char>(c));
            c = Get();
        }
        if (c != EOF) {
            bytes_.Unget(c);
        }
        return token;
    }

    int Get() { return bytes_.Get(); }

    Bytes& bytes_;
};

template <typename Bytes>
void ReadContents(PopulationTextReader<Bytes>& reader, PopulationContents& contents)
{
    contents.description = reader.ReadText();
    contents.unitCount = reader.ReadCount();
    contents.variableCount = reader.ReadWholeNumber();
    reader.SkipLine();
    if (contents.unitCount < 0 || contents.variableCount < 0) {
        throw PopulationFileError(RangeCheckMessage);
    }
    if (contents.unitCount > MaxUnits) {
        throw PopulationFileError(TooManyUnitsMessage);
    }
    for (int k = 1; k <= contents.variableCount; ++k) {
        if (k > MaxVariables) {
            throw PopulationFileError(RangeCheckMessage);
        }
        contents.variableNames[k] = reader.ReadName();
    }
    contents.rows.resize(contents.unitCount);
    for (int i = 1; i <= contents.unitCount; ++i) {
        for (int k = 1; k <= contents.variableCount; ++k) {
            contents.rows[i][k] = reader.ReadReal();
        }
        reader.SkipLine();
    }
}

void ApplyDefaults(TSimulationState& state)
{
    state.estimatorCode = EstimatorDirect;
    state.designCode = DesignEqualProbabilities;
    state.simulationCount = DefaultSimulationCount;
    if (state.variableCount < 1) {
        state.targetVariable = 0;
        state.targetMinimum = 0.0;
        state.targetMaximum = 0.0;
        state.scaleLower = 0.0;
        state.scaleUpper = 0.0;
        state.verticalCompression = 1;
    } else {
        ApplyTargetVariable(state, 1);
    }
    state.auxiliaryVariable = 0;
    state.stratumClasses = 0;
    state.clusterVariable = 0;
    state.clusterCount = 2;
    state.unitsPerCluster = 2;
    state.drawnPositions = 0;
    state.shuffledOrder.clear();
    state.sampleSize = std::min(DefaultSampleSize, state.unitCount);
    state.scaleSampleSize = state.sampleSize;
    state.confidenceIntervalMode = false;
    state.nonresponseOn = false;
    state.nonresponseAtMinimum = 0.0;
    state.nonresponseAtMaximum = 0.0;
    state.nonresponseVariable = 0;
}

}  // namespace

void RefuseIfNotRegularFile(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status)) {
        throw PopulationFileError(path + " is a folder!");
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        throw PopulationFileError(path + " is not a regular file!");
    }
}

PopulationContents ReadPopulationFile(const std::string& path)
{
    PopulationContents contents;
    FileBytes bytes(path);
    PopulationTextReader reader(bytes);
    ReadContents(reader, contents);
    return contents;
}

PopulationContents ParsePopulationText(std::string_view text)
{
    PopulationContents contents;
    MemoryBytes bytes(text);
    PopulationTextReader reader(bytes);
    ReadContents(reader, contents);
    return contents;
}

// Everything is read into its own record first, so that a failed read leaves
// the current population and settings untouched.
void ReadPopulation()
{
    const std::string& path = SimulationState.populationName;
    if (IsDelimitedFileName(path)) {
        const DelimitedTable table = ReadDelimitedFile(path);
        AdoptPopulation(DelimitedPopulation(table, FirstUsableColumns(table), false));
    } else {
        AdoptPopulation(ReadPopulationFile(path));
    }
}

void AdoptPopulation(PopulationContents contents)
{
    if (contents.unitCount < 1) {
        throw PopulationFileError(NoUnitsMessage);
    }
    TSimulationState& state = SimulationState;
    state.populationName = std::move(contents.description);
    state.unitCount = contents.unitCount;
    state.variableCount = contents.variableCount;
    state.variableNames = std::move(contents.variableNames);
    state.variableLabels = std::move(contents.variableLabels);
    state.populationData = std::move(contents.rows);
    ApplyDefaults(state);
}

void WritePopulation(std::ostream& out)
{
    const TSimulationState& state = SimulationState;
    const int units = PopulationSize();
    const int variables = std::clamp(state.variableCount, 0, MaxVariables);
    out << state.populationName << '\n' << units << ' ' << variables << '\n';
    for (int k = 1; k <= variables; ++k) {
        out << state.variableNames[k] << '\n';
    }
    std::string line;
    for (int i = 1; i <= units; ++i) {
        line.clear();
        for (int k = 1; k <= variables; ++k) {
            if (k > 1) {
                line.push_back(' ');
            }
            line += ShortestText(UnitValue(i, k));
        }
        line.push_back('\n');
        out << line;
    }
}

std::optional<double> ParseRealText(std::string_view text)
{
    return ParseReal(text);
}

bool ParseIntInRange(const std::string& text, int low, int high, int& value)
{
    value = 0;
    std::string_view digits = text;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) {
        digits.remove_prefix(1);
    }
    const std::optional<std::int32_t> number = ParseWholeNumber(digits);
    if (!number || *number < low || *number > high) {
        return false;
    }
    value = *number;
    return true;
}
