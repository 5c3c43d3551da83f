#pragma once
// Ordering of units by a variable, post-strata and the auxiliary quantities
// prepared before each simulation run.

#include <array>
#include <cstdint>
#include <vector>

#include "core/simulation_state.h"

/// \brief Unit numbers at positions 1..N (position 0 unused), owned by the caller.
using UnitList = std::vector<std::int32_t>;

/// \brief Sizes list to N + 1 positions, list[i] := i for i = 1..N, then sorts
/// 1..N ascending by variable k.
void SortUnitsByVariable(int k, UnitList& list);
/// \brief Sorts positions lo..hi of list (brought into the list) by variable k;
/// ties keep the order the scheme gives them (strict comparisons). A range that
/// is already in ascending order is left as it is at once, which is what the
/// scheme does with it, only in one pass.
void QuickSortUnits(int k, UnitList& list, int lo, int hi);

/// \brief The post-stratum of a value: nearest(value), halves to even.
std::int32_t PostStratumOf(double value);

/// \brief Count, total and sum of squares of the target values in one post-stratum.
struct StratumTally {
    int count = 0;
    double total = 0.0;
    double sumOfSquares = 0.0;

    void Add(double y)
    {
        count += 1;
        total += y;
        sumOfSquares += y * y;
    }

    /// \brief Adds the tally of further units (a tally of none changes nothing).
    void Merge(const StratumTally& more)
    {
        if (more.count > 0) {
            count += more.count;
            total += more.total;
            sumOfSquares += more.sumOfSquares;
        }
    }
};

/// \brief Tallies of post-strata 1..10 (index 0 unused).
using StratumTallies = std::array<StratumTally, MaxStrata + 1>;

/// \brief Post-strata weights W_h, h = 1..10 (index 0 unused).
using StratumWeights = std::array<double, MaxStrata + 1>;

/// \brief The post-strata of a variable: W_h = N_h / N and H, the largest h in
/// 1..10 that holds a unit (units outside 1..10 are left out).
struct PostStrata {
    StratumWeights weights{};
    int count = 0;
};

/// \brief The post-strata of variable k over the population read.
PostStrata PostStrataOf(int k);

/// \brief Mean of variable k over the units, summed in unit order (0 without units).
double VariableMean(int k);

/// \brief stratumCount brought into 0..MaxStrata.
int StratumCount();

/// \brief Whether each of the post-strata 1..strata holds at least two units.
bool EveryStratumHasTwoUnits(const StratumTallies& tallies, int strata);

/// \brief sum over h = 1..strata of [correction W_h s2_h + (1 - W_h) s2_h / n^2] with
/// s2_h = (Q_h - T_h^2 / n_h) / (n_h - 1); a sum that rounding made negative gives 0.
/// Every stratum needs two units, or the result is not finite.
double PostStratifiedVariance(const StratumTallies& tallies, const StratumWeights& weights, int strata,
                              double correction, double n);

/// \brief auxiliaryMean for ratio, regression or the size-proportional design;
/// the post-strata weights for post-stratification; the weights and sizes of the
/// strata for the stratified design with the direct estimator.
void PrepareAuxiliaryQuantities();
