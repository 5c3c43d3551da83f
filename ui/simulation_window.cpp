#include "ui/simulation_window.h"

#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegion>
#include <QTimer>
#include <algorithm>

#include "core/rounding.h"
#include "core/simulation_state.h"
#include "engine/statistics_rows.h"
#include "engine/fitted_scale.h"
#include "plot/plot_renderer.h"
#include "ui/error_message.h"
#include "ui/export_dialogs.h"
#include "ui/percent_gauge.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

namespace {

constexpr const char* GaugeStyle =
    "QProgressBar { border: 1px solid gray; background: white; color: black; }"
    "QProgressBar::chunk { background: red; }";

}  // namespace

SimulationViewOptions& ViewOptions()
{
    static SimulationViewOptions options;
    return options;
}

int GaugePercent(int part, int whole)
{
    if (whole <= 0) {
        return 0;
    }
    return nearest(part * 100.0 / whole);
}

SimulationWindow::SimulationWindow(GraphKind kind, int clientWidth, int clientHeight, QWidget* parent)
    : QDialog(parent), kind_(kind)
{
    SetUpSettingsDialog(this, clientWidth, clientHeight);
    // At the screen's pixel ratio, so that a zoomed window draws its graph and
    // labels at the zoomed size instead of enlarging a small picture.
    const qreal ratio = devicePixelRatioF();
    image_ = QImage(QSize(clientWidth, clientHeight) * ratio, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(tarvek_colors::SettingsBackground);
    slowMotion_ = new QTimer(this);
    slowMotion_->setObjectName(QStringLiteral("SlowMotionTimer"));
    slowMotion_->setTimerType(Qt::PreciseTimer);
    slowMotion_->setInterval(SlowMotionInterval);
    connect(slowMotion_, &QTimer::timeout, this, &SimulationWindow::SlowMotionStep);
}

QProgressBar* SimulationWindow::CreateGauge(const char* name, QWidget* panel, const QRect& place,
                                            Qt::Orientation orientation)
{
    // Only a gauge with its percentage shown needs the text drawn over its bar.
    auto* gauge = orientation == Qt::Horizontal ? new PercentGauge(panel) : new QProgressBar(panel);
    gauge->setObjectName(QString::fromLatin1(name));
    gauge->setOrientation(orientation);
    gauge->setRange(0, 100);
    gauge->setValue(0);
    gauge->setStyleSheet(QString::fromLatin1(GaugeStyle));
    gauge->setAlignment(Qt::AlignCenter);
    gauge->setFormat(QStringLiteral("%p%"));
    gauge->setTextVisible(orientation == Qt::Horizontal);
    gauge->setGeometry(place);
    return gauge;
}

void SimulationWindow::FinishControls(QLabel* variableCaption)
{
    variableCaption_ = variableCaption;
    nameLeft_ = Label2->x();
    // Enter presses OK whichever run button has the focus.
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        button->setAutoDefault(false);
    }
    OKButton->setDefault(true);
    setTabOrder(OKButton, SaveButton);
    connect(SaveButton, &QPushButton::clicked, this, &SimulationWindow::SaveButtonClick);
    connect(NextButton, &QPushButton::clicked, this, &SimulationWindow::NextButtonClick);
    connect(FastButton, &QPushButton::clicked, this, &SimulationWindow::FastButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &SimulationWindow::OKButtonClick);

    SaveBMP = new QFileDialog(this);
    SaveBMP->setObjectName(QStringLiteral("SaveBMP"));
    SetUpPictureSaveDialog(SaveBMP);
}

void SimulationWindow::ApplyRunTexts()
{
    const auto& texts = InterfaceTexts.simulationWindowTexts;
    SetAutoSizedText(variableCaption_, QString::fromStdString(texts[1]));
    SaveButton->setText(QString::fromStdString(texts[2]));
    NextButton->setText(QString::fromStdString(texts[4]));
    FastButton->setText(QString::fromStdString(texts[5]));
}

void SimulationWindow::SetGauge(QProgressBar* gauge, int percent)
{
    gauge->setValue(percent);
    // Shown at once: within a slice of Automatic no paint event is handled.
    gauge->repaint();
}

void SimulationWindow::UpdateGauges()
{
    SetGauge(Gauge1, GaugePercent(engine_.samplesDrawn(), engine_.simulationCount()));
    // The count lives in the tooltip, so that the window keeps its look.
    Gauge1->setToolTip(
        QString::fromStdString(SamplesDrawnText(engine_.samplesDrawn(), engine_.simulationCount())));
}

