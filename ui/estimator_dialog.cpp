#include "ui/estimator_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "core/settings.h"
#include "core/simulation_state.h"
#include "engine/designs/sampling_design.h"
#include "ui/dialog_fields.h"
#include "ui/error_message.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

TSelectEstimator::TSelectEstimator(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelectEstimator"));
    SetUpSettingsDialog(this, 381, 219);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 20, 16, 145, 137);
    RadioButton1 = CreateRadioButton(GroupBox1, "RadioButton1", 16, 24);
    RadioButton2 = CreateRadioButton(GroupBox1, "RadioButton2", 16, 48);
    RadioButton3 = CreateRadioButton(GroupBox1, "RadioButton3", 16, 72);
    RadioButton4 = CreateRadioButton(GroupBox1, "RadioButton4", 16, 96);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 184, 16, 177, 137);
    ComboBox1 = CreateVariableList(GroupBox2, "ComboBox1", 16, 24, 145);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 212, 176, 65, 25);
    OKButton = CreateOKButton(this, 296, 176, 65, 25);

    connect(RadioButton1, &QRadioButton::clicked, this, &TSelectEstimator::RadioButton1Click);
    for (QRadioButton* button : {RadioButton2, RadioButton3, RadioButton4}) {
        connect(button, &QRadioButton::clicked, this, &TSelectEstimator::AuxiliaryEstimatorClick);
    }
    connect(OKButton, &QPushButton::clicked, this, &TSelectEstimator::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSelectEstimator::CancelButtonClick);
}

std::array<QRadioButton*, 4> TSelectEstimator::EstimatorButtons() const
{
    return {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
}

void TSelectEstimator::Execute()
{
    SetCaption(GroupBox1, InterfaceTexts.estimatorDialogTexts[1]);
    SetCaption(GroupBox2, InterfaceTexts.estimatorDialogTexts[2]);
    const auto buttons = EstimatorButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        SetCaption(buttons[i], InterfaceTexts.estimatorNames[i + 1]);
    }
    ExecuteWithVariableList(this, ComboBox1, SimulationState.auxiliaryVariable);
}

void TSelectEstimator::FormActivate()
{
    const int index = SimulationState.estimatorCode - EstimatorDirect;
    const auto buttons = EstimatorButtons();
    if (index >= 0 && index < static_cast<int>(buttons.size())) {
        buttons[index]->setChecked(true);
    }
    if (RadioButton1->isChecked()) {
        RadioButton1Click();
    } else {
        AuxiliaryEstimatorClick();
    }
    const SamplingDesign& design = DesignOf(SimulationState.designCode);
    SelectAuxiliary(design.OffersUnitsAsAuxiliary());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setEnabled(design.Allows(EstimatorDirect + static_cast<int>(i)));
    }
}

// Under a design that offers the units, item 0 is "Units (mean per unit)" and
// item k variable k.
void TSelectEstimator::SelectAuxiliary(bool unitsOffered)
{
    unitsListed_ = unitsOffered;
    if (!unitsOffered) {
        SelectVariable(ComboBox1, SimulationState.auxiliaryVariable);
        return;
    }
    ComboBox1->insertItem(0, QStringLiteral("Units (mean per unit)"));
    const int k = SimulationState.auxiliaryVariable;
    ComboBox1->setCurrentIndex(k >= 0 && k < ComboBox1->count() ? k : 0);
}

void TSelectEstimator::RadioButton1Click()
{
    ComboBox1->setEnabled(false);
}

void TSelectEstimator::AuxiliaryEstimatorClick()
{
    ComboBox1->setEnabled(true);
}

void TSelectEstimator::OKButtonClick()
{
    const auto buttons = EstimatorButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked()) {
            SimulationState.estimatorCode = EstimatorDirect + static_cast<int>(i);
            break;
        }
    }
    if (SimulationState.estimatorCode != EstimatorDirect) {
        SimulationState.auxiliaryVariable =
            unitsListed_ ? ComboBox1->currentIndex() : SelectedVariable(ComboBox1);
    }
    const std::string refusal = CheckPostStrata();
    if (!refusal.empty()) {
        ShowErrorMessage(QString::fromStdString(refusal));
    }
    accept();
}

void TSelectEstimator::CancelButtonClick()
{
    reject();
}

void TSelectEstimator::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}
