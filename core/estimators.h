#pragma once
// Estimators of the population mean of the target variable on the respondents of
// a sample. EstimateOnSample takes everything it needs as arguments, so that
// several estimators can be computed on one sample; the record-based routines
// below are its callers for the current sample and settings. Notation: n'
// respondents, f = 1/n' - 1/N.

#include <array>
#include <cstdint>
#include <span>

#include "core/simulation_state.h"
#include "core/strata.h"

/// \brief Post-strata weights W_h, h = 1..10 (index 0 unused).
using StratumWeights = std::array<double, MaxStrata + 1>;

/// \brief What an estimator needs besides the sample: its code, the design the
/// sample was drawn under with that design's parameters, the variables it reads
/// and the population quantities prepared from its auxiliary variable (under the
/// stratified design: the stratification variable).
struct EstimatorInputs {
    std::int32_t estimator = EstimatorDirect;
    std::int32_t design = DesignEqualProbabilities;
    int targetVariable = 0;
    int auxiliaryVariable = 0;
    double auxiliaryMean = 0.0;  ///< Xbar: ratio, regression, the size-proportional design
    StratumWeights stratumWeights{};
    int stratumCount = 0;         ///< post-stratification: H
    Strata strata;                ///< the stratified design's strata
    Stratification stratification;  ///< how its units fall into them
    std::int32_t allocation = 0;  ///< the stratified design's AllocationCode
    int systematicOrder = 0;      ///< the systematic design's order variable, 0 file order
};

/// \brief The formula an estimator uses under a design.
enum class EstimatorFormula {
    None,
    DirectEqual,
    DirectProportional,
    DirectStratified,
    Ratio,
    Regression,
    PostStratified
};

/// \brief The direct estimator by design (10 and 13 the sample mean, 11, 12), the
/// other three under any design; None for any other combination.
EstimatorFormula FormulaFor(std::int32_t estimator, std::int32_t design);

/// \brief The design a sample is drawn under, with its parameters.
struct DesignParameters {
    std::int32_t design = DesignEqualProbabilities;
    std::int32_t allocation = 0;  ///< the stratified design's AllocationCode
    int systematicOrder = 0;      ///< the systematic design's order variable, 0 file order
    int stratumClasses = 0;       ///< the stratified design's classes of equal size, 0 none
};

/// \brief The inputs of `estimator` under `design` for the population read, with
/// Xbar, the post-strata weights and the strata computed from
/// `auxiliaryVariable` as a run prepares them. Writes nothing.
EstimatorInputs PrepareEstimatorInputs(std::int32_t estimator, const DesignParameters& design,
                                       int targetVariable, int auxiliaryVariable);

/// \brief The inputs the record holds: its codes, variables and the auxiliary
/// quantities prepared at the start of the run.
EstimatorInputs RecordEstimatorInputs();

/// \brief A sample: positions 1..n as units (0 marks a nonrespondent) and n'.
struct SampleUnitsView {
    std::span<const std::int32_t> positions;
    int respondentCount = 0;
};

/// \brief The current sample of the record.
SampleUnitsView RecordSample();

/// \brief The result of an estimator on one sample.
struct SampleEstimate {
    bool valid = false;  ///< false: the estimator gives no estimate on this sample
    double estimate = 0.0;
    double standardError = -1.0;  ///< -1 = not available (or not asked for)
    /// False when the variance formula does not apply (a post-stratum with fewer
    /// than two respondents), asked for or not.
    bool varianceDefined = true;
};

/// \brief The estimate of `inputs.estimator` on `sample`, with its standard
/// error when `withStandardError`; no estimate where FormulaFor gives None.
SampleEstimate EstimateOnSample(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                bool withStandardError);

/// \brief The settings' routine on the current sample: writes `estimate`,
/// `estimateValid` and, in confidence-interval mode, `standardError` (the
/// post-stratification estimator also outside it: 0, or -1 when a post-stratum
/// has fewer than two respondents); without an estimate the record keeps its
/// previous results.
void ComputeEstimate();

