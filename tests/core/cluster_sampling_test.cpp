#include "core/cluster_sampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace {

using Units = std::vector<std::int32_t>;

/// The generator's state after `steps` steps, by its recurrence.
std::uint32_t SeedAfter(std::uint32_t seed, int steps)
{
    for (int i = 0; i < steps; ++i) {
        seed = seed * 134775813u + 1u;
    }
    return seed;
}

// Clusters 0 (units 2, 4, 10, one of them -0), 1.5 (3, 7, 12), 3 (1, 5, 8, 11), 7 (6, 9).
const std::vector<double> SmallLabels = {3, -0.0, 1.5, 0, 3, 7, 1.5, 3, 7, 0, 3, 1.5};

// Cluster 0 of 20 units, then 39 clusters of one unit: M = 40, so that both the
// clusters and the large cluster are drawn without laying the list out.
std::vector<double> LargeLabels()
{
    std::vector<double> labels(20, 0.0);
    for (int g = 1; g <= 39; ++g) {
        labels.push_back(g);
    }
    return labels;
}

TEST(ClusterSamplingTest, FormsClustersByNumericValue)
{
    const Clusters clusters = FormClusters(SmallLabels);
    EXPECT_EQ(clusters.labels, (std::vector<double>{0, 1.5, 3, 7}));
    EXPECT_FALSE(std::signbit(clusters.labels[0]));
    EXPECT_EQ(clusters.first, (Units{0, 3, 6, 10, 12}));
    EXPECT_EQ(clusters.units, (Units{2, 4, 10, 3, 7, 12, 1, 5, 8, 11, 6, 9}));
    EXPECT_EQ(clusters.numbers, (Units{1, 2, 3, 4}));
}

// Expected draws written out from the definition (the list laid anew at every
// draw) by hand-run reference arithmetic of the generator.
TEST(ClusterSamplingTest, DrawsInTheDefinedOrderOfRandomNumbers)
{
    struct Draw {
        const char* name;
        std::vector<double> labels;
        ClusterDesign design;
        std::uint32_t seed;
        Units clusters;
        Units starts;
        Units units;
        int randomNumbers;
    };
    const std::vector<Draw> draws = {
        {"one stage", SmallLabels, {2, false, 0}, 12345u, {2, 1}, {0, 3}, {3, 7, 12, 2, 4, 10}, 2},
        {"two stages", SmallLabels, {3, true, 2}, 12345u, {2, 1, 3}, {0, 2, 4}, {7, 12, 4, 2, 1, 5}, 9},
        {"two stages, sparse", LargeLabels(), {3, true, 2}, 10u, {13, 14, 1}, {0, 1, 2}, {32, 33, 3, 16}, 7},
        {"again from there",
         LargeLabels(),
         {3, true, 2},
         3220079629u,
         {11, 37, 40},
         {0, 1, 2},
         {30, 56, 59},
         6},
    };
    ClusterSample sample;
    for (const Draw& draw : draws) {
        SCOPED_TRACE(draw.name);
        const Clusters clusters = FormClusters(draw.labels);
        TRandomGenerator generator{draw.seed};
        DrawClusterSample(generator, clusters, draw.design, sample);
        EXPECT_EQ(sample.clusters, draw.clusters);
        EXPECT_EQ(sample.starts, draw.starts);
        EXPECT_EQ(sample.units, draw.units);
        EXPECT_EQ(generator.seed, SeedAfter(draw.seed, draw.randomNumbers));
    }
}

TEST(ClusterSamplingTest, RefusesInTheGivenOrder)
{
    const Clusters one = FormClusters(std::vector<double>{-0.0, 0.0, 0.0});
    const Clusters three = FormClusters(std::vector<double>{1, 2, 3, 3});
    struct Case {
        const char* name;
        const Clusters& clusters;
        ClusterDesign design;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {"one cluster", one, {1, true, 1}, FewerThanTwoClustersMessage},
        {"m above M", three, {4, true, 1}, "The number of clusters must lie between 2 and 3!"},
        {"m below 2", three, {1, false, 0}, "The number of clusters must lie between 2 and 3!"},
        {"k below 2", three, {3, true, 1}, UnitsPerClusterMessage},
        {"one stage ignores k", three, {2, false, 0}, ""},
        {"k above every N_g", three, {2, true, 9}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckClusterDesign(c.clusters, c.design), c.refusal) << c.name;
    }
}

