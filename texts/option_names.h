#pragma once
// The names tarvek-batch and the benchmarks give allocations: one table, read
// both ways. The designs' and the estimators' names are their registries'.

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "core/allocation.h"
#include "core/simulation_state.h"

template <typename Code>
using NamedCode = std::pair<const char*, Code>;

inline constexpr std::array<NamedCode<AllocationCode>, 3> AllocationNames = {{
    {"proportional", AllocationProportional},
    {"equal", AllocationEqual},
    {"optimal", AllocationOptimal},
}};

/// \brief The code `text` names in `names`; nothing when it names none.
template <typename Code, std::size_t Count>
std::optional<Code> CodeNamed(std::string_view text, const std::array<NamedCode<Code>, Count>& names)
{
    for (const auto& [name, code] : names) {
        if (text == name) {
            return code;
        }
    }
    return std::nullopt;
}

/// \brief The name of `code` in `names`; the first name for a code it does not hold.
template <typename Code, std::size_t Count>
const char* NameOf(std::int32_t code, const std::array<NamedCode<Code>, Count>& names)
{
    for (const auto& [name, named] : names) {
        if (named == code) {
            return name;
        }
    }
    return names[0].first;
}
