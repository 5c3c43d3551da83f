#include "core/strata.h"

#include <algorithm>

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

StratumValues StratumVariances(const Strata& strata, int stratifier, int target)
{
    const int stratumColumn = VariableColumn(stratifier);
    const int targetColumn = VariableColumn(target);
    const auto stratumOf = [&](int unit) { return StratumOfValue(UnitValue(unit, stratumColumn)); };
    const auto inStrata = [&](int h) { return h >= 1 && h <= strata.count; };
    StratumValues means{};
    StratumValues first{};
    std::array<bool, MaxStrata + 1> seen{};
    std::array<bool, MaxStrata + 1> varies{};
    for (int i = 1; i <= strata.units; ++i) {
        const int h = stratumOf(i);
        if (!inStrata(h)) {
            continue;
        }
        const double y = UnitValue(i, targetColumn);
        means[h] += y;
        varies[h] = varies[h] || (seen[h] && y != first[h]);
        if (!seen[h]) {
            first[h] = y;
            seen[h] = true;
        }
    }
    for (int h = 1; h <= strata.count; ++h) {
        means[h] /= strata.sizes[h];
    }
    StratumValues squares{};
    for (int i = 1; i <= strata.units; ++i) {
        const int h = stratumOf(i);
        if (inStrata(h) && varies[h]) {
            const double deviation = UnitValue(i, targetColumn) - means[h];
            squares[h] += deviation * deviation;
        }
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
