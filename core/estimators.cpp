#include "core/estimators.h"

#include <algorithm>
#include <cmath>

#include "core/ordering.h"
#include "core/simulation_state.h"
#include "core/standard_error.h"
#include "core/stratified_sampling.h"

namespace {

/// The values an estimator reads: the sample, its variables and n'.
class SampleData {
public:
    SampleData(const SampleUnitsView& sample, const EstimatorInputs& inputs)
        : sample_(sample),
          targetColumn_(VariableColumn(inputs.targetVariable)),
          auxiliaryColumn_(VariableColumn(inputs.auxiliaryVariable))
    {}

    /// Calls visit(y, x) for the respondents in position order.
    template <typename Visit>
    void ForEachRespondent(Visit visit) const
    {
        for (const std::int32_t unit : sample_.positions) {
            if (unit >= 1 && unit <= MaxUnits) {
                visit(UnitValue(unit, targetColumn_), UnitValue(unit, auxiliaryColumn_));
            }
        }
    }

    std::span<const std::int32_t> Positions() const { return sample_.positions; }
    double RespondentCount() const { return sample_.respondentCount; }

    /// f = 1/n' - 1/N, the finite population correction of design 10.
    double FinitePopulationCorrection() const
    {
        return 1.0 / RespondentCount() - 1.0 / SimulationState.unitCount;
    }

private:
    const SampleUnitsView& sample_;
    int targetColumn_;
    int auxiliaryColumn_;
};

/// An estimate that is not finite (no respondents, or an overflow) counts as no
/// estimate.
bool IsUsableEstimate(double value)
{
    return std::isfinite(value);
}

SampleEstimate Accepted(double estimate, bool withStandardError, double variance)
{
    SampleEstimate result;
    result.valid = true;
    result.estimate = estimate;
    if (withStandardError) {
        result.standardError = RootOfVariance(variance).value_or(-1.0);
    }
    return result;
}

SampleEstimate DirectEqualOn(const SampleData& data, const EstimatorInputs& /*inputs*/,
                             bool withStandardError)
{
    double sum = 0.0;
    data.ForEachRespondent([&](double y, double) { sum += y; });
    const double mean = sum / data.RespondentCount();
    if (!IsUsableEstimate(mean)) {
        return {};
    }
    double squares = 0.0;
    if (withStandardError) {
        data.ForEachRespondent([&](double y, double) {
            const double deviation = y - mean;
            squares += deviation * deviation;
        });
    }
    return Accepted(mean, withStandardError,
                    data.FinitePopulationCorrection() * squares / (data.RespondentCount() - 1.0));
}

SampleEstimate DirectProportionalOn(const SampleData& data, const EstimatorInputs& inputs,
                                    bool withStandardError)
{
    const double auxiliaryMean = inputs.auxiliaryMean;
    double sum = 0.0;
    data.ForEachRespondent([&](double y, double x) { sum += y / x; });
    const double estimate = auxiliaryMean * sum / data.RespondentCount();
    if (!IsUsableEstimate(estimate)) {
        return {};
    }
    double squares = 0.0;
    if (withStandardError) {
        data.ForEachRespondent([&](double y, double x) {
            const double deviation = auxiliaryMean * y / x - estimate;
            squares += deviation * deviation;
        });
    }
    return Accepted(estimate, withStandardError,
                    squares / data.RespondentCount() / (data.RespondentCount() - 1.0));
}

SampleEstimate RatioOn(const SampleData& data, const EstimatorInputs& inputs, bool withStandardError)
{
    double sumX = 0.0;
    double sumY = 0.0;
    data.ForEachRespondent([&](double y, double x) {
        sumX += x;
        sumY += y;
    });
    if (!(sumX > 0.0)) {
        return {};
    }
    const double ratio = sumY / sumX;
    const double estimate = inputs.auxiliaryMean * ratio;
    if (!IsUsableEstimate(estimate)) {
        return {};
    }
    double squares = 0.0;
    if (withStandardError) {
        data.ForEachRespondent([&](double y, double x) {
            const double residual = y - ratio * x;
            squares += residual * residual;
        });
    }
    return Accepted(estimate, withStandardError,
                    data.FinitePopulationCorrection() * squares / (data.RespondentCount() - 1.0));
}

SampleEstimate RegressionOn(const SampleData& data, const EstimatorInputs& inputs, bool withStandardError)
{
    double sumX = 0.0;
    double sumY = 0.0;
    data.ForEachRespondent([&](double y, double x) {
        sumX += x;
        sumY += y;
    });
    const double meanX = sumX / data.RespondentCount();
    const double meanY = sumY / data.RespondentCount();
    double sxx = 0.0;
    double sxy = 0.0;
    data.ForEachRespondent([&](double y, double x) {
        const double dx = x - meanX;
        sxx += dx * dx;
        sxy += dx * (y - meanY);
    });
    if (!(sxx > 0.0)) {
        return {};
    }
    const double slope = sxy / sxx;
    const double estimate = meanY - (meanX - inputs.auxiliaryMean) * slope;
    if (!IsUsableEstimate(estimate)) {
        return {};
    }
    double squares = 0.0;
    if (withStandardError) {
        data.ForEachRespondent([&](double y, double x) {
            const double residual = (y - meanY) - (x - meanX) * slope;
            squares += residual * residual;
        });
    }
    return Accepted(estimate, withStandardError,
                    data.FinitePopulationCorrection() * squares / (data.RespondentCount() - 1.0));
}

SampleEstimate DirectStratifiedOn(const SampleData& data, const EstimatorInputs& inputs,
                                  bool withStandardError)
{
    const MeanEstimate mean =
        EstimateStratifiedMean(data.Positions(), inputs.strata, inputs.stratification, inputs.targetVariable);
    SampleEstimate result;
    result.valid = mean.valid;
    result.estimate = mean.estimate;
    if (withStandardError) {
        result.standardError = mean.standardError;
    }
    return result;
}

/// Respondents whose post-stratum lies outside 1..H are left out of every tally.
StratumTallies TallyRespondentsByStratum(const SampleData& data, int strata)
{
    StratumTallies tallies{};
    data.ForEachRespondent([&](double y, double x) {
        const int h = PostStratumOf(x);
        if (h >= 1 && h <= strata) {
            tallies[h].Add(y);
        }
    });
    return tallies;
}

SampleEstimate PostStratifiedOn(const SampleData& data, const EstimatorInputs& inputs, bool withStandardError)
{
    const int strata = std::clamp(inputs.stratumCount, 0, MaxStrata);
    const StratumTallies tallies = TallyRespondentsByStratum(data, strata);
    double estimate = 0.0;
    for (int h = 1; h <= strata; ++h) {
        if (tallies[h].count >= 1) {
            estimate = estimate + inputs.stratumWeights[h] * tallies[h].total / tallies[h].count;
        }
    }
    if (!IsUsableEstimate(estimate)) {
        return {};
    }
    SampleEstimate result;
    result.valid = true;
    result.estimate = estimate;
    result.varianceDefined = EveryStratumHasTwoUnits(tallies, strata);
    if (withStandardError && result.varianceDefined) {
        const double variance =
            PostStratifiedVariance(tallies, inputs.stratumWeights, strata, data.FinitePopulationCorrection(),
                                   data.RespondentCount());
        result.standardError = RootOfVariance(variance).value_or(-1.0);
    }
    return result;
}

}  // namespace

