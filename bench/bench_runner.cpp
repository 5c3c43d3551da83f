#include "bench/bench_runner.h"

#include <string>

bool PrepareSettings(benchmark::State& state, const BenchSettings& settings)
{
    std::string failure = ReadBenchPopulation();
    if (failure.empty()) {
        failure = ApplyBenchSettings(settings);
    }
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        return false;
    }
    return true;
}

int RunRegisteredBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
