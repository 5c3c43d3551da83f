// tarvek-batch: the command-line simulator. One process is one program start of
// the desktop program: it reads one population, applies the settings given and
// performs the runs that Begin and Automatic would perform, on the same random
// sequence.

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <locale>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "engine/designs/sampling_design.h"
#include "engine/lesson.h"
#include "engine/plot_frame.h"
#include "engine/run_engine.h"
#include "batch/atomic_file.h"
#include "batch/batch_json.h"
#include "batch/batch_compare.h"
#include "batch/batch_options.h"
#include "batch/batch_output.h"
#include "batch/batch_population.h"
#include "batch/batch_settings.h"
#include "batch/plot_request.h"
#include "batch/program_folder.h"
#include "batch/progress_line.h"
#include "texts/interface_text_table.h"

namespace {

enum ExitStatus {
    ExitSuccess = 0,
    ExitFileError = 1,
    ExitRefused = 2,
    ExitBoundReached = 3,
};

constexpr const char* ProgramName = "tarvek-batch";

int Fail(const std::string& message, ExitStatus status)
{
    std::cerr << ProgramName << ": " << message << '\n';
    return status;
}

/// Warns about designs whose every sample is slow to draw; the run goes on.
void WarnAboutSlowDraws(const std::vector<DesignChoice>& choices)
{
    for (const DesignChoice& choice : choices) {
        const std::string warning =
            DesignOf(choice.design).SlowDrawWarning(choice, SimulationState.sampleSize);
        if (!warning.empty()) {
            std::cerr << ProgramName << ": warning: " << warning << '\n';
        }
    }
}

std::vector<DesignChoice> ComparedDesigns(const BatchOptions& options)
{
    std::vector<DesignChoice> designs;
    for (const CompareVariantOption& variant : ParseCompareVariants(*options.compareVariants)) {
        designs.push_back(variant.variant.design);
    }
    return designs;
}

/// Where the CSV of accepted samples goes, if anywhere.
struct EstimatesTarget {
    AtomicFile file;
    std::ostream* stream = nullptr;
    std::optional<EstimatesCsv> csv;
    bool toStandardOutput = false;
};

/// Opens the CSV target; returns the system's reason when the file cannot be created.
std::string OpenEstimates(const BatchOptions& options, EstimatesTarget& target)
{
    if (!options.estimatesPath) {
        return "";
    }
    if (*options.estimatesPath == "-") {
        target.toStandardOutput = true;
        target.stream = &std::cout;
        return "";
    }
    if (const std::string failure = target.file.Open(*options.estimatesPath); !failure.empty()) {
        return *options.estimatesPath + ": " + failure;
    }
    target.file.stream().imbue(std::locale::classic());
    target.stream = &target.file.stream();
    return "";
}

/// Draws every sample of one run; false when the run stopped at the bound on
/// rejected draws.
bool PerformRun(RunEngine& engine, int run, EstimatesTarget& estimates, RunGraph& graph,
                ProgressLine& progress, int runs)
{
    engine.StartRun();
    const GraphKind kind =
        SimulationState.confidenceIntervalMode ? GraphKind::Intervals : GraphKind::Histogram;
    graph = StartRunGraph(kind, engine.scale(), engine.populationMean());
    SampleResult sample;
    DrawStatus status = DrawStatus::Accepted;
    while ((status = engine.NextSample(sample)) == DrawStatus::Accepted) {
        AddSample(graph, sample);
        if (estimates.csv) {
            estimates.csv->WriteRow(run, sample, SimulationState.confidenceIntervalMode);
        }
        progress.Update(run, runs, engine.samplesDrawn(), engine.simulationCount());
    }
    return status != DrawStatus::BoundReached;
}

/// The graph of the last run as the picture module takes it.
PlotRequest MakePlotRequest(const std::string& fileName, const RunGraph& graph, const PlotOptions& options)
{
    PlotRequest request;
    request.fileName = fileName.c_str();
    request.graph = graph;
    request.options = options;
    return request;
}

/// The results of the runs: the tables (with --mc-error their Monte Carlo
/// lines), the JSON document at the end, or nothing when the CSV of the
/// estimates takes standard output.
class RunResults {
public:
    RunResults(const BatchOptions& options, bool tables) : options_(options), tables_(tables && !options.json)
    {
        if (options.json) {
            json_.emplace(options);
        }
    }

