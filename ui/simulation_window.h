#pragma once
// What the distribution window and the interval window share: the persistent
// image of the client area that the paint event shows, the plot frame of the run,
// the progress gauge, the run buttons and the export of the graph as a bitmap.
// A window asks its run engine for each sample and only draws it.

#include <QDialog>
#include <QImage>

#include "engine/plot_frame.h"
#include "engine/run_engine.h"
#include "engine/plot_options.h"
#include "ui/run_slices.h"

class QFileDialog;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

/// \brief The Simulation menu's switches for teaching; they last for the session only.
struct SimulationViewOptions {
    /// Automatic draws one sample every SlowMotionInterval milliseconds.
    bool slowMotion = false;
    /// A run's scale and compression from the estimator's theory (FitScaleToEstimator).
    bool fitScale = false;
    PlotOptions plot;
};

/// \brief The switches both simulation windows follow.
SimulationViewOptions& ViewOptions();

/// Milliseconds between two samples of Automatic in slow motion.
inline constexpr int SlowMotionInterval = 5;

class SimulationWindow : public QDialog {
    Q_OBJECT

public:
    /// \brief Draws one sample, unless the run is over or a draw is going on;
    /// OK and Escape stop a long draw.
    void NextButtonClick();
    /// \brief Draws the remaining samples, showing each one, in slices between which
    /// the window handles input (OK and Escape stop the run); in slow motion starts
    /// drawing them one by one on a timer instead, and pressed again while they are
    /// being drawn, draws the rest at once.
    void FastButtonClick();
    /// \brief Writes the plot frame, as shown, to a picture file the user chooses,
    /// in the format its extension names (BMP without one).
    void SaveButtonClick();
    /// \brief Stops Automatic and closes the window.
    void OKButtonClick();
    /// \brief True while Automatic is drawing in slow motion.
    bool slowMotionRunning() const;
    /// \brief True while Automatic, or Next, is drawing in slices: the run
    /// buttons do nothing.
    bool automaticDrawing() const { return slices_.running(); }
    /// \brief Shows the target variable's name in Label2, moved right of its
    /// caption where the caption's text is wider than the room before it.
    void FormActivate();
    /// \brief Starts a fresh run with the settings now in SimulationState; done
    /// by itself when the window is shown with simulationRestart set.
    void StartFreshRun();

    /// \brief The client area as painted, at the window's device pixel ratio:
    /// under a zoom the graph is drawn at the zoomed size.
    const QImage& clientImage() const { return image_; }
    /// \brief The plot frame as shown, as saved to a bitmap: 481 x 257 at zoom 1,
    /// at the zoomed size otherwise.
    QImage PlotPicture() const;
    const PlotFrame& plotFrame() const { return graph_.frame; }
    const RunGraph& runGraph() const { return graph_; }
    const RunEngine& runEngine() const { return engine_; }
    int samplesDrawn() const { return engine_.samplesDrawn(); }

    // Controls of both windows; Begin writes their captions.
    QFrame* Panel1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* FastButton = nullptr;
    QPushButton* OKButton = nullptr;
    QFileDialog* SaveBMP = nullptr;

signals:
    /// \brief A sample has been accepted and is in the record.
    void sampleAccepted();

protected:
    SimulationWindow(GraphKind kind, int clientWidth, int clientHeight, QWidget* parent);

    /// \brief Sets the gauges from the run's progress.
    virtual void UpdateGauges();

    QProgressBar* CreateGauge(const char* name, QWidget* panel, const QRect& place,
                              Qt::Orientation orientation);
    /// \brief The save dialog, the button handlers, OK as the only default button
    /// and the tab order with OK first; `variableCaption` is the label left of Label2.
    void FinishControls(QLabel* variableCaption);
    /// \brief The captions both windows take from the text table.
    void ApplyRunTexts();
    static void SetGauge(QProgressBar* gauge, int percent);

    /// \brief Stops a slow-motion run; returns whether one was running.
    bool PauseSlowMotion();
    void ResumeSlowMotion();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    /// \brief N draws the next sample and A starts Automatic, whatever has the focus.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void NextSample();
    /// \brief The distribution window's counts are the record's histogramCounts.
    void KeepCountsInRecord() const;
    void SlowMotionStep();
    /// \brief Stops Automatic, in slow motion or in slices.
    void StopAutomatic();

    QLabel* variableCaption_ = nullptr;
    int nameLeft_ = 0;
    const GraphKind kind_;
    RunEngine engine_;
    RunGraph graph_;
    QImage image_;
    QTimer* slowMotion_ = nullptr;
    RunSlices slices_;
};

/// \brief nearest(part * 100 / whole), 0 for an empty whole.
int GaugePercent(int part, int whole);
