#pragma once
// The dialog that chooses the estimator (direct, ratio, regression or
// post-stratification) and its auxiliary variable (or, under the cluster
// designs, the units themselves).

#include <QDialog>
#include <array>

class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

class TSelectEstimator : public QDialog {
public:
    explicit TSelectEstimator(QWidget* parent = nullptr);

    /// \brief Lists the variables, sets the captions, shows the dialog modally
    /// and empties the list again.
    void Execute();

    /// \brief Shows the current estimator and auxiliary variable, and enables the
    /// estimators the design allows.
    void FormActivate();
    /// \brief The direct estimator needs no auxiliary variable.
    void RadioButton1Click();
    /// \brief Shared by RadioButton2 .. RadioButton4: these estimators need one.
    void AuxiliaryEstimatorClick();
    /// \brief Stores the estimator and, for all but the direct one, the auxiliary
    /// variable; post-strata that cannot be used are reported and the estimator
    /// returns to direct.
    void OKButtonClick();
    void CancelButtonClick();

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// \brief The buttons in the order of the estimator codes 20..23.
    std::array<QRadioButton*, 4> EstimatorButtons() const;
    /// \brief Selects the current auxiliary variable, listing the units first
    /// where the design offers them.
    void SelectAuxiliary(bool unitsOffered);

    bool unitsListed_ = false;
};
