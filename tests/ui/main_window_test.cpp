#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QLineEdit>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/random_sampling.h"
#include "tests/ui/forms_fixture.h"
#include "ui/dialog_folders.h"
#include "ui/distribution_window.h"
#include "ui/example_data.h"
#include "ui/interval_window.h"
#include "ui/statistics_table.h"
#include "ui/about_box.h"
#include "ui/error_message.h"
#include "ui/estimator_dialog.h"
#include "ui/nonresponse_dialog.h"
#include "ui/parameters_dialog.h"
#include "ui/population_distribution_dialog.h"
#include "ui/sampling_design_dialog.h"
#include "ui/seed_dialog.h"
#include "ui/select_variable_dialog.h"
#include "ui/target_variable_dialog.h"

namespace {

using testing_support::OnNextModal;
using testing_support::WriteTemporaryFile;

const QByteArray FivePersons =
    "Five persons\n"
    "5 2\n"
    "income\n"
    "age\n"
    "1200.5 30\n"
    "800 41\n"
    "1500 25\n"
    "950 60\n"
    "2000 35\n";

QStringList ValueLines()
{
    const TMain& m = *Forms.Main;
    QStringList lines;
    for (const QLabel* label : {m.Label10, m.Label11, m.Label12, m.Label13, m.Label14, m.Label15, m.Label16,
                                m.Label17, m.Label18}) {
        lines << label->text();
    }
    return lines;
}

/// The message of the error dialog that `trigger` opens, after pressing its OK.
QString ErrorMessageOf(const std::function<void()>& trigger)
{
    auto text = std::make_shared<QString>(QStringLiteral("(no message)"));
    OnNextModal([text](QWidget* modal) {
        ASSERT_EQ(modal, Forms.ErrorMessage);
        *text = Forms.ErrorMessage->Label2->text();
        QTest::mouseClick(Forms.ErrorMessage->OKButton, Qt::LeftButton);
    });
    trigger();
    return *text;
}

// Shortcuts reach the main window only once no modal is left and the window
// system has given it the focus; after a modal closes both follow asynchronously.
bool ActivateMainWindow()
{
    Forms.Main->show();
    Forms.Main->activateWindow();
    return QTest::qWaitFor([] {
        return QApplication::activeModalWidget() == nullptr &&
               QGuiApplication::focusWindow() == Forms.Main->windowHandle() && Forms.Main->isActiveWindow();
    });
}

TEST(MainWindowGeometryTest, FollowsTheScreenWithTiesToEven)
{
    const MainWindowGeometry small = ComputeMainWindowGeometry(1024, 768);
    EXPECT_EQ(small.outerWidth, 819);
    EXPECT_EQ(small.outerHeight, 614);
    EXPECT_EQ(small.top, 77);
    EXPECT_EQ(small.panelLeft, 230);  // 229.5
    EXPECT_EQ(small.panelTop, 214);   // 214.5
    EXPECT_EQ(small.left, 102);       // 102.5
    EXPECT_EQ(small.clientWidth, 811);
    EXPECT_EQ(small.clientHeight, 587);

    const MainWindowGeometry large = ComputeMainWindowGeometry(1280, 1024);
    EXPECT_EQ(large.outerWidth, 1024);
    EXPECT_EQ(large.outerHeight, 819);
    EXPECT_EQ(large.top, 102);
    EXPECT_EQ(large.panelLeft, 332);
    EXPECT_EQ(large.panelTop, 317);
}

std::vector<QObject*> WithoutNull(std::initializer_list<QObject*> windows)
{
    std::vector<QObject*> existing;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(existing), [](QObject* w) { return w; });
    return existing;
}

