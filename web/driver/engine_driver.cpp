#include "web/driver/engine_driver.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <limits>
#include <locale>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "batch/batch_compare.h"
#include "batch/batch_json.h"
#include "batch/batch_options.h"
#include "batch/batch_output.h"
#include "batch/batch_population.h"
#include "batch/batch_settings.h"
#include "core/delimited_file.h"
#include "core/number_format.h"
#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/sample_listing.h"
#include "core/simulation_state.h"
#include "core/text_encoding.h"
#include "core/variable_summary.h"
#include "engine/cluster_summary_rows.h"
#include "engine/comparison.h"
#include "engine/designs/sampling_design.h"
#include "engine/fitted_scale.h"
#include "engine/lesson.h"
#include "engine/plot_frame.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"
#include "plot/plot_colours.h"
#include "plot/plot_geometry.h"
#include "texts/interface_text_table.h"

namespace {

using Json = nlohmann::json;

/// A request that cannot be answered; what() is the message for the user.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr const char* NoRunMessage = "No simulation has begun!";
constexpr const char* NoTableMessage = "No CSV, TSV or TXT file has been opened!";
/// The newest samples a "next" reports.
constexpr std::size_t LastSamplesShown = 30;
/// The run's number in the estimates' CSV and the JSON document.
constexpr int RunNumber = 1;

/// What one page keeps between requests, as a desktop session keeps it.
struct Session {
    std::string putBytes;
    std::string tableName;
    std::string tableBytes;
    std::optional<DelimitedTable> table;
    /// The population's file name, bytes and chosen columns, for lessons.
    std::string populationFile;
    std::string populationBytes;
    std::vector<std::string> populationColumns;
    bool populationDropMissing = false;
    BatchOptions options;
    RunEngine engine;
    bool running = false;
    RunGraph graph;
    std::ostringstream estimatesText;
    std::optional<EstimatesCsv> estimates;
    std::optional<JsonReport> report;
    /// The seed the generator last started at, shown in the caption unless 0.
    std::uint32_t randomStart = 0;
};

Session& TheSession()
{
    static Session session;
    return session;
}

// Request fields --------------------------------------------------------------

const Json& Field(const Json& request, const char* key)
{
    const auto found = request.find(key);
    if (found == request.end()) {
        throw Refusal(std::string("The request needs \"") + key + "\"!");
    }
    return *found;
}

std::string StringField(const Json& request, const char* key)
{
    const Json& value = Field(request, key);
    if (!value.is_string()) {
        throw Refusal(std::string("\"") + key + "\" must be a text!");
    }
    return value.get<std::string>();
}

bool BoolField(const Json& request, const char* key)
{
    const auto found = request.find(key);
    if (found == request.end()) {
        return false;
    }
    if (!found->is_boolean()) {
        throw Refusal(std::string("\"") + key + "\" must be true or false!");
    }
    return found->get<bool>();
}

/// A whole number in low..high; a real, however whole, is refused.
int IntField(const Json& request, const char* key, int low, int high)
{
    const Json& value = Field(request, key);
    std::optional<std::int64_t> whole;
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() <= static_cast<std::uint64_t>(high)) {
            whole = static_cast<std::int64_t>(value.get<std::uint64_t>());
        }
    } else if (value.is_number_integer()) {
        whole = value.get<std::int64_t>();
    }
    if (!whole || *whole < low || *whole > high) {
        throw Refusal(std::string("\"") + key + "\" must be a whole number from " + std::to_string(low) +
                      " to " + std::to_string(high) + "!");
    }
    return static_cast<int>(*whole);
}

std::vector<std::string> StringsField(const Json& request, const char* key)
{
    const Json& value = Field(request, key);
    std::vector<std::string> strings;
    const bool texts = value.is_array() && std::all_of(value.begin(), value.end(),
                                                       [](const Json& item) { return item.is_string(); });
    if (!texts) {
        throw Refusal(std::string("\"") + key + "\" must be a list of texts!");
    }
    for (const Json& item : value) {
        strings.push_back(item.get<std::string>());
    }
    return strings;
}

// Response pieces -------------------------------------------------------------

std::string JsonArray(const std::vector<std::string>& items)
{
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : ", ") + items[i];
    }
    return text + "]";
}

