#pragma once
// Strata formed by a variable: unit i is in stratum nearest(x_i), and a usable
// stratification has strata 1..H, H <= 10, none empty. Shared by
// post-stratification and the stratified design.

#include <array>
#include <cstdint>
#include <string>

#include "core/simulation_state.h"

/// \brief Counts per stratum 1..10 (index 0 unused).
using StratumCounts = std::array<std::int32_t, MaxStrata + 1>;
/// \brief A real per stratum 1..10 (index 0 unused).
using StratumValues = std::array<double, MaxStrata + 1>;

/// \brief H strata with N_h units each, out of N units.
struct Strata {
    int count = 0;
    StratumCounts sizes{};
    int units = 0;

    /// \brief W_h = N_h / N.
    double Weight(int h) const { return static_cast<double>(sizes[h]) / units; }
};

/// \brief The stratum of a value: nearest(x) (halves to even) when that lies in
/// 0..MaxStrata + 1, otherwise some number outside 1..MaxStrata. Inline, without the
/// general conversion's range handling, for the loops over units and respondents.
inline int StratumOfValue(double x)
{
    // Below 0 every value rounds to 0 or less; from 0 on truncation is the floor.
    if (!(x >= 0.0 && x < MaxStrata + 2.0)) {
        return -1;
    }
    const int h = static_cast<int>(x);
    const double fraction = x - h;
    return fraction > 0.5 || (fraction == 0.5 && (h & 1) != 0) ? h + 1 : h;
}

/// \brief The strata of variable k with the refusal of a variable that forms
/// none: TooManyStrataMessage at the first unit outside 1..10 (the tallies then
/// hold the units before it), EmptyStrataMessage for a stratum 1..H without units.
struct StrataCheck {
    Strata strata;
    std::string refusal;
};
StrataCheck FormStrata(int k);

/// \brief How many strata variable k's values call for: the number of distinct
/// nearest(x_i) (halves to even, NaN counted once) or the largest of them, since
/// the strata run from 1 to it, whichever is more. Said with TooManyStrataMessage
/// against the limit MaxStrata.
int NamedStrataCount(int k);

/// \brief The smallest stratified sample: the sum of min(2, N_h).
int MinimumStratifiedSampleSize(const Strata& strata);

/// \brief The mean of variable `target` in each stratum of variable `stratifier`,
/// summed in unit order.
StratumValues StratumMeans(const Strata& strata, int stratifier, int target);

/// \brief The variance of variable `target` in each stratum of variable
/// `stratifier` (divisor N_h - 1), two passes in unit order; exactly 0 when the
/// stratum's values are all equal or it has one unit.
StratumValues StratumVariances(const Strata& strata, int stratifier, int target);

inline constexpr const char* SampleTooSmallForStrataMessage = "The sample size is too small for the strata!";

/// \brief The checks of a stratified design by variable k with sample size n: the
/// strata messages, then SampleTooSmallForStrataMessage; "" when usable.
std::string CheckStratifiedDesign(int k, int n);
