#include "ui/distribution_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <set>
#include <string_view>
#include <vector>
#include <numeric>

#include "core/simulation_state.h"
#include "plot/picture_file.h"
#include "plot/plot_renderer.h"
#include "ui/statistics_table.h"
#include "tests/ui/window_test_setup.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/gui_test_support.h"
#include "ui/error_message.h"
#include "ui/interval_window.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/sample_window.h"
#include "ui/window_style.h"

namespace {

int HistogramTotal()
{
    const auto& counts = SimulationState.histogramCounts;
    return std::accumulate(counts.begin(), counts.end(), 0);
}

QByteArray ReadFile(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Chooses `fileName` in the next save dialog, keeping the name it offered; then
/// runs `afterwards`, e.g. to handle the next modal window.
void ChooseFileOnNextModal(const QString& fileName, QString* offered = nullptr,
                           const std::function<void()>& afterwards = {})
{
    testing_support::OnNextModal([fileName, offered, afterwards](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        if (offered != nullptr && !dialog->selectedFiles().isEmpty()) {
            *offered = dialog->selectedFiles().constFirst();
        }
        // Typed, as selectFile leaves the name field alone while it has the focus.
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(fileName);
        // QFileDialog's own accept() checks the name as the Save button does.
        static_cast<QDialog*>(dialog)->accept();
        if (afterwards) {
            afterwards();
        }
    });
}

/// Closes the next modal window and keeps the texts of its labels and message.
void CloseNextModal(QString* texts)
{
    testing_support::OnNextModal([texts](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            *texts += box->text();
        }
        for (const QLabel* label : modal->findChildren<QLabel*>()) {
            *texts += label->text() + QLatin1Char('\n');
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Accepted);
        }
    });
}

class DistributionWindowTest : public ::testing::Test {
protected:
    void Open(int simulations)
    {
        window_test::SetUpPopulation(simulations);
        window.ApplyInterfaceTexts();
        window.show();
    }

    QImage ShownFrame() const { return window.clientImage().copy(PlotFrameRect()); }

    testing_support::ModalWatchdog watchdog;
    TSimula window;
};

TEST_F(DistributionWindowTest, ShowingAfterBeginStartsAFreshRun)
{
    Open(10);
    EXPECT_FALSE(SimulationState.simulationRestart);
    EXPECT_EQ(window.samplesDrawn(), 0);
    EXPECT_EQ(window.Gauge1->value(), 0);
    EXPECT_EQ(window.Label2->text(), QStringLiteral("Y"));
    EXPECT_EQ(window.Label3->text(), QStringLiteral("Variable:"));
    EXPECT_EQ(window.StatButton->text(), QStringLiteral("Statistics"));
    EXPECT_EQ(window.plotFrame().axisY, 235);
    EXPECT_EQ(window.barUnit(), 7);
    EXPECT_EQ(HistogramTotal(), 0);
    EXPECT_EQ(ShownFrame(), RenderPlotFrame(window.runGraph())) << "an empty axis with the mean line";
}

// One size far above the others: a sample of all N units takes about N * N
// trials, far more than a slice. OK pressed meanwhile stops the draw itself.
TEST_F(DistributionWindowTest, OKStopsALongDrawWithinItsSample)
{
    constexpr int Units = 10000;
    for (const auto draw : {&TSimula::NextButtonClick, &TSimula::FastButtonClick}) {
        window_test::SetUpPopulation(10);
        TSimulationState& s = SimulationState;
        s.unitCount = Units;
        s.variableCount = 2;
        for (int unit = 1; unit <= Units; ++unit) {
            s.populationData[unit][1] = unit;
            s.populationData[unit][2] = unit == 1 ? 1e9 : 1.0;
        }
        s.designCode = DesignProportionalToSize;
        s.auxiliaryVariable = 2;
        s.sampleSize = Units;
        window.show();
        QTimer::singleShot(0, &window, [this] { window.OKButtonClick(); });
        (window.*draw)();
        EXPECT_EQ(window.samplesDrawn(), 0);
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.automaticDrawing());
    }
}

