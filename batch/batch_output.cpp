#include "batch/batch_output.h"

#include <cmath>
#include <ostream>
#include <vector>

#include "core/number_format.h"
#include "core/number_text.h"
#include "core/simulation_state.h"
#include "core/variable_summary.h"
#include "engine/monte_carlo_errors.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"
#include "texts/interface_text_table.h"

namespace {

constexpr const char* NotAvailable = "-";

void WriteVariableLine(std::ostream& out, int k)
{
    out << k << '\t' << SimulationState.variableNames[k];
    const VariableSummary summary = SummarizeVariable(k);
    if (!summary.extremesAvailable) {
        for (int column = 0; column < 4; ++column) {
            out << '\t' << NotAvailable;
        }
        out << '\n';
        return;
    }
    out << '\t' << FormatFixed3(summary.minimum) << '\t' << FormatFixed3(summary.maximum) << '\t'
        << FormatFixed3(summary.mean) << '\t'
        << FormatFixed3Or(summary.standardDeviation, summary.standardDeviationAvailable) << '\n';
}

/// The percentage of correct intervals: whole as the window shows it, or with
/// one decimal beside its Monte Carlo error; "-" when no sample was drawn.
std::string CorrectIntervalsValue(const RunEngine& engine, bool precise)
{
    const int samples = engine.samplesDrawn();
    if (samples == 0) {
        return NotAvailable;
    }
    if (!precise) {
        return std::to_string(engine.correctIntervalPercentage());
    }
    return FormatFixed1(engine.correctIntervals() * 100.0 / samples);
}

}  // namespace

std::vector<StatisticsRow> StatisticsTableLines(const RunEngine& engine, bool monteCarloErrors)
{
    const auto rows = StatisticsTableRows(engine.samplesDrawn());
    const std::vector<DesignStatisticsRow> designRows = DesignStatisticsRows();
    std::vector<StatisticsRow> lines;
    for (int row = 0; row < StatisticsRowCount; ++row) {
        lines.push_back(rows[row]);
        for (const DesignStatisticsRow& added : designRows) {
            if (added.after == row) {
                lines.push_back(added.row);
            }
        }
    }
    const MonteCarloErrors errors = ComputeMonteCarloErrors(engine);
    if (monteCarloErrors) {
        lines.push_back({"Monte Carlo error of the mean", FormatFixed3Or(errors.mean)});
        lines.push_back({"Monte Carlo error of the standard error", FormatFixed3Or(errors.standardError)});
    }
    if (SimulationState.confidenceIntervalMode) {
        lines.push_back(
            {InterfaceTexts.correctIntervalsText, CorrectIntervalsValue(engine, monteCarloErrors)});
        if (monteCarloErrors) {
            lines.push_back({"Monte Carlo error of the percentage", FormatFixed3Or(errors.percentage)});
        }
    }
    return lines;
}

void WriteStatisticsTable(std::ostream& out, const RunEngine& engine, bool monteCarloErrors)
{
    for (const StatisticsRow& line : StatisticsTableLines(engine, monteCarloErrors)) {
        if (line.label.empty() && line.value.empty()) {
            out << '\n';
        } else {
            out << line.label << '\t' << line.value << '\n';
        }
    }
}

MonteCarloErrors ComputeMonteCarloErrors(const RunEngine& engine)
{
    const TSimulationState& s = SimulationState;
    const int samples = engine.samplesDrawn();
    MonteCarloErrors errors;
    if (s.simulatedStdDevAvailable && samples >= 2) {
        const std::vector<double> estimates(s.estimates.begin() + 1, s.estimates.begin() + 1 + samples);
        errors.mean = MonteCarloErrorOfMean(s.simulatedStdDev, samples);
        errors.standardError = MonteCarloErrorOfStandardError(estimates, s.simulatedMean, s.simulatedStdDev);
    }
    if (s.confidenceIntervalMode && samples >= 1) {
        errors.percentage = MonteCarloErrorOfPercentage(engine.correctIntervals(), samples);
    }
    return errors;
}

std::string FormatSignificant17(double value)
{
    return SignificantText(value, 17);
}

EstimatesCsv::EstimatesCsv(std::ostream& out) : out_(out)
{
    out_ << "run,sample,estimate,standard_error,lower,upper,covered,class,rejected\n";
}

void EstimatesCsv::WriteRow(int run, const SampleResult& sample, bool intervalMode)
{
    out_ << run << ',' << sample.sampleNumber << ',' << FormatSignificant17(sample.estimate) << ',';
    if (intervalMode && sample.standardErrorAvailable) {
        out_ << FormatSignificant17(sample.standardError) << ',' << FormatSignificant17(sample.intervalLower)
             << ',' << FormatSignificant17(sample.intervalUpper) << ',' << (sample.covered ? 1 : 0) << ',';
    } else if (intervalMode) {
        out_ << ",,,0,";
    } else {
        out_ << ",,,,";
    }
    out_ << sample.histogramClass << ',' << sample.rejectedDraws << '\n';
}

void WritePopulationSummary(std::ostream& out)
{
    const TSimulationState& s = SimulationState;
    out << s.populationName << '\n'
        << "units " << s.unitCount << '\n'
        << "variables " << s.variableCount << '\n';
    for (int k = 1; k <= s.variableCount && k <= MaxVariables; ++k) {
        WriteVariableLine(out, k);
    }
}
