#pragma once
// The dialog that sets the stratified design: the sample size, the stratification
// variable (by its codes or in classes of equal size) and the allocation, with a
// table of what the allocation gives each stratum and the theoretical gain over
// simple random sampling.

#include <QDialog>
#include <array>
#include <string>

struct StratifiedAllocation;
struct Stratification;

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class WholeNumberField;

class TStratifiedDesign : public QDialog {
public:
    explicit TStratifiedDesign(QWidget* parent = nullptr);

    /// \brief Lists the variables, sets the captions, shows the dialog modally and
    /// empties the list again.
    void Execute();

    /// \brief Shows the current sample size, stratification variable, its classes
    /// and the allocation.
    void FormActivate();
    /// \brief Stores a valid sample size (2..N) at once; false for an invalid one.
    bool Edit1Exit();
    /// \brief Refuses a variable that forms no strata or a sample size below the
    /// strata's minimum with its message (the dialog stays open); otherwise stores
    /// design 12, the variable, its classes, the allocation and the direct estimator.
    void OKButtonClick();
    void CancelButtonClick();
    /// \brief Fills the table (per stratum what it stands for, its size, standard
    /// deviation, n_h and the target's mean) and, below it, the theoretical standard error of the
    /// allocation beside simple random sampling's of the same n and the design
    /// effect, or why the variable forms no strata.
    void RefreshTable();

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QRadioButton* RadioButton4 = nullptr;  ///< the variable's codes are the strata
    QRadioButton* RadioButton5 = nullptr;  ///< its classes of equal size are
    QSpinBox* SpinEdit1 = nullptr;         ///< how many classes
    QLabel* Label1 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QTableWidget* Tab = nullptr;
    QLabel* TheoryLabel = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<QRadioButton*, 3> AllocationButtons() const;
    int ChosenAllocation() const;
    /// H of the classes of equal size chosen; 0 for the variable's codes.
    int ChosenClasses() const;
    /// The sample size the field shows, when it is a valid one; else 0.
    int ShownSampleSize() const;
    void SetCell(int row, int column, const QString& text);
    static QString TheoryText(const StratifiedAllocation& allocation, int n);
    /// The refusal of a variable as the dialog shows it: "There are too many
    /// strata!" with how many the variable names and the limit.
    static std::string RefusalText(const Stratification& stratification);

    WholeNumberField* sampleSizeField_ = nullptr;
};