TEST_F(FormsTest, WindowsAreCreatedHiddenInOrderAfterTheMainWindow)
{
    ASSERT_NE(Forms.Main, nullptr);
    EXPECT_FALSE(Forms.Main->isVisible());
    // Table order of the windows that exist; each is a child of the main window,
    // so its place among the main window's children is its creation order.
    const std::vector<QObject*> table =
        WithoutNull({Forms.SelVar, Forms.PopDis, Forms.SamDes, Forms.SelectEstimator, Forms.SetSim,
                     Forms.Simula, Forms.TargetVariable, Forms.Statistics, Forms.Nonresponse, Forms.AboutBox,
                     Forms.ConfidenceIntervals, Forms.ErrorMessage});
    ASSERT_GE(table.size(), 2u);
    std::vector<QObject*> created;
    for (QObject* child : Forms.Main->children()) {
        if (std::find(table.begin(), table.end(), child) != table.end()) {
            created.push_back(child);
        }
    }
    EXPECT_EQ(created, table);
    for (QObject* window : table) {
        EXPECT_FALSE(static_cast<QWidget*>(window)->isVisible());
    }
}

TEST_F(FormsTest, CreationSizesTheWindowAndCentresThePanel)
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const MainWindowGeometry g = ComputeMainWindowGeometry(screen.width(), screen.height());
    EXPECT_EQ(Forms.Main->size(), QSize(g.clientWidth, g.clientHeight));
    EXPECT_EQ(Forms.Main->InfoPanel->geometry(), QRect(g.panelLeft, g.panelTop, 360, 185));
    EXPECT_EQ(Forms.Main->Label14->pos(), QPoint(112, 88));
    EXPECT_EQ(Forms.Main->Label4->pos(), QPoint(16, 72));
}

TEST_F(FormsTest, ActivationSetsTheCaptionAndTheOtherWindowsTitles)
{
    // While the main window was being created no other window existed.
    EXPECT_EQ(Forms.ErrorMessage->windowTitle(), "");
    ASSERT_TRUE(ActivateMainWindow());
    EXPECT_EQ(Forms.Main->windowTitle(), " Tarvek - version 3.11");
    EXPECT_EQ(Forms.ErrorMessage->windowTitle(), " Error message");
    EXPECT_EQ(Forms.AboutBox->windowTitle(), " About Tarvek");
}

TEST_F(FormsTest, TheFirstShowingSetsTheCaptionWithoutActivation)
{
    Forms.Main->setAttribute(Qt::WA_ShowWithoutActivating);
    Forms.Main->show();
    EXPECT_FALSE(Forms.Main->isActiveWindow());
    EXPECT_EQ(Forms.Main->windowTitle(), " Tarvek - version 3.11");
    EXPECT_EQ(Forms.ErrorMessage->windowTitle(), " Error message");
    Forms.Main->hide();
}

TEST_F(FormsTest, PanelShowsThePopulationRead)
{
    EXPECT_EQ(ValueLines(), QStringList(9, "-"));
    ReadThroughMenu(WriteTemporaryFile("five.pop", FivePersons));
    EXPECT_EQ(ValueLines(),
              QStringList({"Five persons", "5", "2", "5", "income", "Equal", "Direct", "No", "1000"}));
}

TEST_F(FormsTest, PanelDescribesTheChosenSettings)
{
    ReadThroughMenu(WriteTemporaryFile("five.pop", FivePersons));
    SimulationState.estimatorCode = EstimatorRatio;
    SimulationState.designCode = DesignProportionalToSize;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.nonresponseOn = true;
    SimulationState.nonresponseVariable = 1;
    Forms.Main->UpdateInfo();
    EXPECT_EQ(Forms.Main->Label15->text(), "Proportional to age");
    EXPECT_EQ(Forms.Main->Label16->text(), "Ratio, using age");
    EXPECT_EQ(Forms.Main->Label17->text(), "Yes, by income");

    SimulationState.estimatorCode = EstimatorPostStratified;
    Forms.Main->UpdateInfo();
    EXPECT_EQ(Forms.Main->Label16->text(), "Post-stratification, using age");
}

