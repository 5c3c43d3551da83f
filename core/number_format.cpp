#include "core/number_format.h"

#include <cmath>

#include "core/number_text.h"

namespace {

std::string FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) {
        return "-";
    }
    return FixedText(value, decimals);
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

std::string FormatFixed3Or(const std::optional<double>& value)
{
    return FormatFixed3Or(value.value_or(0.0), value.has_value());
}

double ShownFixed3Value(double value)
{
    const std::string text = FormatFixed3(value);
    double shown = value;
    const auto result = ParseDecimal(text.data(), text.data() + text.size(), shown);
    return result.ec == std::errc{} ? shown : value;
}