std::string JsonStrings(const std::vector<std::string>& texts)
{
    std::vector<std::string> items;
    for (const std::string& text : texts) {
        items.push_back(JsonString(text));
    }
    return JsonArray(items);
}

JsonObject Answer()
{
    return JsonObject().Add("ok", JsonBool(true));
}

std::string LabelledValues(const std::vector<StatisticsRow>& rows)
{
    std::vector<std::string> items;
    for (const StatisticsRow& row : rows) {
        items.push_back(
            JsonObject().Add("label", JsonString(row.label)).Add("value", JsonString(row.value)).Text());
    }
    return JsonArray(items);
}

std::string PopulationObject()
{
    const TSimulationState& s = SimulationState;
    std::vector<std::string> names, codes, summary;
    for (int k = 1; k <= s.variableCount && k <= MaxVariables; ++k) {
        names.push_back(JsonString(s.variableNames[k]));
        codes.push_back(JsonStrings(s.variableLabels[k]));
        const VariableSummary v = SummarizeVariable(k);
        summary.push_back(JsonObject()
                              .Add("name", JsonString(s.variableNames[k]))
                              .Add("mean", JsonNumberOr(v.mean, v.meanAvailable))
                              .Add("sd", JsonNumberOr(v.standardDeviation, v.standardDeviationAvailable))
                              .Add("min", JsonNumberOr(v.minimum, v.extremesAvailable))
                              .Add("max", JsonNumberOr(v.maximum, v.extremesAvailable))
                              .Text());
    }
    return JsonObject()
        .Add("description", JsonString(s.populationName))
        .Add("units", s.unitCount)
        .Add("variables", s.variableCount)
        .Add("names", JsonArray(names))
        .Add("codes", JsonArray(codes))
        .Add("summary", JsonArray(summary))
        .Text();
}

/// The information panel's lines, caption and value.
std::string CaptionLines()
{
    const auto values = InformationPanelValues();
    std::vector<StatisticsRow> lines;
    for (int line = 0; line < InformationPanelLines; ++line) {
        lines.push_back({InformationPanelCaptions[line], values[line]});
    }
    if (const std::uint32_t seed = TheSession().randomStart; seed != 0) {
        lines.push_back({"Seed:", std::to_string(seed)});
    }
    return LabelledValues(lines);
}

std::string SettingsAnswer()
{
    return Answer()
        .Add("settings", JsonReport(TheSession().options).settings())
        .Add("caption", CaptionLines())
        .Text();
}

/// The run of the settings in force; with none open, nothing drawn yet.
std::string RunObject()
{
    const Session& session = TheSession();
    const RunEngine& engine = session.engine;
    const bool open = session.running;
    const int drawn = open ? engine.samplesDrawn() : 0;
    const bool intervals = open && SimulationState.confidenceIntervalMode;
    return JsonObject()
        .Add("open", JsonBool(open))
        .Add("samplesDrawn", drawn)
        .Add("simulations", engine.simulationCount())
        .Add("finished", JsonBool(open && engine.finished()))
        .Add("stoppedByBound", JsonBool(open && engine.stoppedByBound()))
        .Add("correctPercentage", intervals ? std::to_string(engine.correctIntervalPercentage()) : "null")
        .Add("progress", JsonString(SamplesDrawnText(drawn, engine.simulationCount())))
        .Text();
}

std::string FrameObject(const PlotFrame& frame)
{
    return JsonObject()
        .Add("lower", JsonNumber(frame.lower))
        .Add("upper", JsonNumber(frame.upper))
        .Add("range", JsonNumber(frame.range))
        .Add("populationMean", JsonNumber(frame.populationMean))
        .Add("plotLeft", frame.plotLeft)
        .Add("axisY", frame.axisY)
        .Add("axisLength", frame.axisLength)
        .Add("stepHeight", frame.stepHeight)
        .Add("meanLineX", frame.meanLineX)
        .Add("plotTop", PlotTopY(frame))
        .Add("tickBottom", TickBottomY(frame))
        .Add("middleX", MiddleTickX(frame))
        .Add("axisRight", AxisRightX(frame))
        .Text();
}

