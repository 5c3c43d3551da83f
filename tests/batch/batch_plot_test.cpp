// tarvek-batch writes its picture through a module of its own: the file must be
// byte for byte the one the plot renderer saves for the same run in this process.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"
#include "engine/plot_frame.h"
#include "engine/run_engine.h"
#include "engine/plot_options.h"
#include "plot/plot_renderer.h"

namespace {

struct PlotCase {
    const char* fileName;
    bool intervals;
    int compression;
    std::uint32_t seed;
    PlotOptions options;
};

/// The picture of one run of 1000 samples of 3 from small.pop, drawn here.
std::string RenderHere(const PlotCase& c, const std::string& population, const std::string& path)
{
    SimulationState.populationName = population;
    ReadPopulation();
    SimulationState.sampleSize = 3;
    SimulationState.simulationCount = 1000;
    SimulationState.confidenceIntervalMode = c.intervals;
    SimulationState.verticalCompression = c.compression;
    SetRandomSeed(c.seed);
    RunEngine engine;
    engine.StartRun();
    RunGraph graph = StartRunGraph(c.intervals ? GraphKind::Intervals : GraphKind::Histogram, engine.scale(),
                                   engine.populationMean());
    SampleResult sample;
    while (engine.NextSample(sample) == DrawStatus::Accepted) {
        AddSample(graph, sample);
    }
    return SavePlotPicture(graph, path, c.options);
}

QByteArray ReadBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(BatchPlotTest, ModulePictureIsTheRenderersPicture)
{
    const std::string population = std::string(TARVEK_TEST_DATA) + "/batch/small.pop";
    const std::string folder =
        QDir::tempPath().toStdString() + "/tarvek_batch_plot_" + std::to_string(getpid());
    QDir().mkpath(QString::fromStdString(folder));
    const std::vector<PlotCase> cases = {
        {"histogram.bmp", false, 1, 0, {}},
        {"histogram.png", false, 3, 11, {}},
        {"full.png", false, 1, 0, {.markFullClasses = true}},
        {"intervals.bmp", true, 1, 0, {}},
        {"intervals.png", true, 1, 4000000000u, {}},
        {"missed.bmp", true, 1, 3, {.colourMissedIntervals = true}},
        {"intervals.svg", true, 1, 5, {.colourMissedIntervals = true}},
    };
    for (const PlotCase& c : cases) {
        const std::string here = folder + "/here_" + c.fileName;
        const std::string batch = folder + "/batch_" + c.fileName;
        ASSERT_EQ(RenderHere(c, population, here), "") << c.fileName;
        std::string command = std::string(TARVEK_BATCH) + " -n 3 -s 1000 --compression " +
                              std::to_string(c.compression) + " --seed " + std::to_string(c.seed) +
                              (c.intervals ? " --intervals" : "") +
                              (c.options.markFullClasses ? " --mark-full" : "") +
                              (c.options.colourMissedIntervals ? " --colour-missed" : "") + " --plot " +
                              batch + " " + population + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const QByteArray expected = ReadBytes(here);
        ASSERT_GT(expected.size(), 1000) << c.fileName;
        EXPECT_TRUE(ReadBytes(batch) == expected) << c.fileName;
    }
    QDir(QString::fromStdString(folder)).removeRecursively();
}

}  // namespace
