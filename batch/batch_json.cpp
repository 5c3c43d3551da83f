#include "batch/batch_json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>
#include <utility>

#include "batch/batch_compare.h"
#include "batch/batch_options.h"
#include "batch/batch_output.h"
#include "core/number_text.h"
#include "core/simulation_state.h"
#include "core/systematic_sampling.h"
#include "core/theory.h"
#include "core/variable_summary.h"
#include "engine/cluster_summary_rows.h"
#include "engine/estimators/estimator.h"
#include "engine/designs/sampling_design.h"
#include "engine/comparison.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"
#include "texts/option_names.h"

namespace {

constexpr const char* Null = "null";

/// The name of variable k as a JSON string, null when there is no such variable.
std::string JsonVariable(int k)
{
    return IsVariableNumber(k) ? JsonString(SimulationState.variableNames[k]) : Null;
}

/// Length of the UTF-8 sequence that starts at `position`, or 0 when the bytes
/// there are not one (overlong forms, surrogates and values above U+10FFFF included).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t position)
{
    const auto byte = [&](std::size_t offset) {
        return position + offset < text.size() ? static_cast<unsigned char>(text[position + offset]) : 0u;
    };
    const unsigned lead = byte(0);
    const auto continuation = [&](std::size_t offset, unsigned low, unsigned high) {
        const unsigned value = byte(offset);
        return value >= low && value <= high;
    };
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continuation(1, 0x80, 0xBF) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(1, low, high) && continuation(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(1, low, high) && continuation(2, 0x80, 0xBF) && continuation(3, 0x80, 0xBF) ? 4
                                                                                                        : 0;
    }
    return 0;
}

/// The allocation of the stratified design, as --allocation names it.
std::string AllocationSetting()
{
    if (SimulationState.designCode != DesignStratified) {
        return Null;
    }
    return JsonString(NameOf(SimulationState.allocationCode, AllocationNames));
}

/// The n_h of a stratified design as a JSON array; null for other designs.
std::string JsonSizes(const std::vector<int>& sizes)
{
    if (sizes.empty()) {
        return Null;
    }
    std::string text;
    for (const int size : sizes) {
        text += (text.empty() ? "[" : ", ") + std::to_string(size);
    }
    return text + "]";
}

std::string AllocationSizesSetting()
{
    return SimulationState.designCode == DesignStratified ? JsonSizes(RecordAllocationSizes()) : Null;
}

/// The variable the systematic design's list is ordered by; "" for file order,
/// "random" for a list shuffled once per run.
std::string OrderSetting()
{
    if (SimulationState.designCode != DesignSystematic) {
        return Null;
    }
    const int order = SimulationState.systematicOrder;
    if (order == SystematicRandomOrder) {
        return JsonString("random");
    }
    return order == 0 ? JsonString("") : JsonVariable(order);
}

/// The auxiliary variable where the design or the estimator reads one: "units"
/// for the units themselves (x = 1) under the cluster designs.
std::string AuxiliarySetting()
{
    const TSimulationState& s = SimulationState;
    const SamplingDesign& design = DesignOf(s.designCode);
    if (!ReadsAuxiliaryVariable(s.estimatorCode, s.designCode)) {
        return Null;
    }
    return s.auxiliaryVariable == 0 && design.OffersUnitsAsAuxiliary() ? JsonString("units")
                                                                       : JsonVariable(s.auxiliaryVariable);
}

/// The cluster variable, m and k of the cluster designs, null where they do not
/// apply; under the cluster designs also the target's intraclass correlation as
/// the cluster dialog shows it (other documents stay as they were).
void AddClusterSettings(JsonObject& settings)
{
    const DesignChoice choice = RecordDesignChoice();
    const bool cluster = DesignOf(choice.design).OffersUnitsAsAuxiliary();
    settings.Add("cluster_variable", cluster ? JsonVariable(choice.variable) : Null)
        .Add("clusters", cluster ? std::to_string(choice.clusters) : Null)
        .Add("units_per_cluster", choice.unitsPerCluster > 0 ? std::to_string(choice.unitsPerCluster) : Null);
    if (cluster) {
        settings.Add("intraclass_correlation", JsonNumberOr(ClusterIntraclassCorrelation(choice)));
    }
}

std::string NonresponseSettings(const BatchOptions& options)
{
    if (!SimulationState.nonresponseOn || !options.nonresponse) {
        return Null;
    }
    return JsonObject()
        .Add("variable", JsonVariable(SimulationState.nonresponseVariable))
        .Add("percent_at_minimum", options.nonresponse->percentAtMinimum)
        .Add("percent_at_maximum", options.nonresponse->percentAtMaximum)
        .Text();
}

std::string VariableSummaryObject(int k)
{
    const VariableSummary summary = SummarizeVariable(k);
    return JsonObject()
        .Add("number", k)
        .Add("name", JsonVariable(k))
        .Add("minimum", JsonNumberOr(summary.minimum, summary.extremesAvailable))
        .Add("maximum", JsonNumberOr(summary.maximum, summary.extremesAvailable))
        .Add("mean", JsonNumberOr(summary.mean, summary.meanAvailable))
        .Add("standard_deviation",
             JsonNumberOr(summary.standardDeviation, summary.standardDeviationAvailable))
        .Text();
}

/// Writes `items` as the members of an array, one a line.
void WriteArray(std::ostream& out, const std::vector<std::string>& items)
{
    out << "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out << (i == 0 ? "\n    " : ",\n    ") << items[i];
    }
    out << (items.empty() ? "]" : "\n  ]");
}

}  // namespace

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (std::size_t position = 0; position < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[position]);
        const std::size_t length = Utf8SequenceLength(text, position);
        if (length == 0) {
            quoted += "\\ufffd";
            ++position;
            continue;
        }
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            const auto result = std::to_chars(escape, escape + sizeof escape, c, 16);
            quoted += "\\u" + std::string(4 - (result.ptr - escape), '0') + std::string(escape, result.ptr);
        } else {
            quoted.append(text, position, length);
        }
        position += length;
    }
    return quoted + "\"";
}

