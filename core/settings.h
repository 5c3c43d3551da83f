#pragma once
// Setting changes and checks shared by the settings dialogs and the batch
// simulator, so that both apply one implementation.

#include <string>

struct TSimulationState;

inline constexpr const char* AuxiliaryNotPositiveMessage = "Values of auxiliary variable must be positive!";
inline constexpr const char* PpsOnlyDirectMessage =
    "The design pps can only be used with the direct estimator!";
inline constexpr const char* StratifiedOnlyDirectMessage =
    "The design stratified can only be used with the direct estimator!";
inline constexpr const char* TooManyStrataMessage = "There are too many strata!";
inline constexpr const char* EmptyStrataMessage = "There are empty strata!";
inline constexpr const char* ConstantNonresponseVariableMessage = "The nonresponse variable is constant!";

/// \brief The target-variable dialog's OK: stores k (1..K) as targetVariable,
/// scans its minimum and maximum, resets the scale to them and the compression to 1.
/// A k outside 1..K changes nothing.
void SetTargetVariable(int k);

/// \brief Makes k the target variable of `state`: its minimum and maximum over
/// the units, the scale set to them and the compression to 1. Shared by the
/// target-variable dialog and the defaults of a population read.
void ApplyTargetVariable(TSimulationState& state, int k);

/// \brief Number of units whose value of variable k is 0 or negative (each one
/// refuses the size-proportional design with AuxiliaryNotPositiveMessage).
int CountNonPositiveValues(int k);

/// \brief The estimator dialog's post-strata check. Does nothing unless the
/// estimator is post-stratification. Returns "" when the strata are usable, else
/// TooManyStrataMessage or EmptyStrataMessage after returning the estimator to
/// direct. Leaves the stratum tallies in stratumWeights and stratumCount.
std::string CheckPostStrata();

/// \brief The post-strata check of variable k without changing anything: "",
/// TooManyStrataMessage or EmptyStrataMessage.
std::string PostStrataRefusal(int k);

/// \brief The nonresponse dialog's OK: nonresponse by `variable` (1..K) with the
/// whole percentages at its minimum and maximum. Returns "" and switches
/// nonresponse on, or returns ConstantNonresponseVariableMessage and stores nothing.
std::string SetNonresponseLine(int variable, int percentAtMinimum, int percentAtMaximum);

/// \brief The parameters dialog's "Set": scaleLower and scaleUpper become the
/// smallest and largest mean of scaleSampleSize distinct target values. Changes
/// nothing without a target variable or with a scaleSampleSize outside 1..N.
void SetScaleForSampleSize();