// A population of four clusters of 3, 4, 2 and 1 units.
const std::vector<double> PopulationLabels = {1, 1, 1, 2, 2, 2, 2, 3, 3, 4};
const std::vector<double> PopulationY = {4, 7, 1, 12, 9, 15, 10, 3, 5, 8};
const std::vector<double> PopulationX = {2, 3, 1, 5, 4, 6, 5, 1, 2, 3};

double MeanOf(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

/// Every k-subset of `items`, in increasing order.
std::vector<Units> Subsets(const Units& items, int k)
{
    std::vector<Units> subsets;
    Units chosen;
    std::function<void(std::size_t)> extend = [&](std::size_t next) {
        if (static_cast<int>(chosen.size()) == k) {
            subsets.push_back(chosen);
            return;
        }
        for (std::size_t i = next; i < items.size(); ++i) {
            chosen.push_back(items[i]);
            extend(i + 1);
            chosen.pop_back();
        }
    };
    extend(0);
    return subsets;
}

/// Calls `visit` with every possible sample of the design and its probability.
void EnumerateSamples(const Clusters& clusters, const ClusterDesign& design,
                      const std::function<void(const ClusterSample&, double)>& visit)
{
    const std::vector<Units> clusterSamples = Subsets(clusters.numbers, design.clusters);
    for (const Units& drawn : clusterSamples) {
        std::function<void(std::size_t, ClusterSample, double)> extend =
            [&](std::size_t j, ClusterSample sample, double probability) {
                if (j == drawn.size()) {
                    visit(sample, probability);
                    return;
                }
                const Units members(clusters.UnitsOf(drawn[j]).begin(), clusters.UnitsOf(drawn[j]).end());
                const int size = static_cast<int>(members.size());
                const int take = design.twoStage ? std::min(design.unitsPerCluster, size) : size;
                const std::vector<Units> choices = Subsets(members, take);
                sample.clusters.push_back(drawn[j]);
                sample.starts.push_back(static_cast<std::int32_t>(sample.units.size()));
                for (const Units& choice : choices) {
                    ClusterSample longer = sample;
                    longer.units.insert(longer.units.end(), choice.begin(), choice.end());
                    extend(j + 1, longer, probability / static_cast<double>(choices.size()));
                }
            };
        extend(0, {}, 1.0 / static_cast<double>(clusterSamples.size()));
    }
}

/// The expansion estimate of the mean of z: M / (m N) sum_g N_g zbar_g.
double ExpansionEstimate(const Clusters& clusters, const ClusterSample& sample, const std::vector<double>& z)
{
    double sum = 0.0;
    for (std::size_t j = 0; j < sample.clusters.size(); ++j) {
        const std::size_t end = j + 1 < sample.clusters.size() ? sample.starts[j + 1] : sample.units.size();
        double total = 0.0;
        for (std::size_t p = sample.starts[j]; p < end; ++p) {
            total += z[sample.units[p] - 1];
        }
        sum += clusters.Size(sample.clusters[j]) * total / static_cast<double>(end - sample.starts[j]);
    }
    return clusters.Count() * sum / (static_cast<double>(sample.clusters.size()) * clusters.UnitCount());
}

// Over every possible sample: the direct estimator is unbiased, its exact variance
// is the theory's, and its variance estimator is unbiased; the ratio's theory is
// the exact variance of the expansion estimator of the residuals d = y - R x.
TEST(ClusterSamplingTest, TheoryAndVarianceEstimatorMatchEveryPossibleSample)
{
    const Clusters clusters = FormClusters(PopulationLabels);
    const double meanY = MeanOf(PopulationY);
    const double meanX = MeanOf(PopulationX);
    const std::vector<ClusterDesign> designs = {{2, false, 0}, {3, false, 0}, {2, true, 2}, {3, true, 3}};
    for (const ClusterDesign& design : designs) {
        SCOPED_TRACE("m " + std::to_string(design.clusters) +
                     (design.twoStage ? " two stages" : " one stage"));
        struct Residuals {
            const char* name;
            ClusterAuxiliary auxiliary;
            std::vector<double> d;
        };
        std::vector<Residuals> ratios = {{"x", {PopulationX, meanX}, {}}, {"units", {}, {}}};
        for (std::size_t i = 0; i < PopulationY.size(); ++i) {
            ratios[0].d.push_back(PopulationY[i] - meanY / meanX * PopulationX[i]);
            ratios[1].d.push_back(PopulationY[i] - meanY);
        }
        double expectation = 0.0;
        double variance = 0.0;
        double varianceEstimate = 0.0;
        std::vector<double> ratioVariances(ratios.size(), 0.0);
        EnumerateSamples(clusters, design, [&](const ClusterSample& sample, double probability) {
            const double independent = ExpansionEstimate(clusters, sample, PopulationY);
            const ClusterEstimate estimate =
                EstimateClusterDirect(sample.units, sample, clusters, PopulationY);
            ASSERT_TRUE(estimate.valid);
            ASSERT_NEAR(estimate.estimate, independent, 1e-12);
            expectation += probability * independent;
            variance += probability * (independent - meanY) * (independent - meanY);
            varianceEstimate += probability * estimate.standardError * estimate.standardError;
            for (std::size_t r = 0; r < ratios.size(); ++r) {
                const double residualMean = ExpansionEstimate(clusters, sample, ratios[r].d);
                ratioVariances[r] += probability * residualMean * residualMean;
            }
        });
        EXPECT_NEAR(expectation, meanY, 1e-12);
        const TheoreticalProperties direct = ClusterDirectTheory(clusters, design, PopulationY);
        EXPECT_EQ(direct.mean, meanY);
        ASSERT_TRUE(direct.stdErrorAvailable);
        EXPECT_NEAR(direct.stdError * direct.stdError, variance, 1e-12 * variance);
        EXPECT_NEAR(varianceEstimate, variance, 1e-12 * variance);
        for (std::size_t r = 0; r < ratios.size(); ++r) {
            const TheoreticalProperties ratio =
                ClusterRatioTheory(clusters, design, PopulationY, ratios[r].auxiliary);
            ASSERT_TRUE(ratio.stdErrorAvailable) << ratios[r].name;
            EXPECT_EQ(ratio.mean, meanY);
            EXPECT_NEAR(ratio.stdError * ratio.stdError, ratioVariances[r], 1e-12 * ratioVariances[r])
                << ratios[r].name;
        }
    }
}

TEST(ClusterSamplingTest, EstimatesWithNonrespondents)
{
    const Clusters clusters = FormClusters(PopulationLabels);
    // Clusters 2 (units 4..7) and 1 (units 1..3), in that order.
    const ClusterSample drawn{{4, 5, 6, 7, 1, 2, 3}, {2, 1}, {0, 4}};
    const ClusterAuxiliary units;

    // Respondents 4, 6 (y 12, 15) and 1, 3 (y 4, 1): Yhat = 4 * 27/2 = 54 and
    // 3 * 5/2 = 7.5; direct 4/(2*10) * 61.5 = 12.3; mean per unit 61.5 / 7.
    const Units twoEach = {4, 0, 6, 0, 1, 0, 3};
    const ClusterEstimate direct = EstimateClusterDirect(twoEach, drawn, clusters, PopulationY);
    EXPECT_TRUE(direct.valid);
    EXPECT_NEAR(direct.estimate, 12.3, 1e-12);
    // v = (1/100) [16 (1/2) s2_u / 2 + 2 (16 (1/2) 4.5/2 + 9 (1/3) 4.5/2)],
    // s2_u = (54 - 7.5)^2 / 2.
    const double s2u = 46.5 * 46.5 / 2;
    EXPECT_NEAR(direct.standardError, std::sqrt((4 * s2u + 2 * (18 + 6.75)) / 100), 1e-12);
    const ClusterEstimate perUnit = EstimateClusterRatio(twoEach, drawn, clusters, PopulationY, units);
    EXPECT_TRUE(perUnit.valid);
    EXPECT_NEAR(perUnit.estimate, 61.5 / 7, 1e-12);
    // With x (5, 6 and 2, 1): Xhat = 22 and 4.5, R = 61.5 / 26.5, residual totals
    // 54 - 22 R and 7.5 - 4.5 R, residual variances (3 - R)^2 / 2 in both clusters.
    const double r = 61.5 / 26.5;
    const ClusterEstimate ratio =
        EstimateClusterRatio(twoEach, drawn, clusters, PopulationY, {PopulationX, 3.2});
    EXPECT_NEAR(ratio.estimate, 3.2 * r, 1e-12);
    const double residualS2u = (46.5 - 17.5 * r) * (46.5 - 17.5 * r) / 2;
    EXPECT_NEAR(ratio.standardError, std::sqrt((4 * residualS2u + 11 * (3 - r) * (3 - r) / 2) / 100), 1e-12);

    struct Case {
        const char* name;
        Units positions;
        bool valid;
        bool withStandardError;
    };
    const std::vector<Case> cases = {
        {"a cluster without respondents", {4, 5, 6, 7, 0, 0, 0}, false, false},
        {"one respondent of three", {4, 5, 6, 7, 0, 2, 0}, true, false},
        {"every unit", {4, 5, 6, 7, 1, 2, 3}, true, true},
    };
    for (const Case& c : cases) {
        for (const ClusterEstimate& estimate :
             {EstimateClusterDirect(c.positions, drawn, clusters, PopulationY),
              EstimateClusterRatio(c.positions, drawn, clusters, PopulationY, units),
              EstimateClusterRatio(c.positions, drawn, clusters, PopulationY,
                                   {PopulationX, MeanOf(PopulationX)})}) {
            EXPECT_EQ(estimate.valid, c.valid) << c.name;
            EXPECT_EQ(estimate.standardError >= 0.0, c.withStandardError) << c.name;
        }
    }
    const std::vector<double> negativeX = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_FALSE(EstimateClusterRatio(twoEach, drawn, clusters, PopulationY, {negativeX, -1.0}).valid);
}

TEST(ClusterSamplingTest, DesignEffectIntraclassCorrelationAndSummary)
{
    // Clusters of one unit: one-stage cluster sampling is simple random sampling.
    const std::vector<double> y = {3, 8, 1, 9, 4, 6};
    const Clusters singles = FormClusters(std::vector<double>{6, 5, 4, 3, 2, 1});
    const ClusterDesign four{4, false, 0};
    const TheoreticalProperties theory = ClusterDirectTheory(singles, four, y);
    double squares = 0.0;
    for (const double value : y) {
        squares += (value - MeanOf(y)) * (value - MeanOf(y));
    }
    const double s2 = squares / 5;
    const std::optional<double> effect =
        DesignEffect(theory.stdError * theory.stdError, ExpectedClusterSampleUnits(singles, four), 6, s2);
    ASSERT_TRUE(effect);
    EXPECT_NEAR(*effect, 1.0, 1e-12);
    EXPECT_FALSE(IntraclassCorrelation(singles, y));

    EXPECT_FALSE(DesignEffect(std::nullopt, 4, 6, s2));
    EXPECT_FALSE(DesignEffect(1.0, 6, 6, s2));
    EXPECT_FALSE(DesignEffect(1.0, 4, 6, 0.0));
    EXPECT_NEAR(*DesignEffect(2.0, 4, 6, 3.0), 2.0 / ((0.25 - 1.0 / 6) * 3.0), 1e-12);

    // Two clusters {1, 2}, {3, 4}: MSB 4, MSW 0.5, n0 2, so (4 - 0.5) / (4 + 0.5).
    const Clusters pairs = FormClusters(std::vector<double>{0, 0, 1, 1});
    EXPECT_NEAR(*IntraclassCorrelation(pairs, std::vector<double>{1, 2, 3, 4}), 3.5 / 4.5, 1e-12);
    EXPECT_FALSE(IntraclassCorrelation(pairs, std::vector<double>{5, 5, 5, 5}));

    const Clusters clusters = FormClusters(PopulationLabels);
    const ClusterSummary oneStage = SummarizeClusters(clusters, {2, false, 0});
    EXPECT_EQ(oneStage.clusters, 4);
    EXPECT_EQ(oneStage.smallest, 1);
    EXPECT_EQ(oneStage.meanSize, 2.5);
    EXPECT_EQ(oneStage.largest, 4);
    EXPECT_EQ(oneStage.expectedUnits, 5.0);
    // (2/4) (2 + 2 + 2 + 1).
    EXPECT_EQ(SummarizeClusters(clusters, {2, true, 2}).expectedUnits, 3.5);
}

}  // namespace
