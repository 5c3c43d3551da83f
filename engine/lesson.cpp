#include "engine/lesson.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <utility>

#include "core/number_text.h"
#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"
#include "texts/option_names.h"

namespace {

constexpr int MinSimulations = 10;
constexpr int MaxCompression = 4;
constexpr std::uintmax_t MaxLessonFileSize = 1 << 20;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

/// The characters a quoted value writes after a backslash.
constexpr std::array<std::pair<char, char>, 5> Escapes = {
    {{'"', '"'}, {'\\', '\\'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}}};

std::string YesNo(bool on)
{
    return on ? "yes" : "no";
}

/// Shortest text that reads back to the same double.
std::string RealText(double value)
{
    return ShortestText(value);
}

/// All 16 digits, leading zeros too.
std::string HexText(std::uint64_t value)
{
    std::array<char, 17> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%016llx", static_cast<unsigned long long>(value));
    return buffer.data();
}

/// A value a line would not give back as it stands: blanks at either end are
/// trimmed, a line end ends the line, and a leading quote starts a quoted value.
bool NeedsQuotes(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()) || text.front() == '"' ||
                             text.find_first_of("\r\n") != std::string_view::npos);
}

/// The entry of Escapes whose `side` is `c`, or Escapes.end().
auto EscapeOf(char c, char std::pair<char, char>::*side)
{
    return std::find_if(Escapes.begin(), Escapes.end(),
                        [c, side](const auto& escape) { return escape.*side == c; });
}

std::string QuotedText(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto escape = EscapeOf(c, &std::pair<char, char>::first);
        quoted += escape == Escapes.end() ? std::string(1, c) : std::string{'\\', escape->second};
    }
    return quoted + '"';
}

/// The text QuotedText wrote; nothing when `value` is no quoted value, so that
/// it stands for itself.
std::optional<std::string> UnquotedText(std::string_view value)
{
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t at = 1; at + 1 < value.size(); ++at) {
        char c = value[at];
        if (c == '"') {
            return std::nullopt;
        }
        if (c == '\\') {
            const auto escape =
                at + 2 < value.size() ? EscapeOf(value[++at], &std::pair<char, char>::second) : Escapes.end();
            if (escape == Escapes.end()) {
                return std::nullopt;
            }
            c = escape->first;
        }
        text += c;
    }
    return text;
}

template <typename Number>
bool ReadNumber(std::string_view text, Number& value, int base = 10)
{
    if (text.empty()) {
        return false;
    }
    Number read{};
    std::from_chars_result result;
    if constexpr (std::is_floating_point_v<Number>) {
        result = ParseDecimal(text.data(), text.data() + text.size(), read);
    } else {
        result = std::from_chars(text.data(), text.data() + text.size(), read, base);
    }
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        return false;
    }
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(read)) {
            return false;
        }
    }
    value = read;
    return true;
}

std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, start)) {
        parts.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

/// The lines of a text whose lines end in LF, CR LF or CR alone.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            return lines;
        }
        text.remove_prefix(text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
    }
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ReadYesNo(std::string_view text, bool& value)
{
    if (text != "yes" && text != "no") {
        return false;
    }
    value = text == "yes";
    return true;
}

bool ReadCheck(std::string_view text, Lesson& lesson)
{
    const std::vector<std::string> parts = Split(text, ' ');
    return parts.size() == 3 && ReadNumber(parts[0], lesson.units) &&
           ReadNumber(parts[1], lesson.variables) && ReadNumber(parts[2], lesson.checksum, 16);
}

bool ReadDesign(std::string_view text, Lesson& lesson)
{
    const SamplingDesign* design = DesignNamed(text);
    if (design != nullptr) {
        lesson.design.design = design->Code();
    }
    return design != nullptr;
}

bool ReadNonresponse(std::string_view text, Lesson& lesson)
{
    if (text == "off") {
        lesson.nonresponse = false;
        return true;
    }
    const std::vector<std::string> parts = Split(text, ':');
    lesson.nonresponse = parts.size() == 3 && ReadNumber(parts[0], lesson.nonresponseVariable) &&
                         ReadNumber(parts[1], lesson.percentAtMinimum) &&
                         ReadNumber(parts[2], lesson.percentAtMaximum);
    return lesson.nonresponse;
}

