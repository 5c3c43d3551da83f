#pragma once
// The dialog that sets the systematic design: the sample size and the order of
// the list the sample is taken from.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class WholeNumberField;

class TSystematicDesign : public QDialog {
public:
    explicit TSystematicDesign(QWidget* parent = nullptr);

    /// \brief Lists "File order", the variables and "Random order", sets the captions, shows the
    /// dialog modally and empties the list again.
    void Execute();

    /// \brief Shows the current sample size and order.
    void FormActivate();
    /// \brief Stores a valid sample size (2..N) at once; false for an invalid one.
    bool Edit1Exit();
    /// \brief Stores design 13 and the order (0 file order, -1 random
    /// order, else the variable).
    void OKButtonClick();
    void CancelButtonClick();

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    WholeNumberField* sampleSizeField_ = nullptr;
};