std::string JsonNumber(double value)
{
    if (!std::isfinite(value)) {
        return Null;
    }
    return ShortestText(value);
}

std::string JsonNumberOr(double value, bool available)
{
    return available ? JsonNumber(value) : Null;
}

std::string JsonNumberOr(const std::optional<double>& value)
{
    return value ? JsonNumber(*value) : Null;
}

std::string VersionNumber()
{
    const std::string& text = SimulationState.versionText;
    const std::size_t blank = text.rfind(' ');
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

std::string JsonBool(bool value)
{
    return value ? "true" : "false";
}

JsonObject& JsonObject::Add(const char* key, const std::string& value)
{
    text_ += (text_.empty() ? "{" : ", ") + JsonString(key) + ": " + value;
    return *this;
}

JsonObject& JsonObject::Add(const char* key, int value)
{
    return Add(key, std::to_string(value));
}

std::string JsonObject::Text() const
{
    return text_.empty() ? "{}" : text_ + "}";
}

namespace {

/// The settings as applied; `design` adds the design, its allocation and order,
/// the estimator and its auxiliary variable, which --compare's variants replace.
std::string SettingsObject(const BatchOptions& options, bool design)
{
    const TSimulationState& s = SimulationState;
    JsonObject settings;
    settings.Add("population", JsonString(s.populationName))
        .Add("population_file", JsonString(options.populationPath))
        .Add("units", s.unitCount)
        .Add("variables", s.variableCount)
        .Add("target_variable", JsonVariable(s.targetVariable))
        .Add("sample_size", s.sampleSize);
    if (design) {
        settings.Add("design", JsonString(std::string(DesignOf(s.designCode).Name())))
            .Add("allocation", AllocationSetting());
        // Only strata cut into classes add the member, so that other documents stay as they were.
        if (s.designCode == DesignStratified && s.stratumClasses != 0) {
            settings.Add("strata_classes", s.stratumClasses);
        }
        settings.Add("allocation_sizes", AllocationSizesSetting()).Add("order", OrderSetting());
        AddClusterSettings(settings);
        settings.Add("estimator", JsonString(std::string(EstimatorName(s.estimatorCode))))
            .Add("auxiliary_variable", AuxiliarySetting());
    }
    return settings.Add("nonresponse", NonresponseSettings(options))
        .Add("simulations", s.simulationCount)
        .Add("intervals", JsonBool(s.confidenceIntervalMode))
        .Add("runs", options.runs)
        .Add("seed", std::to_string(options.seed.value_or(0)))
        .Add("scale_lower", JsonNumber(s.scaleLower))
        .Add("scale_upper", JsonNumber(s.scaleUpper))
        .Add("compression", s.verticalCompression)
        .Text();
}

/// A variant of --compare: the table's columns by name, then its allocation.
std::string VariantObject(const CompareVariantOption& option, const VariantSummary& summary,
                          const std::optional<double>& designEffect, bool intervals, bool monteCarloErrors)
{
    const std::vector<std::string> columns = ComparisonColumns(intervals, monteCarloErrors);
    std::vector<SummaryValue> values = SummaryValues(summary, intervals, monteCarloErrors);
    values.insert(values.begin() + DesignEffectValue, SummaryValue{designEffect, SummaryValue::Kind::Real});
    JsonObject variant;
    variant.Add("variant", JsonString(option.text));
    for (std::size_t column = 1; column < columns.size(); ++column) {
        const SummaryValue& value = values[column - 1];
        variant.Add(columns[column].c_str(), value.kind == SummaryValue::Kind::Count && value.value
                                                 ? std::to_string(static_cast<int>(*value.value))
                                                 : JsonNumberOr(value.value));
    }
    return variant.Add("allocation_sizes", JsonSizes(AllocationOfDesign(option.variant.design))).Text();
}

/// A simulation's document: the program, its version, the settings and the runs.
void WriteDocument(std::ostream& out, const std::string& settings, const std::vector<std::string>& runs)
{
    out << "{\n  \"program\": \"tarvek-batch\",\n  \"version\": " << JsonString(VersionNumber())
        << ",\n  \"settings\": " << settings << ",\n  \"runs\": ";
    WriteArray(out, runs);
    out << "\n}\n";
}

}  // namespace

JsonReport::JsonReport(const BatchOptions& options) : settings_(SettingsObject(options, true))
{}

void JsonReport::AddRun(int run, const RunEngine& engine)
{
    ComputeSimulatedStatistics(engine.samplesDrawn());
    ComputeDesignTheory();
    const TSimulationState& s = SimulationState;
    const MonteCarloErrors errors = ComputeMonteCarloErrors(engine);
    const bool intervals = s.confidenceIntervalMode;
    const int samples = engine.samplesDrawn();
    runs_.push_back(
        JsonObject()
            .Add("run", run)
            .Add("samples", samples)
            .Add("stopped_by_bound", JsonBool(engine.stoppedByBound()))
            .Add("population_mean", JsonNumber(engine.populationMean()))
            .Add("mean_theoretical", JsonNumberOr(s.theoreticalMean, s.theoreticalMeanAvailable))
            .Add("mean_simulated", JsonNumberOr(s.simulatedMean, s.simulatedMeanAvailable))
            .Add("standard_error_theoretical",
                 JsonNumberOr(s.theoreticalStdError, s.theoreticalStdErrorAvailable))
            .Add("design_effect_theoretical", JsonNumberOr(RecordDesignEffect()))
            .Add("standard_error_simulated", JsonNumberOr(s.simulatedStdDev, s.simulatedStdDevAvailable))
            .Add("monte_carlo_error_of_mean", JsonNumberOr(errors.mean))
            .Add("monte_carlo_error_of_standard_error", JsonNumberOr(errors.standardError))
            .Add("correct_intervals", intervals ? std::to_string(engine.correctIntervals()) : Null)
            .Add("percentage_of_correct_intervals",
                 JsonNumberOr(100.0 * engine.correctIntervals() / samples, intervals && samples > 0))
            .Add("monte_carlo_error_of_percentage", JsonNumberOr(errors.percentage))
            .Text());
}

void JsonReport::Write(std::ostream& out) const
{
    WriteDocument(out, settings_, runs_);
}

JsonComparisonReport::JsonComparisonReport(const BatchOptions& options)
    : options_(options), settings_(SettingsObject(options, false))
{}

void JsonComparisonReport::AddRun(int run, const std::vector<CompareVariantOption>& variants,
                                  const ComparisonResult& result,
                                  const std::vector<std::optional<double>>& designEffects)
{
    const bool intervals = SimulationState.confidenceIntervalMode;
    std::string objects;
    for (std::size_t v = 0; v < variants.size(); ++v) {
        objects += (v == 0 ? "" : ", ") + VariantObject(variants[v], result.summaries[v], designEffects[v],
                                                        intervals, options_.monteCarloErrors);
    }
    std::string stopped;
    for (const int first : result.stoppedDesigns) {
        stopped += (stopped.empty() ? "" : ", ") + JsonString(variants[first].designText);
    }
    runs_.push_back(JsonObject()
                        .Add("run", run)
                        .Add("population_mean", JsonNumber(result.populationMean))
                        .Add("stopped_designs", "[" + stopped + "]")
                        .Add("variants", "[" + objects + "]")
                        .Text());
}

void JsonComparisonReport::Write(std::ostream& out) const
{
    WriteDocument(out, settings_, runs_);
}

void WriteJsonPopulationSummary(std::ostream& out)
{
    const TSimulationState& s = SimulationState;
    std::vector<std::string> variables;
    for (int k = 1; k <= s.variableCount && k <= MaxVariables; ++k) {
        variables.push_back(VariableSummaryObject(k));
    }
    out << "{\n  \"population\": " << JsonString(s.populationName) << ",\n  \"units\": " << s.unitCount
        << ",\n  \"variables\": ";
    WriteArray(out, variables);
    out << "\n}\n";
}
