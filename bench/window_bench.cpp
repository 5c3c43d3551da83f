// Benchmark of "Automatic" in the two simulation windows, painting included:
// 1000 samples drawn, each drawn into the window's image and repainted at once.
// Runs offscreen unless another platform is asked for.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPaintEvent>
#include <QRegion>
#include <algorithm>
#include <string>

#include "bench/bench_population.h"
#include "bench/bench_runner.h"
#include "core/simulation_state.h"
#include "ui/distribution_window.h"
#include "ui/interval_window.h"
#include "texts/interface_text_table.h"

namespace {

/// Counts the paint events a window receives and the pixels they cover, to show
/// that each sample repaints only the region it changed.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
                pixels += static_cast<double>(rect.width()) * rect.height();
            }
        }
        return QObject::eventFilter(watched, event);
    }

    void Reset()
    {
        paints = 0;
        pixels = 0.0;
    }

    int paints = 0;
    double pixels = 0.0;
};

/// Starts a fresh run in `window` and lets its full repaint happen, so that the
/// timed part holds Automatic alone.
template <typename Window>
void RestartRun(Window& window, PaintCounter& counter)
{
    SimulationState.simulationRestart = true;
    window.StartFreshRun();
    QApplication::processEvents();
    counter.Reset();
}

template <typename Window>
void Automatic(benchmark::State& state, BenchSettings settings)
{
    if (!PrepareSettings(state, settings)) {
        return;
    }
    Window window;
    window.ApplyInterfaceTexts();
    PaintCounter counter;
    window.installEventFilter(&counter);
    window.show();
    double paints = 0.0;
    double pixels = 0.0;
    double samples = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        RestartRun(window, counter);
        state.ResumeTiming();
        window.FastButtonClick();
        state.PauseTiming();
        paints += counter.paints;
        pixels += counter.pixels;
        samples += window.samplesDrawn();
        state.ResumeTiming();
    }
    window.hide();
    state.counters["paints/sample"] = paints / samples;
    state.counters["pixels/sample"] = pixels / samples;
    state.counters["client_pixels"] = static_cast<double>(window.width()) * window.height();
}

/// Automatic in slow motion, 1000 samples: how long the run takes, and the longest
/// time the event loop went without a turn (how long input may wait).
void SlowMotion(benchmark::State& state, BenchSettings settings)
{
    if (!PrepareSettings(state, settings)) {
        return;
    }
    TSimula window;
    window.ApplyInterfaceTexts();
    window.show();
    ViewOptions().slowMotion = true;
    double longestTurn = 0.0;
    double samples = 0.0;
    for (auto _ : state) {
        SimulationState.simulationRestart = true;
        window.StartFreshRun();
        window.FastButtonClick();
        QElapsedTimer turn;
        turn.start();
        while (!window.runEngine().finished()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            longestTurn = std::max(longestTurn, turn.nsecsElapsed() / 1e6);
            turn.restart();
        }
        samples += window.samplesDrawn();
    }
    ViewOptions().slowMotion = false;
    window.hide();
    state.counters["samples/s"] = benchmark::Counter(samples, benchmark::Counter::kIsRate);
    state.counters["longest_turn_ms"] = longestTurn;
}

void RegisterAutomatic()
{
    const BenchSettings slow{DesignEqualProbabilities, EstimatorDirect, 1000, false, false};
    benchmark::RegisterBenchmark(("SlowMotion/distribution/" + BenchSettingsName(slow)).c_str(), SlowMotion,
                                 slow)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
    for (const int n : {10, 1000}) {
        const BenchSettings histogram{DesignEqualProbabilities, EstimatorDirect, n, false, false};
        benchmark::RegisterBenchmark(("Automatic/distribution/" + BenchSettingsName(histogram)).c_str(),
                                     Automatic<TSimula>, histogram)
            ->Unit(benchmark::kMillisecond);
        const BenchSettings intervals{DesignEqualProbabilities, EstimatorDirect, n, true, false};
        benchmark::RegisterBenchmark(("Automatic/interval/" + BenchSettingsName(intervals)).c_str(),
                                     Automatic<TConfidenceIntervals>, intervals)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    FillInterfaceTexts();
    RegisterAutomatic();
    return RunRegisteredBenchmarks(argc, argv);
}
