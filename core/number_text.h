#pragma once
// Conversions between doubles and decimal text, exact and independent of the
// locale. Every number the programs read or write goes through here, so that
// builds whose C++ library lacks the floating-point <charconv> functions (the
// WebAssembly one) give the same text to the last digit.

#include <charconv>
#include <string>

/// \brief The shortest text that reads back as `value`, as the plain
/// std::to_chars(value) writes it: the digits of the closest of the shortest
/// decimals (ties to even), in fixed or scientific notation, whichever is
/// shorter (fixed on a tie). `value` must be finite.
std::string ShortestText(double value);

/// \brief `value` with `decimals` digits after the point, the exact binary value
/// correctly rounded (ties to even), as printf "%.*f" in the C locale. `value`
/// must be finite.
std::string FixedText(double value, int decimals);

/// \brief `value` with `digits` significant digits (at least 1), correctly
/// rounded, as printf "%.*g" in the C locale. `value` must be finite.
std::string SignificantText(double value, int digits);

/// \brief Reads a decimal real ("-" sign, digits, ".", exponent) from the start of
/// [first, last) as std::from_chars does: the correctly rounded double, `ptr`
/// past the text read, `result_out_of_range` (and `value` unchanged) when a
/// nonzero number overflows or underflows to zero. Unlike from_chars it takes no
/// "inf", "nan" or hexadecimal form.
std::from_chars_result ParseDecimal(const char* first, const char* last, double& value);
