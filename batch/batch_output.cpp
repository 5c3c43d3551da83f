#include "batch/batch_output.h"

#include <charconv>
#include <ostream>

#include "core/number_format.h"
#include "core/simulation_state.h"
#include "core/variable_summary.h"
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

}  // namespace

void WriteStatisticsTable(std::ostream& out, const RunEngine& engine)
{
    for (const StatisticsRow& row : StatisticsTableRows(engine.samplesDrawn())) {
        if (row.label.empty() && row.value.empty()) {
            out << '\n';
        } else {
            out << row.label << '\t' << row.value << '\n';
        }
    }
    if (SimulationState.confidenceIntervalMode) {
        out << InterfaceTexts.correctIntervalsText << '\t' << engine.correctIntervalPercentage() << '\n';
    }
}

std::string FormatSignificant17(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
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
