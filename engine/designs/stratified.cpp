// Stratified sampling: equal probabilities without replacement in each stratum of
// a stratification variable (its codes, or its classes of equal size), the
// sample shared out by an allocation.

#include <algorithm>

#include "core/population_file.h"
#include "core/settings.h"
#include "core/strata.h"
#include "core/stratified_sampling.h"
#include "engine/designs/compare_fields.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"
#include "texts/interface_text_table.h"
#include "texts/option_names.h"

namespace {

/// " in H classes of equal size" after the variable's name; nothing for its codes.
std::string ClassesCaption(int classes)
{
    return classes == 0 ? "" : " in " + std::to_string(classes) + " classes of equal size";
}

class Prepared final : public PreparedDesign {
public:
    explicit Prepared(const DesignChoice& choice)
        : stratifier_(StratificationOf(choice.variable, choice.stratumClasses)),
          plan_(PrepareStratifiedPlan(stratifier_, SimulationState.targetVariable, SimulationState.sampleSize,
                                      static_cast<AllocationCode>(choice.allocation)))
    {}

    void Draw() const override { DrawSampleStratified(plan_); }

    /// The stratified estimate needs a respondent in every stratum.
    bool Acceptable() const override { return PreparedDesign::Acceptable() && EveryStratumResponded(); }

private:
    bool EveryStratumResponded() const
    {
        const Strata& strata = plan_.frame.strata;
        StratumCounts respondents{};
        const int column = VariableColumn(stratifier_.variable);
        const int positions = SamplePositions();
        for (int j = 1; j <= positions; ++j) {
            const std::int32_t unit = SimulationState.sampleUnits[j];
            if (unit >= 1 && unit <= MaxUnits) {
                const int h = stratifier_.StratumOf(UnitValue(unit, column));
                if (h >= 1 && h <= strata.count) {
                    ++respondents[h];
                }
            }
        }
        return std::all_of(respondents.begin() + 1, respondents.begin() + 1 + strata.count,
                           [](int count) { return count > 0; });
    }

    Stratification stratifier_;
    StratifiedPlan plan_;
};

class Stratified final : public SamplingDesign {
public:
    std::int32_t Code() const override { return DesignStratified; }
    std::string_view Name() const override { return "stratified"; }
    std::string Caption(const DesignChoice& choice) const override
    {
        const auto& texts = InterfaceTexts.designDetailTexts;
        // A code no allocation has reads as the proportional one.
        const bool known =
            choice.allocation >= AllocationProportional && choice.allocation <= AllocationOptimal;
        const int allocation = known ? choice.allocation : AllocationProportional;
        return texts[1] + VariableNameOrDash(choice.variable) + ClassesCaption(choice.stratumClasses) +
               texts[2] + texts[3 + allocation];
    }
    std::string EstimatorRefusal(std::int32_t estimator) const override
    {
        return estimator == EstimatorDirect ? "" : StratifiedOnlyDirectMessage;
    }
    const Estimator* Serving(const Estimator& asked) const override
    {
        static const OwnDirectEstimator direct(&StratifiedMeanEstimate, &StratifiedMeanTheory);
        return asked.Code() == EstimatorDirect ? &direct : &asked;
    }
    void PrepareInputs(const DesignParameters& design, int variable, EstimatorInputs& inputs) const override
    {
        inputs.stratification = StratificationOf(variable, design.stratumClasses);
        inputs.strata = FormStrata(inputs.stratification).strata;
    }
    bool VariableIsAuxiliary() const override { return true; }
    DesignChoice RecordChoice() const override
    {
        DesignChoice choice{Code(), SimulationState.auxiliaryVariable, SimulationState.allocationCode};
        choice.stratumClasses = SimulationState.stratumClasses;
        return choice;
    }
    DesignParameters EstimatorParameters(const DesignChoice& choice) const override
    {
        return {Code(), choice.allocation, 0, choice.stratumClasses};
    }
    std::string Refusal(const DesignChoice& choice, int n) const override
    {
        return CheckStratifiedDesign(StratificationOf(choice.variable, choice.stratumClasses), n);
    }
    /// VARIABLE:ALLOCATION, then the number of classes of equal size if any.
    bool ParseCompareFields(std::span<const std::string> fields, DesignChoice& choice) const override
    {
        choice = {Code(), 0, 0};
        if (fields.size() < 2 || fields.size() > 3 || !ParseCompareVariable(fields[0], choice.variable)) {
            return false;
        }
        if (fields.size() == 3 &&
            !ParseIntInRange(fields[2], MinimumStrataClasses, MaxStrata, choice.stratumClasses)) {
            return false;
        }
        const std::optional<AllocationCode> allocation = CodeNamed(fields[1], AllocationNames);
        choice.allocation = allocation.value_or(AllocationProportional);
        return allocation.has_value();
    }
    std::unique_ptr<PreparedDesign> Prepare(const DesignChoice& choice) const override
    {
        return std::make_unique<Prepared>(choice);
    }
};

}  // namespace

const SamplingDesign& StratifiedDesign()
{
    static const Stratified design;
    return design;
}