std::string GraphObject()
{
    const Session& session = TheSession();
    const RunGraph& graph = session.graph;
    const PlotFrame& frame = graph.frame;
    std::vector<std::string> counts, classes, slots;
    for (int k = 0; k <= HistogramClasses; ++k) {
        const std::int32_t count = graph.counts[k];
        counts.push_back(std::to_string(count));
        if (k >= 1) {
            const PixelSpan edges = ClassBarEdges(frame, k);
            classes.push_back(JsonObject()
                                  .Add("left", edges.left)
                                  .Add("right", edges.right)
                                  .Add("full", JsonBool(ClassFull(count, graph.barUnit, frame)))
                                  .Text());
        }
    }
    const IntervalSlots& rows = graph.intervalSlots;
    for (int i = 1; i <= IntervalRows; ++i) {
        slots.push_back(JsonObject()
                            .Add("left", rows.intervalLeft[i])
                            .Add("right", rows.intervalRight[i])
                            .Add("y", SlotRowY(frame, i))
                            .Add("shown", JsonBool(rows.intervalShown[i]))
                            .Add("missed", JsonBool(rows.intervalMissed[i]))
                            .Text());
    }
    const PlotOptions& options = session.options.plotOptions;
    return JsonObject()
        .Add("kind", JsonString(graph.kind == GraphKind::Intervals ? "intervals" : "histogram"))
        .Add("frame", FrameObject(frame))
        .Add("barUnit", graph.barUnit)
        .Add("counts", JsonArray(counts))
        .Add("classes", JsonArray(classes))
        .Add("intervals", JsonArray(slots))
        .Add("options", JsonObject()
                            .Add("colourMissedIntervals", JsonBool(options.colourMissedIntervals))
                            .Add("markFullClasses", JsonBool(options.markFullClasses))
                            .Text())
        .Add("labels", JsonObject()
                           .Add("lower", JsonString(FormatFixed3(frame.lower)))
                           .Add("middle", JsonString(FormatFixed3((frame.lower + frame.upper) / 2)))
                           .Add("upper", JsonString(FormatFixed3(frame.upper)))
                           .Add("mean", JsonString(FormatFixed3(frame.populationMean)))
                           .Text())
        .Text();
}

std::string SampleObject(const SampleResult& sample, bool intervals)
{
    const bool withInterval = intervals && sample.standardErrorAvailable;
    return JsonObject()
        .Add("number", sample.sampleNumber)
        .Add("estimate", JsonNumber(sample.estimate))
        .Add("se", JsonNumberOr(sample.standardError, withInterval))
        .Add("lower", JsonNumberOr(sample.intervalLower, withInterval))
        .Add("upper", JsonNumberOr(sample.intervalUpper, withInterval))
        .Add("correct", intervals ? JsonBool(sample.covered) : "null")
        .Add("class", sample.histogramClass)
        .Text();
}

// Session changes -------------------------------------------------------------

void EndRun()
{
    Session& session = TheSession();
    session.running = false;
    session.estimates.reset();
    session.estimatesText.str("");
    session.report.reset();
}

/// After a population became the record's: its file, bytes and columns.
void PopulationAdopted(const std::string& file, const std::string& bytes, std::vector<std::string> columns,
                       bool dropMissing)
{
    Session& session = TheSession();
    session.populationFile = file;
    session.populationBytes = bytes;
    session.populationColumns = std::move(columns);
    session.populationDropMissing = dropMissing;
    session.options = BatchOptions();
    session.options.populationPath = file;
    EndRun();
}

/// Applies options as tarvek-batch does, all or nothing, then the seed.
void ApplyOptions(const BatchOptions& options)
{
    const TSimulationState before = SimulationState;
    if (std::string refusal = ApplySettings(options); !refusal.empty()) {
        SimulationState = before;
        throw Refusal(refusal);
    }
    if (options.seed) {
        SetRandomSeed(*options.seed);
        TheSession().randomStart = *options.seed;
    }
    TheSession().options = options;
    EndRun();
}

/// The options that write files or do anything but set the simulation.
void RefuseOtherOptions(const BatchOptions& options)
{
    const std::vector<std::pair<bool, const char*>> others = {
        {options.help, "--help"},
        {options.version, "--version"},
        {options.describe, "--describe"},
        {options.json, "--json"},
        {options.compareVariants.has_value(), "--compare"},
        {options.estimatesPath.has_value(), "--estimates"},
        {options.plotPath.has_value(), "--plot"},
        {options.writePopulationPath.has_value(), "--write-population"},
        {options.columns.has_value(), "--columns"},
        {options.dropMissing, "--drop-missing"},
    };
    for (const auto& [given, name] : others) {
        if (given) {
            throw Refusal(std::string("The option ") + name + " cannot be used here!");
        }
    }
}

