#include "batch/batch_options.h"

#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <string_view>

#include "batch/batch_compare.h"
#include "core/number_text.h"
#include "core/population_file.h"
#include "core/systematic_sampling.h"
#include "engine/estimators/estimator.h"
#include "engine/designs/sampling_design.h"
#include "texts/option_names.h"

namespace {

bool ParseWhole(const std::string& text, int& value)
{
    return ParseIntInRange(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), value);
}

std::size_t SkipDigits(const std::string& text, std::size_t position)
{
    while (position < text.size() && std::isdigit(static_cast<unsigned char>(text[position]))) {
        ++position;
    }
    return position;
}

/// True when `text` is a plain decimal real: optional sign, digits with an
/// optional "." (at least one digit in all), optional exponent. Nothing else:
/// no blanks, "nan", "inf" or hexadecimal forms.
bool IsDecimalReal(const std::string& text)
{
    std::size_t position = 0;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        ++position;
    }
    const std::size_t integerEnd = SkipDigits(text, position);
    std::size_t digits = integerEnd - position;
    position = integerEnd;
    if (position < text.size() && text[position] == '.') {
        const std::size_t fractionEnd = SkipDigits(text, position + 1);
        digits += fractionEnd - position - 1;
        position = fractionEnd;
    }
    if (digits == 0) {
        return false;
    }
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        ++position;
        if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
            ++position;
        }
        const std::size_t exponentEnd = SkipDigits(text, position);
        if (exponentEnd == position) {
            return false;
        }
        position = exponentEnd;
    }
    return position == text.size();
}

/// Locale-independent conversion of a decimal real; fails on overflow.
bool ParseReal(const std::string& text, double& value)
{
    if (!IsDecimalReal(text)) {
        return false;
    }
    // ParseDecimal takes no "+" sign.
    const std::size_t start = text[0] == '+' ? 1 : 0;
    const auto result = ParseDecimal(text.data() + start, text.data() + text.size(), value);
    return result.ec == std::errc{} && std::isfinite(value);
}

/// Splits at every ':'; the number of parts must be `count`.
bool SplitFields(const std::string& text, std::size_t count, std::vector<std::string>& fields)
{
    fields.clear();
    std::size_t start = 0;
    for (std::size_t colon = text.find(':'); colon != std::string::npos; colon = text.find(':', start)) {
        fields.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    fields.push_back(text.substr(start));
    return fields.size() == count;
}

template <std::optional<int> BatchOptions::*field>
bool StoreWhole(const std::string& text, BatchOptions& options)
{
    int value = 0;
    if (!ParseWhole(text, value)) {
        return false;
    }
    options.*field = value;
    return true;
}

template <bool BatchOptions::*flag>
bool SetFlag(const std::string&, BatchOptions& options)
{
    options.*flag = true;
    return true;
}

template <std::optional<VariableArgument> BatchOptions::*field>
bool StoreVariable(const std::string& text, BatchOptions& options)
{
    VariableArgument variable;
    if (!ParseVariableArgument(text, variable)) {
        return false;
    }
    options.*field = variable;
    return true;
}

template <bool PlotOptions::*flag>
bool SetPlotFlag(const std::string&, BatchOptions& options)
{
    options.plotOptions.*flag = true;
    return true;
}

bool StoreEstimatesPath(const std::string& text, BatchOptions& options)
{
    options.estimatesPath = text;
    return !text.empty();
}

#if defined(TARVEK_BATCH_WITHOUT_PICTURES)
bool StorePlotPath(const std::string&, BatchOptions&)
{
    throw UsageError(
        "option --plot is not available in this build of tarvek-batch (pictures need its desktop build)");
}
#else
bool StorePlotPath(const std::string& text, BatchOptions& options)
{
    options.plotPath = text;
    return !text.empty();
}
#endif

/// The variants are read here so that a malformed list is a usage error.
bool StoreCompareVariants(const std::string& text, BatchOptions& options)
{
    ParseCompareVariants(text);
    options.compareVariants = text;
    return true;
}

bool StoreWritePopulationPath(const std::string& text, BatchOptions& options)
{
    options.writePopulationPath = text;
    return !text.empty();
}

/// Names separated by ','; whether they name columns is known only once the
/// file is read.
bool StoreColumns(const std::string& text, BatchOptions& options)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string::npos; comma = text.find(',', start)) {
        names.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    names.push_back(text.substr(start));
    options.columns = names;
    return !text.empty();
}

