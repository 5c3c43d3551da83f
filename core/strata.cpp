#include "core/strata.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/ordering.h"
#include "core/settings.h"

StrataCheck FormStrata(int k)
{
    StrataCheck check;
    Strata& strata = check.strata;
    strata.units = PopulationSize();
    const int column = VariableColumn(k);
    for (int i = 1; i <= strata.units; ++i) {
        const int h = StratumOfValue(UnitValue(i, column));
        if (h < 1 || h > MaxStrata) {
            check.refusal = TooManyStrataMessage;
            return check;
        }
        strata.sizes[h] += 1;
        strata.count = std::max(strata.count, h);
    }
    for (int h = 1; h <= strata.count; ++h) {
        if (strata.sizes[h] < 1) {
            check.refusal = EmptyStrataMessage;
            return check;
        }
    }
    return check;
}

int MinimumStratifiedSampleSize(const Strata& strata)
{
    int minimum = 0;
    for (int h = 1; h <= strata.count; ++h) {
        minimum += std::min(2, strata.sizes[h]);
    }
    return minimum;
}

int NamedStrataCount(int k)
{
    const int column = VariableColumn(k);
    std::set<double> named;
    bool missing = false;
    for (int i = 1; i <= PopulationSize(); ++i) {
        const double x = UnitValue(i, column);
        if (std::isnan(x)) {
            missing = true;
        } else {
            named.insert(std::nearbyint(x));
        }
    }
    const int distinct = static_cast<int>(named.size()) + (missing ? 1 : 0);
    const double largest = named.empty() ? 0.0 : *named.rbegin();
    return largest > distinct ? static_cast<int>(std::min(largest, 1e9)) : distinct;
}

StratumValues StratumMeans(const Strata& strata, int stratifier, int target)
{
    const int stratumColumn = VariableColumn(stratifier);
    const int targetColumn = VariableColumn(target);
    StratumValues means{};
    for (int i = 1; i <= strata.units; ++i) {
        const int h = StratumOfValue(UnitValue(i, stratumColumn));
        if (h >= 1 && h <= strata.count) {
            means[h] += UnitValue(i, targetColumn);
        }
    }
    for (int h = 1; h <= strata.count; ++h) {
        means[h] /= strata.sizes[h];
    }
    return means;
}

StratumValues StratumVariances(const Strata& strata, int stratifier, int target)
{
    const int stratumColumn = VariableColumn(stratifier);
    const int targetColumn = VariableColumn(target);
    const StratumValues means = StratumMeans(strata, stratifier, target);
    StratumValues first{};
    std::array<bool, MaxStrata + 1> seen{};
    std::array<bool, MaxStrata + 1> varies{};
    StratumValues squares{};
    for (int i = 1; i <= strata.units; ++i) {
        const int h = StratumOfValue(UnitValue(i, stratumColumn));
        if (h < 1 || h > strata.count) {
            continue;
        }
        const double y = UnitValue(i, targetColumn);
        varies[h] = varies[h] || (seen[h] && y != first[h]);
        if (!seen[h]) {
            first[h] = y;
            seen[h] = true;
        }
        const double deviation = y - means[h];
        squares[h] += deviation * deviation;
    }
    StratumValues variances{};
    for (int h = 1; h <= strata.count; ++h) {
        variances[h] = varies[h] ? squares[h] / (strata.sizes[h] - 1) : 0.0;
    }
    return variances;
}

std::string CheckStratifiedDesign(int k, int n)
{
    const StrataCheck check = FormStrata(k);
    if (!check.refusal.empty()) {
        return check.refusal;
    }
    if (n < MinimumStratifiedSampleSize(check.strata)) {
        return SampleTooSmallForStrataMessage;
    }
    return "";
}
