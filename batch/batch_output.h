#pragma once
// What tarvek-batch writes: the statistics table of a run, the CSV of the
// accepted samples and the population summary. Numbers never depend on the locale.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "engine/statistics_rows.h"

class RunEngine;
struct SampleResult;

/// \brief The lines of the statistics table over the samples the run has drawn:
/// the table's rows (a spacer row with an empty label and value) and those that
/// follow them, the label and its value each, as WriteStatisticsTable writes them.
std::vector<StatisticsRow> StatisticsTableLines(const RunEngine& engine, bool monteCarloErrors);

/// \brief The statistics table over the samples the run has drawn, one row a
/// line ("label<TAB>value", an empty line for a spacer row), and in interval mode
/// the percentage of correct intervals. With `monteCarloErrors` the Monte Carlo
/// error of the mean and of the standard error follow the simulated standard
/// error, and that of the percentage follows the percentage, which then shows one
/// decimal.
void WriteStatisticsTable(std::ostream& out, const RunEngine& engine, bool monteCarloErrors = false);

/// \brief The Monte Carlo errors of a run's simulated statistics over its S
/// accepted samples, with sd the simulated standard deviation and p the fraction
/// of correct intervals; each is absent where it is undefined. Reads the simulated
/// statistics from SimulationState, so they must be computed first.
struct MonteCarloErrors {
    std::optional<double> mean;           ///< sd / sqrt(S)
    std::optional<double> standardError;  ///< MonteCarloErrorOfStandardError
    std::optional<double> percentage;     ///< 100 sqrt(p (1 - p) / S), interval mode only
};
MonteCarloErrors ComputeMonteCarloErrors(const RunEngine& engine);

/// \brief `value` with 17 significant digits, as printf "%.17g" in the C locale.
std::string FormatSignificant17(double value);

/// \brief The CSV of accepted samples: a header, then one row per sample.
class EstimatesCsv {
public:
    explicit EstimatesCsv(std::ostream& out);
    void WriteRow(int run, const SampleResult& sample, bool intervalMode);

private:
    std::ostream& out_;
};

/// \brief The description, "units N", "variables K" and per variable its number,
/// name, minimum, maximum, mean and standard deviation, tab-separated.
void WritePopulationSummary(std::ostream& out);
