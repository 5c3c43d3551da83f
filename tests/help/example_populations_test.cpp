// The example populations read without error and are what their help page says;
// the example lesson of the help opens on one of them.
#include <gtest/gtest.h>

#include <QFile>
#include <QDir>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "core/number_format.h"
#include "core/population_file.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "ui/lesson_file.h"

namespace {

// What the page "The example populations" states about one file.
struct StatedPopulation {
    QString fileName;
    int unitCount = 0;
    int variableCount = 0;
    std::vector<QString> names;
    std::vector<QString> means;
};

QString HelpPage(const char* name = "example_populations.html")
{
    QFile page(QStringLiteral(TARVEK_HELP_SOURCE_FOLDER "/") + QLatin1String(name));
    EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    return QString::fromLatin1(page.readAll());
}

// The sections "<h2>name.pop: ...</h2>" with their "N = .., K = .." and the rows
// of their variable table (name, meaning, population mean).
std::vector<StatedPopulation> StatedPopulations()
{
    static const QRegularExpression size(QStringLiteral(R"(N = (\d+), K = (\d+))"));
    static const QRegularExpression row(
        QStringLiteral(R"(<tr><td>([^<]+)</td><td>[^<]*</td><td>([-0-9.]+)</td></tr>)"));
    std::vector<StatedPopulation> stated;
    for (const QString& section : HelpPage().split(QStringLiteral("<h2>"))) {
        const int colon = section.indexOf(QLatin1String(".pop:"));
        const QRegularExpressionMatch sizeMatch = size.match(section);
        if (colon < 0 || !sizeMatch.hasMatch()) {
            continue;
        }
        StatedPopulation population{
            section.left(colon + 4), sizeMatch.captured(1).toInt(), sizeMatch.captured(2).toInt(), {}, {}};
        for (auto it = row.globalMatch(section); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            population.names.push_back(match.captured(1));
            population.means.push_back(match.captured(2));
        }
        stated.push_back(population);
    }
    return stated;
}

void Read(const QString& fileName)
{
    SimulationState.populationName = (QStringLiteral(TARVEK_EXAMPLES_FOLDER "/") + fileName).toStdString();
    ReadPopulation();
}

int VariableNamed(const QString& name)
{
    for (int k = 1; k <= SimulationState.variableCount; ++k) {
        if (QString::fromStdString(SimulationState.variableNames[k]) == name) {
            return k;
        }
    }
    return 0;
}

double PopulationMean(int k)
{
    double sum = 0.0;
    for (int i = 1; i <= SimulationState.unitCount; ++i) {
        sum += SimulationState.populationData[i][k];
    }
    return sum / SimulationState.unitCount;
}

// The outcome of choosing post-stratification on variable k: "" when accepted.
std::string PostStrataCheck(int k)
{
    SimulationState.estimatorCode = EstimatorPostStratified;
    SimulationState.auxiliaryVariable = k;
    return CheckPostStrata();
}

TEST(ExamplePopulations, ThePageDescribesFourPopulations)
{
    const std::vector<StatedPopulation> stated = StatedPopulations();
    ASSERT_EQ(stated.size(), 4u);
    for (const StatedPopulation& population : stated) {
        EXPECT_EQ(static_cast<int>(population.names.size()), population.variableCount)
            << population.fileName.toStdString();
    }
}

TEST(ExamplePopulations, EachReadsWithTheSizeNamesAndMeansItsPageStates)
{
    for (const StatedPopulation& population : StatedPopulations()) {
        SCOPED_TRACE(population.fileName.toStdString());
        ASSERT_NO_THROW(Read(population.fileName));
        EXPECT_FALSE(SimulationState.populationName.empty());
        // The description fits the value column of the main window's information panel.
        EXPECT_LE(SimulationState.populationName.size(), 36u);
        EXPECT_EQ(SimulationState.unitCount, population.unitCount);
        EXPECT_LE(SimulationState.unitCount, MaxUnits);
        ASSERT_EQ(SimulationState.variableCount, population.variableCount);
        for (int k = 1; k <= population.variableCount; ++k) {
            const std::string& name = SimulationState.variableNames[k];
            EXPECT_LE(name.size(), static_cast<size_t>(MaxNameLength));
            EXPECT_EQ(QString::fromStdString(name), population.names[k - 1]);
            EXPECT_EQ(QString::fromStdString(FormatFixed3(PopulationMean(k))), population.means[k - 1])
                << name;
        }
    }
}

TEST(ExamplePopulations, EachHasTheGroupVariablePostStratificationAccepts)
{
    const struct {
        const char* fileName;
        const char* variable;
        int strata;
    } groups[] = {{"classroom.pop", "Set", 3},
                  {"mu284.pop", "Region", 8},
                  {"belgium.pop", "Province", 9},
                  {"schools.pop", "Level", 3}};
    for (const auto& group : groups) {
        SCOPED_TRACE(group.fileName);
        ASSERT_NO_THROW(Read(QLatin1String(group.fileName)));
        const int k = VariableNamed(QLatin1String(group.variable));
        ASSERT_GT(k, 0);
        EXPECT_EQ(PostStrataCheck(k), "");
        EXPECT_EQ(SimulationState.stratumCount, group.strata);
    }
}

TEST(ExamplePopulations, TheRefusalsThePageAnnouncesHappen)
{
    ASSERT_NO_THROW(Read(QStringLiteral("mu284.pop")));
    EXPECT_EQ(PostStrataCheck(VariableNamed(QStringLiteral("Cluster"))), TooManyStrataMessage);
    EXPECT_EQ(CountNonPositiveValues(VariableNamed(QStringLiteral("Population 1985"))), 0);

    ASSERT_NO_THROW(Read(QStringLiteral("belgium.pop")));
    EXPECT_GT(CountNonPositiveValues(VariableNamed(QStringLiteral("Growth 2003-2004"))), 0);
    EXPECT_EQ(CountNonPositiveValues(VariableNamed(QStringLiteral("Population 2004"))), 0);
}

TEST(ExamplePopulations, TheClassroomCsvFileHoldsTheSamePupilsWithTheSetsAsText)
{
    ASSERT_NO_THROW(Read(QStringLiteral("classroom.pop")));
    const TSimulationState fromPopulationFile = SimulationState;
    ASSERT_NO_THROW(Read(QStringLiteral("classroom.csv")));
    EXPECT_EQ(SimulationState.populationName, "classroom");
    EXPECT_EQ(SimulationState.variableNames, fromPopulationFile.variableNames);
    EXPECT_EQ(SimulationState.populationData, fromPopulationFile.populationData);
}

TEST(ExamplePopulations, TheClassroomSetsHoldTheStatedNumbersOfPupils)
{
    ASSERT_NO_THROW(Read(QStringLiteral("classroom.pop")));
    ASSERT_EQ(PostStrataCheck(VariableNamed(QStringLiteral("Set"))), "");
    // The check leaves the tallies of the strata in stratumWeights.
    EXPECT_EQ(SimulationState.stratumWeights[1], 6.0);
    EXPECT_EQ(SimulationState.stratumWeights[2], 7.0);
    EXPECT_EQ(SimulationState.stratumWeights[3], 7.0);
}

// The page's lesson, saved in a folder of its own, finds its example population
// wherever the examples are, opens, and is exactly what Save lesson writes for it.
TEST(ExamplePopulations, TheLessonOfTheLessonPageOpensAsWritten)
{
    static const QRegularExpression block(QStringLiteral("<pre class=\"lesson\">\n([^<]*)</pre>"));
    const QRegularExpressionMatch match = block.match(HelpPage("lessons.html"));
    ASSERT_TRUE(match.hasMatch());
    const std::string text = match.captured(1).toStdString();
    const QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("example.lesson"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.close();
    try {
        EXPECT_EQ(LessonText(OpenLessonFile(path.toStdString()).lesson), text);
    } catch (const std::exception& refusal) {
        ADD_FAILURE() << refusal.what();
    }
}

}  // namespace
