#pragma once
// The population file (".pop") reader and the whole-number field parser.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/simulation_state.h"

inline constexpr const char* TooManyUnitsMessage = "The population has more than 100000 units!";
inline constexpr const char* NoUnitsMessage = "The population has no units!";

/// \brief A population file that could not be read. what() is the message shown
/// to the user: "File not found", "Invalid numeric input", "Range check error",
/// or a message with the system's reason for a file that exists but cannot be read.
class PopulationFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// \brief A population as a file gives it, before it becomes the record's.
struct PopulationContents {
    std::string description;
    std::int32_t unitCount = 0;
    std::int32_t variableCount = 0;
    std::array<std::string, MaxVariables + 1> variableNames{};
    std::array<std::vector<std::string>, MaxVariables + 1> variableLabels{};  ///< as the record's
    PopulationMatrix rows;
};

/// \brief Refuses a path that names a folder ("PATH is a folder!") or anything
/// else but a regular file, such as a FIFO or a device ("PATH is not a regular
/// file!"), before it is opened, so that no reader waits on a pipe or reads
/// without end. A path that names nothing passes: opening it reports that.
/// Throws PopulationFileError.
void RefuseIfNotRegularFile(const std::string& path);

/// \brief Reads the file whose path stands in SimulationState.populationName and
/// resets every setting to its default. A name ending in .csv, .tsv or .txt is
/// read as a delimited file with its first usable columns, any other as a
/// population file. On failure throws PopulationFileError and leaves the record
/// exactly as it was (populationName keeps the path).
void ReadPopulation();

/// \brief Reads a population file (".pop"); texts that are not UTF-8 are read as
/// Windows-1252, a UTF-8 byte-order mark is skipped. Throws PopulationFileError.
PopulationContents ReadPopulationFile(const std::string& path);

/// \brief Reads a population file's bytes, as ReadPopulationFile reads the file.
/// Throws PopulationFileError.
PopulationContents ParsePopulationText(std::string_view text);

/// \brief Makes `contents` the record's population and resets every setting to
/// its default, as a successful read does. A population without units is
/// refused with NoUnitsMessage (PopulationFileError) and the record kept.
void AdoptPopulation(PopulationContents contents);

/// \brief Writes the record's population as a population file that reads back
/// to the same description, names and values (each real as the shortest text
/// that reads back to the same double).
void WritePopulation(std::ostream& out);

/// \brief The real syntax of population files: optional sign, digits with an
/// optional "." (at least one digit), optional exponent; nothing else, and
/// nothing beyond the range of a double.
std::optional<double> ParseRealText(std::string_view text);

/// \brief Parses `text` as a whole number in low..high (both inclusive). On
/// failure returns false and sets `value` to 0.
bool ParseIntInRange(const std::string& text, int low, int high, int& value);
