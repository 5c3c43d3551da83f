#pragma once
// The statistics table: the settings of the run, then the theoretical and the
// simulated mean and standard error of the estimator side by side. Read-only,
// filled anew each time it is shown.

#include <QDialog>
#include <string>

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

class TStatistics : public QDialog {
    Q_OBJECT

public:
    explicit TStatistics(QWidget* parent = nullptr);

    /// \brief Shows the table modally for a run that has drawn `samplesDrawn` samples.
    void ShowForRun(int samplesDrawn);
    /// \brief Fills the 13 rows from SimulationState and the run's estimates, then
    /// the rows of the design that has more; "Simulations" reads "250 of 1000"
    /// while the run is incomplete.
    void FormActivate();
    void OKButtonClick();

    QTableWidget* Tab = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetCell(int row, int column, const std::string& text);
    void SetColumnWidths();

    int samplesDrawn_ = 0;
};
