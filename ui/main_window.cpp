#include "ui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <array>
#include <exception>
#include <optional>
#include <sstream>

#include "core/delimited_file.h"
#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/rounding.h"
#include "core/simulation_state.h"
#include "core/strata.h"
#include "engine/designs/sampling_design.h"
#include "engine/statistics_rows.h"
#include "plot/atomic_save.h"
#include "ui/distribution_window.h"
#include "ui/comparison_window.h"
#include "ui/dialog_folders.h"
#include "ui/interval_window.h"
#include "ui/sample_window.h"
#include "ui/seed_dialog.h"
#include "ui/about_box.h"
#include "ui/error_message.h"
#include "ui/forms.h"
#include "ui/help_viewer.h"
#include "ui/import_dialog.h"
#include "texts/interface_text_table.h"
#include "ui/interface_texts.h"
#include "ui/settings_commands.h"
#include "ui/simulation_window.h"
#include "ui/window_style.h"

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

/// A file dialog of Qt's own kind, the same on every platform, to open an
/// existing file or to save one under any name.
QFileDialog* CreateFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    return dialog;
}

/// Writes `contents` whole to `path`; throws when it cannot, the file then as it was.
void SaveWhole(const QString& path, const std::string& contents)
{
    const QString failure = SaveAtomically(path, QByteArray::fromStdString(contents));
    if (!failure.isEmpty()) {
        throw PopulationFileError("Cannot write \"" + QFile::encodeName(path).toStdString() +
                                  "\": " + failure.toLocal8Bit().toStdString());
    }
}

void WarnIfAny(const std::string& warning)
{
    if (!warning.empty()) {
        ShowWarning(QString::fromStdString(warning));
    }
}

/// The file a save dialog confirms; without a population read, the message that
/// one must be read first, and no file.
QString AskWhereToSave(QFileDialog* dialog, bool populationRead)
{
    if (!populationRead) {
        ShowErrorMessage(Text(InterfaceTexts.messageTexts[1]));
        return {};
    }
    return AskForFile(dialog, FileDialogUse::SaveFile);
}

std::string FilePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace

MainWindowGeometry ComputeMainWindowGeometry(int screenWidth, int screenHeight)
{
    MainWindowGeometry g;
    g.outerWidth = nearest(0.8 * screenWidth);
    g.top = nearest(0.1 * screenHeight);
    g.outerHeight = nearest(0.8 * screenHeight);
    g.left = nearest((screenWidth - g.outerWidth) / 2.0);
    g.clientWidth = g.outerWidth - ReferenceFrameWidth;
    g.clientHeight = g.outerHeight - ReferenceFrameHeight;
    g.panelLeft = nearest((g.outerWidth - InfoPanelWidth) / 2.0);
    g.panelTop = nearest((g.outerHeight - InfoPanelHeight) / 2.0);
    return g;
}

QString PopulationArgument(const QStringList& arguments)
{
    for (qsizetype i = arguments.size() - 1; i >= 0; --i) {
        const QString& argument = arguments[i];
        const bool valueOfOption = i > 0 && arguments[i - 1].startsWith(QLatin1String("--")) &&
                                   !arguments[i - 1].contains(QLatin1Char('='));
        if (!argument.startsWith(QLatin1Char('-')) && !valueOfOption) {
            return argument;
        }
    }
    return {};
}

TMain::TMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Main"));
    // A design size only: FormCreate sizes the window from the screen.
    SetUpFixedWindow(this, 640, 480, tarvek_colors::MainBackground);
    // A main window, not a dialog: it stands on the task bar and ends the program.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    CreateMenu();
    CreateOpenDialog();
    CreateLessonDialogs();
    CreateInfoPanel();
    ImportDialog = new TImportDialog(this);
    SeedDialog = new TSeedDialog(this);
    setAcceptDrops(true);
}