    void Add(int run, const RunEngine& engine)
    {
        if (json_) {
            json_->AddRun(run, engine);
        }
        if (!tables_) {
            return;
        }
        if (options_.runs > 1) {
            std::cout << "Run " << run << '\n';
        }
        WriteStatisticsTable(std::cout, engine, options_.monteCarloErrors);
    }

    void Finish()
    {
        if (json_) {
            json_->Write(std::cout);
        }
        std::cout.flush();
    }

private:
    const BatchOptions& options_;
    bool tables_;
    std::optional<JsonReport> json_;
};

/// Puts the CSV file, if any, in place with the rows drawn, also after a run
/// that stopped early; returns `status`, or reports a write that failed.
int CloseEstimates(const BatchOptions& options, EstimatesTarget& estimates, int status = ExitSuccess)
{
    if (estimates.file.writing() && !estimates.file.Commit()) {
        return Fail(*options.estimatesPath + ": the file could not be written", ExitFileError);
    }
    return status;
}

int Compare(const BatchOptions& options)
{
    EstimatesTarget estimates;
    if (const std::string failure = OpenEstimates(options, estimates); !failure.empty()) {
        return Fail(failure, ExitFileError);
    }
    if (options.seed) {
        SetRandomSeed(*options.seed);
    }
    // The CSV of the estimates on standard output takes the place of the tables.
    ComparisonOutputs outputs;
    outputs.tables = estimates.stream != &std::cout && !options.json ? &std::cout : nullptr;
    outputs.json = options.json ? &std::cout : nullptr;
    outputs.estimates = estimates.stream;
    const bool completed =
        RunComparisons(options, outputs, [](const std::string& message) { Fail(message, ExitBoundReached); });
    return CloseEstimates(options, estimates, completed ? ExitSuccess : ExitBoundReached);
}

int Simulate(const BatchOptions& options)
{
    EstimatesTarget estimates;
    if (const std::string failure = OpenEstimates(options, estimates); !failure.empty()) {
        return Fail(failure, ExitFileError);
    }
    if (options.seed) {
        SetRandomSeed(*options.seed);
    }
    RunResults results(options, !estimates.toStandardOutput);
    ProgressLine progress(std::cerr, isatty(STDERR_FILENO) == 1);
    progress.Start();
    if (estimates.stream != nullptr) {
        estimates.csv.emplace(*estimates.stream);
    }
    RunEngine engine;
    RunGraph graph;
    for (int run = 1; run <= options.runs; ++run) {
        const bool completed = PerformRun(engine, run, estimates, graph, progress, options.runs);
        progress.Erase();
        results.Add(run, engine);
        if (!completed) {
            results.Finish();
            return CloseEstimates(options, estimates, Fail(RejectionBoundMessage, ExitBoundReached));
        }
    }
    results.Finish();
    if (options.plotPath) {
        const std::string failure =
            WritePlotWithModule(MakePlotRequest(*options.plotPath, graph, options.plotOptions));
        if (!failure.empty()) {
            return CloseEstimates(options, estimates,
                                  Fail(*options.plotPath + ": " + failure, ExitFileError));
        }
    }
    return CloseEstimates(options, estimates);
}

/// --describe and --write-population: the summary and codes, the population
/// file, or both; no simulation.
int DescribeOrWritePopulation(const BatchOptions& options)
{
    if (options.describe && options.json) {
        WriteJsonPopulationSummary(std::cout);
    } else if (options.describe) {
        WritePopulationSummary(std::cout);
        WriteVariableCodes(std::cout);
    }
    if (!options.writePopulationPath) {
        return ExitSuccess;
    }
    const std::string& path = *options.writePopulationPath;
    if (path == "-") {
        WritePopulation(std::cout);
        return ExitSuccess;
    }
    AtomicFile file;
    if (const std::string failure = file.Open(path); !failure.empty()) {
        return Fail(path + ": " + failure, ExitFileError);
    }
    WritePopulation(file.stream());
    if (!file.Commit()) {
        return Fail(path + ": the file could not be written", ExitFileError);
    }
    return ExitSuccess;
}

/// The lesson's population as the desktop program finds it: where the lesson
/// names it, else a file of that name beside the lesson, else the shipped
/// example of that name.
std::string LessonPopulationFile(const std::string& lessonPath, const Lesson& lesson)
{
    if (std::string found = ExistingLessonPopulation(lessonPath, lesson); !found.empty()) {
        return found;
    }
    const std::filesystem::path example = ExamplePopulation(LessonPopulationFileName(lesson));
    return example.empty() ? LessonPopulationPath(lessonPath, lesson) : example.string();
}

/// The lesson's settings as options, then the command line's without the
/// lesson's path (nor the "--" just before it), so that the command line's
/// options override the lesson's; the population last, after "--".
std::vector<std::string> WithLesson(const Lesson& lesson, const std::string& lessonPath,
                                    const std::vector<std::string>& arguments)
{
    std::vector<std::string> combined = LessonArguments(lesson);
    const auto lessonAt = std::find(arguments.begin(), arguments.end(), lessonPath);
    for (auto at = arguments.begin(); at != arguments.end(); ++at) {
        const bool endOfOptions = *at == "--" && std::next(at) == lessonAt;
        if (at != lessonAt && !endOfOptions) {
            combined.push_back(*at);
        }
    }
    combined.insert(combined.end(), {"--", LessonPopulationFile(lessonPath, lesson)});
    return combined;
}

int RunBatch(int argc, char** argv)
{
    FillInterfaceTexts();
    BatchOptions options;
    std::optional<Lesson> lesson;
    try {
        std::vector<std::string> arguments(argv + 1, argv + argc);
        options = ParseCommandLine(arguments);
        if (IsLessonFileName(options.populationPath)) {
            lesson = ParseLesson(ReadLessonFile(options.populationPath));
            const bool columnsGiven = options.columns.has_value();
            options = ParseCommandLine(WithLesson(*lesson, options.populationPath, arguments));
            options.columnsFromLesson = !columnsGiven && !lesson->columns.empty();
            if (const std::string refusal = PopulationFileRefusal(*lesson, options.populationPath);
                !refusal.empty()) {
                return Fail(refusal, ExitRefused);
            }
        }
    } catch (const UsageError& error) {
        return Fail(error.what(), ExitRefused);
    } catch (const LessonError& error) {
        return Fail(error.what(), ExitFileError);
    }
    if (options.help) {
        std::cout << UsageText();
        return ExitSuccess;
    }
    if (options.version) {
        std::cout << ProgramName << ' ' << SimulationState.versionText << '\n';
        return ExitSuccess;
    }
    try {
        ReadBatchPopulation(options);
    } catch (const PopulationFileError& error) {
        return Fail(options.populationPath + ": " + error.what(), ExitFileError);
    } catch (const UsageError& error) {
        return Fail(error.what(), ExitRefused);
    }
    // Columns of the command line make another population than the lesson's.
    if (lesson && options.columns.value_or(std::vector<std::string>{}) == lesson->columns) {
        if (const std::string refusal = PopulationSizeRefusal(*lesson); !refusal.empty()) {
            return Fail(refusal, ExitRefused);
        }
    }
    if (options.describe || options.writePopulationPath) {
        return DescribeOrWritePopulation(options);
    }
    if (options.compareVariants) {
        if (const std::string refusal = ApplyCompareSettings(options); !refusal.empty()) {
            return Fail(refusal, ExitRefused);
        }
        WarnAboutSlowDraws(ComparedDesigns(options));
        return Compare(options);
    }
    if (const std::string refusal = ApplySettings(options); !refusal.empty()) {
        return Fail(refusal, ExitRefused);
    }
    WarnAboutSlowDraws({RecordDesignChoice()});
    return Simulate(options);
}

}  // namespace

int main(int argc, char** argv)
{
    std::cout.imbue(std::locale::classic());
    std::cerr.imbue(std::locale::classic());
    int status = ExitFileError;
    try {
        status = RunBatch(argc, argv);
    } catch (const std::exception& error) {
        return Fail(error.what(), ExitFileError);
    }
    std::cout.flush();
    if (!std::cout) {
        return Fail("standard output could not be written", ExitFileError);
    }
    return status;
}