TEST_F(DistributionWindowTest, NextDrawsOneSampleAndItsBar)
{
    Open(10);
    window.NextButtonClick();
    EXPECT_EQ(window.samplesDrawn(), 1);
    EXPECT_EQ(window.Gauge1->value(), 10);
    EXPECT_EQ(HistogramTotal(), 1);
    const int k = HistogramClass(SimulationState.estimates[1], window.runEngine().scale());
    EXPECT_EQ(SimulationState.histogramCounts[k], 1);
    const PixelSpan bar = ClassBarEdges(window.plotFrame(), k);
    EXPECT_EQ(window.clientImage().pixelColor(bar.left, 234), tarvek_colors::BarGreen);
    EXPECT_EQ(window.clientImage().pixelColor(bar.left, 228), tarvek_colors::BarGreen);
    EXPECT_EQ(window.clientImage().pixelColor(bar.left, 227), tarvek_colors::PlotBackground);
}

TEST_F(DistributionWindowTest, AutomaticAfterThreeNextsFinishesTheRun)
{
    Open(10);
    for (int click = 0; click < 3; ++click) {
        window.NextButtonClick();
    }
    EXPECT_EQ(window.Gauge1->value(), 30);
    EXPECT_EQ(window.Gauge1->toolTip(), QStringLiteral("3 of 10"));
    window.FastButtonClick();
    EXPECT_EQ(window.samplesDrawn(), 10);
    EXPECT_EQ(window.Gauge1->value(), 100);
    EXPECT_EQ(window.Gauge1->toolTip(), QStringLiteral("10 of 10"));
    EXPECT_EQ(HistogramTotal(), 10);
    EXPECT_EQ(ShownFrame(), RenderPlotFrame(window.runGraph()))
        << "the bars drawn one by one equal the histogram drawn at once";

    const QImage finished = window.clientImage();
    window.NextButtonClick();
    EXPECT_EQ(window.samplesDrawn(), 10);
    EXPECT_EQ(window.Gauge1->value(), 100);
    EXPECT_EQ(window.clientImage(), finished) << "Next after the last sample changes nothing";
}

TEST_F(DistributionWindowTest, AFullClassStopsGrowingWhileTheRunGoesOn)
{
    window_test::SetUpPopulation(100);
    for (int unit = 1; unit <= 20; ++unit) {
        SimulationState.populationData[unit][1] = 10.0;  // every estimate in class 26
    }
    window.show();
    window.FastButtonClick();
    EXPECT_EQ(window.samplesDrawn(), 100);
    EXPECT_EQ(window.Gauge1->value(), 100);
    EXPECT_EQ(SimulationState.histogramCounts[26], 29);
    EXPECT_EQ(SimulationState.estimates[100], 10.0);

    SimulationState.verticalCompression = 2;
    SimulationState.simulationRestart = true;
    window.hide();
    window.show();
    window.FastButtonClick();
    EXPECT_EQ(window.barUnit(), 4);
    EXPECT_EQ(SimulationState.histogramCounts[26], 50);
}

TEST_F(DistributionWindowTest, ANewBeginStartsANewRunFromZero)
{
    Open(10);
    window.FastButtonClick();
    const double firstEstimate = SimulationState.estimates[1];
    window.OKButtonClick();
    EXPECT_FALSE(window.isVisible());

    SimulationState.simulationRestart = true;
    window.show();
    EXPECT_EQ(window.samplesDrawn(), 0);
    EXPECT_EQ(window.Gauge1->value(), 0);
    EXPECT_EQ(HistogramTotal(), 0);
    window.NextButtonClick();
    EXPECT_NE(SimulationState.estimates[1], firstEstimate) << "the random sequence goes on";
}

TEST_F(DistributionWindowTest, ShowingAgainWithoutBeginKeepsTheRun)
{
    Open(10);
    window.NextButtonClick();
    window.hide();
    window.show();
    EXPECT_EQ(window.samplesDrawn(), 1);
    EXPECT_EQ(HistogramTotal(), 1);
}