bool ReadScale(std::string_view text, Lesson& lesson)
{
    const std::vector<std::string> parts = Split(text, ':');
    lesson.scaleFromTarget = false;
    return parts.size() == 2 && ReadNumber(parts[0], lesson.scaleLower) &&
           ReadNumber(parts[1], lesson.scaleUpper);
}

std::string ColumnList(const Lesson& lesson)
{
    std::string names;
    for (const std::string& name : lesson.columns) {
        names += (names.empty() ? "" : ",") + name;
    }
    return names;
}

/// "K:MIN:MAX", as tarvek-batch's --nonresponse takes it.
std::string NonresponseText(const Lesson& lesson)
{
    return std::to_string(lesson.nonresponseVariable) + ':' + std::to_string(lesson.percentAtMinimum) + ':' +
           std::to_string(lesson.percentAtMaximum);
}

std::string PopulationText(const Lesson& lesson)
{
    return NeedsQuotes(lesson.population) ? QuotedText(lesson.population) : lesson.population;
}

bool ReadPopulation(std::string_view text, Lesson& lesson)
{
    lesson.population = UnquotedText(text).value_or(std::string(text));
    return !lesson.population.empty();
}

std::string CheckText(const Lesson& lesson)
{
    return std::to_string(lesson.units) + ' ' + std::to_string(lesson.variables) + ' ' +
           HexText(lesson.checksum);
}

bool ReadColumns(std::string_view text, Lesson& lesson)
{
    lesson.columns = Split(text, ',');
    return !text.empty() && lesson.columns.size() <= static_cast<std::size_t>(MaxVariables);
}

std::string DesignText(const Lesson& lesson)
{
    return std::string(DesignOf(lesson.design.design).Name());
}

bool ReadAllocation(std::string_view text, Lesson& lesson)
{
    const auto code = CodeNamed(text, AllocationNames);
    lesson.design.allocation = code.value_or(AllocationProportional);
    return code.has_value();
}

std::string AllocationText(const Lesson& lesson)
{
    return NameOf(lesson.design.allocation, AllocationNames);
}

bool ReadEstimator(std::string_view text, Lesson& lesson)
{
    const Estimator* named = EstimatorNamed(text);
    lesson.estimator = named != nullptr ? named->Code() : EstimatorDirect;
    return named != nullptr;
}

std::string EstimatorText(const Lesson& lesson)
{
    return std::string(EstimatorName(lesson.estimator));
}

std::string NonresponseLine(const Lesson& lesson)
{
    return lesson.nonresponse ? NonresponseText(lesson) : "off";
}

std::string ScaleText(const Lesson& lesson)
{
    return RealText(lesson.scaleLower) + ':' + RealText(lesson.scaleUpper);
}

bool ReadField(std::string_view text, bool& value)
{
    return ReadYesNo(text, value);
}

template <typename Number>
bool ReadField(std::string_view text, Number& value)
{
    return ReadNumber(text, value);
}

std::string FieldText(bool on)
{
    return YesNo(on);
}

template <typename Number>
std::string FieldText(Number value)
{
    return std::to_string(value);
}

/// How a key's value is read into a lesson and written from one.
struct KeyAccess {
    bool (*read)(std::string_view text, Lesson& lesson);
    std::string (*write)(const Lesson& lesson);
};

/// A key whose value is the lesson's number or yes/no at Path (members, outer first).
template <auto... Path>
constexpr KeyAccess Field = {
    [](std::string_view text, Lesson& lesson) { return ReadField(text, (lesson.*....*Path)); },
    [](const Lesson& lesson) { return FieldText((lesson.*....*Path)); },
};

template <auto Member>
constexpr KeyAccess DesignField = Field<&Lesson::design, Member>;

/// How a key becomes tarvek-batch's option of the same name.
enum class OptionForm {
    None,    ///< tarvek-batch has no use for the key
    Value,   ///< "--KEY VALUE"
    Switch,  ///< "--KEY" when the line says yes
};

/// Where a key's option goes among LessonArguments: first the settings that say
/// what runs, the population's columns last, in the order always produced.
enum class OptionPlace { First, Middle, Last };