// The panel keeps the size of its layout: a value that would run past its
// frame ends in an ellipsis before it and is shown whole in its tooltip.
TEST_F(FormsTest, PanelValuesTooLongForThePanelAreWholeInTheirTooltips)
{
    ReadThroughMenu(WriteTemporaryFile("five.pop", FivePersons));
    struct Case {
        const QLabel* label;
        std::function<void()> set;
        QString whole;
        bool cut;
    };
    TSimulationState& s = SimulationState;
    const std::vector<Case> cases = {
        {Forms.Main->Label10, [&s] { s.populationName = "Five persons"; }, "Five persons", false},
        {Forms.Main->Label10,
         [&s] { s.populationName = "MU284: 284 Swedish municipalities, revenues of 1985"; },
         "MU284: 284 Swedish municipalities, revenues of 1985", true},
        {Forms.Main->Label15,
         [&s] {
             s.designCode = DesignStratified;
             s.auxiliaryVariable = 2;
             s.stratumClasses = 3;
         },
         "Stratified by age in 3 classes of equal size, proportional", true},
    };
    const int right = Forms.Main->InfoPanel->contentsRect().right() + 1;
    for (const Case& c : cases) {
        c.set();
        Forms.Main->UpdateInfo();
        const std::string label = c.whole.toStdString();
        EXPECT_LE(c.label->geometry().right() + 1, right) << label;
        EXPECT_EQ(c.label->text().endsWith(QChar(0x2026)), c.cut) << label;
        EXPECT_EQ(c.label->toolTip(), c.cut ? c.whole : QString()) << label;
        EXPECT_EQ(c.cut ? c.label->toolTip() : c.label->text(), c.whole);
    }
}

TEST_F(FormsTest, PopulationWithoutVariablesShowsNoTarget)
{
    ReadThroughMenu(WriteTemporaryFile("none.pop", "No variables\n3 0\n"));
    EXPECT_EQ(Forms.Main->Label14->text(), "-");
    EXPECT_EQ(Forms.Main->Label11->text(), "3");
    EXPECT_EQ(Forms.Main->Label13->text(), "3");
}

TEST_F(FormsTest, FailedReadIsReportedAndChangesNothing)
{
    ReadThroughMenu(WriteTemporaryFile("five.pop", FivePersons));
    const QStringList before = ValueLines();

    auto report = std::make_shared<QString>();
    ChooseInOpenDialog(WriteTemporaryFile("bad.pop", "Broken\n2 1\nx\n12,5\n3\n"), [report](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        *report = box->text();
        box->accept();
    });
    Forms.Main->Readpopulation1->trigger();

    EXPECT_EQ(*report, "Invalid numeric input");
    EXPECT_EQ(ValueLines(), before);
    EXPECT_EQ(SimulationState.populationName, "Five persons");
    EXPECT_EQ(SimulationState.unitCount, 5);
}

TEST_F(FormsTest, CancelledOpenDialogChangesNothing)
{
    OnNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    Forms.Main->Readpopulation1->trigger();
    EXPECT_EQ(SimulationState.populationName, "");
    EXPECT_EQ(ValueLines(), QStringList(9, "-"));
}

TEST_F(FormsTest, BeginRefusesInOrder)
{
    const auto begin = [] { Forms.Main->Startsimulation1->trigger(); };
    EXPECT_EQ(ErrorMessageOf(begin), "You must first read a population!");
    EXPECT_EQ(ValueLines(), QStringList(9, "-"));

    // A sample size below 2 is reported before a missing target variable.
    SimulationState.variableCount = 2;
    SimulationState.sampleSize = 1;
    EXPECT_EQ(ErrorMessageOf(begin), "The sample size must be at least 2!");

    SimulationState.sampleSize = 2;
    EXPECT_EQ(ErrorMessageOf(begin), "You must specify a target variable!");
    EXPECT_FALSE(SimulationState.simulationRestart);
}