void SimulationWindow::FormActivate()
{
    const int target = SimulationState.targetVariable;
    const bool named = target >= 1 && target <= MaxVariables;
    SetAutoSizedText(Label2,
                     named ? QString::fromStdString(SimulationState.variableNames[target]) : QString());
    // The name keeps its place unless the caption's text would run into it.
    Label2->move(std::max(nameLeft_, RightOfCaption(variableCaption_)), Label2->y());
}

void SimulationWindow::StartFreshRun()
{
    slowMotion_->stop();
    engine_.StartRun();
    graph_ = ViewOptions().fitScale ? StartFittedRunGraph(engine_, kind_)
                                    : StartRunGraph(kind_, engine_.scale(), engine_.populationMean());
    KeepCountsInRecord();
    image_.fill(tarvek_colors::SettingsBackground);
    {
        QPainter painter(&image_);
        InitGraph(painter, graph_.frame);
    }
    UpdateGauges();
    SimulationState.simulationRestart = false;
    update();
}

void SimulationWindow::NextSample()
{
    SampleResult sample;
    const DrawStatus status = engine_.NextSample(sample, [this] { return slices_.Continue(); });
    if (status == DrawStatus::BoundReached) {
        ShowErrorMessage(QString::fromLatin1(RejectionBoundMessage));
        return;
    }
    if (status != DrawStatus::Accepted) {
        return;
    }
    emit sampleAccepted();
    if (AddSample(graph_, sample)) {
        KeepCountsInRecord();
        QRegion changed;
        {
            QPainter painter(&image_);
            changed = DrawAddedSample(painter, graph_, sample, ViewOptions().plot);
        }
        // Painted now rather than scheduled: within a slice of Automatic no event is handled.
        repaint(changed);
    }
    UpdateGauges();
}

void SimulationWindow::KeepCountsInRecord() const
{
    if (kind_ == GraphKind::Histogram) {
        SimulationState.histogramCounts = graph_.counts;
    }
}

// One sample in slices too, as its draw alone can be long: OK and Escape stop it.
void SimulationWindow::NextButtonClick()
{
    slices_.Run([this] { NextSample(); });
}

void SimulationWindow::FastButtonClick()
{
    if (automaticDrawing()) {
        return;
    }
    const bool wasRunning = PauseSlowMotion();
    if (ViewOptions().slowMotion && !wasRunning && !engine_.finished()) {
        slowMotion_->start();
        return;
    }
    slices_.Run([this] {
        while (!engine_.finished() && slices_.Continue()) {
            NextSample();
        }
    });
}

void SimulationWindow::SlowMotionStep()
{
    // A message about the bound on rejected draws opens inside NextSample; the
    // timer must not draw again meanwhile.
    if (engine_.finished()) {
        slowMotion_->stop();
        return;
    }
    slices_.Run([this] { NextSample(); });
    if (engine_.finished()) {
        slowMotion_->stop();
    }
}

bool SimulationWindow::slowMotionRunning() const
{
    return slowMotion_->isActive();
}

bool SimulationWindow::PauseSlowMotion()
{
    const bool running = slowMotion_->isActive();
    slowMotion_->stop();
    return running;
}

void SimulationWindow::ResumeSlowMotion()
{
    if (!engine_.finished()) {
        slowMotion_->start();
    }
}

void SimulationWindow::SaveButtonClick()
{
    if (automaticDrawing()) {
        return;
    }
    // Copied before the dialog opens, so the picture never shows the dialog.
    const QImage picture = PlotPicture();
    const RunGraph graph = graph_;
    SavePictureThroughDialog(SaveBMP, picture, [&graph](QPainter& painter) {
        PaintPlotFrame(painter, graph, ViewOptions().plot);
    });
}

QImage SimulationWindow::PlotPicture() const
{
    const qreal ratio = image_.devicePixelRatio();
    const QRect frame = PlotFrameRect();
    QImage picture = image_.copy(QRect(frame.topLeft() * ratio, frame.size() * ratio));
    // Saved with the pixels it holds, whatever the screen's ratio.
    picture.setDevicePixelRatio(1.0);
    return picture;
}

void SimulationWindow::StopAutomatic()
{
    slowMotion_->stop();
    slices_.Stop();
}

void SimulationWindow::OKButtonClick()
{
    StopAutomatic();
    accept();
}

void SimulationWindow::showEvent(QShowEvent* event)
{
    CenterOnScreen(this);
    FormActivate();
    if (SimulationState.simulationRestart) {
        StartFreshRun();
    }
    OKButton->setFocus();
    QDialog::showEvent(event);
}

void SimulationWindow::hideEvent(QHideEvent* event)
{
    StopAutomatic();
    QDialog::hideEvent(event);
}

void SimulationWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_N) {
        NextButtonClick();
    } else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_A) {
        FastButtonClick();
    } else {
        QDialog::keyPressEvent(event);
    }
}

void SimulationWindow::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}
