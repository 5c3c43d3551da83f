#pragma once
// The summary the cluster designs' settings show: the clusters of the cluster
// variable and what the chosen m and k give, as the desktop dialog and the
// browser page show it.

#include <optional>
#include <string>
#include <vector>

#include "engine/statistics_rows.h"

struct DesignChoice;

inline constexpr int ClusterSummaryRowCount = 8;

/// \brief Row by row: M, the smallest, mean and largest N_g, the intraclass
/// correlation of the record's target, the expected number of units, and the
/// theoretical design effects of the direct and the mean-per-unit estimator.
/// What needs a target, or settings the design can draw, reads "-" without
/// them. m and k are the choice's (0 where none was given).
std::vector<StatisticsRow> ClusterSummaryRows(const DesignChoice& choice);

/// \brief The ANOVA intraclass correlation of the record's target in the clusters
/// of the choice's cluster variable; nothing without a target or where it is
/// undefined.
std::optional<double> ClusterIntraclassCorrelation(const DesignChoice& choice);

/// \brief m or k as the settings' fields give them: the whole number from 0 to
/// MaxUnits the text holds, else 0.
int ClusterFieldNumber(const std::string& text);
