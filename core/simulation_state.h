#pragma once
// The one process-wide record of the population, every setting and the results
// of the current sample and run. Every window, dialog and core routine reads and
// writes it directly. Arrays are indexed from 1; index 0 is never used.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

inline constexpr int MaxUnits = 100000;
inline constexpr int MaxVariables = 10;
inline constexpr int MaxSamples = 1000;
inline constexpr int MaxStrata = 10;
inline constexpr int HistogramCapacity = 75;
inline constexpr int HistogramClasses = 50;
inline constexpr int IntervalRows = 30;
inline constexpr int MaxNameLength = 20;

/// \brief Stored codes of the estimators.
enum EstimatorCode : std::int32_t {
    EstimatorDirect = 20,
    EstimatorRatio = 21,
    EstimatorRegression = 22,
    EstimatorPostStratified = 23,
};

/// \brief Stored codes of the sampling designs.
enum DesignCode : std::int32_t {
    DesignEqualProbabilities = 10,
    DesignProportionalToSize = 11,
    DesignStratified = 12,  ///< by auxiliaryVariable, allocation by allocationCode
    DesignSystematic = 13,  ///< along the list ordered by systematicOrder
    DesignCluster = 14,     ///< clusterCount clusters of clusterVariable, every unit of each
    DesignTwoStage = 15,    ///< clusterCount clusters, then unitsPerCluster units in each
};

/// \brief Elements numbered from 0 (index 0 unused by the record) that take only
/// the room of what was stored: writing element i makes room for it, and reading
/// past the stored elements through a const reference gives a zero element. So
/// memory follows the population read, not the capacity, and a stray index
/// reads zeros instead of leaving the storage.
template <typename T>
class GrowingArray {
public:
    GrowingArray() = default;
    /// \brief Room for elements 0..last from the start.
    explicit GrowingArray(int last) : items_(static_cast<std::size_t>(last) + 1) {}

    T& operator[](int i)
    {
        if (i < 0) {
            throw std::out_of_range("negative index");
        }
        const auto index = static_cast<std::size_t>(i);
        if (index >= items_.size()) {
            items_.resize(index + 1);
        }
        return items_[index];
    }
    // A negative i becomes a huge unsigned index: one comparison checks both ends.
    const T& operator[](int i) const
    {
        const auto index = static_cast<std::size_t>(i);
        return index < items_.size() ? items_[index] : zero_;
    }
    /// \brief Room for elements 0..last, the ones beyond dropped.
    void resize(int last) { items_.resize(static_cast<std::size_t>(last) + 1); }
    /// \brief Room for at least elements 0..last (last >= 0); the elements, for
    /// loops that index them many times. Valid until the storage grows again.
    T* Room(int last)
    {
        if (static_cast<std::size_t>(last) >= items_.size()) {
            items_.resize(static_cast<std::size_t>(last) + 1);
        }
        return items_.data();
    }
    [[nodiscard]] std::size_t size() const { return items_.size(); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    [[nodiscard]] auto begin() const { return items_.begin(); }
    [[nodiscard]] auto end() const { return items_.end(); }
    bool operator==(const GrowingArray&) const = default;

private:
    static constexpr T zero_{};
    std::vector<T> items_;
};

/// \brief One unit's values, variable k at index k (index 0 always 0).
using UnitRow = std::array<double, MaxVariables + 1>;
using PopulationMatrix = GrowingArray<UnitRow>;

struct TSimulationState {
    std::string versionText;
    /// Before a read: the path to read; after a successful read: the file's first line.
    std::string populationName;
    PopulationMatrix populationData{};  ///< [unit 1..N][variable 1..10]
    std::array<std::string, MaxVariables + 1> variableNames{};
    /// [variable 1..10]: the labels of a text column's codes 1, 2, ... (label of
    /// code c at index c - 1); empty for a numeric variable and for a .pop file.
    std::array<std::vector<std::string>, MaxVariables + 1> variableLabels{};
    /// [sample 1..]: room for MaxSamples from the start; a longer run of the batch
    /// simulator grows it to its number of samples.
    std::vector<double> estimates = std::vector<double>(MaxSamples + 1);
    std::array<std::int32_t, HistogramCapacity + 1> histogramCounts{};
    std::int32_t unitCount = 0;
    std::int32_t variableCount = 0;
    std::int32_t displayVariable = 0;
    std::int32_t nonresponseVariable = 0;
    std::int32_t targetVariable = 0;
    std::int32_t auxiliaryVariable = 0;
    std::int32_t respondentCount = 0;
    std::int32_t sampleSize = 0;
    std::int32_t simulationCount = 0;
    double estimate = 0.0;
    double standardError = 0.0;  ///< -1 = not available
    double theoreticalMean = 0.0;
    double theoreticalStdError = 0.0;
    double simulatedMean = 0.0;
    double simulatedStdDev = 0.0;
    /// 0 marks a nonrespondent. The positions of a sample from up to 1000 units are
    /// there from the start, as they always were; larger samples make room.
    GrowingArray<std::int32_t> sampleUnits{1000};
    /// The units at positions 1..n as drawn, before nonresponse emptied some of
    /// them; written by GenerateNonresponse, read only to list the sample.
    GrowingArray<std::int32_t> drawnUnits;
    std::int32_t estimatorCode = 0;
    std::int32_t designCode = 0;
    double auxiliaryMean = 0.0;
    std::array<double, MaxStrata + 1> stratumWeights{};
    std::int32_t stratumCount = 0;
    bool confidenceIntervalMode = false;
    bool nonresponseOn = false;
    double nonresponseAtMinimum = 0.0;
    double nonresponseAtMaximum = 0.0;
    double nonresponseIntercept = 0.0;
    double nonresponseSlope = 0.0;
    bool simulationRestart = false;
    bool estimateValid = false;
    double targetMinimum = 0.0;
    double targetMaximum = 0.0;
    double scaleLower = 0.0;
    double scaleUpper = 0.0;
    std::int32_t scaleSampleSize = 0;
    std::int32_t verticalCompression = 0;

