#include "batch/batch_compare.h"

#include <array>
#include <optional>
#include <ostream>
#include <span>

#include "batch/batch_json.h"
#include "batch/batch_output.h"
#include "batch/batch_settings.h"
#include "core/number_format.h"
#include "core/population_file.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"
#include "engine/designs/compare_fields.h"
#include "engine/designs/sampling_design.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"
#include "texts/option_names.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

/// The single-setting options of a --compare design: its variable as -a, --order
/// or --cluster-variable, with --allocation, --clusters and --units-per-cluster.
/// `variableGiven` is false for the systematic design without a variable.
BatchOptions SettingsOfChoice(const SamplingDesign& design, const DesignChoice& choice, bool variableGiven)
{
    BatchOptions settings;
    settings.design = static_cast<DesignCode>(design.Code());
    const VariableArgument variable{choice.variable, {}};
    if (design.VariableIsAuxiliary()) {
        settings.auxiliary = variable;
    } else if (design.OffersUnitsAsAuxiliary()) {
        settings.clusterVariable = variable;
        settings.clusters = choice.clusters;
    } else if (variableGiven) {
        settings.order = variable;
    }
    if (design.Code() == DesignStratified) {
        settings.allocation = static_cast<AllocationCode>(choice.allocation);
    }
    if (choice.stratumClasses != 0) {
        settings.strataClasses = choice.stratumClasses;
    }
    if (choice.unitsPerCluster != 0) {
        settings.unitsPerCluster = choice.unitsPerCluster;
    }
    return settings;
}

/// Reads DESIGN into `option`; false when malformed.
bool ParseDesignPart(const std::string& text, CompareVariantOption& option)
{
    const std::vector<std::string> fields = Split(text, ':');
    const SamplingDesign* design = DesignNamed(fields[0]);
    const std::span<const std::string> rest = std::span(fields).subspan(1);
    if (design == nullptr || !design->ParseCompareFields(rest, option.variant.design)) {
        return false;
    }
    option.settings = SettingsOfChoice(*design, option.variant.design, !rest.empty());
    return true;
}

/// Reads ESTIMATOR into `option`; false when malformed.
bool ParseEstimatorPart(const std::string& text, CompareVariantOption& option)
{
    if (text == "direct") {
        option.variant.estimator = EstimatorDirect;
        option.variant.auxiliaryVariable = option.variant.design.variable;
        option.settings.estimator = EstimatorDirect;
        return true;
    }
    const std::vector<std::string> fields = Split(text, ':');
    if (text == "ratio:units" && DesignOf(option.variant.design.design).OffersUnitsAsAuxiliary()) {
        option.variant.estimator = EstimatorRatio;
        option.variant.auxiliaryVariable = 0;
        option.settings.estimator = EstimatorRatio;
        option.settings.unitsAsAuxiliary = true;
        return true;
    }
    int variable = 0;
    if (fields.size() != 2 || !ParseCompareVariable(fields[1], variable)) {
        return false;
    }
    // Only direct stands without a variable.
    const Estimator* estimator = EstimatorNamed(fields[0]);
    if (estimator == nullptr || !estimator->ReadsAuxiliary()) {
        return false;
    }
    option.variant.estimator = estimator->Code();
    option.variant.auxiliaryVariable = variable;
    option.settings.estimator = static_cast<EstimatorCode>(estimator->Code());
    // Under a design with a variable of its own, -a names that one; the
    // single-setting run then refuses the estimator as it would.
    if (!option.settings.auxiliary) {
        option.settings.auxiliary = VariableArgument{variable, {}};
    }
    return true;
}

/// The single-setting run of a variant: the shared options with its design,
/// estimator and auxiliary variable.
BatchOptions SettingsOf(const BatchOptions& shared, const CompareVariantOption& option)
{
    BatchOptions settings = shared;
    settings.design = option.settings.design;
    settings.estimator = option.settings.estimator;
    settings.auxiliary = option.settings.auxiliary;
    settings.unitsAsAuxiliary = option.settings.unitsAsAuxiliary;
    settings.allocation = option.settings.allocation;
    settings.strataClasses = option.settings.strataClasses;
    settings.order = option.settings.order;
    settings.clusterVariable = option.settings.clusterVariable;
    settings.clusters = option.settings.clusters;
    settings.unitsPerCluster = option.settings.unitsPerCluster;
    return settings;
}

