#pragma once
// Number display shared by every window, dialog and the batch simulator.

#include <optional>
#include <string>

/// \brief Fixed-point with exactly three decimals and "." whatever the locale
/// (the exact binary value correctly rounded, as printf "%.3f" in the C locale).
/// A non-finite value gives "-".
std::string FormatFixed3(double value);

/// \brief The same with one decimal (percentages).
std::string FormatFixed1(double value);

/// \brief FormatFixed3 when `available`, else "-".
std::string FormatFixed3Or(double value, bool available);

/// \brief FormatFixed3 of a value there is, else "-".
std::string FormatFixed3Or(const std::optional<double>& value);

/// \brief The value that the three-decimal text of `value` reads back as (what a
/// field showing FormatFixed3(value) holds); a non-finite value is returned as is.
double ShownFixed3Value(double value);
