#include "ui/sampling_design_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/settings.h"
#include "core/simulation_state.h"
#include "engine/designs/sampling_design.h"
#include "ui/dialog_fields.h"
#include "ui/error_message.h"
#include "texts/interface_text_table.h"
#include "ui/whole_number_field.h"
#include "ui/window_style.h"

namespace {

// One report per offending unit, but a population with hundreds of them must
// not hold the user in an endless row of reports.
void ReportNonPositiveUnits(int units)
{
    const int repeated = std::min(units, MaxRepeatedPositivityMessages);
    for (int i = 0; i < repeated; ++i) {
        ShowErrorMessage(QString::fromLatin1(AuxiliaryNotPositiveMessage));
    }
    if (units > repeated) {
        ShowErrorMessage(MoreNonPositiveUnitsMessage(units - repeated));
    }
}

}  // namespace

QString MoreNonPositiveUnitsMessage(int units)
{
    return QStringLiteral("%1 more units have values that are not positive!").arg(units);
}

TSamDes::TSamDes(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SamDes"));
    SetUpSettingsDialog(this, 334, 299);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 16, 16, 213, 57);
    Edit1 = CreateEntryField(GroupBox2, "Edit1", 164, 20, 29, 21);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 16, 88, 213, 193);
    RadioButton1 = CreateRadioButton(GroupBox1, "RadioButton1", 16, 24);
    RadioButton2 = CreateRadioButton(GroupBox1, "RadioButton2", 16, 48);
    ComboBox1 = CreateVariableList(GroupBox1, "ComboBox1", 48, 68, 145);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 252, 216, 65, 25);
    OKButton = CreateOKButton(this, 252, 256, 65, 25);

    sampleSizeField_ = new WholeNumberField(
        Edit1, 2, [] { return SimulationState.unitCount; }, SimulationState.sampleSize);
    connect(RadioButton1, &QRadioButton::clicked, this, &TSamDes::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TSamDes::RadioButton2Click);
    connect(OKButton, &QPushButton::clicked, this, &TSamDes::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSamDes::CancelButtonClick);
}

void TSamDes::Execute()
{
    const auto& texts = InterfaceTexts.samplingDesignTexts;
    SetCaption(GroupBox2, texts[1]);
    SetCaption(GroupBox1, texts[2]);
    SetCaption(RadioButton1, texts[3]);
    SetCaption(RadioButton2, texts[4]);
    WidenToHoldRadioButtons(GroupBox1);
    ExecuteWithVariableList(this, ComboBox1, SimulationState.auxiliaryVariable);
}

void TSamDes::FormActivate()
{
    sampleSizeField_->ShowSetting();
    if (SimulationState.designCode == DesignEqualProbabilities) {
        RadioButton1->setChecked(true);
        RadioButton1Click();
    } else if (SimulationState.designCode == DesignProportionalToSize) {
        RadioButton2->setChecked(true);
        RadioButton2Click();
    } else {
        ClearDesignButtons();
    }
    SelectVariable(ComboBox1, SimulationState.auxiliaryVariable);
    RadioButton2->setEnabled(SimulationState.estimatorCode == EstimatorDirect);
}

// The stratified and the systematic design have their own dialogs: neither
// button stands for them, and the list stays off until a button is clicked.
void TSamDes::ClearDesignButtons()
{
    for (QRadioButton* button : {RadioButton1, RadioButton2}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    ComboBox1->setEnabled(false);
}

void TSamDes::RadioButton1Click()
{
    ComboBox1->setEnabled(false);
}

void TSamDes::RadioButton2Click()
{
    ComboBox1->setEnabled(true);
}

bool TSamDes::Edit1Exit()
{
    return sampleSizeField_->Check();
}

void TSamDes::OKButtonClick()
{
    if (!Edit1Exit()) {
        return;
    }
    if (RadioButton1->isChecked()) {
        SimulationState.designCode = DesignEqualProbabilities;
    } else if (RadioButton2->isChecked()) {
        SimulationState.designCode = DesignProportionalToSize;
        SimulationState.auxiliaryVariable = SelectedVariable(ComboBox1);
        const int nonPositive = CountNonPositiveValues(SimulationState.auxiliaryVariable);
        if (nonPositive > 0) {
            ReportNonPositiveUnits(nonPositive);
            SimulationState.designCode = DesignEqualProbabilities;
        }
    }
    if (const std::string warning = DesignOf(SimulationState.designCode)
                                        .SlowDrawWarning(RecordDesignChoice(), SimulationState.sampleSize);
        !warning.empty()) {
        ShowWarning(QString::fromStdString(warning));
    }
    accept();
}

void TSamDes::CancelButtonClick()
{
    if (Edit1Exit()) {
        reject();
    }
}

void TSamDes::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}