TEST_F(FormsTest, CompareAndTheClassroomItemsEndTheSimulationMenuAndCompareRefusesLikeBegin)
{
    const TMain& m = *Forms.Main;
    const QList<QAction*> actions = m.Simulation1->actions();
    ASSERT_GE(actions.size(), 6);
    const QList<QAction*> end = {m.Compare1, m.N4, m.FitScale1, m.Showsample1, m.Newrandomstart1};
    EXPECT_EQ(actions.mid(actions.size() - end.size()), end);
    EXPECT_TRUE(actions[actions.size() - end.size() - 1]->isSeparator());
    EXPECT_TRUE(m.N4->isSeparator());
    EXPECT_EQ(QStringList({m.FitScale1->text(), m.Showsample1->text(), m.Newrandomstart1->text()}),
              QStringList({"Fit the scale to the estimator", "Show sample", "New random start"}));
    const auto compare = [] { Forms.Main->Compare1->trigger(); };
    EXPECT_EQ(ErrorMessageOf(compare), "You must first read a population!");
    SimulationState.variableCount = 2;
    SimulationState.sampleSize = 2;
    EXPECT_EQ(ErrorMessageOf(compare), "You must specify a target variable!");
}

TEST_F(FormsTest, BeginRefusesAPopulationOfOneUnit)
{
    ReadThroughMenu(WriteTemporaryFile("one.pop", "One unit\n1 1\nsize\n4\n"));
    EXPECT_EQ(ErrorMessageOf([] { Forms.Main->Startsimulation1->trigger(); }),
              "The sample size must be at least 2!");
}

TEST_F(FormsTest, CommandFailuresGoToTheGeneralReport)
{
    const QString report =
        GeneralReportOf([] { Forms.Main->RunCommand([] { throw std::runtime_error("Disk full"); }); });
    EXPECT_EQ(report, "Disk full");
}

/// Points the user's home (and with it Documents and Pictures) at `home` while it lives.
class HomeOverride {
public:
    explicit HomeOverride(const QString& home) : home_(qgetenv("HOME")), config_(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit());
    }
    ~HomeOverride()
    {
        qputenv("HOME", home_);
        qputenv("XDG_CONFIG_HOME", config_);
    }
    HomeOverride(const HomeOverride&) = delete;
    HomeOverride& operator=(const HomeOverride&) = delete;

private:
    QByteArray home_;
    QByteArray config_;
};

/// The folder `dialog` shows, canonical, then cancels it.
QString FolderShownAndCancel(QWidget* modal)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) {
        ADD_FAILURE() << "a file dialog was expected";
        return {};
    }
    const QString folder = dialog->directory().canonicalPath();
    dialog->reject();
    return folder;
}

