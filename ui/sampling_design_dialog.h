#pragma once
// The dialog that sets the sample size and the sampling design: equal
// probabilities, or probabilities proportional to an auxiliary variable.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class WholeNumberField;

/// \brief The positivity message is repeated once per offending unit up to this
/// many times; one more message then gives the number of units left unreported.
inline constexpr int MaxRepeatedPositivityMessages = 10;

/// \brief The message that follows the repeated ones: the number of units left.
QString MoreNonPositiveUnitsMessage(int units);

class TSamDes : public QDialog {
public:
    explicit TSamDes(QWidget* parent = nullptr);

    /// \brief Lists the variables, sets the captions, shows the dialog modally
    /// and empties the list again.
    void Execute();

    /// \brief Shows the current sample size, design and auxiliary variable, and
    /// offers the proportional design only with the direct estimator.
    void FormActivate();
    void RadioButton1Click();
    void RadioButton2Click();
    /// \brief Stores a valid sample size (2..N) at once; returns false for an
    /// invalid one, which goes back to the user.
    bool Edit1Exit();
    /// \brief Stores the design; a size variable with values not above 0 is
    /// refused with one message per such unit and the design stays equal.
    void OKButtonClick();
    void CancelButtonClick();

    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ClearDesignButtons();

    WholeNumberField* sampleSizeField_ = nullptr;
};
