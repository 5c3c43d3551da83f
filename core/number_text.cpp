#include "core/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <dragonbox/dragonbox.h>
#include <fast_float/fast_float.h>

namespace {

/// |value| = digits × 10^exponent exactly, digits without leading zeros ("0" for
/// zero). Every double is a finite decimal: m × 2^-k = m × 5^k × 10^-k.
struct ExactDecimal {
    std::string digits;
    int exponent = 0;
};

constexpr std::uint32_t LimbBase = 1'000'000'000;

/// Multiplies a little-endian base-10^9 number by `factor` (below 2^32).
void MultiplyLimbs(std::vector<std::uint32_t>& limbs, std::uint64_t factor)
{
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs) {
        const std::uint64_t product = limb * factor + carry;
        limb = static_cast<std::uint32_t>(product % LimbBase);
        carry = product / LimbBase;
    }
    while (carry != 0) {
        limbs.push_back(static_cast<std::uint32_t>(carry % LimbBase));
        carry /= LimbBase;
    }
}

/// Multiplies by base^power in steps of base^chunk (chosen below 2^32).
void MultiplyByPower(std::vector<std::uint32_t>& limbs, std::uint64_t base, int chunk, int power)
{
    std::uint64_t step = 1;
    for (int i = 0; i < chunk; ++i) {
        step *= base;
    }
    for (; power >= chunk; power -= chunk) {
        MultiplyLimbs(limbs, step);
    }
    for (; power > 0; --power) {
        MultiplyLimbs(limbs, base);
    }
}

std::string LimbsText(const std::vector<std::uint32_t>& limbs)
{
    std::string text(limbs.size() * 9, '0');
    auto digit = text.rbegin();
    for (std::uint32_t limb : limbs) {
        for (int i = 0; i < 9; ++i, limb /= 10) {
            *digit++ = static_cast<char>('0' + limb % 10);
        }
    }
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    return text;
}

ExactDecimal ExactDigits(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        return {"0", 0};
    }
    int binaryExponent = 0;
    const double fraction = std::frexp(magnitude, &binaryExponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int twos = binaryExponent - 53;
    std::vector<std::uint32_t> limbs;
    limbs.reserve(90);  // the most a double's expansion takes: 767 digits
    for (std::uint64_t rest = mantissa; rest != 0; rest /= LimbBase) {
        limbs.push_back(static_cast<std::uint32_t>(rest % LimbBase));
    }
    if (twos >= 0) {
        MultiplyByPower(limbs, 2, 31, twos);
        return {LimbsText(limbs), 0};
    }
    MultiplyByPower(limbs, 5, 13, -twos);
    return {LimbsText(limbs), twos};
}

/// The first `keep` digits of `digits` as a whole number, rounded to nearest with
/// ties to even on what is dropped; one digit longer when the rounding carries.
std::string RoundedPrefix(const std::string& digits, int keep)
{
    if (keep <= 0) {
        const bool aboveHalf = keep == 0 && digits[0] >= '5' &&
                               (digits[0] > '5' || digits.find_first_not_of('0', 1) != std::string::npos);
        return aboveHalf ? "1" : "0";
    }
    const auto kept = static_cast<std::size_t>(keep);
    if (kept >= digits.size()) {
        return digits + std::string(kept - digits.size(), '0');
    }
    std::string prefix = digits.substr(0, kept);
    const char first = digits[kept];
    const bool restNonzero = digits.find_first_not_of('0', kept + 1) != std::string::npos;
    const bool odd = (prefix.back() - '0') % 2 == 1;
    if (first > '5' || (first == '5' && (restNonzero || odd))) {
        auto digit = prefix.rbegin();
        for (; digit != prefix.rend() && *digit == '9'; ++digit) {
            *digit = '0';
        }
        if (digit == prefix.rend()) {
            prefix.insert(prefix.begin(), '1');
        } else {
            ++*digit;
        }
    }
    return prefix;
}

std::string Sign(double value)
{
    return std::signbit(value) ? "-" : "";
}

/// A whole number of units of 10^-decimals written with its point.
std::string WithPoint(std::string units, int decimals)
{
    if (decimals <= 0) {
        return units;
    }
    const auto point = static_cast<std::size_t>(decimals);
    if (units.size() <= point) {
        units.insert(0, point + 1 - units.size(), '0');
    }
    units.insert(units.size() - point, 1, '.');
    return units;
}