/// The first refusal of a variant's design, estimator and auxiliary variable,
/// as its single-setting run would make it.
std::string CheckVariants(const BatchOptions& options, const std::vector<CompareVariantOption>& variants)
{
    for (const CompareVariantOption& option : variants) {
        if (std::string refusal = DesignSettingsRefusal(SettingsOf(options, option)); !refusal.empty()) {
            return refusal;
        }
    }
    return "";
}

/// The settings lines, as the statistics table writes them, the population mean
/// and the allocation of each stratified variant.
void WriteSettingLines(std::ostream& out, const std::vector<CompareVariantOption>& variants,
                       const ComparisonResult& result)
{
    constexpr std::array<int, 5> rowsShown = {0, 3, 1, 5, 6};
    const auto rows = StatisticsTableRows(0);
    for (const int row : rowsShown) {
        out << rows[row].label << '\t' << rows[row].value << '\n';
    }
    out << "Population mean\t" << FormatFixed3(result.populationMean) << '\n';
    for (const CompareVariantOption& option : variants) {
        if (option.variant.design.design == DesignStratified) {
            out << "Allocation of " << option.text << '\t'
                << AllocationSizesText(AllocationOfDesign(option.variant.design)) << '\n';
        }
    }
}

void WriteComparisonTable(std::ostream& out, const std::vector<CompareVariantOption>& variants,
                          const ComparisonResult& result,
                          const std::vector<std::optional<double>>& designEffects, bool intervals,
                          bool monteCarloErrors)
{
    WriteSettingLines(out, variants, result);
    out << '\n';
    const std::vector<std::string> columns = ComparisonColumns(intervals, monteCarloErrors);
    for (std::size_t column = 0; column < columns.size(); ++column) {
        out << (column == 0 ? "" : "\t") << columns[column];
    }
    out << '\n';
    for (std::size_t v = 0; v < variants.size(); ++v) {
        out << variants[v].text;
        std::vector<std::string> fields = SummaryFields(result.summaries[v], intervals, monteCarloErrors);
        fields.insert(fields.begin() + DesignEffectValue,
                      FormatFixed3Or(designEffects[v].value_or(0.0), designEffects[v].has_value()));
        for (const std::string& field : fields) {
            out << '\t' << field;
        }
        out << '\n';
    }
}

void WriteEstimatesRow(std::ostream& out, int run, const VariantSample& sample, bool intervals)
{
    out << run << ',' << sample.variant + 1 << ',' << sample.sample << ',';
    if (sample.valid) {
        out << FormatSignificant17(sample.estimate);
    }
    out << ',';
    if (sample.valid && intervals && sample.standardErrorAvailable) {
        out << FormatSignificant17(sample.standardError) << ',' << FormatSignificant17(sample.lower) << ','
            << FormatSignificant17(sample.upper) << ',' << (sample.covered ? 1 : 0) << ',';
    } else {
        out << ",,,,";
    }
    out << sample.rejectedDraws << '\n';
}

}  // namespace

std::vector<CompareVariantOption> ParseCompareVariants(const std::string& text)
{
    std::vector<CompareVariantOption> variants;
    for (const std::string& part : Split(text, ',')) {
        CompareVariantOption option;
        option.text = part;
        const std::size_t slash = part.find('/');
        option.designText = part.substr(0, slash);
        if (slash == std::string::npos || !ParseDesignPart(option.designText, option) ||
            !ParseEstimatorPart(part.substr(slash + 1), option)) {
            throw UsageError("invalid variant '" + part +
                             "' for --compare (expected DESIGN/ESTIMATOR, see --help)");
        }
        variants.push_back(option);
    }
    return variants;
}