void RequirePopulation()
{
    if (SimulationState.variableCount <= 0) {
        throw Refusal(InterfaceTexts.messageTexts[1]);
    }
}

void RequireRun()
{
    if (!TheSession().running) {
        throw Refusal(NoRunMessage);
    }
}

// The requests ----------------------------------------------------------------

std::string Open(const Json& request)
{
    Session& session = TheSession();
    const std::string name = StringField(request, "name");
    if (IsDelimitedFileName(name)) {
        const std::string description = TextAsUtf8(std::filesystem::path(name).stem().string());
        DelimitedTable table = ParseDelimitedText(session.putBytes, description);
        std::vector<std::string> columns;
        for (const DelimitedColumn& column : table.columns) {
            columns.push_back(JsonObject()
                                  .Add("name", JsonString(column.name))
                                  .Add("categorical", JsonBool(!column.numeric))
                                  .Add("labels", static_cast<int>(column.labels.size()))
                                  .Add("missing", column.missingCount)
                                  .Text());
        }
        const int rows = static_cast<int>(table.rowLines.size());
        session.table = std::move(table);
        session.tableName = name;
        session.tableBytes = session.putBytes;
        return Answer()
            .Add("kind", JsonString("table"))
            .Add("rows", rows)
            .Add("columns", JsonArray(columns))
            .Text();
    }
    AdoptPopulation(ParsePopulationText(session.putBytes));
    PopulationAdopted(name, session.putBytes, {}, false);
    return Answer().Add("kind", JsonString("population")).Add("population", PopulationObject()).Text();
}

std::string Import(const Json& request)
{
    Session& session = TheSession();
    if (!session.table) {
        throw Refusal(NoTableMessage);
    }
    std::optional<std::vector<std::string>> names;
    if (request.contains("columns")) {
        names = StringsField(request, "columns");
    }
    const bool dropMissing = BoolField(request, "dropMissing");
    AdoptTableColumns(*session.table, names, dropMissing);
    const int dropped = static_cast<int>(session.table->rowLines.size()) - SimulationState.unitCount;
    PopulationAdopted(session.tableName, session.tableBytes, names.value_or(std::vector<std::string>{}),
                      dropMissing);
    return Answer()
        .Add("kind", JsonString("population"))
        .Add("population", PopulationObject())
        .Add("dropped", dropped)
        .Text();
}

/// The rows the import would leave out for the ticked columns (0-based, as the
/// "open" response lists them), as the import dialog counts them.
std::string MissingRows(const Json& request)
{
    const Session& session = TheSession();
    if (!session.table) {
        throw Refusal(NoTableMessage);
    }
    const Json& ticked = Field(request, "columns");
    if (!ticked.is_array()) {
        throw Refusal("\"columns\" must be a list of column numbers!");
    }
    const int last = static_cast<int>(session.table->columns.size()) - 1;
    std::vector<int> columns;
    for (const Json& column : ticked) {
        columns.push_back(IntField(Json{{"column", column}}, "column", 0, last));
    }
    return Answer()
        .Add("rows", RowsWithMissingValue(*session.table, columns))
        .Add("text", JsonString(MissingRowsText(*session.table, columns)))
        .Text();
}

/// The cluster dialog's summary for the settings given, with the target given
/// (else the record's); the record stays as it was.
std::string ClusterSummary(const Json& request)
{
    RequirePopulation();
    const std::string design = StringField(request, "design");
    const SamplingDesign* named = DesignNamed(design);
    if (named == nullptr || (named->Code() != DesignCluster && named->Code() != DesignTwoStage)) {
        throw Refusal("\"design\" must be \"cluster\" or \"two-stage\"!");
    }
    const bool twoStage = named->Code() == DesignTwoStage;
    const DesignChoice choice{named->Code(), IntField(request, "variable", 1, SimulationState.variableCount),
                              0, ClusterFieldNumber(StringField(request, "clusters")),
                              twoStage ? ClusterFieldNumber(StringField(request, "unitsPerCluster")) : 0};
    const int target = request.contains("target")
                           ? IntField(request, "target", 1, SimulationState.variableCount)
                           : SimulationState.targetVariable;
    const int recordTarget = SimulationState.targetVariable;
    SimulationState.targetVariable = target;
    const std::vector<StatisticsRow> rows = ClusterSummaryRows(choice);
    SimulationState.targetVariable = recordTarget;
    return Answer().Add("rows", LabelledValues(rows)).Text();
}