/// One key of a lesson file. A lesson writes its keys in the table's order, and
/// LessonArguments gives the options of the keys written, place by place.
struct LessonKey {
    std::string_view name;
    KeyAccess access;
    OptionForm option = OptionForm::None;
    OptionPlace place = OptionPlace::Middle;
    /// The names of the designs whose lessons have the key; none: every design's.
    std::array<std::string_view, 2> designs{};
    /// Whether such a lesson writes the key; nothing: always.
    bool (*written)(const Lesson& lesson) = nullptr;
    /// The option's value given the line's, nothing for no option; nothing
    /// here: the line's value.
    std::optional<std::string> (*optionValue)(const Lesson& lesson, const std::string& line) = nullptr;
};

bool HasColumns(const Lesson& lesson)
{
    return !lesson.columns.empty();
}

bool HasStratumClasses(const Lesson& lesson)
{
    return lesson.design.stratumClasses != 0;
}

bool HasScale(const Lesson& lesson)
{
    return !lesson.scaleFromTarget;
}

/// The order 0, the file's order, is tarvek-batch's default.
std::optional<std::string> UnlessFileOrder(const Lesson&, const std::string& line)
{
    return line != "0" ? std::optional(line) : std::nullopt;
}

std::optional<std::string> UnlessOff(const Lesson&, const std::string& line)
{
    return line != "off" ? std::optional(line) : std::nullopt;
}

/// No auxiliary variable stands for the units themselves where the design offers them.
std::optional<std::string> AuxiliaryOption(const Lesson& lesson, const std::string& line)
{
    if (line != "0") {
        return line;
    }
    return DesignOf(lesson.design.design).OffersUnitsAsAuxiliary() ? std::optional<std::string>("units")
                                                                   : std::nullopt;
}

using enum OptionForm;
using enum OptionPlace;
constexpr std::array<std::string_view, 2> ClusterDesigns = {"cluster", "two-stage"};

constexpr LessonKey LessonKeys[] = {
    {"population", {ReadPopulation, PopulationText}},
    {"population-check", {ReadCheck, CheckText}},
    {"columns", {ReadColumns, ColumnList}, Value, Last, {}, HasColumns},
    {"drop-missing", Field<&Lesson::dropMissing>, Switch, Last, {}, HasColumns},
    {"target", Field<&Lesson::target>, Value, First},
    {"sample-size", Field<&Lesson::sampleSize>, Value, First},
    {"design", {ReadDesign, DesignText}, Value, First},
    {"allocation", {ReadAllocation, AllocationText}, Value, Middle, {"stratified"}},
    {"strata-classes", DesignField<&DesignChoice::stratumClasses>, Value, Middle, {}, HasStratumClasses},
    {"order", DesignField<&DesignChoice::variable>, Value, Middle, {"systematic"}, nullptr, UnlessFileOrder},
    {"cluster-variable", DesignField<&DesignChoice::variable>, Value, Middle, ClusterDesigns},
    {"clusters", DesignField<&DesignChoice::clusters>, Value, Middle, ClusterDesigns},
    {"units-per-cluster", DesignField<&DesignChoice::unitsPerCluster>, Value, Middle, {"two-stage"}},
    {"estimator", {ReadEstimator, EstimatorText}, Value, First},
    {"auxiliary", Field<&Lesson::auxiliary>, Value, First, {}, nullptr, AuxiliaryOption},
    {"nonresponse", {ReadNonresponse, NonresponseLine}, Value, Middle, {}, nullptr, UnlessOff},
    {"simulations", Field<&Lesson::simulations>, Value},
    {"intervals", Field<&Lesson::intervals>, Switch},
    {"scale", {ReadScale, ScaleText}, Value, Middle, {}, HasScale},
    {"compression", Field<&Lesson::compression>, Value},
    {"colour-missed", Field<&Lesson::switches, &LessonSwitches::colourMissed>, Switch},
    {"mark-full", Field<&Lesson::switches, &LessonSwitches::markFull>, Switch},
    {"slow-motion", Field<&Lesson::switches, &LessonSwitches::slowMotion>},
    {"fit-scale", Field<&Lesson::switches, &LessonSwitches::fitScale>},
    {"seed", Field<&Lesson::seed>, Value},
};

