#pragma once
// The dialog that sets the cluster designs: the cluster variable, one or two
// stages, the number of clusters m and the units per cluster k, with a summary
// of the clusters and of what the settings shown give.

#include <QDialog>

struct DesignChoice;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

class TClusterDesign : public QDialog {
public:
    explicit TClusterDesign(QWidget* parent = nullptr);

    /// \brief Lists the variables, shows the dialog modally and empties the list again.
    void Execute();

    /// \brief Shows the current cluster variable, stages, m and k.
    void FormActivate();
    /// \brief Refuses settings the design cannot draw with its message (the
    /// dialog stays open); otherwise stores the design, the cluster variable, m
    /// and (two stages) k, and returns the estimator to direct when the design
    /// does not allow it.
    void OKButtonClick();
    void CancelButtonClick();
    /// \brief Fills the summary for the settings shown.
    void RefreshSummary();

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    /// \brief Row by row: M, the smallest, mean and largest N_g, the intraclass
    /// correlation of the target, the expected number of units, and the
    /// theoretical design effects of the direct and the mean-per-unit estimator.
    QTableWidget* Tab = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// The settings the dialog shows; m and k are 0 where their fields hold no
    /// whole number.
    DesignChoice ShownChoice() const;
    void SetRow(int row, const QString& heading, const std::string& value);
};
