// Systematic sampling along a list in file order, ordered by a variable or
// shuffled once per run: a random start and a real step N / n.

#include <algorithm>
#include <cmath>

#include "core/ordering.h"
#include "core/systematic_sampling.h"
#include "engine/designs/compare_fields.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"

namespace {

/// Every estimator has the exact theory over the N possible samples of the list
/// ordered by `inputs.systematicOrder`; in random order, of the list the run
/// shuffled, which is all that run can draw.
TheoreticalProperties ExactTheory(const Estimator& estimator, const EstimatorInputs& inputs, int n)
{
    const std::vector<std::int32_t> order = SystematicTheoryOrder(inputs.systematicOrder);
    const int targetColumn = VariableColumn(inputs.targetVariable);
    const int auxiliaryColumn = VariableColumn(inputs.auxiliaryVariable);
    std::vector<double> target(order.size());
    std::vector<double> auxiliary(order.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        target[place] = UnitValue(order[place], targetColumn);
        auxiliary[place] = UnitValue(order[place], auxiliaryColumn);
    }
    const SystematicTheoryInput input{
        target,
        auxiliary,
        n,
        estimator.OnSystematicSums(),
        estimator.ReadsAuxiliary(),
        inputs.auxiliaryMean,
        inputs.stratumWeights,
        estimator.ReadsPostStrata() ? std::clamp(inputs.stratumCount, 0, MaxStrata) : 0};
    const TheoryValues values = SystematicTheory(input);
    if (!values.mean) {
        return Properties(std::nan(""), std::nullopt);
    }
    return Properties(*values.mean, values.standardError);
}

class Prepared final : public PreparedDesign {
public:
    explicit Prepared(int order)
        : order_(order == SystematicRandomOrder ? RandomSystematicOrder() : SystematicOrder(order))
    {}
    void Draw() const override { DrawSampleSystematic(order_); }

private:
    std::vector<std::int32_t> order_;
};

class Systematic final : public SamplingDesign {
public:
    std::int32_t Code() const override { return DesignSystematic; }
    std::string_view Name() const override { return "systematic"; }
    std::string Caption(const DesignChoice& choice) const override
    {
        const auto& texts = InterfaceTexts.designDetailTexts;
        if (choice.variable == SystematicRandomOrder) {
            return SystematicRandomOrderCaption;
        }
        return choice.variable == 0 ? texts[6] : texts[7] + VariableNameOrDash(choice.variable);
    }
    std::optional<TheoreticalProperties> FormulaTheory(const Estimator& serving,
                                                       const EstimatorInputs& inputs, int n) const override
    {
        return ExactTheory(serving, inputs, n);
    }
    DesignChoice RecordChoice() const override { return {Code(), SimulationState.systematicOrder, 0}; }
    DesignParameters EstimatorParameters(const DesignChoice& choice) const override
    {
        return {Code(), 0, choice.variable};
    }
    /// Nothing (file order), a variable, or "random".
    bool ParseCompareFields(std::span<const std::string> fields, DesignChoice& choice) const override
    {
        choice = {Code(), 0, 0};
        if (fields.size() == 1 && fields[0] == "random") {
            choice.variable = SystematicRandomOrder;
            return true;
        }
        return fields.empty() || (fields.size() == 1 && ParseCompareVariable(fields[0], choice.variable));
    }
    std::unique_ptr<PreparedDesign> Prepare(const DesignChoice& choice) const override
    {
        return std::make_unique<Prepared>(choice.variable);
    }
};

}  // namespace

const SamplingDesign& SystematicDesign()
{
    static const Systematic design;
    return design;
}
