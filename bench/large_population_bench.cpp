// Benchmarks at the largest population the program reads, 100,000 units x 10
// variables: reading it from a CSV file and from a population file, "Set" of
// the parameters dialog on ordered and constant variables, whole runs of 1000
// samples of n = 1000, the theory and the population-distribution display, and
// the draws of equal probabilities, strata and size-proportional design side by
// side for small and large n, per whole run and per sample, where a per-sample
// cost of order N would show.
// The population is the benchmark population repeated 100 times, its variable 3
// (values 1..3) written as text.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/bench_population.h"
#include "bench/bench_runner.h"
#include "core/population_file.h"
#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "core/allocation.h"
#include "core/simulation_state.h"
#include "core/theory.h"
#include "engine/estimators/estimator.h"
#include "engine/run_engine.h"
#include "ui/population_distribution_dialog.h"

namespace {

constexpr int Copies = MaxUnits / 1000;
constexpr std::array Designs = {DesignEqualProbabilities, DesignProportionalToSize};
constexpr std::array Estimators = {EstimatorDirect, EstimatorRatio, EstimatorRegression,
                                   EstimatorPostStratified};

std::filesystem::path Folder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "tarvek-large-bench";
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

std::string CsvPath()
{
    return (Folder() / "large.csv").string();
}

std::string PopPath()
{
    return (Folder() / "large.pop").string();
}

/// Writes both files once, from the benchmark population.
void WriteLargeFiles()
{
    if (!ReadBenchPopulation().empty()) {
        return;
    }
    const TSimulationState small = SimulationState;
    std::ofstream csv(CsvPath());
    for (int k = 1; k <= small.variableCount; ++k) {
        csv << (k > 1 ? "," : "") << '"' << small.variableNames[k] << '"';
    }
    csv << '\n';
    char number[32];
    for (int copy = 0; copy < Copies; ++copy) {
        for (int i = 1; i <= small.unitCount; ++i) {
            for (int k = 1; k <= small.variableCount; ++k) {
                csv << (k > 1 ? "," : "");
                if (k == 3) {
                    csv << "level " << small.populationData[i][k];
                } else {
                    std::snprintf(number, sizeof number, "%.6g",
                                  small.populationData[i][k] * (1.0 + copy * 1e-4));
                    csv << number;
                }
            }
            csv << '\n';
        }
    }
    csv.close();
    SimulationState.populationName = CsvPath();
    ReadPopulation();
    std::ofstream pop(PopPath());
    WritePopulation(pop);
}

void ReadFile(benchmark::State& state, const std::string& path)
{
    SetBenchPopulationPath(path);
    for (auto _ : state) {
        if (const std::string failure = ReadBenchPopulation(); !failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    SetBenchPopulationPath(PopPath());
    state.counters["units"] = SimulationState.unitCount;
}

void WholeRun(benchmark::State& state, BenchSettings settings)
{
    if (PrepareSettings(state, settings)) {
        MeasureWholeRuns(state);
    }
}

// Variable 3 (the text "level 1".."level 3") forms the strata; variable 2 is
// the size variable of the size-proportional design.
constexpr int StratumVariable = 3;
constexpr std::array DrawnDesigns = {
    std::pair{"equal", DesignEqualProbabilities},
    std::pair{"stratified", DesignStratified},
    std::pair{"pps", DesignProportionalToSize},
};

/// The settings of a run of the direct estimator under `design`.
bool PrepareDesign(benchmark::State& state, DesignCode design, int n)
{
    BenchSettings settings;
    settings.sampleSize = n;
    if (!PrepareSettings(state, settings)) {
        return false;
    }
    SimulationState.designCode = design;
    if (design == DesignStratified) {
        SimulationState.auxiliaryVariable = StratumVariable;
        SimulationState.allocationCode = AllocationProportional;
    }
    return true;
}

/// A whole run of 1000 samples, its preparation included.
void DesignRun(benchmark::State& state, DesignCode design, int n)
{
    if (PrepareDesign(state, design, n)) {
        MeasureWholeRuns(state);
    }
}

/// One accepted sample of a run of a million, as tarvek-batch draws them: the
/// run's preparation is not timed.
void DesignSample(benchmark::State& state, DesignCode design, int n)
{
    if (PrepareDesign(state, design, n)) {
        SimulationState.simulationCount = MaxRunSamples;
        MeasureAcceptedSamples(state);
    }
}

void Theory(benchmark::State& state, BenchSettings settings)
{
    if (!PrepareSettings(state, settings)) {
        return;
    }
    PrepareAuxiliaryQuantities();
    for (auto _ : state) {
        ComputeTheoreticalProperties();
        benchmark::DoNotOptimize(SimulationState.theoreticalStdError);
    }
}

enum class Order { Ascending, Descending, Constant, Random, TwoValues };

void SetScale(benchmark::State& state, Order order)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = MaxUnits;
    SimulationState.variableCount = 1;
    std::mt19937 generator(20240601u);
    std::uniform_real_distribution<double> uniform(0.0, 1000.0);
    for (int unit = 1; unit <= MaxUnits; ++unit) {
        const std::array values = {double(unit), double(MaxUnits - unit), 5.0, uniform(generator),
                                   double(generator() % 2)};
        SimulationState.populationData[unit][1] = values[static_cast<std::size_t>(order)];
    }
    SetTargetVariable(1);
    SimulationState.scaleSampleSize = 1000;
    for (auto _ : state) {
        SetScaleForSampleSize();
        benchmark::DoNotOptimize(SimulationState.scaleLower);
    }
}

void PopulationDistribution(benchmark::State& state)
{
    if (const std::string failure = ReadBenchPopulation(); !failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    SimulationState.displayVariable = 1;
    TPopDis dialog;
    QImage image(dialog.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        dialog.FormPaint(painter);
    }
}

void Register()
{
    benchmark::RegisterBenchmark("ReadCsv/100000x10", ReadFile, CsvPath())->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadPop/100000x10", ReadFile, PopPath())->Unit(benchmark::kMillisecond);
    const std::array<std::pair<const char*, Order>, 5> orders = {{{"ascending", Order::Ascending},
                                                                  {"descending", Order::Descending},
                                                                  {"constant", Order::Constant},
                                                                  {"random", Order::Random},
                                                                  {"two_values", Order::TwoValues}}};
    for (const auto& [name, order] : orders) {
        benchmark::RegisterBenchmark((std::string("Set/100000/") + name).c_str(), SetScale, order)
            ->Unit(benchmark::kMillisecond);
    }
    for (const DesignCode design : Designs) {
        for (const EstimatorCode estimator : Estimators) {
            const BenchSettings settings{design, estimator, 1000, false, false};
            benchmark::RegisterBenchmark(("WholeRun/N:100000/" + BenchSettingsName(settings)).c_str(),
                                         WholeRun, settings)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Theory/N:100000/" + BenchSettingsName(settings)).c_str(), Theory,
                                         settings)
                ->Unit(benchmark::kMillisecond);
        }
    }
    for (const int n : {10, 100, 1000}) {
        for (const auto& [name, design] : DrawnDesigns) {
            const std::string suffix = std::string("/N:100000/") + name + "/n:" + std::to_string(n);
            benchmark::RegisterBenchmark(("DesignRun" + suffix).c_str(), DesignRun, design, n)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("DesignSample" + suffix).c_str(), DesignSample, design, n)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    benchmark::RegisterBenchmark("PopulationDistribution/100000", PopulationDistribution)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    WriteLargeFiles();
    SetBenchPopulationPath(PopPath());
    Register();
    return RunRegisteredBenchmarks(argc, argv);
}
