// Benchmarks of the stratified and the systematic design: a whole run beside one
// of equal probabilities, and the exact systematic theory on large lists.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_runner.h"
#include "core/allocation.h"
#include "core/systematic_sampling.h"
#include "engine/estimators/estimator.h"
#include "engine/run_engine.h"

namespace {

// Variable 3 of the benchmark population takes the values 1..3: the strata.
constexpr int StratumVariable = 3;
constexpr int OrderVariable = 2;

struct DesignRun {
    const char* name;
    DesignCode design;
    AllocationCode allocation;
    int order;
};

constexpr std::array Runs = {
    DesignRun{"equal", DesignEqualProbabilities, AllocationProportional, 0},
    DesignRun{"stratified/proportional", DesignStratified, AllocationProportional, 0},
    DesignRun{"stratified/equal", DesignStratified, AllocationEqual, 0},
    DesignRun{"stratified/optimal", DesignStratified, AllocationOptimal, 0},
    DesignRun{"systematic/file_order", DesignSystematic, AllocationProportional, 0},
    DesignRun{"systematic/ordered", DesignSystematic, AllocationProportional, OrderVariable},
};

/// A whole run of 1000 samples of the direct estimator, preparation included.
void WholeRun(benchmark::State& state, DesignRun run, int n, bool intervals)
{
    BenchSettings settings;
    settings.sampleSize = n;
    settings.intervals = intervals;
    if (!PrepareSettings(state, settings)) {
        return;
    }
    SimulationState.designCode = run.design;
    SimulationState.auxiliaryVariable = StratumVariable;
    SimulationState.allocationCode = run.allocation;
    SimulationState.systematicOrder = run.order;
    MeasureWholeRuns(state);
}

/// y and x on a list of N units: a trend with noise, x related to y, three strata.
struct LargeList {
    std::vector<double> target;
    std::vector<double> auxiliary;
};

const LargeList& ListOf100000()
{
    static const LargeList list = [] {
        constexpr int units = 100000;
        LargeList made;
        std::mt19937 generator(20240601u);
        std::normal_distribution<double> noise(0.0, 10.0);
        for (int i = 0; i < units; ++i) {
            const double x = 1.0 + (i % 3) + 0.001 * i;
            made.auxiliary.push_back(x);
            made.target.push_back(50.0 + 20.0 * std::sin(i * 0.01) + 5.0 * x + noise(generator));
        }
        return made;
    }();
    return list;
}

void SystematicTheoryOf100000(benchmark::State& state, const Estimator* estimator)
{
    const LargeList& list = ListOf100000();
    SystematicTheoryInput input{list.target, list.auxiliary, static_cast<int>(state.range(0)),
                                estimator->OnSystematicSums(), estimator->ReadsAuxiliary()};
    double sum = 0.0;
    for (const double x : list.auxiliary) {
        sum += x;
    }
    input.auxiliaryMean = sum / list.auxiliary.size();
    input.strata = estimator->ReadsPostStrata() ? 3 : 0;
    input.stratumWeights = {0.0, 1.0 / 3, 1.0 / 3, 1.0 / 3};
    for (auto _ : state) {
        const TheoryValues values = SystematicTheory(input);
        if (!values.standardError) {
            state.SkipWithError("no theory");
            break;
        }
        benchmark::DoNotOptimize(values);
    }
}

void RegisterWholeRuns()
{
    for (const DesignRun& run : Runs) {
        for (const int n : {100, 1000}) {
            for (const bool intervals : {false, true}) {
                const std::string name = std::string("WholeRun/") + run.name + "/n:" + std::to_string(n) +
                                         (intervals ? "/intervals" : "");
                benchmark::RegisterBenchmark(name.c_str(), WholeRun, run, n, intervals)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

void RegisterSystematicTheory()
{
    for (const Estimator* estimator : Estimators()) {
        benchmark::RegisterBenchmark(
            (std::string("SystematicTheory/N:100000/") + std::string(estimator->Name())).c_str(),
            SystematicTheoryOf100000, estimator)
            ->Args({2})
            ->Args({10})
            ->Args({1000})
            ->Args({30000})
            ->Args({50000})
            ->Args({99999})
            ->Args({100000})
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    RegisterWholeRuns();
    RegisterSystematicTheory();
    return RunRegisteredBenchmarks(argc, argv);
}
