#include "plot/plot_renderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/number_format.h"
#include "plot/fonts.h"
#include "core/rounding.h"
#include "engine/run_engine.h"
#include "plot/palette.h"
#include "plot/picture_file.h"
#include "plot/plot_geometry.h"

using namespace plot_geometry;

namespace {

// Coordinates far outside any window are pulled in before painting, so that no
// estimate, however far out, reaches the paint engine as a huge number.
constexpr int CanvasLow = -1;
constexpr int CanvasHigh = 16384;

const QColor FrameShadow = tarvek_colors::ToQColor(plot_colours::Shadow);
const QColor FrameHighlight = tarvek_colors::ToQColor(plot_colours::Highlight);
const QColor TextColour = tarvek_colors::ToQColor(plot_colours::Text);

int OnCanvas(int coordinate)
{
    return std::clamp(coordinate, CanvasLow, CanvasHigh);
}

/// The rectangle between two corners, as classic canvases fill it: the far
/// column and row are not covered.
void FillBetweenCorners(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& color)
{
    const int left = OnCanvas(std::min(x1, x2));
    const int right = OnCanvas(std::max(x1, x2));
    const int top = OnCanvas(std::min(y1, y2));
    const int bottom = OnCanvas(std::max(y1, y2));
    if (left < right && top < bottom) {
        painter.fillRect(QRect(left, top, right - left, bottom - top), color);
    }
}

/// A horizontal line with both ends; a width of 2 also covers the row above y.
void HorizontalLine(QPainter& painter, int x1, int x2, int y, int width, const QColor& color)
{
    const int row = OnCanvas(y);
    FillBetweenCorners(painter, OnCanvas(x1), row - width + 1, OnCanvas(x2) + 1, row + 1, color);
}

/// A vertical line of width 1 with both ends.
void VerticalLine(QPainter& painter, int x, int y1, int y2, const QColor& color)
{
    const int column = OnCanvas(x);
    FillBetweenCorners(painter, column, OnCanvas(y1), column + 1, OnCanvas(y2) + 1, color);
}

/// The sunken border of the plot frame: shadow on the top and left, light on the
/// bottom and right, over the edge of the background.
void DrawFrameBorder(QPainter& painter)
{
    const QRect frame = PlotFrameRect();
    HorizontalLine(painter, frame.left(), frame.right(), frame.top(), 1, FrameShadow);
    VerticalLine(painter, frame.left(), frame.top(), frame.bottom(), FrameShadow);
    HorizontalLine(painter, frame.left() + 1, frame.right(), frame.bottom(), 1, FrameHighlight);
    VerticalLine(painter, frame.right(), frame.top() + 1, frame.bottom(), FrameHighlight);
}

/// Text with its top-left corner at (x, y).
void DrawTextAt(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

void DrawTick(QPainter& painter, const PlotFrame& frame, int x)
{
    VerticalLine(painter, x, frame.axisY, TickBottomY(frame), TextColour);
}

void DrawScale(QPainter& painter, const PlotFrame& frame)
{
    painter.setFont(PlotLabelFont());
    painter.setPen(TextColour);
    const QFontMetrics metrics = painter.fontMetrics();
    const int labelTop = TickBottomY(frame);
    HorizontalLine(painter, frame.plotLeft, AxisRightX(frame), frame.axisY, 1, TextColour);

    DrawTick(painter, frame, frame.plotLeft);
    DrawTextAt(painter, frame.plotLeft, labelTop, QString::fromStdString(FormatFixed3(frame.lower)));

    const int middle = MiddleTickX(frame);
    const QString middleText = QString::fromStdString(FormatFixed3((frame.lower + frame.upper) / 2));
    DrawTick(painter, frame, middle);
    DrawTextAt(painter, middle - nearest(metrics.horizontalAdvance(middleText) / 2.0), labelTop, middleText);

    const int right = AxisRightX(frame);
    const QString upperText = QString::fromStdString(FormatFixed3(frame.upper));
    DrawTick(painter, frame, right);
    DrawTextAt(painter, right - metrics.horizontalAdvance(upperText), labelTop, upperText);
}

/// The pixels of the mean line and of the frame border drawn over it.
QRegion MeanLineRegion(const PlotFrame& frame)
{
    const int x = OnCanvas(frame.meanLineX);
    return QRegion(QRect(QPoint(x, PlotTopY(frame)), QPoint(x, TickBottomY(frame))));
}

/// The mark above a full class when asked for: 3 rows across the bar's width, one
/// row clear of the bar's top.
void MarkIfFull(QPainter& painter, const PlotFrame& frame, int k, int count, int barUnit,
                const PlotOptions& options)
{
    if (!options.markFullClasses || !ClassFull(count, barUnit, frame)) {
        return;
    }
    const PixelSpan edges = ClassBarEdges(frame, k);
    const int barTop = frame.axisY - count * barUnit;
    FillBetweenCorners(painter, edges.left, barTop - FullMarkGap - FullMarkRows, edges.right,
                       barTop - FullMarkGap, tarvek_colors::MarkRed);
}

/// The horizontal scale of the comparison picture: from lo to hi over the
/// pixels left..right.
struct BoxScale {
    double lo = 0.0;
    double hi = 1.0;
    int left = 0;
    int right = 1;

    int X(double value) const { return OnCanvas(left + nearest((value - lo) / (hi - lo) * (right - left))); }
};

BoxScale BoxScaleFor(const std::vector<BoxPlotRow>& rows, double populationMean, int left, int right)
{
    std::vector<BoxSummary> boxes;
    for (const BoxPlotRow& row : rows) {
        boxes.push_back(row.box);
    }
    const BoxAxis axis = BoxAxisFor(boxes, populationMean);
    return {axis.low, axis.high, left, right};
}

int BoxLabelWidth(const QFontMetrics& metrics, const std::vector<BoxPlotRow>& rows)
{
    int widest = 0;
    for (const BoxPlotRow& row : rows) {
        widest = std::max(widest, metrics.horizontalAdvance(row.label));
    }
    return widest;
}

void DrawBox(QPainter& painter, const BoxScale& scale, const BoxSummary& box, int centreY)
{
    const int top = centreY - BoxHalfHeight;
    const int bottom = centreY + BoxHalfHeight;
    const int lowerWhisker = scale.X(box.lowerWhisker);
    const int upperWhisker = scale.X(box.upperWhisker);
    const int lowerQuartile = scale.X(box.lowerQuartile);
    const int upperQuartile = scale.X(box.upperQuartile);
    HorizontalLine(painter, lowerWhisker, upperWhisker, centreY, 1, tarvek_colors::BarGreen);
    VerticalLine(painter, lowerWhisker, centreY - WhiskerCapHalfHeight, centreY + WhiskerCapHalfHeight,
                 tarvek_colors::BarGreen);
    VerticalLine(painter, upperWhisker, centreY - WhiskerCapHalfHeight, centreY + WhiskerCapHalfHeight,
                 tarvek_colors::BarGreen);
    FillBetweenCorners(painter, lowerQuartile, top, upperQuartile + 1, bottom + 1, tarvek_colors::BarGreen);
    FillBetweenCorners(painter, lowerQuartile + 1, top + 1, upperQuartile, bottom,
                       tarvek_colors::PanelBackground);
    const int median = scale.X(box.median);
    FillBetweenCorners(painter, median, top, median + 2, bottom + 1, TextColour);
    for (const double outlier : box.outliers) {
        const int x = scale.X(outlier);
        FillBetweenCorners(painter, x - 1, centreY - 1, x + 2, centreY + 2, tarvek_colors::BarGreen);
    }
}

void DrawBoxAxis(QPainter& painter, const BoxScale& scale, int axisY)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int labelTop = axisY + BoxTickLength;
    HorizontalLine(painter, scale.left, scale.right, axisY, 1, TextColour);
    const int middle = nearest(scale.left + (scale.right - scale.left) / 2.0);
    const std::array<std::string, 3> labels = BoxAxisLabels({scale.lo, scale.hi});
    const QString lowText = QString::fromStdString(labels[0]);
    const QString middleText = QString::fromStdString(labels[1]);
    const QString highText = QString::fromStdString(labels[2]);
    for (const int x : {scale.left, middle, scale.right}) {
        VerticalLine(painter, x, axisY, labelTop, TextColour);
    }
    DrawTextAt(painter, scale.left, labelTop, lowText);
    DrawTextAt(painter, middle - nearest(metrics.horizontalAdvance(middleText) / 2.0), labelTop, middleText);
    DrawTextAt(painter, scale.right - metrics.horizontalAdvance(highText), labelTop, highText);
}

}  // namespace

