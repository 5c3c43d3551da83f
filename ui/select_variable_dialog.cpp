#include "ui/select_variable_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "core/simulation_state.h"
#include "ui/dialog_fields.h"
#include "ui/interface_text_table.h"
#include "ui/window_style.h"

TSelVar::TSelVar(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelVar"));
    SetUpSettingsDialog(this, 298, 212);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 20, 16, 177, 177);
    ComboBox1 = CreateVariableList(GroupBox1, "ComboBox1", 16, 24, 145);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 216, 128, 65, 25);
    OKButton = CreateOKButton(this, 216, 168, 65, 25);
    connect(OKButton, &QPushButton::clicked, this, &TSelVar::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSelVar::CancelButtonClick);
}

void TSelVar::Execute()
{
    FillVariableList(ComboBox1);
    if (SimulationState.displayVariable == 0) {
        SimulationState.displayVariable = 1;
    }
    SetCaption(GroupBox1, InterfaceTexts.selectVariableText);
    SelectVariable(ComboBox1, SimulationState.displayVariable);
    CenterOnScreen(this);
    exec();
    ComboBox1->clear();
}

void TSelVar::OKButtonClick()
{
    SimulationState.displayVariable = SelectedVariable(ComboBox1);
    accept();
}

void TSelVar::CancelButtonClick()
{
    reject();
}

void TSelVar::reject()
{
    SimulationState.displayVariable = 0;
    QDialog::reject();
}
