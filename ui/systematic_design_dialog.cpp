#include "ui/systematic_design_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "core/simulation_state.h"
#include "core/systematic_sampling.h"
#include "texts/interface_text_table.h"
#include "ui/dialog_fields.h"
#include "ui/whole_number_field.h"
#include "ui/window_style.h"

TSystematicDesign::TSystematicDesign(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SystematicDesign"));
    SetUpSettingsDialog(this, 334, 169);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 16, 16, 213, 57);
    Edit1 = CreateEntryField(GroupBox1, "Edit1", 164, 20, 29, 21);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 16, 88, 213, 57);
    ComboBox1 = CreateVariableList(GroupBox2, "ComboBox1", 16, 24, 181);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 252, 80, 65, 25);
    OKButton = CreateOKButton(this, 252, 120, 65, 25);

    sampleSizeField_ = new WholeNumberField(
        Edit1, 2, [] { return SimulationState.unitCount; }, SimulationState.sampleSize);
    connect(OKButton, &QPushButton::clicked, this, &TSystematicDesign::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSystematicDesign::CancelButtonClick);
}

// Item 0 is "File order", item k is variable k, the last item "Random order".
void TSystematicDesign::Execute()
{
    const auto& texts = InterfaceTexts.systematicDialogTexts;
    SetCaption(GroupBox1, texts[1]);
    SetCaption(GroupBox2, texts[2]);
    ComboBox1->addItem(QString::fromStdString(texts[3]));
    FillVariableList(ComboBox1);
    ComboBox1->addItem(QString::fromUtf8(RandomOrderText));
    CenterOnScreen(this);
    exec();
    ComboBox1->clear();
}

void TSystematicDesign::FormActivate()
{
    sampleSizeField_->ShowSetting();
    const int order = SimulationState.systematicOrder;
    const int randomItem = ComboBox1->count() - 1;
    if (order == SystematicRandomOrder) {
        ComboBox1->setCurrentIndex(randomItem);
    } else {
        ComboBox1->setCurrentIndex(order >= 1 && order < randomItem ? order : 0);
    }
}

bool TSystematicDesign::Edit1Exit()
{
    return sampleSizeField_->Check();
}

void TSystematicDesign::OKButtonClick()
{
    if (!Edit1Exit()) {
        return;
    }
    SimulationState.designCode = DesignSystematic;
    const int item = ComboBox1->currentIndex();
    SimulationState.systematicOrder =
        item == ComboBox1->count() - 1 ? SystematicRandomOrder : std::max(item, 0);
    accept();
}

void TSystematicDesign::CancelButtonClick()
{
    if (Edit1Exit()) {
        reject();
    }
}

void TSystematicDesign::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}
