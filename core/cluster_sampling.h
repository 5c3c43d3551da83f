#pragma once
// Cluster and two-stage sampling: the clusters of a variable, the draw, the
// direct and ratio estimators with their standard errors, their theory, the
// design effect and the intraclass correlation. Everything is taken as
// arguments: values per unit as spans (unit i at index i - 1), the generator by
// reference. Notation: M clusters of N_g units, N units in all; m clusters drawn;
// under two stages k_g = min(k, N_g) units drawn in cluster g.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/random_sampling.h"
#include "core/theory.h"

inline constexpr const char* FewerThanTwoClustersMessage = "There are fewer than two clusters!";
inline constexpr const char* UnitsPerClusterMessage = "The number of units per cluster must be at least 2!";
inline constexpr const char* ClusterEstimatorsMessage =
    "Under cluster designs only the direct and ratio estimators can be used!";

/// \brief "The number of clusters must lie between 2 and M!" with M written out.
std::string ClusterCountMessage(int clusterCount);

/// \brief The clusters of a variable: its distinct values in increasing order
/// (numeric equality, so -0 and 0 are one cluster), numbered g = 1..M.
struct Clusters {
    std::vector<double> labels;       ///< cluster g's value at labels[g - 1]
    std::vector<std::int32_t> units;  ///< cluster after cluster, unit order within each
    std::vector<std::int32_t> first{
        0};  ///< M + 1 entries: cluster g is units[first[g - 1]] .. units[first[g] - 1]
    std::vector<std::int32_t> numbers;  ///< 1..M, the list the clusters are drawn from

    /// \brief M.
    int Count() const { return static_cast<int>(labels.size()); }
    /// \brief N.
    int UnitCount() const { return static_cast<int>(units.size()); }
    /// \brief N_g, g in 1..M.
    int Size(int g) const { return first[g] - first[g - 1]; }
    /// \brief Cluster g's units in unit order, g in 1..M.
    std::span<const std::int32_t> UnitsOf(int g) const
    {
        return std::span(units).subspan(first[g - 1], static_cast<std::size_t>(Size(g)));
    }
};

/// \brief The clusters formed by `values` (the cluster variable of units 1..N).
/// Not-a-number values, which no population file holds, make one last cluster.
Clusters FormClusters(std::span<const double> values);

/// \brief m clusters by simple random sampling; one stage takes all their units,
/// two stages k_g = min(k, N_g) of them.
struct ClusterDesign {
    int clusters = 0;  ///< m
    bool twoStage = false;
    int unitsPerCluster = 0;  ///< k, read only under two stages
};

/// \brief The refusals in order: FewerThanTwoClustersMessage,
/// ClusterCountMessage(M) for m outside 2..M, UnitsPerClusterMessage for two
/// stages with k < 2; "" when the design can be drawn.
std::string CheckClusterDesign(const Clusters& clusters, const ClusterDesign& design);

/// \brief A drawn sample: its units by position, and the drawn clusters in draw
/// order with the position of each one's first unit (each runs to the next one's
/// start, the last to the sample's end), which still hold once nonresponse has
/// put 0 in some positions.
struct ClusterSample {
    std::vector<std::int32_t> units;
    std::vector<std::int32_t> clusters;
    std::vector<std::int32_t> starts;
};

/// \brief Draws m clusters by the partial shuffle of the list 1..M with
/// RandomIndex(M - i + 1), i = 1..m. One stage: each drawn cluster's units in
/// unit order, cluster after cluster in draw order (m random numbers). Two stages:
/// then, in draw order, k_g of each drawn cluster's units by the same shuffle over
/// them, RandomIndex(N_g - i + 1), i = 1..k_g, in the order drawn (m + sum k_g
/// random numbers). The cost follows the sample, not M or N_g. `sample`'s storage
/// is reused. m is taken within 0..M, k within 0..N_g.
void DrawClusterSample(TRandomGenerator& generator, const Clusters& clusters, const ClusterDesign& design,
                       ClusterSample& sample);

/// \brief An estimate with its standard error (-1 when not available).
struct ClusterEstimate {
    bool valid = false;
    double estimate = 0.0;
    double standardError = -1.0;
};

