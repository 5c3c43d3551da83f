#include "engine/run_engine.h"

#include <algorithm>
#include <cmath>

#include "core/estimators.h"
#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/rounding.h"
#include "core/simulation_state.h"
#include "core/stratified_sampling.h"
#include "core/systematic_sampling.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"
#include "engine/interval_rule.h"

namespace {

bool TargetVariableUsable()
{
    const int target = SimulationState.targetVariable;
    return target >= 1 && target <= MaxVariables;
}

}  // namespace

int HistogramClass(double estimate, const RunScale& scale)
{
    // nearest() clamps NaN and huge offsets, so only the comparisons below decide
    // the class; adding 1 to a clamped offset could overflow.
    const std::int32_t offset = nearest((estimate - scale.lower) * 50.0 / scale.range);
    if (offset >= HistogramClasses) {
        return HistogramClasses;
    }
    if (offset < 0) {
        return 1;
    }
    return offset + 1;
}

double PopulationMean()
{
    const int unitCount = std::min<int>(SimulationState.unitCount, MaxUnits);
    if (unitCount < 1 || !TargetVariableUsable()) {
        return 0.0;
    }
    double sum = 0.0;
    for (int unit = 1; unit <= unitCount; ++unit) {
        sum += UnitValue(unit, SimulationState.targetVariable);
    }
    return sum / unitCount;
}

void ComputeSimulatedStatistics(int samplesDrawn)
{
    TSimulationState& s = SimulationState;
    const int count = std::clamp(samplesDrawn, 0, static_cast<int>(s.estimates.size()) - 1);
    s.simulatedMeanAvailable = count >= 1;
    s.simulatedStdDevAvailable = count >= 2;
    s.simulatedMean = 0.0;
    s.simulatedStdDev = 0.0;
    if (!s.simulatedMeanAvailable) {
        return;
    }
    double sum = 0.0;
    for (int sample = 1; sample <= count; ++sample) {
        sum += s.estimates[sample];
    }
    s.simulatedMean = sum / count;
    if (!s.simulatedStdDevAvailable) {
        return;
    }
    double squares = 0.0;
    for (int sample = 1; sample <= count; ++sample) {
        const double deviation = s.estimates[sample] - s.simulatedMean;
        squares += deviation * deviation;
    }
    s.simulatedStdDev = std::sqrt(squares / (count - 1));
}

RunScale ScaleBetween(double lower, double upper)
{
    RunScale scale{lower, upper, upper - lower};
    if (scale.range == 0.0) {
        scale.range = 1.0;
    }
    return scale;
}

void RunEngine::StartRun()
{
    scale_ = ScaleBetween(SimulationState.scaleLower, SimulationState.scaleUpper);
    coverage_ = CoverageTargetOfPopulation();
    if (ReadsAuxiliaryVariable(SimulationState.estimatorCode, SimulationState.designCode)) {
        PrepareAuxiliaryQuantities();
    }
    PrepareDesign();
    simulationCount_ = std::clamp<int>(SimulationState.simulationCount, 0, MaxRunSamples);
    if (SimulationState.estimates.size() <= static_cast<std::size_t>(simulationCount_)) {
        SimulationState.estimates.resize(simulationCount_ + 1);
    }
    samplesDrawn_ = 0;
    correctIntervals_ = 0;
    stopped_ = false;
}

void RunEngine::PrepareDesign()
{
    prepared_ = PrepareDraws(RecordDesignChoice());
    serving_ = ServingEstimator(SimulationState.estimatorCode, SimulationState.designCode);
}

bool RunEngine::EstimateAcceptableSample() const
{
    if (!prepared_->Acceptable()) {
        return false;
    }
    EstimateDrawnSample(*prepared_, serving_);
    return SimulationState.estimateValid;
}

DrawStatus RunEngine::NextSample(SampleResult& result, const std::function<bool()>& keepGoing)
{
    result = SampleResult{};
    if (finished()) {
        return DrawStatus::RunComplete;
    }
    SimulationState.estimateValid = false;
    int rejected = 0;
    for (;;) {
        if (!prepared_->DrawUnlessStopped(keepGoing)) {
            return DrawStatus::Stopped;
        }
        if (EstimateAcceptableSample()) {
            break;
        }
        ++rejected;
        if (rejected >= RejectionBound) {
            stopped_ = true;
            return DrawStatus::BoundReached;
        }
    }
    ++samplesDrawn_;
    SimulationState.estimates[samplesDrawn_] = SimulationState.estimate;
    result.sampleNumber = samplesDrawn_;
    result.estimate = SimulationState.estimate;
    result.histogramClass = HistogramClass(result.estimate, scale_);
    result.rejectedDraws = rejected;
    if (SimulationState.confidenceIntervalMode) {
        AddInterval(result);
    }
    return DrawStatus::Accepted;
}

void RunEngine::AddInterval(SampleResult& result)
{
    const double standardError = SimulationState.standardError;
    result.standardError = standardError;
    result.standardErrorAvailable = std::isfinite(standardError) && standardError >= 0.0;
    if (!result.standardErrorAvailable) {
        // No interval can be formed: an empty one at the estimate, never correct.
        result.intervalLower = result.estimate;
        result.intervalUpper = result.estimate;
        return;
    }
    result.intervalLower = result.estimate - IntervalHalfWidthFactor * standardError;
    result.intervalUpper = result.estimate + IntervalHalfWidthFactor * standardError;
    result.covered = ClassifyEstimate(result.estimate, standardError, coverage_) == IntervalOutcome::Covered;
    if (result.covered) {
        ++correctIntervals_;
    }
}

int RunEngine::correctIntervalPercentage() const
{
    if (samplesDrawn_ == 0) {
        return 0;
    }
    return nearest(correctIntervals_ * 100.0 / samplesDrawn_);
}
