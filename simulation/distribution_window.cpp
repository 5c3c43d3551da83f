#include "simulation/distribution_window.h"

#include <QLabel>
#include <QPushButton>

#include "simulation/statistics_table.h"
#include "ui/forms.h"
#include "ui/interface_text_table.h"
#include "ui/window_style.h"

TSimula::TSimula(QWidget* parent) : SimulationWindow(GraphKind::Histogram, 541, 346, parent)
{
    setObjectName(QStringLiteral("Simula"));
    Panel1 = CreatePanel("Panel1", 500, 8, 29, 257);
    Gauge1 = CreateGauge("Gauge1", Panel1, QRect(8, 8, 13, 241), Qt::Vertical);
    Label3 = CreateLabel("Label3", this, 12, 276, Qt::white);
    Label2 = CreateLabel("Label2", this, 60, 276, Qt::white);
    SaveButton = CreateButton("SaveButton", 96, 308, 69, 25);
    StatButton = CreateButton("StatButton", 172, 308, 69, 25);
    NextButton = CreateButton("NextButton", 280, 308, 69, 25);
    FastButton = CreateButton("FastButton", 356, 308, 69, 25);
    OKButton = CreateButton("OKButton", 464, 308, 65, 25);
    FinishControls();
    connect(StatButton, &QPushButton::clicked, this, &TSimula::StatButtonClick);
}

void TSimula::ApplyInterfaceTexts()
{
    const auto& texts = InterfaceTexts.simulationWindowTexts;
    SetAutoSizedText(Label3, QString::fromStdString(texts[1]));
    SaveButton->setText(QString::fromStdString(texts[2]));
    StatButton->setText(QString::fromStdString(texts[3]));
    NextButton->setText(QString::fromStdString(texts[4]));
    FastButton->setText(QString::fromStdString(texts[5]));
}

void TSimula::StatButtonClick()
{
    if (Forms.Statistics != nullptr) {
        Forms.Statistics->ShowForRun(samplesDrawn());
    }
}
