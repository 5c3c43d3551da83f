#pragma once
// The rows of the statistics table, shared by the statistics window and the
// batch simulator.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/allocation.h"
#include "core/strata.h"

inline constexpr int StatisticsRowCount = 13;
/// The row of the design ("Probabilities").
inline constexpr int ProbabilitiesRow = 2;
/// The row of the number of samples ("Simulations").
inline constexpr int SimulationsRow = 6;
/// The row of the theoretical standard error.
inline constexpr int TheoreticalStdErrorRow = 11;

struct StatisticsRow {
    std::string label;
    std::string value;
};

/// \brief Fills the simulated statistics over estimates[1..samplesDrawn], the
/// theoretical ones, and returns the 13 rows (label, value) of the table; values
/// that are not available read "-".
std::array<StatisticsRow, StatisticsRowCount> StatisticsTableRows(int samplesDrawn);

/// \brief A row that a design adds to the 13, and the row of the 13 that
/// tarvek-batch writes it after.
struct DesignStatisticsRow {
    int after = 0;
    StatisticsRow row;
};

/// \brief The rows of the record's design beyond the 13: "Allocation" (its n_h)
/// after "Probabilities" under the stratified design, "Design effect
/// (theoretical)" after the theoretical standard error under the cluster
/// designs; none under the others.
std::vector<DesignStatisticsRow> DesignStatisticsRows();

/// \brief The theoretical design effect of the record's design and estimator;
/// nothing where it is undefined.
std::optional<double> RecordDesignEffect();

inline constexpr int InformationPanelLines = 9;

/// \brief The captions of the main window's information panel, line by line.
inline constexpr std::array<const char*, InformationPanelLines> InformationPanelCaptions = {
    "Population:",    "Population size:", "Variables:",   "Sample size:", "Target variable:",
    "Probabilities:", "Estimator:",       "Nonresponse:", "Simulations:"};

/// \brief The values the information panel shows beside its captions: the
/// population, N, K, the sample size as the design counts it, the target, the
/// design, the estimator ("Ratio, using NAME"), the nonresponse and the number of
/// simulations.
std::array<std::string, InformationPanelLines> InformationPanelValues();

/// \brief The progress of a run: "250 of 1000".
std::string SamplesDrawnText(int samplesDrawn, int simulationCount);

/// \brief The "Simulations" value of a run shown before its end: "250 of 1000"
/// while samples remain to be drawn, the plain count once they are drawn.
std::string SimulationsProgressValue(int samplesDrawn, int simulationCount);

/// \brief The n_h of the stratified design by `stratifier` with the record's
/// target and sample size, in stratum order; empty when they allow none.
std::vector<int> StratifiedAllocationSizes(const Stratification& stratifier, AllocationCode allocation);

/// \brief The n_h of the record's stratified design.
std::vector<int> RecordAllocationSizes();

/// \brief The n_h as a line shows them: "3, 8, 24".
std::string AllocationSizesText(const std::vector<int>& sizes);
