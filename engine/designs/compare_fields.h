#pragma once
// The numbers in a --compare design ("pps:3"), read as the other whole-number
// options are.

#include <limits>
#include <string>

#include "core/population_file.h"

inline bool ParseCompareVariable(const std::string& text, int& variable)
{
    return ParseIntInRange(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), variable);
}
