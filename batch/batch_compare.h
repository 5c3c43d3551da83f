#pragma once
// tarvek-batch --compare: several designs and estimators on the same samples,
// one table line per variant.

#include <functional>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "engine/comparison.h"

/// \brief One variant of --compare as written ("pps:3/direct") and what it asks for.
struct CompareVariantOption {
    std::string text;
    std::string designText;  ///< the part before "/"
    ComparisonVariant variant;
    /// The single-setting run the variant stands for (its -d, -e and -a).
    BatchOptions settings;
};

/// \brief Splits VARIANTS at the commas and reads each `DESIGN/ESTIMATOR`.
/// Throws UsageError for a malformed list.
std::vector<CompareVariantOption> ParseCompareVariants(const std::string& text);

/// \brief The place of design_effect, the theoretical design effect, among the
/// values of a row after the variant's name: right after rmse.
inline constexpr std::size_t DesignEffectValue = 6;

/// \brief The names of the columns of --compare's table, "variant" first: also the
/// keys of a variant in its JSON document.
std::vector<std::string> ComparisonColumns(bool intervals, bool monteCarloErrors);

/// \brief Throws UsageError when --compare is combined with an option that the
/// variants replace.
void CheckCompareCombination(const BatchOptions& options);

/// \brief Checks each variant of --compare like the single-setting run it stands
/// for, then applies the shared settings. Returns the first refusal's message,
/// or "" when all is accepted.
std::string ApplyCompareSettings(const BatchOptions& options);

/// \brief Where the runs of --compare go; each output may be absent.
struct ComparisonOutputs {
    std::ostream* tables = nullptr;                             ///< a table per run
    std::ostream* json = nullptr;                               ///< the JSON document, written at the end
    std::ostream* estimates = nullptr;                          ///< the CSV of every estimate
    std::function<void(const ComparisonResult&)> observeRun{};  ///< sees each run's result
};

/// \brief The runs of --compare into `outputs`. A design stopped by the bound on
/// rejected draws is reported through `report`; then no later run follows and
/// the result is false.
bool RunComparisons(const BatchOptions& options, const ComparisonOutputs& outputs,
                    const std::function<void(const std::string&)>& report);
