#pragma once
// How far a simulated statistic may lie from the value an endless run would
// give: the Monte Carlo errors of the runs and of the comparison. No Qt.

#include <optional>
#include <vector>

/// \brief sd / sqrt(S): the error of the mean of S estimates.
double MonteCarloErrorOfMean(double standardDeviation, int samples);

/// \brief sd sqrt((k - (S - 3) / (S - 1)) / (4 S)), with k = m4 / m2^2 the
/// kurtosis of the S estimates (central moments with divisor S around `mean`,
/// sums in sample order): the error of the simulated standard error without
/// assuming normal estimates (k = 3 gives sd / sqrt(2 (S - 1))). 0 when every
/// estimate is the same; needs S >= 2.
double MonteCarloErrorOfStandardError(const std::vector<double>& estimates, double mean,
                                      double standardDeviation);

/// \brief 100 sqrt(p (1 - p) / S) with p = hits / S: the error of a percentage.
double MonteCarloErrorOfPercentage(int hits, int samples);

/// \brief What the relative efficiency A / B of two mean squared errors is made
/// of: the squared errors a_i = (e_i - Ybar)^2 of the reference and b_j of the
/// variant, each with the sample it came from (accepted samples of their design,
/// ascending).
struct SquaredErrors {
    std::vector<double> values;
    std::vector<int> samples;
};

/// \brief The delta-method error of A / B: (A / B) sqrt(V_A / A^2 + V_B / B^2 -
/// 2 C / (A B)), with V_A = sum (a_i - A)^2 / m_a^2, V_B likewise and, when the
/// two share their samples (`sameDesign`), C = sum over the samples where both
/// have an estimate of (a_i - A)(b_i - B) / (m_a m_b); C = 0 across designs,
/// whose samples are independent. Nothing when A or B is 0 or missing.
std::optional<double> MonteCarloErrorOfRelativeEfficiency(const SquaredErrors& reference,
                                                          const SquaredErrors& variant, bool sameDesign);
