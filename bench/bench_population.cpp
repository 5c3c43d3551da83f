#include "bench/bench_population.h"

#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "engine/estimators/estimator.h"
#include "engine/designs/sampling_design.h"
#include "texts/option_names.h"

namespace {

// Variables of the population file: 1 and 2 are strongly related positive
// scores, 3 takes the values 1..3 (usable as post-strata), 4 is a percentage
// that drives the generated nonresponse.
constexpr int TargetVariable = 1;
constexpr int ScoreAuxiliary = 2;
constexpr int StratumVariable = 3;
constexpr int NonresponseVariable = 4;
constexpr int NonresponseAtMinimum = 10;
constexpr int NonresponseAtMaximum = 30;

int AuxiliaryFor(EstimatorCode estimator)
{
    return estimator == EstimatorPostStratified ? StratumVariable : ScoreAuxiliary;
}

std::string& ConfiguredPath()
{
    static std::string path = TARVEK_BENCH_POPULATION;
    return path;
}

}  // namespace

std::string BenchPopulationPath()
{
    return ConfiguredPath();
}

void SetBenchPopulationPath(const std::string& path)
{
    ConfiguredPath() = path;
}

std::string ReadBenchPopulation()
{
    SimulationState.populationName = BenchPopulationPath();
    try {
        ReadPopulation();
    } catch (const PopulationFileError& error) {
        return BenchPopulationPath() + ": " + error.what();
    }
    RandomGenerator.seed = 0;
    return "";
}

std::string ApplyBenchSettings(const BenchSettings& settings)
{
    TSimulationState& s = SimulationState;
    SetTargetVariable(TargetVariable);
    s.sampleSize = settings.sampleSize;
    s.designCode = settings.design;
    s.estimatorCode = settings.estimator;
    s.auxiliaryVariable = AuxiliaryFor(settings.estimator);
    s.confidenceIntervalMode = settings.intervals;
    s.simulationCount = MaxSamples;
    s.nonresponseOn = false;
    if (settings.design == DesignProportionalToSize && CountNonPositiveValues(s.auxiliaryVariable) > 0) {
        return AuxiliaryNotPositiveMessage;
    }
    if (std::string refusal = CheckPostStrata(); !refusal.empty()) {
        return refusal;
    }
    if (settings.nonresponse) {
        return SetNonresponseLine(NonresponseVariable, NonresponseAtMinimum, NonresponseAtMaximum);
    }
    return "";
}

std::string BenchSettingsName(const BenchSettings& settings)
{
    std::string name = std::string(DesignOf(settings.design).Name()) + "/" +
                       std::string(EstimatorName(settings.estimator)) +
                       "/n:" + std::to_string(settings.sampleSize);
    if (settings.intervals) {
        name += "/intervals";
    }
    if (settings.nonresponse) {
        name += "/nonresponse";
    }
    return name;
}
