#pragma once
// The distribution window: the estimates of a run grow into a 50-class histogram
// over the scale, with a red line at the population mean.

#include "ui/simulation_window.h"

class TSimula : public SimulationWindow {
    Q_OBJECT

public:
    explicit TSimula(QWidget* parent = nullptr);

    /// \brief The captions Begin writes before it shows the window.
    void ApplyInterfaceTexts();
    /// \brief Shows the statistics table of the samples drawn so far.
    void StatButtonClick();

    int barUnit() const { return runGraph().barUnit; }

    QLabel* Label3 = nullptr;
    QPushButton* StatButton = nullptr;

protected:
    /// \brief S opens the statistics; N and A as in both windows.
    void keyPressEvent(QKeyEvent* event) override;
};
