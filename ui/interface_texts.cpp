#include "ui/interface_texts.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <array>

#include "engine/statistics_rows.h"
#include "ui/distribution_window.h"
#include "ui/interval_window.h"
#include "ui/statistics_table.h"
#include "ui/about_box.h"
#include "ui/error_message.h"
#include "ui/estimator_dialog.h"
#include "ui/forms.h"
#include "texts/interface_text_table.h"
#include "ui/main_window.h"
#include "ui/nonresponse_dialog.h"
#include "ui/parameters_dialog.h"
#include "ui/population_distribution_dialog.h"
#include "ui/sampling_design_dialog.h"
#include "ui/select_variable_dialog.h"
#include "ui/target_variable_dialog.h"
#include "ui/stratified_design_dialog.h"
#include "ui/cluster_design_dialog.h"
#include "ui/systematic_design_dialog.h"
#include "ui/window_style.h"

namespace {

/// Windows are created one by one at start; one that does not exist yet simply
/// gets its title at the next call.
template <class Window>
void SetTitle(Window* window, const char* title)
{
    if (window != nullptr) {
        window->setWindowTitle(QString::fromUtf8(title));
    }
}

void ApplyMenuCaptions(TMain& main)
{
    main.Population1->setTitle(QStringLiteral("Population"));
    main.Readpopulation1->setText(QStringLiteral("Read population"));
    main.Displayvariable1->setText(QStringLiteral("Display variable"));
    main.Savepopulation1->setText(QStringLiteral("Save population"));
    main.Exit1->setText(QStringLiteral("Stop"));
    main.Sample1->setTitle(QStringLiteral("Sample"));
    main.Targetvariable1->setText(QStringLiteral("Target variabele"));
    main.Samplingdesign1->setText(QStringLiteral("Sampling design"));
    main.Estimator1->setText(QStringLiteral("Estimator"));
    main.Stratifieddesign1->setText(QStringLiteral("Stratified design"));
    main.Systematicdesign1->setText(QStringLiteral("Systematic design"));
    main.Clusterdesign1->setText(QStringLiteral("Cluster design"));
    main.Nonresponse1->setTitle(QStringLiteral("Nonresponse"));
    main.Generatenonresponse1->setText(QStringLiteral("Generate nonresponse"));
    main.Nononresponse1->setText(QStringLiteral("Full response"));
    main.Simulation1->setTitle(QStringLiteral("Simulation"));
    main.Simulationoptions1->setText(QStringLiteral("Parameters"));
    main.Startsimulation1->setText(QStringLiteral("Begin"));
    main.Compare1->setText(QStringLiteral("Compare"));
    main.Help1->setTitle(QStringLiteral("Help"));
    main.Help2->setText(QStringLiteral("Tarvek help"));
    main.Aboutthisprogram1->setText(QStringLiteral("About this program"));
}

void ApplyPanelCaptions(TMain& main)
{
    const std::array<QLabel*, InformationPanelLines> labels = {main.Label1, main.Label2, main.Label3,
                                                               main.Label4, main.Label5, main.Label6,
                                                               main.Label7, main.Label8, main.Label9};
    for (int line = 0; line < InformationPanelLines; ++line) {
        SetAutoSizedText(labels[line], QString::fromLatin1(InformationPanelCaptions[line]));
    }
}

void ApplyOpenDialogTexts(TMain& main)
{
    main.OpenDialog->setWindowTitle(QStringLiteral(" Select population file"));
    main.OpenDialog->setNameFilters({QStringLiteral("All populations (*.pop *.csv *.tsv *.txt)"),
                                     QStringLiteral("Population files (*.pop)"),
                                     QStringLiteral("CSV files (*.csv *.tsv *.txt)")});
}

void ApplyMainWindowTexts(TMain& main)
{
    ApplyMenuCaptions(main);
    ApplyPanelCaptions(main);
    ApplyOpenDialogTexts(main);
}

void ApplyWindowTitles()
{
    SetTitle(Forms.ErrorMessage, " Error message");
    SetTitle(Forms.TargetVariable, " Select target variable");
    SetTitle(Forms.SamDes, " Select sampling design");
    SetTitle(Forms.SelectEstimator, " Select estimator");
    SetTitle(Forms.Nonresponse, " Nonresponse");
    SetTitle(Forms.SelVar, " Select variable");
    SetTitle(Forms.PopDis, " Population distribution");
    SetTitle(Forms.SetSim, " Set simulation parameters");
    SetTitle(Forms.Simula, " Simulation");
    SetTitle(Forms.Statistics, " Statistics");
    SetTitle(Forms.ConfidenceIntervals, " Confidence intervals");
    SetTitle(Forms.AboutBox, " About Tarvek");
    SetTitle(Forms.StratifiedDesign, " Stratified design");
    SetTitle(Forms.SystematicDesign, " Systematic design");
    SetTitle(Forms.ClusterDesign, " Cluster design");
}

}  // namespace

void CreateInterfaceTexts()
{
    FillInterfaceTexts();
    if (Forms.Main != nullptr) {
        ApplyMainWindowTexts(*Forms.Main);
    }
    ApplyWindowTitles();
}
