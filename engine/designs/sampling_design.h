#pragma once
// A sampling design behind one interface: what the run engine, the comparison,
// tarvek-batch and the windows ask of a design, instead of switching on its code.
// Each design lives in a file of its own in this folder and is listed once in
// design_registry.cpp. No Qt.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/estimators.h"
#include "core/simulation_state.h"
#include "core/theory.h"

class Estimator;

/// \brief A design with what it needs: the size variable of the size-proportional
/// design, the stratification variable, allocation and classes of the stratified design,
/// the order variable of the systematic design (0: file order), the cluster
/// variable with m (and k) of the cluster designs. Two choices draw the same
/// samples when they are equal.
struct DesignChoice {
    std::int32_t design = DesignEqualProbabilities;
    int variable = 0;             ///< 0 where the design has none
    std::int32_t allocation = 0;  ///< an AllocationCode; 0 except under the stratified design
    int clusters = 0;             ///< m under the cluster designs
    int unitsPerCluster = 0;      ///< k under two-stage sampling
    int stratumClasses = 0;       ///< the stratified design's classes of equal size, 0: the codes

    bool operator==(const DesignChoice&) const = default;
};

/// \brief A design ready to draw: what depends only on the population and the
/// settings, computed once when a run starts.
class PreparedDesign {
public:
    virtual ~PreparedDesign() = default;
    /// \brief One sample into the record's positions and respondent count,
    /// nonresponse included.
    virtual void Draw() const = 0;
    /// \brief Draw, asking `keepGoing` between slices of a draw that can be
    /// long; false when its answer ended the draw without a usable sample. A
    /// draw of bounded length never asks. The random numbers are Draw's.
    virtual bool DrawUnlessStopped(const std::function<bool()>& keepGoing) const;
    /// \brief Whether the drawn sample can be used: at least two respondents, and
    /// whatever the design adds.
    virtual bool Acceptable() const;
    /// \brief The design's own estimator on the sample last drawn, where it has
    /// one (the cluster designs); nothing where the core's estimators serve.
    /// `auxiliaryVariable` 0 stands for the units themselves (x = 1).
    virtual std::optional<SampleEstimate> Estimate(std::int32_t estimator, int auxiliaryVariable,
                                                   bool withStandardError) const;
};

class SamplingDesign {
public:
    virtual ~SamplingDesign() = default;

    virtual std::int32_t Code() const = 0;
    /// \brief The name on the command line, in --compare and in JSON.
    virtual std::string_view Name() const = 0;
    /// \brief The caption of the information panel, the statistics table and the
    /// comparison ("Equal", "Proportional to NAME", ...).
    virtual std::string Caption(const DesignChoice& choice) const = 0;
    /// \brief The refusal of `estimator` under this design, "" when it is allowed.
    virtual std::string EstimatorRefusal(std::int32_t estimator) const;
    bool Allows(std::int32_t estimator) const { return EstimatorRefusal(estimator).empty(); }
    /// \brief The formula that computes `asked` on this design's samples: its own
    /// direct formula where it has one, nothing where only its prepared draws can
    /// estimate (PreparedDesign::Estimate), else the estimator itself.
    virtual const Estimator* Serving(const Estimator& asked) const { return &asked; }
    /// \brief The theory of a serving formula on this design's samples: the
    /// formula's own, or the design's exact theory of it.
    virtual std::optional<TheoreticalProperties> FormulaTheory(const Estimator& serving,
                                                               const EstimatorInputs& inputs, int n) const;
    /// \brief Adds what the design's formulas read of its variable to `inputs`
    /// (the strata).
    virtual void PrepareInputs(const DesignParameters&, int /*variable*/, EstimatorInputs&) const {}
    /// \brief True where the design's variable is the auxiliary variable (the size
    /// variable, the stratification variable), which its direct estimator reads.
    virtual bool VariableIsAuxiliary() const { return false; }
    /// \brief The design's settings as the record holds them.
    virtual DesignChoice RecordChoice() const { return {Code(), 0, 0}; }
    /// \brief What the estimators and their theory need to know of the design.
    virtual DesignParameters EstimatorParameters(const DesignChoice&) const { return {Code(), 0, 0}; }
    /// \brief The refusal of the design's settings with sample size n, "" when usable.
    virtual std::string Refusal(const DesignChoice& choice, int n) const;
    /// \brief The warning that usable settings make every sample slow to draw
    /// (seconds to minutes), "" when they do not.
    virtual std::string SlowDrawWarning(const DesignChoice&, int /*n*/) const { return ""; }
    /// \brief Reads the fields after the name of a --compare design ("pps:3" gives
    /// {"3"}); false when they do not fit the design.
    virtual bool ParseCompareFields(std::span<const std::string> fields, DesignChoice& choice) const = 0;
    /// \brief The theoretical mean and standard error of an estimator where the
    /// design has its own theory; nothing where the core's theory serves.
    virtual std::optional<TheoreticalProperties> Theory(const DesignChoice& choice, std::int32_t estimator,
                                                        int auxiliaryVariable) const;
    /// \brief The expected number of units of a sample of size n (the design
    /// effect's nbar).
    virtual double ExpectedUnits(const DesignChoice&, int n) const { return n; }
    /// \brief Whether auxiliary variable 0 stands for the units themselves (x = 1),
    /// the ratio estimator's mean per unit.
    virtual bool OffersUnitsAsAuxiliary() const { return false; }
    /// \brief The sample size as the windows and tables show it.
    virtual std::string SampleSizeText(const DesignChoice&, int n) const { return std::to_string(n); }
    /// \brief Computes what the draws need.
    virtual std::unique_ptr<PreparedDesign> Prepare(const DesignChoice& choice) const = 0;
};

