// A random population and random settings, within and far beyond what the dialogs
// accept, then a whole run as a simulation window performs it: the run must end
// (every sample drawn, or stopped by the rejection bound), and no number shown and
// no pixel drawn may come from a non-finite value or leave the plot.

#include <fuzzer/FuzzedDataProvider.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/allocation.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "core/strata.h"
#include "fuzz/fuzz_check.h"
#include "engine/designs/sampling_design.h"
#include "engine/plot_frame.h"
#include "plot/plot_renderer.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"

namespace {

constexpr std::size_t SettingByteCount = 64;
/// Populations of up to 1000 units keep each run to seconds under the sanitizers
/// and keep the meaning of the seed corpus; larger ones take the same paths.
constexpr int FuzzedUnits = 1000;

/// Magnitudes that have hurt numerical code before: extremes, subnormals, zeros.
constexpr std::array<double, 12> SpecialValues = {
    0.0,    -0.0,    1.0,     -1.0,     1e300,   -1e300,
    1e-300, -1e-300, DBL_MAX, -DBL_MAX, DBL_MIN, std::numeric_limits<double>::denorm_min()};

/// Any finite value a population file can hold.
double FiniteValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return input.PickValueInArray(SpecialValues);
        case 1:
            return input.ConsumeIntegralInRange(-5, 20);
        case 2:
            return input.ConsumeFloatingPointInRange(-1000.0, 1000.0);
        default:
            return input.ConsumeFloatingPoint<double>();
    }
}

/// One variable: all values equal, proportional to the unit number, or each its own.
void FillVariable(FuzzedDataProvider& input, int k)
{
    const int shape = input.ConsumeIntegralInRange(0, 2);
    const double common = FiniteValue(input);
    for (int i = 1; i <= SimulationState.unitCount; ++i) {
        double& value = SimulationState.populationData[i][k];
        // A file can hold no infinite value, so a product that overflows is left out.
        const double proportional = std::isfinite(common * i) ? common * i : common;
        value = shape == 0 ? common : shape == 1 ? proportional : FiniteValue(input);
    }
}

/// A count in low..high, in seven cases of eight a small one, so that most runs
/// are short and the fuzzer gets through many of them.
int MostlySmall(FuzzedDataProvider& input, int low, int high)
{
    const bool wholeRange = input.ConsumeIntegralInRange(0, 7) == 7;
    return input.ConsumeIntegralInRange(low, wholeRange ? high : std::min(high, low + 40));
}

void FillPopulation(FuzzedDataProvider& sizes, FuzzedDataProvider& values)
{
    SimulationState = TSimulationState{};
    SimulationState.populationName = "fuzz";
    SimulationState.unitCount = MostlySmall(sizes, 0, FuzzedUnits);
    SimulationState.variableCount = sizes.ConsumeIntegralInRange(0, MaxVariables);
    for (int k = 1; k <= SimulationState.variableCount; ++k) {
        SimulationState.variableNames[k] = "v" + std::to_string(k);
        FillVariable(values, k);
    }
}

/// One of the registry's designs, or a code just outside them.
std::int32_t ChooseDesign(FuzzedDataProvider& input)
{
    const std::span<const SamplingDesign* const> designs = Designs();
    const int pick = input.ConsumeIntegralInRange(-1, static_cast<int>(designs.size()));
    if (pick < 0) {
        return designs.front()->Code() - 1;
    }
    return pick < static_cast<int>(designs.size()) ? designs[pick]->Code() : designs.back()->Code() + 1;
}

/// The allocation and the order of the stratified and systematic designs, the
/// cluster variable, m and k of the cluster designs; a stratification the dialog
/// would refuse is either kept or refused as there.
void ChooseDesignDetails(FuzzedDataProvider& input)
{
    TSimulationState& s = SimulationState;
    s.allocationCode = input.ConsumeIntegralInRange(AllocationProportional - 1, AllocationOptimal + 1);
    s.systematicOrder = input.ConsumeIntegralInRange(-1, MaxVariables + 1);
    s.clusterVariable = input.ConsumeIntegralInRange(-1, MaxVariables + 1);
    s.clusterCount = MostlySmall(input, -1, FuzzedUnits + 2);
    s.unitsPerCluster = MostlySmall(input, -1, FuzzedUnits + 2);
    if (s.designCode == DesignStratified && input.ConsumeBool() &&
        !CheckStratifiedDesign(StratificationOf(s.auxiliaryVariable, s.stratumClasses), s.sampleSize)
             .empty()) {
        s.designCode = DesignEqualProbabilities;
    }
}