EstimatorInputs RecordEstimatorInputs()
{
    const TSimulationState& s = SimulationState;
    EstimatorInputs inputs;
    inputs.estimator = s.estimatorCode;
    inputs.design = s.designCode;
    inputs.targetVariable = s.targetVariable;
    inputs.auxiliaryVariable = s.auxiliaryVariable;
    inputs.auxiliaryMean = s.auxiliaryMean;
    inputs.stratumWeights = s.stratumWeights;
    inputs.stratumCount = s.stratumCount;
    inputs.strata.count = StratumCount();
    inputs.strata.sizes = s.stratumSizes;
    inputs.strata.units = PopulationSize();
    inputs.stratification = RecordStratification();
    inputs.allocation = s.allocationCode;
    inputs.systematicOrder = s.systematicOrder;
    return inputs;
}

SampleUnitsView RecordSample()
{
    const int positions = SamplePositions();
    return {std::span<const std::int32_t>(SimulationState.sampleUnits.Room(positions) + 1,
                                          static_cast<std::size_t>(positions)),
            SimulationState.respondentCount};
}

SampleEstimate SampleMeanEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                  bool withStandardError)
{
    return DirectEqualOn(SampleData(sample, inputs), inputs, withStandardError);
}

SampleEstimate ProportionalToSizeEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                          bool withStandardError)
{
    return DirectProportionalOn(SampleData(sample, inputs), inputs, withStandardError);
}

SampleEstimate StratifiedMeanEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                      bool withStandardError)
{
    return DirectStratifiedOn(SampleData(sample, inputs), inputs, withStandardError);
}

SampleEstimate RatioEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                             bool withStandardError)
{
    return RatioOn(SampleData(sample, inputs), inputs, withStandardError);
}

SampleEstimate RegressionEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                  bool withStandardError)
{
    return RegressionOn(SampleData(sample, inputs), inputs, withStandardError);
}

SampleEstimate PostStratifiedEstimate(const SampleUnitsView& sample, const EstimatorInputs& inputs,
                                      bool withStandardError)
{
    return PostStratifiedOn(SampleData(sample, inputs), inputs, withStandardError);
}

void StoreEstimate(const SampleEstimate& result, bool marksVariance)
{
    if (!result.valid) {
        return;
    }
    TSimulationState& s = SimulationState;
    if (s.confidenceIntervalMode) {
        s.standardError = result.varianceDefined ? result.standardError : -1.0;
    } else if (marksVariance) {
        // Outside interval mode this estimator still marks whether a variance exists.
        s.standardError = result.varianceDefined ? 0.0 : -1.0;
    }
    s.estimate = result.estimate;
    s.estimateValid = true;
}
