#include "ui/target_variable_dialog.h"

#include <QComboBox>
#include <QGroupBox>

#include "core/settings.h"
#include "core/simulation_state.h"
#include "ui/dialog_fields.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

TTargetVariable::TTargetVariable(QWidget* parent) : VariableChoiceDialog(parent)
{
    setObjectName(QStringLiteral("TargetVariable"));
    SetUpSettingsDialog(this, 302, 213);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 20, 16, 185, 177);
    ComboBox1 = CreateVariableList(GroupBox1, "ComboBox1", 20, 24, 145);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 224, 128, 65, 25);
    OKButton = CreateOKButton(this, 224, 168, 65, 25);
    ConnectButtons();
}

void TTargetVariable::Execute()
{
    ExecuteChoice(SimulationState.targetVariable, InterfaceTexts.targetVariableText);
}

void TTargetVariable::OKButtonClick()
{
    SetTargetVariable(SelectedVariable(ComboBox1));
    accept();
}
