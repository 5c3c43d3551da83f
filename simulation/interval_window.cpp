#include "simulation/interval_window.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/interface_text_table.h"
#include "ui/window_style.h"

TConfidenceIntervals::TConfidenceIntervals(QWidget* parent)
    : SimulationWindow(GraphKind::Intervals, 539, 355, parent)
{
    setObjectName(QStringLiteral("ConfidenceIntervals"));
    Panel1 = CreatePanel("Panel1", 500, 8, 29, 257);
    Gauge1 = CreateGauge("Gauge1", Panel1, QRect(8, 8, 14, 241), Qt::Vertical);
    Label1 = CreateLabel("Label1", this, 12, 272, Qt::white);
    Label2 = CreateLabel("Label2", this, 56, 272, Qt::white);
    Panel2 = CreatePanel("Panel2", 8, 296, 217, 49);
    Label4 = CreateLabel("Label4", Panel2, 8, 8, Qt::black);
    Gauge2 = CreateGauge("Gauge2", Panel2, QRect(8, 24, 201, 16), Qt::Horizontal);
    SaveButton = CreateButton("SaveButton", 460, 284, 69, 25);
    NextButton = CreateButton("NextButton", 272, 320, 71, 25);
    FastButton = CreateButton("FastButton", 352, 320, 73, 25);
    OKButton = CreateButton("OKButton", 460, 320, 71, 25);
    FinishControls();
}

void TConfidenceIntervals::ApplyInterfaceTexts()
{
    const auto& texts = InterfaceTexts.simulationWindowTexts;
    SetAutoSizedText(Label1, QString::fromStdString(texts[1]));
    SetAutoSizedText(Label4, QString::fromStdString(InterfaceTexts.correctIntervalsText));
    SaveButton->setText(QString::fromStdString(texts[2]));
    NextButton->setText(QString::fromStdString(texts[4]));
    FastButton->setText(QString::fromStdString(texts[5]));
}

void TConfidenceIntervals::UpdateGauges()
{
    SimulationWindow::UpdateGauges();
    SetGauge(Gauge2, runEngine().correctIntervalPercentage());
}
