// Benchmarks of the sampling core and the run engine: one accepted sample for
// every design and estimator, a whole run, the ordering of units and the
// population reader.

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>

#include "bench/bench_population.h"
#include "bench/bench_runner.h"
#include "core/ordering.h"
#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"

namespace {

constexpr std::array Designs = {DesignEqualProbabilities, DesignProportionalToSize};
constexpr std::array Estimators = {EstimatorDirect, EstimatorRatio, EstimatorRegression,
                                   EstimatorPostStratified};
constexpr std::array SampleSizes = {10, 100, 1000};
/// The units of the benchmark population and of the sorted lists.
constexpr int PopulationUnits = 1000;

/// The cost of one accepted sample.
void AcceptedSample(benchmark::State& state, BenchSettings settings)
{
    if (PrepareSettings(state, settings)) {
        MeasureAcceptedSamples(state);
    }
}

/// A whole run of 1000 samples, preparation included, as Automatic or one run of
/// the batch simulator performs it.
void WholeRun(benchmark::State& state, BenchSettings settings)
{
    if (PrepareSettings(state, settings)) {
        MeasureWholeRuns(state);
    }
}

enum class Ordering { Random, Sorted, AllEqual };

/// 1000 units whose variable 1 holds values in the given order.
void FillSortPopulation(Ordering ordering)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = PopulationUnits;
    SimulationState.variableCount = 1;
    std::mt19937 generator(20240601u);
    std::uniform_real_distribution<double> uniform(0.0, 1000.0);
    for (int unit = 1; unit <= PopulationUnits; ++unit) {
        double value = 5.0;
        if (ordering == Ordering::Random) {
            value = uniform(generator);
        } else if (ordering == Ordering::Sorted) {
            value = unit;
        }
        SimulationState.populationData[unit][1] = value;
    }
}

void SortUnits(benchmark::State& state, Ordering ordering)
{
    FillSortPopulation(ordering);
    UnitList list{};
    for (auto _ : state) {
        SortUnitsByVariable(1, list);
        benchmark::DoNotOptimize(list);
    }
}

void ReadPopulationFile(benchmark::State& state)
{
    for (auto _ : state) {
        if (const std::string failure = ReadBenchPopulation(); !failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
}

/// One equal-probability draw of 10 units from a population of `units` units:
/// the cost must not grow with the population.
void EqualDrawOfTen(benchmark::State& state, int units)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = units;
    SimulationState.variableCount = 1;
    SimulationState.sampleSize = 10;
    for (auto _ : state) {
        DrawSampleEqualProbabilities();
        benchmark::DoNotOptimize(SimulationState.sampleUnits[1]);
    }
}

void RegisterAcceptedSamples()
{
    for (const DesignCode design : Designs) {
        for (const EstimatorCode estimator : Estimators) {
            for (const bool intervals : {false, true}) {
                for (const bool nonresponse : {false, true}) {
                    for (const int n : SampleSizes) {
                        const BenchSettings settings{design, estimator, n, intervals, nonresponse};
                        benchmark::RegisterBenchmark(
                            ("AcceptedSample/" + BenchSettingsName(settings)).c_str(), AcceptedSample,
                            settings);
                    }
                }
            }
        }
    }
}

void RegisterWholeRuns()
{
    for (const DesignCode design : Designs) {
        for (const EstimatorCode estimator : Estimators) {
            for (const bool intervals : {false, true}) {
                const BenchSettings settings{design, estimator, PopulationUnits, intervals, false};
                benchmark::RegisterBenchmark(("WholeRun/" + BenchSettingsName(settings)).c_str(), WholeRun,
                                             settings)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

void RegisterOrderingAndReading()
{
    benchmark::RegisterBenchmark("SortUnitsByVariable/random", SortUnits, Ordering::Random);
    benchmark::RegisterBenchmark("SortUnitsByVariable/sorted", SortUnits, Ordering::Sorted);
    benchmark::RegisterBenchmark("SortUnitsByVariable/all_equal", SortUnits, Ordering::AllEqual);
    benchmark::RegisterBenchmark("ReadPopulation/1000x10", ReadPopulationFile)->Unit(benchmark::kMicrosecond);
}

void RegisterEqualDraws()
{
    for (const int units : {100, MaxUnits}) {
        benchmark::RegisterBenchmark(("EqualDraw/n:10/N:" + std::to_string(units)).c_str(), EqualDrawOfTen,
                                     units);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    RegisterAcceptedSamples();
    RegisterWholeRuns();
    RegisterOrderingAndReading();
    RegisterEqualDraws();
    return RunRegisteredBenchmarks(argc, argv);
}
