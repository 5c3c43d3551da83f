#include "engine/lesson.h"

#include <gtest/gtest.h>

#include "core/allocation.h"

namespace {

struct LessonCase {
    const char* name;
    Lesson lesson;
};

Lesson Made(DesignChoice design, std::int32_t estimator, int auxiliary)
{
    Lesson lesson;
    lesson.population = "data/schools.csv";
    lesson.units = 284;
    lesson.variables = 9;
    lesson.checksum = 0xad6e03bbe3be59d2ULL;
    lesson.target = 2;
    lesson.sampleSize = 12;
    lesson.design = design;
    lesson.estimator = estimator;
    lesson.auxiliary = auxiliary;
    lesson.simulations = 500;
    lesson.scaleLower = 0.1;
    lesson.scaleUpper = 1234.5678901234567;
    lesson.compression = 3;
    lesson.seed = 4294967295U;
    return lesson;
}

std::vector<LessonCase> Cases()
{
    Lesson imported = Made({DesignEqualProbabilities}, EstimatorRatio, 3);
    imported.columns = {"name", "enrolment", "score"};
    imported.dropMissing = true;
    imported.nonresponse = true;
    imported.nonresponseVariable = 3;
    imported.percentAtMinimum = 1;
    imported.percentAtMaximum = 99;
    imported.intervals = true;
    imported.switches = {true, true};
    return {
        {"imported_ratio_nonresponse", imported},
        {"pps", Made({DesignProportionalToSize, 4}, EstimatorDirect, 4)},
        {"stratified_optimal", Made({DesignStratified, 5, AllocationOptimal}, EstimatorDirect, 5)},
        {"systematic_ordered", Made({DesignSystematic, 6}, EstimatorRegression, 2)},
        {"cluster_units", Made({DesignCluster, 7, 0, 4}, EstimatorRatio, 0)},
        {"two_stage", Made({DesignTwoStage, 7, 0, 5, 3}, EstimatorDirect, 0)},
    };
}

class LessonRoundTripTest : public testing::TestWithParam<LessonCase> {};

TEST_P(LessonRoundTripTest, TextReadsBackToTheSameLesson)
{
    const Lesson& lesson = GetParam().lesson;
    EXPECT_EQ(ParseLesson(LessonText(lesson)), lesson) << LessonText(lesson);
}

INSTANTIATE_TEST_SUITE_P(Lessons, LessonRoundTripTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<LessonCase>& info) { return info.param.name; });

TEST(LessonParseTest, MalformedLinesNameTheirLine)
{
    const std::pair<const char*, const char*> rows[] = {
        {"population = a.pop\nfoo = 1\n", "Line 2: unknown key 'foo'!"},
        {"# c\npopulation = a.pop\n\ndesign = random\n", "Line 4: invalid value 'random' for design!"},
        {"population = a.pop\ntarget 2\n", "Line 2: expected \"key = value\"!"},
        {"target = 2\n", "The lesson names no population!"},
    };
    for (const auto& [text, message] : rows) {
        try {
            ParseLesson(text);
            ADD_FAILURE() << text;
        } catch (const LessonError& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
}

TEST(LessonPathTest, RelativeBelowTheLessonsFolderElseAbsolute)
{
    EXPECT_EQ(PopulationPathForLesson("/l/x.lesson", "/l/data/p.pop"), "data/p.pop");
    EXPECT_EQ(PopulationPathForLesson("/l/x.lesson", "/other/p.pop"), "/other/p.pop");
    Lesson lesson;
    lesson.population = "data/p.pop";
    EXPECT_EQ(LessonPopulationPath("/l/x.lesson", lesson), "/l/data/p.pop");
}

// Strata in classes and a list in random order read back too.
INSTANTIATE_TEST_SUITE_P(
    ClassesAndRandomOrder, LessonRoundTripTest,
    testing::Values(LessonCase{"stratified_classes",
                               Made({DesignStratified, 5, AllocationEqual, 0, 0, 4}, EstimatorDirect, 5)},
                    LessonCase{"systematic_random", Made({DesignSystematic, -1}, EstimatorDirect, 0)}),
    [](const testing::TestParamInfo<LessonCase>& info) { return info.param.name; });

}  // namespace
