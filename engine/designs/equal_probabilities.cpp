// Equal probabilities without replacement: the first n places of a shuffled list.

#include "core/random_sampling.h"
#include "engine/designs/compare_fields.h"
#include "engine/designs/sampling_design.h"
#include "texts/interface_text_table.h"

namespace {

class Prepared final : public PreparedDesign {
public:
    void Draw() const override { DrawSampleEqualProbabilities(); }
};

class EqualProbabilities final : public SamplingDesign {
public:
    std::int32_t Code() const override { return DesignEqualProbabilities; }
    std::string_view Name() const override { return "equal"; }
    std::string Caption(const DesignChoice&) const override { return InterfaceTexts.statisticsTexts[14]; }
    bool ParseCompareFields(std::span<const std::string> fields, DesignChoice& choice) const override
    {
        choice = {Code(), 0, 0};
        return fields.empty();
    }
    std::unique_ptr<PreparedDesign> Prepare(const DesignChoice&) const override
    {
        return std::make_unique<Prepared>();
    }
};

}  // namespace

const SamplingDesign& EqualProbabilitiesDesign()
{
    static const EqualProbabilities design;
    return design;
}
