#include "ui/distribution_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "ui/statistics_table.h"
#include "ui/forms.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

TSimula::TSimula(QWidget* parent) : SimulationWindow(GraphKind::Histogram, 541, 346, parent)
{
    setObjectName(QStringLiteral("Simula"));
    Panel1 = CreatePanel(this, "Panel1", 500, 8, 29, 257);
    Gauge1 = CreateGauge("Gauge1", Panel1, QRect(8, 8, 13, 241), Qt::Vertical);
    Label3 = CreateLabel(this, "Label3", 12, 276);
    Label2 = CreateLabel(this, "Label2", 60, 276);
    SaveButton = CreateButton(this, "SaveButton", "", 96, 308, 69, 25);
    StatButton = CreateButton(this, "StatButton", "", 172, 308, 69, 25);
    NextButton = CreateButton(this, "NextButton", "", 280, 308, 69, 25);
    FastButton = CreateButton(this, "FastButton", "", 356, 308, 69, 25);
    OKButton = CreateOKButton(this, 464, 308, 65, 25);
    FinishControls(Label3);
    connect(StatButton, &QPushButton::clicked, this, &TSimula::StatButtonClick);
}

void TSimula::ApplyInterfaceTexts()
{
    ApplyRunTexts();
    StatButton->setText(QString::fromStdString(InterfaceTexts.simulationWindowTexts[3]));
}

void TSimula::StatButtonClick()
{
    if (Forms.Statistics == nullptr || automaticDrawing()) {
        return;
    }
    // The table shows the samples drawn when it opened: slow motion waits for it.
    const bool slowMotionWasRunning = PauseSlowMotion();
    Forms.Statistics->ShowForRun(samplesDrawn());
    if (slowMotionWasRunning) {
        ResumeSlowMotion();
    }
}

void TSimula::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_S) {
        StatButtonClick();
    } else {
        SimulationWindow::keyPressEvent(event);
    }
}
