#pragma once
// The rows of the statistics table, shared by the statistics window and the
// batch simulator.

#include <array>
#include <string>

inline constexpr int StatisticsRowCount = 13;

struct StatisticsRow {
    std::string label;
    std::string value;
};

/// \brief Fills the simulated statistics over estimates[1..samplesDrawn], the
/// theoretical ones, and returns the 13 rows (label, value) of the table; values
/// that are not available read "-".
std::array<StatisticsRow, StatisticsRowCount> StatisticsTableRows(int samplesDrawn);