/// Reads one "key = value" line's value into the lesson.
bool ReadValue(std::string_view key, std::string_view value, Lesson& lesson)
{
    const auto found = std::find_if(std::begin(LessonKeys), std::end(LessonKeys),
                                    [key](const LessonKey& known) { return known.name == key; });
    if (found == std::end(LessonKeys)) {
        throw LessonError("unknown key '" + ShortText(key) + "'");
    }
    return found->access.read(value, lesson);
}

bool IsWritten(const LessonKey& key, const Lesson& lesson)
{
    const std::string_view design = DesignOf(lesson.design.design).Name();
    const bool ofDesign = key.designs.front().empty() ||
                          std::find(key.designs.begin(), key.designs.end(), design) != key.designs.end();
    return ofDesign && (key.written == nullptr || key.written(lesson));
}

void AddOption(const LessonKey& key, const Lesson& lesson, std::vector<std::string>& arguments)
{
    const std::string option = "--" + std::string(key.name);
    const std::string line = key.access.write(lesson);
    if (key.option == Switch) {
        if (line == YesNo(true)) {
            arguments.push_back(option);
        }
        return;
    }
    const std::optional<std::string> value =
        key.optionValue != nullptr ? key.optionValue(lesson, line) : line;
    if (value) {
        arguments.insert(arguments.end(), {option, *value});
    }
}

std::string RangeMessage(const std::string& what, int low, int high)
{
    return "The " + what + " must be from " + std::to_string(low) + " to " + std::to_string(high) + "!";
}

std::string CheckRange(int value, const std::string& what, int low, int high)
{
    return value >= low && value <= high ? "" : RangeMessage(what, low, high);
}

/// The design's refusals, then its settings stored; the auxiliary variable is the
/// variable of a design that reads it.
std::string ApplyDesign(const Lesson& lesson)
{
    const SamplingDesign& design = DesignOf(lesson.design.design);
    DesignChoice choice = lesson.design;
    if (design.VariableIsAuxiliary()) {
        choice.variable = lesson.auxiliary;
    }
    if (std::string refusal = design.EstimatorRefusal(lesson.estimator); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = design.Refusal(choice, SimulationState.sampleSize); !refusal.empty()) {
        return refusal;
    }
    StoreDesignChoice(choice);
    return "";
}

std::string ApplySettings(const Lesson& lesson)
{
    TSimulationState& s = SimulationState;
    const int variables = s.variableCount;
    const bool unitsAllowed = DesignOf(lesson.design.design).OffersUnitsAsAuxiliary();
    const bool auxiliaryNeeded = ReadsAuxiliaryVariable(lesson.estimator, lesson.design.design);
    std::string refusal = CheckRange(lesson.target, "target variable", 1, variables);
    if (refusal.empty()) {
        SetTargetVariable(lesson.target);
        refusal = CheckRange(lesson.sampleSize, "sample size", 2, s.unitCount);
    }
    if (refusal.empty() && (lesson.auxiliary != 0 || (auxiliaryNeeded && !unitsAllowed))) {
        refusal = CheckRange(lesson.auxiliary, "auxiliary variable", 1, variables);
    }
    if (!refusal.empty()) {
        return refusal;
    }
    s.sampleSize = lesson.sampleSize;
    s.auxiliaryVariable = lesson.auxiliary;
    if (refusal = ApplyDesign(lesson); !refusal.empty()) {
        return refusal;
    }
    s.estimatorCode = lesson.estimator;
    if (refusal = CheckPostStrata(); !refusal.empty()) {
        return refusal;
    }
    s.nonresponseOn = false;
    if (lesson.nonresponse) {
        refusal = CheckRange(lesson.nonresponseVariable, "nonresponse variable", 1, variables);
        if (refusal.empty()) {
            refusal = SetNonresponseLine(lesson.nonresponseVariable, lesson.percentAtMinimum,
                                         lesson.percentAtMaximum);
        }
    }
    if (refusal.empty()) {
        refusal = CheckRange(lesson.simulations, "number of simulations", MinSimulations, MaxSamples);
    }
    if (refusal.empty()) {
        refusal = CheckRange(lesson.compression, "compression factor", 1, MaxCompression);
    }
    s.simulationCount = lesson.simulations;
    s.confidenceIntervalMode = lesson.intervals;
    s.verticalCompression = lesson.compression;
    // Without a scale, the target's minimum and maximum stay, as after reading.
    if (!lesson.scaleFromTarget) {
        s.scaleLower = lesson.scaleLower;
        s.scaleUpper = lesson.scaleUpper;
    }
    return refusal;
}