/// \brief Every design, in the order of their codes.
std::span<const SamplingDesign* const> Designs();

/// \brief The design of a code; nothing for a code no design has.
const SamplingDesign* FindDesign(std::int32_t code);

/// \brief The design of a code; equal probabilities for a code no design has, as
/// the draws have always treated one.
const SamplingDesign& DesignOf(std::int32_t code);

/// \brief The design of a command-line name; nothing for an unknown name.
const SamplingDesign* DesignNamed(std::string_view name);

/// \brief The record's design with its settings.
DesignChoice RecordDesignChoice();

/// \brief Stores a choice as the record's design: its code and the settings of
/// that design (the variable of a design that reads the auxiliary variable is
/// the caller's to store).
void StoreDesignChoice(const DesignChoice& choice);

/// \brief What a run draws with: the design of `choice` prepared, the record
/// back at the sample size's positions.
std::unique_ptr<PreparedDesign> PrepareDraws(const DesignChoice& choice);

/// \brief The estimate of the record's estimator on the sample last drawn, into
/// the record: the design's own estimator where it has one, else `serving`.
void EstimateDrawnSample(const PreparedDesign& design, const Estimator* serving);

/// \brief The estimate of `estimator` on the record's sample drawn under `design`
/// (the design's own estimator, else EstimateOnSample with `inputs`).
SampleEstimate EstimateOnDrawnSample(const PreparedDesign& design, const EstimatorInputs& inputs,
                                     bool withStandardError);

/// \brief The theory of an estimator under a choice: the design's own, else the
/// core's for `inputs` and sample size n.
std::optional<TheoreticalProperties> TheoryOfChoice(const DesignChoice& choice, const EstimatorInputs& inputs,
                                                    int n);

/// \brief The theoretical variance V of an estimator under a choice (its theory's
/// standard error squared) over that of the direct estimator under simple random
/// sampling of nbar units, (1/nbar - 1/N) S2 with S2 the target's variance
/// (divisor N - 1) and nbar the design's expected number of units for the
/// record's sample size; nothing where V is undefined or the denominator not
/// above 0. Reads the record's target and sample size.
std::optional<double> TheoreticalDesignEffect(const DesignChoice& choice, std::int32_t estimator,
                                              int auxiliaryVariable);

/// \brief ComputeTheoreticalProperties for the record's settings, with the theory
/// of a design that has its own.
void ComputeDesignTheory();

/// \brief The caption of a choice, "-" for a code no design has.
std::string DesignCaption(const DesignChoice& choice);
