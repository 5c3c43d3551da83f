#include "bench/bench_runner.h"

#include <string>

#include "engine/run_engine.h"

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

void MeasureWholeRuns(benchmark::State& state)
{
    RunEngine engine;
    SampleResult sample;
    for (auto _ : state) {
        engine.StartRun();
        while (engine.NextSample(sample) == DrawStatus::Accepted) {
            benchmark::DoNotOptimize(sample);
        }
        if (engine.stoppedByBound()) {
            state.SkipWithError(RejectionBoundMessage);
            break;
        }
    }
    state.counters["samples"] = engine.samplesDrawn();
}

void MeasureAcceptedSamples(benchmark::State& state)
{
    RunEngine engine;
    engine.StartRun();
    SampleResult sample;
    for (auto _ : state) {
        if (engine.finished()) {
            state.PauseTiming();
            engine.StartRun();
            state.ResumeTiming();
        }
        if (engine.NextSample(sample) != DrawStatus::Accepted) {
            state.SkipWithError(RejectionBoundMessage);
            break;
        }
        benchmark::DoNotOptimize(sample);
    }
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
