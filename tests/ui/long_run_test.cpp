// A long run: the windows handle input between the slices of Automatic and of the
// comparison's Run, OK and Escape stop it, and clicks that arrive meanwhile
// neither draw nor start a second run. Slices of length 0 handle the events at
// every step, so the input meets the run whatever the machine's speed.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "core/simulation_state.h"
#include "engine/run_engine.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/window_test_setup.h"
#include "ui/comparison_window.h"
#include "ui/distribution_window.h"
#include "ui/interval_window.h"
#include "ui/run_slices.h"

namespace {

constexpr int Samples = 1000;

/// 20,000 units, samples of 100 proportional to a size that gives unit 1 nearly
/// the whole total: each unit of a sample takes about 20,000 acceptance trials.
void SetUpExpensivePopulation(bool confidenceIntervals)
{
    window_test::SetUpPopulation(Samples, confidenceIntervals);
    TSimulationState& s = SimulationState;
    s.unitCount = 20000;
    s.variableCount = 2;
    s.variableNames[2] = "Size";
    for (int unit = 1; unit <= s.unitCount; ++unit) {
        s.populationData[unit][1] = unit % 20 + 1;
        s.populationData[unit][2] = unit == 1 ? 1e9 : 1.0;
    }
    s.sampleSize = 100;
    s.designCode = DesignProportionalToSize;
    s.auxiliaryVariable = 2;
}

std::vector<double> Estimates(int count)
{
    return {SimulationState.estimates.begin() + 1, SimulationState.estimates.begin() + 1 + count};
}

void PressOK(QWidget* window)
{
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
}

void PressEscape(QWidget* window)
{
    QTest::keyClick(window, Qt::Key_Escape);
}

struct StopCase {
    const char* name;
    std::function<void(QWidget*)> stop;
};

const std::vector<StopCase> StopCases = {{"OK", PressOK}, {"Escape", PressEscape}};

/// Calls `act` at the first handling of events at which `ready` holds.
void WhenReady(QObject* context, const std::function<bool()>& ready, const std::function<void()>& act)
{
    QTimer::singleShot(0, context, [context, ready, act] {
        if (ready()) {
            act();
        } else {
            WhenReady(context, ready, act);
        }
    });
}

class LongRunTest : public ::testing::Test {
protected:
    void SetUp() override { RunSlices::SetSliceLength(0); }
    void TearDown() override { RunSlices::SetSliceLength(SliceMilliseconds); }

    testing_support::ModalWatchdog watchdog;
    TSimula histogram;
    TConfidenceIntervals intervals;
    TComparison comparison;
};

TEST_F(LongRunTest, InputBetweenSlicesOfAutomaticStopsTheRunOnTheSamplesOfAPlainRun)
{
    for (SimulationWindow* window : std::vector<SimulationWindow*>{&histogram, &intervals}) {
        for (const StopCase& c : StopCases) {
            SetUpExpensivePopulation(window == &intervals);
            window->show();
            int drawnWhenInputCame = -1;
            WhenReady(
                window, [window] { return window->samplesDrawn() >= 1; },
                [window, &c, &drawnWhenInputCame] {
                    drawnWhenInputCame = window->samplesDrawn();
                    EXPECT_TRUE(window->automaticDrawing());
                    QTest::mouseClick(window->NextButton, Qt::LeftButton);
                    QTest::mouseClick(window->FastButton, Qt::LeftButton);
                    QTest::keyClick(window->OKButton, Qt::Key_N);
                    EXPECT_EQ(window->samplesDrawn(), drawnWhenInputCame) << "no sample and no second run";
                    c.stop(window);
                });
            window->FastButtonClick();
            const int drawn = window->samplesDrawn();
            EXPECT_GE(drawnWhenInputCame, 1) << c.name;
            EXPECT_EQ(drawn, drawnWhenInputCame) << c.name << ": stopped where the input came";
            EXPECT_LT(drawn, Samples) << c.name;
            EXPECT_FALSE(window->isVisible()) << c.name;
            EXPECT_FALSE(window->automaticDrawing()) << c.name;

            const std::vector<double> sliced = Estimates(drawn);
            SetUpExpensivePopulation(window == &intervals);
            RunEngine plain;
            plain.StartRun();
            for (int sample = 1; sample <= drawn; ++sample) {
                SampleResult result;
                plain.NextSample(result);
            }
            EXPECT_EQ(Estimates(drawn), sliced) << c.name << ": the same samples as a run without slices";
        }
    }
}

TEST_F(LongRunTest, InputBetweenSlicesOfTheComparisonAbandonsItsRun)
{
    for (const StopCase& c : StopCases) {
        SetUpExpensivePopulation(false);
        comparison.StartFromSettings();
        comparison.show();
        const std::size_t variants = comparison.variants().size();
        ASSERT_GE(variants, 1U);
        bool inputHandled = false;
        QTimer::singleShot(0, &comparison, [this, &c, &inputHandled] {
            inputHandled = true;
            EXPECT_TRUE(comparison.running());
            comparison.VariantList->setCurrentRow(0);
            QTest::mouseClick(comparison.RemoveButton, Qt::LeftButton);
            QTest::mouseClick(comparison.RunButton, Qt::LeftButton);
            c.stop(&comparison);
        });
        comparison.RunButtonClick();
        EXPECT_TRUE(inputHandled) << c.name;
        EXPECT_FALSE(comparison.isVisible()) << c.name;
        EXPECT_FALSE(comparison.result().has_value()) << c.name << ": neither finished nor run again";
        EXPECT_EQ(comparison.variants().size(), variants) << c.name << ": the list stays as the run read it";
    }
}

}  // namespace
