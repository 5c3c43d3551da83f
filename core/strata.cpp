#include "core/strata.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

#include "core/number_text.h"
#include "core/ordering.h"
#include "core/settings.h"

std::vector<int> EqualSizeClasses(std::span<const double> values, int classes)
{
    std::vector<int> classOf(values.size(), 0);
    std::vector<std::size_t> ranked;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isnan(values[i])) {
            ranked.push_back(i);
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&values](std::size_t a, std::size_t b) { return values[a] < values[b]; });
    const auto n = static_cast<std::int64_t>(ranked.size());
    for (std::size_t first = 0; first < ranked.size();) {
        std::size_t end = first + 1;
        while (end < ranked.size() && values[ranked[end]] == values[ranked[first]]) {
            ++end;
        }
        const auto middleTwice = static_cast<std::int64_t>(first + end - 1);
        const int h = static_cast<int>(middleTwice * classes / (2 * n)) + 1;
        for (std::size_t r = first; r < end; ++r) {
            classOf[ranked[r]] = h;
        }
        first = end;
    }
    return classOf;
}

Stratification StratificationOf(int k, int classes)
{
    Stratification stratification(k);
    stratification.classes = classes;
    if (classes < MinimumStrataClasses || classes > MaxStrata) {
        return stratification;
    }
    stratification.upper.fill(std::numeric_limits<double>::quiet_NaN());
    const std::vector<double> values = VariableValues(k);
    const std::vector<int> classOf = EqualSizeClasses(values, classes);
    for (std::size_t i = 0; i < values.size(); ++i) {
        double& largest = stratification.upper[classOf[i]];
        if (classOf[i] > 0 && !(values[i] <= largest)) {
            largest = values[i];
        }
    }
    return stratification;
}

Stratification RecordStratification()
{
    Stratification stratification(SimulationState.auxiliaryVariable);
    stratification.classes = SimulationState.stratumClasses;
    stratification.upper = SimulationState.stratumClassBounds;
    return stratification;
}

std::string ClassCountMessage(int classes)
{
    return "There can be " + std::to_string(MinimumStrataClasses) + " to " + std::to_string(MaxStrata) +
           " classes, not " + std::to_string(classes) + "!";
}

std::string MissingClassValuesMessage(int k)
{
    return VariableNameOrDash(k) + " has missing values, which fall in no class!";
}

std::string TiedClassesMessage(int k, int classes)
{
    return "With equal values in the class of their middle rank, " + VariableNameOrDash(k) +
           " gives fewer than " + std::to_string(classes) + " classes!";
}

StrataCheck FormStrata(int k)
{
    return FormStrata(Stratification(k));
}

StrataCheck FormStrata(const Stratification& stratification)
{
    const int classes = stratification.classes;
    StrataCheck check;
    if (classes != 0 && (classes < MinimumStrataClasses || classes > MaxStrata)) {
        check.refusal = ClassCountMessage(classes);
        return check;
    }
    Strata& strata = check.strata;
    strata.units = PopulationSize();
    const int column = VariableColumn(stratification.variable);
    for (int i = 1; i <= strata.units; ++i) {
        const int h = stratification.StratumOf(UnitValue(i, column));
        if (h < 1 || h > MaxStrata) {
            check.refusal =
                classes == 0 ? TooManyStrataMessage : MissingClassValuesMessage(stratification.variable);
            return check;
        }
        strata.sizes[h] += 1;
        strata.count = std::max(strata.count, h);
    }
    if (classes != 0 && strata.count < classes) {
        check.refusal = TiedClassesMessage(stratification.variable, classes);
        return check;
    }
    for (int h = 1; h <= strata.count; ++h) {
        if (strata.sizes[h] < 1) {
            check.refusal =
                classes == 0 ? EmptyStrataMessage : TiedClassesMessage(stratification.variable, classes);
            return check;
        }
    }
    return check;
}

namespace {

std::string ValueText(double value)
{
    return std::isfinite(value) ? ShortestText(value) : "-";
}

}  // namespace

std::vector<std::string> StratumNames(const Strata& strata, const Stratification& stratifier)
{
    const int count = std::clamp(strata.count, 0, MaxStrata);
    std::vector<std::string> names;
    if (stratifier.classes != 0) {
        StratumValues lowest{};
        lowest.fill(std::numeric_limits<double>::infinity());
        const int column = VariableColumn(stratifier.variable);
        for (int i = 1; i <= strata.units; ++i) {
            const double x = UnitValue(i, column);
            const int h = stratifier.StratumOf(x);
            if (h >= 1 && h <= count) {
                lowest[h] = std::min(lowest[h], x);
            }
        }
        for (int h = 1; h <= count; ++h) {
            names.push_back(ValueText(lowest[h]) + " to " + ValueText(stratifier.upper[h]));
        }
        return names;
    }
    const std::vector<std::string>& labels =
        SimulationState.variableLabels[VariableColumn(stratifier.variable)];
    for (int h = 1; h <= count; ++h) {
        const auto label = static_cast<std::size_t>(h - 1);
        names.push_back(std::to_string(h) + (label < labels.size() ? " = " + labels[label] : ""));
    }
    return names;
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

StratumValues StratumMeans(const Strata& strata, const Stratification& stratifier, int target)
{
    const int stratumColumn = VariableColumn(stratifier.variable);
    const int targetColumn = VariableColumn(target);
    StratumValues means{};
    for (int i = 1; i <= strata.units; ++i) {
        const int h = stratifier.StratumOf(UnitValue(i, stratumColumn));
        if (h >= 1 && h <= strata.count) {
            means[h] += UnitValue(i, targetColumn);
        }
    }
    for (int h = 1; h <= strata.count; ++h) {
        means[h] /= strata.sizes[h];
    }
    return means;
}

StratumValues StratumVariances(const Strata& strata, const Stratification& stratifier, int target)
{
    const int stratumColumn = VariableColumn(stratifier.variable);
    const int targetColumn = VariableColumn(target);
    const StratumValues means = StratumMeans(strata, stratifier, target);
    StratumValues first{};
    std::array<bool, MaxStrata + 1> seen{};
    std::array<bool, MaxStrata + 1> varies{};
    StratumValues squares{};
    for (int i = 1; i <= strata.units; ++i) {
        const int h = stratifier.StratumOf(UnitValue(i, stratumColumn));
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

std::string CheckStratifiedDesign(const Stratification& stratification, int n)
{
    const StrataCheck check = FormStrata(stratification);
    if (!check.refusal.empty()) {
        return check.refusal;
    }
    if (n < MinimumStratifiedSampleSize(check.strata)) {
        return SampleTooSmallForStrataMessage;
    }
    return "";
}