/// tarvek-batch's options for the population opened, which they may not name.
std::string Configure(const Json& request)
{
    RequirePopulation();
    std::vector<std::string> arguments = StringsField(request, "arguments");
    arguments.insert(arguments.end(), {"--", TheSession().populationFile});
    const BatchOptions options = ParseCommandLine(arguments);
    RefuseOtherOptions(options);
    ApplyOptions(options);
    return SettingsAnswer();
}

std::string LessonRequest(const Json& request)
{
    const Lesson lesson = ParseLesson(StringField(request, "text"));
    const std::vector<std::string> arguments = LessonArguments(lesson);
    const LessonSwitches& switches = lesson.switches;
    return Answer()
        .Add("population", JsonString(lesson.population))
        .Add("columns", JsonStrings(lesson.columns))
        .Add("dropMissing", JsonBool(lesson.dropMissing))
        .Add("arguments", JsonStrings(arguments))
        .Add("switches", JsonObject()
                             .Add("colourMissed", JsonBool(switches.colourMissed))
                             .Add("markFull", JsonBool(switches.markFull))
                             .Add("slowMotion", JsonBool(switches.slowMotion))
                             .Add("fitScale", JsonBool(switches.fitScale))
                             .Text())
        .Text();
}

/// The lesson's population checked as tarvek-batch checks it, then its settings
/// and seed applied.
std::string ApplyLessonRequest(const Json& request)
{
    const Session& session = TheSession();
    const Lesson lesson = ParseLesson(StringField(request, "text"));
    RequirePopulation();
    if (std::string refusal = PopulationBytesRefusal(lesson, session.populationFile, session.populationBytes);
        !refusal.empty()) {
        throw Refusal(refusal);
    }
    if (session.populationColumns == lesson.columns) {
        if (std::string refusal = PopulationSizeRefusal(lesson); !refusal.empty()) {
            throw Refusal(refusal);
        }
    }
    std::vector<std::string> arguments = LessonArguments(lesson);
    arguments.insert(arguments.end(), {"--", session.populationFile});
    ApplyOptions(ParseCommandLine(arguments));
    return SettingsAnswer();
}

/// The record, the generator's seed, the graph's marks and the page's own
/// switches as a lesson of the population opened, named by its file name, as
/// the desktop saves one.
std::string SaveLesson(const Json& request)
{
    RequirePopulation();
    const Session& session = TheSession();
    const PlotOptions& marks = session.options.plotOptions;
    const LessonSwitches switches{marks.colourMissedIntervals, marks.markFullClasses,
                                  BoolField(request, "slowMotion"), BoolField(request, "fitScale")};
    Lesson lesson = LessonOfRecord(switches);
    lesson.population = std::filesystem::path(session.populationFile).filename().string();
    lesson.units = SimulationState.unitCount;
    lesson.variables = SimulationState.variableCount;
    lesson.checksum = PopulationChecksum(session.populationBytes);
    lesson.columns = session.populationColumns;
    lesson.dropMissing = session.populationDropMissing;
    return Answer().Add("text", JsonString(LessonText(lesson))).Text();
}

std::string Begin(const Json& request)
{
    RequirePopulation();
    if (SimulationState.sampleSize < 2) {
        throw Refusal(InterfaceTexts.messageTexts[2]);
    }
    const bool intervals = SimulationState.confidenceIntervalMode;
    const char* kindName = intervals ? "intervals" : "histogram";
    if (request.contains("graph") && StringField(request, "graph") != kindName) {
        throw Refusal(std::string("The settings show the graph ") + kindName + "!");
    }
    const bool fitScale = BoolField(request, "fitScale");
    Session& session = TheSession();
    EndRun();
    session.engine.StartRun();
    const GraphKind kind = intervals ? GraphKind::Intervals : GraphKind::Histogram;
    session.graph = fitScale ? StartFittedRunGraph(session.engine, kind)
                             : StartRunGraph(kind, session.engine.scale(), session.engine.populationMean());
    session.estimates.emplace(session.estimatesText);
    session.report.emplace(session.options);
    session.running = true;
    return Answer().Add("run", RunObject()).Add("graph", GraphObject()).Text();
}

