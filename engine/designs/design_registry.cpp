#include "engine/designs/sampling_design.h"

#include <algorithm>
#include <array>

#include "core/cluster_sampling.h"
#include "core/ordering.h"
#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

const SamplingDesign& EqualProbabilitiesDesign();
const SamplingDesign& ProportionalToSizeDesign();
const SamplingDesign& StratifiedDesign();
const SamplingDesign& SystematicDesign();
const SamplingDesign& ClusterSamplingDesign();
const SamplingDesign& TwoStageSamplingDesign();

namespace {

using DesignList = std::array<const SamplingDesign*, 6>;

const DesignList& List()
{
    static const DesignList designs = {
        &EqualProbabilitiesDesign(), &ProportionalToSizeDesign(), &StratifiedDesign(),
        &SystematicDesign(),         &ClusterSamplingDesign(),    &TwoStageSamplingDesign(),
    };
    return designs;
}

}  // namespace

bool PreparedDesign::DrawUnlessStopped(const std::function<bool()>& /*keepGoing*/) const
{
    Draw();
    return true;
}

bool PreparedDesign::Acceptable() const
{
    return SimulationState.respondentCount > 1;
}

std::optional<SampleEstimate> PreparedDesign::Estimate(std::int32_t, int, bool) const
{
    return std::nullopt;
}

std::optional<TheoreticalProperties> SamplingDesign::Theory(const DesignChoice&, std::int32_t, int) const
{
    return std::nullopt;
}

std::optional<TheoreticalProperties> SamplingDesign::FormulaTheory(const Estimator& serving,
                                                                   const EstimatorInputs& inputs, int n) const
{
    return serving.Theory(inputs, n);
}

std::string SamplingDesign::EstimatorRefusal(std::int32_t) const
{
    return "";
}

std::string SamplingDesign::Refusal(const DesignChoice&, int) const
{
    return "";
}

std::span<const SamplingDesign* const> Designs()
{
    return List();
}

const SamplingDesign* FindDesign(std::int32_t code)
{
    const auto found = std::find_if(List().begin(), List().end(),
                                    [code](const SamplingDesign* design) { return design->Code() == code; });
    return found == List().end() ? nullptr : *found;
}

const SamplingDesign& DesignOf(std::int32_t code)
{
    const SamplingDesign* design = FindDesign(code);
    return design != nullptr ? *design : EqualProbabilitiesDesign();
}

const SamplingDesign* DesignNamed(std::string_view name)
{
    const auto found = std::find_if(List().begin(), List().end(),
                                    [name](const SamplingDesign* design) { return design->Name() == name; });
    return found == List().end() ? nullptr : *found;
}

DesignChoice RecordDesignChoice()
{
    const SamplingDesign* design = FindDesign(SimulationState.designCode);
    return design != nullptr ? design->RecordChoice() : DesignChoice{SimulationState.designCode, 0, 0};
}

void StoreDesignChoice(const DesignChoice& choice)
{
    TSimulationState& s = SimulationState;
    const SamplingDesign& design = DesignOf(choice.design);
    s.designCode = design.Code();
    if (design.Code() == DesignStratified) {
        s.allocationCode = choice.allocation;
        s.stratumClasses = choice.stratumClasses;
    }
    if (design.Code() == DesignSystematic) {
        s.systematicOrder = choice.variable;
    }
    if (design.OffersUnitsAsAuxiliary()) {
        s.clusterVariable = choice.variable;
        s.clusterCount = choice.clusters;
        s.unitsPerCluster = choice.unitsPerCluster != 0 ? choice.unitsPerCluster : s.unitsPerCluster;
    }
}

std::unique_ptr<PreparedDesign> PrepareDraws(const DesignChoice& choice)
{
    SimulationState.drawnPositions = 0;
    return DesignOf(choice.design).Prepare(choice);
}

void EstimateDrawnSample(const PreparedDesign& design, const Estimator* serving)
{
    TSimulationState& s = SimulationState;
    const bool intervals = s.confidenceIntervalMode;
    const std::optional<SampleEstimate> own =
        design.Estimate(s.estimatorCode, s.auxiliaryVariable, intervals);
    if (!own) {
        EstimateWith(serving);
        return;
    }
    if (!own->valid) {
        return;
    }
    if (intervals) {
        s.standardError = own->varianceDefined ? own->standardError : -1.0;
    }
    s.estimate = own->estimate;
    s.estimateValid = true;
}

SampleEstimate EstimateOnDrawnSample(const PreparedDesign& design, const EstimatorInputs& inputs,
                                     bool withStandardError)
{
    const std::optional<SampleEstimate> own =
        design.Estimate(inputs.estimator, inputs.auxiliaryVariable, withStandardError);
    return own ? *own : EstimateOnSample(RecordSample(), inputs, withStandardError);
}

std::optional<TheoreticalProperties> TheoryOfChoice(const DesignChoice& choice, const EstimatorInputs& inputs,
                                                    int n)
{
    std::optional<TheoreticalProperties> own =
        DesignOf(choice.design).Theory(choice, inputs.estimator, inputs.auxiliaryVariable);
    return own ? own : TheoryOf(inputs, n);
}

std::optional<double> TheoreticalDesignEffect(const DesignChoice& choice, std::int32_t estimator,
                                              int auxiliaryVariable)
{
    const TSimulationState& s = SimulationState;
    const SamplingDesign& design = DesignOf(choice.design);
    const EstimatorInputs inputs = PrepareEstimatorInputs(estimator, design.EstimatorParameters(choice),
                                                          s.targetVariable, auxiliaryVariable);
    const std::optional<TheoreticalProperties> theory = TheoryOfChoice(choice, inputs, s.sampleSize);
    std::optional<double> variance;
    if (theory && theory->stdErrorAvailable) {
        variance = theory->stdError * theory->stdError;
    }
    const int units = PopulationSize();
    const double mean = VariableMean(s.targetVariable);
    double squares = 0.0;
    for (int unit = 1; unit <= units; ++unit) {
        const double deviation = UnitValue(unit, VariableColumn(s.targetVariable)) - mean;
        squares += deviation * deviation;
    }
    const double targetVariance = units > 1 ? squares / (units - 1) : 0.0;
    return DesignEffect(variance, design.ExpectedUnits(choice, s.sampleSize), units, targetVariance);
}

void ComputeDesignTheory()
{
    ComputeTheoreticalProperties();
    TSimulationState& s = SimulationState;
    const std::optional<TheoreticalProperties> own =
        DesignOf(s.designCode).Theory(RecordDesignChoice(), s.estimatorCode, s.auxiliaryVariable);
    if (own) {
        s.theoreticalMean = own->mean;
        s.theoreticalMeanAvailable = own->meanAvailable;
        s.theoreticalStdError = own->stdError;
        s.theoreticalStdErrorAvailable = own->stdErrorAvailable;
    }
}

std::string DesignCaption(const DesignChoice& choice)
{
    const SamplingDesign* design = FindDesign(choice.design);
    return design != nullptr ? design->Caption(choice) : "-";
}
