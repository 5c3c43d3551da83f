#include "core/variable_summary.h"

#include <cmath>

#include "core/simulation_state.h"

namespace {

void ScanExtremes(int k, int units, VariableSummary& summary)
{
    summary.minimum = UnitValue(1, k);
    summary.maximum = summary.minimum;
    for (int unit = 1; unit <= units; ++unit) {
        const double value = UnitValue(unit, k);
        if (value < summary.minimum) {
            summary.minimum = value;
        }
        if (value > summary.maximum) {
            summary.maximum = value;
        }
    }
    summary.extremesAvailable = true;
}

double SumInUnitOrder(int k, int units)
{
    double sum = 0.0;
    for (int unit = 1; unit <= units; ++unit) {
        sum += UnitValue(unit, k);
    }
    return sum;
}

double SquaredDeviationsInUnitOrder(int k, int units, double mean)
{
    double squares = 0.0;
    for (int unit = 1; unit <= units; ++unit) {
        const double deviation = UnitValue(unit, k) - mean;
        squares += deviation * deviation;
    }
    return squares;
}

}  // namespace

VariableSummary SummarizeVariable(int k)
{
    VariableSummary summary;
    const int units = PopulationSize();
    if (units < 1) {
        return summary;
    }
    const int column = VariableColumn(k);
    ScanExtremes(column, units, summary);
    summary.mean = SumInUnitOrder(column, units) / units;
    summary.meanAvailable = true;
    if (units >= 2) {
        summary.standardDeviation =
            std::sqrt(SquaredDeviationsInUnitOrder(column, units, summary.mean) / (units - 1));
        summary.standardDeviationAvailable = true;
    }
    return summary;
}
