#include "plot/plot_renderer.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "core/simulation_state.h"
#include "engine/run_engine.h"
#include "plot/picture_file.h"
#include "ui/window_style.h"

namespace {

const QColor Black(0, 0, 0);

class PlotRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = PrepareDistributionFrame(RunScale{0.0, 100.0, 100.0}, 30.0);
        canvas.fill(tarvek_colors::SettingsBackground);
        ClearHistogramCounts(SimulationState.histogramCounts);
    }

    template <typename Paint>
    void Draw(Paint paint)
    {
        QPainter painter(&canvas);
        paint(painter);
    }

    QColor At(int x, int y) const { return canvas.pixelColor(x, y); }

    /// True when some pixel of the rectangle has `color`.
    bool Contains(const QRect& area, const QColor& color) const
    {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (At(x, y) == color) {
                    return true;
                }
            }
        }
        return false;
    }

    PlotFrame frame;
    QImage canvas{541, 346, QImage::Format_RGB32};
};

TEST_F(PlotRendererTest, InitGraphDrawsAxisTicksAndMeanLine)
{
    Draw([&](QPainter& p) { InitGraph(p, frame); });
    EXPECT_EQ(At(18, 235), tarvek_colors::PlotBackground);
    for (int x : {19, 100, 476}) {
        EXPECT_EQ(At(x, 235), Black) << x;
    }
    EXPECT_EQ(At(477, 235), tarvek_colors::PlotBackground);
    for (int x : {19, 248, 476}) {
        EXPECT_EQ(At(x, 242), Black) << "tick at " << x;
        EXPECT_EQ(At(x, 243), tarvek_colors::PlotBackground) << "tick at " << x;
    }
    EXPECT_EQ(At(249, 240), tarvek_colors::PlotBackground);
    EXPECT_EQ(frame.meanLineX, 19 + 137);
    EXPECT_EQ(At(156, 25), tarvek_colors::MeanLineRed);
    EXPECT_EQ(At(156, 242), tarvek_colors::MeanLineRed);
    EXPECT_EQ(At(156, 24), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(156, 243), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(156, 235), tarvek_colors::MeanLineRed) << "the mean line crosses the axis";
}

TEST_F(PlotRendererTest, InitGraphCoversExactlyThePlotFrame)
{
    Draw([&](QPainter& p) { InitGraph(p, frame); });
    EXPECT_EQ(At(7, 100), tarvek_colors::SettingsBackground);
    EXPECT_EQ(At(489, 100), tarvek_colors::SettingsBackground);
    EXPECT_EQ(At(100, 265), tarvek_colors::SettingsBackground);
    EXPECT_EQ(At(9, 9), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(487, 263), tarvek_colors::PlotBackground);
    // The sunken border: shadow on the top and left, light on the bottom and right.
    EXPECT_EQ(At(8, 100), At(100, 8));
    EXPECT_EQ(At(488, 100), QColor(Qt::white));
    EXPECT_EQ(At(100, 264), QColor(Qt::white));
    EXPECT_NE(At(8, 100), tarvek_colors::PlotBackground);
}

TEST_F(PlotRendererTest, ScaleLabelsStandBelowTheirTicks)
{
    Draw([&](QPainter& p) { InitGraph(p, frame); });
    const QFontMetrics metrics(PlotLabelFont(), &canvas);
    const int top = 242;
    const int height = metrics.height();
    const int lowerWidth = metrics.horizontalAdvance(QStringLiteral("0.000"));
    const int middleWidth = metrics.horizontalAdvance(QStringLiteral("50.000"));
    const int upperWidth = metrics.horizontalAdvance(QStringLiteral("100.000"));
    // Text below the ticks, within each label's box and nowhere between the boxes.
    EXPECT_TRUE(Contains(QRect(20, top + 1, lowerWidth, height), Black));
    EXPECT_TRUE(Contains(QRect(248 - (middleWidth + 1) / 2, top + 1, middleWidth, height), Black));
    EXPECT_TRUE(Contains(QRect(476 - upperWidth, top + 1, upperWidth, height), Black));
    EXPECT_FALSE(Contains(QRect(10, top + 1, 8, height), Black)) << "nothing left of the lower label";
    EXPECT_FALSE(Contains(
        QRect(19 + lowerWidth + 1, top + 1, 248 - middleWidth / 2 - 19 - lowerWidth - 3, height), Black));
    EXPECT_FALSE(Contains(QRect(478, top + 1, 9, height), Black)) << "nothing right of the upper label";
}

TEST_F(PlotRendererTest, ABarCoversItsClassFromTheAxisUp)
{
    Draw([&](QPainter& p) {
        InitGraph(p, frame);
        DrawBar(p, frame, 1, 3, 7);
    });
    // Class 1: x 19..27, rows 214..234 (three estimates of 7 pixels).
    EXPECT_EQ(At(19, 234), tarvek_colors::BarGreen);
    EXPECT_EQ(At(27, 214), tarvek_colors::BarGreen);
    EXPECT_EQ(At(28, 230), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(20, 213), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(20, 235), Black) << "the axis stays visible below the bar";
}

TEST_F(PlotRendererTest, TheMeanLineStaysOverTheBars)
{
    const PixelSpan edges = ClassBarEdges(frame, 16);  // the class under x 156
    ASSERT_LE(edges.left, 156);
    ASSERT_GT(edges.right, 157);
    Draw([&](QPainter& p) {
        InitGraph(p, frame);
        DrawBar(p, frame, 16, 5, 7);
    });
    EXPECT_EQ(At(156, 230), tarvek_colors::MeanLineRed);
    EXPECT_EQ(At(157, 230), tarvek_colors::BarGreen);
}