/// Settings as the dialogs store them, or any value at all in the same fields.
void ChooseSettings(FuzzedDataProvider& input)
{
    TSimulationState& s = SimulationState;
    const int target = input.ConsumeIntegralInRange(-1, MaxVariables + 1);
    if (input.ConsumeBool()) {
        SetTargetVariable(target);
    } else {
        s.targetVariable = target;
    }
    s.auxiliaryVariable = input.ConsumeIntegralInRange(-1, MaxVariables + 1);
    s.sampleSize = MostlySmall(input, -2, FuzzedUnits + 2);
    s.simulationCount = MostlySmall(input, -5, MaxSamples + 5);
    s.estimatorCode = input.ConsumeIntegralInRange(EstimatorDirect - 1, EstimatorPostStratified + 1);
    s.designCode = ChooseDesign(input);
    s.confidenceIntervalMode = input.ConsumeBool();
    s.verticalCompression = input.ConsumeIntegralInRange(-2, 7);
    if (input.ConsumeBool()) {
        CheckPostStrata();
    } else {
        s.stratumCount = input.ConsumeIntegralInRange(-1, MaxStrata + 2);
    }
    ChooseDesignDetails(input);
}

void ChooseNonresponse(FuzzedDataProvider& input)
{
    TSimulationState& s = SimulationState;
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            s.nonresponseOn = false;
            break;
        case 1:
            // Whole percentages, in 0..100 or far outside it.
            SetNonresponseLine(input.ConsumeIntegralInRange(-1, MaxVariables + 1),
                               input.ConsumeIntegralInRange(-100000, 100000),
                               input.ConsumeIntegralInRange(-100000, 100000));
            break;
        default:
            s.nonresponseOn = true;
            s.nonresponseVariable = input.ConsumeIntegralInRange(-1, MaxVariables + 1);
            s.nonresponseIntercept = FiniteValue(input);
            s.nonresponseSlope = FiniteValue(input);
    }
}

/// The scale of the target's range, of a sample size, reversed, equal or any.
void ChooseScale(FuzzedDataProvider& input)
{
    TSimulationState& s = SimulationState;
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            break;
        case 1:
            s.scaleSampleSize = input.ConsumeIntegralInRange(-1, FuzzedUnits + 1);
            SetScaleForSampleSize();
            break;
        case 2:
            std::swap(s.scaleLower, s.scaleUpper);
            break;
        default:
            s.scaleLower = FiniteValue(input);
            s.scaleUpper = input.ConsumeBool() ? s.scaleLower : FiniteValue(input);
    }
}

void CheckSpanOnAxis(const PlotFrame& frame, const PixelSpan& span)
{
    FUZZ_CHECK(span.left >= frame.plotLeft && span.right <= AxisRightX(frame));
    FUZZ_CHECK(span.left <= span.right);
}

void CheckFrame(const RunGraph& graph)
{
    const PlotFrame& frame = graph.frame;
    // A scale wider than the largest double has an infinite range; every
    // estimate then falls into class 1, which is still a class.
    FUZZ_CHECK(!std::isnan(frame.range) && frame.range != 0.0);
    FUZZ_CHECK(frame.stepHeight > 0);
    FUZZ_CHECK(graph.kind == GraphKind::Intervals || graph.barUnit > 0);
    FUZZ_CHECK(PlotTopY(frame) >= 0 && TickBottomY(frame) < PlotFrameTop + PlotFrameHeight);
    for (int k = 1; k <= HistogramClasses; ++k) {
        CheckSpanOnAxis(frame, ClassBarEdges(frame, k));
    }
}

void CheckSample(const RunEngine& engine, const RunGraph& graph, const SampleResult& sample)
{
    FUZZ_CHECK(sample.sampleNumber == engine.samplesDrawn());
    FUZZ_CHECK(sample.sampleNumber >= 1 && sample.sampleNumber <= engine.simulationCount());
    FUZZ_CHECK(sample.histogramClass >= 1 && sample.histogramClass <= HistogramClasses);
    FUZZ_CHECK(SimulationState.estimateValid);
    FUZZ_CHECK(SimulationState.respondentCount >= 2);
    if (graph.kind == GraphKind::Intervals) {
        CheckSpanOnAxis(graph.frame, IntervalPixels(graph.frame, sample));
        FUZZ_CHECK(engine.correctIntervalPercentage() >= 0 && engine.correctIntervalPercentage() <= 100);
    } else {
        const int count = graph.counts[sample.histogramClass];
        FUZZ_CHECK(count >= 0 && count * graph.barUnit <= BarCapSteps * graph.frame.stepHeight);
    }
}

