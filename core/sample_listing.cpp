#include "core/sample_listing.h"

#include <algorithm>

#include "core/simulation_state.h"
#include "core/strata.h"

std::string GroupHeading()
{
    return SimulationState.designCode == DesignStratified ? "Stratum" : "";
}

int UnitGroup(int unit)
{
    if (SimulationState.designCode != DesignStratified) {
        return 0;
    }
    return StratumOfValue(AuxiliaryValue(unit));
}

std::vector<ListedUnit> ListLastSample()
{
    const TSimulationState& s = SimulationState;
    // Under nonresponse a nonrespondent's position holds 0; the units as drawn
    // were kept before it ran.
    const GrowingArray<std::int32_t>& drawn = s.nonresponseOn ? s.drawnUnits : s.sampleUnits;
    std::vector<ListedUnit> listed;
    for (int j = 1; j <= SamplePositions(); ++j) {
        const int unit = drawn[j];
        if (unit != 0) {
            listed.push_back({unit, s.sampleUnits[j] != 0, UnitGroup(unit)});
        }
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const ListedUnit& a, const ListedUnit& b) { return a.group < b.group; });
    return listed;
}
