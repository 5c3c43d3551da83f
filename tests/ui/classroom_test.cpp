// What a teacher meets in the simulation windows: slow motion, the keys, red
// missed intervals and marks on full classes in every picture, where saved
// pictures go and in which format.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <vector>

#include "core/simulation_state.h"
#include "plot/palette.h"
#include "plot/plot_renderer.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/window_test_setup.h"
#include "ui/distribution_window.h"
#include "ui/export_dialogs.h"
#include "ui/forms.h"
#include "ui/interval_window.h"
#include "ui/statistics_table.h"

namespace {

const QString Classroom = QString::fromStdString(std::string(TARVEK_EXAMPLES) + "/classroom.pop");

std::vector<double> RunEstimates(int count)
{
    return {SimulationState.estimates.begin() + 1, SimulationState.estimates.begin() + 1 + count};
}

/// Chooses `fileName` in the next save dialog and keeps the folder it opened in.
void SaveAsOnNextModal(const QString& fileName, QString* openedIn = nullptr)
{
    testing_support::OnNextModal([fileName, openedIn](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (openedIn != nullptr && dialog != nullptr) {
            *openedIn = dialog->directory().absolutePath();
        }
        testing_support::TypeIntoFileDialog(modal, fileName);
    });
}

class ClassroomTest : public ::testing::Test {
protected:
    void SetUp() override { ViewOptions() = SimulationViewOptions{}; }
    void TearDown() override { ViewOptions() = SimulationViewOptions{}; }

    testing_support::ModalWatchdog watchdog;
    TSimula histogram;
    TConfidenceIntervals intervals;
};

TEST_F(ClassroomTest, SlowMotionDrawsOneSampleATickAndTheSamplesOfAFastRun)
{
    window_test::SetUpPopulation(100);
    histogram.show();
    histogram.FastButtonClick();
    const std::vector<double> fast = RunEstimates(100);
    const QImage fastPicture = histogram.clientImage();
    histogram.hide();

    window_test::SetUpPopulation(100);
    ViewOptions().slowMotion = true;
    histogram.show();
    auto* timer = histogram.findChild<QTimer*>(QStringLiteral("SlowMotionTimer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), SlowMotionInterval);
    // Connected after the window's own step, so each tick is seen once it drew.
    int ticks = 0;
    std::vector<int> drawnAtTick;
    QObject::connect(timer, &QTimer::timeout, &histogram, [&] {
        ++ticks;
        drawnAtTick.push_back(histogram.samplesDrawn());
    });
    histogram.FastButtonClick();
    EXPECT_EQ(histogram.samplesDrawn(), 0) << "Automatic returns at once and draws on a timer";
    ASSERT_TRUE(QTest::qWaitFor([this] { return histogram.runEngine().finished(); }, 10000));
    EXPECT_EQ(ticks, 100);
    for (int tick = 1; tick <= static_cast<int>(drawnAtTick.size()); ++tick) {
        ASSERT_EQ(drawnAtTick[tick - 1], tick) << "one sample at each tick";
    }
    EXPECT_FALSE(histogram.slowMotionRunning());
    EXPECT_EQ(RunEstimates(100), fast);
    EXPECT_EQ(histogram.clientImage(), fastPicture);
}

TEST_F(ClassroomTest, DuringSlowMotionKeysActAutomaticFinishesAndOKStops)
{
    window_test::SetUpPopulation(1000);
    ViewOptions().slowMotion = true;
    histogram.show();
    histogram.FastButtonClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return histogram.samplesDrawn() >= 3; }, 5000));
    ASSERT_TRUE(histogram.slowMotionRunning());
    const int before = histogram.samplesDrawn();
    QTest::keyClick(histogram.OKButton, Qt::Key_N);
    EXPECT_EQ(histogram.samplesDrawn(), before + 1) << "input is handled while the run goes on";
    QTest::keyClick(histogram.OKButton, Qt::Key_A);
    EXPECT_EQ(histogram.samplesDrawn(), 1000) << "Automatic again draws the rest at once";
    EXPECT_FALSE(histogram.slowMotionRunning());

