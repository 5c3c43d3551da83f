#include "core/cluster_sampling.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "core/standard_error.h"

namespace {

/// Increasing order with every not-a-number after all numbers and equal to each
/// other, so that sorting stays defined whatever the values.
bool LabelBefore(double a, double b)
{
    return std::isnan(a) ? false : (std::isnan(b) || a < b);
}

bool SameLabel(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

double Sum(std::span<const double> values)
{
    return std::accumulate(values.begin(), values.end(), 0.0);
}

/// The sum of squared deviations from the mean of the `count` values valueAt(0),
/// valueAt(1), ...: two passes, so that a constant gives exactly 0.
template <typename ValueAt>
double SquaredDeviations(std::size_t count, ValueAt valueAt)
{
    if (count == 0) {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += valueAt(i);
    }
    const double mean = sum / static_cast<double>(count);
    double squares = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double deviation = valueAt(i) - mean;
        squares += deviation * deviation;
    }
    return squares;
}

/// Divisor n - 1; 0 for fewer than two values.
template <typename ValueAt>
double VarianceOf(std::size_t count, ValueAt valueAt)
{
    return count < 2 ? 0.0 : SquaredDeviations(count, valueAt) / static_cast<double>(count - 1);
}

double VarianceOf(std::span<const double> values)
{
    return VarianceOf(values.size(), [values](std::size_t i) { return values[i]; });
}

/// N_g^2 (1 - n_g/N_g) s2_g / n_g; 0 when the whole cluster is seen.
double WithinTerm(int size, int taken, double variance)
{
    if (taken >= size) {
        return 0.0;
    }
    const double clusterSize = size;
    return clusterSize * clusterSize * (1.0 - taken / clusterSize) * variance / taken;
}

/// (1/N^2) [M^2 (1 - m/M) s2_u / m + (M/m) within].
double CombinedVariance(int clusterCount, int drawn, int units, double totalsVariance, double within)
{
    const double count = clusterCount;
    const double unitCount = units;
    return (count * count * (1.0 - drawn / count) * totalsVariance / drawn + count / drawn * within) /
           (unitCount * unitCount);
}

bool DesignAccepted(const Clusters& clusters, const ClusterDesign& design)
{
    return CheckClusterDesign(clusters, design).empty();
}

/// k_g: the units a drawn cluster gives the sample.
int UnitsTaken(const Clusters& clusters, const ClusterDesign& design, int g)
{
    return design.twoStage ? std::clamp(design.unitsPerCluster, 0, clusters.Size(g)) : clusters.Size(g);
}

/// The theoretical variance of the direct estimator of the mean of z (one value
/// per unit, by `valueOf`) under an accepted design.
template <typename ValueOf>
double TheoreticalVariance(const Clusters& clusters, const ClusterDesign& design, ValueOf valueOf)
{
    const int count = clusters.Count();
    std::vector<double> totals(static_cast<std::size_t>(count));
    std::vector<double> values;
    double within = 0.0;
    for (int g = 1; g <= count; ++g) {
        values.clear();
        for (const std::int32_t unit : clusters.UnitsOf(g)) {
            values.push_back(valueOf(unit));
        }
        totals[g - 1] = Sum(values);
        const int taken = UnitsTaken(clusters, design, g);
        if (taken < clusters.Size(g)) {
            within += WithinTerm(clusters.Size(g), taken, VarianceOf(values));
        }
    }
    return CombinedVariance(count, design.clusters, clusters.UnitCount(), VarianceOf(totals), within);
}

/// The respondents of a drawn sample, cluster by cluster: their y and x in
/// position order, and per drawn cluster N_g, r_g and where its respondents start.
struct Respondents {
    struct Cluster {
        int size = 0;
        int count = 0;
        std::size_t first = 0;
    };
    std::vector<Cluster> clusters;
    std::vector<double> y;
    std::vector<double> x;