TEST_F(FormsTest, FileDialogsStartInTheSessionFolderNeverSaveInTheExamplesAndListEveryPopulationFirst)
{
    const QString all = "All populations (*.pop *.csv *.tsv *.txt)";
    EXPECT_EQ(Forms.Main->OpenDialog->nameFilters().value(0), all);
    EXPECT_EQ(Forms.Main->OpenDialog->selectedNameFilter(), all);

    const QTemporaryDir home;
    const QTemporaryDir work;
    const HomeOverride homeOverride(home.path());
    const QString examples = QDir(ExamplesFolder()).canonicalPath();
    ASSERT_FALSE(examples.isEmpty());
    struct Case {
        const char* name;
        FileDialogUse use;
        QString lastFolder;
        QString withoutUserFolders;
        QString withUserFolders;
    };
    const QString documents = home.path() + "/Documents";
    const QString pictures = home.path() + "/Pictures";
    const std::vector<Case> cases = {
        {"first read", FileDialogUse::ReadPopulation, "", examples, examples},
        {"read after a read", FileDialogUse::ReadPopulation, work.path(), work.path(), work.path()},
        {"first save", FileDialogUse::SaveFile, "", home.path(), documents},
        {"save after reading an example", FileDialogUse::SaveFile, examples, home.path(), documents},
        {"save after a save", FileDialogUse::SaveFile, work.path(), work.path(), work.path()},
        {"first picture", FileDialogUse::SavePicture, "", home.path(), pictures},
        {"picture after an example", FileDialogUse::SavePicture, examples, home.path(), pictures},
        {"picture after a save", FileDialogUse::SavePicture, work.path(), work.path(), work.path()},
    };
    for (const bool userFolders : {false, true}) {
        if (userFolders) {
            ASSERT_TRUE(QDir(home.path()).mkdir("Documents") && QDir(home.path()).mkdir("Pictures"));
        }
        for (const Case& c : cases) {
            EXPECT_EQ(StartFolder(c.use, c.lastFolder),
                      userFolders ? c.withUserFolders : c.withoutUserFolders)
                << c.name << (userFolders ? ", with" : ", without") << " Documents and Pictures";
        }
    }

    // The dialogs themselves: an example read, then Save population and a typed folder.
    ReadThroughMenu(examples + "/mu284.pop");
    ASSERT_EQ(SimulationState.unitCount, 284);
    auto shown = std::make_shared<QStringList>();
    OnNextModal([shown](QWidget* modal) { *shown << FolderShownAndCancel(modal); });
    Forms.Main->Savepopulation1->trigger();
    OnNextModal([shown, &work](QWidget* modal) {
        *shown << qobject_cast<QFileDialog*>(modal)->directory().canonicalPath();
        testing_support::TypeIntoFileDialog(modal, work.path());  // a folder: the dialog goes there
        *shown << FolderShownAndCancel(modal);
    });
    Forms.Main->Readpopulation1->trigger();
    OnNextModal([shown](QWidget* modal) { *shown << FolderShownAndCancel(modal); });
    Forms.Main->Readpopulation1->trigger();
    const QString typed = QDir(work.path()).canonicalPath();
    EXPECT_EQ(*shown, QStringList({documents, examples, typed, typed}));
}

TEST_F(FormsTest, MenuCarriesTheShortcuts)
{
    const TMain& m = *Forms.Main;
    const std::vector<std::pair<QAction*, QString>> expected = {{m.Readpopulation1, "Ctrl+R"},
                                                                {m.Displayvariable1, "Ctrl+D"},
                                                                {m.Exit1, "Alt+X"},
                                                                {m.Targetvariable1, "Ctrl+T"},
                                                                {m.Samplingdesign1, "Ctrl+S"},
                                                                {m.Estimator1, "Ctrl+E"},
                                                                {m.Generatenonresponse1, "Ctrl+G"},
                                                                {m.Nononresponse1, "Ctrl+F"},
                                                                {m.Simulationoptions1, "Ctrl+P"},
                                                                {m.Startsimulation1, "Ctrl+B"},
                                                                {m.Help2, "Ctrl+H"},
                                                                {m.Aboutthisprogram1, "Ctrl+A"}};
    for (const auto& [action, keys] : expected) {
        EXPECT_EQ(action->shortcut().toString(QKeySequence::PortableText), keys)
            << action->objectName().toStdString();
    }
}

