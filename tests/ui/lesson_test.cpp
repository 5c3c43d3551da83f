#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "core/random_sampling.h"
#include "core/settings.h"
#include "engine/lesson.h"
#include "engine/run_engine.h"
#include "tests/ui/forms_fixture.h"
#include "ui/example_data.h"

namespace {

using testing_support::OnNextModal;

/// Everything a lesson may change: the settings with the seed and the switches,
/// the population, and what the information panel shows.
struct ProgramState {
    Lesson settings;
    std::string population;
    PopulationMatrix data;
    QStringList panel;
    bool operator==(const ProgramState&) const = default;
};

ProgramState StateNow()
{
    const TMain& m = *Forms.Main;
    const LessonSwitches switches{m.ColourMissed1->isChecked(), m.MarkFull1->isChecked(),
                                  m.SlowMotion1->isChecked(), m.FitScale1->isChecked()};
    QStringList panel;
    for (const QLabel* label : {m.Label10, m.Label11, m.Label12, m.Label13, m.Label14, m.Label15, m.Label16,
                                m.Label17, m.Label18, m.Label20}) {
        panel << label->text();
    }
    return {LessonOfRecord(switches), SimulationState.populationName, SimulationState.populationData, panel};
}

/// The estimates and standard errors of the next samples of a fresh run.
std::vector<double> NextSamples()
{
    RunEngine engine;
    engine.StartRun();
    std::vector<double> values;
    SampleResult result;
    for (int sample = 0; sample < 6 && engine.NextSample(result) == DrawStatus::Accepted; ++sample) {
        values.push_back(result.estimate);
        values.push_back(result.standardError);
    }
    return values;
}

/// Runs `command`, typing `path` into the file dialog `dialog` that it opens.
void ChooseFile(QFileDialog* dialog, const QString& path, QAction* command)
{
    OnNextModal([dialog, path](QWidget* modal) {
        ASSERT_EQ(modal, dialog);
        testing_support::TypeIntoFileDialog(modal, path);
    });
    command->trigger();
}

QString Example(const char* name)
{
    return QDir(ExamplesFolder()).filePath(QString::fromLatin1(name));
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Saved from one state and opened in another, a lesson brings back the settings,
// switches and seed, so that the samples drawn next are those the first state
// would have drawn. An example is named by its file name alone, and found from a
// lesson in any folder.
TEST_F(FormsTest, ALessonReopensToTheSameStateAndTheSameSamples)
{
    TMain& m = *Forms.Main;
    m.OpenPopulation(Example("mu284.pop"));
    ASSERT_EQ(SimulationState.unitCount, 284);
    SetTargetVariable(3);
    SimulationState.sampleSize = 25;
    StoreDesignChoice({DesignSystematic, 2});
    SimulationState.estimatorCode = EstimatorRatio;
    SimulationState.auxiliaryVariable = 1;
    ASSERT_EQ(SetNonresponseLine(3, 10, 40), "");
    SimulationState.simulationCount = 200;
    SimulationState.confidenceIntervalMode = true;
    SimulationState.scaleLower = 100.5;
    m.ColourMissed1->setChecked(true);
    m.FitScale1->setChecked(true);
    SetRandomSeed(4000000001u);
    m.UpdateInfo();
    const ProgramState saved = StateNow();

    QTemporaryDir folder;
    ChooseFile(m.SaveLessonDialog, folder.filePath(QStringLiteral("class")), m.Savelesson1);
    const QString lesson = folder.filePath(QStringLiteral("class.lesson"));
    EXPECT_TRUE(ReadFile(lesson).contains("\npopulation = mu284.pop\n")) << ReadFile(lesson).toStdString();
    const std::vector<double> drawn = NextSamples();
    ASSERT_EQ(drawn.size(), 12u);

    m.OpenPopulation(Example("classroom.pop"));
    m.ColourMissed1->setChecked(false);
    m.FitScale1->setChecked(false);
    SetRandomSeed(1);
    ChooseFile(m.OpenLessonDialog, lesson, m.Openlesson1);

    ProgramState opened = StateNow();
    EXPECT_EQ(opened.settings, saved.settings) << LessonText(opened.settings);
    EXPECT_EQ(opened.population, saved.population);
    EXPECT_TRUE(opened.data == saved.data);
    EXPECT_EQ(opened.panel.mid(0, 9), saved.panel.mid(0, 9));
    EXPECT_EQ(m.Label20->text(), "4000000001") << "the seed on the panel";
    EXPECT_EQ(NextSamples(), drawn);
}

// A refused lesson says why in the general error report and changes nothing:
// not the population, a setting, a switch, the seed or the panel.
TEST_F(FormsTest, ARefusedLessonChangesNothing)
{
    TMain& m = *Forms.Main;
    QTemporaryDir folder;
    const QString population = folder.filePath(QStringLiteral("people.pop"));
    const QByteArray people = "People\n4 2\nincome\nchildren\n1200 1\n800 0\n1500 2\n950 3\n";
    WriteFile(population, people);
    m.OpenPopulation(population);
    m.SaveLessonTo(folder.filePath(QStringLiteral("good.lesson")));
    const QByteArray good = ReadFile(folder.filePath(QStringLiteral("good.lesson")));
    ASSERT_TRUE(good.contains("\npopulation = people.pop\n")) << good.toStdString();
    QByteArray changed = people;
    changed.replace("800", "801");
    WriteFile(folder.filePath(QStringLiteral("changed.pop")), changed);

    m.OpenPopulation(Example("classroom.pop"));
    SimulationState.sampleSize = 7;
    m.MarkFull1->setChecked(true);
    SetRandomSeed(777);
    m.UpdateInfo();
    const ProgramState before = StateNow();

    const std::string in = QDir(folder.path()).canonicalPath().toStdString() + "/";
    struct Case {
        const char* name;
        QByteArray lesson;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"missing", QByteArray(good).replace("people.pop", "gone.pop"),
         "The lesson's population " + in + "gone.pop cannot be found!"},
        {"changed", QByteArray(good).replace("people.pop", "changed.pop"),
         "The lesson's population " + in + "changed.pop has changed since the lesson was saved!"},
        {"refused", good + "design = pps\nauxiliary = 2\n", "Values of auxiliary variable must be positive!"},
        {"malformed", "sample size = 3\n" + good,
         in + "malformed.lesson: Line 1: unknown key 'sample size'!"},
    };
    for (const Case& c : cases) {
        const QString path = QDir(in.c_str()).filePath(QLatin1String(c.name) + QLatin1String(".lesson"));
        WriteFile(path, c.lesson);
        EXPECT_EQ(GeneralReportOf([&m, &path] { m.OpenFile(path); }).toStdString(), c.message) << c.name;
        EXPECT_TRUE(StateNow() == before) << c.name;
    }
}

/// The state after opening a lesson against the state it was saved in; the
/// panel's seed line shows the seed only once a lesson or New random start set it.
void ExpectOpenedAsSaved(const ProgramState& saved)
{
    const ProgramState opened = StateNow();
    EXPECT_EQ(opened.settings, saved.settings) << LessonText(opened.settings);
    EXPECT_EQ(opened.population, saved.population);
    EXPECT_TRUE(opened.data == saved.data);
    EXPECT_EQ(opened.panel.mid(0, 9), saved.panel.mid(0, 9));
}

// A lesson of more simulations than a run here draws (from tarvek-batch or the
// page) opens with 1000 and says so; nothing else differs from the lesson.
TEST_F(FormsTest, ALessonOfMoreSimulationsOpensWithTheMostARunDraws)
{
    TMain& m = *Forms.Main;
    m.OpenPopulation(Example("classroom.pop"));
    SimulationState.sampleSize = 6;
    SetRandomSeed(12);
    m.UpdateInfo();
    const ProgramState saved = StateNow();
    QTemporaryDir folder;
    const QString lesson = folder.filePath(QStringLiteral("many.lesson"));
    m.SaveLessonTo(lesson);
    WriteFile(lesson, ReadFile(lesson).replace("\nsimulations = 1000\n", "\nsimulations = 5000\n"));

    m.OpenPopulation(Example("mu284.pop"));
    EXPECT_EQ(GeneralReportOf([&m, &lesson] { m.OpenFile(lesson); }),
              "The lesson asks for 5000 simulations; a run here draws at most 1000, so it opens with 1000 "
              "simulations.");
    ExpectOpenedAsSaved(saved);
}

// Save lesson names any file so that the lesson opens on it again, and warns
// when the data lie outside the lesson's folder; a lesson passed on with its
// data beside it finds them there.
TEST_F(FormsTest, SavedLessonsFindTheirPopulationAgain)
{
    TMain& m = *Forms.Main;
    QTemporaryDir folder;
    const QDir here(folder.path());
    ASSERT_TRUE(here.mkdir(QStringLiteral("lessons")));
    const QByteArray people = "People\n4 2\nincome\nchildren\n1200 1\n800 0\n1500 2\n950 3\n";
    const QString outside = QStringLiteral(
        "The population people.pop lies outside the lesson's folder: when you "
        "pass the lesson on, put a copy of it beside the lesson.");
    const struct {
        QString population;  // relative to the folder
        QString lesson;
        QString warning;  // of Save lesson; "" for none
    } cases[] = {
        {QStringLiteral("-people.pop"), QStringLiteral("a.lesson"), QString()},
        {QStringLiteral(" people .pop"), QStringLiteral("b.lesson"), QString()},
        {QStringLiteral("new\nline.pop\t"), QStringLiteral("c.lesson"), QString()},
        {QStringLiteral("people.pop"), QStringLiteral("lessons/d.lesson"), outside},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.population.toStdString());
        const QString population = here.filePath(c.population);
        WriteFile(population, people);
        m.OpenPopulation(population);
        ASSERT_EQ(SimulationState.unitCount, 4);
        SimulationState.sampleSize = 3;
        m.UpdateInfo();
        const QString lesson = here.filePath(c.lesson);
        if (c.warning.isEmpty()) {
            m.SaveLessonTo(lesson);
        } else {
            EXPECT_EQ(GeneralReportOf([&m, &lesson] { m.SaveLessonTo(lesson); }), c.warning);
        }
        const ProgramState saved = StateNow();
        m.OpenPopulation(Example("classroom.pop"));
        m.OpenFile(lesson);
        ExpectOpenedAsSaved(saved);
    }

    // Sent on with its data beside it, the last lesson names a path that is not there.
    const QString elsewhere = here.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(here.mkdir(QStringLiteral("elsewhere")));
    const QString lesson = QDir(elsewhere).filePath(QStringLiteral("d.lesson"));
    ASSERT_TRUE(QFile::copy(here.filePath(QStringLiteral("lessons/d.lesson")), lesson));
    ASSERT_TRUE(QFile::rename(here.filePath(QStringLiteral("people.pop")),
                              QDir(elsewhere).filePath(QStringLiteral("people.pop"))));
    const ProgramState saved = StateNow();
    m.OpenPopulation(Example("classroom.pop"));
    m.OpenFile(lesson);
    EXPECT_EQ(StateNow().settings, saved.settings);
    EXPECT_TRUE(SimulationState.populationData == saved.data);
}

}  // namespace
