#include "core/sample_listing.h"

#include <algorithm>
#include <functional>

#include "core/cluster_sampling.h"
#include "core/simulation_state.h"
#include "core/strata.h"

namespace {

bool ClusterDesignInForce()
{
    const std::int32_t design = SimulationState.designCode;
    return design == DesignCluster || design == DesignTwoStage;
}

/// The group of a unit under the design in force: its stratum, its cluster g
/// (1..M), or 0. The clusters are formed once per listing.
std::function<int(int)> GroupOfUnit()
{
    if (SimulationState.designCode == DesignStratified) {
        const Stratification stratification =
            StratificationOf(SimulationState.auxiliaryVariable, SimulationState.stratumClasses);
        return [stratification](int unit) { return stratification.StratumOfUnit(unit); };
    }
    if (!ClusterDesignInForce()) {
        return [](int) { return 0; };
    }
    const Clusters clusters = FormClusters(VariableValues(SimulationState.clusterVariable));
    std::vector<int> clusterOf(static_cast<std::size_t>(clusters.UnitCount()) + 1, 0);
    for (int g = 1; g <= clusters.Count(); ++g) {
        for (const std::int32_t unit : clusters.UnitsOf(g)) {
            clusterOf[static_cast<std::size_t>(unit)] = g;
        }
    }
    return [clusterOf = std::move(clusterOf)](int unit) { return clusterOf[static_cast<std::size_t>(unit)]; };
}

}  // namespace

std::string GroupHeading()
{
    if (SimulationState.designCode == DesignStratified) {
        return "Stratum";
    }
    return ClusterDesignInForce() ? "Cluster" : "";
}

std::vector<ListedUnit> ListLastSample()
{
    const TSimulationState& s = SimulationState;
    // Under nonresponse a nonrespondent's position holds 0; the units as drawn
    // were kept before it ran.
    const GrowingArray<std::int32_t>& drawn = s.nonresponseOn ? s.drawnUnits : s.sampleUnits;
    const std::function<int(int)> groupOf = GroupOfUnit();
    std::vector<ListedUnit> listed;
    for (int j = 1; j <= SamplePositions(); ++j) {
        const int unit = drawn[j];
        if (unit != 0) {
            listed.push_back({unit, s.sampleUnits[j] != 0, groupOf(unit)});
        }
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const ListedUnit& a, const ListedUnit& b) { return a.group < b.group; });
    return listed;
}