std::string Next(const Json& request)
{
    RequireRun();
    const int count = IntField(request, "count", 1, MaxRunSamples);
    Session& session = TheSession();
    const bool intervals = SimulationState.confidenceIntervalMode;
    std::deque<SampleResult> last;
    SampleResult sample;
    DrawStatus status = DrawStatus::Accepted;
    for (int drawn = 0; drawn < count && (status = session.engine.NextSample(sample)) == DrawStatus::Accepted;
         ++drawn) {
        AddSample(session.graph, sample);
        session.estimates->WriteRow(RunNumber, sample, intervals);
        last.push_back(sample);
        if (last.size() > LastSamplesShown) {
            last.pop_front();
        }
    }
    std::vector<std::string> samples;
    for (const SampleResult& shown : last) {
        samples.push_back(SampleObject(shown, intervals));
    }
    return Answer()
        .Add("run", RunObject())
        .Add("graph", GraphObject())
        .Add("last", JsonArray(samples))
        .Add("message", status == DrawStatus::BoundReached ? JsonString(RejectionBoundMessage) : "null")
        .Text();
}

std::string Statistics(const Json&)
{
    RequireRun();
    const Session& session = TheSession();
    const RunEngine& engine = session.engine;
    std::vector<StatisticsRow> lines = StatisticsTableLines(engine, session.options.monteCarloErrors);
    for (StatisticsRow& line : lines) {
        if (line.label == InterfaceTexts.statisticsTexts[SimulationsRow + 1]) {
            line.value = SimulationsProgressValue(engine.samplesDrawn(), engine.simulationCount());
        }
    }
    return Answer().Add("title", JsonString("Statistics")).Add("rows", LabelledValues(lines)).Text();
}

std::string Sample(const Json&)
{
    RequirePopulation();
    const TSimulationState& s = SimulationState;
    const std::string group = GroupHeading();
    const bool withAuxiliary = IsVariableNumber(s.auxiliaryVariable);
    std::vector<std::string> columns = {"Unit", s.variableNames[VariableColumn(s.targetVariable)]};
    if (withAuxiliary) {
        columns.push_back(s.variableNames[VariableColumn(s.auxiliaryVariable)]);
    }
    columns.emplace_back("Responded");
    if (!group.empty()) {
        columns.push_back(group);
    }
    std::vector<std::string> rows;
    for (const ListedUnit& listed : ListLastSample()) {
        std::vector<std::string> row = {std::to_string(listed.unit), JsonNumber(TargetValue(listed.unit))};
        if (withAuxiliary) {
            row.push_back(JsonNumber(AuxiliaryValue(listed.unit)));
        }
        row.push_back(JsonBool(listed.responded));
        if (!group.empty()) {
            row.push_back(std::to_string(listed.group));
        }
        rows.push_back(JsonArray(row));
    }
    return Answer().Add("columns", JsonStrings(columns)).Add("rows", JsonArray(rows)).Text();
}

std::string BoxObject(const std::string& variant, const BoxSummary& box)
{
    std::vector<std::string> outliers;
    for (const double value : box.outliers) {
        outliers.push_back(JsonNumber(value));
    }
    return JsonObject()
        .Add("variant", JsonString(variant))
        .Add("lowerWhisker", JsonNumberOr(box.lowerWhisker, box.available))
        .Add("lowerQuartile", JsonNumberOr(box.lowerQuartile, box.available))
        .Add("median", JsonNumberOr(box.median, box.available))
        .Add("upperQuartile", JsonNumberOr(box.upperQuartile, box.available))
        .Add("upperWhisker", JsonNumberOr(box.upperWhisker, box.available))
        .Add("outliers", JsonArray(outliers))
        .Text();
}

/// The box plots' common scale and its texts, as the renderer draws them.
std::string BoxAxisObject(const std::vector<BoxSummary>& boxes, double populationMean)
{
    const BoxAxis axis = BoxAxisFor(boxes, populationMean);
    const std::array<std::string, 3> labels = BoxAxisLabels(axis);
    return JsonObject()
        .Add("low", JsonNumber(axis.low))
        .Add("high", JsonNumber(axis.high))
        .Add("labels", JsonStrings({labels.begin(), labels.end()}))
        .Text();
}

