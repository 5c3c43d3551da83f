#include "ui/interval_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "core/simulation_state.h"
#include "plot/plot_renderer.h"
#include "tests/ui/window_test_setup.h"
#include "tests/support/gui_test_support.h"
#include "ui/window_style.h"

namespace {

class IntervalWindowTest : public ::testing::Test {
protected:
    void Open(int simulations)
    {
        window_test::SetUpPopulation(simulations, true);
        window.ApplyInterfaceTexts();
        window.show();
    }

    QColor At(int x, int y) const { return window.clientImage().pixelColor(x, y); }

    /// True when the row of slot i shows green between x and x2.
    bool RowIsGreen(int i, int x1, int x2) const
    {
        const int y = SlotRowY(window.plotFrame(), i);
        for (int x = x1; x <= x2; ++x) {
            if (At(x, y) != tarvek_colors::BarGreen && At(x, y) != tarvek_colors::MeanLineRed) {
                return false;
            }
        }
        return true;
    }

    testing_support::ModalWatchdog watchdog;
    TConfidenceIntervals window;
};

TEST_F(IntervalWindowTest, ShowingAfterBeginStartsAnEmptyRun)
{
    Open(40);
    EXPECT_FALSE(SimulationState.simulationRestart);
    EXPECT_EQ(window.plotFrame().axisY, 241);
    EXPECT_EQ(window.plotFrame().stepHeight, 7);
    EXPECT_EQ(window.Gauge1->value(), 0);
    EXPECT_EQ(window.Gauge2->value(), 0);
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Variable:"));
    EXPECT_EQ(window.Label4->text(), QStringLiteral("Percentage of correct intervals"));
    EXPECT_EQ(window.Label2->text(), QStringLiteral("Y"));
    for (int i = 1; i <= IntervalRows; ++i) {
        EXPECT_FALSE(window.intervalSlots().intervalShown[i]);
    }
}

TEST_F(IntervalWindowTest, TheFirstIntervalEntersOnTheRowAboveTheAxis)
{
    Open(40);
    window.NextButtonClick();
    const IntervalSlots& rows = window.intervalSlots();
    ASSERT_TRUE(rows.intervalShown[30]);
    EXPECT_FALSE(rows.intervalShown[29]);
    EXPECT_EQ(SlotRowY(window.plotFrame(), 30), 234);
    EXPECT_TRUE(RowIsGreen(30, rows.intervalLeft[30], rows.intervalRight[30]));
    EXPECT_EQ(At(rows.intervalRight[30] + 1, 234), tarvek_colors::PlotBackground);
    EXPECT_EQ(window.Gauge1->value(), 2);  // 2.5 goes to the even neighbour
    EXPECT_EQ(window.Gauge2->value(), window.runEngine().correctIntervals() * 100);
}

TEST_F(IntervalWindowTest, The31stIntervalMovesEveryRowUp)
{
    Open(40);
    for (int sample = 0; sample < 30; ++sample) {
        window.NextButtonClick();
    }
    IntervalSlots before = window.intervalSlots();
    window.NextButtonClick();
    const IntervalSlots& after = window.intervalSlots();
    for (int i = 1; i < IntervalRows; ++i) {
        EXPECT_EQ(after.intervalLeft[i], before.intervalLeft[i + 1]) << i;
        EXPECT_EQ(after.intervalRight[i], before.intervalRight[i + 1]) << i;
    }
    EXPECT_EQ(SlotRowY(window.plotFrame(), 1), 31);
    EXPECT_TRUE(RowIsGreen(1, after.intervalLeft[1], after.intervalRight[1]));
    EXPECT_EQ(window.Gauge1->value(), 78);  // 77.5
}

TEST_F(IntervalWindowTest, AutomaticFinishesTheRunAndCountsEveryInterval)
{
    Open(40);
    window.FastButtonClick();
    EXPECT_EQ(window.samplesDrawn(), 40);
    EXPECT_EQ(window.Gauge1->value(), 100);
    EXPECT_EQ(window.Gauge2->value(), GaugePercent(window.runEngine().correctIntervals(), 40));
    EXPECT_GT(window.runEngine().correctIntervals(), 0);
    EXPECT_EQ(window.clientImage().copy(PlotFrameRect()), RenderPlotFrame(window.runGraph()))
        << "the rows drawn one by one equal the rows drawn at once";
}

TEST_F(IntervalWindowTest, IntervalsBeyondTheScaleStayInsideTheFrame)
{
    window_test::SetUpPopulation(40, true);
    SimulationState.scaleLower = 100.0;  // every estimate lies below the scale
    SimulationState.scaleUpper = 200.0;
    window.show();
    window.FastButtonClick();
    const IntervalSlots& rows = window.intervalSlots();
    for (int i = 1; i <= IntervalRows; ++i) {
        EXPECT_EQ(rows.intervalLeft[i], 19) << i;
        EXPECT_EQ(rows.intervalRight[i], 19 + 2 * IntervalMarkHalfLength) << i;
    }
    EXPECT_EQ(At(19, 234), tarvek_colors::BarGreen);
}

TEST_F(IntervalWindowTest, GaugePercentRoundsHalvesToEven)
{
    EXPECT_EQ(GaugePercent(19, 20), 95);
    EXPECT_EQ(GaugePercent(1, 8), 12);
    EXPECT_EQ(GaugePercent(3, 8), 38);
    EXPECT_EQ(GaugePercent(1, 0), 0);
}

TEST_F(IntervalWindowTest, TheBatchPlotEqualsTheFrameAfterAutomatic)
{
    window_test::ReadExamplePopulation("classroom.pop");
    SimulationState.simulationCount = 50;
    SimulationState.confidenceIntervalMode = true;
    SimulationState.simulationRestart = true;
    window.show();
    window.FastButtonClick();
    EXPECT_EQ(window_test::BatchPlot(
                  {QStringLiteral("--simulations"), QStringLiteral("50"), QStringLiteral("--intervals"),
                   QString::fromStdString(std::string(TARVEK_EXAMPLES) + "/classroom.pop")}),
              window.clientImage().copy(PlotFrameRect()));
}

}  // namespace
