#pragma once
// The stratified design: the allocation for given settings, the draw, the direct
// estimator and its theory. The routines take the design's parameters as
// arguments; the record-based routines of the estimators and the theory call them.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/allocation.h"
#include "core/strata.h"

/// \brief The strata of a variable with the target's variances in them and the
/// allocation of n (nothing when the variable forms no strata or n does not fit).
struct StratifiedAllocation {
    StrataCheck check;
    StratumValues variances{};
    std::optional<StratumCounts> sampleSizes;
};
StratifiedAllocation AllocateStratifiedSample(const Stratification& stratifier, int target, int n,
                                              AllocationCode allocation);

/// \brief The units of strata 1..H, stratum after stratum, in unit order within
/// each; stratum h's units start at units[first[h]].
struct StratifiedFrame {
    Strata strata;
    std::vector<std::int32_t> units;
    StratumCounts first{};
};
/// \brief The frame of a variable that forms strata (units outside them are left out).
StratifiedFrame BuildStratifiedFrame(const Strata& strata, const Stratification& stratifier);

/// \brief Everything a run of design 12 draws with: nothing to draw (all n_h 0)
/// when the settings allow no allocation.
struct StratifiedPlan {
    StratifiedFrame frame;
    StratumCounts sampleSizes{};
};
/// \brief The plan of strata by `stratifier`, the variances of `target` in them
/// and the allocation of n.
StratifiedPlan PrepareStratifiedPlan(const Stratification& stratifier, int target, int n,
                                     AllocationCode allocation);
/// \brief The plan of the settings in force: auxiliaryVariable with
/// stratumClasses, targetVariable, sampleSize and allocationCode.
StratifiedPlan PrepareStratifiedPlan();

/// \brief For h = 1..H, the partial shuffle of stratum h's units draws n_h of them
/// with RandomIndex(N_h - i + 1), i = 1..n_h; they fill sample[0], sample[1], ...
/// stratum after stratum. `sample` needs a place for each unit drawn (fewer:
/// nothing is drawn). Returns the units drawn. A stratum much larger than its n_h
/// is never laid out: the draw costs about n, not N.
int DrawStratifiedSample(const StratifiedFrame& frame, const StratumCounts& sampleSizes,
                         std::span<std::int32_t> sample);

/// \brief The record's draw under design 12: the plan's sample at positions 1..n,
/// then nonresponse.
void DrawSampleStratified(const StratifiedPlan& plan);

/// \brief An estimate with its standard error (-1 when not available).
struct MeanEstimate {
    bool valid = false;
    double estimate = 0.0;
    double standardError = -1.0;
};

/// \brief The stratified direct estimator on the respondents of `sample` (0 marks a
/// nonrespondent): sum_h W_h T_h / r_h, no estimate when a stratum has no
/// respondent. SE = sqrt(sum_h W_h^2 (1/r_h - 1/N_h) s2_h), s2_h = (Q_h - T_h^2/r_h)
/// / (r_h - 1), a stratum with r_h = N_h = 1 adding 0; -1 when some r_h = 1 < N_h.
MeanEstimate EstimateStratifiedMean(std::span<const std::int32_t> sample, const Strata& strata,
                                    const Stratification& stratifier, int target);

/// \brief sqrt(sum_h W_h^2 (1/n_h - 1/N_h) S2_h); nothing when undefined.
std::optional<double> StratifiedStandardError(const Strata& strata, const StratumCounts& sampleSizes,
                                              const StratumValues& variances);