/// Stores the code that `text` names; false when it names none.
template <typename Code, std::size_t Count>
bool StoreNamedCode(const std::string& text, const std::array<NamedCode<Code>, Count>& names,
                    std::optional<Code>& field)
{
    const std::optional<Code> code = CodeNamed(text, names);
    if (code) {
        field = code;
    }
    return code.has_value();
}

bool ParseDesign(const std::string& text, BatchOptions& options)
{
    const SamplingDesign* design = DesignNamed(text);
    if (design != nullptr) {
        options.design = static_cast<DesignCode>(design->Code());
    }
    return design != nullptr;
}

/// "units" (x = 1) or a variable; which designs take "units" is checked once
/// every option is read.
bool ParseAuxiliary(const std::string& text, BatchOptions& options)
{
    options.unitsAsAuxiliary = text == "units";
    if (options.unitsAsAuxiliary) {
        options.auxiliary.reset();
        return true;
    }
    return StoreVariable<&BatchOptions::auxiliary>(text, options);
}

bool ParseEstimator(const std::string& text, BatchOptions& options)
{
    const Estimator* estimator = EstimatorNamed(text);
    if (estimator != nullptr) {
        options.estimator = static_cast<EstimatorCode>(estimator->Code());
    }
    return estimator != nullptr;
}

bool ParseAllocation(const std::string& text, BatchOptions& options)
{
    return StoreNamedCode(text, AllocationNames, options.allocation);
}

/// "random" shuffles the list once per run; a variable so named is given by number.
bool ParseOrder(const std::string& text, BatchOptions& options)
{
    if (text == "random") {
        options.order = VariableArgument{SystematicRandomOrder, {}};
        return true;
    }
    return StoreVariable<&BatchOptions::order>(text, options);
}

/// "K:MIN:MAX"; K may be a name, which may itself hold colons: the last two
/// colons separate the percentages.
bool ParseNonresponse(const std::string& text, BatchOptions& options)
{
    const std::size_t second = text.rfind(':');
    const std::size_t first =
        second == std::string::npos || second == 0 ? std::string::npos : text.rfind(':', second - 1);
    NonresponseOption nonresponse;
    if (first == std::string::npos || !ParseVariableArgument(text.substr(0, first), nonresponse.variable) ||
        !ParseWhole(text.substr(first + 1, second - first - 1), nonresponse.percentAtMinimum) ||
        !ParseWhole(text.substr(second + 1), nonresponse.percentAtMaximum)) {
        return false;
    }
    options.nonresponse = nonresponse;
    return true;
}

bool ParseScale(const std::string& text, BatchOptions& options)
{
    std::vector<std::string> fields;
    ScaleOption scale;
    if (!SplitFields(text, 2, fields) || !ParseReal(fields[0], scale.lower) ||
        !ParseReal(fields[1], scale.upper)) {
        return false;
    }
    options.scale = scale;
    return true;
}

/// A seed is written as the whole numbers of a population file (optional sign,
/// decimal digits) but spans the generator's whole range, 0..4294967295.
bool ParseSeed(const std::string& text, BatchOptions& options)
{
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || SkipDigits(text, text.size() - digits.size()) != text.size()) {
        return false;
    }
    std::uint64_t value = 0;
    for (const char digit : digits) {
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
    }
    if (negative && value != 0) {
        return false;
    }
    options.seed = static_cast<std::uint32_t>(value);
    return true;
}

bool ParseRuns(const std::string& text, BatchOptions& options)
{
    return ParseIntInRange(text, 1, MaxRuns, options.runs);
}

