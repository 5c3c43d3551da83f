#pragma once
// The systematic design: the ordered list, the draw, and the exact theory of the
// four estimators over the N possible samples. The routines take the design's
// parameters as arguments.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/strata.h"

/// \brief The order code of a list shuffled once per run.
inline constexpr int SystematicRandomOrder = -1;
inline constexpr const char* RandomOrderText = "Random order";
inline constexpr const char* SystematicRandomOrderCaption = "Systematic, random order";

/// \brief The units 1..N shuffled as design 10 draws a sample of size N: the
/// partial shuffle of DrawFromList over 1..N, N random numbers. The record keeps
/// it as shuffledOrder, the list of the run the theory describes.
std::vector<std::int32_t> RandomSystematicOrder();

/// \brief The units ordered by variable k ascending, ties by unit number (a stable
/// sort); file order when k names no variable column (0 = "File order").
std::vector<std::int32_t> SystematicOrder(int k);

/// \brief The list the theory of order k is taken along: the record's
/// shuffledOrder for SystematicRandomOrder (empty when it holds no list of the N
/// units), else SystematicOrder(k).
std::vector<std::int32_t> SystematicTheoryOrder(int k);

/// \brief With N = order.size() and k = N / n: u = RandomFraction() * k, then
/// sample[j - 1] = order[p_j] with p_j = floor(u + (j - 1) * k) (at most N - 1) for
/// j = 1..n. One random number. Returns n, or 0 (nothing drawn) when n is not in
/// 1..N or `sample` has fewer than n places.
int DrawSystematicSample(std::span<const std::int32_t> order, int n, std::span<std::int32_t> sample);

/// \brief The record's draw under design 13: positions 1..n, then nonresponse.
void DrawSampleSystematic(std::span<const std::int32_t> order);

/// \brief The running sums of one systematic sample that the estimators read: the
/// regression sums are taken about Xbar and the target's mean (`targetShift`),
/// the post-strata's counts and totals only where the estimator tallies them.
struct SystematicSampleSums {
    int n = 0;
    double targetShift = 0.0;
    double sumY = 0.0;
    double sumX = 0.0;
    double centredX = 0.0;
    double centredY = 0.0;
    double centredXX = 0.0;
    double centredXY = 0.0;
    int unequalNeighbours = 0;  ///< neighbouring places of the sample whose x differ
    StratumCounts stratumCount{};
    StratumValues stratumTotal{};
};

struct SystematicTheoryInput;

/// \brief An estimator's formula on the sums of a sample; nothing where it gives
/// no estimate.
using SystematicEstimate = std::optional<double> (*)(const SystematicSampleSums& sums,
                                                     const SystematicTheoryInput& input);

/// \brief What the theory of one estimator under the systematic design needs.
struct SystematicTheoryInput {
    std::span<const double> target;     ///< y at the places 0..N-1 of the ordered list
    std::span<const double> auxiliary;  ///< x at the same places (read when `readsAuxiliary`)
    int sampleSize = 0;
    SystematicEstimate estimate = nullptr;
    bool readsAuxiliary = false;
    double auxiliaryMean = 0.0;      ///< Xbar, for ratio and regression
    StratumValues stratumWeights{};  ///< W_h, for post-stratification
    int strata = 0;                  ///< H, the post-strata tallied (0: none)
};

struct TheoryValues {
    std::optional<double> mean;
    std::optional<double> standardError;
};

/// \brief Mean and standard deviation (divisor N) of the estimator over the N
/// equally likely samples c = 0..N-1 with places floor((2c + 1 + 2(j - 1)N) / (2n)),
/// each estimate by `input.estimate` on the full sample; nothing when some
/// sample gives no estimate. Linear in N: the samples are visited in order of c,
/// moving each place when it steps to the next unit.
TheoryValues SystematicTheory(const SystematicTheoryInput& input);
