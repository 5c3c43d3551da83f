#pragma once
// What every benchmark program shares: the preparation of a measured setting
// and the end of main.

#include <benchmark/benchmark.h>

#include "bench/bench_population.h"

/// \brief Reads the population and applies `settings`; false, with the reason
/// given to the benchmark, when that fails.
bool PrepareSettings(benchmark::State& state, const BenchSettings& settings);

/// \brief Times whole runs with the settings in force: StartRun and every sample
/// of the run, as Automatic or one run of the batch simulator performs it.
void MeasureWholeRuns(benchmark::State& state);

/// \brief Times accepted samples one by one, as a window's "Next" asks for them:
/// the draw, its redraws and the estimate. A new run starts, untimed, whenever
/// one ends.
void MeasureAcceptedSamples(benchmark::State& state);

/// \brief Reads Google Benchmark's options, runs the registered benchmarks and
/// returns the exit status: 1 for an option it does not know.
int RunRegisteredBenchmarks(int& argc, char** argv);
