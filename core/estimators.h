#pragma once
// The formulas of the estimators of the population mean of the target variable
// on the respondents of a sample. They take everything they need as arguments,
// so that several estimators can be computed on one sample; the estimators
// behind one interface (engine/estimators/) choose among them. Notation: n'
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
    int stratumCount = 0;           ///< post-stratification: H
    Strata strata;                  ///< the stratified design's strata
    Stratification stratification;  ///< how its units fall into them
    std::int32_t allocation = 0;    ///< the stratified design's AllocationCode
    int systematicOrder = 0;        ///< the systematic design's order variable, 0 file order
};

/// \brief The design a sample is drawn under, with its parameters.
struct DesignParameters {
    std::int32_t design = DesignEqualProbabilities;
    std::int32_t allocation = 0;  ///< the stratified design's AllocationCode
    int systematicOrder = 0;      ///< the systematic design's order variable, 0 file order
    int stratumClasses = 0;       ///< the stratified design's classes of equal size, 0 none
};

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

/// \brief The formulas of the estimators: each gives the estimate of the target
/// mean on `sample` with `inputs`, and its standard error when `withStandardError`.
/// The estimators behind one interface (engine/estimators/) and the designs'
/// own direct estimators call them.
using EstimateFormula = SampleEstimate (*)(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                           bool withStandardError);

/// \brief The sample mean ybar, v = f s2 (the direct estimator under equal
/// probabilities and the systematic design).
SampleEstimate SampleMeanEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                  bool withStandardError);
/// \brief Xbar / n' sum y/x, v = sum (Xbar y/x - estimate)^2 / (n' (n' - 1)) (the
/// direct estimator proportional to size).
SampleEstimate ProportionalToSizeEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                          bool withStandardError);
/// \brief The stratified mean sum W_h ybar_h over the design's strata.
SampleEstimate StratifiedMeanEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                      bool withStandardError);
/// \brief Xbar ybar / xbar, v = f s2(y - r x); no estimate when sum x is not above 0.
SampleEstimate RatioEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                             bool withStandardError);
/// \brief ybar - (xbar - Xbar) b, v = f s2 of the residuals; no estimate when
/// s(xx) is not above 0.
SampleEstimate RegressionEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                  bool withStandardError);
/// \brief sum W_h ybar_h over the post-strata that hold a respondent; the
/// variance needs two respondents in every post-stratum.
SampleEstimate PostStratifiedEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                      bool withStandardError);

/// \brief A formula's result as the record's routine keeps it: writes `estimate`,
/// `estimateValid` and, in confidence-interval mode, `standardError`;
/// `marksVariance` (post-stratification) sets standardError outside that mode too
/// (0, or -1 when no variance exists). Without an estimate the record keeps its
/// previous results.
void StoreEstimate(const SampleEstimate& result, bool marksVariance);