int Percent(double fraction)
{
    return static_cast<int>(std::lround(fraction * 100.0));
}

}  // namespace

std::string ShortText(std::string_view text)
{
    constexpr std::size_t Longest = 60;
    constexpr std::size_t Part = 28;
    if (text.size() <= Longest) {
        return std::string(text);
    }
    // Cut between characters, not inside a UTF-8 sequence.
    const auto continuation = [text](std::size_t at) {
        return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    std::size_t headEnd = Part;
    while (headEnd > 0 && continuation(headEnd)) {
        --headEnd;
    }
    std::size_t tailStart = text.size() - Part;
    while (tailStart < text.size() && continuation(tailStart)) {
        ++tailStart;
    }
    return std::string(text.substr(0, headEnd)) + "..." + std::string(text.substr(tailStart));
}

bool IsLessonFileName(std::string_view path)
{
    const std::string_view extension = LessonExtension;
    return path.size() > extension.size() && path.ends_with(extension);
}

std::uint64_t PopulationChecksum(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return hash;
}

Lesson LessonOfRecord(const LessonSwitches& switches)
{
    const TSimulationState& s = SimulationState;
    Lesson lesson;
    lesson.target = s.targetVariable;
    lesson.sampleSize = s.sampleSize;
    lesson.design = RecordDesignChoice();
    lesson.estimator = s.estimatorCode;
    lesson.auxiliary = s.auxiliaryVariable;
    lesson.nonresponse = s.nonresponseOn;
    lesson.nonresponseVariable = s.nonresponseVariable;
    lesson.percentAtMinimum = Percent(s.nonresponseAtMinimum);
    lesson.percentAtMaximum = Percent(s.nonresponseAtMaximum);
    lesson.simulations = s.simulationCount;
    lesson.intervals = s.confidenceIntervalMode;
    lesson.scaleLower = s.scaleLower;
    lesson.scaleUpper = s.scaleUpper;
    lesson.compression = s.verticalCompression;
    lesson.switches = switches;
    lesson.seed = RandomGenerator.seed;
    return lesson;
}

std::string LessonText(const Lesson& lesson)
{
    std::ostringstream text;
    text << "# Tarvek lesson: one setting a line, \"key = value\"; a line that begins with # is a comment.\n"
            "# Variables are given by number (1..K); population-check is N, K and the file's checksum.\n";
    for (const LessonKey& key : LessonKeys) {
        if (IsWritten(key, lesson)) {
            text << key.name << " = " << key.access.write(lesson) << '\n';
        }
    }
    return text.str();
}

Lesson ParseLesson(std::string_view text)
{
    Lesson lesson;
    lesson.scaleFromTarget = true;
    if (text.starts_with(ByteOrderMark)) {
        text.remove_prefix(ByteOrderMark.size());
    }
    int number = 0;
    for (const std::string_view raw : Lines(text)) {
        ++number;
        const std::string prefix = "Line " + std::to_string(number) + ": ";
        if (raw.size() > MaxLessonLineLength) {
            throw LessonError(prefix + "the line is longer than " + std::to_string(MaxLessonLineLength) +
                              " characters!");
        }
        const std::string_view content = Trimmed(raw);
        if (content.empty() || content.front() == '#') {
            continue;
        }
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos) {
            throw LessonError(prefix + "expected \"key = value\"!");
        }
        const std::string_view key = Trimmed(content.substr(0, equals));
        const std::string_view value = Trimmed(content.substr(equals + 1));
        try {
            if (!ReadValue(key, value, lesson)) {
                throw LessonError("invalid value '" + ShortText(value) + "' for " + std::string(key));
            }
        } catch (const LessonError& error) {
            throw LessonError(prefix + error.what() + "!");
        }
    }
    if (lesson.population.empty()) {
        throw LessonError("The lesson names no population!");
    }
    if (DesignOf(lesson.design.design).VariableIsAuxiliary()) {
        lesson.design.variable = lesson.auxiliary;
    }
    return lesson;
}

