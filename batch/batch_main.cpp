// tarvek-batch: the command-line simulator. One process is one program start of
// the desktop program: it reads one population, applies the settings given and
// performs the runs that Begin and Automatic would perform, on the same random
// sequence.

#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <locale>
#include <optional>

#include <QGuiApplication>
#include <QtGlobal>

#include "core/population_file.h"
#include "core/simulation_state.h"
#include "engine/plot_frame.h"
#include "plot/plot_renderer.h"
#include "engine/run_engine.h"
#include "batch/batch_options.h"
#include "batch/batch_output.h"
#include "batch/batch_settings.h"
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

/// Where the CSV of accepted samples goes, if anywhere.
struct EstimatesTarget {
    std::ofstream file;
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
        target.csv.emplace(std::cout);
        return "";
    }
    target.file.open(*options.estimatesPath, std::ios::out | std::ios::trunc);
    if (!target.file) {
        return *options.estimatesPath + ": " + std::strerror(errno);
    }
    target.file.imbue(std::locale::classic());
    target.csv.emplace(target.file);
    return "";
}

/// Draws every sample of one run; false when the run stopped at the bound on
/// rejected draws.
bool PerformRun(RunEngine& engine, int run, EstimatesTarget& estimates, RunGraph& graph)
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
    }
    return status != DrawStatus::BoundReached;
}

/// Standard error carries only this program's own reports, so Qt's notes about
/// its environment (such as a missing runtime folder) are dropped; a fatal
/// error still says why the program ends.
void ReportOnlyFatalQtMessages(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    if (type == QtFatalMsg) {
        Fail(message.toStdString(), ExitFileError);
    }
}

/// Writes the graph of the last run. Text on a picture needs a GUI application;
/// the offscreen platform needs no display.
std::string WritePlot(const std::string& fileName, const RunGraph& graph, const PlotOptions& plotOptions)
{
    qInstallMessageHandler(ReportOnlyFatalQtMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char programName[] = "tarvek-batch";
    char* argv[] = {programName, nullptr};
    const QGuiApplication application(argc, argv);
    return SavePlotPicture(graph, fileName, plotOptions);
}

int Simulate(const BatchOptions& options)
{
    EstimatesTarget estimates;
    if (const std::string failure = OpenEstimates(options, estimates); !failure.empty()) {
        return Fail(failure, ExitFileError);
    }
    const bool printTables = !estimates.toStandardOutput;
    RunEngine engine;
    RunGraph graph;
    for (int run = 1; run <= options.runs; ++run) {
        if (printTables && options.runs > 1) {
            std::cout << "Run " << run << '\n';
        }
        const bool completed = PerformRun(engine, run, estimates, graph);
        if (printTables) {
            WriteStatisticsTable(std::cout, engine);
        }
        if (!completed) {
            std::cout.flush();
            return Fail(RejectionBoundMessage, ExitBoundReached);
        }
    }
    if (options.plotPath) {
        if (const std::string failure = WritePlot(*options.plotPath, graph, options.plotOptions);
            !failure.empty()) {
            return Fail(*options.plotPath + ": " + failure, ExitFileError);
        }
    }
    if (estimates.file.is_open()) {
        estimates.file.close();
        if (!estimates.file) {
            return Fail(*options.estimatesPath + ": the file could not be written", ExitFileError);
        }
    }
    return ExitSuccess;
}

int RunBatch(int argc, char** argv)
{
    FillInterfaceTexts();
    BatchOptions options;
    try {
        options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        return Fail(error.what(), ExitRefused);
    }
    if (options.help) {
        std::cout << UsageText();
        return ExitSuccess;
    }
    if (options.version) {
        std::cout << ProgramName << ' ' << SimulationState.versionText << '\n';
        return ExitSuccess;
    }
    SimulationState.populationName = options.populationPath;
    try {
        ReadPopulation();
    } catch (const PopulationFileError& error) {
        return Fail(options.populationPath + ": " + error.what(), ExitFileError);
    }
    if (options.describe) {
        WritePopulationSummary(std::cout);
        return ExitSuccess;
    }
    if (const std::string refusal = ApplySettings(options); !refusal.empty()) {
        return Fail(refusal, ExitRefused);
    }
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
