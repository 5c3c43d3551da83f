#pragma once
// The 95% interval of an estimate and where it falls against the population
// mean: one rule for the runs and the comparison. No Qt.

inline constexpr double IntervalHalfWidthFactor = 1.96;

/// \brief Where an interval falls: lower < Ybar < upper covers; else upper <= Ybar
/// is missed low; else missed high.
enum class IntervalOutcome { Covered, MissedLow, MissedHigh };

IntervalOutcome ClassifyInterval(double lower, double upper, double populationMean);

/// \brief The population mean intervals are judged against, with the room an
/// interval narrower than rounding has around it: 1e-9 * max(1, max |y_i|). A
/// census or an exact ratio estimates Ybar with a standard error of 0 or of
/// rounding noise (1e-17 on decimals), and its sums, taken in sample order or by
/// strata, round differently from Ybar's sum in unit order.
struct CoverageTarget {
    double populationMean = 0.0;
    double zeroWidthTolerance = 1e-9;
};

/// \brief The target of the record's population and target variable.
CoverageTarget CoverageTargetOfPopulation();

/// \brief The outcome of estimate +- 1.96 standardError (standardError >= 0): an
/// interval at most twice the tolerance wide whose estimate lies within the
/// tolerance of Ybar covers; every other interval follows ClassifyInterval.
IntervalOutcome ClassifyEstimate(double estimate, double standardError, const CoverageTarget& target);