    std::span<const double> Of(const std::vector<double>& values, const Cluster& cluster) const
    {
        return std::span(values).subspan(cluster.first, static_cast<std::size_t>(cluster.count));
    }
};

bool ValuesCover(const Clusters& clusters, std::span<const double> values)
{
    return values.size() >= static_cast<std::size_t>(clusters.UnitCount());
}

/// Nothing when the drawn clusters do not describe `positions` or a drawn cluster
/// has no respondent. x only for the ratio: 1 without auxiliary values.
std::optional<Respondents> GatherRespondents(std::span<const std::int32_t> positions,
                                             const ClusterSample& drawn, const Clusters& clusters,
                                             std::span<const double> target,
                                             const ClusterAuxiliary* ratioAuxiliary)
{
    const std::size_t count = drawn.clusters.size();
    if (count == 0 || drawn.starts.size() != count || !ValuesCover(clusters, target)) {
        return std::nullopt;
    }
    const auto units = static_cast<std::int32_t>(target.size());
    const std::span<const double> auxiliary =
        ratioAuxiliary ? ratioAuxiliary->values : std::span<const double>{};
    Respondents respondents;
    respondents.clusters.resize(count);
    respondents.y.reserve(positions.size());
    if (ratioAuxiliary) {
        respondents.x.reserve(positions.size());
    }
    for (std::size_t j = 0; j < count; ++j) {
        const std::int32_t g = drawn.clusters[j];
        const auto start = static_cast<std::size_t>(drawn.starts[j]);
        const std::size_t end =
            j + 1 < count ? static_cast<std::size_t>(drawn.starts[j + 1]) : positions.size();
        if (g < 1 || g > clusters.Count() || drawn.starts[j] < 0 || start > end || end > positions.size()) {
            return std::nullopt;
        }
        Respondents::Cluster& cluster = respondents.clusters[j];
        cluster.size = clusters.Size(g);
        cluster.first = respondents.y.size();
        for (std::size_t p = start; p < end; ++p) {
            const std::int32_t unit = positions[p];
            if (unit < 1 || unit > units) {
                continue;
            }
            respondents.y.push_back(target[unit - 1]);
            if (ratioAuxiliary) {
                respondents.x.push_back(auxiliary.empty() ? 1.0 : auxiliary[unit - 1]);
            }
        }
        cluster.count = static_cast<int>(respondents.y.size() - cluster.first);
        if (cluster.count == 0) {
            return std::nullopt;
        }
    }
    return respondents;
}

/// N_g t_g / r_g.
double EstimatedTotal(const Respondents::Cluster& cluster, std::span<const double> values)
{
    return cluster.size * Sum(values) / cluster.count;
}

/// The standard error of the direct estimator's formula with `totals` as the
/// estimated cluster totals and `variances` as the respondents' variances.
double EstimatedStandardError(const Respondents& respondents, const Clusters& clusters,
                              std::span<const double> totals, std::span<const double> variances)
{
    const int drawn = static_cast<int>(totals.size());
    if (drawn < 2) {
        return -1.0;
    }
    double within = 0.0;
    for (std::size_t j = 0; j < respondents.clusters.size(); ++j) {
        const Respondents::Cluster& cluster = respondents.clusters[j];
        if (cluster.count == 1 && cluster.size > 1) {
            return -1.0;
        }
        within += WithinTerm(cluster.size, cluster.count, variances[j]);
    }
    const double variance =
        CombinedVariance(clusters.Count(), drawn, clusters.UnitCount(), VarianceOf(totals), within);
    return RootOfVariance(variance).value_or(-1.0);
}

double PopulationMean(std::span<const double> target, int units)
{
    return Sum(target.first(static_cast<std::size_t>(units))) / units;
}

TheoreticalProperties WithVariance(double mean, std::optional<double> variance)
{
    TheoreticalProperties properties;
    properties.mean = mean;
    properties.meanAvailable = std::isfinite(mean);
    const std::optional<double> standardError = variance ? RootOfVariance(*variance) : std::nullopt;
    properties.stdError = standardError.value_or(0.0);
    properties.stdErrorAvailable = standardError.has_value();
    return properties;
}

}  // namespace

std::string ClusterCountMessage(int clusterCount)
{
    return "The number of clusters must lie between 2 and " + std::to_string(clusterCount) + "!";
}

Clusters FormClusters(std::span<const double> values)
{
    std::vector<std::pair<double, std::int32_t>> byValue;
    byValue.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        byValue.emplace_back(values[i], static_cast<std::int32_t>(i + 1));
    }
    std::sort(byValue.begin(), byValue.end(), [](const auto& a, const auto& b) {
        return LabelBefore(a.first, b.first) || (!LabelBefore(b.first, a.first) && a.second < b.second);
    });
    Clusters clusters;
    clusters.units.reserve(values.size());
    for (std::size_t i = 0; i < byValue.size(); ++i) {
        if (i == 0 || !SameLabel(byValue[i].first, byValue[i - 1].first)) {
            if (i > 0) {
                clusters.first.push_back(static_cast<std::int32_t>(i));
            }
            // + 0.0 makes a cluster of -0 and 0 carry the label 0.
            clusters.labels.push_back(byValue[i].first + 0.0);
        }
        clusters.units.push_back(byValue[i].second);
    }
    if (!byValue.empty()) {
        clusters.first.push_back(static_cast<std::int32_t>(byValue.size()));
    }
    clusters.numbers.resize(clusters.labels.size());
    std::iota(clusters.numbers.begin(), clusters.numbers.end(), 1);
    return clusters;
}