TEST_F(DistributionWindowTest, SaveWritesThePlotFrameAsA24BitBitmap)
{
    Open(10);
    window.FastButtonClick();
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("graph"));
    ChooseFileOnNextModal(fileName);
    window.SaveButtonClick();

    const QString written = fileName + QStringLiteral(".bmp");
    ASSERT_TRUE(QFile::exists(written)) << "the default suffix is added";
    // 54 header bytes and 257 rows of 481 x 3 bytes, padded to 1444.
    EXPECT_EQ(QFile(written).size(), 54 + 257 * 1444);
    const QImage saved(written);
    ASSERT_EQ(saved.size(), QSize(481, 257));
    const QByteArray header = ReadFile(written).left(54);
    EXPECT_EQ(header[28], 24) << "24 bits a pixel";
    EXPECT_EQ(header[30], 0) << "uncompressed";
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), ShownFrame());
    EXPECT_EQ(saved.pixelColor(1, 1), tarvek_colors::PlotBackground);
    EXPECT_EQ(saved.pixelColor(11, 227), QColor(Qt::black)) << "the axis, 8 pixels up and left";

    QString offered;
    ChooseFileOnNextModal(folder.filePath(QStringLiteral("second.bmp")), &offered);
    window.SaveButtonClick();
    EXPECT_EQ(offered, written) << "the last name is offered again";
}

TEST_F(DistributionWindowTest, SaveOffersPngSvgAndPdfBesidesTheBitmap)
{
    Open(10);
    window.FastButtonClick();
    EXPECT_EQ(window.SaveBMP->nameFilters(), PictureFileFilters());
    EXPECT_EQ(window.SaveBMP->selectedNameFilter(), QStringLiteral("Bitmap file (*.bmp)"));
    QTemporaryDir folder;
    for (const char* name : {"graph.png", "graph.svg", "graph.pdf"}) {
        ChooseFileOnNextModal(folder.filePath(QString::fromLatin1(name)));
        window.SaveButtonClick();
    }
    EXPECT_EQ(QImage(folder.filePath(QStringLiteral("graph.png"))).convertToFormat(QImage::Format_RGB32),
              ShownFrame());
    EXPECT_TRUE(ReadFile(folder.filePath(QStringLiteral("graph.svg"))).contains("<svg"));
    EXPECT_TRUE(ReadFile(folder.filePath(QStringLiteral("graph.pdf"))).startsWith("%PDF-"));

    window.SaveBMP->selectNameFilter(PictureFileFilters()[3]);
    emit window.SaveBMP->filterSelected(PictureFileFilters()[3]);
    EXPECT_EQ(window.SaveBMP->defaultSuffix(), QStringLiteral("pdf")) << "a bare name takes the chosen type";
}

TEST_F(DistributionWindowTest, AFileThatCannotBeCreatedIsReported)
{
    Open(10);
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("missing/graph.bmp"));
    QString report;
    ChooseFileOnNextModal(fileName, nullptr, [&report] { CloseNextModal(&report); });
    window.SaveButtonClick();
    EXPECT_TRUE(report.startsWith(
        QStringLiteral("Cannot create file \"%1\". ").arg(QDir::toNativeSeparators(fileName))))
        << report.toStdString();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(QFile::exists(fileName));
}

TEST_F(DistributionWindowTest, AFailedSaveIsReportedAndKeepsTheOldPicture)
{
    Open(10);
    window.FastButtonClick();
    // The replace question is not what is tested here.
    window.SaveBMP->setOption(QFileDialog::DontConfirmOverwrite);
    const QByteArray old = "the good picture\n";
    for (const char* name : {"graph.bmp", "graph.svg"}) {
        SCOPED_TRACE(name);
        const QTemporaryDir folder;
        const QString fileName = folder.filePath(QString::fromLatin1(name));
        QFile oldFile(fileName);
        ASSERT_TRUE(oldFile.open(QIODevice::WriteOnly) && oldFile.write(old) == old.size());
        oldFile.close();
        QString report;
        ChooseFileOnNextModal(fileName, nullptr, [&report] { CloseNextModal(&report); });
        {
            const testing_support::FileSizeLimit fullDisk(1024);
            window.SaveButtonClick();
        }
        EXPECT_TRUE(report.startsWith(
            QStringLiteral("Cannot create file \"%1\". ").arg(QDir::toNativeSeparators(fileName))))
            << report.toStdString();
        EXPECT_TRUE(ReadFile(fileName) == old)
            << "the old picture became " << QFile(fileName).size() << " bytes";
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        EXPECT_EQ(QDir(folder.path()).entryList(all), QStringList{QString::fromLatin1(name)});
    }
}

