#include "ui/application.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "core/simulation_state.h"
#include "texts/interface_text_table.h"

#include "ui/distribution_window.h"
#include "ui/comparison_window.h"
#include "ui/interval_window.h"
#include "ui/statistics_table.h"
#include "ui/about_box.h"
#include "ui/window_style.h"
#include "ui/emblem.h"
#include "ui/error_message.h"
#include "ui/estimator_dialog.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/nonresponse_dialog.h"
#include "ui/parameters_dialog.h"
#include "ui/sample_window.h"
#include "ui/population_distribution_dialog.h"
#include "ui/sampling_design_dialog.h"
#include "ui/select_variable_dialog.h"
#include "ui/target_variable_dialog.h"
#include "ui/stratified_design_dialog.h"
#include "ui/cluster_design_dialog.h"
#include "ui/systematic_design_dialog.h"

TForms Forms;

namespace {

constexpr const char* HelpFileProperty = "helpFile";
constexpr std::array<std::pair<std::string_view, double>, 4> ZoomFactors = {{
    {"1", 1.0},
    {"1.5", 1.5},
    {"2", 2.0},
    {"3", 3.0},
}};

double ZoomFactorNamed(std::string_view text)
{
    for (const auto& [name, factor] : ZoomFactors) {
        if (text == name) {
            return factor;
        }
    }
    return 0.0;
}

constexpr const char* UsageText =
    "Usage: tarvek [OPTIONS] [POPULATION_FILE]\n"
    "Opens the sampling simulator; a population file (.pop, .csv, .tsv or .txt) given\n"
    "is read at start, a lesson (.lesson) opened with its population and settings.\n\n"
    "Options:\n"
    "  -h, --help      print this usage and exit\n"
    "      --version   print the program's version and exit\n"
    "      --zoom F    show every window F times larger: 1, 1.5, 2 or 3\n\n"
    "Qt's own options, such as -platform NAME or -style NAME, are taken too.\n";

/// With --help or --version the answer is printed and the program ends at once,
/// without a window: its exit code.
std::optional<int> AnswerInformationOption(int argc, const char* const* argv)
{
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument == "--help" || argument == "-h") {
            std::fputs(UsageText, stdout);
            return 0;
        }
        if (argument == "--version") {
            FillInterfaceTexts();
            std::printf("tarvek %s\n", SimulationState.versionText.c_str());
            return 0;
        }
    }
    return std::nullopt;
}

/// The options QApplication takes out of the arguments (after one more leading
/// '-', before any '='), those of the X11 platform included.
constexpr std::array<std::string_view, 25> QtOptionNames = {
    "-platform",
    "-platformpluginpath",
    "-platformtheme",
    "-plugin",
    "-qwindowgeometry",
    "-geometry",
    "-qwindowtitle",
    "-title",
    "-qwindowicon",
    "-icon",
    "-display",
    "-reverse",
    "-session",
    "-testability",
    "-qmljsdebugger",
    "-style",
    "-stylesheet",
    "-widgetcount",
    "-name",
    "-visual",
    "-cmap",
    "-sync",
    "-nograb",
    "-dograb",
    "-qdevel",
};

/// The first option among `argv` that is neither the program's nor one of Qt's,
/// found before Qt opens the display (which aborts the program where there is
/// none); empty when there is none.
std::string_view UnknownOptionBeforeQt(int argc, const char* const* argv)
{
    for (int index = 1; index < argc; ++index) {
        std::string_view argument = argv[index];
        if (argument == "--zoom") {
            ++index;
            continue;
        }
        if (!argument.starts_with('-') || argument.starts_with("--zoom=")) {
            continue;
        }
        std::string_view name = argument.starts_with("--") ? argument.substr(1) : argument;
        name = name.substr(0, name.find('='));
        if (std::find(QtOptionNames.begin(), QtOptionNames.end(), name) == QtOptionNames.end()) {
            return argument;
        }
    }
    return {};
}

void ReportUnknownOption(std::string_view option)
{
    std::fprintf(stderr, "tarvek: unknown option '%.*s' (see --help)\n", static_cast<int>(option.size()),
                 option.data());
}

/// The first option that is neither the program's nor one that Qt took out of
/// the arguments; empty when there is none.
QString UnknownOption(const QStringList& arguments)
{
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument == QLatin1String("--zoom")) {
            ++index;
        } else if (argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1String("--zoom="))) {
            return argument;
        }
    }
    return {};
}

// Past the file size limit (ulimit -f) a write then fails with EFBIG, which a
// save reports, instead of the signal ending the program and the session.
void IgnoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

void SetApplicationHelpFile(const QString& fileName)
{
    qApp->setProperty(HelpFileProperty, fileName);
}

// The program keeps no settings, but Qt's file dialogs read and write their
// history in the user's configuration folder. A folder beneath a device file can
// never be created: they find nothing there and write nothing.
void KeepNoSettingsFiles()
{
    const QString nowhere = QStringLiteral("/dev/null/tarvek");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, nowhere);
    }
}

}  // namespace

double ZoomFactorFromArguments(int argc, const char* const* argv)
{
    constexpr std::string_view Option = "--zoom";
    double factor = 1.0;
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument == Option) {
            factor = index + 1 < argc ? ZoomFactorNamed(argv[++index]) : 0.0;
        } else if (argument.substr(0, Option.size() + 1) == "--zoom=") {
            factor = ZoomFactorNamed(argument.substr(Option.size() + 1));
        }
    }
    return factor;
}

