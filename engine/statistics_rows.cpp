#include "engine/statistics_rows.h"

#include "core/number_format.h"
#include "core/simulation_state.h"
#include "core/stratified_sampling.h"
#include "core/theory.h"
#include "engine/designs/sampling_design.h"
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
