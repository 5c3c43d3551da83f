#pragma once
// A bar gauge whose percentage stays legible over its red bar: the text is black
// over the empty part and white where the bar lies under it.

#include <QProgressBar>

class PercentGauge : public QProgressBar {
    Q_OBJECT

public:
    explicit PercentGauge(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
