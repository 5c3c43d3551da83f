#include "engine/monte_carlo_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(MonteCarloErrors, StandardErrorFollowsTheKurtosisOfTheEstimates)
{
    // 1, 2, 3, 4, 10: mean 4, m2 = 50/5, m4 = 1394/5, k = 2.788, sd = sqrt(50/4);
    // sd sqrt((2.788 - 2/4) / 20) by hand.
    const std::vector<double> skewed = {1, 2, 3, 4, 10};
    EXPECT_NEAR(MonteCarloErrorOfStandardError(skewed, 4.0, std::sqrt(12.5)), 1.195826, 1e-6);

    // -1, 1 and four zeros have k = 3 exactly: the normal formula sd / sqrt(2 (S - 1)).
    const std::vector<double> normalKurtosis = {-1, 1, 0, 0, 0, 0};
    const double sd = std::sqrt(2.0 / 5.0);
    EXPECT_NEAR(MonteCarloErrorOfStandardError(normalKurtosis, 0.0, sd), sd / std::sqrt(10.0), 1e-15);

    EXPECT_EQ(MonteCarloErrorOfStandardError({7, 7, 7}, 7.0, 0.0), 0.0);
    EXPECT_NEAR(MonteCarloErrorOfPercentage(9, 10), 100.0 * std::sqrt(0.9 * 0.1 / 10), 1e-12);
}

TEST(MonteCarloErrors, RelativeEfficiencyByTheDeltaMethod)
{
    struct Case {
        const char* what;
        SquaredErrors reference;
        SquaredErrors variant;
        bool sameDesign;
        double expected;
    };
    // a = 1, 4, 7 (A = 4, V_A = 18/9); b = 2, 6 on samples 2, 3 (B = 4, V_B = 8/4);
    // on the shared samples (0)(-2) + (3)(2) = 6, C = 6 / (3 * 2).
    const SquaredErrors a{{1, 4, 7}, {1, 2, 3}};
    const SquaredErrors b{{2, 6}, {2, 3}};
    const std::vector<Case> cases = {
        {"shared samples", a, b, true, std::sqrt(2.0 / 16 + 2.0 / 16 - 2.0 / 16)},
        {"independent designs", a, b, false, std::sqrt(2.0 / 16 + 2.0 / 16)},
        {"the reference against itself", a, a, true, 0.0},
        {"a constant variant", SquaredErrors{{1, 4}, {1, 2}}, SquaredErrors{{1, 1}, {1, 2}}, true,
         2.5 * std::sqrt(1.125 / 6.25)},
    };
    for (const Case& c : cases) {
        const std::optional<double> error =
            MonteCarloErrorOfRelativeEfficiency(c.reference, c.variant, c.sameDesign);
        ASSERT_TRUE(error.has_value()) << c.what;
        EXPECT_NEAR(*error, c.expected, 1e-12) << c.what;
    }
    EXPECT_FALSE(MonteCarloErrorOfRelativeEfficiency(a, SquaredErrors{{0, 0}, {1, 2}}, true));
    EXPECT_FALSE(MonteCarloErrorOfRelativeEfficiency(a, SquaredErrors{}, true));
}

}  // namespace