/// One option of the command line. `apply` stores the option in BatchOptions and
/// returns false when its value is malformed; flags get an empty value.
struct OptionSpec {
    char shortName;  ///< 0 when the option has no short form
    const char* longName;
    const char* valueName;  ///< nullptr for a flag
    const char* description;
    bool (*apply)(const std::string& value, BatchOptions& options);
};

constexpr std::array<OptionSpec, 31> Options = {{
    {'t', "target", "K", "target variable, 1..K or its name (default 1)",
     &StoreVariable<&BatchOptions::target>},
    {'n', "sample-size", "N",
     "sample size, 2..number of units (default min(10, number of units)); not used by the cluster designs, "
     "whose samples --clusters and --units-per-cluster set",
     &StoreWhole<&BatchOptions::sampleSize>},
    {'d', "design", "equal|pps|stratified|systematic|cluster|two-stage",
     "equal probabilities (default), proportional to the auxiliary variable, stratified by the auxiliary "
     "variable, systematic, cluster sampling (every unit of m clusters) or two-stage sampling (k units in "
     "each of m clusters)",
     &ParseDesign},
    {'a', "auxiliary", "K|units",
     "auxiliary variable, 1..K or its name: size variable of pps, x of ratio and regression, "
     "stratification variable of post-stratification; units (x = 1, the mean per unit) under the cluster "
     "designs",
     &ParseAuxiliary},
    {'e', "estimator", "direct|ratio|regression|poststrat", "(default direct)", &ParseEstimator},
    {0, "allocation", "proportional|equal|optimal", "allocation of the stratified design over its strata",
     &ParseAllocation},
    {0, "strata-classes", "H",
     "strata of the stratified design: the auxiliary variable cut by its order into H classes of equal "
     "size, 2..10, equal values in one class (default: its values 1..H are the strata)",
     &StoreWhole<&BatchOptions::strataClasses>},
    {0, "order", "K|random",
     "order of the systematic design's list: by variable K, number or name, or random, shuffled once per "
     "run (default: file order)",
     &ParseOrder},
    {0, "cluster-variable", "K",
     "the clusters of the cluster designs: the distinct values of variable K, number or name",
     &StoreVariable<&BatchOptions::clusterVariable>},
    {0, "clusters", "M", "number of clusters drawn by the cluster designs, 2..number of clusters",
     &StoreWhole<&BatchOptions::clusters>},
    {0, "units-per-cluster", "K", "units drawn in each drawn cluster by two-stage sampling, at least 2",
     &StoreWhole<&BatchOptions::unitsPerCluster>},
    {0, "nonresponse", "K:MIN:MAX",
     "generated nonresponse by variable K (number or name), whole percentages at its minimum and "
     "maximum (e.g. 2:1:99)",
     &ParseNonresponse},
    {'s', "simulations", "S", "samples per run, 10..1000000 (default 1000)",
     &StoreWhole<&BatchOptions::simulations>},
    {0, "intervals", nullptr, "confidence-interval mode (standard errors, 95% intervals, coverage)",
     &SetFlag<&BatchOptions::intervals>},
    {0, "runs", "R", "consecutive runs continuing the one random sequence, 1..100 (default 1)", &ParseRuns},
    {0, "scale", "LO:HI",
     "horizontal scale of the graph (default: minimum and maximum of the target variable)", &ParseScale},
    {0, "compression", "C", "vertical compression factor 1..4 (default 1)",
     &StoreWhole<&BatchOptions::compression>},
    {0, "estimates", "FILE", "write every accepted sample as CSV; \"-\" is standard output",
     &StoreEstimatesPath},
    {0, "plot", "FILE",
     "write the graph of the last run as the window shows it after Automatic, in the format FILE's "
     "extension names (.png, .svg, .pdf, .jpg, ...), else BMP",
     &StorePlotPath},
    {0, "colour-missed", nullptr, "in the picture, draw intervals that miss the population mean in red",
     &SetPlotFlag<&PlotOptions::colourMissedIntervals>},
    {0, "mark-full", nullptr, "in the picture, mark bars that have reached the top of the plot in red",
     &SetPlotFlag<&PlotOptions::markFullClasses>},
    {0, "compare", "VARIANTS",
     "compare variants on the same samples, separated by commas, each DESIGN/ESTIMATOR: DESIGN equal, "
     "pps:K, stratified:K:proportional|equal|optimal[:H], systematic, systematic:K|random, cluster:K:M or "
     "two-stage:K:M:UNITS; ESTIMATOR direct, ratio:K, regression:K or poststrat:K, ratio:units under the "
     "cluster designs (replaces -d, -e, -a, --allocation, --strata-classes, --order and the cluster "
     "options); the interval "
     "percentages are of the samples with an estimate",
     &StoreCompareVariants},
    {0, "describe", nullptr,
     "print the population summary and the codes of categorical variables and exit without simulating",
     &SetFlag<&BatchOptions::describe>},
    {0, "seed", "N", "start the random sequence from N, 0..4294967295 (default 0, as the desktop program)",
     &ParseSeed},
    {0, "mc-error", nullptr,
     "add the Monte Carlo errors of the simulated mean, standard error and percentage (then shown with "
     "one decimal); with --compare, of the relative efficiency and the covered percentage",
     &SetFlag<&BatchOptions::monteCarloErrors>},
    {0, "json", nullptr,
     "write one JSON document instead of the tables (with --describe: the summary as JSON)",
     &SetFlag<&BatchOptions::json>},
    {0, "columns", "NAME,...",
     "columns of a CSV, TSV or TXT file by their header names, at most 10 (default: the first 10 usable)",
     &StoreColumns},
    {0, "drop-missing", nullptr, "leave out the rows of such a file with a missing value in a chosen column",
     &SetFlag<&BatchOptions::dropMissing>},
    {0, "write-population", "FILE",
     "write the population read as a .pop file (\"-\" is standard output) and exit without simulating",
     &StoreWritePopulationPath},
    {'h', "help", nullptr, "usage", &SetFlag<&BatchOptions::help>},
    {0, "version", nullptr, "program version", &SetFlag<&BatchOptions::version>},
}};