TEST_F(DistributionWindowTest, TheBoundOnRejectedSamplesEndsTheRun)
{
    window_test::SetUpPopulation(10);
    SimulationState.nonresponseOn = true;
    SimulationState.nonresponseVariable = 1;
    SimulationState.nonresponseIntercept = 2.0;  // nobody ever responds
    SimulationState.nonresponseSlope = 0.0;
    window.show();
    QString message;
    CloseNextModal(&message);
    window.FastButtonClick();
    EXPECT_TRUE(message.contains(QString::fromLatin1(RejectionBoundMessage))) << message.toStdString();
    EXPECT_TRUE(window.runEngine().finished());
    EXPECT_EQ(window.samplesDrawn(), 0);
    EXPECT_EQ(window.Gauge1->value(), 0);
    window.NextButtonClick();  // the watchdog fails the test if a second message opens
    EXPECT_EQ(window.samplesDrawn(), 0);
}

TEST_F(DistributionWindowTest, StatisticsShowsTheSamplesDrawnSoFar)
{
    Open(10);
    window.NextButtonClick();
    window.NextButtonClick();
    TStatistics statistics;
    Forms.Statistics = &statistics;
    QString simulatedMean;
    QString simulations;
    testing_support::OnNextModal([&simulatedMean, &simulations](QWidget* modal) {
        auto* table = qobject_cast<TStatistics*>(modal);
        ASSERT_NE(table, nullptr);
        simulatedMean = table->Tab->item(9, 1)->text();
        simulations = table->Tab->item(6, 0)->text() + QLatin1Char(' ') + table->Tab->item(6, 1)->text();
        table->OKButtonClick();
    });
    window.StatButtonClick();
    Forms.Statistics = nullptr;
    const double mean = (SimulationState.estimates[1] + SimulationState.estimates[2]) / 2;
    EXPECT_EQ(simulatedMean, QString::number(mean, 'f', 3));
    EXPECT_EQ(simulations, QStringLiteral("Simulations 2 of 10"));
}

TEST_F(DistributionWindowTest, TheBatchPlotEqualsTheFrameAfterAutomatic)
{
    window_test::ReadExamplePopulation("classroom.pop");
    SimulationState.simulationCount = 100;
    SimulationState.simulationRestart = true;
    window.show();
    window.FastButtonClick();
    EXPECT_EQ(
        window_test::BatchPlot({QStringLiteral("--simulations"), QStringLiteral("100"),
                                QString::fromStdString(std::string(TARVEK_EXAMPLES) + "/classroom.pop")}),
        ShownFrame());
}

/// Begin on the program's own windows, with the example population read.
class BeginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateForms();
        Forms.Main->FormActivate();
        window_test::ReadExamplePopulation("classroom.pop");
        SimulationState.simulationCount = 20;
    }
    void TearDown() override { DestroyForms(); }

    /// Runs Begin; `inWindow` acts in the window it opens, which is then closed.
    void Begin(const std::function<void(SimulationWindow*)>& inWindow)
    {
        testing_support::OnNextModal([inWindow](QWidget* modal) {
            auto* window = qobject_cast<SimulationWindow*>(modal);
            ASSERT_NE(window, nullptr);
            inWindow(window);
            window->OKButtonClick();
        });
        Forms.Main->Startsimulation1Click();
    }

    testing_support::ModalWatchdog watchdog;
};

TEST_F(BeginTest, OpensTheDistributionWindowOnAFreshRun)
{
    Begin([](SimulationWindow* window) {
        EXPECT_EQ(window, Forms.Simula);
        EXPECT_EQ(window->windowTitle(), QStringLiteral(" Simulation"));
        EXPECT_EQ(Forms.Simula->StatButton->text(), QStringLiteral("Statistics"));
        EXPECT_EQ(window->samplesDrawn(), 0);
        window->FastButtonClick();
        EXPECT_EQ(window->samplesDrawn(), 20);
    });
    EXPECT_FALSE(Forms.Simula->isVisible());
    Begin([](SimulationWindow* window) { EXPECT_EQ(window->samplesDrawn(), 0) << "each Begin starts anew"; });
}

