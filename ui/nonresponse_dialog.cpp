#include "ui/nonresponse_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <string>

#include "core/population_file.h"
#include "core/rounding.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "ui/dialog_fields.h"
#include "ui/error_message.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

namespace {

constexpr int DefaultPercentAtMinimum = 1;
constexpr int DefaultPercentAtMaximum = 99;

// Any whole number is a percentage here: settings under which no sample keeps
// two respondents are caught where the samples are drawn.
bool ReadPercentage(QLineEdit* field, int& percent)
{
    if (ParseIntInRange(field->text().toStdString(), std::numeric_limits<int>::min(),
                        std::numeric_limits<int>::max(), percent)) {
        return true;
    }
    ShowGeneralErrorReport(QStringLiteral("'%1' is not a valid integer value").arg(field->text()));
    field->setFocus();
    return false;
}

}  // namespace

TNonresponse::TNonresponse(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Nonresponse"));
    SetUpSettingsDialog(this, 408, 222);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 16, 16, 177, 145);
    ComboBox1 = CreateVariableList(GroupBox1, "ComboBox1", 16, 24, 145);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 208, 16, 185, 145);
    Label1 = CreateLabel(GroupBox2, "Label1", 12, 24);
    Edit1 = CreateEntryField(GroupBox2, "Edit1", 40, 48, 121, 21);
    Label2 = CreateLabel(GroupBox2, "Label2", 12, 84);
    Edit2 = CreateEntryField(GroupBox2, "Edit2", 40, 104, 121, 21);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 256, 180, 65, 25);
    OKButton = CreateOKButton(this, 328, 180, 67, 25);
    connect(OKButton, &QPushButton::clicked, this, &TNonresponse::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TNonresponse::CancelButtonClick);
}

void TNonresponse::Execute()
{
    const auto& texts = InterfaceTexts.nonresponseDialogTexts;
    SetCaption(GroupBox1, texts[1]);
    SetCaption(GroupBox2, texts[2]);
    SetCaption(Label1, texts[3]);
    SetCaption(Label2, texts[4]);
    ShowPercentages();
    // Variable 0 (never set) selects variable 1.
    ExecuteWithVariableList(this, ComboBox1, SimulationState.nonresponseVariable);
}

// The settings of the last OK stay on show after "Full response" too.
void TNonresponse::ShowPercentages()
{
    const TSimulationState& state = SimulationState;
    if (state.nonresponseVariable == 0) {
        Edit1->setText(QString::number(DefaultPercentAtMinimum));
        Edit2->setText(QString::number(DefaultPercentAtMaximum));
        return;
    }
    Edit1->setText(QString::number(nearest(state.nonresponseAtMinimum * 100)));
    Edit2->setText(QString::number(nearest(state.nonresponseAtMaximum * 100)));
}

void TNonresponse::OKButtonClick()
{
    int atMinimum = 0;
    int atMaximum = 0;
    if (!ReadPercentage(Edit1, atMinimum) || !ReadPercentage(Edit2, atMaximum)) {
        return;
    }
    const std::string refusal = SetNonresponseLine(SelectedVariable(ComboBox1), atMinimum, atMaximum);
    if (!refusal.empty()) {
        ShowErrorMessage(QString::fromStdString(refusal));
        return;
    }
    accept();
}

void TNonresponse::CancelButtonClick()
{
    reject();
}
