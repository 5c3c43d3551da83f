#pragma once
// The one painter of simulation graphs. The windows, the saved bitmaps, the batch
// simulator's picture and the tests all draw through these functions, on any
// QPainter whose coordinates are the client coordinates of a simulation window.
// Lines and rectangles are filled pixel spans, so the picture is the same on
// every paint device.

#include <QRect>
#include <QString>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/plot_frame.h"
#include "engine/plot_options.h"

class QByteArray;
class QFont;
class QImage;
class QPainter;
class QRegion;
class QString;
struct SampleResult;

/// \brief The font of the scale labels: sans-serif, 8 points, not antialiased.
QFont PlotLabelFont();

/// \brief The plot frame in client coordinates (8, 8, 481 x 257).
QRect PlotFrameRect();

/// \brief Paints the plot background, the sunken frame border, the axis with its
/// three ticks and labels, and the population-mean line.
void InitGraph(QPainter& painter, const PlotFrame& frame);

/// \brief Paints the population-mean line; the frame border stays on top of it.
void DrawMeanLine(QPainter& painter, const PlotFrame& frame);

/// \brief Paints the bar of class k from the axis up to `count` x `barUnit`
/// pixels (with the mark of a full class when asked for), then the mean line
/// that the bar may have covered.
void DrawBar(QPainter& painter, const PlotFrame& frame, int k, int count, int barUnit,
             const PlotOptions& options = {});

/// \brief The pixels that DrawBar may change for class k.
QRegion BarRegion(const PlotFrame& frame, int k);

/// \brief Paints all 50 columns anew from `counts` (the space above each bar
/// cleared), then the mean line.
void ReDrawHistogram(QPainter& painter, const PlotFrame& frame, const HistogramCounts& counts, int barUnit,
                     const PlotOptions& options = {});

/// \brief Paints every shown interval row (the row erased first), then the mean line.
void ReDrawPlot(QPainter& painter, const PlotFrame& frame, const IntervalSlots& intervalSlots,
                const PlotOptions& options = {});

/// \brief The pixels that ReDrawPlot may change.
QRegion IntervalRowsRegion(const PlotFrame& frame);

/// \brief Paints the part of `graph` that AddSample has just changed for `sample`;
/// returns the pixels changed.
QRegion DrawAddedSample(QPainter& painter, const RunGraph& graph, const SampleResult& sample,
                        const PlotOptions& options = {});

/// \brief Paints the plot frame with the whole graph with its top-left corner at
/// (0, 0), nothing outside the frame.
void PaintPlotFrame(QPainter& painter, const RunGraph& graph, const PlotOptions& options = {});

/// \brief The 481 x 257 picture of the plot frame with the whole graph, as the
/// window shows it.
QImage RenderPlotFrame(const RunGraph& graph, const PlotOptions& options = {});

/// \brief Writes the plot frame with the whole graph to `fileName` in the format
/// its name asks for (PictureFormatFor; a BMP is uncompressed 24-bit). Returns ""
/// or why it failed.
std::string SavePlotPicture(const RunGraph& graph, const std::string& fileName,
                            const PlotOptions& options = {});

/// \brief One row of a comparison picture: the variant's name and the box of its estimates.
struct BoxPlotRow {
    QString label;
    BoxSummary box;
};

/// \brief Size of the comparison picture of `rows`: wider than the usual 640
/// pixels where a label needs more than 200 for its whole text.
QSize BoxPlotSize(const std::vector<BoxPlotRow>& rows);

/// \brief The comparison picture, (0, 0) at its top left: one horizontal box plot
/// per row on one common axis, each row's name left of its box, and the
/// population mean as a red vertical line across every row.
void PaintBoxPlots(QPainter& painter, const std::vector<BoxPlotRow>& rows, double populationMean);