void ApplyZoom(double factor)
{
    // Qt scales every window, its fonts and what is painted on it; a picture
    // drawn without smoothing keeps sharp pixels.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor));
}

QString ApplicationHelpFile()
{
    return qApp->property(HelpFileProperty).toString();
}

void CreateForms()
{
    Forms.Main = new TMain;
    Forms.Main->FormCreate();
    Forms.SelVar = new TSelVar(Forms.Main);
    Forms.PopDis = new TPopDis(Forms.Main);
    Forms.SamDes = new TSamDes(Forms.Main);
    Forms.SelectEstimator = new TSelectEstimator(Forms.Main);
    Forms.SetSim = new TSetSim(Forms.Main);
    Forms.Simula = new TSimula(Forms.Main);
    Forms.TargetVariable = new TTargetVariable(Forms.Main);
    Forms.Statistics = new TStatistics(Forms.Main);
    Forms.Nonresponse = new TNonresponse(Forms.Main);
    Forms.AboutBox = new TAboutBox(Forms.Main);
    Forms.ConfidenceIntervals = new TConfidenceIntervals(Forms.Main);
    Forms.ErrorMessage = new TErrorMessage(Forms.Main);
    Forms.StratifiedDesign = new TStratifiedDesign(Forms.Main);
    Forms.SystematicDesign = new TSystematicDesign(Forms.Main);
    Forms.ClusterDesign = new TClusterDesign(Forms.Main);
    Forms.Comparison = new TComparison(Forms.Main);
    Forms.SampleWindow = new TSampleWindow(Forms.Main);
    for (SimulationWindow* window : {static_cast<SimulationWindow*>(Forms.Simula),
                                     static_cast<SimulationWindow*>(Forms.ConfidenceIntervals)}) {
        QObject::connect(window, &SimulationWindow::sampleAccepted, Forms.SampleWindow,
                         &TSampleWindow::SampleDrawn);
    }
}

void DestroyForms()
{
    delete Forms.Main;
    Forms = TForms{};
}

double LargestFittingZoom(double asked, QSize window, QSize room)
{
    double fitting = ZoomFactors.front().second;
    for (const auto& [name, factor] : ZoomFactors) {
        const bool fits = window.width() * factor + WindowFrameRoom.width() <= room.width() &&
                          window.height() * factor + WindowFrameRoom.height() <= room.height();
        if (factor <= asked && fits) {
            fitting = factor;
        }
    }
    return fitting;
}

QSize LargestFixedWindow()
{
    QSize largest;
    for (const QWidget* window : Forms.Main->findChildren<QWidget*>()) {
        // The main window follows its screen's size; the comparison window keeps
        // to its screen, scrolling what does not fit.
        const bool fixed = window->isWindow() && window->minimumSize() == window->maximumSize() &&
                           qobject_cast<const TComparison*>(window) == nullptr;
        if (fixed) {
            largest = largest.expandedTo(window->size());
        }
    }
    return largest;
}

namespace {

/// Runs the program with every window shown `zoom` times larger: its exit code,
/// or nothing, before any window is shown, with `zoom` lowered to the largest
/// factor at which every window fits the screen where one would not.
std::optional<int> RunAtZoom(int argc, char** argv, double& zoom)
{
    // Qt takes its own options out of the list it is given: each application
    // object gets the whole list.
    std::vector<char*> arguments(argv, argv + argc);
    int count = argc;
    QApplication application(count, arguments.data());
    // A Qt option this platform does not take is left among the arguments.
    if (const QString unknown = UnknownOption(QApplication::arguments()); !unknown.isEmpty()) {
        ReportUnknownOption(unknown.toLocal8Bit().toStdString());
        return 2;
    }
    // The application name is the title on the task bar; a display name would be
    // appended to every window title, so none is set.
    QApplication::setApplicationName(QStringLiteral("Tarvek"));
    SetApplicationHelpFile(QStringLiteral("tarvek.chm"));
    QApplication::setWindowIcon(EmblemIcon());
    CreateForms();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // In the screen's pixels, which the windows' sizes at zoom 1 times a
        // factor are.
        const QSize room = screen->availableGeometry().size() * zoom;
        if (const double fitting = LargestFittingZoom(zoom, LargestFixedWindow(), room); fitting < zoom) {
            DestroyForms();
            zoom = fitting;
            return std::nullopt;
        }
    }
    Forms.Main->show();
    if (const QString population = PopulationArgument(QApplication::arguments().mid(1));
        !population.isEmpty()) {
        Forms.Main->OpenFile(population);
    }
    const int exitCode = QApplication::exec();
    DestroyForms();
    return exitCode;
}

}  // namespace

int RunApplication(int argc, char** argv)
{
    IgnoreFileSizeSignal();
    if (const std::optional<int> exitCode = AnswerInformationOption(argc, argv)) {
        return *exitCode;
    }
    const double zoom = ZoomFactorFromArguments(argc, argv);
    if (zoom == 0.0) {
        std::fputs("tarvek: --zoom takes 1, 1.5, 2 or 3\n", stderr);
        return 2;
    }
    if (const std::string_view unknown = UnknownOptionBeforeQt(argc, argv); !unknown.empty()) {
        ReportUnknownOption(unknown);
        return 2;
    }
    KeepNoSettingsFiles();
    for (double shown = zoom;;) {
        if (shown != 1.0 || zoom != 1.0) {
            ApplyZoom(shown);
        }
        if (const std::optional<int> exitCode = RunAtZoom(argc, argv, shown)) {
            return *exitCode;
        }
    }
}