std::string ScientificText(const std::string& digits, int exponent)
{
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1) {
        text += '.';
        text.append(digits, 1);
    }
    const std::string power = std::to_string(std::abs(exponent));
    text += exponent < 0 ? "e-" : "e+";
    text.append(power.size() < 2 ? 1 : 0, '0');
    return text + power;
}

/// The same number with the digits' trailing zeros moved into the exponent.
ExactDecimal WithoutTrailingZeros(ExactDecimal decimal)
{
    const std::size_t last = decimal.digits.find_last_not_of('0');
    if (last == std::string::npos) {
        return {"0", 0};
    }
    decimal.exponent += static_cast<int>(decimal.digits.size() - last - 1);
    decimal.digits.erase(last + 1);
    return decimal;
}

/// Digits and exponent of the shortest decimal that reads back as `value`.
ExactDecimal ShortestDigits(double value)
{
    if (value == 0.0) {
        return {"0", 0};
    }
    const auto decimal = jkj::dragonbox::to_decimal(std::fabs(value));
    return {std::to_string(decimal.significand), decimal.exponent};
}

std::string FixedLayout(const ExactDecimal& decimal)
{
    if (decimal.exponent >= 0) {
        return decimal.digits + std::string(static_cast<std::size_t>(decimal.exponent), '0');
    }
    return WithPoint(decimal.digits, -decimal.exponent);
}

bool HasNonzeroMantissa(const char* first, const char* last)
{
    const char* end = std::find_if(first, last, [](char c) { return c == 'e' || c == 'E'; });
    return std::any_of(first, end, [](char c) { return c >= '1' && c <= '9'; });
}

}  // namespace

std::string ShortestText(double value)
{
    const ExactDecimal decimal = ShortestDigits(value);
    const auto length = static_cast<int>(decimal.digits.size());
    const std::string scientific = ScientificText(decimal.digits, length - 1 + decimal.exponent);
    // A whole number in fixed notation shows all its digits exactly, not the
    // shortest digits padded with zeros (as std::to_chars does).
    const std::string fixed = decimal.exponent > 0 ? FixedText(std::fabs(value), 0) : FixedLayout(decimal);
    return Sign(value) + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::string FixedText(double value, int decimals)
{
    // Below 2^-4(d+1) < 10^-(d+1) a value rounds to zero: spares the long
    // expansion of tiny values.
    if (std::fabs(value) < std::ldexp(1.0, -4 * (std::max(decimals, 0) + 1))) {
        return Sign(value) + WithPoint("0", decimals);
    }
    const ExactDecimal exact = ExactDigits(value);
    const int keep = static_cast<int>(exact.digits.size()) + exact.exponent + decimals;
    return Sign(value) + WithPoint(RoundedPrefix(exact.digits, keep), decimals);
}

std::string SignificantText(double value, int digits)
{
    const int precision = std::max(digits, 1);
    const ExactDecimal exact = ExactDigits(value);
    const std::string rounded = RoundedPrefix(exact.digits, precision);
    int power = static_cast<int>(exact.digits.size()) - 1 + exact.exponent;
    if (value == 0.0) {
        power = 0;
    } else if (static_cast<int>(rounded.size()) > precision) {
        ++power;
    }
    // Like %g: no trailing zeros after the point, no point without decimals.
    const std::string shown = WithoutTrailingZeros({rounded, 0}).digits;
    const std::string text = precision > power && power >= -4
                                 ? FixedLayout({shown, power - static_cast<int>(shown.size()) + 1})
                                 : ScientificText(shown, power);
    return Sign(value) + text;
}

std::from_chars_result ParseDecimal(const char* first, const char* last, double& value)
{
    const char* digits = first != last && *first == '-' ? first + 1 : first;
    const bool decimalStart = digits != last && ((*digits >= '0' && *digits <= '9') || *digits == '.');
    if (!decimalStart) {
        return {first, std::errc::invalid_argument};
    }
    double parsed = 0.0;
    const auto result = fast_float::from_chars(first, last, parsed);
    if (result.ec != std::errc{}) {
        return {result.ptr, result.ec};
    }
    if (std::isinf(parsed) || (parsed == 0.0 && HasNonzeroMantissa(first, result.ptr))) {
        return {result.ptr, std::errc::result_out_of_range};
    }
    value = parsed;
    return {result.ptr, std::errc{}};
}
