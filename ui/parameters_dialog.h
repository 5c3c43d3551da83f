#pragma once
// The dialog that sets how a simulation run is carried out and drawn: the number
// of samples, the kind of output, the horizontal scale and the vertical
// compression of the graphs.

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class WholeNumberField;

class TSetSim : public QDialog {
public:
    explicit TSetSim(QWidget* parent = nullptr);

    /// \brief Sets the captions and shows the dialog modally.
    void Execute();

    /// \brief Shows every setting of the dialog as it stands in the record.
    void FormActivate();
    /// \brief Stores a valid number of simulations (10..1000) at once; false for
    /// an invalid one, which goes back to the user.
    bool Edit4Exit();
    /// \brief Stores a valid sample size for "Set" (2..N) at once; false for an
    /// invalid one.
    bool Edit3Exit();
    /// \brief Sets the scale at once to the smallest and largest mean a sample of
    /// the size for "Set" can have.
    void SetButtonClick();
    /// \brief Stores the compression, the bounds as shown (a text that is no
    /// number keeps its bound) and the kind of output.
    void OKButtonClick();
    void CancelButtonClick();

    QGroupBox* OutputType = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QGroupBox* SetRange = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* SetButton = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label4 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// \brief The focus-out checks of both whole-number fields, run again by
    /// every button: a click that took the focus from an invalid field does nothing.
    bool FieldsAccepted();
    void ShowBounds();
    /// \brief The size for "Set" becomes the sample size when that has changed
    /// since the dialog last showed.
    void FollowSampleSize();

    WholeNumberField* simulationCountField_ = nullptr;
    WholeNumberField* scaleSampleSizeField_ = nullptr;
    int followedSampleSize_ = -1;
};
