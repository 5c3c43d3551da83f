// The regression estimator ybar - (xbar - Xbar) b.

#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

namespace {

/// From the sums about Xbar and the target's mean; no estimate when every x of
/// the sample is the same.
std::optional<double> RegressionOfSums(const SystematicSampleSums& sums, const SystematicTheoryInput&)
{
    const double meanX = sums.centredX / sums.n;
    const double meanY = sums.centredY / sums.n;
    const double sxx = sums.centredXX - sums.centredX * meanX;
    const double sxy = sums.centredXY - sums.centredX * meanY;
    if (sums.unequalNeighbours == 0 || !(sxx > 0.0)) {
        return std::nullopt;
    }
    return (sums.targetShift + meanY) - meanX * (sxy / sxx);
}

class Regression final : public Estimator {
public:
    std::int32_t Code() const override { return EstimatorRegression; }
    std::string_view Name() const override { return "regression"; }
    const std::string& Label() const override { return InterfaceTexts.estimatorNames[3]; }
    SampleEstimate Estimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                            bool withStandardError) const override
    {
        return RegressionEstimate(sample, inputs, withStandardError);
    }
    TheoreticalProperties Theory(const EstimatorInputs& inputs, int n) const override
    {
        return RegressionTheory(inputs, n);
    }
    SystematicEstimate OnSystematicSums() const override { return &RegressionOfSums; }
};

}  // namespace

const Estimator& RegressionEstimator()
{
    static const Regression estimator;
    return estimator;
}
