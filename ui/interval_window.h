#pragma once
// The interval window: the 95% confidence intervals of the last 30 samples scroll
// upwards over the scale, with the running percentage of intervals that contain
// the population mean.

#include "ui/simulation_window.h"

class TConfidenceIntervals : public SimulationWindow {
    Q_OBJECT

public:
    explicit TConfidenceIntervals(QWidget* parent = nullptr);

    /// \brief The captions Begin writes before it shows the window.
    void ApplyInterfaceTexts();

    const IntervalSlots& intervalSlots() const { return runGraph().intervalSlots; }

    QLabel* Label1 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label4 = nullptr;
    QProgressBar* Gauge2 = nullptr;

protected:
    void UpdateGauges() override;
};
