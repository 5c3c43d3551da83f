#pragma once
// Estimators of the population mean of the target variable on the respondents of
// the current sample. Each routine reads SimulationState and writes `estimate`,
// `standardError` (only in confidence-interval mode, -1 = not available) and
// `estimateValid`. Notation: n' respondents, f = 1/n' - 1/N.

/// \brief One routine for each estimator and design: the estimators below, or their
/// theoretical properties.
struct EstimatorRoutines {
    void (*directEqual)();
    void (*directProportional)();
    void (*ratio)();
    void (*regression)();
    void (*postStratified)();
};

/// \brief Runs the routine of the current estimatorCode and designCode: the direct
/// estimator by design (10 or 11), the other three under any design; any other
/// combination runs nothing.
void RunRoutineForSettings(const EstimatorRoutines& routines);

/// \brief Dispatches on estimatorCode and designCode; the direct estimator of the
/// stratified design (12) apart, every estimator of design 13 is that of design 10.
void ComputeEstimate();

/// \brief Sample mean ybar; SE = sqrt(f * sum (y - ybar)^2 / (n' - 1)).
void EstimateDirectEqual();
/// \brief Xbar * mean(y/x); SE = sqrt(sum (Xbar y/x - est)^2 / n' / (n' - 1)).
void EstimateDirectProportional();
/// \brief Xbar * R with R = sum y / sum x; SE = sqrt(f * sum (y - R x)^2 / (n' - 1)).
/// No estimate when sum x <= 0.
void EstimateRatio();
/// \brief ybar - (xbar - Xbar) b with b = Sxy / Sxx;
/// SE = sqrt(f * sum ((y - ybar) - (x - xbar) b)^2 / (n' - 1)). No estimate when Sxx <= 0.
void EstimateRegression();
/// \brief sum_h W_h ybar_h over strata with respondents;
/// v = sum_h [f W_h s2_h + (1 - W_h) s2_h / n'^2]; SE -1 when a stratum has fewer
/// than two respondents.
void EstimatePostStratified();
/// \brief Design 12: sum_h W_h T_h / r_h over the strata prepared in stratumCount and
/// stratumSizes; no estimate when a stratum has no respondent. SE (interval mode):
/// sqrt(sum_h W_h^2 (1/r_h - 1/N_h) s2_h), -1 when some r_h = 1 < N_h.
void EstimateDirectStratified();