/// \brief The ratio estimator's auxiliary variable: x per unit and Xbar; without
/// values it is "units", x = 1 for every unit and Xbar = 1 (the mean per unit).
struct ClusterAuxiliary {
    std::span<const double> values;
    double mean = 1.0;
};

/// \brief The direct estimator on the respondents at `positions` (0 marks a
/// nonrespondent; the drawn clusters as in `drawn`): with r_g respondents in drawn
/// cluster g, t_g their total and Yhat_g = N_g t_g / r_g, the estimate is
/// M / (m N) sum_g Yhat_g; no estimate when a drawn cluster has no respondent.
/// SE = sqrt(v), v = (1/N^2) [M^2 (1 - m/M) s2_u / m + (M/m) sum_g N_g^2 (1 - r_g/N_g)
/// s2_g / r_g], s2_u the variance of the m values Yhat_g (divisor m - 1), s2_g the
/// respondents' variance (divisor r_g - 1), a cluster with r_g = N_g adding 0;
/// -1 when some r_g = 1 < N_g.
ClusterEstimate EstimateClusterDirect(std::span<const std::int32_t> positions, const ClusterSample& drawn,
                                      const Clusters& clusters, std::span<const double> target);

/// \brief The ratio estimator: Xbar Rhat, Rhat = sum_g Yhat_g / sum_g Xhat_g, Xhat_g
/// = N_g (respondents' x total) / r_g; no estimate when a drawn cluster has no
/// respondent or sum_g Xhat_g <= 0. SE: the direct one's formula on the residual
/// totals Dhat_g = Yhat_g - Rhat Xhat_g with s2_g the respondents' variance of
/// d = y - Rhat x.
ClusterEstimate EstimateClusterRatio(std::span<const std::int32_t> positions, const ClusterSample& drawn,
                                     const Clusters& clusters, std::span<const double> target,
                                     const ClusterAuxiliary& auxiliary);

/// \brief Direct estimator, full response: mean Ybar, V = (1/N^2) [M^2 (1 - m/M)
/// S2_u / m + (M/m) sum_g N_g^2 (1 - k_g/N_g) S2_g / k_g] over all M clusters (exact),
/// S2_u the variance of the M cluster totals (divisor M - 1), S2_g the variance in
/// cluster g (divisor N_g - 1, 0 when N_g = 1); one stage: the second term is 0.
/// The standard error is not available when the design is refused.
TheoreticalProperties ClusterDirectTheory(const Clusters& clusters, const ClusterDesign& design,
                                          std::span<const double> target);

/// \brief Ratio estimator, full response: mean Ybar; V the direct formula on
/// d = y - R x with R = Ybar / Xbar, a first-order approximation.
TheoreticalProperties ClusterRatioTheory(const Clusters& clusters, const ClusterDesign& design,
                                         std::span<const double> target, const ClusterAuxiliary& auxiliary);

/// \brief nbar, the expected number of units: m N / M (one stage), (m / M) sum_g k_g
/// (two stages).
double ExpectedClusterSampleUnits(const Clusters& clusters, const ClusterDesign& design);

/// \brief V / ((1/nbar - 1/N) S2), S2 the target's variance (divisor N - 1) and nbar
/// the expected number of units (n for designs of fixed size); nothing when V is
/// undefined or the denominator is not above 0.
std::optional<double> DesignEffect(std::optional<double> variance, double expectedUnits, int populationSize,
                                   double populationVariance);

/// \brief The ANOVA intraclass correlation (MSB - MSW) / (MSB + (n0 - 1) MSW),
/// MSB = sum_g N_g (Ybar_g - Ybar)^2 / (M - 1), MSW = sum_g sum_i (y_i - Ybar_g)^2 / (N - M),
/// n0 = (N - sum_g N_g^2 / N) / (M - 1); nothing where it divides by 0.
std::optional<double> IntraclassCorrelation(const Clusters& clusters, std::span<const double> target);

/// \brief What the cluster dialog shows of the clusters and the design.
struct ClusterSummary {
    int clusters = 0;  ///< M
    int smallest = 0;
    double meanSize = 0.0;  ///< N / M
    int largest = 0;
    double expectedUnits = 0.0;  ///< nbar
};
ClusterSummary SummarizeClusters(const Clusters& clusters, const ClusterDesign& design);
