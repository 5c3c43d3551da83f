#pragma once
// Populations for the window tests: a small one set up directly in
// SimulationState, and the examples shared with the batch simulator.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "texts/interface_text_table.h"

namespace window_test {

/// Units 1..20 with the target values 1..20, equal probabilities, the direct
/// estimator, samples of 5, `simulations` samples, scale 0..20, a fixed seed.
inline void SetUpPopulation(int simulations, bool confidenceIntervals = false)
{
    FillInterfaceTexts();
    SimulationState = TSimulationState{};
    TSimulationState& s = SimulationState;
    s.populationName = "Twenty units";
    s.unitCount = 20;
    s.variableCount = 1;
    s.variableNames[1] = "Y";
    for (int unit = 1; unit <= s.unitCount; ++unit) {
        s.populationData[unit][1] = unit;
    }
    s.targetVariable = 1;
    s.auxiliaryVariable = 1;
    s.sampleSize = 5;
    s.simulationCount = simulations;
    s.designCode = DesignEqualProbabilities;
    s.estimatorCode = EstimatorDirect;
    s.scaleLower = 0.0;
    s.scaleUpper = 20.0;
    s.verticalCompression = 1;
    s.confidenceIntervalMode = confidenceIntervals;
    s.simulationRestart = true;
    RandomGenerator.seed = 12345;
}

}  // namespace window_test

namespace window_test {

/// Reads an example population as a fresh program start would: defaults, seed 0.
inline void ReadExamplePopulation(const char* fileName)
{
    FillInterfaceTexts();
    SimulationState.populationName = std::string(TARVEK_EXAMPLES) + "/" + fileName;
    ReadPopulation();
    RandomGenerator.seed = 0;
}

/// The picture tarvek-batch writes with --plot after a run with `arguments`.
inline QImage BatchPlot(const QStringList& arguments)
{
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("plot.bmp"));
    QProcess batch;
    batch.start(QStringLiteral(TARVEK_BATCH), QStringList(arguments) << QStringLiteral("--plot") << picture);
    if (!batch.waitForFinished(60000) || batch.exitCode() != 0) {
        ADD_FAILURE() << "tarvek-batch failed: " << batch.readAllStandardError().toStdString();
    }
    return QImage(picture).convertToFormat(QImage::Format_RGB32);
}

}  // namespace window_test