void TMain::CreateMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    Population1 = MainMenu1->addMenu(QString());
    Population1->setObjectName(QStringLiteral("Population1"));
    Readpopulation1 = AddCommand(Population1, "Readpopulation1", QKeySequence(Qt::CTRL | Qt::Key_R),
                                 &TMain::Readpopulation1Click);
    Displayvariable1 = AddCommand(Population1, "Displayvariable1", QKeySequence(Qt::CTRL | Qt::Key_D),
                                  &TMain::Displayvariable1Click);
    Savepopulation1 =
        AddCommand(Population1, "Savepopulation1", QKeySequence(), &TMain::Savepopulation1Click);
    N1 = Population1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Exit1 = AddCommand(Population1, "Exit1", QKeySequence(Qt::ALT | Qt::Key_X), &TMain::Exit1Click);
    N5 = Population1->addSeparator();
    N5->setObjectName(QStringLiteral("N5"));
    Savelesson1 = AddCommand(Population1, "Savelesson1", QKeySequence(), &TMain::Savelesson1Click);
    Savelesson1->setText(QStringLiteral("Save lesson"));
    Openlesson1 = AddCommand(Population1, "Openlesson1", QKeySequence(), &TMain::Openlesson1Click);
    Openlesson1->setText(QStringLiteral("Open lesson"));

    Sample1 = MainMenu1->addMenu(QString());
    Sample1->setObjectName(QStringLiteral("Sample1"));
    Targetvariable1 = AddCommand(Sample1, "Targetvariable1", QKeySequence(Qt::CTRL | Qt::Key_T),
                                 &TMain::Targetvariable1Click);
    Samplingdesign1 = AddCommand(Sample1, "Samplingdesign1", QKeySequence(Qt::CTRL | Qt::Key_S),
                                 &TMain::Samplingdesign1Click);
    Estimator1 =
        AddCommand(Sample1, "Estimator1", QKeySequence(Qt::CTRL | Qt::Key_E), &TMain::Estimator1Click);
    N2 = Sample1->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    Stratifieddesign1 =
        AddCommand(Sample1, "Stratifieddesign1", QKeySequence(), &TMain::Stratifieddesign1Click);
    Systematicdesign1 =
        AddCommand(Sample1, "Systematicdesign1", QKeySequence(), &TMain::Systematicdesign1Click);
    Clusterdesign1 = AddCommand(Sample1, "Clusterdesign1", QKeySequence(), &TMain::Clusterdesign1Click);

    Nonresponse1 = MainMenu1->addMenu(QString());
    Nonresponse1->setObjectName(QStringLiteral("Nonresponse1"));
    Generatenonresponse1 = AddCommand(Nonresponse1, "Generatenonresponse1",
                                      QKeySequence(Qt::CTRL | Qt::Key_G), &TMain::Generatenonresponse1Click);
    Nononresponse1 = AddCommand(Nonresponse1, "Nononresponse1", QKeySequence(Qt::CTRL | Qt::Key_F),
                                &TMain::Nononresponse1Click);

    Simulation1 = MainMenu1->addMenu(QString());
    Simulation1->setObjectName(QStringLiteral("Simulation1"));
    Simulationoptions1 = AddCommand(Simulation1, "Simulationoptions1", QKeySequence(Qt::CTRL | Qt::Key_P),
                                    &TMain::Simulationoptions1Click);
    Startsimulation1 = AddCommand(Simulation1, "Startsimulation1", QKeySequence(Qt::CTRL | Qt::Key_B),
                                  &TMain::Startsimulation1Click);
    CreateViewSwitches();
    N3 = Simulation1->addSeparator();
    N3->setObjectName(QStringLiteral("N3"));
    Compare1 = AddCommand(Simulation1, "Compare1", QKeySequence(), &TMain::Compare1Click);
    N4 = Simulation1->addSeparator();
    N4->setObjectName(QStringLiteral("N4"));
    FitScale1 = AddSwitch("FitScale1", "Fit the scale to the estimator",
                          [](bool on) { ViewOptions().fitScale = on; });
    Showsample1 = AddCommand(Simulation1, "Showsample1", QKeySequence(), &TMain::Showsample1Click);
    Showsample1->setText(QStringLiteral("Show sample"));
    Newrandomstart1 =
        AddCommand(Simulation1, "Newrandomstart1", QKeySequence(), &TMain::Newrandomstart1Click);
    Newrandomstart1->setText(QStringLiteral("New random start"));

    Help1 = MainMenu1->addMenu(QString());
    Help1->setObjectName(QStringLiteral("Help1"));
    Help2 = AddCommand(Help1, "Help2", QKeySequence(Qt::CTRL | Qt::Key_H), &TMain::Help2Click);
    Aboutthisprogram1 = AddCommand(Help1, "Aboutthisprogram1", QKeySequence(Qt::CTRL | Qt::Key_A),
                                   &TMain::Aboutthisprogram1Click);
}

QAction* TMain::AddCommand(QMenu* menu, const char* name, const QKeySequence& shortcut,
                           void (TMain::*handler)())
{
    QAction* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this,
            [this, handler] { RunCommand(std::bind_front(handler, this)); });
    return action;
}

