#include "engine/statistics_rows.h"

#include "core/number_format.h"
#include "core/simulation_state.h"
#include "core/stratified_sampling.h"
#include "core/theory.h"
#include "engine/run_engine.h"
#include "texts/interface_text_table.h"

namespace {

constexpr const char* NotAvailable = "-";
constexpr int EqualDesignText = 14;
constexpr int ProportionalDesignText = 15;

/// The name of variable k, or "-" when no such variable exists.
std::string VariableNameOrDash(int k)
{
    if (k < 1 || k > SimulationState.variableCount || k > MaxVariables) {
        return NotAvailable;
    }
    return SimulationState.variableNames[k];
}

std::string DesignValue()
{
    const auto& texts = InterfaceTexts.statisticsTexts;
    if (std::string text = StratifiedOrSystematicDesignText(); !text.empty()) {
        return text;
    }
    if (SimulationState.designCode == DesignEqualProbabilities) {
        return texts[EqualDesignText];
    }
    return texts[ProportionalDesignText] + VariableNameOrDash(SimulationState.auxiliaryVariable);
}

std::string EstimatorValue()
{
    const int code = SimulationState.estimatorCode;
    if (code < EstimatorDirect || code > EstimatorPostStratified) {
        return NotAvailable;
    }
    const std::string& name = InterfaceTexts.estimatorNames[code - EstimatorDirect + 1];
    if (code == EstimatorDirect) {
        return name;
    }
    return name + " (" + VariableNameOrDash(SimulationState.auxiliaryVariable) + ")";
}

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

}  // namespace

std::array<StatisticsRow, StatisticsRowCount> StatisticsTableRows(int samplesDrawn)
{
    if (InterfaceTexts.statisticsTexts[1].empty()) {
        FillInterfaceTexts();
    }
    ComputeSimulatedStatistics(samplesDrawn);
    ComputeTheoreticalProperties();

    const TSimulationState& s = SimulationState;
    const std::array<std::string, StatisticsRowCount> values = {
        s.populationName,
        std::to_string(s.sampleSize),
        DesignValue(),
        TargetValue(),
        EstimatorValue(),
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

std::string SamplesDrawnText(int samplesDrawn, int simulationCount)
{
    return std::to_string(samplesDrawn) + " of " + std::to_string(simulationCount);
}

std::string SimulationsProgressValue(int samplesDrawn, int simulationCount)
{
    return samplesDrawn < simulationCount ? SamplesDrawnText(samplesDrawn, simulationCount)
                                          : std::to_string(simulationCount);
}

std::vector<int> StratifiedAllocationSizes(int stratifier, AllocationCode allocation)
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
    return StratifiedAllocationSizes(SimulationState.auxiliaryVariable,
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