std::string ReadFileBytes(const std::string& path)
{
    try {
        RefuseIfNotRegularFile(path);
    } catch (const PopulationFileError& error) {
        throw LessonError(error.what());
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        throw LessonError(path + ": the file could not be opened!");
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        throw LessonError(path + ": the file could not be read!");
    }
    return bytes;
}

std::string ReadLessonFile(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > MaxLessonFileSize) {
        throw LessonError(path + " is larger than 1 MB: it is no lesson!");
    }
    return ReadFileBytes(path);
}

std::string PopulationPathForLesson(const std::string& lessonPath, const std::string& populationPath)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fs::path(lessonPath)).parent_path().lexically_normal();
    const fs::path population = fs::absolute(fs::path(populationPath)).lexically_normal();
    const fs::path relative = population.lexically_relative(folder);
    const bool below = !relative.empty() && *relative.begin() != "..";
    return (below ? relative : population).generic_string();
}

std::string LessonPopulationPath(const std::string& lessonPath, const Lesson& lesson)
{
    namespace fs = std::filesystem;
    const fs::path population(lesson.population);
    if (population.is_absolute()) {
        return population.string();
    }
    return (fs::path(lessonPath).parent_path() / population).lexically_normal().string();
}

std::string LessonPopulationFileName(const Lesson& lesson)
{
    const std::size_t separator = lesson.population.find_last_of("/\\");
    return separator == std::string::npos ? lesson.population : lesson.population.substr(separator + 1);
}

std::string ExistingLessonPopulation(const std::string& lessonPath, const Lesson& lesson)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string named = LessonPopulationPath(lessonPath, lesson);
    if (fs::exists(named, error)) {
        return named;
    }
    const std::string name = LessonPopulationFileName(lesson);
    const fs::path beside = fs::path(lessonPath).parent_path() / name;
    return !name.empty() && fs::is_regular_file(beside, error) ? beside.string() : "";
}

std::string PopulationFileRefusal(const Lesson& lesson, const std::string& path)
{
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const LessonError& error) {
        std::error_code code;
        return std::filesystem::exists(path, code)
                   ? error.what()
                   : "The lesson's population " + ShortText(path) + " cannot be found!";
    }
    return PopulationBytesRefusal(lesson, path, bytes);
}

std::string PopulationBytesRefusal(const Lesson& lesson, const std::string& path, std::string_view bytes)
{
    return PopulationChecksum(bytes) == lesson.checksum
               ? ""
               : "The lesson's population " + ShortText(path) + " has changed since the lesson was saved!";
}

std::string LessonColumnsRefusal(const std::string& path, const std::string& refusal)
{
    return "The lesson's columns do not fit " + ShortText(path) + ": " + ShortText(refusal) + "!";
}

std::string LessonColumnsNeedTableMessage(const std::string& path)
{
    return "The lesson names columns, but " + ShortText(path) + " is not a CSV, TSV or TXT file!";
}

std::string PopulationSizeRefusal(const Lesson& lesson)
{
    const bool same =
        SimulationState.unitCount == lesson.units && SimulationState.variableCount == lesson.variables;
    return same ? "" : "The lesson's population has changed since the lesson was saved!";
}

std::string ApplyLesson(const Lesson& lesson)
{
    const TSimulationState before = SimulationState;
    std::string refusal = ApplySettings(lesson);
    if (!refusal.empty()) {
        SimulationState = before;
        return refusal;
    }
    SetRandomSeed(lesson.seed);
    return "";
}

std::vector<std::string> LessonArguments(const Lesson& lesson)
{
    std::vector<std::string> arguments;
    for (const OptionPlace place : {First, Middle, Last}) {
        for (const LessonKey& key : LessonKeys) {
            if (key.option != None && key.place == place && IsWritten(key, lesson)) {
                AddOption(key, lesson, arguments);
            }
        }
    }
    return arguments;
}
