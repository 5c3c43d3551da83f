#pragma once
// How a stratified sample of n units is shared out over the strata.

#include <cstdint>
#include <optional>

#include "core/strata.h"

/// \brief Stored codes of the allocations.
enum AllocationCode : std::int32_t {
    AllocationProportional = 0,  ///< w_h = N_h
    AllocationEqual = 1,         ///< w_h = 1
    AllocationOptimal = 2,       ///< w_h = N_h S_h (Neyman); N_h when every N_h S_h is 0
};

/// \brief n_h for strata 1..H within L_h = min(2, N_h) and U_h = N_h: strata whose
/// share a_h = R w_h / W falls below L_h (first) or above U_h are fixed there and
/// the rest R shared again among the free strata; the free strata get floor(a_h)
/// and the units left go one each to the largest a_h - floor(a_h), ties to the
/// lower h. Whole-number arithmetic for proportional and equal weights, double for
/// optimal ones. `deviations` holds S_h (read for the optimal allocation only).
/// Nothing when n is below the sum of the L_h or above N.
std::optional<StratumCounts> AllocateSample(int n, const Strata& strata, AllocationCode allocation,
                                            const StratumValues& deviations);
