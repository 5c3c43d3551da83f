#include "ui/interval_window.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "texts/interface_text_table.h"
#include "ui/window_style.h"

TConfidenceIntervals::TConfidenceIntervals(QWidget* parent)
    : SimulationWindow(GraphKind::Intervals, 539, 355, parent)
{
    setObjectName(QStringLiteral("ConfidenceIntervals"));
    Panel1 = CreatePanel(this, "Panel1", 500, 8, 29, 257);
    Gauge1 = CreateGauge("Gauge1", Panel1, QRect(8, 8, 14, 241), Qt::Vertical);
    Label1 = CreateLabel(this, "Label1", 12, 272);
    Label2 = CreateLabel(this, "Label2", 56, 272);
    Panel2 = CreatePanel(this, "Panel2", 8, 296, 217, 49);
    SetTextColor(Panel2, Qt::black);
    Label4 = CreateLabel(Panel2, "Label4", 8, 8);
    Gauge2 = CreateGauge("Gauge2", Panel2, QRect(8, 24, 201, 16), Qt::Horizontal);
    SaveButton = CreateButton(this, "SaveButton", "", 460, 284, 69, 25);
    NextButton = CreateButton(this, "NextButton", "", 272, 320, 71, 25);
    FastButton = CreateButton(this, "FastButton", "", 352, 320, 73, 25);
    OKButton = CreateOKButton(this, 460, 320, 71, 25);
    FinishControls(Label1);
}

void TConfidenceIntervals::ApplyInterfaceTexts()
{
    ApplyRunTexts();
    SetAutoSizedText(Label4, QString::fromStdString(InterfaceTexts.correctIntervalsText));
}

void TConfidenceIntervals::UpdateGauges()
{
    SimulationWindow::UpdateGauges();
    SetGauge(Gauge2, runEngine().correctIntervalPercentage());
}
