#include "engine/fitted_scale.h"

#include <cmath>

#include "core/estimators.h"
#include "engine/designs/sampling_design.h"
#include "engine/plot_frame.h"

double ExpectedTallestClass(int simulationCount)
{
    // A class is 2 * FittedHalfWidth / HistogramClasses standard errors wide, and
    // the class of the mean is centred on it.
    const double halfClass = FittedHalfWidth / HistogramClasses;
    return simulationCount * std::erf(halfClass / std::sqrt(2.0));
}

FittedScale FitScaleToEstimator(const TheoreticalProperties& theory, const ValueRange& population,
                                int simulationCount, std::int32_t compression)
{
    const bool defined = theory.meanAvailable && theory.stdErrorAvailable && std::isfinite(theory.mean) &&
                         std::isfinite(theory.stdError) && theory.stdError > 0.0;
    if (!defined) {
        return {ScaleBetween(population.minimum, population.maximum), compression};
    }
    const double halfWidth = FittedHalfWidth * theory.stdError;
    FittedScale fitted{ScaleBetween(theory.mean - halfWidth, theory.mean + halfWidth), 4};
    const PlotFrame frame = PrepareDistributionFrame(fitted.scale, theory.mean);
    const double tallest = ExpectedTallestClass(simulationCount);
    for (std::int32_t candidate = 1; candidate <= 4; ++candidate) {
        if (tallest * BarUnit(frame.stepHeight, candidate) <= BarCapSteps * frame.stepHeight) {
            fitted.verticalCompression = candidate;
            break;
        }
    }
    return fitted;
}

RunGraph StartFittedRunGraph(RunEngine& engine, GraphKind kind)
{
    // After StartRun: the theory of the stratified design reads the strata it prepared.
    const TSimulationState& s = SimulationState;
    const TheoreticalProperties theory =
        TheoryOfChoice(RecordDesignChoice(), RecordEstimatorInputs(), s.sampleSize)
            .value_or(TheoreticalProperties{});
    const FittedScale fitted = FitScaleToEstimator(theory, {s.targetMinimum, s.targetMaximum},
                                                   engine.simulationCount(), s.verticalCompression);
    engine.UseScale(fitted.scale);
    RunGraph graph = StartRunGraph(kind, fitted.scale, engine.populationMean());
    if (kind == GraphKind::Histogram) {
        graph.barUnit = BarUnit(graph.frame.stepHeight, fitted.verticalCompression);
    }
    return graph;
}
