#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/number_format.h"
#include "core/rounding.h"

namespace {

TEST(Nearest, RoundsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(nearest(2.5), 2);
    EXPECT_EQ(nearest(3.5), 4);
    EXPECT_EQ(nearest(-2.5), -2);
    EXPECT_EQ(nearest(-0.5), 0);
    EXPECT_EQ(nearest(2.4999999), 2);
    EXPECT_EQ(nearest(-7.6), -8);
}

TEST(Nearest, GuardsAgainstValuesWithoutAnInteger)
{
    EXPECT_EQ(nearest(std::nan("")), 0);
    EXPECT_EQ(nearest(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(nearest(-std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::min());
}

TEST(FormatFixed3, PrintsThreeDecimalsOfTheExactValue)
{
    EXPECT_EQ(FormatFixed3(1234.5), "1234.500");
    EXPECT_EQ(FormatFixed3(-0.25), "-0.250");
    EXPECT_EQ(FormatFixed3(1.0005), "1.000");  // stored just below 1.0005
    EXPECT_EQ(FormatFixed3(0.0005), "0.001");  // stored just above 0.0005
    EXPECT_EQ(FormatFixed3(1e7), "10000000.000");
}

TEST(FormatFixed3, ShowsADashForWhatIsNoNumber)
{
    EXPECT_EQ(FormatFixed3(std::numeric_limits<double>::infinity()), "-");
    EXPECT_EQ(FormatFixed3(std::nan("")), "-");
    EXPECT_EQ(FormatFixed3Or(1.0, false), "-");
    EXPECT_EQ(FormatFixed3Or(1.0, true), "1.000");
}

}  // namespace

TEST(ShownFixed3ValueTest, ReadsBackTheThreeDecimalText)
{
    EXPECT_EQ(ShownFixed3Value(0.0104), 0.010);
    EXPECT_EQ(ShownFixed3Value(-2.0005), -2.001);
    EXPECT_EQ(ShownFixed3Value(1234.5), 1234.5);
    EXPECT_TRUE(std::isinf(ShownFixed3Value(INFINITY)));
}
