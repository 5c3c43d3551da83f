#pragma once
// A variable as tarvek-batch's command line names it: by its number, or by its
// name, which can only be looked up once the population has been read.

#include <optional>
#include <string>

struct VariableArgument {
    std::optional<int> number;  ///< set when the text was a whole number
    std::string name;           ///< the text otherwise
};

/// \brief Reads `text` as a variable: a whole number is its number (checked
/// later against the population), any other text its name. False for "".
bool ParseVariableArgument(const std::string& text, VariableArgument& variable);

/// \brief Sets `number` to the variable's number: the number as given, or the
/// number of the one variable whose name equals the name exactly. Returns "" or,
/// when no variable or several have that name, the usage message naming it and
/// `option` (such as "--target").
std::string ResolveVariable(const VariableArgument& variable, const std::string& option, int& number);
