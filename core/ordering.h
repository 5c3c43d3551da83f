#pragma once
// Ordering of units by a variable, post-strata and the auxiliary quantities
// prepared before each simulation run.

#include <array>
#include <cstdint>

#include "core/simulation_state.h"

/// \brief Unit numbers at positions 1..1000 (position 0 unused), owned by the caller.
using UnitList = std::array<std::int32_t, MaxUnits + 1>;

/// \brief list[i] := i for i = 1..N, then sorts 1..N ascending by variable k.
void SortUnitsByVariable(int k, UnitList& list);
/// \brief Sorts positions lo..hi of list by variable k; ties keep the order the
/// scheme gives them (strict comparisons).
void QuickSortUnits(int k, UnitList& list, int lo, int hi);

/// \brief The post-stratum of a value: nearest(value), halves to even.
std::int32_t PostStratumOf(double value);

/// \brief auxiliaryMean for ratio, regression or the size-proportional design;
/// otherwise the post-strata weights for post-stratification.
void PrepareAuxiliaryQuantities();
