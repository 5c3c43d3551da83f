// The ratio estimator Xbar ybar / xbar.

#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

namespace {

std::optional<double> RatioOfSums(const SystematicSampleSums& sums, const SystematicTheoryInput& input)
{
    if (!(sums.sumX > 0.0)) {
        return std::nullopt;
    }
    return input.auxiliaryMean * (sums.sumY / sums.sumX);
}

class Ratio final : public Estimator {
public:
    std::int32_t Code() const override { return EstimatorRatio; }
    std::string_view Name() const override { return "ratio"; }
    const std::string& Label() const override { return InterfaceTexts.estimatorNames[2]; }
    SampleEstimate Estimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                            bool withStandardError) const override
    {
        return RatioEstimate(sample, inputs, withStandardError);
    }
    TheoreticalProperties Theory(const EstimatorInputs& inputs, int n) const override
    {
        return RatioTheory(inputs, n);
    }
    SystematicEstimate OnSystematicSums() const override { return &RatioOfSums; }
};

}  // namespace

const Estimator& RatioEstimator()
{
    static const Ratio estimator;
    return estimator;
}
