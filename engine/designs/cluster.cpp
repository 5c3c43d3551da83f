// Cluster sampling (every unit of m clusters drawn with equal probabilities) and
// two-stage sampling (then k units in each drawn cluster), with their own
// estimators and theory: the clusters' totals carry the design.

#include <map>

#include "core/cluster_sampling.h"
#include "core/random_sampling.h"
#include "engine/designs/compare_fields.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"

namespace {

double MeanOf(const std::vector<double>& values)
{
    double sum = 0.0;
    for (const double value : values) {
        sum += value;
    }
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

ClusterDesign ClusterDesignOf(const DesignChoice& choice)
{
    return {choice.clusters, choice.design == DesignTwoStage, choice.unitsPerCluster};
}

/// The population's clusters and values as a run or the theory reads them.
class ClusterPopulation {
public:
    explicit ClusterPopulation(const DesignChoice& choice)
        : clusters_(FormClusters(VariableValues(choice.variable))),
          design_(ClusterDesignOf(choice)),
          target_(VariableValues(SimulationState.targetVariable))
    {}

    bool Usable() const { return CheckClusterDesign(clusters_, design_).empty(); }
    const Clusters& clusters() const { return clusters_; }
    const ClusterDesign& design() const { return design_; }
    const std::vector<double>& target() const { return target_; }

    /// x per unit and Xbar; variable 0: the units themselves.
    ClusterAuxiliary Auxiliary(int variable) const
    {
        if (variable == 0) {
            return {};
        }
        auto found = auxiliaries_.find(variable);
        if (found == auxiliaries_.end()) {
            found = auxiliaries_.emplace(variable, VariableValues(variable)).first;
        }
        return {found->second, MeanOf(found->second)};
    }

private:
    Clusters clusters_;
    ClusterDesign design_;
    std::vector<double> target_;
    mutable std::map<int, std::vector<double>> auxiliaries_;
};

class Prepared final : public PreparedDesign {
public:
    explicit Prepared(const DesignChoice& choice) : population_(choice) {}

    /// The drawn units at positions 1.., then nonresponse over every position;
    /// settings the population refuses give a sample without respondents.
    void Draw() const override
    {
        if (!population_.Usable()) {
            SimulationState.drawnPositions = 0;
            SimulationState.respondentCount = 0;
            return;
        }
        DrawClusterSample(RandomGenerator, population_.clusters(), population_.design(), sample_);
        const int positions = static_cast<int>(sample_.units.size());
        SimulationState.drawnPositions = positions;
        for (int j = 1; j <= positions; ++j) {
            SimulationState.sampleUnits[j] = sample_.units[j - 1];
        }
        SimulationState.respondentCount = positions;
        if (SimulationState.nonresponseOn) {
            GenerateNonresponse();
        }
    }

    std::optional<SampleEstimate> Estimate(std::int32_t estimator, int auxiliaryVariable,
                                           bool withStandardError) const override
    {
        const std::span<const std::int32_t> positions = RecordSample().positions;
        ClusterEstimate result;
        if (estimator == EstimatorDirect) {
            result = EstimateClusterDirect(positions, sample_, population_.clusters(), population_.target());
        } else if (estimator == EstimatorRatio) {
            result = EstimateClusterRatio(positions, sample_, population_.clusters(), population_.target(),
                                          population_.Auxiliary(auxiliaryVariable));
        }
        SampleEstimate estimate;
        estimate.valid = result.valid;
        estimate.estimate = result.estimate;
        estimate.standardError = withStandardError ? result.standardError : -1.0;
        estimate.varianceDefined = result.standardError >= 0.0;
        return estimate;
    }

private:
    ClusterPopulation population_;
    mutable ClusterSample sample_;
};

template <DesignCode code>
class ClusterFamily final : public SamplingDesign {
public:
    static constexpr bool TwoStage = code == DesignTwoStage;

    std::int32_t Code() const override { return code; }
    std::string_view Name() const override { return TwoStage ? "two-stage" : "cluster"; }
    std::string Caption(const DesignChoice& choice) const override
    {
        return std::string(TwoStage ? "Two stages, clusters by " : "Clusters by ") +
               VariableNameOrDash(choice.variable);
    }
    std::string EstimatorRefusal(std::int32_t estimator) const override
    {
        return estimator == EstimatorDirect || estimator == EstimatorRatio ? "" : ClusterEstimatorsMessage;
    }
    /// Its direct estimator needs the drawn clusters: only the prepared draws serve it.
    const Estimator* Serving(const Estimator& asked) const override
    {
        return asked.Code() == EstimatorDirect ? nullptr : &asked;
    }
    bool OffersUnitsAsAuxiliary() const override { return true; }
    DesignChoice RecordChoice() const override
    {
        const TSimulationState& s = SimulationState;
        return {Code(), s.clusterVariable, 0, s.clusterCount, TwoStage ? s.unitsPerCluster : 0};
    }
    std::string Refusal(const DesignChoice& choice, int) const override
    {
        return CheckClusterDesign(FormClusters(VariableValues(choice.variable)), ClusterDesignOf(choice));
    }
    /// "cluster:K:m", "two-stage:K:m:k".
    bool ParseCompareFields(std::span<const std::string> fields, DesignChoice& choice) const override
    {
        choice = {Code(), 0, 0, 0, 0};
        const std::size_t expected = TwoStage ? 3 : 2;
        return fields.size() == expected && ParseCompareVariable(fields[0], choice.variable) &&
               ParseCompareVariable(fields[1], choice.clusters) &&
               (!TwoStage || ParseCompareVariable(fields[2], choice.unitsPerCluster));
    }
    std::optional<TheoreticalProperties> Theory(const DesignChoice& choice, std::int32_t estimator,
                                                int auxiliaryVariable) const override
    {
        const ClusterPopulation population(choice);
        if (estimator == EstimatorDirect) {
            return ClusterDirectTheory(population.clusters(), population.design(), population.target());
        }
        if (estimator == EstimatorRatio) {
            return ClusterRatioTheory(population.clusters(), population.design(), population.target(),
                                      population.Auxiliary(auxiliaryVariable));
        }
        return TheoreticalProperties{};
    }
    double ExpectedUnits(const DesignChoice& choice, int) const override
    {
        const ClusterPopulation population(choice);
        return ExpectedClusterSampleUnits(population.clusters(), population.design());
    }
    std::string SampleSizeText(const DesignChoice& choice, int) const override
    {
        const int count = FormClusters(VariableValues(choice.variable)).Count();
        std::string text = std::to_string(choice.clusters) + " of " + std::to_string(count) + " clusters";
        return TwoStage ? text + ", " + std::to_string(choice.unitsPerCluster) + " units in each" : text;
    }
    std::unique_ptr<PreparedDesign> Prepare(const DesignChoice& choice) const override
    {
        return std::make_unique<Prepared>(choice);
    }
};

}  // namespace

const SamplingDesign& ClusterSamplingDesign()
{
    static const ClusterFamily<DesignCluster> design;
    return design;
}

const SamplingDesign& TwoStageSamplingDesign()
{
    static const ClusterFamily<DesignTwoStage> design;
    return design;
}
