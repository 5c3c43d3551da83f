#include "engine/plot_frame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/rounding.h"
#include "engine/run_engine.h"

namespace {

constexpr int HistogramClassCount = 50;

/// base + nearest(offset), saturated so that no offset, however far out, overflows.
std::int32_t OffsetPixel(std::int32_t base, double offset)
{
    const std::int64_t sum = std::int64_t{base} + nearest(offset);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

/// The geometry both windows share; only stepHeight differs between them.
PlotFrame PrepareCommonFrame(const RunScale& scale, double populationMean, int outerHeight)
{
    PlotFrame frame;
    frame.lower = scale.lower;
    frame.upper = scale.upper;
    frame.range = scale.range;
    frame.populationMean = populationMean;
    frame.plotLeft = nearest(0.04 * PlotFrameWidth);
    frame.axisY = nearest(0.63 * outerHeight);
    frame.axisLength = nearest(0.95 * PlotFrameWidth);
    frame.meanLineX =
        OffsetPixel(frame.plotLeft, (populationMean - frame.lower) * frame.axisLength / frame.range);
    return frame;
}

/// nearest((value - lower) / range * axisLength + plotLeft), the interval ends' rule.
std::int32_t IntervalEndPixel(const PlotFrame& frame, double value)
{
    return nearest((value - frame.lower) / frame.range * frame.axisLength + frame.plotLeft);
}

/// A short mark around x, shifted as needed to lie wholly on the axis.
PixelSpan MarkAt(const PlotFrame& frame, std::int32_t x)
{
    const std::int32_t length = 2 * IntervalMarkHalfLength;
    const std::int32_t left = std::clamp<std::int32_t>(x, frame.plotLeft + IntervalMarkHalfLength,
                                                       AxisRightX(frame) - IntervalMarkHalfLength) -
                              IntervalMarkHalfLength;
    return {left, left + length};
}

}  // namespace

PlotFrame PrepareDistributionFrame(const RunScale& scale, double populationMean)
{
    PlotFrame frame = PrepareCommonFrame(scale, populationMean, DistributionWindowOuterHeight);
    frame.stepHeight = nearest(0.02 * DistributionWindowOuterHeight);
    return frame;
}

PlotFrame PrepareIntervalFrame(const RunScale& scale, double populationMean)
{
    PlotFrame frame = PrepareCommonFrame(scale, populationMean, IntervalWindowOuterHeight);
    frame.stepHeight = nearest(frame.axisY * 0.92 / 31.0);
    return frame;
}

std::int32_t BarUnit(std::int32_t stepHeight, std::int32_t verticalCompression)
{
    const std::int32_t compression = std::clamp(verticalCompression, 1, 4);
    return nearest(static_cast<double>(stepHeight) / compression);
}

std::int32_t PlotTopY(const PlotFrame& frame)
{
    return frame.axisY - PlotSteps * frame.stepHeight;
}

std::int32_t TickBottomY(const PlotFrame& frame)
{
    return frame.axisY + frame.stepHeight;
}

std::int32_t MiddleTickX(const PlotFrame& frame)
{
    return nearest(frame.plotLeft + frame.axisLength / 2.0);
}

std::int32_t AxisRightX(const PlotFrame& frame)
{
    return frame.plotLeft + frame.axisLength;
}

PixelSpan ClassBarEdges(const PlotFrame& frame, int k)
{
    const int bar = std::clamp(k, 1, HistogramClassCount);
    return {frame.plotLeft + nearest((bar - 1) * frame.axisLength / 50.0),
            frame.plotLeft + nearest(bar * frame.axisLength / 50.0)};
}

void ClearHistogramCounts(HistogramCounts& counts)
{
    counts.fill(0);
}

bool AddToHistogram(HistogramCounts& counts, int k, std::int32_t barUnit, const PlotFrame& frame)
{
    if (k < 1 || k > HistogramClassCount) {
        return false;
    }
    std::int32_t& count = counts[k];
    if (ClassFull(count, barUnit, frame)) {
        return false;
    }
    ++count;
    return true;
}

bool ClassFull(std::int32_t count, std::int32_t barUnit, const PlotFrame& frame)
{
    return (count + 1) * barUnit > BarCapSteps * frame.stepHeight;
}

void ClearIntervalSlots(IntervalSlots& intervalSlots)
{
    intervalSlots = IntervalSlots{};
}

void PushInterval(IntervalSlots& intervalSlots, PixelSpan span, bool missed)
{
    for (int i = 1; i < IntervalRows; ++i) {
        intervalSlots.intervalLeft[i] = intervalSlots.intervalLeft[i + 1];
        intervalSlots.intervalRight[i] = intervalSlots.intervalRight[i + 1];
        intervalSlots.intervalShown[i] = intervalSlots.intervalShown[i + 1];
        intervalSlots.intervalMissed[i] = intervalSlots.intervalMissed[i + 1];
    }
    intervalSlots.intervalLeft[IntervalRows] = span.left;
    intervalSlots.intervalRight[IntervalRows] = span.right;
    intervalSlots.intervalShown[IntervalRows] = true;
    intervalSlots.intervalMissed[IntervalRows] = missed;
}

std::int32_t SlotRowY(const PlotFrame& frame, int i)
{
    return frame.axisY - (IntervalRows + 1 - i) * frame.stepHeight;
}

PixelSpan IntervalPixels(const PlotFrame& frame, const SampleResult& sample)
{
    // A reversed scale (lower bound above the upper) maps the interval's lower
    // end to the right of its upper end; the segment between them is the same.
    const auto [left, right] = std::minmax(
        {IntervalEndPixel(frame, sample.intervalLower), IntervalEndPixel(frame, sample.intervalUpper)});
    if (right < frame.plotLeft) {
        return MarkAt(frame, frame.plotLeft);
    }
    if (left > AxisRightX(frame)) {
        return MarkAt(frame, AxisRightX(frame));
    }
    if (!sample.standardErrorAvailable) {
        return MarkAt(frame, IntervalEndPixel(frame, sample.estimate));
    }
    return {std::max(left, frame.plotLeft), std::min(right, AxisRightX(frame))};
}

RunGraph StartRunGraph(GraphKind kind, const RunScale& scale, double populationMean)
{
    RunGraph graph;
    graph.kind = kind;
    if (kind == GraphKind::Intervals) {
        graph.frame = PrepareIntervalFrame(scale, populationMean);
        ClearIntervalSlots(graph.intervalSlots);
        return graph;
    }
    graph.frame = PrepareDistributionFrame(scale, populationMean);
    graph.barUnit = BarUnit(graph.frame.stepHeight, SimulationState.verticalCompression);
    ClearHistogramCounts(graph.counts);
    return graph;
}

bool AddSample(RunGraph& graph, const SampleResult& sample)
{
    if (graph.kind == GraphKind::Intervals) {
        PushInterval(graph.intervalSlots, IntervalPixels(graph.frame, sample), !sample.covered);
        return true;
    }
    return AddToHistogram(graph.counts, sample.histogramClass, graph.barUnit, graph.frame);
}
