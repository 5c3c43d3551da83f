#pragma once
// The main window: the menu of every command, the information panel that shows
// the population and the current settings, and the commands without a dialog of
// their own (read a population, stop, begin, help, about).

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/lesson_file.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QFrame;
class QKeySequence;
class QLabel;
class QMenu;
class QMenuBar;
class TImportDialog;
class TSeedDialog;

/// \brief Outer size and position of the main window and the place of its
/// information panel, all in pixels.
struct MainWindowGeometry {
    int outerWidth = 0;
    int outerHeight = 0;
    int left = 0;
    int top = 0;
    int clientWidth = 0;   ///< outerWidth without the reference frame
    int clientHeight = 0;  ///< outerHeight without the reference frame
    int panelLeft = 0;     ///< client coordinates
    int panelTop = 0;
};

inline constexpr int ReferenceFrameWidth = 8;
inline constexpr int ReferenceFrameHeight = 27;
inline constexpr int InfoPanelWidth = 360;
inline constexpr int InfoPanelHeight = 185;

/// \brief The main window's geometry on a screen of the given size: 80% of the
/// screen, top edge at 10%, centred horizontally, the panel centred in the outer size.
MainWindowGeometry ComputeMainWindowGeometry(int screenWidth, int screenHeight);

inline constexpr const char* TargetVariableMissingMessage = "You must specify a target variable!";

/// \brief The population file named on the command line (arguments after the
/// program's name): the last argument that is not an option nor the value of
/// the option before it; empty when there is none.
QString PopulationArgument(const QStringList& arguments);

class TMain : public QMainWindow {
public:
    explicit TMain(QWidget* parent = nullptr);

    /// \brief Sizes and places the window from the primary screen and applies the
    /// interface texts; run once, right after the window has been created.
    void FormCreate();
    /// \brief Re-applies the interface texts and sets the caption; run whenever the
    /// window becomes active.
    void FormActivate();
    /// \brief Refreshes the nine value labels of the information panel.
    void UpdateInfo();
    /// \brief The help hook: command 0 with data 0 opens the help contents; no
    /// request ever starts another help engine (callHelp is always false).
    bool HHelp(std::uint16_t command, std::int32_t data, bool& callHelp);

    /// \brief Runs a command; any exception it throws goes to the general error
    /// report and the program goes on.
    void RunCommand(const std::function<void()>& command);

    /// \brief Reads a population file, a delimited one through the import
    /// dialog, and refreshes the information panel; a failure goes to the
    /// general error report and changes nothing. For the command line and files
    /// dropped on the window.
    void OpenPopulation(const QString& path);
    /// \brief Writes the population as a population file; a failure goes to the
    /// general error report.
    void SavePopulationTo(const QString& path);
    /// \brief Writes the record, the generator's seed and the teaching switches
    /// as a lesson; a failure goes to the general error report.
    void SaveLessonTo(const QString& path);
    /// \brief Opens a lesson: its population, settings, teaching switches and seed
    /// take effect together; a refused lesson goes to the general error report
    /// and changes nothing.
    void OpenLesson(const QString& path);
    /// \brief Opens a lesson file (a name ending in .lesson) as a lesson, any
    /// other file as a population. For the command line and files dropped on the window.
    void OpenFile(const QString& path);

    void Readpopulation1Click();
    void Displayvariable1Click();
    void Savepopulation1Click();
    void Exit1Click();
    void Savelesson1Click();
    void Openlesson1Click();
    void Targetvariable1Click();
    void Samplingdesign1Click();
    void Estimator1Click();
    void Stratifieddesign1Click();
    void Systematicdesign1Click();
    void Clusterdesign1Click();
    void Generatenonresponse1Click();
    void Nononresponse1Click();
    void Simulationoptions1Click();
    void Startsimulation1Click();
    /// \brief Opens the comparison window, with the checks of Begin.
    void Compare1Click();
    /// \brief Opens the window that lists the sample last drawn.
    void Showsample1Click();
    /// \brief Asks for a seed, proposed from the clock, and starts the random
    /// generator there; the information panel then shows it.
    void Newrandomstart1Click();
    /// \brief The seed of the last new random start; 0 before any.
    std::uint32_t randomStart() const { return randomStart_; }
    void Help2Click();
    void Aboutthisprogram1Click();

    QMenuBar* MainMenu1 = nullptr;
    QMenu* Population1 = nullptr;
    QAction* Readpopulation1 = nullptr;
    QAction* Displayvariable1 = nullptr;
    QAction* Savepopulation1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* N5 = nullptr;
    QAction* Savelesson1 = nullptr;
    QAction* Openlesson1 = nullptr;
    QMenu* Sample1 = nullptr;
    QAction* Targetvariable1 = nullptr;
    QAction* Samplingdesign1 = nullptr;
    QAction* Estimator1 = nullptr;
    QAction* N2 = nullptr;
    QAction* Stratifieddesign1 = nullptr;
    QAction* Systematicdesign1 = nullptr;
    QAction* Clusterdesign1 = nullptr;
    QMenu* Nonresponse1 = nullptr;
    QAction* Generatenonresponse1 = nullptr;
    QAction* Nononresponse1 = nullptr;
    QMenu* Simulation1 = nullptr;
    QAction* Simulationoptions1 = nullptr;
    QAction* Startsimulation1 = nullptr;
    QAction* SlowMotion1 = nullptr;
    QAction* ColourMissed1 = nullptr;
    QAction* MarkFull1 = nullptr;
    QAction* N3 = nullptr;
    QAction* Compare1 = nullptr;
    QAction* N4 = nullptr;
    QAction* FitScale1 = nullptr;
    QAction* Showsample1 = nullptr;
    QAction* Newrandomstart1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* Aboutthisprogram1 = nullptr;
    QFileDialog* OpenDialog = nullptr;
    QFileDialog* SavePopulationDialog = nullptr;
    QFileDialog* SaveLessonDialog = nullptr;
    QFileDialog* OpenLessonDialog = nullptr;
    TImportDialog* ImportDialog = nullptr;
    TSeedDialog* SeedDialog = nullptr;
    QFrame* InfoPanel = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    /// The seed of a new random start, below the other lines; hidden at seed 0.
    QLabel* Label19 = nullptr;
    QLabel* Label20 = nullptr;

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenu();
    void CreateOpenDialog();
    void CreateLessonDialogs();
    void CreateInfoPanel();
    QAction* AddCommand(QMenu* menu, const char* name, const QKeySequence& shortcut,
                        void (TMain::*handler)());
    void CreateViewSwitches();
    QAction* AddSwitch(const char* name, const char* caption, const std::function<void(bool)>& apply);
    QLabel* AddPanelLabel(const char* name, int left, int top);
    /// True when a population was read, false when the import was cancelled.
    bool ReadPopulationFrom(const QString& path);
    bool ImportDelimitedFile(const std::string& path);
    void OpenHelpContents();
    /// \brief The checks of Begin: a population, a sample size of two, a target
    /// variable; false after the message of the first that fails.
    bool SimulationCanBegin();
    /// The teaching switches of the Simulation menu as they are checked now.
    LessonSwitches Switches() const;
    void SetSwitches(const LessonSwitches& switches);

    bool shown_ = false;
    /// The file of the population read, for a lesson to name it.
    PopulationSource populationSource_;
    std::uint32_t randomStart_ = 0;
};
