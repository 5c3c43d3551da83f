#include "ui/settings_commands.h"

#include <QString>

#include "core/simulation_state.h"
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

namespace {

bool RefusedWhen(bool condition, int message)
{
    if (condition) {
        ShowErrorMessage(QString::fromStdString(InterfaceTexts.messageTexts[message]));
    }
    return condition;
}

// Every command needs a population with at least one variable.
bool RefusedWithoutPopulation()
{
    return RefusedWhen(SimulationState.variableCount == 0, 1);
}

void RefreshInformationPanel()
{
    if (Forms.Main != nullptr) {
        Forms.Main->UpdateInfo();
    }
}

// A command that changes settings runs only with a population, and the
// information panel shows its outcome afterwards.
template <typename ChangeSettings>
void RunSettingsCommand(ChangeSettings change)
{
    if (RefusedWithoutPopulation()) {
        return;
    }
    change();
    RefreshInformationPanel();
}

}  // namespace

void RunDisplayVariableCommand()
{
    if (RefusedWithoutPopulation()) {
        return;
    }
    Forms.SelVar->Execute();
    Forms.PopDis->Execute();
}

void RunTargetVariableCommand()
{
    RunSettingsCommand([] { Forms.TargetVariable->Execute(); });
}

void RunSamplingDesignCommand()
{
    RunSettingsCommand([] { Forms.SamDes->Execute(); });
}

void RunEstimatorCommand()
{
    RunSettingsCommand([] { Forms.SelectEstimator->Execute(); });
}

void RunStratifiedDesignCommand()
{
    RunSettingsCommand([] { Forms.StratifiedDesign->Execute(); });
}

void RunSystematicDesignCommand()
{
    RunSettingsCommand([] { Forms.SystematicDesign->Execute(); });
}

void RunClusterDesignCommand()
{
    RunSettingsCommand([] { Forms.ClusterDesign->Execute(); });
}

void RunGenerateNonresponseCommand()
{
    RunSettingsCommand([] { Forms.Nonresponse->Execute(); });
}

void RunFullResponseCommand()
{
    RunSettingsCommand([] { SimulationState.nonresponseOn = false; });
}

void RunParametersCommand()
{
    if (RefusedWithoutPopulation() || RefusedWhen(SimulationState.sampleSize < 2, 2)) {
        return;
    }
    Forms.SetSim->Execute();
    RefreshInformationPanel();
}
