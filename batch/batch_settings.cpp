#include "batch/batch_settings.h"

#include <initializer_list>

#include "core/settings.h"
#include "core/number_format.h"
#include "core/simulation_state.h"
#include "core/strata.h"
#include "core/systematic_sampling.h"
#include "engine/estimators/estimator.h"
#include "engine/designs/sampling_design.h"
#include "engine/run_engine.h"
#include "texts/interface_text_table.h"

namespace {

constexpr int MinSimulations = 10;
constexpr int MaxCompression = 4;
constexpr const char* NeedsAuxiliaryMessage =
    "The design pps and the ratio, regression and post-stratification estimators need --auxiliary!";
constexpr const char* StratifiedNeedsAuxiliaryMessage = "The design stratified needs --auxiliary!";
constexpr const char* StratifiedNeedsAllocationMessage = "The design stratified needs --allocation!";
constexpr const char* AllocationWithoutStratifiedMessage =
    "The option --allocation needs the design stratified!";
constexpr const char* OrderWithoutSystematicMessage = "The option --order needs the design systematic!";
constexpr const char* StrataClassesWithoutStratifiedMessage =
    "The option --strata-classes needs the design stratified!";
constexpr const char* ClusterNeedsVariableMessage = "The cluster designs need --cluster-variable!";
constexpr const char* ClusterNeedsCountMessage = "The cluster designs need --clusters!";
constexpr const char* TwoStageNeedsUnitsMessage = "The design two-stage needs --units-per-cluster!";
constexpr const char* ClusterOptionsWithoutClusterMessage =
    "The options --cluster-variable and --clusters need the design cluster or two-stage!";
constexpr const char* UnitsPerClusterWithoutTwoStageMessage =
    "The option --units-per-cluster needs the design two-stage!";

std::string RangeMessage(const std::string& what, int low, int high)
{
    return "The " + what + " must be from " + std::to_string(low) + " to " + std::to_string(high) + "!";
}

/// "" when `value` lies in low..high, else the refusal's message.
std::string CheckRange(int value, const std::string& what, int low, int high)
{
    return value >= low && value <= high ? "" : RangeMessage(what, low, high);
}

std::string CheckVariable(int variable, const std::string& what)
{
    return CheckRange(variable, what, 1, SimulationState.variableCount);
}

/// The number of a variable the command line gave, and the refusal of a name
/// that no variable or several have, or of a number out of range.
std::string NumberOfVariable(const VariableArgument& variable, const std::string& option,
                             const std::string& what, int& number)
{
    std::string refusal = ResolveVariable(variable, option, number);
    return refusal.empty() ? CheckVariable(number, what) : refusal;
}

std::string ApplyTarget(const BatchOptions& options)
{
    if (!options.target) {
        return "";
    }
    int target = 0;
    std::string refusal = NumberOfVariable(*options.target, "--target", "target variable", target);
    if (refusal.empty()) {
        SetTargetVariable(target);
    }
    return refusal;
}

std::string ApplySampleSize(const BatchOptions& options)
{
    if (!options.sampleSize) {
        return "";
    }
    if (SimulationState.unitCount < 2) {
        return InterfaceTexts.messageTexts[2];
    }
    std::string refusal = CheckRange(*options.sampleSize, "sample size", 2, SimulationState.unitCount);
    if (refusal.empty()) {
        SimulationState.sampleSize = *options.sampleSize;
    }
    return refusal;
}

/// The cluster designs are those whose ratio estimator can take the units
/// themselves as its auxiliary variable.
bool UnderClusterDesign(const BatchOptions& options)
{
    return options.design && DesignOf(*options.design).OffersUnitsAsAuxiliary();
}

/// The options the cluster designs need, and those only they take.
std::string CheckClusterOptions(const BatchOptions& options)
{
    const bool cluster = UnderClusterDesign(options);
    const bool twoStage = options.design == DesignTwoStage;
    if (cluster && !options.clusterVariable) {
        return ClusterNeedsVariableMessage;
    }
    if (cluster && !options.clusters) {
        return ClusterNeedsCountMessage;
    }
    if (twoStage && !options.unitsPerCluster) {
        return TwoStageNeedsUnitsMessage;
    }
    if (!cluster && (options.clusterVariable || options.clusters)) {
        return ClusterOptionsWithoutClusterMessage;
    }
    if (!twoStage && options.unitsPerCluster) {
        return UnitsPerClusterWithoutTwoStageMessage;
    }
    return "";
}

/// The options the stratified, the systematic and the cluster designs need, and
/// those only they take.
std::string CheckDesignOptions(const BatchOptions& options)
{
    const bool stratified = options.design == DesignStratified;
    if (stratified && !options.auxiliary) {
        return StratifiedNeedsAuxiliaryMessage;
    }
    if (stratified && !options.allocation) {
        return StratifiedNeedsAllocationMessage;
    }
    if (stratified && options.estimator.value_or(EstimatorDirect) != EstimatorDirect) {
        return StratifiedOnlyDirectMessage;
    }
    if (options.allocation && !stratified) {
        return AllocationWithoutStratifiedMessage;
    }
    if (options.strataClasses && !stratified) {
        return StrataClassesWithoutStratifiedMessage;
    }
    if (options.order && options.design != DesignSystematic) {
        return OrderWithoutSystematicMessage;
    }
    return CheckClusterOptions(options);
}

/// Whether the estimator (or the design) reads an auxiliary variable and none was given.
bool LacksAuxiliary(const BatchOptions& options)
{
    const bool needed = ReadsAuxiliaryVariable(options.estimator.value_or(EstimatorDirect),
                                               options.design.value_or(DesignEqualProbabilities));
    return needed && !options.auxiliary && !options.unitsAsAuxiliary;
}

/// The auxiliary variable the options give (0 for the units), else the
/// record's. The cluster designs refuse a missing one after their own settings.
std::string AuxiliaryOfOptions(const BatchOptions& options, int& auxiliary)
{
    auxiliary = SimulationState.auxiliaryVariable;
    if (options.unitsAsAuxiliary) {
        auxiliary = 0;
        return "";
    }
    if (!options.auxiliary) {
        return LacksAuxiliary(options) && !UnderClusterDesign(options) ? NeedsAuxiliaryMessage : "";
    }
    return NumberOfVariable(*options.auxiliary, "--auxiliary", "auxiliary variable", auxiliary);
}

/// The auxiliary variable is stored before the design and the estimator that
/// use it.
std::string ApplyAuxiliary(const BatchOptions& options)
{
    int auxiliary = 0;
    std::string refusal = AuxiliaryOfOptions(options, auxiliary);
    if (refusal.empty()) {
        SimulationState.auxiliaryVariable = auxiliary;
    }
    return refusal;
}

/// The design's choice as the options and `auxiliary` give it, its variable
/// resolved; the variable's refusal when it cannot be.
std::string ChoiceOfOptions(const BatchOptions& options, const SamplingDesign& design, int auxiliary,
                            DesignChoice& choice)
{
    choice = design.RecordChoice();
    if (design.VariableIsAuxiliary()) {
        choice.variable = auxiliary;
    }
    if (options.allocation) {
        choice.allocation = *options.allocation;
    }
    if (design.Code() == DesignStratified) {
        choice.stratumClasses = options.strataClasses.value_or(0);
    }
    if (design.Code() == DesignSystematic) {
        choice.variable = 0;
        if (options.order && options.order->number == SystematicRandomOrder) {
            choice.variable = SystematicRandomOrder;
        } else if (options.order) {
            return NumberOfVariable(*options.order, "--order", "order variable", choice.variable);
        }
    }
    if (!design.OffersUnitsAsAuxiliary()) {
        return "";
    }
    choice.clusters = *options.clusters;
    choice.unitsPerCluster = options.unitsPerCluster.value_or(0);
    return NumberOfVariable(*options.clusterVariable, "--cluster-variable", "cluster variable",
                            choice.variable);
}

/// The design's refusal of the estimator, then of its settings; under the
/// cluster designs, then a ratio without --auxiliary. `options.design` is given.
std::string DesignRefusal(const BatchOptions& options, int auxiliary, DesignChoice& choice)
{
    const SamplingDesign& design = DesignOf(*options.design);
    if (std::string refusal = design.EstimatorRefusal(options.estimator.value_or(EstimatorDirect));
        !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = ChoiceOfOptions(options, design, auxiliary, choice); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = design.Refusal(choice, SimulationState.sampleSize); !refusal.empty()) {
        return refusal;
    }
    return LacksAuxiliary(options) ? NeedsAuxiliaryMessage : "";
}

std::string ApplyDesign(const BatchOptions& options)
{
    if (!options.design) {
        return "";
    }
    DesignChoice choice;
    std::string refusal = DesignRefusal(options, SimulationState.auxiliaryVariable, choice);
    if (refusal.empty()) {
        StoreDesignChoice(choice);
    }
    return refusal;
}

std::string ApplyEstimator(const BatchOptions& options)
{
    if (!options.estimator) {
        return "";
    }
    SimulationState.estimatorCode = *options.estimator;
    return CheckPostStrata();
}

std::string ApplyNonresponse(const BatchOptions& options)
{
    if (!options.nonresponse) {
        return "";
    }
    const NonresponseOption& nonresponse = *options.nonresponse;
    int variable = 0;
    const std::string refusal =
        NumberOfVariable(nonresponse.variable, "--nonresponse", "nonresponse variable", variable);
    if (!refusal.empty()) {
        return refusal;
    }
    return SetNonresponseLine(variable, nonresponse.percentAtMinimum, nonresponse.percentAtMaximum);
}

std::string ApplySimulations(const BatchOptions& options)
{
    if (!options.simulations) {
        return "";
    }
    std::string refusal =
        CheckRange(*options.simulations, "number of simulations", MinSimulations, MaxRunSamples);
    if (refusal.empty()) {
        SimulationState.simulationCount = *options.simulations;
    }
    return refusal;
}

std::string ApplyMode(const BatchOptions& options)
{
    SimulationState.confidenceIntervalMode = options.intervals;
    return "";
}

bool UsesParametersDialog(const BatchOptions& options)
{
    return options.simulations || options.intervals || options.compression || options.scale;
}

/// The parameters dialog's OK: the compression first, then the bounds. The bound
/// fields show the scale with three decimals, so an OK without typed bounds
/// stores those shown values.
std::string ApplyScale(const BatchOptions& options)
{
    if (!UsesParametersDialog(options)) {
        return "";
    }
    if (options.compression) {
        std::string refusal = CheckRange(*options.compression, "compression factor", 1, MaxCompression);
        if (!refusal.empty()) {
            return refusal;
        }
        SimulationState.verticalCompression = *options.compression;
    }
    if (options.scale) {
        SimulationState.scaleLower = options.scale->lower;
        SimulationState.scaleUpper = options.scale->upper;
    } else {
        SimulationState.scaleLower = ShownFixed3Value(SimulationState.scaleLower);
        SimulationState.scaleUpper = ShownFixed3Value(SimulationState.scaleUpper);
    }
    return "";
}

/// The checks of the Begin command that the settings above do not already make.
std::string CheckBegin()
{
    if (SimulationState.sampleSize < 2) {
        return InterfaceTexts.messageTexts[2];
    }
    return "";
}

using Step = std::string (*)(const BatchOptions&);

/// The first refusal of the steps taken in order, "" when none refuses.
std::string FirstRefusal(const BatchOptions& options, std::initializer_list<Step> steps)
{
    for (const Step step : steps) {
        std::string refusal = step(options);
        if (!refusal.empty()) {
            return refusal;
        }
    }
    return "";
}

}  // namespace

std::string ApplyLeadingSettings(const BatchOptions& options)
{
    if (SimulationState.variableCount == 0) {
        return InterfaceTexts.messageTexts[1];
    }
    return FirstRefusal(options, {ApplyTarget, ApplySampleSize});
}

std::string DesignSettingsRefusal(const BatchOptions& options)
{
    int auxiliary = 0;
    DesignChoice choice;
    std::string refusal = CheckDesignOptions(options);
    if (refusal.empty()) {
        refusal = AuxiliaryOfOptions(options, auxiliary);
    }
    if (refusal.empty() && options.design) {
        refusal = DesignRefusal(options, auxiliary, choice);
    }
    if (refusal.empty() && options.estimator == EstimatorPostStratified) {
        refusal = PostStrataRefusal(auxiliary);
    }
    return refusal;
}

std::string ApplySettings(const BatchOptions& options)
{
    std::string refusal = ApplyLeadingSettings(options);
    if (refusal.empty()) {
        refusal = FirstRefusal(options, {CheckDesignOptions, ApplyAuxiliary, ApplyDesign, ApplyEstimator,
                                         ApplyNonresponse, ApplySimulations, ApplyMode, ApplyScale});
    }
    return refusal.empty() ? CheckBegin() : refusal;
}