    // Whether the theoretical and simulated statistics are defined. A value that
    // is not available is shown as "-" and never as a number.
    bool theoreticalMeanAvailable = false;
    bool theoreticalStdErrorAvailable = false;
    bool simulatedMeanAvailable = false;
    bool simulatedStdDevAvailable = false;

    // The stratified and the systematic design.
    std::int32_t allocationCode = 0;   ///< an AllocationCode, under design 12
    std::int32_t systematicOrder = 0;  ///< under design 13: 0 file order, else the variable sorted by
    /// Under design 13 in random order: the list as the last run shuffled it,
    /// which that run's theory describes; empty before the first such run.
    std::vector<std::int32_t> shuffledOrder;
    /// Under design 12: 0 when auxiliaryVariable's codes are the strata, else H of
    /// its classes of equal size.
    std::int32_t stratumClasses = 0;
    /// N_h of the strata of design 12, prepared with stratumWeights when a run starts.
    std::array<std::int32_t, MaxStrata + 1> stratumSizes{};
    /// The largest value of each class when stratumClasses is not 0, prepared with
    /// stratumSizes.
    std::array<double, MaxStrata + 1> stratumClassBounds{};

    // The cluster designs 14 and 15: their sample's size varies from draw to draw.
    std::int32_t clusterVariable = 0;
    std::int32_t clusterCount = 2;     ///< m
    std::int32_t unitsPerCluster = 2;  ///< k, under design 15
    /// The positions of the current sample when its design decides their number;
    /// 0: sampleSize.
    std::int32_t drawnPositions = 0;
};

/// \brief The process-wide record.
extern TSimulationState SimulationState;

/// \brief Value of variable `variable` for unit `unit` (both numbered from 1).
inline double UnitValue(int unit, int variable)
{
    const PopulationMatrix& rows = SimulationState.populationData;
    return rows[unit][variable];
}

/// \brief unitCount brought into 0..MaxUnits, so that loops over the units stay
/// bounded whatever the record holds.
int PopulationSize();

/// \brief The positions of the current sample (drawnPositions, else sampleSize) brought
/// into 0..MaxUnits, for the same reason.
int SamplePositions();

/// \brief The matrix column of variable k: k itself within 1..MaxVariables,
/// otherwise column 0, which no read ever fills and so holds only zeros.
inline int VariableColumn(int k)
{
    return (k >= 1 && k <= MaxVariables) ? k : 0;
}

/// \brief Value of the target variable for unit `unit` (column 0 when none is set).
// Inline: the estimators call it for every respondent of every sample.
inline double TargetValue(int unit)
{
    return UnitValue(unit, VariableColumn(SimulationState.targetVariable));
}

/// \brief Value of the auxiliary variable for unit `unit` (column 0 when none is set).
inline double AuxiliaryValue(int unit)
{
    return UnitValue(unit, VariableColumn(SimulationState.auxiliaryVariable));
}

/// \brief Whether k names a stored variable, 1..variableCount (and within capacity).
bool IsVariableNumber(int k);

/// \brief The name of variable k, or "-" when no such variable exists.
std::string VariableNameOrDash(int k);

/// \brief The values of variable k for units 1..N, unit i at index i - 1.
std::vector<double> VariableValues(int k);

/// \brief Smallest and largest value of one variable over the population.
struct ValueRange {
    double minimum = 0.0;
    double maximum = 0.0;
};

/// \brief Scans variable k of units 1..N of `state` in order, starting from
/// minimum 1e10 and maximum -1e10; only strictly smaller or larger values replace
/// them (so with no units the start values remain).
ValueRange ScanVariableRange(const TSimulationState& state, int k);