/// The switches for teaching at the end of the Simulation menu: off at start,
/// kept for the session only.
void TMain::CreateViewSwitches()
{
    Simulation1->addSeparator();
    SlowMotion1 = AddSwitch("SlowMotion1", "Slow motion", [](bool on) { ViewOptions().slowMotion = on; });
    ColourMissed1 = AddSwitch("ColourMissed1", "Colour missed intervals",
                              [](bool on) { ViewOptions().plot.colourMissedIntervals = on; });
    MarkFull1 =
        AddSwitch("MarkFull1", "Mark full classes", [](bool on) { ViewOptions().plot.markFullClasses = on; });
}

QAction* TMain::AddSwitch(const char* name, const char* caption, const std::function<void(bool)>& apply)
{
    QAction* action = Simulation1->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    apply(false);
    connect(action, &QAction::toggled, this, apply);
    return action;
}

void TMain::CreateOpenDialog()
{
    OpenDialog = CreateFileDialog(this, "OpenDialog", QFileDialog::AcceptOpen);
    // Each use sets the folder again (see AskForFile); before the first, the examples.
    OpenDialog->setDirectory(StartFolder(FileDialogUse::ReadPopulation, QString()));

    SavePopulationDialog = CreateFileDialog(this, "SavePopulationDialog", QFileDialog::AcceptSave);
    SavePopulationDialog->setDefaultSuffix(QStringLiteral("pop"));
    SavePopulationDialog->setWindowTitle(QStringLiteral(" Save population"));
    SavePopulationDialog->setNameFilter(QStringLiteral("Population files (*.pop)"));
}

void TMain::CreateLessonDialogs()
{
    const QString filter = QStringLiteral("Lessons (*%1)").arg(QLatin1String(LessonExtension));
    SaveLessonDialog = CreateFileDialog(this, "SaveLessonDialog", QFileDialog::AcceptSave);
    // The extension without its dot, added when the name typed has none.
    SaveLessonDialog->setDefaultSuffix(QLatin1String(LessonExtension + 1));
    SaveLessonDialog->setWindowTitle(QStringLiteral(" Save lesson"));
    SaveLessonDialog->setNameFilter(filter);
    OpenLessonDialog = CreateFileDialog(this, "OpenLessonDialog", QFileDialog::AcceptOpen);
    OpenLessonDialog->setWindowTitle(QStringLiteral(" Open lesson"));
    OpenLessonDialog->setNameFilter(filter);
}

void TMain::CreateInfoPanel()
{
    auto* client = new QWidget(this);
    setCentralWidget(client);
    // Placed by FormCreate, once the window's size is known.
    InfoPanel = CreatePanel(client, "InfoPanel", 0, 0, InfoPanelWidth, InfoPanelHeight);
    InfoPanel->setFont(StandardFont());
    SetTextColor(InfoPanel, Qt::black);

    constexpr int CaptionLeft = 16;
    constexpr int ValueLeft = 112;
    Label1 = AddPanelLabel("Label1", CaptionLeft, 16);
    Label2 = AddPanelLabel("Label2", CaptionLeft, 32);
    Label3 = AddPanelLabel("Label3", CaptionLeft, 48);
    Label4 = AddPanelLabel("Label4", CaptionLeft, 72);
    Label5 = AddPanelLabel("Label5", CaptionLeft, 88);
    Label6 = AddPanelLabel("Label6", CaptionLeft, 104);
    Label7 = AddPanelLabel("Label7", CaptionLeft, 120);
    Label8 = AddPanelLabel("Label8", CaptionLeft, 136);
    Label9 = AddPanelLabel("Label9", CaptionLeft, 152);
    Label10 = AddPanelLabel("Label10", ValueLeft, 16);
    Label11 = AddPanelLabel("Label11", ValueLeft, 32);
    Label12 = AddPanelLabel("Label12", ValueLeft, 48);
    Label13 = AddPanelLabel("Label13", ValueLeft, 72);
    Label14 = AddPanelLabel("Label14", ValueLeft, 88);
    Label15 = AddPanelLabel("Label15", ValueLeft, 104);
    Label16 = AddPanelLabel("Label16", ValueLeft, 120);
    Label17 = AddPanelLabel("Label17", ValueLeft, 136);
    Label18 = AddPanelLabel("Label18", ValueLeft, 152);
    Label19 = AddPanelLabel("Label19", CaptionLeft, 168);
    SetAutoSizedText(Label19, QStringLiteral("Seed:"));
    Label20 = AddPanelLabel("Label20", ValueLeft, 168);
    Label19->hide();
    Label20->hide();
}

QLabel* TMain::AddPanelLabel(const char* name, int left, int top)
{
    QLabel* label = CreateLabel(InfoPanel, name, left, top);
    SetAutoSizedText(label, QStringLiteral("-"));
    return label;
}

