#pragma once
// The command line of tarvek-batch: the options it takes and their parsing.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/variable_argument.h"
#include "core/allocation.h"
#include "core/simulation_state.h"
#include "engine/plot_options.h"

/// \brief A command line that cannot be understood (unknown option, missing or
/// malformed value); what() is the one line shown to the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct NonresponseOption {
    VariableArgument variable;
    int percentAtMinimum = 0;
    int percentAtMaximum = 0;
};

struct ScaleOption {
    double lower = 0.0;
    double upper = 0.0;
};

/// \brief Everything the command line asked for. Settings not given stay unset,
/// so that the population's defaults apply.
struct BatchOptions {
    std::optional<VariableArgument> target;
    std::optional<int> sampleSize;
    std::optional<DesignCode> design;
    std::optional<VariableArgument> auxiliary;
    bool unitsAsAuxiliary = false;  ///< -a units: x = 1, under the cluster designs only
    std::optional<EstimatorCode> estimator;
    std::optional<AllocationCode> allocation;
    std::optional<VariableArgument> order;  ///< number SystematicRandomOrder: --order random
    std::optional<int> strataClasses;       ///< H of the stratified design's classes of equal size
    std::optional<VariableArgument> clusterVariable;
    std::optional<int> clusters;         ///< m
    std::optional<int> unitsPerCluster;  ///< k
    std::optional<NonresponseOption> nonresponse;
    std::optional<int> simulations;
    bool intervals = false;
    int runs = 1;
    std::optional<ScaleOption> scale;
    std::optional<int> compression;
    std::optional<std::string> estimatesPath;
    std::optional<std::string> plotPath;
    PlotOptions plotOptions;
    std::optional<std::string> compareVariants;
    bool describe = false;
    std::optional<std::uint32_t> seed;
    bool monteCarloErrors = false;
    bool json = false;
    std::optional<std::vector<std::string>> columns;  ///< header names of a delimited file
    bool columnsFromLesson = false;                   ///< columns a lesson names, not --columns
    bool dropMissing = false;
    std::optional<std::string> writePopulationPath;
    bool help = false;
    bool version = false;
    std::string populationPath;
};

inline constexpr int MaxRuns = 100;

/// \brief Parses the arguments after the program name. Throws UsageError.
BatchOptions ParseCommandLine(const std::vector<std::string>& arguments);

/// \brief The usage text printed by --help, one line per option.
std::string UsageText();
