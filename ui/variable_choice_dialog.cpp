#include "ui/variable_choice_dialog.h"

#include <QPushButton>

#include "ui/dialog_fields.h"

VariableChoiceDialog::VariableChoiceDialog(QWidget* parent) : QDialog(parent)
{}

void VariableChoiceDialog::ConnectButtons()
{
    connect(OKButton, &QPushButton::clicked, this, &VariableChoiceDialog::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &VariableChoiceDialog::CancelButtonClick);
}

void VariableChoiceDialog::ExecuteChoice(int& choice, const std::string& caption)
{
    if (choice == 0) {
        choice = 1;
    }
    SetCaption(GroupBox1, caption);
    ExecuteWithVariableList(this, ComboBox1, choice);
}

void VariableChoiceDialog::CancelButtonClick()
{
    reject();
}
