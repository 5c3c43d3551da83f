#include "core/rounding.h"

#include <cmath>
#include <limits>

std::int32_t nearest(double x)
{
    if (std::isnan(x)) {
        return 0;
    }
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (x <= lowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (x >= highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    double whole = std::floor(x);
    const double fraction = x - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    return static_cast<std::int32_t>(whole);
}