QFont PlotLabelFont()
{
    QFont font = InterfaceFont(8);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QRect PlotFrameRect()
{
    return QRect(PlotFrameLeft, PlotFrameTop, PlotFrameWidth, PlotFrameHeight);
}

void InitGraph(QPainter& painter, const PlotFrame& frame)
{
    painter.fillRect(PlotFrameRect(), tarvek_colors::PlotBackground);
    DrawFrameBorder(painter);
    DrawScale(painter, frame);
    DrawMeanLine(painter, frame);
}

void DrawMeanLine(QPainter& painter, const PlotFrame& frame)
{
    VerticalLine(painter, frame.meanLineX, PlotTopY(frame), TickBottomY(frame), tarvek_colors::MeanLineRed);
    DrawFrameBorder(painter);
}

void DrawBar(QPainter& painter, const PlotFrame& frame, int k, int count, int barUnit,
             const PlotOptions& options)
{
    const PixelSpan edges = ClassBarEdges(frame, k);
    FillBetweenCorners(painter, edges.left, frame.axisY, edges.right, frame.axisY - count * barUnit,
                       tarvek_colors::BarGreen);
    MarkIfFull(painter, frame, k, count, barUnit, options);
    DrawMeanLine(painter, frame);
}

QRegion BarRegion(const PlotFrame& frame, int k)
{
    const PixelSpan edges = ClassBarEdges(frame, k);
    const QRect column(QPoint(edges.left, PlotTopY(frame)), QPoint(edges.right, frame.axisY));
    return MeanLineRegion(frame).united(column);
}

void ReDrawHistogram(QPainter& painter, const PlotFrame& frame, const HistogramCounts& counts, int barUnit,
                     const PlotOptions& options)
{
    const int plotTop = PlotTopY(frame);
    for (int k = 1; k <= HistogramClasses; ++k) {
        const PixelSpan edges = ClassBarEdges(frame, k);
        const int count = counts[k];
        const int barTop = frame.axisY - count * barUnit;
        FillBetweenCorners(painter, edges.left, barTop, edges.right, plotTop, tarvek_colors::PlotBackground);
        FillBetweenCorners(painter, edges.left, frame.axisY, edges.right, barTop, tarvek_colors::BarGreen);
        MarkIfFull(painter, frame, k, count, barUnit, options);
    }
    DrawMeanLine(painter, frame);
}

void ReDrawPlot(QPainter& painter, const PlotFrame& frame, const IntervalSlots& intervalSlots,
                const PlotOptions& options)
{
    for (int i = 1; i <= IntervalRows; ++i) {
        if (!intervalSlots.intervalShown[i]) {
            continue;
        }
        const int y = SlotRowY(frame, i);
        HorizontalLine(painter, frame.plotLeft, AxisRightX(frame), y, IntervalPenWidth,
                       tarvek_colors::PlotBackground);
        const bool red = options.colourMissedIntervals && intervalSlots.intervalMissed[i];
        HorizontalLine(painter, intervalSlots.intervalLeft[i], intervalSlots.intervalRight[i], y,
                       IntervalPenWidth, red ? tarvek_colors::MarkRed : tarvek_colors::BarGreen);
    }
    DrawMeanLine(painter, frame);
}

QRegion IntervalRowsRegion(const PlotFrame& frame)
{
    const QRect rows(QPoint(frame.plotLeft, SlotRowY(frame, 1) - 1), QPoint(AxisRightX(frame), frame.axisY));
    return MeanLineRegion(frame).united(rows);
}

QRegion DrawAddedSample(QPainter& painter, const RunGraph& graph, const SampleResult& sample,
                        const PlotOptions& options)
{
    if (graph.kind == GraphKind::Intervals) {
        ReDrawPlot(painter, graph.frame, graph.intervalSlots, options);
        return IntervalRowsRegion(graph.frame);
    }
    const int k = sample.histogramClass;
    DrawBar(painter, graph.frame, k, graph.counts[k], graph.barUnit, options);
    return BarRegion(graph.frame, k);
}

void PaintPlotFrame(QPainter& painter, const RunGraph& graph, const PlotOptions& options)
{
    painter.save();
    painter.translate(-PlotFrameLeft, -PlotFrameTop);
    painter.setClipRect(PlotFrameRect());
    InitGraph(painter, graph.frame);
    if (graph.kind == GraphKind::Intervals) {
        ReDrawPlot(painter, graph.frame, graph.intervalSlots, options);
    } else {
        ReDrawHistogram(painter, graph.frame, graph.counts, graph.barUnit, options);
    }
    painter.restore();
}

QImage RenderPlotFrame(const RunGraph& graph, const PlotOptions& options)
{
    return RenderPicture(PlotFrameRect().size(), tarvek_colors::PlotBackground,
                         [&](QPainter& painter) { PaintPlotFrame(painter, graph, options); });
}

std::string SavePlotPicture(const RunGraph& graph, const std::string& fileName, const PlotOptions& options)
{
    return WritePicture(fileName, RenderPlotFrame(graph, options),
                        [&](QPainter& painter) { PaintPlotFrame(painter, graph, options); });
}

QSize BoxPlotSize(const std::vector<BoxPlotRow>& rows)
{
    // Measured as a bitmap draws the labels, so that every format of the picture
    // has the bitmap's size.
    const QImage bitmap(1, 1, QImage::Format_RGB32);
    const int labelWidth = BoxLabelWidth(QFontMetrics(PlotLabelFont(), &bitmap), rows);
    const int rowCount = std::max(static_cast<int>(rows.size()), 1);
    return {BoxPictureWidth + std::max(labelWidth - BoxLabelRoom, 0),
            BoxTopMargin + rowCount * BoxRowHeight + BoxAxisGap + BoxBottomRoom};
}

void PaintBoxPlots(QPainter& painter, const std::vector<BoxPlotRow>& rows, double populationMean)
{
    const QSize size = BoxPlotSize(rows);
    painter.fillRect(QRect(QPoint(0, 0), size), tarvek_colors::PlotBackground);
    painter.setFont(PlotLabelFont());
    painter.setPen(TextColour);
    const QFontMetrics metrics = painter.fontMetrics();
    const int labelWidth = BoxLabelWidth(metrics, rows);
    const int plotLeft = BoxLabelLeft + labelWidth + 2 * BoxLabelLeft;
    const BoxScale scale = BoxScaleFor(rows, populationMean, plotLeft, size.width() - BoxPlotRightMargin);
    const int axisY = BoxTopMargin + std::max(static_cast<int>(rows.size()), 1) * BoxRowHeight + BoxAxisGap;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int centreY = BoxTopMargin + static_cast<int>(r) * BoxRowHeight + BoxRowHeight / 2;
        DrawTextAt(painter, BoxLabelLeft, centreY - metrics.height() / 2, rows[r].label);
        if (rows[r].box.available) {
            DrawBox(painter, scale, rows[r].box, centreY);
        }
    }
    DrawBoxAxis(painter, scale, axisY);
    VerticalLine(painter, scale.X(populationMean), BoxTopMargin / 2, axisY + BoxTickLength,
                 tarvek_colors::MeanLineRed);
}
