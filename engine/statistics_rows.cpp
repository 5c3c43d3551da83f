#include "engine/statistics_rows.h"

#include "core/number_format.h"
#include "core/simulation_state.h"
#include "core/stratified_sampling.h"
#include "core/theory.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"
#include "engine/run_engine.h"
#include "texts/interface_text_table.h"

namespace {

std::string NonresponseValue()
{
    const auto& texts = InterfaceTexts.nonresponseTexts;
    if (SimulationState.nonresponseOn) {
        return texts[1] + VariableNameOrDash(SimulationState.nonresponseVariable);
    }
    return texts[2];
}

std::string TargetValue()
{
    return VariableNameOrDash(SimulationState.targetVariable);
}

/// A variable's name, or "-" where no variable is chosen.
std::string PanelVariableName(int k)
{
    return k >= 1 && k <= MaxVariables ? SimulationState.variableNames[k] : "-";
}

/// The sample size as the design counts it ("m of M clusters" under the cluster
/// designs); the number n under an unknown design code.
std::string PanelSampleSize()
{
    const TSimulationState& s = SimulationState;
    const SamplingDesign* design = FindDesign(s.designCode);
    return design != nullptr ? design->SampleSizeText(RecordDesignChoice(), s.sampleSize)
                             : std::to_string(s.sampleSize);
}

/// "Ratio, using NAME"; the mean per unit of the cluster designs reads "Ratio (units)".
std::string PanelEstimator()
{
    const TSimulationState& s = SimulationState;
    const Estimator* estimator = FindEstimator(s.estimatorCode);
    if (estimator == nullptr) {
        return "-";
    }
    if (s.auxiliaryVariable == 0 && estimator->ReadsAuxiliary() &&
        DesignOf(s.designCode).OffersUnitsAsAuxiliary()) {
        return EstimatorCaption(s.estimatorCode, s.auxiliaryVariable, s.designCode);
    }
    std::string line = estimator->Label();
    if (estimator->ReadsAuxiliary()) {
        line += InterfaceTexts.usingText + PanelVariableName(s.auxiliaryVariable);
    }
    return line;
}

std::string PanelNonresponse()
{
    const auto& texts = InterfaceTexts.nonresponseTexts;
    return SimulationState.nonresponseOn ? texts[1] + PanelVariableName(SimulationState.nonresponseVariable)
                                         : texts[2];
}

}  // namespace

std::array<StatisticsRow, StatisticsRowCount> StatisticsTableRows(int samplesDrawn)
{
    if (InterfaceTexts.statisticsTexts[1].empty()) {
        FillInterfaceTexts();
    }
    ComputeSimulatedStatistics(samplesDrawn);
    ComputeDesignTheory();

    const TSimulationState& s = SimulationState;
    const std::array<std::string, StatisticsRowCount> values = {
        s.populationName,
        DesignOf(s.designCode).SampleSizeText(RecordDesignChoice(), s.sampleSize),
        DesignCaption(RecordDesignChoice()),
        TargetValue(),
        EstimatorCaption(s.estimatorCode, s.auxiliaryVariable, s.designCode),
        NonresponseValue(),
        std::to_string(s.simulationCount),
        "",
        FormatFixed3Or(s.theoreticalMean, s.theoreticalMeanAvailable),
        FormatFixed3Or(s.simulatedMean, s.simulatedMeanAvailable),
        "",
        FormatFixed3Or(s.theoreticalStdError, s.theoreticalStdErrorAvailable),
        FormatFixed3Or(s.simulatedStdDev, s.simulatedStdDevAvailable),
    };
    std::array<StatisticsRow, StatisticsRowCount> rows;
    for (int row = 0; row < StatisticsRowCount; ++row) {
        rows[row] = {InterfaceTexts.statisticsTexts[row + 1], values[row]};
    }
    return rows;
}

std::vector<DesignStatisticsRow> DesignStatisticsRows()
{
    const std::int32_t design = SimulationState.designCode;
    std::vector<DesignStatisticsRow> rows;
    if (design == DesignStratified) {
        rows.push_back({ProbabilitiesRow, {"Allocation", AllocationSizesText(RecordAllocationSizes())}});
    }
    if (DesignOf(design).OffersUnitsAsAuxiliary()) {
        rows.push_back(
            {TheoreticalStdErrorRow, {"Design effect (theoretical)", FormatFixed3Or(RecordDesignEffect())}});
    }
    return rows;
}

std::optional<double> RecordDesignEffect()
{
    const TSimulationState& s = SimulationState;
    return TheoreticalDesignEffect(RecordDesignChoice(), s.estimatorCode, s.auxiliaryVariable);
}

std::array<std::string, InformationPanelLines> InformationPanelValues()
{
    const TSimulationState& s = SimulationState;
    return {s.populationName,
            std::to_string(s.unitCount),
            std::to_string(s.variableCount),
            PanelSampleSize(),
            PanelVariableName(s.targetVariable),
            DesignCaption(RecordDesignChoice()),
            PanelEstimator(),
            PanelNonresponse(),
            std::to_string(s.simulationCount)};
}

std::string SamplesDrawnText(int samplesDrawn, int simulationCount)
{
    return std::to_string(samplesDrawn) + " of " + std::to_string(simulationCount);
}

std::string SimulationsProgressValue(int samplesDrawn, int simulationCount)
{
    return samplesDrawn < simulationCount ? SamplesDrawnText(samplesDrawn, simulationCount)
                                          : std::to_string(simulationCount);
}

std::vector<int> StratifiedAllocationSizes(const Stratification& stratifier, AllocationCode allocation)
{
    const StratifiedAllocation result = AllocateStratifiedSample(stratifier, SimulationState.targetVariable,
                                                                 SimulationState.sampleSize, allocation);
    if (!result.sampleSizes) {
        return {};
    }
    return {result.sampleSizes->begin() + 1, result.sampleSizes->begin() + 1 + result.check.strata.count};
}

std::vector<int> RecordAllocationSizes()
{
    return StratifiedAllocationSizes(
        StratificationOf(SimulationState.auxiliaryVariable, SimulationState.stratumClasses),
        static_cast<AllocationCode>(SimulationState.allocationCode));
}

std::string AllocationSizesText(const std::vector<int>& sizes)
{
    std::string text;
    for (const int size : sizes) {
        text += (text.empty() ? "" : ", ") + std::to_string(size);
    }
    return text;
}
