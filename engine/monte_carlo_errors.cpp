#include "engine/monte_carlo_errors.h"

#include <algorithm>
#include <cmath>

namespace {

double Mean(const std::vector<double>& values)
{
    double sum = 0.0;
    for (const double value : values) {
        sum += value;
    }
    return sum / static_cast<double>(values.size());
}

/// sum (x_i - mean)^2 / m^2: the variance of the mean of x, plug-in form.
double VarianceOfMean(const std::vector<double>& values, double mean)
{
    double squares = 0.0;
    for (const double value : values) {
        squares += (value - mean) * (value - mean);
    }
    const double m = static_cast<double>(values.size());
    return squares / (m * m);
}

/// sum over the samples both hold of (a_i - A)(b_i - B) / (m_a m_b).
double CovarianceOfMeans(const SquaredErrors& a, double meanA, const SquaredErrors& b, double meanB)
{
    double products = 0.0;
    std::size_t j = 0;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        while (j < b.samples.size() && b.samples[j] < a.samples[i]) {
            ++j;
        }
        if (j < b.samples.size() && b.samples[j] == a.samples[i]) {
            products += (a.values[i] - meanA) * (b.values[j] - meanB);
        }
    }
    return products / (static_cast<double>(a.values.size()) * static_cast<double>(b.values.size()));
}

}  // namespace

double MonteCarloErrorOfMean(double standardDeviation, int samples)
{
    return standardDeviation / std::sqrt(static_cast<double>(samples));
}

double MonteCarloErrorOfStandardError(const std::vector<double>& estimates, double mean,
                                      double standardDeviation)
{
    double m2 = 0.0;
    double m4 = 0.0;
    for (const double estimate : estimates) {
        const double square = (estimate - mean) * (estimate - mean);
        m2 += square;
        m4 += square * square;
    }
    const double s = static_cast<double>(estimates.size());
    m2 /= s;
    m4 /= s;
    if (m2 == 0.0) {
        return 0.0;
    }
    const double kurtosis = m4 / (m2 * m2);
    return standardDeviation * std::sqrt(std::max(0.0, (kurtosis - (s - 3.0) / (s - 1.0)) / (4.0 * s)));
}

double MonteCarloErrorOfPercentage(int hits, int samples)
{
    const double fraction = hits / static_cast<double>(samples);
    return 100.0 * std::sqrt(fraction * (1.0 - fraction) / samples);
}

std::optional<double> MonteCarloErrorOfRelativeEfficiency(const SquaredErrors& reference,
                                                          const SquaredErrors& variant, bool sameDesign)
{
    if (reference.values.empty() || variant.values.empty()) {
        return std::nullopt;
    }
    const double a = Mean(reference.values);
    const double b = Mean(variant.values);
    if (a == 0.0 || b == 0.0) {
        return std::nullopt;
    }
    const double covariance = sameDesign ? CovarianceOfMeans(reference, a, variant, b) : 0.0;
    const double relative = VarianceOfMean(reference.values, a) / (a * a) +
                            VarianceOfMean(variant.values, b) / (b * b) - 2.0 * covariance / (a * b);
    return a / b * std::sqrt(std::max(0.0, relative));
}