/// A shown number is "-" or a finite fixed-point number; no text may spell a
/// non-finite value.
void CheckStatisticsRows(int samplesDrawn)
{
    for (const StatisticsRow& row : StatisticsTableRows(samplesDrawn)) {
        FUZZ_CHECK(row.value.find("inf") == std::string::npos && row.value.find("nan") == std::string::npos);
    }
    for (const int row : {8, 9, 11, 12}) {
        const std::string value = StatisticsTableRows(samplesDrawn)[row].value;
        if (value != "-") {
            char* end = nullptr;
            FUZZ_CHECK(std::isfinite(std::strtod(value.c_str(), &end)) && *end == '\0');
        }
    }
}

/// One canvas for all inputs: a new large image per input would cost more than
/// most runs.
QImage& Canvas()
{
    static QImage canvas(PlotFrameRect().right() + 1, PlotFrameRect().bottom() + 1, QImage::Format_RGB32);
    return canvas;
}

/// Draws samples until the run reports that it is over, as Automatic does, each
/// sample drawn as the window draws it.
void RunToTheEnd(RunEngine& engine, RunGraph& graph, QPainter& painter)
{
    InitGraph(painter, graph.frame);
    DrawStatus status = DrawStatus::Accepted;
    // One more step than samples: the last one must report the end.
    for (int step = 0; step <= engine.simulationCount() && status == DrawStatus::Accepted; ++step) {
        SampleResult sample;
        status = engine.NextSample(sample);
        if (status == DrawStatus::Accepted) {
            AddSample(graph, sample);
            CheckSample(engine, graph, sample);
            DrawAddedSample(painter, graph, sample);
        }
    }
    FUZZ_CHECK(status != DrawStatus::Accepted && engine.finished());
    FUZZ_CHECK(engine.stoppedByBound() == (status == DrawStatus::BoundReached) ||
               status == DrawStatus::RunComplete);
}

}  // namespace

/// Acceptance-rejection needs about N * M / X trials per drawn unit (M the
/// largest size, X the sum of the positive sizes): where one size dwarfs the
/// rest, a run takes up to a billion trials, and a sample that is rejected again
/// and again up to 10000 times its trials. Such runs end and follow the
/// program's scheme, but would take minutes here; the fuzzer keeps each input to
/// seconds by drawing such populations with equal probabilities and by
/// shortening long runs.
void BoundProportionalWork()
{
    TSimulationState& s = SimulationState;
    if (s.designCode != DesignProportionalToSize) {
        return;
    }
    const int units = PopulationSize();
    double largest = 0.0;
    double sum = 0.0;
    for (int unit = 1; unit <= units; ++unit) {
        const double size = AuxiliaryValue(unit);
        if (size > 0.0) {
            largest = std::max(largest, size);
            sum += size;
        }
    }
    if (!(sum > 0.0) || !std::isfinite(sum)) {
        return;
    }
    constexpr double MostTrialsPerSample = 2000.0;
    constexpr double TrialsPerRun = 1e6;
    const double trialsPerSample = std::max(1, s.sampleSize) * (units * (largest / sum));
    if (trialsPerSample > MostTrialsPerSample) {
        s.designCode = DesignEqualProbabilities;
        return;
    }
    const double samples = std::floor(TrialsPerRun / trialsPerSample);
    if (samples < s.simulationCount) {
        s.simulationCount = static_cast<int>(std::max(1.0, samples));
    }
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Fonts for the scale labels need a GUI application; no window is shown.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The settings take the first bytes, so that short inputs already reach every
    // setting; the population takes the rest.
    FuzzedDataProvider input(data, size);
    const std::vector<std::uint8_t> settingBytes = input.ConsumeBytes<std::uint8_t>(SettingByteCount);
    FuzzedDataProvider settings(settingBytes.data(), settingBytes.size());
    FillPopulation(settings, input);
    ChooseSettings(settings);
    ChooseNonresponse(settings);
    ChooseScale(settings);
    BoundProportionalWork();
    RandomGenerator.seed = settings.ConsumeIntegral<std::uint32_t>();

    RunEngine engine;
    engine.StartRun();
    const GraphKind kind =
        SimulationState.confidenceIntervalMode ? GraphKind::Intervals : GraphKind::Histogram;
    RunGraph graph = StartRunGraph(kind, engine.scale(), engine.populationMean());
    CheckFrame(graph);
    const int anyClass = HistogramClass(FiniteValue(settings), engine.scale());
    FUZZ_CHECK(anyClass >= 1 && anyClass <= HistogramClasses);
    QPainter painter(&Canvas());
    RunToTheEnd(engine, graph, painter);
    CheckStatisticsRows(engine.samplesDrawn());
    // The whole graph again, as after the window was covered.
    if (kind == GraphKind::Intervals) {
        ReDrawPlot(painter, graph.frame, graph.intervalSlots);
    } else {
        ReDrawHistogram(painter, graph.frame, graph.counts, graph.barUnit);
    }
    return 0;
}
