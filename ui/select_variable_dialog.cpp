#include "ui/select_variable_dialog.h"

#include <QComboBox>
#include <QGroupBox>

#include "core/simulation_state.h"
#include "ui/dialog_fields.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

TSelVar::TSelVar(QWidget* parent) : VariableChoiceDialog(parent)
{
    setObjectName(QStringLiteral("SelVar"));
    SetUpSettingsDialog(this, 298, 212);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 20, 16, 177, 177);
    ComboBox1 = CreateVariableList(GroupBox1, "ComboBox1", 16, 24, 145);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 216, 128, 65, 25);
    OKButton = CreateOKButton(this, 216, 168, 65, 25);
    ConnectButtons();
}

void TSelVar::Execute()
{
    ExecuteChoice(SimulationState.displayVariable, InterfaceTexts.selectVariableText);
}

void TSelVar::OKButtonClick()
{
    SimulationState.displayVariable = SelectedVariable(ComboBox1);
    accept();
}

void TSelVar::reject()
{
    SimulationState.displayVariable = 0;
    QDialog::reject();
}