TEST_F(PlotRendererTest, ReDrawHistogramClearsAboveEachBar)
{
    SimulationState.histogramCounts[2] = 20;
    Draw([&](QPainter& p) {
        InitGraph(p, frame);
        DrawBar(p, frame, 2, 20, 7);
    });
    SimulationState.histogramCounts[2] = 1;
    SimulationState.histogramCounts[50] = 29;
    Draw([&](QPainter& p) { ReDrawHistogram(p, frame, SimulationState.histogramCounts, 7); });
    const PixelSpan second = ClassBarEdges(frame, 2);
    EXPECT_EQ(At(second.left, 228), tarvek_colors::BarGreen);
    EXPECT_EQ(At(second.left, 227), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(470, 32), tarvek_colors::BarGreen) << "a full class reaches 29 steps";
    EXPECT_EQ(At(470, 31), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(156, 100), tarvek_colors::MeanLineRed);
}

TEST_F(PlotRendererTest, IntervalRowsAreTwoPixelsHigh)
{
    const PlotFrame intervals = PrepareIntervalFrame(RunScale{0.0, 100.0, 100.0}, 30.0);
    IntervalSlots rows;
    PushInterval(rows, {19, 33});
    PushInterval(rows, {453, 476});
    Draw([&](QPainter& p) {
        InitGraph(p, intervals);
        ReDrawPlot(p, intervals, rows);
    });
    // Slot 29 (row 227) holds the first interval, slot 30 (row 234) the second.
    EXPECT_EQ(At(19, 227), tarvek_colors::BarGreen);
    EXPECT_EQ(At(33, 226), tarvek_colors::BarGreen);
    EXPECT_EQ(At(34, 227), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(20, 228), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(453, 234), tarvek_colors::BarGreen);
    EXPECT_EQ(At(476, 233), tarvek_colors::BarGreen);
    EXPECT_EQ(At(452, 234), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(200, 31), tarvek_colors::PlotBackground) << "rows not reached stay empty";
}

TEST_F(PlotRendererTest, ARowIsErasedBeforeItsNewIntervalIsDrawn)
{
    const PlotFrame intervals = PrepareIntervalFrame(RunScale{0.0, 100.0, 100.0}, 30.0);
    IntervalSlots rows;
    PushInterval(rows, {19, 400});
    Draw([&](QPainter& p) {
        InitGraph(p, intervals);
        ReDrawPlot(p, intervals, rows);
    });
    PushInterval(rows, {300, 310});
    Draw([&](QPainter& p) { ReDrawPlot(p, intervals, rows); });
    EXPECT_EQ(At(100, 234), tarvek_colors::PlotBackground);
    EXPECT_EQ(At(305, 234), tarvek_colors::BarGreen);
    EXPECT_EQ(At(100, 227), tarvek_colors::BarGreen) << "the older interval moved up one row";
}

TEST_F(PlotRendererTest, AMeanLineFarOutsideDrawsNothingInTheFrame)
{
    const PlotFrame outside = PrepareDistributionFrame(RunScale{0.0, 1.0, 1.0}, 1e300);
    Draw([&](QPainter& p) { InitGraph(p, outside); });
    EXPECT_FALSE(Contains(QRect(0, 0, 541, 346), tarvek_colors::MeanLineRed));
}

TEST_F(PlotRendererTest, RenderedFrameEqualsTheFrameOfTheCanvas)
{
    Draw([&](QPainter& p) {
        InitGraph(p, frame);
        DrawBar(p, frame, 10, 4, 7);
    });
    RunGraph graph;
    graph.frame = frame;
    graph.barUnit = 7;
    graph.counts[10] = 4;
    const QImage rendered = RenderPlotFrame(graph);
    EXPECT_EQ(rendered.size(), QSize(481, 257));
    EXPECT_EQ(rendered, canvas.copy(PlotFrameRect()));
}

// A label wider than the usual label column widens the picture and is drawn whole:
// the columns of the picture that hold its ink are those of the text drawn alone.
TEST(BoxPlotTest, ALongLabelIsDrawnWhole)
{
    const QString longLabel =
        QStringLiteral("Equal / Regression (api00, Academic Performance Index of 1999)");
    struct Case {
        QString label;
        bool wider;
    };
    for (const Case& c : {Case{QStringLiteral("Equal / Direct"), false}, Case{longLabel, true}}) {
        const std::vector<BoxPlotRow> rows = {{c.label, {}}};
        const QImage picture =
            RenderPicture(BoxPlotSize(rows), tarvek_colors::PlotBackground,
                          [&rows](QPainter& painter) { PaintBoxPlots(painter, rows, 1.0); });
        EXPECT_EQ(picture.width() > 640, c.wider) << c.label.toStdString();

        QImage alone(picture.size(), QImage::Format_RGB32);
        alone.fill(tarvek_colors::PlotBackground);
        {
            QPainter painter(&alone);
            painter.setFont(PlotLabelFont());
            painter.setPen(Qt::black);
            painter.drawText(8, 24, c.label);
        }
        const QFontMetrics metrics(PlotLabelFont(), &alone);
        const auto inkColumns = [](const QImage& image, int bottom) {
            std::vector<int> columns;
            for (int x = 0; x < image.width(); ++x) {
                for (int y = 0; y < bottom; ++y) {
                    if (image.pixelColor(x, y) == Black) {
                        columns.push_back(x);
                        break;
                    }
                }
            }
            return columns;
        };
        std::vector<int> labelInk = inkColumns(picture, 12 + 24);  // the first row's band
        const int textEnd = 8 + metrics.horizontalAdvance(c.label);
        std::erase_if(labelInk, [textEnd](int x) { return x > textEnd; });
        EXPECT_EQ(labelInk, inkColumns(alone, alone.height())) << c.label.toStdString();
    }
}

}  // namespace