void TMain::FormCreate()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->size() : QSize(1024, 768);
    const MainWindowGeometry g = ComputeMainWindowGeometry(screenSize.width(), screenSize.height());
    setFixedSize(g.clientWidth, g.clientHeight);
    move(g.left, g.top);
    InfoPanel->move(g.panelLeft, g.panelTop);
    CreateInterfaceTexts();
}

void TMain::FormActivate()
{
    CreateInterfaceTexts();
    setWindowTitle(QStringLiteral(" Tarvek - ") + Text(SimulationState.versionText));
}

// At the first showing too: a window shown without a window manager, or in the
// background, is not activated, and would keep its title unset.
bool TMain::event(QEvent* event)
{
    const bool firstShowing = event->type() == QEvent::Show && !shown_;
    if (firstShowing || event->type() == QEvent::WindowActivate) {
        shown_ = true;
        FormActivate();
    }
    return QMainWindow::event(event);
}

void TMain::UpdateInfo()
{
    const auto values = InformationPanelValues();
    const std::array<QLabel*, InformationPanelLines> labels = {Label10, Label11, Label12, Label13, Label14,
                                                               Label15, Label16, Label17, Label18};
    // The panel keeps its size: a value that would run past its frame (a long
    // description, a design's caption) is cut with an ellipsis, whole in its tooltip.
    const int right = InfoPanel->contentsRect().right() + 1;
    for (int line = 0; line < InformationPanelLines; ++line) {
        SetElidedText(labels[line], Text(values[line]), right - labels[line]->x());
    }
    SetAutoSizedText(Label20, QString::number(randomStart_));
    Label19->setVisible(randomStart_ != 0);
    Label20->setVisible(randomStart_ != 0);
}

void TMain::RunCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        ShowGeneralErrorReport(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowGeneralErrorReport(QStringLiteral("Unknown error"));
    }
}

void TMain::Readpopulation1Click()
{
    const QString chosen = AskForFile(OpenDialog, FileDialogUse::ReadPopulation);
    if (!chosen.isEmpty() && ReadPopulationFrom(chosen)) {
        UpdateInfo();
    }
}

bool TMain::ReadPopulationFrom(const QString& path)
{
    const std::string file = FilePath(path);
    if (IsDelimitedFileName(file)) {
        return ImportDelimitedFile(file);
    }
    // The reader keeps the previous population when a file fails; putting the
    // previous description back keeps the record consistent with that population.
    const std::string previousName = SimulationState.populationName;
    SimulationState.populationName = file;
    try {
        ReadPopulation();
    } catch (...) {
        SimulationState.populationName = previousName;
        throw;
    }
    populationSource_ = FileSource(file);
    return true;
}

// The population changes only when the user confirms columns that read.
bool TMain::ImportDelimitedFile(const std::string& path)
{
    const DelimitedTable table = ReadDelimitedFile(path);
    PopulationContents population;
    if (!ImportDialog->Execute(table, population)) {
        return false;
    }
    AdoptPopulation(std::move(population));
    populationSource_ = FileSource(path);
    NameColumns(populationSource_, table, ImportDialog->TickedColumns(),
                ImportDialog->DropMissingBox->isChecked());
    return true;
}

void TMain::OpenPopulation(const QString& path)
{
    RunCommand([this, path] {
        if (ReadPopulationFrom(path)) {
            UpdateInfo();
        }
    });
}

void TMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void TMain::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile()) {
        event->acceptProposedAction();
        OpenFile(urls.first().toLocalFile());
    }
}

void TMain::Savepopulation1Click()
{
    if (const QString chosen = AskWhereToSave(SavePopulationDialog, SimulationState.variableCount > 0);
        !chosen.isEmpty()) {
        SavePopulationTo(chosen);
    }
}

void TMain::SavePopulationTo(const QString& path)
{
    RunCommand([path] {
        std::ostringstream text;
        WritePopulation(text);
        SaveWhole(path, std::move(text).str());
    });
}

void TMain::Savelesson1Click()
{
    const bool read = SimulationState.variableCount > 0 && !populationSource_.path.empty();
    if (const QString chosen = AskWhereToSave(SaveLessonDialog, read); !chosen.isEmpty()) {
        SaveLessonTo(chosen);
    }
}

void TMain::SaveLessonTo(const QString& path)
{
    RunCommand([this, path] {
        SaveWhole(path, LessonFileText(FilePath(path), populationSource_, Switches()));
        WarnIfAny(OutsideFolderWarning(FilePath(path), populationSource_));
    });
}

void TMain::Openlesson1Click()
{
    const QString chosen = AskForFile(OpenLessonDialog, FileDialogUse::ReadLesson);
    if (!chosen.isEmpty()) {
        OpenLesson(chosen);
    }
}

