#pragma once
// The units of the sample last drawn, as a list for the class to read: the unit
// numbers in sample order, whether each responded, and the group it was drawn in
// under the design in force.

#include <string>
#include <vector>

/// \brief One drawn unit.
struct ListedUnit {
    int unit = 0;
    bool responded = false;
    int group = 0;  ///< the unit's stratum or cluster; 0 under a design without groups
};

/// \brief The name of the group column under the design in force ("Stratum"
/// under the stratified design, "Cluster" under the cluster designs), "" under
/// a design that draws no groups.
std::string GroupHeading();

/// \brief The units at positions 1..n of the sample last drawn, nonrespondents
/// included and positions without a unit left out, in sample order; under a
/// design with groups, group after group, in sample order within each.
std::vector<ListedUnit> ListLastSample();
