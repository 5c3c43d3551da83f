#pragma once
// The run logic that both simulation windows and the batch simulator share: a
// fresh run, the next accepted sample, its histogram class and, in
// confidence-interval mode, its interval and coverage. No Qt, no pixels.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/random_sampling.h"
#include "engine/designs/sampling_design.h"
#include "engine/interval_rule.h"

/// The most samples a run may hold: the desktop program offers up to
/// MaxSamples, the batch simulator up to this.
inline constexpr int MaxRunSamples = 1000000;

inline constexpr int RejectionBound = 10000;
inline constexpr const char* RejectionBoundMessage = "No usable sample was found in 10000 draws!";

/// \brief Horizontal scale of a run, copied from the settings when it starts.
struct RunScale {
    double lower = 0.0;
    double upper = 0.0;
    double range = 1.0;  ///< upper - lower, or 1.0 when that is exactly 0
};

/// \brief One accepted sample.
struct SampleResult {
    int sampleNumber = 0;  ///< 1..simulationCount; the estimate is in estimates[sampleNumber]
    double estimate = 0.0;
    int histogramClass = 1;  ///< 1..50 under the run's scale
    int rejectedDraws = 0;   ///< draws rejected before this sample was accepted
    // Confidence-interval mode only:
    bool standardErrorAvailable = false;  ///< false when the estimator gave -1
    double standardError = -1.0;
    double intervalLower = 0.0;  ///< estimate - 1.96 * standardError; the estimate when not available
    double intervalUpper = 0.0;  ///< estimate + 1.96 * standardError; the estimate when not available
    bool covered = false;        ///< as ClassifyEstimate judges it against the population mean
};

/// \brief The scale from `lower` to `upper` (range 1.0 when they are equal).
RunScale ScaleBetween(double lower, double upper);

enum class DrawStatus {
    Accepted,      ///< a sample was drawn and stored
    RunComplete,   ///< the run was already over (complete or stopped); nothing drawn
    BoundReached,  ///< RejectionBound consecutive rejections; the run is over
    Stopped,       ///< the caller's keepGoing ended a draw; nothing stored, the run goes on
};

/// \brief Histogram class 1..50 of `estimate` under `scale` (out-of-scale and
/// non-finite estimates go to class 1 or 50 without undefined behaviour).
int HistogramClass(double estimate, const RunScale& scale);

/// \brief Population mean of the target variable (divisor N, unit order).
double PopulationMean();

/// \brief simulatedMean and simulatedStdDev of SimulationState over
/// estimates[1..samplesDrawn], with their availability flags (mean needs one
/// sample, standard deviation two).
void ComputeSimulatedStatistics(int samplesDrawn);

class RunEngine {
public:
    /// \brief Starts a fresh run with the settings now in SimulationState: copies
    /// the scale, computes the population mean, prepares the auxiliary quantities
    /// when the estimator or design needs them, clears the counters.
    void StartRun();

    /// \brief Draws the next accepted sample (redrawing while fewer than two
    /// units respond or no estimate is produced) and stores its estimate.
    /// `keepGoing`, when given, is asked between slices of a long draw (see
    /// PreparedDesign::DrawUnlessStopped); a false answer ends it with Stopped.
    DrawStatus NextSample(SampleResult& result, const std::function<bool()>& keepGoing = {});

    int samplesDrawn() const { return samplesDrawn_; }
    int simulationCount() const { return simulationCount_; }
    int correctIntervals() const { return correctIntervals_; }
    /// \brief nearest(correctIntervals * 100 / samplesDrawn), 0 before the first sample.
    int correctIntervalPercentage() const;
    /// \brief True once the run has drawn every sample or hit the rejection bound.
    bool finished() const { return stopped_ || samplesDrawn_ >= simulationCount_; }
    bool stoppedByBound() const { return stopped_; }
    const RunScale& scale() const { return scale_; }
    /// \brief Classes the samples still to come under `scale` instead of the settings' scale.
    void UseScale(const RunScale& scale) { scale_ = scale; }
    double populationMean() const { return coverage_.populationMean; }

private:
    void AddInterval(SampleResult& result);
    /// What the design's draws need: computed once, from the population and settings.
    void PrepareDesign();
    /// The estimate of the sample drawn; false when the sample has to be replaced.
    bool EstimateAcceptableSample() const;

    RunScale scale_;
    CoverageTarget coverage_;
    int simulationCount_ = 0;
    int samplesDrawn_ = 0;
    int correctIntervals_ = 0;
    bool stopped_ = false;
    std::unique_ptr<PreparedDesign> prepared_;
    /// The formula that estimates the run's samples, resolved once.
    const Estimator* serving_ = nullptr;
};