TEST_F(FormsTest, ShortcutsWorkOnTheActiveMainWindow)
{
    ASSERT_TRUE(ActivateMainWindow());

    EXPECT_EQ(ErrorMessageOf([] { QTest::keyClick(Forms.Main, Qt::Key_B, Qt::ControlModifier); }),
              "You must first read a population!");

    ASSERT_TRUE(ActivateMainWindow());
    auto aboutOpened = std::make_shared<bool>(false);
    OnNextModal([aboutOpened](QWidget* modal) {
        *aboutOpened = modal == Forms.AboutBox;
        QTest::mouseClick(Forms.AboutBox->OKButton, Qt::LeftButton);
    });
    QTest::keyClick(Forms.Main, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(*aboutOpened);

    ASSERT_TRUE(ActivateMainWindow());
    QTest::keyClick(Forms.Main, Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(Forms.Main->isVisible());
}

}  // namespace

namespace {

// Compare follows them after a separator, at the end of the menu.
TEST_F(FormsTest, TheSimulationMenuHasFourSwitchesThatStartOff)
{
    const TMain& m = *Forms.Main;
    const QList<QAction*> items = m.Simulation1->actions();
    ASSERT_GE(items.size(), 9);
    const std::vector<QAction*> switches = {m.SlowMotion1, m.ColourMissed1, m.MarkFull1, m.FitScale1};
    EXPECT_TRUE(std::equal(switches.begin(), switches.end() - 1, items.end() - 9));
    const std::vector<std::function<bool()>> options = {
        [] { return ViewOptions().slowMotion; }, [] { return ViewOptions().plot.colourMissedIntervals; },
        [] { return ViewOptions().plot.markFullClasses; }, [] { return ViewOptions().fitScale; }};
    for (std::size_t i = 0; i < switches.size(); ++i) {
        EXPECT_TRUE(switches[i]->isCheckable());
        EXPECT_FALSE(switches[i]->isChecked());
        EXPECT_FALSE(options[i]());
        switches[i]->trigger();
        EXPECT_TRUE(options[i]()) << switches[i]->text().toStdString();
        switches[i]->trigger();
        EXPECT_FALSE(options[i]());
    }
}

// The seed dialog proposes the clock's seed; an accepted seed restarts the
// generator and shows on the panel's last line unless it is 0; a refused one
// keeps the dialog open and changes nothing.
TEST_F(FormsTest, NewRandomStartSetsTheGeneratorAndThePanelLine)
{
    const TMain& m = *Forms.Main;
    Forms.Main->UpdateInfo();
    EXPECT_FALSE(m.Label19->isVisibleTo(m.InfoPanel)) << "nothing at seed 0";
    struct Case {
        QString typed;
        bool accepted;
        std::uint32_t seed;
    };
    const std::vector<Case> cases = {
        {"12345", true, 12345},   {" 4294967295 ", true, 4294967295u},
        {"4294967296", false, 0}, {"-1", false, 0},
        {"12a", false, 0},        {"", false, 0},
        {"0", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        RandomGenerator.seed = 777;
        const std::uint32_t before = ClockSeed();
        auto proposed = std::make_shared<QString>();
        auto refusal = std::make_shared<QString>();
        OnNextModal([c, proposed, refusal](QWidget* modal) {
            ASSERT_EQ(modal, Forms.Main->SeedDialog);
            *proposed = Forms.Main->SeedDialog->Edit1->text();
            Forms.Main->SeedDialog->Edit1->setText(c.typed);
            if (!c.accepted) {
                *refusal = ErrorMessageOf([] { Forms.Main->SeedDialog->OKButton->click(); });
                EXPECT_TRUE(Forms.Main->SeedDialog->isVisible());
                Forms.Main->SeedDialog->CancelButton->click();
                return;
            }
            Forms.Main->SeedDialog->OKButton->click();
        });
        Forms.Main->Newrandomstart1->trigger();
        // Modulo 2^32, as the clock's seed is.
        const std::uint32_t after = ClockSeed();
        EXPECT_LE(after - proposed->toUInt(), after - before) << proposed->toStdString();
        EXPECT_EQ(RandomGenerator.seed, c.accepted ? c.seed : 777u);
        EXPECT_EQ(*refusal, c.accepted ? QString() : QString::fromLatin1(SeedRefusedMessage));
        if (c.accepted) {
            EXPECT_EQ(m.Label19->isVisibleTo(m.InfoPanel), c.seed != 0);
            EXPECT_EQ(m.Label20->text(), QString::number(c.seed));
        }
    }
}

}  // namespace
