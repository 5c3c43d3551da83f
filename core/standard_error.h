#pragma once
// The one way a variance becomes a standard error in the estimators and their theory.

#include <cmath>
#include <optional>

/// \brief sqrt(variance), or nothing when the variance is not finite (a division by
/// zero upstream) or negative, so that no square root of a negative number is taken.
inline std::optional<double> RootOfVariance(double variance)
{
    if (!std::isfinite(variance) || variance < 0.0) {
        return std::nullopt;
    }
    return std::sqrt(variance);
}
