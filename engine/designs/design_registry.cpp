#include "engine/designs/sampling_design.h"

#include <algorithm>
#include <array>

const SamplingDesign& EqualProbabilitiesDesign();
const SamplingDesign& ProportionalToSizeDesign();
const SamplingDesign& StratifiedDesign();
const SamplingDesign& SystematicDesign();

namespace {

using DesignList = std::array<const SamplingDesign*, 4>;

const DesignList& List()
{
    static const DesignList designs = {
        &EqualProbabilitiesDesign(),
        &ProportionalToSizeDesign(),
        &StratifiedDesign(),
        &SystematicDesign(),
    };
    return designs;
}

}  // namespace

bool PreparedDesign::Acceptable() const
{
    return SimulationState.respondentCount > 1;
}

std::optional<SampleEstimate> PreparedDesign::Estimate(std::int32_t, int, bool) const
{
    return std::nullopt;
}

std::optional<TheoreticalProperties> SamplingDesign::Theory(const DesignChoice&, std::int32_t, int) const
{
    return std::nullopt;
}

std::string SamplingDesign::EstimatorRefusal(std::int32_t) const
{
    return "";
}

std::string SamplingDesign::Refusal(const DesignChoice&, int) const
{
    return "";
}

std::span<const SamplingDesign* const> Designs()
{
    return List();
}

const SamplingDesign* FindDesign(std::int32_t code)
{
    const auto found = std::find_if(List().begin(), List().end(),
                                    [code](const SamplingDesign* design) { return design->Code() == code; });
    return found == List().end() ? nullptr : *found;
}

const SamplingDesign& DesignOf(std::int32_t code)
{
    const SamplingDesign* design = FindDesign(code);
    return design != nullptr ? *design : EqualProbabilitiesDesign();
}

const SamplingDesign* DesignNamed(std::string_view name)
{
    const auto found = std::find_if(List().begin(), List().end(),
                                    [name](const SamplingDesign* design) { return design->Name() == name; });
    return found == List().end() ? nullptr : *found;
}

DesignChoice RecordDesignChoice()
{
    const SamplingDesign* design = FindDesign(SimulationState.designCode);
    return design != nullptr ? design->RecordChoice() : DesignChoice{SimulationState.designCode, 0, 0};
}

std::unique_ptr<PreparedDesign> PrepareDraws(const DesignChoice& choice)
{
    SimulationState.drawnPositions = 0;
    return DesignOf(choice.design).Prepare(choice);
}

std::string DesignCaption(const DesignChoice& choice)
{
    const SamplingDesign* design = FindDesign(choice.design);
    return design != nullptr ? design->Caption(choice) : "-";
}
