#pragma once
// The window of Simulation > Show sample: the units of the sample last drawn,
// one row each, with their values, whether they responded and their group. It
// follows the simulation windows: each accepted sample is shown once the
// window handles its events again, so Automatic ends showing its last sample.

#include <QDialog>

class QLabel;
class QTableWidget;

class TSampleWindow : public QDialog {
public:
    explicit TSampleWindow(QWidget* parent = nullptr);

    /// \brief Fills the table from the sample in the record.
    void ShowLastSample();
    /// \brief Asks for the table to be filled anew once events are handled; a
    /// hidden window waits until it is shown.
    void SampleDrawn();

    QLabel* Summary = nullptr;
    QTableWidget* Table = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool refreshPending_ = false;
};
