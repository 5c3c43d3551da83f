// Benchmarks of cluster and two-stage sampling: the clusters and the theory of a
// population of 100,000 units in 10,000 clusters, and 1000 draws with their
// estimates beside design 10's.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/bench_runner.h"
#include "core/cluster_sampling.h"
#include "core/estimators.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"

namespace {

constexpr int Units = 100000;
constexpr int ClusterCount = 10000;
constexpr int Samples = 1000;

/// Clusters of uneven size scattered over the file (units 1..10,000 open one
/// cluster each, the others join one at random); y with a cluster effect, x > 0.
struct ClusteredPopulation {
    std::vector<double> labels;
    std::vector<double> target;
    std::vector<double> auxiliary;
};

const ClusteredPopulation& Population()
{
    static const ClusteredPopulation population = [] {
        ClusteredPopulation made;
        std::mt19937 generator(20240601u);
        std::uniform_int_distribution<int> cluster(0, ClusterCount - 1);
        std::normal_distribution<double> noise(0.0, 10.0);
        std::vector<double> effects(ClusterCount);
        for (double& effect : effects) {
            effect = noise(generator);
        }
        for (int i = 0; i < Units; ++i) {
            const int g = i < ClusterCount ? i : cluster(generator);
            const double x = 1.0 + (i % 5);
            made.labels.push_back(g);
            made.auxiliary.push_back(x);
            made.target.push_back(50.0 + effects[g] + 3.0 * x + noise(generator));
        }
        return made;
    }();
    return population;
}

const Clusters& PopulationClusters()
{
    static const Clusters clusters = FormClusters(Population().labels);
    return clusters;
}

void FormAllClusters(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormClusters(Population().labels));
    }
}

/// What the cluster dialog computes on a change of its settings: the clusters,
/// the summary, the intraclass correlation and both estimators' theory.
void DialogTheory(benchmark::State& state, ClusterDesign design)
{
    const ClusteredPopulation& population = Population();
    for (auto _ : state) {
        const Clusters clusters = FormClusters(population.labels);
        benchmark::DoNotOptimize(SummarizeClusters(clusters, design));
        benchmark::DoNotOptimize(IntraclassCorrelation(clusters, population.target));
        benchmark::DoNotOptimize(ClusterDirectTheory(clusters, design, population.target));
        benchmark::DoNotOptimize(ClusterRatioTheory(clusters, design, population.target, {}));
    }
}

void DirectTheory(benchmark::State& state, ClusterDesign design)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(ClusterDirectTheory(PopulationClusters(), design, Population().target));
    }
}

/// 1000 draws with the direct estimate and its standard error.
void ClusterRun(benchmark::State& state, ClusterDesign design)
{
    const Clusters& clusters = PopulationClusters();
    TRandomGenerator generator;
    ClusterSample sample;
    double units = 0.0;
    for (auto _ : state) {
        for (int s = 0; s < Samples; ++s) {
            DrawClusterSample(generator, clusters, design, sample);
            benchmark::DoNotOptimize(
                EstimateClusterDirect(sample.units, sample, clusters, Population().target));
            units += static_cast<double>(sample.units.size());
        }
    }
    state.counters["units"] = benchmark::Counter(units / Samples, benchmark::Counter::kAvgIterations);
}

/// The same for design 10 with n = 1000 from the same population in the record.
void EqualRun(benchmark::State& state)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = Units;
    SimulationState.variableCount = 1;
    SimulationState.targetVariable = 1;
    SimulationState.sampleSize = 1000;
    for (int unit = 1; unit <= Units; ++unit) {
        SimulationState.populationData[unit][1] = Population().target[unit - 1];
    }
    const EstimatorInputs inputs = PrepareEstimatorInputs(EstimatorDirect, DesignParameters{}, 1, 0);
    for (auto _ : state) {
        for (int s = 0; s < Samples; ++s) {
            DrawSampleEqualProbabilities();
            benchmark::DoNotOptimize(EstimateOnSample(RecordSample(), inputs, true));
        }
    }
}

/// Design 10's whole run through the run engine at n = N = 1000 (the benchmark
/// population), the measure of the other designs.
void EqualWholeRun(benchmark::State& state)
{
    BenchSettings settings;
    settings.sampleSize = 1000;
    settings.intervals = true;
    if (PrepareSettings(state, settings)) {
        MeasureWholeRuns(state);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("FormClusters/N:100000/M:10000", FormAllClusters)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DirectTheory/N:100000/M:10000/cluster/m:100", DirectTheory,
                                 ClusterDesign{100, false, 0})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DirectTheory/N:100000/M:10000/two-stage/m:250/k:4", DirectTheory,
                                 ClusterDesign{250, true, 4})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DialogTheory/N:100000/M:10000/two-stage/m:250/k:4", DialogTheory,
                                 ClusterDesign{250, true, 4})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Run1000/cluster/N:100000/M:10000/m:100", ClusterRun,
                                 ClusterDesign{100, false, 0})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Run1000/two-stage/N:100000/M:10000/m:250/k:4", ClusterRun,
                                 ClusterDesign{250, true, 4})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Run1000/equal/N:100000/n:1000", EqualRun)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("WholeRun/equal/N:1000/n:1000/intervals", EqualWholeRun)
        ->Unit(benchmark::kMillisecond);
    return RunRegisteredBenchmarks(argc, argv);
}