std::string CheckClusterDesign(const Clusters& clusters, const ClusterDesign& design)
{
    const int count = clusters.Count();
    if (count < 2) {
        return FewerThanTwoClustersMessage;
    }
    if (design.clusters < 2 || design.clusters > count) {
        return ClusterCountMessage(count);
    }
    if (design.twoStage && design.unitsPerCluster < 2) {
        return UnitsPerClusterMessage;
    }
    return {};
}

void DrawClusterSample(TRandomGenerator& generator, const Clusters& clusters, const ClusterDesign& design,
                       ClusterSample& sample)
{
    const int drawn = std::clamp(design.clusters, 0, clusters.Count());
    sample.clusters.resize(static_cast<std::size_t>(drawn));
    DrawFromList(generator, clusters.numbers, sample.clusters);
    sample.starts.resize(static_cast<std::size_t>(drawn));
    std::int32_t total = 0;
    for (int j = 0; j < drawn; ++j) {
        sample.starts[j] = total;
        total += UnitsTaken(clusters, design, sample.clusters[j]);
    }
    sample.units.resize(static_cast<std::size_t>(total));
    for (int j = 0; j < drawn; ++j) {
        const int g = sample.clusters[j];
        const std::span<std::int32_t> into =
            std::span(sample.units).subspan(sample.starts[j], UnitsTaken(clusters, design, g));
        if (design.twoStage) {
            DrawFromList(generator, clusters.UnitsOf(g), into);
        } else {
            std::copy_n(clusters.UnitsOf(g).begin(), into.size(), into.begin());
        }
    }
}

ClusterEstimate EstimateClusterDirect(std::span<const std::int32_t> positions, const ClusterSample& drawn,
                                      const Clusters& clusters, std::span<const double> target)
{
    const std::optional<Respondents> respondents =
        GatherRespondents(positions, drawn, clusters, target, nullptr);
    if (!respondents) {
        return {};
    }
    std::vector<double> totals;
    std::vector<double> variances;
    for (const Respondents::Cluster& cluster : respondents->clusters) {
        const std::span<const double> y = respondents->Of(respondents->y, cluster);
        totals.push_back(EstimatedTotal(cluster, y));
        variances.push_back(VarianceOf(y));
    }
    const double count = clusters.Count();
    const double scale = count / (static_cast<double>(totals.size()) * clusters.UnitCount());
    return {true, scale * Sum(totals), EstimatedStandardError(*respondents, clusters, totals, variances)};
}

ClusterEstimate EstimateClusterRatio(std::span<const std::int32_t> positions, const ClusterSample& drawn,
                                     const Clusters& clusters, std::span<const double> target,
                                     const ClusterAuxiliary& auxiliary)
{
    if (!auxiliary.values.empty() && !ValuesCover(clusters, auxiliary.values)) {
        return {};
    }
    const std::optional<Respondents> respondents =
        GatherRespondents(positions, drawn, clusters, target, &auxiliary);
    if (!respondents) {
        return {};
    }
    std::vector<double> totals;
    std::vector<double> auxiliaryTotals;
    for (const Respondents::Cluster& cluster : respondents->clusters) {
        totals.push_back(EstimatedTotal(cluster, respondents->Of(respondents->y, cluster)));
        auxiliaryTotals.push_back(EstimatedTotal(cluster, respondents->Of(respondents->x, cluster)));
    }
    const double auxiliarySum = Sum(auxiliaryTotals);
    if (!(auxiliarySum > 0.0)) {
        return {};
    }
    const double ratio = Sum(totals) / auxiliarySum;
    std::vector<double> residuals;
    std::vector<double> variances;
    for (std::size_t j = 0; j < respondents->clusters.size(); ++j) {
        const Respondents::Cluster& cluster = respondents->clusters[j];
        const std::span<const double> y = respondents->Of(respondents->y, cluster);
        const std::span<const double> x = respondents->Of(respondents->x, cluster);
        residuals.push_back(totals[j] - ratio * auxiliaryTotals[j]);
        variances.push_back(VarianceOf(y.size(), [&](std::size_t i) { return y[i] - ratio * x[i]; }));
    }
    return {true, auxiliary.mean * ratio,
            EstimatedStandardError(*respondents, clusters, residuals, variances)};
}

