// The direct estimator: the sample mean where the design draws with equal
// probabilities; the designs with a direct formula of their own serve it with
// that formula.

#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

namespace {

std::optional<double> MeanOfSums(const SystematicSampleSums& sums, const SystematicTheoryInput&)
{
    return sums.sumY / sums.n;
}

class Direct final : public Estimator {
public:
    std::int32_t Code() const override { return EstimatorDirect; }
    std::string_view Name() const override { return "direct"; }
    const std::string& Label() const override { return InterfaceTexts.estimatorNames[1]; }
    bool ReadsAuxiliary() const override { return false; }
    SampleEstimate Estimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                            bool withStandardError) const override
    {
        return SampleMeanEstimate(sample, inputs, withStandardError);
    }
    TheoreticalProperties Theory(const EstimatorInputs& inputs, int n) const override
    {
        return SampleMeanTheory(inputs, n);
    }
    SystematicEstimate OnSystematicSums() const override { return &MeanOfSums; }
};

}  // namespace

const Estimator& DirectEstimator()
{
    static const Direct estimator;
    return estimator;
}