std::vector<std::string> SplitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

/// The variant lines of --compare's table, which follow its header, field by field.
std::string TableRows(const std::string& tableText)
{
    const std::vector<std::string> lines = SplitAt(tableText, '\n');
    std::vector<std::string> rows;
    const auto blank = std::find(lines.begin(), lines.end(), "");
    for (auto line = blank == lines.end() ? blank : blank + 2; line < lines.end(); ++line) {
        rows.push_back(JsonStrings(SplitAt(*line, '\t')));
    }
    return JsonArray(rows);
}

/// tarvek-batch's document on one line, as every answer is: a JSON string holds
/// no line end, so the line ends and the indentation after them only lay it out.
std::string OnOneLine(const std::string& document)
{
    std::string line;
    bool indentation = false;
    for (const char c : document) {
        indentation = c == '\n' || (indentation && c == ' ');
        if (!indentation) {
            line.push_back(c);
        }
    }
    return line;
}

/// The variants on shared samples as tarvek-batch --compare runs them; the
/// record's settings stay as they were.
std::string Compare(const Json& request)
{
    RequirePopulation();
    BatchOptions options;
    options.populationPath = TheSession().populationFile;
    options.compareVariants = StringField(request, "variants");
    // Out of range, tarvek-batch's own check refuses it.
    options.simulations =
        IntField(request, "samples", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    options.intervals = BoolField(request, "intervals");
    options.monteCarloErrors = BoolField(request, "mcError");
    options.json = true;
    const std::vector<CompareVariantOption> variants = ParseCompareVariants(*options.compareVariants);
    const TSimulationState before = SimulationState;
    if (std::string refusal = ApplyCompareSettings(options); !refusal.empty()) {
        SimulationState = before;
        throw Refusal(refusal);
    }
    std::ostringstream tables, json;
    tables.imbue(std::locale::classic());
    json.imbue(std::locale::classic());
    ComparisonResult last;
    std::string stopped;
    const ComparisonOutputs outputs{&tables, &json, nullptr,
                                    [&](const ComparisonResult& result) { last = result; }};
    RunComparisons(options, outputs,
                   [&](const std::string& message) { stopped += (stopped.empty() ? "" : "\n") + message; });
    SimulationState = before;
    std::vector<std::string> boxes;
    std::vector<BoxSummary> summaries;
    for (std::size_t v = 0; v < variants.size() && v < last.tallies.size(); ++v) {
        summaries.push_back(SummarizeForBoxPlot(last.tallies[v].estimates));
        boxes.push_back(BoxObject(variants[v].text, summaries.back()));
    }
    const std::string table =
        JsonObject()
            .Add("columns", JsonStrings(ComparisonColumns(options.intervals, options.monteCarloErrors)))
            .Add("rows", TableRows(tables.str()))
            .Add("text", JsonString(tables.str()))
            .Text();
    return Answer()
        .Add("result", OnOneLine(json.str()))
        .Add("boxes", JsonArray(boxes))
        .Add("axis", BoxAxisObject(summaries, last.populationMean))
        .Add("table", table)
        .Add("message", stopped.empty() ? "null" : JsonString(stopped))
        .Text();
}

/// An answer whose "text" is what `write` writes, numbers with "." whatever the locale.
std::string TextAnswer(const std::function<void(std::ostream&)>& write)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    write(text);
    return Answer().Add("text", JsonString(text.str())).Text();
}

std::string EstimatesCsvRequest(const Json&)
{
    RequireRun();
    return Answer().Add("text", JsonString(TheSession().estimatesText.str())).Text();
}

std::string RunJson(const Json&)
{
    RequireRun();
    const Session& session = TheSession();
    JsonReport report = *session.report;
    report.AddRun(RunNumber, session.engine);
    return TextAnswer([&report](std::ostream& text) { report.Write(text); });
}

std::string Describe(const Json&)
{
    RequirePopulation();
    return TextAnswer([](std::ostream& text) {
        WritePopulationSummary(text);
        WriteVariableCodes(text);
    });
}

/// The population as a .pop file, as the desktop's Save population and
/// tarvek-batch --write-population write it.
std::string WritePopulationRequest(const Json&)
{
    RequirePopulation();
    return TextAnswer([](std::ostream& text) { WritePopulation(text); });
}

