#pragma once
// The dialog in which the variable to display is chosen.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;

class TSelVar : public QDialog {
public:
    explicit TSelVar(QWidget* parent = nullptr);

    /// \brief Lists the variables, preselects displayVariable (variable 1 when
    /// none), shows the dialog modally and empties the list again. Afterwards
    /// displayVariable is the chosen variable, or 0 when the choice was cancelled.
    void Execute();

    void OKButtonClick();
    void CancelButtonClick();

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

    /// \brief Every way of closing other than OK counts as Cancel.
    void reject() override;
};
