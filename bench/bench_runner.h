#pragma once
// What every benchmark program shares: the preparation of a measured setting
// and the end of main.

#include <benchmark/benchmark.h>

#include "bench/bench_population.h"

/// \brief Reads the population and applies `settings`; false, with the reason
/// given to the benchmark, when that fails.
bool PrepareSettings(benchmark::State& state, const BenchSettings& settings);

/// \brief Reads Google Benchmark's options, runs the registered benchmarks and
/// returns the exit status: 1 for an option it does not know.
int RunRegisteredBenchmarks(int& argc, char** argv);
