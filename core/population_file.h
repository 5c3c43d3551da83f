#pragma once
// The population file (".pop") reader and the whole-number field parser.

#include <stdexcept>
#include <string>

/// \brief A population file that could not be read. what() is the message shown
/// to the user: "File not found", "Invalid numeric input", "Range check error",
/// or a message with the system's reason for a file that exists but cannot be read.
class PopulationFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// \brief Reads the file whose path stands in SimulationState.populationName and
/// resets every setting to its default. On failure throws PopulationFileError and
/// leaves the record exactly as it was (populationName keeps the path).
void ReadPopulation();

/// \brief Parses `text` as a whole number in low..high (both inclusive). On
/// failure returns false and sets `value` to 0.
bool ParseIntInRange(const std::string& text, int low, int high, int& value);
