// A lesson of every design, given to tarvek-batch as LessonArguments, sets the
// record as the desktop program's ApplyLesson does.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/batch_settings.h"
#include "core/allocation.h"
#include "core/population_file.h"
#include "core/simulation_state.h"
#include "engine/lesson.h"
#include "texts/interface_text_table.h"

namespace {

struct DesignLesson {
    const char* design;  ///< the registry's name
    Lesson lesson;
};

/// 12 units: a target, a positive size, clusters 1..4 of three units each, and
/// a variable for nonresponse.
void AdoptTestPopulation()
{
    std::string text = "Test\n12 4\ny\nsize\ncluster\nr\n";
    for (int unit = 1; unit <= 12; ++unit) {
        text += std::to_string(unit * 3 % 7 + unit) + ' ' + std::to_string(unit) + ' ' +
                std::to_string((unit - 1) / 3 + 1) + ' ' + std::to_string(unit % 5) + '\n';
    }
    AdoptPopulation(ParsePopulationText(text));
}

Lesson Made(DesignChoice design, std::int32_t estimator, int auxiliary)
{
    Lesson lesson;
    lesson.population = "p.csv";
    lesson.target = 1;
    lesson.sampleSize = 4;
    lesson.design = design;
    lesson.estimator = estimator;
    lesson.auxiliary = auxiliary;
    lesson.simulations = 50;
    lesson.compression = 2;
    lesson.seed = 77;
    return lesson;
}

std::vector<DesignLesson> DesignLessons()
{
    Lesson equal = Made({DesignEqualProbabilities}, EstimatorRatio, 2);
    equal.columns = {"y", "size", "cluster", "r"};
    equal.dropMissing = true;
    equal.nonresponse = true;
    equal.nonresponseVariable = 4;
    equal.percentAtMinimum = 10;
    equal.percentAtMaximum = 40;
    equal.intervals = true;
    equal.scaleLower = -1.5;
    equal.scaleUpper = 30.25;
    equal.switches = {true, true, true, true};
    return {
        {"equal", equal},
        {"pps", Made({DesignProportionalToSize, 2}, EstimatorDirect, 2)},
        {"stratified", Made({DesignStratified, 2, AllocationEqual, 0, 0, 2}, EstimatorDirect, 2)},
        {"systematic", Made({DesignSystematic, 2}, EstimatorRegression, 2)},
        {"cluster", Made({DesignCluster, 3, 0, 2}, EstimatorRatio, 0)},
        {"two-stage", Made({DesignTwoStage, 3, 0, 2, 2}, EstimatorDirect, 0)},
    };
}

/// The record's settings after tarvek-batch applies the lesson's options.
Lesson AppliedByTarvekBatch(const Lesson& lesson)
{
    std::vector<std::string> arguments = LessonArguments(lesson);
    arguments.insert(arguments.end(), {"--", "p.csv"});
    const BatchOptions options = ParseCommandLine(arguments);
    EXPECT_EQ(ApplySettings(options), "");
    EXPECT_EQ(options.columns.value_or(std::vector<std::string>{}), lesson.columns);
    EXPECT_EQ(options.dropMissing, lesson.dropMissing);
    const PlotOptions& marks = options.plotOptions;
    Lesson applied = LessonOfRecord({marks.colourMissedIntervals, marks.markFullClasses,
                                     lesson.switches.slowMotion, lesson.switches.fitScale});
    applied.seed = options.seed.value_or(0);
    return applied;
}

TEST(LessonOptionsTest, EveryDesignsLessonReadsBackAndRunsInTarvekBatchAsInTheDesktop)
{
    FillInterfaceTexts();
    const std::vector<DesignLesson> lessons = DesignLessons();
    for (const SamplingDesign* design : Designs()) {
        SCOPED_TRACE(std::string(design->Name()));
        const auto found = std::find_if(lessons.begin(), lessons.end(), [design](const DesignLesson& row) {
            return row.design == design->Name();
        });
        ASSERT_NE(found, lessons.end()) << "every design needs a lesson here";
        const Lesson& lesson = found->lesson;
        EXPECT_EQ(ParseLesson(LessonText(lesson)), lesson) << LessonText(lesson);

        AdoptTestPopulation();
        ASSERT_EQ(ApplyLesson(lesson), "");
        const Lesson byDesktop = LessonOfRecord(lesson.switches);
        AdoptTestPopulation();
        EXPECT_EQ(AppliedByTarvekBatch(lesson), byDesktop);
    }
    SimulationState = TSimulationState{};
}

}  // namespace
