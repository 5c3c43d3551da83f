// Probabilities proportional to a size variable, with replacement, by acceptance
// of a unit drawn at random with probability x_i / max x.

#include "core/number_text.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "engine/designs/compare_fields.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

namespace {

/// Expected trials of one sample above which drawing it takes about a second or
/// more.
constexpr double SlowDrawTrials = 1e8;

class Prepared final : public PreparedDesign {
public:
    explicit Prepared(int sizeVariable) : plan_(PrepareProportionalToSizePlan(sizeVariable)) {}
    void Draw() const override { DrawSampleProportionalToSize(plan_); }
    // One sample of a size far above the others can take billions of trials.
    bool DrawUnlessStopped(const std::function<bool()>& keepGoing) const override
    {
        return DrawSampleProportionalToSize(plan_, keepGoing);
    }

private:
    ProportionalToSizePlan plan_;
};

class ProportionalToSize final : public SamplingDesign {
public:
    std::int32_t Code() const override { return DesignProportionalToSize; }
    std::string_view Name() const override { return "pps"; }
    std::string Caption(const DesignChoice& choice) const override
    {
        return InterfaceTexts.statisticsTexts[15] + VariableNameOrDash(choice.variable);
    }
    std::string EstimatorRefusal(std::int32_t estimator) const override
    {
        return estimator == EstimatorDirect ? "" : PpsOnlyDirectMessage;
    }
    const Estimator* Serving(const Estimator& asked) const override
    {
        static const OwnDirectEstimator direct(&ProportionalToSizeEstimate, &ProportionalToSizeTheory);
        return asked.Code() == EstimatorDirect ? &direct : &asked;
    }
    bool VariableIsAuxiliary() const override { return true; }
    DesignChoice RecordChoice() const override { return {Code(), SimulationState.auxiliaryVariable, 0}; }
    std::string Refusal(const DesignChoice& choice, int) const override
    {
        return CountNonPositiveValues(choice.variable) > 0 ? AuxiliaryNotPositiveMessage : "";
    }
    std::string SlowDrawWarning(const DesignChoice& choice, int n) const override
    {
        const double trials =
            ExpectedProportionalToSizeTrials(PrepareProportionalToSizePlan(choice.variable), n);
        if (trials <= SlowDrawTrials) {
            return "";
        }
        return "Drawing one sample takes about " + SignificantText(trials, 2) +
               " trials, as the largest size is far above the others: each sample can take a second or more!";
    }
    bool ParseCompareFields(std::span<const std::string> fields, DesignChoice& choice) const override
    {
        choice = {Code(), 0, 0};
        return fields.size() == 1 && ParseCompareVariable(fields[0], choice.variable);
    }
    std::unique_ptr<PreparedDesign> Prepare(const DesignChoice& choice) const override
    {
        return std::make_unique<Prepared>(choice.variable);
    }
};

}  // namespace

const SamplingDesign& ProportionalToSizeDesign()
{
    static const ProportionalToSize design;
    return design;
}