TheoreticalProperties ClusterDirectTheory(const Clusters& clusters, const ClusterDesign& design,
                                          std::span<const double> target)
{
    if (clusters.UnitCount() == 0 || !ValuesCover(clusters, target)) {
        return {};
    }
    const double mean = PopulationMean(target, clusters.UnitCount());
    if (!DesignAccepted(clusters, design)) {
        return WithVariance(mean, std::nullopt);
    }
    return WithVariance(
        mean, TheoreticalVariance(clusters, design, [&](std::int32_t unit) { return target[unit - 1]; }));
}

TheoreticalProperties ClusterRatioTheory(const Clusters& clusters, const ClusterDesign& design,
                                         std::span<const double> target, const ClusterAuxiliary& auxiliary)
{
    if (clusters.UnitCount() == 0 || !ValuesCover(clusters, target)) {
        return {};
    }
    const double mean = PopulationMean(target, clusters.UnitCount());
    const bool withAuxiliary = !auxiliary.values.empty();
    const double ratio = mean / auxiliary.mean;
    if (!DesignAccepted(clusters, design) || !std::isfinite(ratio) ||
        (withAuxiliary && !ValuesCover(clusters, auxiliary.values))) {
        return WithVariance(mean, std::nullopt);
    }
    return WithVariance(mean, TheoreticalVariance(clusters, design, [&](std::int32_t unit) {
                            const double x = withAuxiliary ? auxiliary.values[unit - 1] : 1.0;
                            return target[unit - 1] - ratio * x;
                        }));
}

double ExpectedClusterSampleUnits(const Clusters& clusters, const ClusterDesign& design)
{
    const int count = clusters.Count();
    if (count == 0) {
        return 0.0;
    }
    const double drawn = std::clamp(design.clusters, 0, count);
    double units = 0.0;
    for (int g = 1; g <= count; ++g) {
        units += UnitsTaken(clusters, design, g);
    }
    return drawn * units / count;
}

std::optional<double> DesignEffect(std::optional<double> variance, double expectedUnits, int populationSize,
                                   double populationVariance)
{
    const double simpleVariance = (1.0 / expectedUnits - 1.0 / populationSize) * populationVariance;
    if (!variance || !std::isfinite(simpleVariance) || !(simpleVariance > 0.0)) {
        return std::nullopt;
    }
    const double effect = *variance / simpleVariance;
    return std::isfinite(effect) ? std::optional(effect) : std::nullopt;
}

std::optional<double> IntraclassCorrelation(const Clusters& clusters, std::span<const double> target)
{
    const int count = clusters.Count();
    const int units = clusters.UnitCount();
    if (count < 2 || units <= count || !ValuesCover(clusters, target)) {
        return std::nullopt;
    }
    const double mean = PopulationMean(target, units);
    double between = 0.0;
    double within = 0.0;
    double squaredSizes = 0.0;
    std::vector<double> values;
    for (int g = 1; g <= count; ++g) {
        values.clear();
        for (const std::int32_t unit : clusters.UnitsOf(g)) {
            values.push_back(target[unit - 1]);
        }
        const double size = clusters.Size(g);
        const double clusterMean = Sum(values) / size;
        between += size * (clusterMean - mean) * (clusterMean - mean);
        within += SquaredDeviations(values.size(), [&values](std::size_t i) { return values[i]; });
        squaredSizes += size * size;
    }
    const double meanSquareBetween = between / (count - 1);
    const double meanSquareWithin = within / (units - count);
    const double n0 = (units - squaredSizes / units) / (count - 1);
    const double correlation =
        (meanSquareBetween - meanSquareWithin) / (meanSquareBetween + (n0 - 1.0) * meanSquareWithin);
    return std::isfinite(correlation) ? std::optional(correlation) : std::nullopt;
}

ClusterSummary SummarizeClusters(const Clusters& clusters, const ClusterDesign& design)
{
    ClusterSummary summary;
    summary.clusters = clusters.Count();
    if (summary.clusters == 0) {
        return summary;
    }
    summary.smallest = clusters.Size(1);
    for (int g = 1; g <= summary.clusters; ++g) {
        summary.smallest = std::min(summary.smallest, clusters.Size(g));
        summary.largest = std::max(summary.largest, clusters.Size(g));
    }
    summary.meanSize = static_cast<double>(clusters.UnitCount()) / summary.clusters;
    summary.expectedUnits = ExpectedClusterSampleUnits(clusters, design);
    return summary;
}
