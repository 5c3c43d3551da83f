// The post-stratification estimator sum W_h ybar_h over the post-strata of the
// auxiliary variable's values 1..10.

#include "core/ordering.h"
#include "core/settings.h"
#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

namespace {

std::optional<double> PostStratifiedOfSums(const SystematicSampleSums& sums,
                                           const SystematicTheoryInput& input)
{
    double estimate = 0.0;
    for (int h = 1; h <= input.strata; ++h) {
        if (sums.stratumCount[h] >= 1) {
            estimate = estimate + input.stratumWeights[h] * sums.stratumTotal[h] / sums.stratumCount[h];
        }
    }
    return estimate;
}

class PostStratified final : public Estimator {
public:
    std::int32_t Code() const override { return EstimatorPostStratified; }
    std::string_view Name() const override { return "poststrat"; }
    const std::string& Label() const override { return InterfaceTexts.estimatorNames[4]; }
    std::string VariableRefusal(int auxiliaryVariable) const override
    {
        return PostStrataRefusal(auxiliaryVariable);
    }
    void PrepareInputs(int auxiliaryVariable, EstimatorInputs& inputs) const override
    {
        const PostStrata strata = PostStrataOf(auxiliaryVariable);
        inputs.stratumWeights = strata.weights;
        inputs.stratumCount = strata.count;
    }
    SampleEstimate Estimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                            bool withStandardError) const override
    {
        return PostStratifiedEstimate(sample, inputs, withStandardError);
    }
    TheoreticalProperties Theory(const EstimatorInputs& inputs, int n) const override
    {
        return PostStratifiedTheory(inputs, n);
    }
    SystematicEstimate OnSystematicSums() const override { return &PostStratifiedOfSums; }
    bool ReadsPostStrata() const override { return true; }
};

}  // namespace

const Estimator& PostStratifiedEstimator()
{
    static const PostStratified estimator;
    return estimator;
}