void TMain::OpenLesson(const QString& path)
{
    RunCommand([this, path] {
        const OpenedLesson opened = OpenLessonFile(FilePath(path));
        populationSource_ = opened.source;
        SetSwitches(opened.lesson.switches);
        randomStart_ = opened.lesson.seed;
        UpdateInfo();
        WarnIfAny(opened.notice);
    });
}

void TMain::OpenFile(const QString& path)
{
    if (IsLessonFileName(FilePath(path))) {
        OpenLesson(path);
    } else {
        OpenPopulation(path);
    }
}

LessonSwitches TMain::Switches() const
{
    return {ColourMissed1->isChecked(), MarkFull1->isChecked(), SlowMotion1->isChecked(),
            FitScale1->isChecked()};
}

void TMain::SetSwitches(const LessonSwitches& switches)
{
    ColourMissed1->setChecked(switches.colourMissed);
    MarkFull1->setChecked(switches.markFull);
    SlowMotion1->setChecked(switches.slowMotion);
    FitScale1->setChecked(switches.fitScale);
}

void TMain::Displayvariable1Click()
{
    RunDisplayVariableCommand();
}

void TMain::Exit1Click()
{
    close();
}

void TMain::Targetvariable1Click()
{
    RunTargetVariableCommand();
}

void TMain::Samplingdesign1Click()
{
    RunSamplingDesignCommand();
}

void TMain::Estimator1Click()
{
    RunEstimatorCommand();
}

void TMain::Stratifieddesign1Click()
{
    RunStratifiedDesignCommand();
}

void TMain::Systematicdesign1Click()
{
    RunSystematicDesignCommand();
}

void TMain::Clusterdesign1Click()
{
    RunClusterDesignCommand();
}

void TMain::Generatenonresponse1Click()
{
    RunGenerateNonresponseCommand();
}

void TMain::Nononresponse1Click()
{
    RunFullResponseCommand();
}

void TMain::Simulationoptions1Click()
{
    RunParametersCommand();
}

bool TMain::SimulationCanBegin()
{
    const TSimulationState& s = SimulationState;
    if (s.variableCount <= 0) {
        ShowErrorMessage(Text(InterfaceTexts.messageTexts[1]));
        return false;
    }
    if (s.sampleSize < 2) {
        ShowErrorMessage(Text(InterfaceTexts.messageTexts[2]));
        return false;
    }
    if (s.targetVariable <= 0) {
        ShowErrorMessage(QString::fromLatin1(TargetVariableMissingMessage));
        return false;
    }
    return true;
}

void TMain::Compare1Click()
{
    if (SimulationCanBegin()) {
        Forms.Comparison->Execute();
    }
}

void TMain::Showsample1Click()
{
    Forms.SampleWindow->show();
    Forms.SampleWindow->raise();
    Forms.SampleWindow->activateWindow();
}

void TMain::Newrandomstart1Click()
{
    const std::optional<std::uint32_t> seed = SeedDialog->Execute(ClockSeed());
    if (seed) {
        SetRandomSeed(*seed);
        randomStart_ = *seed;
        UpdateInfo();
    }
}

void TMain::Startsimulation1Click()
{
    const TSimulationState& s = SimulationState;
    if (!SimulationCanBegin()) {
        return;
    }
    if (s.designCode == DesignStratified) {
        // The sample size may have been changed below the strata's minimum since.
        const std::string refusal =
            CheckStratifiedDesign(StratificationOf(s.auxiliaryVariable, s.stratumClasses), s.sampleSize);
        if (!refusal.empty()) {
            ShowErrorMessage(Text(refusal));
            return;
        }
    }
    SimulationState.simulationRestart = true;
    if (s.confidenceIntervalMode) {
        Forms.ConfidenceIntervals->ApplyInterfaceTexts();
        Forms.ConfidenceIntervals->exec();
    } else {
        Forms.Simula->ApplyInterfaceTexts();
        Forms.Simula->exec();
    }
}

void TMain::Help2Click()
{
    bool callHelp = false;
    HHelp(0, 0, callHelp);
}

bool TMain::HHelp(std::uint16_t command, std::int32_t data, bool& callHelp)
{
    if (command == 0 && data == 0) {
        OpenHelpContents();
    }
    callHelp = false;
    return true;
}

void TMain::OpenHelpContents()
{
    OpenHelpFile(this);
}

void TMain::Aboutthisprogram1Click()
{
    if (Forms.AboutBox != nullptr) {
        Forms.AboutBox->ShowAboutTexts();
        Forms.AboutBox->exec();
    }
}
