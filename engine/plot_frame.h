#pragma once
// The pixel geometry of a simulation graph: the frame, the axis, the bars of the
// histogram with their cap, and the rows of the confidence intervals. No Qt: the
// plot renderer paints what these functions compute.

#include <array>
#include <cstdint>

#include "core/simulation_state.h"

struct RunScale;
struct SampleResult;

/// The plot frame (`Bevel1`) in the client coordinates of both simulation windows.
inline constexpr int PlotFrameLeft = 8;
inline constexpr int PlotFrameTop = 8;
inline constexpr int PlotFrameWidth = 481;
inline constexpr int PlotFrameHeight = 257;

/// Outer heights of the two windows, title bar and borders included, from which the
/// vertical geometry is derived, the same on every platform.
inline constexpr int DistributionWindowOuterHeight = 373;
inline constexpr int IntervalWindowOuterHeight = 382;

/// The area above the axis is this many steps high.
inline constexpr int PlotSteps = 30;
/// A bar may rise at most this many steps above the axis.
inline constexpr int BarCapSteps = 29;

/// \brief Scale and pixel geometry of one run's graph.
struct PlotFrame {
    double lower = 0.0;
    double upper = 0.0;
    double range = 1.0;
    double populationMean = 0.0;
    std::int32_t plotLeft = 0;
    std::int32_t axisY = 0;
    std::int32_t axisLength = 0;
    std::int32_t stepHeight = 0;
    std::int32_t meanLineX = 0;
};

/// \brief A horizontal pixel span, both ends included.
struct PixelSpan {
    std::int32_t left = 0;
    std::int32_t right = 0;
};

/// \brief The frame of the distribution window: stepHeight = nearest(0.02 H).
PlotFrame PrepareDistributionFrame(const RunScale& scale, double populationMean);

/// \brief The frame of the interval window: stepHeight = nearest(axisY * 0.92 / 31).
PlotFrame PrepareIntervalFrame(const RunScale& scale, double populationMean);

/// \brief Height one estimate adds to a bar: nearest(stepHeight / compression),
/// the compression taken as 1..4.
std::int32_t BarUnit(std::int32_t stepHeight, std::int32_t verticalCompression);

/// \brief y of the top of the plot area, axisY - 30 stepHeight.
std::int32_t PlotTopY(const PlotFrame& frame);

/// \brief y of the lower end of the ticks and the mean line, axisY + stepHeight.
std::int32_t TickBottomY(const PlotFrame& frame);

/// \brief x of the middle tick, nearest(plotLeft + axisLength / 2).
std::int32_t MiddleTickX(const PlotFrame& frame);

/// \brief x of the right end of the axis.
std::int32_t AxisRightX(const PlotFrame& frame);

/// \brief Left and right edge of the bar of class k (1..50); the bar covers
/// left..right - 1, so neighbouring bars share no column.
PixelSpan ClassBarEdges(const PlotFrame& frame, int k);

/// The counts of a histogram's classes, 1..75 (the graph shows 1..50).
using HistogramCounts = std::array<std::int32_t, HistogramCapacity + 1>;

/// \brief Sets counts[1..75] to 0.
void ClearHistogramCounts(HistogramCounts& counts);

/// \brief Counts an estimate of class k (1..50) in `counts` unless its bar would
/// then rise above 29 steps. Returns false for a full class, whose count stays.
bool AddToHistogram(HistogramCounts& counts, int k, std::int32_t barUnit, const PlotFrame& frame);

/// \brief True when a bar of `count` estimates can take no more: one more would
/// rise above 29 steps.
bool ClassFull(std::int32_t count, std::int32_t barUnit, const PlotFrame& frame);

/// \brief The 30 interval rows; slot 30 is the newest, on the row above the axis.
struct IntervalSlots {
    std::array<std::int32_t, IntervalRows + 1> intervalLeft{};
    std::array<std::int32_t, IntervalRows + 1> intervalRight{};
    std::array<bool, IntervalRows + 1> intervalShown{};
    /// The interval of slot i does not cover the population mean.
    std::array<bool, IntervalRows + 1> intervalMissed{};
};

/// \brief Empties the 30 slots.
void ClearIntervalSlots(IntervalSlots& intervalSlots);

/// \brief Moves every slot up one row and puts `span` into slot 30.
void PushInterval(IntervalSlots& intervalSlots, PixelSpan span, bool missed = false);

/// \brief y of the row of slot i (1..30), axisY - (31 - i) stepHeight.
std::int32_t SlotRowY(const PlotFrame& frame, int i);

/// Half the length of the short mark that stands for an interval that cannot be
/// drawn as a segment on the axis.
inline constexpr int IntervalMarkHalfLength = 2;

/// \brief The pixels of a sample's interval: cut at the ends of the axis; a
/// short mark at its estimate when no standard error is available, or at the end
/// of the axis when the interval lies wholly beyond it. Always within the axis.
PixelSpan IntervalPixels(const PlotFrame& frame, const SampleResult& sample);

/// \brief Which graph a run shows.
enum class GraphKind { Histogram, Intervals };

/// \brief The graph of one run as numbers: its frame and either the bar unit with
/// the classes' counts or the interval rows.
struct RunGraph {
    GraphKind kind = GraphKind::Histogram;
    PlotFrame frame;
    std::int32_t barUnit = 0;
    HistogramCounts counts{};
    IntervalSlots intervalSlots;
};

/// \brief The empty graph of a run that has just started with `scale`: the frame
/// of its kind, the bar unit of verticalCompression, no counts or rows.
RunGraph StartRunGraph(GraphKind kind, const RunScale& scale, double populationMean);

/// \brief Adds an accepted sample: counts it in its class unless the class is
/// full, or enters its interval on the bottom row. False when nothing changed.
bool AddSample(RunGraph& graph, const SampleResult& sample);