    SimulationState.simulationRestart = true;
    histogram.hide();
    histogram.show();
    histogram.FastButtonClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return histogram.samplesDrawn() >= 1; }, 5000));
    histogram.OKButtonClick();
    const int stoppedAt = histogram.samplesDrawn();
    EXPECT_FALSE(histogram.isVisible());
    EXPECT_FALSE(histogram.slowMotionRunning()) << "no tick is left to draw";
    QCoreApplication::processEvents();
    EXPECT_EQ(histogram.samplesDrawn(), stoppedAt);
}

TEST_F(ClassroomTest, KeysDrawStartAutomaticAndOpenTheStatistics)
{
    TStatistics statistics;
    Forms.Statistics = &statistics;
    struct Case {
        SimulationWindow* window;
        Qt::Key key;
        int samplesAfter;
        bool statisticsOpen;
    };
    for (const Case& c : {Case{&histogram, Qt::Key_N, 1, false}, Case{&histogram, Qt::Key_A, 10, false},
                          Case{&histogram, Qt::Key_S, 0, true}, Case{&intervals, Qt::Key_N, 1, false},
                          Case{&intervals, Qt::Key_A, 10, false}, Case{&intervals, Qt::Key_S, 0, false}}) {
        window_test::SetUpPopulation(10, c.window == &intervals);
        c.window->show();
        bool opened = false;
        if (c.statisticsOpen) {
            testing_support::OnNextModal([&opened](QWidget* modal) {
                opened = modal == Forms.Statistics;
                Forms.Statistics->OKButtonClick();
            });
        }
        ASSERT_EQ(c.window->focusWidget(), static_cast<QWidget*>(c.window->OKButton));
        // Pressed where the focus is: the button passes the key on to its window.
        QTest::keyClick(c.window->focusWidget(), c.key);
        EXPECT_EQ(c.window->samplesDrawn(), c.samplesAfter) << c.key;
        EXPECT_EQ(opened, c.statisticsOpen) << c.key;
        EXPECT_EQ(c.window->focusWidget(), static_cast<QWidget*>(c.window->OKButton)) << "OK keeps the focus";
        c.window->hide();
    }
    Forms.Statistics = nullptr;
}

TEST_F(ClassroomTest, MissedIntervalsAreRedInTheWindowTheSavedPictureAndTheBatchPicture)
{
    window_test::ReadExamplePopulation("classroom.pop");
    SimulationState.simulationCount = 50;
    SimulationState.confidenceIntervalMode = true;
    SimulationState.simulationRestart = true;
    ViewOptions().plot.colourMissedIntervals = true;
    intervals.show();
    std::vector<bool> missed;
    for (int sample = 1; sample <= 50; ++sample) {
        const int correctBefore = intervals.runEngine().correctIntervals();
        intervals.NextButtonClick();
        missed.push_back(intervals.runEngine().correctIntervals() == correctBefore);
    }
    ASSERT_GT(std::count(missed.end() - IntervalRows, missed.end(), true), 0) << "the run misses sometimes";
    const RunGraph& graph = intervals.runGraph();
    for (int i = 1; i <= IntervalRows; ++i) {
        const QColor expected =
            missed[50 - IntervalRows + i - 1] ? tarvek_colors::MarkRed : tarvek_colors::BarGreen;
        for (int x = graph.intervalSlots.intervalLeft[i]; x <= graph.intervalSlots.intervalRight[i]; ++x) {
            const QColor shown = intervals.clientImage().pixelColor(x, SlotRowY(graph.frame, i));
            EXPECT_TRUE(shown == expected || x == graph.frame.meanLineX) << "row " << i << " x " << x;
        }
    }
    const QImage shown = intervals.clientImage().copy(PlotFrameRect());
    EXPECT_EQ(window_test::BatchPlot({"--simulations", "50", "--intervals", "--colour-missed", Classroom}),
              shown);
    EXPECT_NE(window_test::BatchPlot({"--simulations", "50", "--intervals", Classroom}), shown);

    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("intervals.png"));
    SaveAsOnNextModal(fileName);
    intervals.SaveButtonClick();
    QFile saved(fileName);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.read(8).startsWith("\x89PNG")) << "the type follows the extension";
    EXPECT_EQ(QImage(fileName).convertToFormat(QImage::Format_RGB32), shown);
}

