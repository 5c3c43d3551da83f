#pragma once
// The --json output of tarvek-batch: one document with the settings and the
// statistics of every run, or the population summary. Reals are written with the
// fewest digits that read back to the same double; undefined values are null.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

struct BatchOptions;
struct CompareVariantOption;
struct ComparisonResult;
class RunEngine;

/// \brief The document of one simulation: the settings as applied, then one
/// object per run, written when the last run is over (or stopped).
class JsonReport {
public:
    /// \brief Takes the settings from SimulationState, as ApplySettings left it.
    explicit JsonReport(const BatchOptions& options);

    /// \brief Adds the statistics of the run `engine` has just performed.
    void AddRun(int run, const RunEngine& engine);

    void Write(std::ostream& out) const;

    /// \brief The "settings" object of the document.
    const std::string& settings() const { return settings_; }

private:
    std::string settings_;
    std::vector<std::string> runs_;
};

/// \brief The document of --compare: the shared settings, then one object per run
/// with the population mean and one object per variant, whose members are the
/// table's columns (and its allocation under the stratified design).
class JsonComparisonReport {
public:
    explicit JsonComparisonReport(const BatchOptions& options);
    /// \brief Adds a run's variants, with their theoretical design effects.
    void AddRun(int run, const std::vector<CompareVariantOption>& variants, const ComparisonResult& result,
                const std::vector<std::optional<double>>& designEffects);
    void Write(std::ostream& out) const;

private:
    const BatchOptions& options_;
    std::string settings_;
    std::vector<std::string> runs_;
};

/// \brief The version number alone, without the word "version" of the interface text.
std::string VersionNumber();

/// \brief The population summary of --describe as a JSON document.
void WriteJsonPopulationSummary(std::ostream& out);

/// \brief `text` as a JSON string: quotes, backslashes and control characters
/// escaped; a byte that is not part of valid UTF-8 becomes U+FFFD.
std::string JsonString(const std::string& text);

/// \brief A real as the shortest text that reads back to it; null when not finite.
std::string JsonNumber(double value);
/// \brief JsonNumber of `value`, or null when it is not available.
std::string JsonNumberOr(double value, bool available);
std::string JsonNumberOr(const std::optional<double>& value);
std::string JsonBool(bool value);

/// \brief An object on one line, its members in the order they were added; each
/// value is JSON text already.
class JsonObject {
public:
    JsonObject& Add(const char* key, const std::string& value);
    JsonObject& Add(const char* key, int value);
    std::string Text() const;

private:
    std::string text_;
};
