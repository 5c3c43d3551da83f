#pragma once
// How a stratified sample of n units is shared out over the strata.

#include <cstdint>
#include <optional>

#include "core/strata.h"

/// \brief Stored codes of the allocations.
enum AllocationCode : std::int32_t {
    AllocationProportional = 0,  ///< w_h = N_h
    AllocationEqual = 1,         ///< w_h = 1
    AllocationOptimal = 2,       ///< w_h = N_h S_h, by largest gain; proportional when every w_h is 0
};

/// \brief n_h for strata 1..H within L_h = min(2, N_h) and U_h = N_h.
/// Proportional and equal: strata whose share a_h = R w_h / W falls below L_h
/// (first) or above U_h are fixed there and the rest R shared again among the
/// free strata; the free strata get floor(a_h) and the units left go one each to
/// the largest a_h - floor(a_h), ties to the lower h (whole-number arithmetic).
/// Optimal: n_h = L_h, then each further unit to the stratum with room whose gain
/// w_h^2 / (n_h (n_h + 1)) is largest, ties to the lower h; this minimises
/// sum w_h^2 / n_h over every allocation within the bounds. With every w_h = 0,
/// the proportional allocation. `deviations` holds S_h (read for the optimal
/// allocation only). Nothing when n is below the sum of the L_h or above N.
std::optional<StratumCounts> AllocateSample(int n, const Strata& strata, AllocationCode allocation,
                                            const StratumValues& deviations);
