#pragma once
// An estimator of the population mean behind one interface: what the run engine,
// the comparison, tarvek-batch and the windows ask of an estimator, instead of
// switching on its code. Each estimator lives in a file of its own in this folder
// and is listed once in estimator_registry.cpp; a design serves an estimator with
// a formula of its own where it has one (SamplingDesign::Serving). No Qt.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/estimators.h"
#include "core/systematic_sampling.h"
#include "core/theory.h"

class Estimator {
public:
    virtual ~Estimator() = default;

    virtual std::int32_t Code() const = 0;
    /// \brief The name on the command line, in --compare, in lessons and in JSON.
    virtual std::string_view Name() const = 0;
    /// \brief Its name in the windows and tables ("Direct", "Ratio", ...).
    virtual const std::string& Label() const = 0;
    /// \brief Whether it reads an auxiliary variable of its own.
    virtual bool ReadsAuxiliary() const { return true; }
    /// \brief The refusal of `auxiliaryVariable` as its variable, "" when usable.
    virtual std::string VariableRefusal(int /*auxiliaryVariable*/) const { return ""; }
    /// \brief Adds what it reads of its auxiliary variable to `inputs` (Xbar, or
    /// the post-strata).
    virtual void PrepareInputs(int auxiliaryVariable, EstimatorInputs& inputs) const;
    /// \brief The estimate on a sample, with its standard error when asked.
    virtual SampleEstimate Estimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                    bool withStandardError) const = 0;
    /// \brief Its theory for samples of size n drawn as its formula assumes.
    virtual TheoreticalProperties Theory(const EstimatorInputs& inputs, int n) const = 0;
    /// \brief Its formula on the running sums of a systematic sample.
    virtual SystematicEstimate OnSystematicSums() const = 0;
    /// \brief Whether it reads the post-strata of its variable: a systematic
    /// sample then tallies them, and the record's estimate marks outside interval
    /// mode whether a variance exists (two respondents in every post-stratum).
    virtual bool ReadsPostStrata() const { return false; }
};

/// \brief The direct estimator as a design computes it with a formula of its own
/// (the size-proportional design, the stratified mean); the design serves the
/// direct estimator with it.
class OwnDirectEstimator final : public Estimator {
public:
    using TheoryFormula = TheoreticalProperties (*)(const EstimatorInputs& inputs, int n);

    OwnDirectEstimator(EstimateFormula estimate, TheoryFormula theory) : estimate_(estimate), theory_(theory)
    {}

    std::int32_t Code() const override;
    std::string_view Name() const override;
    const std::string& Label() const override;
    bool ReadsAuxiliary() const override { return false; }
    SampleEstimate Estimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                            bool withStandardError) const override
    {
        return estimate_(sample, inputs, withStandardError);
    }
    TheoreticalProperties Theory(const EstimatorInputs& inputs, int n) const override
    {
        return theory_(inputs, n);
    }
    SystematicEstimate OnSystematicSums() const override { return nullptr; }

private:
    EstimateFormula estimate_;
    TheoryFormula theory_;
};

/// \brief Every estimator, in the order of their codes.
std::span<const Estimator* const> Estimators();

/// \brief The estimator of a code; nothing for a code no estimator has.
const Estimator* FindEstimator(std::int32_t code);

/// \brief The estimator of a command-line name; nothing for an unknown name.
const Estimator* EstimatorNamed(std::string_view name);

/// \brief The name of an estimator's code; "direct" for a code no estimator has.
std::string_view EstimatorName(std::int32_t code);

/// \brief The formula that computes `estimator` on samples of `design`: the
/// design's own where it has one; nothing for an unknown code or where only the
/// design's prepared draws can estimate (the cluster designs' direct estimator).
const Estimator* ServingEstimator(std::int32_t estimator, std::int32_t design);

/// \brief An estimator as the tables name it: "Direct", "Ratio (NAME)", "Ratio
/// (units)" under a design that offers the units; "-" for an unknown code.
std::string EstimatorCaption(std::int32_t estimator, int auxiliaryVariable, std::int32_t design);

/// \brief Whether a run of `estimator` under `design` reads the auxiliary
/// variable: the estimator reads one, or the design's variable is kept there.
bool ReadsAuxiliaryVariable(std::int32_t estimator, std::int32_t design);

/// \brief The inputs of `estimator` under `design` for the population read, with
/// Xbar, the post-strata weights and the strata computed from
/// `auxiliaryVariable` as a run prepares them. Writes nothing.
EstimatorInputs PrepareEstimatorInputs(std::int32_t estimator, const DesignParameters& design,
                                       int targetVariable, int auxiliaryVariable);

/// \brief The estimate of `inputs.estimator` on `sample`, with its standard
/// error when `withStandardError`; no estimate where no formula serves it.
SampleEstimate EstimateOnSample(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                bool withStandardError);

/// \brief The properties of `inputs.estimator` under `inputs.design` for samples
/// of `sampleSize`: the formula's theory, or the design's exact theory of it
/// (systematic); nothing where no formula serves it (as EstimateOnSample).
std::optional<TheoreticalProperties> TheoryOf(const EstimatorInputs& inputs, int sampleSize);

/// \brief The estimate of `serving` (ServingEstimator of the record's settings,
/// resolved once per run) on the record's current sample, into the record as
/// ComputeEstimate writes it; nothing without a serving formula.
void EstimateWith(const Estimator* serving);

/// \brief The settings' routine on the current sample: writes `estimate`,
/// `estimateValid` and, in confidence-interval mode, `standardError` (the
/// post-stratification estimator also outside it: 0, or -1 when a post-stratum
/// has fewer than two respondents); without an estimate the record keeps its
/// previous results.
void ComputeEstimate();

/// \brief The theory of the record's settings, into the record (TheoryOf with the
/// record's inputs and sample size); nothing changes where no formula serves.
void ComputeTheoreticalProperties();
