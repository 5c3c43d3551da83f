#include "core/number_format.h"

#include <charconv>
#include <cmath>

namespace {

std::string FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) {
        return "-";
    }
    // to_chars is locale-independent and rounds the exact binary value.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatFixed3(double value)
{
    return FormatFixed(value, 3);
}

std::string FormatFixed1(double value)
{
    return FormatFixed(value, 1);
}

std::string FormatFixed3Or(double value, bool available)
{
    return available ? FormatFixed3(value) : std::string("-");
}

double ShownFixed3Value(double value)
{
    const std::string text = FormatFixed3(value);
    double shown = value;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), shown);
    return result.ec == std::errc{} ? shown : value;
}
