#include <algorithm>
#include <array>

#include "core/ordering.h"
#include "core/simulation_state.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"

const Estimator& DirectEstimator();
const Estimator& RatioEstimator();
const Estimator& RegressionEstimator();
const Estimator& PostStratifiedEstimator();

namespace {

const auto& List()
{
    static const std::array<const Estimator*, 4> estimators = {
        &DirectEstimator(), &RatioEstimator(), &RegressionEstimator(), &PostStratifiedEstimator()};
    return estimators;
}

}  // namespace

void Estimator::PrepareInputs(int auxiliaryVariable, EstimatorInputs& inputs) const
{
    inputs.auxiliaryMean = VariableMean(auxiliaryVariable);
}

std::int32_t OwnDirectEstimator::Code() const
{
    return DirectEstimator().Code();
}

std::string_view OwnDirectEstimator::Name() const
{
    return DirectEstimator().Name();
}

const std::string& OwnDirectEstimator::Label() const
{
    return DirectEstimator().Label();
}

std::span<const Estimator* const> Estimators()
{
    return List();
}

const Estimator* FindEstimator(std::int32_t code)
{
    const auto found = std::find_if(List().begin(), List().end(),
                                    [code](const Estimator* estimator) { return estimator->Code() == code; });
    return found == List().end() ? nullptr : *found;
}

const Estimator* EstimatorNamed(std::string_view name)
{
    const auto found = std::find_if(List().begin(), List().end(),
                                    [name](const Estimator* estimator) { return estimator->Name() == name; });
    return found == List().end() ? nullptr : *found;
}

std::string_view EstimatorName(std::int32_t code)
{
    const Estimator* named = FindEstimator(code);
    return (named != nullptr ? *named : DirectEstimator()).Name();
}

const Estimator* ServingEstimator(std::int32_t estimator, std::int32_t design)
{
    const Estimator* asked = FindEstimator(estimator);
    const SamplingDesign* sampling = FindDesign(design);
    return asked != nullptr && sampling != nullptr ? sampling->Serving(*asked) : nullptr;
}

std::string EstimatorCaption(std::int32_t estimator, int auxiliaryVariable, std::int32_t design)
{
    const Estimator* named = FindEstimator(estimator);
    if (named == nullptr) {
        return "-";
    }
    if (!named->ReadsAuxiliary()) {
        return named->Label();
    }
    const bool units = auxiliaryVariable == 0 && DesignOf(design).OffersUnitsAsAuxiliary();
    return named->Label() + " (" + (units ? std::string("units") : VariableNameOrDash(auxiliaryVariable)) +
           ")";
}

bool ReadsAuxiliaryVariable(std::int32_t estimator, std::int32_t design)
{
    const Estimator* asked = FindEstimator(estimator);
    return (asked != nullptr && asked->ReadsAuxiliary()) || DesignOf(design).VariableIsAuxiliary();
}

EstimatorInputs PrepareEstimatorInputs(std::int32_t estimator, const DesignParameters& design,
                                       int targetVariable, int auxiliaryVariable)
{
    EstimatorInputs inputs;
    inputs.estimator = estimator;
    inputs.design = design.design;
    inputs.allocation = design.allocation;
    inputs.systematicOrder = design.systematicOrder;
    DesignOf(design.design).PrepareInputs(design, auxiliaryVariable, inputs);
    inputs.targetVariable = targetVariable;
    inputs.auxiliaryVariable = auxiliaryVariable;
    const Estimator* asked = FindEstimator(estimator);
    (asked != nullptr ? *asked : DirectEstimator()).PrepareInputs(auxiliaryVariable, inputs);
    return inputs;
}

SampleEstimate EstimateOnSample(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                bool withStandardError)
{
    const Estimator* serving = ServingEstimator(inputs.estimator, inputs.design);
    if (serving == nullptr) {
        return {};
    }
    SampleEstimate result = serving->Estimate(sample, inputs, withStandardError);
    if (!result.varianceDefined) {
        result.standardError = -1.0;
    }
    return result;
}

std::optional<TheoreticalProperties> TheoryOf(const EstimatorInputs& inputs, int sampleSize)
{
    const Estimator* serving = ServingEstimator(inputs.estimator, inputs.design);
    if (serving == nullptr) {
        return std::nullopt;
    }
    return FindDesign(inputs.design)->FormulaTheory(*serving, inputs, sampleSize);
}

void EstimateWith(const Estimator* serving)
{
    if (serving != nullptr) {
        StoreEstimate(serving->Estimate(RecordSample(), RecordEstimatorInputs(),
                                        SimulationState.confidenceIntervalMode),
                      serving->ReadsPostStrata());
    }
}

void ComputeEstimate()
{
    EstimateWith(ServingEstimator(SimulationState.estimatorCode, SimulationState.designCode));
}

void ComputeTheoreticalProperties()
{
    if (const auto properties = TheoryOf(RecordEstimatorInputs(), SimulationState.sampleSize)) {
        StoreTheory(*properties);
    }
}
