#pragma once
// The summary of one population variable that the variable display and the
// batch simulator show.

/// \brief Minimum, maximum, mean and standard deviation of one variable, each
/// with whether the population allows it.
struct VariableSummary {
    double minimum = 0.0;
    double maximum = 0.0;
    /// Minimum, maximum and mean need one unit.
    bool extremesAvailable = false;
    double mean = 0.0;
    bool meanAvailable = false;
    double standardDeviation = 0.0;
    /// The divisor N - 1 needs two units.
    bool standardDeviationAvailable = false;
};

/// \brief Summarizes variable k (outside 1..MaxVariables: the empty column 0) over units 1..N, N brought
/// into 0..MaxUnits: both extremes start at unit 1's value and only strictly
/// smaller or larger values replace them; the mean sums in unit order and divides
/// by N; the standard deviation sums the squared deviations from that mean in
/// unit order and divides by N - 1 before the square root.
VariableSummary SummarizeVariable(int k);