std::string Version(const Json&)
{
    return Answer().Add("version", JsonString(VersionNumber())).Text();
}

std::string RunState(const Json&)
{
    return Answer().Add("run", RunObject()).Text();
}

/// Ends the open run, as new settings do, for a change only the page knows of.
std::string EndRunRequest(const Json&)
{
    EndRun();
    return RunState({});
}

std::string CssColour(PlotRgb rgb)
{
    return "rgb(" + std::to_string(rgb.red) + "," + std::to_string(rgb.green) + "," +
           std::to_string(rgb.blue) + ")";
}

std::string BoxGeometryObject()
{
    using namespace plot_geometry;
    return JsonObject()
        .Add("width", BoxPictureWidth)
        .Add("topMargin", BoxTopMargin)
        .Add("rowHeight", BoxRowHeight)
        .Add("halfHeight", BoxHalfHeight)
        .Add("capHalfHeight", WhiskerCapHalfHeight)
        .Add("labelLeft", BoxLabelLeft)
        .Add("labelRoom", BoxLabelRoom)
        .Add("rightMargin", BoxPlotRightMargin)
        .Add("axisGap", BoxAxisGap)
        .Add("tickLength", BoxTickLength)
        .Add("bottomRoom", BoxBottomRoom)
        .Text();
}

/// The renderer's colours, the plot frame's place in the window and the
/// pictures' pixel rules that no run's frame decides.
std::string PlotStyle(const Json&)
{
    JsonObject colours;
    for (const auto& [name, rgb] : plot_colours::Named) {
        colours.Add(name, JsonString(CssColour(rgb)));
    }
    return Answer()
        .Add("colours", colours.Text())
        .Add("frame", JsonObject()
                          .Add("left", PlotFrameLeft)
                          .Add("top", PlotFrameTop)
                          .Add("width", PlotFrameWidth)
                          .Add("height", PlotFrameHeight)
                          .Text())
        .Add("intervalPen", plot_geometry::IntervalPenWidth)
        .Add("fullMark", JsonObject()
                             .Add("rows", plot_geometry::FullMarkRows)
                             .Add("gap", plot_geometry::FullMarkGap)
                             .Text())
        .Add("box", BoxGeometryObject())
        .Text();
}

using Handler = std::string (*)(const Json&);

const std::map<std::string, Handler, std::less<>>& Handlers()
{
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"open", Open},
        {"import", Import},
        {"missing_rows", MissingRows},
        {"cluster_summary", ClusterSummary},
        {"configure", Configure},
        {"lesson", LessonRequest},
        {"apply_lesson", ApplyLessonRequest},
        {"save_lesson", SaveLesson},
        {"begin", Begin},
        {"next", Next},
        {"statistics", Statistics},
        {"sample", Sample},
        {"compare", Compare},
        {"estimates_csv", EstimatesCsvRequest},
        {"run_json", RunJson},
        {"describe", Describe},
        {"write_population", WritePopulationRequest},
        {"version", Version},
        {"run_state", RunState},
        {"end_run", EndRunRequest},
        {"plot_style", PlotStyle},
    };
    return handlers;
}

std::string Refused(const std::string& message)
{
    return JsonObject().Add("ok", JsonBool(false)).Add("message", JsonString(message)).Text();
}

std::string Dispatch(std::string_view text)
{
    const Json request = Json::parse(text, nullptr, false);
    if (request.is_discarded() || !request.is_object()) {
        return Refused("The request is not a JSON object!");
    }
    const std::string op = StringField(request, "op");
    const auto handler = Handlers().find(op);
    if (handler == Handlers().end()) {
        return Refused("Unknown request \"" + op + "\"!");
    }
    return handler->second(request);
}

}  // namespace

std::string HandleRequest(std::string_view json)
{
    if (InterfaceTexts.messageTexts[1].empty()) {
        FillInterfaceTexts();
    }
    try {
        return Dispatch(json);
    } catch (const std::exception& error) {
        return Refused(error.what());
    }
}

std::vector<std::string> RequestNames()
{
    std::vector<std::string> names;
    for (const auto& [name, handler] : Handlers()) {
        names.push_back(name);
    }
    return names;
}

void PutFile(std::string bytes)
{
    TheSession().putBytes = std::move(bytes);
}