TEST_F(BeginTest, OpensTheIntervalWindowInIntervalMode)
{
    SimulationState.confidenceIntervalMode = true;
    Begin([](SimulationWindow* window) {
        EXPECT_EQ(window, Forms.ConfidenceIntervals);
        EXPECT_EQ(window->windowTitle(), QStringLiteral(" Confidence intervals"));
        EXPECT_EQ(Forms.ConfidenceIntervals->Label4->text(),
                  QStringLiteral("Percentage of correct intervals"));
    });
}

// Units 1..10 always respond and 11..20 never do (probability Y - 10), so the
// window must list the drawn units 11..20 that the record holds as 0.
TEST_F(BeginTest, TheSampleWindowListsTheDrawnUnitsAndFollowsNextAndAutomatic)
{
    struct Case {
        const char* name;
        int design;
        int sampleSize;
        const char* groupHeading;  ///< the last column's heading
    };
    const std::vector<Case> cases = {
        {"equal probabilities", DesignEqualProbabilities, 5, "Responded"},
        {"stratified by unit parity", DesignStratified, 8, "Stratum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window_test::SetUpPopulation(10);
        TSimulationState& s = SimulationState;
        s.variableCount = 2;
        s.variableNames[2] = "parity";
        for (int unit = 1; unit <= s.unitCount; ++unit) {
            s.populationData[unit][2] = 1 + unit % 2;
        }
        s.auxiliaryVariable = 2;
        s.designCode = c.design;
        s.sampleSize = c.sampleSize;
        s.nonresponseOn = true;
        s.nonresponseVariable = 1;
        s.nonresponseSlope = 1.0;
        s.nonresponseIntercept = -10.0;
        Forms.Main->Showsample1Click();
        const QTableWidget& table = *Forms.SampleWindow->Table;
        const auto text = [&table](int row, int column) { return table.item(row, column)->text(); };
        const auto listedRespondents = [&] {
            std::vector<int> listed;
            for (int row = 0; row < table.rowCount(); ++row) {
                if (text(row, 3) == "yes") {
                    listed.push_back(text(row, 0).toInt());
                }
            }
            return listed;
        };
        const int last = static_cast<int>(std::string_view(c.groupHeading) == "Responded" ? 3 : 4);
        TSimula& window = *Forms.Simula;
        window.show();
        // Two Nexts, then Automatic to the end of the run: the window shows its last sample.
        for (int step = 0; step < 3; ++step) {
            if (step < 2) {
                window.NextButtonClick();
            } else {
                window.FastButtonClick();
                ASSERT_TRUE(window.runEngine().finished());
            }
            std::vector<int> respondents;
            for (int j = 1; j <= c.sampleSize; ++j) {
                if (s.sampleUnits[j] != 0) {
                    respondents.push_back(s.sampleUnits[j]);
                }
            }
            ASSERT_TRUE(QTest::qWaitFor([&] {
                return table.rowCount() == c.sampleSize && listedRespondents() == respondents;
            })) << "after step "
                << step + 1;
            ASSERT_EQ(table.columnCount(), last + 1);
            EXPECT_EQ(table.horizontalHeaderItem(last)->text(), c.groupHeading);
            std::set<int> units;
            int nonrespondents = 0;
            int previousGroup = 0;
            for (int row = 0; row < table.rowCount(); ++row) {
                const int unit = text(row, 0).toInt();
                units.insert(unit);
                EXPECT_EQ(text(row, 1), QString::number(unit));
                EXPECT_EQ(text(row, 2), QString::number(1 + unit % 2));
                EXPECT_EQ(text(row, 3), unit <= 10 ? "yes" : "no") << unit;
                nonrespondents += unit > 10 ? 1 : 0;
                if (c.design == DesignStratified) {
                    EXPECT_EQ(text(row, 4).toInt(), 1 + unit % 2);
                    EXPECT_GE(text(row, 4).toInt(), previousGroup) << "grouped by stratum";
                    previousGroup = text(row, 4).toInt();
                }
            }
            EXPECT_EQ(static_cast<int>(units.size()), c.sampleSize) << "distinct units";
            EXPECT_GT(nonrespondents, 0);
        }
        window.hide();
        Forms.SampleWindow->hide();
    }
}

}  // namespace
