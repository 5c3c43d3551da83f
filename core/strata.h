#pragma once
// Strata formed by a variable: unit i is in stratum nearest(x_i), and a usable
// stratification has strata 1..H, H <= 10, none empty. Shared by
// post-stratification and the stratified design.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

/// \brief The class 1..H of each value when the values are cut into H classes of
/// sizes as equal as ties allow. The N values that are not NaN are ranked
/// 0..N-1 in increasing order, equal values in the order given; each group of g
/// equal values from rank r on goes whole to class floor((2r + g - 1) H / (2N))
/// + 1, the class its middle rank falls in, so equal values always share a
/// class. NaN gets class 0. Long ties can leave a class empty.
std::vector<int> EqualSizeClasses(std::span<const double> values, int classes);

/// \brief How a variable shares the units into strata: by the nearest whole
/// number of each value (its codes), or, with `classes` H, by the class of equal
/// size (EqualSizeClasses) its value lies in.
struct Stratification {
    int variable = 0;
    int classes = 0;        ///< H of the classes of equal size; 0: the codes
    StratumValues upper{};  ///< under classes: the largest value of class h, NaN when empty

    /// A variable stratifies by its codes unless classes are asked for.
    Stratification(int k = 0) : variable(k) {}

    int StratumOf(double x) const
    {
        if (classes == 0) {
            return StratumOfValue(x);
        }
        for (int h = 1; h <= classes && h <= MaxStrata; ++h) {
            if (x <= upper[h]) {
                return h;
            }
        }
        return -1;
    }
    int StratumOfUnit(int unit) const { return StratumOf(UnitValue(unit, VariableColumn(variable))); }
};

/// \brief Variable k by its codes (classes 0) or cut into `classes` classes of
/// equal size over the population read.
Stratification StratificationOf(int k, int classes);

/// \brief The record's stratification as a run prepared it: auxiliaryVariable
/// with stratumClasses and stratumClassBounds.
Stratification RecordStratification();

inline constexpr int MinimumStrataClasses = 2;

/// \brief The strata of variable k with the refusal of a variable that forms
/// none: TooManyStrataMessage at the first unit outside 1..10 (the tallies then
/// hold the units before it), EmptyStrataMessage for a stratum 1..H without units.
struct StrataCheck {
    Strata strata;
    std::string refusal;
};
StrataCheck FormStrata(int k);
/// \brief The strata of a stratification: those of FormStrata(k) for the codes;
/// for classes, ClassCountMessage for an H outside 2..10, MissingClassValuesMessage
/// for a NaN value, TiedClassesMessage for a class ties left empty.
StrataCheck FormStrata(const Stratification& stratification);

/// \brief The refusals of classes of equal size, naming the variable and H.
std::string ClassCountMessage(int classes);
std::string MissingClassValuesMessage(int k);
std::string TiedClassesMessage(int k, int classes);

/// \brief How many strata variable k's values call for: the number of distinct
/// nearest(x_i) (halves to even, NaN counted once) or the largest of them, since
/// the strata run from 1 to it, whichever is more. Said with TooManyStrataMessage
/// against the limit MaxStrata.
int NamedStrataCount(int k);

/// \brief What stratum h (1..H) stands for, at index h - 1: "LOW to HIGH", the
/// values of a class of equal size; "h = LABEL" for a code of a text column;
/// else h itself.
std::vector<std::string> StratumNames(const Strata& strata, const Stratification& stratifier);

/// \brief The smallest stratified sample: the sum of min(2, N_h).
int MinimumStratifiedSampleSize(const Strata& strata);

/// \brief The mean of variable `target` in each stratum of `stratifier`,
/// summed in unit order.
StratumValues StratumMeans(const Strata& strata, const Stratification& stratifier, int target);

/// \brief The variance of variable `target` in each stratum of `stratifier`
/// (divisor N_h - 1), two passes in unit order; exactly 0 when the
/// stratum's values are all equal or it has one unit.
StratumValues StratumVariances(const Strata& strata, const Stratification& stratifier, int target);

inline constexpr const char* SampleTooSmallForStrataMessage = "The sample size is too small for the strata!";

/// \brief The checks of a stratified design by `stratification` with sample size n: the
/// strata messages, then SampleTooSmallForStrataMessage; "" when usable.
std::string CheckStratifiedDesign(const Stratification& stratification, int n);
