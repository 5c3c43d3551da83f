#include "ui/parameters_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "core/number_format.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "ui/dialog_fields.h"
#include "texts/interface_text_table.h"
#include "ui/whole_number_field.h"
#include "ui/window_style.h"

namespace {

constexpr int MinSimulations = 10;
constexpr int MinCompression = 1;
constexpr int MaxCompression = 4;

}  // namespace

TSetSim::TSetSim(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetSim"));
    SetUpSettingsDialog(this, 458, 245);
    OutputType = CreateGroupBox(this, "OutputType", 16, 12, 213, 77);
    RadioButton1 = CreateRadioButton(OutputType, "RadioButton1", 12, 24);
    RadioButton2 = CreateRadioButton(OutputType, "RadioButton2", 12, 40);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 244, 12, 197, 77);
    Label5 = CreateLabel(GroupBox1, "Label5", 12, 28);
    Edit4 = CreateEntryField(GroupBox1, "Edit4", 148, 28, 33, 21);
    SetRange = CreateGroupBox(this, "SetRange", 16, 104, 213, 121);
    Label1 = CreateLabel(SetRange, "Label1", 16, 20);
    Edit1 = CreateEntryField(SetRange, "Edit1", 16, 36, 73, 21);
    Label2 = CreateLabel(SetRange, "Label2", 124, 20);
    Edit2 = CreateEntryField(SetRange, "Edit2", 124, 36, 73, 21);
    SetButton = CreateButton(SetRange, "SetButton", "Set", 16, 84, 41, 21);
    Label3 = CreateLabel(SetRange, "Label3", 60, 88);
    Edit3 = CreateEntryField(SetRange, "Edit3", 164, 84, 33, 21);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 244, 104, 197, 65);
    Label4 = CreateLabel(GroupBox2, "Label4", 12, 24);
    SpinEdit1 = CreateSpinField(GroupBox2, "SpinEdit1", 148, 24, 33, 22, MinCompression, MaxCompression);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 296, 204, 67, 25);
    OKButton = CreateOKButton(this, 376, 204, 67, 25);

    simulationCountField_ = new WholeNumberField(
        Edit4, MinSimulations, [] { return MaxSamples; }, SimulationState.simulationCount);
    scaleSampleSizeField_ = new WholeNumberField(
        Edit3, 2, [] { return SimulationState.unitCount; }, SimulationState.scaleSampleSize);
    connect(SetButton, &QPushButton::clicked, this, &TSetSim::SetButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &TSetSim::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSetSim::CancelButtonClick);
}

void TSetSim::Execute()
{
    const auto& texts = InterfaceTexts.parameterTexts;
    SetCaption(OutputType, texts[1]);
    SetCaption(RadioButton1, texts[2]);
    SetCaption(RadioButton2, texts[3]);
    SetCaption(GroupBox1, texts[4]);
    SetCaption(Label5, texts[5]);
    SetCaption(SetRange, texts[6]);
    SetCaption(Label1, texts[7]);
    SetCaption(Label2, texts[8]);
    SetCaption(Label3, texts[9]);
    SetButton->setText(QString::fromStdString(texts[10]));
    SetCaption(GroupBox2, texts[11]);
    SetCaption(Label4, texts[12]);
    WrapCaptionBefore(Label5, Edit4);
    WrapCaptionBefore(Label3, Edit3);
    WrapCaptionBefore(Label4, SpinEdit1);
    CenterOnScreen(this);
    exec();
}

void TSetSim::FormActivate()
{
    FollowSampleSize();
    simulationCountField_->ShowSetting();
    scaleSampleSizeField_->ShowSetting();
    ShowBounds();
    SpinEdit1->setValue(SimulationState.verticalCompression);
    RadioButton1->setChecked(!SimulationState.confidenceIntervalMode);
    RadioButton2->setChecked(SimulationState.confidenceIntervalMode);
}

// Only a change of the sample size moves the size for "Set": one chosen here
// stays until the sample size changes again.
void TSetSim::FollowSampleSize()
{
    const int sampleSize = SimulationState.sampleSize;
    if (sampleSize != followedSampleSize_ && sampleSize >= 2 && sampleSize <= SimulationState.unitCount) {
        SimulationState.scaleSampleSize = sampleSize;
    }
    followedSampleSize_ = sampleSize;
}

void TSetSim::ShowBounds()
{
    Edit1->setText(QString::fromStdString(FormatFixed3(SimulationState.scaleLower)));
    Edit2->setText(QString::fromStdString(FormatFixed3(SimulationState.scaleUpper)));
}

bool TSetSim::Edit4Exit()
{
    return simulationCountField_->Check();
}

bool TSetSim::Edit3Exit()
{
    return scaleSampleSizeField_->Check();
}

bool TSetSim::FieldsAccepted()
{
    return Edit4Exit() && Edit3Exit();
}

void TSetSim::SetButtonClick()
{
    if (!FieldsAccepted()) {
        return;
    }
    SetScaleForSampleSize();
    ShowBounds();
}

void TSetSim::OKButtonClick()
{
    if (!FieldsAccepted()) {
        return;
    }
    SimulationState.verticalCompression = SpinEdit1->value();
    // A bound whose text is no number keeps its previous value.
    ParseDecimal(Edit1->text(), SimulationState.scaleLower);
    ParseDecimal(Edit2->text(), SimulationState.scaleUpper);
    SimulationState.confidenceIntervalMode = RadioButton2->isChecked();
    accept();
}

void TSetSim::CancelButtonClick()
{
    if (FieldsAccepted()) {
        reject();
    }
}

void TSetSim::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}
