// Shows Tarvek's main windows with an example population and saves a picture of
// each, for the README and the help: screenshot_tour POPULATION FOLDER.
// scripts/screenshots.sh runs it under a virtual X server.
#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QListWidget>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/allocation.h"
#include "core/population_file.h"
#include "core/simulation_state.h"
#include "ui/distribution_window.h"
#include "ui/interval_window.h"
#include "ui/statistics_table.h"
#include "ui/application.h"
#include "ui/comparison_window.h"
#include "ui/forms.h"
#include "ui/help_viewer.h"
#include "ui/main_window.h"
#include "ui/sample_window.h"
#include "ui/stratified_design_dialog.h"

namespace {

class Tour {
public:
    explicit Tour(const QString& folder) : folder_(folder) {}

    // Saves the window as shown; remembers a failure.
    void Save(QWidget* window, const QString& name)
    {
        QApplication::processEvents();
        const QString path = folder_.filePath(name);
        if (!window->grab().save(path, "PNG")) {
            QTextStream(stderr) << "cannot write " << path << '\n';
            failed_ = true;
        }
    }

    // Runs Begin; `inside` acts in the simulation window once it is open.
    static void Begin(std::function<void()> inside)
    {
        QTimer::singleShot(0, inside);
        Forms.Main->Startsimulation1Click();
    }

    bool failed() const { return failed_; }

private:
    QDir folder_;
    bool failed_ = false;
};

void ShowDistribution(Tour& tour)
{
    TSimula* window = Forms.Simula;
    window->FastButtonClick();
    tour.Save(window, QStringLiteral("distribution_window.png"));
    QTimer::singleShot(0, [&tour]() {
        tour.Save(Forms.Statistics, QStringLiteral("statistics_table.png"));
        Forms.Statistics->OKButtonClick();
    });
    window->StatButtonClick();
    window->OKButtonClick();
}

void ShowIntervals(Tour& tour)
{
    TConfidenceIntervals* window = Forms.ConfidenceIntervals;
    window->FastButtonClick();
    tour.Save(window, QStringLiteral("interval_window.png"));
    window->OKButtonClick();
}

// Automatic in slow motion, saved while the histogram is still growing.
void ShowSlowMotion(Tour& tour)
{
    TSimula* window = Forms.Simula;
    window->FastButtonClick();
    // A run that stops by the bound on rejected draws, or has fewer samples, ends sooner.
    while (window->samplesDrawn() < 200 && !window->runEngine().finished()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    tour.Save(window, QStringLiteral("slow_motion.png"));
    window->OKButtonClick();
}

void ShowColouredIntervals(Tour& tour)
{
    TConfidenceIntervals* window = Forms.ConfidenceIntervals;
    window->FastButtonClick();
    tour.Save(window, QStringLiteral("coloured_intervals.png"));
    window->OKButtonClick();
}

// Schools by Level with the optimal allocation: the table of the strata, the
// standard error beside that of equal probabilities and the design effect.
void ShowStratifiedDesign(Tour& tour)
{
    SimulationState.auxiliaryVariable = 3;
    SimulationState.allocationCode = AllocationOptimal;
    SimulationState.sampleSize = 25;
    QTimer::singleShot(0, [&tour]() {
        tour.Save(Forms.StratifiedDesign, QStringLiteral("stratified_design.png"));
        Forms.StratifiedDesign->OKButtonClick();
    });
    Forms.StratifiedDesign->Execute();
}

// The stratified sample last drawn, each unit with its stratum.
void ShowSample(Tour& tour)
{
    Tour::Begin([]() {
        Forms.Simula->FastButtonClick();
        Forms.Simula->OKButtonClick();
    });
    Forms.Main->Showsample1Click();
    // Tall enough to show every unit without scrolling.
    TSampleWindow* window = Forms.SampleWindow;
    QApplication::processEvents();
    window->resize(window->width(), window->height() + window->Table->verticalHeader()->length() -
                                        window->Table->viewport()->height());
    tour.Save(window, QStringLiteral("sample_window.png"));
    window->hide();
}

// The direct and ratio estimators beside stratification by last year's score
// in classes of equal size, the last variant shown in the editor.
void ShowComparison(Tour& tour)
{
    SimulationState.designCode = DesignEqualProbabilities;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.sampleSize = 20;
    QTimer::singleShot(0, [&tour]() {
        TComparison* window = Forms.Comparison;
        window->VariantList->setCurrentRow(2);
        window->DesignList->setCurrentIndex(window->DesignList->findData(DesignStratified));
        window->DesignVariableList->setCurrentIndex(1);
        window->AllocationList->setCurrentIndex(AllocationProportional);
        window->ClassCount->setValue(4);
        window->ChangeButtonClick();
        window->RunButtonClick();
        tour.Save(window, QStringLiteral("comparison_window.png"));
        window->OKButtonClick();
    });
    Forms.Main->Compare1Click();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: screenshot_tour POPULATION FOLDER\n";
        return 2;
    }
    Tour tour(arguments[2]);
    CreateForms();
    TMain* main = Forms.Main;
    main->show();

    SimulationState.populationName = arguments[1].toStdString();
    try {
        ReadPopulation();
    } catch (const PopulationFileError& error) {
        QTextStream(stderr) << arguments[1] << ": " << error.what() << '\n';
        DestroyForms();
        return 1;
    }
    SimulationState.sampleSize = 20;
    SimulationState.simulationCount = 500;
    // A scale around the population mean, as Parameters would set it for samples of 20.
    SimulationState.scaleLower = 600.0;
    SimulationState.scaleUpper = 740.0;
    SimulationState.verticalCompression = 2;
    main->UpdateInfo();
    tour.Save(main, QStringLiteral("main_window.png"));

    Tour::Begin([&tour]() { ShowDistribution(tour); });
    SimulationState.confidenceIntervalMode = true;
    Tour::Begin([&tour]() { ShowIntervals(tour); });

    // The switches for teaching, each window as a class sees it.
    main->MarkFull1->setChecked(true);
    main->SlowMotion1->setChecked(true);
    SimulationState.confidenceIntervalMode = false;
    Tour::Begin([&tour]() { ShowSlowMotion(tour); });
    main->SlowMotion1->setChecked(false);
    main->MarkFull1->setChecked(false);
    main->ColourMissed1->setChecked(true);
    SimulationState.confidenceIntervalMode = true;
    Tour::Begin([&tour]() { ShowColouredIntervals(tour); });
    main->ColourMissed1->setChecked(false);
    SimulationState.confidenceIntervalMode = false;

    ShowStratifiedDesign(tour);
    ShowSample(tour);
    ShowComparison(tour);

    if (OpenHelpFile(main)) {
        tour.Save(main->findChild<HelpViewer*>(), QStringLiteral("help_window.png"));
    }
    DestroyForms();
    return tour.failed() ? 1 : 0;
}
