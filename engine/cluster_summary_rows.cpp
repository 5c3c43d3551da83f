#include "engine/cluster_summary_rows.h"

#include <optional>
#include <string>

#include "core/cluster_sampling.h"
#include "core/number_format.h"
#include "core/population_file.h"
#include "core/simulation_state.h"
#include "engine/designs/sampling_design.h"

namespace {

std::string Fixed3OrDash(std::optional<double> value)
{
    return FormatFixed3Or(value.value_or(0.0), value.has_value());
}

}  // namespace

std::vector<StatisticsRow> ClusterSummaryRows(const DesignChoice& choice)
{
    const Clusters clusters = FormClusters(VariableValues(choice.variable));
    const ClusterSummary summary = SummarizeClusters(
        clusters, {choice.clusters, choice.design == DesignTwoStage, choice.unitsPerCluster});
    const bool withTarget = IsVariableNumber(SimulationState.targetVariable);
    const auto ifTarget = [withTarget](auto compute) {
        return Fixed3OrDash(withTarget ? compute() : std::optional<double>());
    };
    return {
        {"Clusters (M)", std::to_string(summary.clusters)},
        {"Smallest cluster", std::to_string(summary.smallest)},
        {"Mean cluster size", FormatFixed3(summary.meanSize)},
        {"Largest cluster", std::to_string(summary.largest)},
        {"Intraclass correlation", ifTarget([&] { return ClusterIntraclassCorrelation(choice); })},
        {"Expected units", FormatFixed3(summary.expectedUnits)},
        {"Design effect, direct",
         ifTarget([&] { return TheoreticalDesignEffect(choice, EstimatorDirect, 0); })},
        {"Design effect, mean per unit",
         ifTarget([&] { return TheoreticalDesignEffect(choice, EstimatorRatio, 0); })},
    };
}

std::optional<double> ClusterIntraclassCorrelation(const DesignChoice& choice)
{
    if (!IsVariableNumber(SimulationState.targetVariable)) {
        return std::nullopt;
    }
    return IntraclassCorrelation(FormClusters(VariableValues(choice.variable)),
                                 VariableValues(SimulationState.targetVariable));
}

int ClusterFieldNumber(const std::string& text)
{
    int value = 0;
    ParseIntInRange(text, 0, MaxUnits, value);
    return value;
}
