// The number conversions against the C library's printf and strtod, which are
// exact in both C libraries we build with (glibc natively, musl in WebAssembly).
// The WebAssembly build runs this same file; both print the digest of every
// text they made, which the web test compares.

#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/number_text.h"

namespace {

std::string Printf(const char* format, int precision, double value)
{
    char buffer[1200];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

std::uint64_t Bits(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits)
{
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

/// Named hard cases, then powers of two with their lower neighbours, ties of one
/// and three decimals (odd sixteenths), random bit patterns and random short
/// decimals read by strtod. Built from integers only, so that every build makes
/// the same values.
std::vector<double> TestValues()
{
    std::vector<double> values{0.0,
                               -0.0,
                               0.05,
                               0.15,
                               0.25,
                               0.35,
                               2.5,
                               0.125,
                               0.0625,
                               1.0005,
                               0.0005,
                               999.9995,
                               9.95,
                               99.95,
                               0.95,
                               1e21,
                               1e22,
                               1e23,
                               123456789012345680000.0,
                               9007199254740993.0,
                               5e-324,
                               2.2250738585072009e-308,
                               2.2250738585072014e-308,
                               1.7976931348623157e308,
                               -1e-300,
                               1e-5,
                               1e-4,
                               1e16,
                               1e17};
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        const double power = std::ldexp(1.0, exponent);
        values.insert(values.end(), {power, std::nextafter(power, 0.0)});
    }
    for (int sixteenths = -2001; sixteenths <= 2001; sixteenths += 2) {
        values.push_back(sixteenths / 16.0);
    }
    std::mt19937_64 random(24);
    while (values.size() < 60'000) {
        const double value = FromBits(random());
        if (std::isfinite(value)) {
            values.push_back(value);
        }
    }
    char text[64];
    while (values.size() < 200'000) {
        const auto mantissa =
            static_cast<long long>(random() % 200'000'000'000'000'000) - 100'000'000'000'000'000;
        const int exponent = static_cast<int>(random() % 60) - 40;
        std::snprintf(text, sizeof text, "%llde%d", mantissa, exponent);
        values.push_back(std::strtod(text, nullptr));
    }
    return values;
}

/// Whether the correctly rounded text of `digits` significant digits reads back as `value`.
bool ReadsBackWith(double value, int digits)
{
    return std::strtod(Printf("%.*e", digits - 1, value).c_str(), nullptr) == value;
}

/// Significant digits of a text with a point or an exponent.
int SignificantDigits(const std::string& text)
{
    std::string digits;
    for (const char c : text.substr(0, text.find('e'))) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? 1 : static_cast<int>(digits.find_last_not_of('0') - first + 1);
}

/// Reads back as `value`; a whole number shows its exact digits, any other text
/// one digit fewer would not read back (the shortest text may take fewer digits
/// than the correctly rounded one, when another decimal reads back, never more).
void ExpectShortest(double value, const std::string& text)
{
    EXPECT_EQ(Bits(std::strtod(text.c_str(), nullptr)), Bits(value)) << text;
    if (text.find_first_of(".e") == std::string::npos) {
        EXPECT_EQ(text, Printf("%.*f", 0, value));
    } else {
        const int digits = SignificantDigits(text);
        EXPECT_TRUE(digits == 1 || !ReadsBackWith(value, digits - 1)) << text;
    }
}

/// Reads `text` with ParseDecimal and strtod; both must agree on every bit.
void ExpectReadsLikeStrtod(const std::string& text)
{
    double parsed = 0.0;
    const auto result = ParseDecimal(text.data(), text.data() + text.size(), parsed);
    ASSERT_EQ(result.ec, std::errc{}) << text;
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    EXPECT_EQ(Bits(parsed), Bits(std::strtod(text.c_str(), nullptr))) << text;
}

/// FNV-1a over every text made, to compare builds.
void Digest(std::uint64_t& digest, const std::string& text)
{
    for (const char c : text) {
        digest = (digest ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    }
}

#if defined(__cpp_lib_to_chars)
/// Where the C++ library has floating-point to_chars, the module writes what it writes.
void ExpectLikeToChars(double value, const std::string& shortest, const std::string& fixed3,
                       const std::string& significant17)
{
    char buffer[1200];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    EXPECT_EQ(shortest, std::string(buffer, result.ptr));
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    EXPECT_EQ(fixed3, std::string(buffer, result.ptr));
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    EXPECT_EQ(significant17, std::string(buffer, result.ptr));
}
#endif

}  // namespace

TEST(NumberText, FormatsAndReadsLikeTheCLibrary)
{
    std::uint64_t digest = 0xcbf29ce484222325u;
    for (const double value : TestValues()) {
        const std::string fixed1 = FixedText(value, 1);
        const std::string fixed3 = FixedText(value, 3);
        const std::string significant17 = SignificantText(value, 17);
        const std::string significant6 = SignificantText(value, 6);
        const std::string shortest = ShortestText(value);
        ASSERT_EQ(fixed1, Printf("%.*f", 1, value));
        ASSERT_EQ(fixed3, Printf("%.*f", 3, value));
        ASSERT_EQ(significant17, Printf("%.*g", 17, value));
        ASSERT_EQ(significant6, Printf("%.*g", 6, value));
        ExpectShortest(value, shortest);
        ExpectReadsLikeStrtod(shortest);
        ExpectReadsLikeStrtod(significant17);
        ExpectReadsLikeStrtod(fixed3);
#if defined(__cpp_lib_to_chars)
        ExpectLikeToChars(value, shortest, fixed3, significant17);
#endif
        for (const std::string* text : {&fixed1, &fixed3, &significant17, &significant6, &shortest}) {
            Digest(digest, *text);
        }
    }
    std::printf("number text digest: %016" PRIx64 "\n", digest);
}

TEST(NumberText, ReadsRangeErrorsAndRefusesOtherForms)
{
    struct Case {
        const char* name;
        const char* text;
        std::errc error;
        std::size_t length;
    };
    const Case cases[] = {
        {"overflow", "1e400", std::errc::result_out_of_range, 5},
        {"underflow to zero", "-2.4703282292062327e-324", std::errc::result_out_of_range, 24},
        {"rounds up to the least subnormal", "2.4703282292062328e-324", std::errc{}, 23},
        {"zero with a huge exponent", "0e999999", std::errc{}, 8},
        {"many digits", "0.1000000000000000055511151231257827021181583404541015625x", std::errc{}, 57},
        {"point first", ".5", std::errc{}, 2},
        {"infinity", "inf", std::errc::invalid_argument, 0},
        {"not a number", "-nan", std::errc::invalid_argument, 0},
        {"plus sign", "+1", std::errc::invalid_argument, 0},
        {"empty", "", std::errc::invalid_argument, 0},
    };
    for (const Case& c : cases) {
        double value = -7.0;
        const char* end = c.text + std::strlen(c.text);
        const auto result = ParseDecimal(c.text, end, value);
        EXPECT_EQ(result.ec, c.error) << c.name;
        EXPECT_EQ(static_cast<std::size_t>(result.ptr - c.text), c.length) << c.name;
        if (c.error == std::errc{}) {
            EXPECT_EQ(Bits(value), Bits(std::strtod(c.text, nullptr))) << c.name;
        } else {
            EXPECT_EQ(value, -7.0) << c.name;
        }
    }
}