/// The option an argument names, and its value when written in the same
/// argument ("--scale=0:10", "-n5").
struct OptionMatch {
    const OptionSpec* spec = nullptr;
    std::optional<std::string> attachedValue;
};

OptionMatch FindLongOption(const std::string& argument)
{
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    for (const OptionSpec& spec : Options) {
        if (name == spec.longName) {
            OptionMatch match{&spec, std::nullopt};
            if (equals != std::string::npos) {
                match.attachedValue = argument.substr(equals + 1);
            }
            return match;
        }
    }
    throw UsageError("unknown option '" + argument + "' (see --help)");
}

OptionMatch FindShortOption(const std::string& argument)
{
    for (const OptionSpec& spec : Options) {
        if (spec.shortName != 0 && argument[1] == spec.shortName) {
            OptionMatch match{&spec, std::nullopt};
            if (argument.size() > 2) {
                match.attachedValue = argument.substr(2);
            }
            return match;
        }
    }
    throw UsageError("unknown option '" + argument + "' (see --help)");
}

std::string DisplayName(const OptionSpec& spec)
{
    return std::string("--") + spec.longName;
}

bool IsOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-';
}

/// Options that exclude each other; --describe --json is the summary as JSON.
void CheckCombinations(const BatchOptions& options)
{
    if (options.describe && options.monteCarloErrors) {
        throw UsageError("option --mc-error cannot be used with --describe");
    }
    if (options.json && options.estimatesPath == "-") {
        throw UsageError("options --json and --estimates - cannot both write to standard output");
    }
    if (options.unitsAsAuxiliary &&
        !DesignOf(options.design.value_or(DesignEqualProbabilities)).OffersUnitsAsAuxiliary()) {
        throw UsageError("--auxiliary units needs the design cluster or two-stage");
    }
}

}  // namespace

