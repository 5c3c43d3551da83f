// Any bytes as a population file: a read either succeeds with a record that keeps
// its invariants, or fails with PopulationFileError and leaves the record exactly
// as it was.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

#include "core/population_file.h"
#include "core/simulation_state.h"
#include "core/text_encoding.h"
#include "fuzz/fuzz_check.h"

namespace {

/// Every field of the record, for an exact comparison.
auto AllFields(const TSimulationState& s)
{
    return std::tie(s.versionText, s.populationName, s.populationData, s.variableNames, s.estimates,
                    s.histogramCounts, s.unitCount, s.variableCount, s.displayVariable, s.nonresponseVariable,
                    s.targetVariable, s.auxiliaryVariable, s.respondentCount, s.sampleSize, s.simulationCount,
                    s.estimate, s.standardError, s.theoreticalMean, s.theoreticalStdError, s.simulatedMean,
                    s.simulatedStdDev, s.sampleUnits, s.estimatorCode, s.designCode, s.auxiliaryMean,
                    s.stratumWeights, s.stratumCount, s.confidenceIntervalMode, s.nonresponseOn,
                    s.nonresponseAtMinimum, s.nonresponseAtMaximum, s.nonresponseIntercept,
                    s.nonresponseSlope, s.simulationRestart, s.estimateValid, s.targetMinimum,
                    s.targetMaximum, s.scaleLower, s.scaleUpper, s.scaleSampleSize, s.verticalCompression,
                    s.theoreticalMeanAvailable, s.theoreticalStdErrorAvailable, s.simulatedMeanAvailable,
                    s.simulatedStdDevAvailable);
}

std::string TemporaryPath()
{
    char path[] = "/tmp/tarvek-fuzz-XXXXXX";
    const int descriptor = mkstemp(path);
    FUZZ_CHECK(descriptor >= 0);
    close(descriptor);
    return path;
}

const std::string& FilePath()
{
    static const std::string path = TemporaryPath();
    return path;
}

void WriteFile(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(FilePath().c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
}

/// A record that a user could have: a population read, then settings changed
/// away from every default that a read restores.
TSimulationState ChangedSettings()
{
    const char population[] = "Earlier population\n4 2\nincome\nsize\n10 1\n20 2\n30 3\n40 4\n";
    WriteFile(reinterpret_cast<const std::uint8_t*>(population), sizeof population - 1);
    SimulationState = TSimulationState{};
    SimulationState.versionText = "version";
    SimulationState.populationName = FilePath();
    ReadPopulation();
    TSimulationState& s = SimulationState;
    s.targetVariable = 2;
    s.auxiliaryVariable = 1;
    s.estimatorCode = EstimatorRegression;
    s.designCode = DesignProportionalToSize;
    s.sampleSize = 3;
    s.scaleSampleSize = 3;
    s.simulationCount = 50;
    s.confidenceIntervalMode = true;
    s.nonresponseOn = true;
    s.nonresponseVariable = 2;
    s.nonresponseAtMinimum = 0.1;
    s.nonresponseAtMaximum = 0.5;
    s.scaleLower = -7.5;
    s.scaleUpper = 99.25;
    s.verticalCompression = 3;
    s.estimates[1] = 12.5;
    s.histogramCounts[7] = 4;
    s.displayVariable = 2;
    return s;
}

void CheckReadRecord()
{
    const TSimulationState& s = SimulationState;
    FUZZ_CHECK(s.unitCount >= 0 && s.unitCount <= MaxUnits);
    FUZZ_CHECK(s.variableCount >= 0 && s.variableCount <= MaxVariables);
    if (s.variableCount >= 1) {
        FUZZ_CHECK(s.targetVariable >= 1 && s.targetVariable <= s.variableCount);
    } else {
        FUZZ_CHECK(s.targetVariable == 0);
    }
    FUZZ_CHECK(s.sampleSize >= 0 && s.sampleSize <= s.unitCount);
    FUZZ_CHECK(s.scaleSampleSize == s.sampleSize);
    FUZZ_CHECK(s.estimatorCode == EstimatorDirect && s.designCode == DesignEqualProbabilities);
    FUZZ_CHECK(s.simulationCount == 1000 && s.verticalCompression == 1 && s.auxiliaryVariable == 0);
    FUZZ_CHECK(!s.confidenceIntervalMode && !s.nonresponseOn && s.nonresponseVariable == 0);
    FUZZ_CHECK(IsValidUtf8(s.populationName));
    for (int k = 1; k <= s.variableCount; ++k) {
        // Texts are UTF-8, names cut to 20 characters (up to four bytes each).
        const std::string& name = s.variableNames[k];
        FUZZ_CHECK(IsValidUtf8(name));
        FUZZ_CHECK(FirstCharacters(name, MaxNameLength) == name);
    }
    for (int i = 1; i <= s.unitCount; ++i) {
        for (int k = 1; k <= s.variableCount; ++k) {
            FUZZ_CHECK(std::isfinite(s.populationData[i][k]));
        }
    }
    if (s.unitCount >= 1 && s.variableCount >= 1) {
        FUZZ_CHECK(s.targetMinimum <= s.targetMaximum);
        FUZZ_CHECK(s.scaleLower == s.targetMinimum && s.scaleUpper == s.targetMaximum);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TSimulationState changed = ChangedSettings();
    // Odd-length inputs start from the record at program start instead.
    SimulationState = size % 2 == 0 ? changed : TSimulationState{};
    SimulationState.populationName = FilePath();
    WriteFile(data, size);
    static TSimulationState before;
    before = SimulationState;
    try {
        ReadPopulation();
    } catch (const PopulationFileError& error) {
        FUZZ_CHECK(std::string(error.what()).size() > 0);
        FUZZ_CHECK(AllFields(SimulationState) == AllFields(before));
        return 0;
    }
    CheckReadRecord();
    return 0;
}