TEST_F(ClassroomTest, FullClassesAreMarkedInTheWindowAndTheBatchPicture)
{
    window_test::ReadExamplePopulation("classroom.pop");
    SimulationState.simulationRestart = true;
    ViewOptions().plot.markFullClasses = true;
    histogram.show();
    histogram.FastButtonClick();
    const RunGraph& graph = histogram.runGraph();
    int full = 0;
    for (int k = 1; k <= HistogramClasses; ++k) {
        const int count = SimulationState.histogramCounts[k];
        const bool isFull = (count + 1) * graph.barUnit > BarCapSteps * graph.frame.stepHeight;
        full += isFull ? 1 : 0;
        const PixelSpan bar = ClassBarEdges(graph.frame, k);
        const int barTop = graph.frame.axisY - count * graph.barUnit;
        for (const int y : {barTop - 4, barTop - 3, barTop - 2}) {
            const bool red = histogram.clientImage().pixelColor(bar.left, y) == tarvek_colors::MarkRed &&
                             histogram.clientImage().pixelColor(bar.right - 1, y) == tarvek_colors::MarkRed;
            EXPECT_EQ(red, isFull) << "class " << k << " row " << y;
        }
        EXPECT_NE(histogram.clientImage().pixelColor(bar.left, barTop - 1), tarvek_colors::MarkRed) << k;
    }
    ASSERT_GT(full, 0) << "1000 samples fill some classes";
    const QImage shown = histogram.clientImage().copy(PlotFrameRect());
    EXPECT_EQ(window_test::BatchPlot({"--mark-full", Classroom}), shown);
    EXPECT_NE(window_test::BatchPlot({Classroom}), shown);
}

TEST_F(ClassroomTest, SaveDialogsOpenInThePicturesFolderThenInTheLastOneUsed)
{
    QTemporaryDir home;
    const QByteArray previousHome = qgetenv("HOME");
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    EXPECT_EQ(SaveDialogFolder(QString()), home.path()) << "no pictures folder";
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Pictures")));
    EXPECT_EQ(SaveDialogFolder(QString()), home.filePath(QStringLiteral("Pictures")));
    EXPECT_EQ(SaveDialogFolder(QStringLiteral("/tmp")), QStringLiteral("/tmp"));
    qputenv("HOME", previousHome);
    qputenv("XDG_CONFIG_HOME", previousConfig);

    window_test::SetUpPopulation(10);
    histogram.show();
    QTemporaryDir folder;
    SaveAsOnNextModal(folder.filePath(QStringLiteral("graph")));
    histogram.SaveButtonClick();
    QFile saved(folder.filePath(QStringLiteral("graph.bmp")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << "a name without extension gets .bmp";
    EXPECT_TRUE(saved.read(2) == "BM");

    window_test::SetUpPopulation(10, true);
    intervals.show();
    QString openedIn;
    SaveAsOnNextModal(folder.filePath(QStringLiteral("rows.bmp")), &openedIn);
    intervals.SaveButtonClick();
    EXPECT_EQ(openedIn, folder.path()) << "the other window opens where the last save went";
}

}  // namespace

namespace {

TEST(PercentGaugeTest, ThePercentageIsWhiteOverTheBarAndBlackBeside)
{
    TConfidenceIntervals window;
    window_test::SetUpPopulation(10, true);
    window.show();
    struct Case {
        int percent;
        bool dark;   ///< dark text pixels
        bool light;  ///< light text pixels over the red bar
    };
    for (const Case& c : {Case{0, true, false}, Case{100, false, true}}) {
        window.Gauge2->setValue(c.percent);
        const QImage gauge = window.Gauge2->grab().toImage();
        bool dark = false;
        bool light = false;
        // Inside the frame; the bar is pure red and the empty gauge white.
        for (int y = 2; y < gauge.height() - 2; ++y) {
            for (int x = 2; x < gauge.width() - 2; ++x) {
                const QColor pixel = gauge.pixelColor(x, y);
                dark = dark || (pixel.red() < 100 && pixel.green() < 100);
                light = light || (c.percent > 0 && pixel.green() > 150);
            }
        }
        EXPECT_EQ(dark, c.dark) << c.percent;
        EXPECT_EQ(light, c.light) << c.percent;
    }
}

}  // namespace