BatchOptions ParseCommandLine(const std::vector<std::string>& arguments)
{
    BatchOptions options;
    bool optionsEnded = false;
    bool pathGiven = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !IsOption(argument)) {
            if (pathGiven) {
                throw UsageError("only one population file may be given, not also '" + argument + "'");
            }
            options.populationPath = argument;
            pathGiven = true;
            continue;
        }
        const OptionMatch match =
            argument.rfind("--", 0) == 0 ? FindLongOption(argument) : FindShortOption(argument);
        const OptionSpec& spec = *match.spec;
        std::string value;
        if (spec.valueName == nullptr) {
            if (match.attachedValue) {
                throw UsageError("option " + DisplayName(spec) + " takes no value");
            }
        } else if (match.attachedValue) {
            value = *match.attachedValue;
        } else if (index + 1 < arguments.size()) {
            value = arguments[++index];
        } else {
            throw UsageError("option " + DisplayName(spec) + " needs a value " + spec.valueName);
        }
        if (!spec.apply(value, options)) {
            throw UsageError("invalid value '" + value + "' for " + DisplayName(spec) + " (expected " +
                             spec.valueName + ")");
        }
    }
    CheckCompareCombination(options);
    if (!pathGiven && !options.help && !options.version) {
        throw UsageError("no population file given (see --help)");
    }
    CheckCombinations(options);
    return options;
}

std::string UsageText()
{
    std::string text =
        "Usage: tarvek-batch [OPTIONS] POPULATION_FILE\n"
        "Simulates samples from a finite population and prints the statistics table.\n\n"
        "Options:\n";
    for (const OptionSpec& spec : Options) {
        std::string line = spec.shortName != 0 ? std::string("  -") + spec.shortName + ", " : "      ";
        line += DisplayName(spec);
        if (spec.valueName != nullptr) {
            line += std::string(" ") + spec.valueName;
        }
        line.resize(std::max<std::size_t>(line.size() + 2, 30), ' ');
        text += line + spec.description + "\n";
    }
    text +=
        "\nWith --json, standard output holds one JSON document: \"settings\", the settings as applied\n"
        "(under the cluster designs with the target's intraclass_correlation, ANOVA form, as the cluster\n"
        "dialog shows it), and \"runs\", one object per run with samples, stopped_by_bound,\n"
        "population_mean, mean_theoretical, mean_simulated, standard_error_theoretical,\n"
        "design_effect_theoretical, standard_error_simulated, monte_carlo_error_of_mean,\n"
        "monte_carlo_error_of_standard_error, correct_intervals, percentage_of_correct_intervals (not\n"
        "rounded) and monte_carlo_error_of_percentage. Reals are written in full precision; null\n"
        "stands for a value that is undefined or does not apply.\n"
        "With --compare, each run holds population_mean, stopped_designs and \"variants\", one object\n"
        "per variant with the table's columns and allocation_sizes.\n";
    text +=
        "\nThe design effect (theoretical) is the square of the theoretical standard error over the\n"
        "variance of the direct estimator under simple random sampling of as many units as the design\n"
        "draws on average, (1/n - 1/N) S2 with S2 the target's variance; the tables show it under the\n"
        "cluster designs, --compare as its column design_effect, for every variant. It is undefined (-)\n"
        "where the theoretical standard error is, or where the sample takes every unit.\n";
    text +=
        "\nWith --compare, covered, missed_low and missed_high are percentages of the samples with an\n"
        "estimate (m); with no_se they add up to 100. With --mc-error, relative_efficiency_mc_error is\n"
        "the delta method's (A/B) sqrt(V_A/A^2 + V_B/B^2 - 2 C/(A B)) for A and B the mean squared\n"
        "errors of the first variant and this one (means of a_i = (e_i - Ybar)^2 and b_i), V_A =\n"
        "sum (a_i - A)^2 / m_a^2, V_B likewise, and C = sum (a_i - A)(b_i - B) / (m_a m_b) over the\n"
        "samples where both have an estimate when they share a design, 0 across designs; and\n"
        "covered_mc_error is 100 sqrt(p (1 - p) / m) with p the covered fraction.\n";
    text +=
        "\nExit status: 0 success, 1 a file could not be read or written, 2 a usage error or a\n"
        "refused setting, 3 a run stopped because no acceptable sample was found.\n";
    return text;
}
