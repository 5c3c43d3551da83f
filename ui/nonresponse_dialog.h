#pragma once
// The dialog that sets generated nonresponse: the variable on which the
// probability of not responding depends, and the percentages at its minimum and
// maximum value.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TNonresponse : public QDialog {
public:
    explicit TNonresponse(QWidget* parent = nullptr);

    /// \brief Lists the variables, sets the captions, shows the last accepted
    /// settings (or variable 1 with 1 and 99 percent), shows the dialog modally
    /// and empties the list again.
    void Execute();

    /// \brief Reads both percentages, then draws the line through them and
    /// switches nonresponse on. A percentage that is no whole number or a
    /// variable without two different values is reported; the dialog then stays
    /// open and nothing is stored.
    void OKButtonClick();
    void CancelButtonClick();

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

private:
    void ShowPercentages();
};
