#pragma once
// What the dialogs that choose one variable from a list share: a group box
// holding the list, "Cancel" and "OK", and the showing with the list filled.

#include <QDialog>
#include <string>

class QComboBox;
class QGroupBox;
class QPushButton;

class VariableChoiceDialog : public QDialog {
public:
    /// \brief Stores the selected variable and closes the dialog.
    virtual void OKButtonClick() = 0;
    void CancelButtonClick();

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    explicit VariableChoiceDialog(QWidget* parent);

    /// \brief Connects both buttons to their handlers, once the controls exist.
    void ConnectButtons();
    /// \brief Makes variable 1 the choice when none is set (kept even if the
    /// dialog is then cancelled), captions the group box, lists the variables with
    /// the choice selected and shows the dialog modally.
    void ExecuteChoice(int& choice, const std::string& caption);
};