std::vector<std::string> ComparisonColumns(bool intervals, bool monteCarloErrors)
{
    std::vector<std::string> columns = {
        "variant", "theoretical_mean", "simulated_mean",      "bias",       "theoretical_se", "simulated_se",
        "rmse",    "design_effect",    "relative_efficiency", "no_estimate"};
    if (intervals) {
        columns.insert(columns.end(), {"covered", "missed_low", "missed_high", "no_se"});
    }
    if (monteCarloErrors) {
        columns.emplace_back("relative_efficiency_mc_error");
        if (intervals) {
            columns.emplace_back("covered_mc_error");
        }
    }
    return columns;
}

void CheckCompareCombination(const BatchOptions& options)
{
    if (!options.compareVariants) {
        return;
    }
    if (options.design || options.estimator || options.auxiliary || options.unitsAsAuxiliary ||
        options.allocation || options.strataClasses || options.order) {
        throw UsageError(
            "--compare cannot be combined with --design, --estimator, --auxiliary, --allocation, "
            "--strata-classes or --order");
    }
    if (options.clusterVariable || options.clusters || options.unitsPerCluster) {
        throw UsageError(
            "--compare cannot be combined with --cluster-variable, --clusters or --units-per-cluster");
    }
    if (options.plotPath) {
        throw UsageError("--compare cannot be combined with --plot");
    }
}

std::string ApplyCompareSettings(const BatchOptions& options)
{
    const std::vector<CompareVariantOption> variants = ParseCompareVariants(*options.compareVariants);
    // The variants are checked on the shared target and sample size, before the
    // settings that come after the design.
    if (std::string refusal = ApplyLeadingSettings(options); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = CheckVariants(options, variants); !refusal.empty()) {
        return refusal;
    }
    return ApplySettings(options);
}

bool RunComparisons(const BatchOptions& options, const ComparisonOutputs& outputs,
                    const std::function<void(const std::string&)>& report)
{
    const std::vector<CompareVariantOption> parsed = ParseCompareVariants(*options.compareVariants);
    std::vector<ComparisonVariant> variants;
    for (const CompareVariantOption& option : parsed) {
        variants.push_back(option.variant);
    }
    const bool intervals = SimulationState.confidenceIntervalMode;
    std::optional<JsonComparisonReport> json;
    if (outputs.json != nullptr) {
        json.emplace(options);
    }
    std::ostream* estimates = outputs.estimates;
    if (estimates != nullptr) {
        *estimates << "run,variant,sample,estimate,standard_error,lower,upper,covered,rejected\n";
    }
    for (int run = 1; run <= options.runs; ++run) {
        if (outputs.tables != nullptr && options.runs > 1) {
            *outputs.tables << "Run " << run << '\n';
        }
        const ComparisonResult result = RunComparison(
            variants, SimulationState.simulationCount, intervals, [&](const VariantSample& sample) {
                if (estimates != nullptr) {
                    WriteEstimatesRow(*estimates, run, sample, intervals);
                }
            });
        // After the run: a list in random order has the theory of the run's shuffle.
        std::vector<std::optional<double>> designEffects;
        for (const ComparisonVariant& variant : variants) {
            designEffects.push_back(
                TheoreticalDesignEffect(variant.design, variant.estimator, variant.auxiliaryVariable));
        }
        if (outputs.tables != nullptr) {
            WriteComparisonTable(*outputs.tables, parsed, result, designEffects, intervals,
                                 options.monteCarloErrors);
        }
        if (json) {
            json->AddRun(run, parsed, result, designEffects);
        }
        if (outputs.observeRun) {
            outputs.observeRun(result);
        }
        if (!result.stoppedDesigns.empty()) {
            if (json) {
                json->Write(*outputs.json);
            }
            for (std::ostream* out : {outputs.tables, outputs.json}) {
                if (out != nullptr) {
                    out->flush();
                }
            }
            for (const int first : result.stoppedDesigns) {
                report(parsed[first].designText + ": " + RejectionBoundMessage);
            }
            return false;
        }
    }
    if (json) {
        json->Write(*outputs.json);
    }
    return true;
}
