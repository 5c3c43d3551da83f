#include "engine/lesson.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/allocation.h"
#include "core/population_file.h"
#include "core/settings.h"
#include "core/simulation_state.h"

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

// Lessons written elsewhere: by Windows or old Mac editors, with a byte-order
// mark, by hand without a scale, or with a checksum whose leading zeros were left out.
TEST(LessonParseTest, ReadsLessonsAsOtherSystemsWriteThem)
{
    struct Row {
        const char* name;
        std::string text;
        bool scaleFromTarget;
    };
    const std::string lines[] = {"population = a.pop", "population-check = 4 2 fedcba987654321", "target = 2",
                                 "scale = 1:9"};
    const auto joined = [&lines](const std::string& end, int count) {
        std::string text;
        for (int at = 0; at < count; ++at) {
            text += lines[at] + end;
        }
        return text;
    };
    const Row rows[] = {
        {"byte_order_mark", "\xEF\xBB\xBF" + joined("\n", 4), false},
        {"cr_only", joined("\r", 4), false},
        {"mark_and_crlf", "\xEF\xBB\xBF" + joined("\r\n", 4), false},
        {"no_scale", joined("\n", 3), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Lesson lesson = ParseLesson(row.text);
        EXPECT_EQ(lesson.population, "a.pop");
        EXPECT_EQ(lesson.checksum, 0xfedcba987654321ULL);
        EXPECT_EQ(lesson.target, 2);
        EXPECT_EQ(lesson.scaleFromTarget, row.scaleFromTarget);
        EXPECT_EQ(LessonText(lesson).find("\nscale = ") == std::string::npos, row.scaleFromTarget);
        EXPECT_EQ(ParseLesson(LessonText(lesson)), lesson);
    }
}

// A huge value neither slows the reading nor makes the message huge.
TEST(LessonParseTest, MessagesQuoteLongValuesShortened)
{
    const std::string huge(10'000'000, 'x');
    const std::string long_(300, 'y');
    const std::pair<std::string, std::string> rows[] = {
        {"population = a.pop\ndesign = " + huge + "\n", "Line 2: the line is longer than 8192 characters!"},
        {"population = a.pop\ndesign = " + long_ + "z\n",
         "Line 2: invalid value '" + std::string(28, 'y') + "..." + std::string(27, 'y') + "z' for design!"},
        {"a" + long_ + " = 1\n",
         "Line 1: unknown key 'a" + std::string(27, 'y') + "..." + std::string(28, 'y') + "'!"},
        {"population = a.pop\ncolumns = a,b,c,d,e,f,g,h,i,j,k\n",
         "Line 2: invalid value 'a,b,c,d,e,f,g,h,i,j,k' for columns!"},
    };
    for (const auto& [text, message] : rows) {
        try {
            ParseLesson(text);
            ADD_FAILURE() << message;
        } catch (const LessonError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
    Lesson lesson;
    lesson.population = long_;
    EXPECT_EQ(PopulationBytesRefusal(lesson, long_, "bytes"),
              "The lesson's population " + std::string(28, 'y') + "..." + std::string(28, 'y') +
                  " has changed since the lesson was saved!");
}

// Any file name reads back as it was written; names that would not are quoted,
// and the checksum keeps its leading zeros.
TEST(LessonTextTest, WritesWhatItReadsBackExactly)
{
    Lesson lesson = Made({DesignEqualProbabilities}, EstimatorDirect, 0);
    lesson.checksum = 0x0123456789abcdefULL;
    const std::pair<std::string, std::string> names[] = {
        {"-ash.pop", "population = -ash.pop\n"},
        {" ash.pop", "population = \" ash.pop\"\n"},
        {"ash.pop\t", "population = \"ash.pop\\t\"\n"},
        {"line\nend\r.pop", "population = \"line\\nend\\r.pop\"\n"},
        {"\"quoted\" \\ x.pop", "population = \"\\\"quoted\\\" \\\\ x.pop\"\n"},
        {"a \"b\".pop", "population = a \"b\".pop\n"},
    };
    for (const auto& [name, line] : names) {
        lesson.population = name;
        const std::string text = LessonText(lesson);
        EXPECT_NE(text.find("\n" + line), std::string::npos) << text;
        EXPECT_NE(text.find("\npopulation-check = 284 9 0123456789abcdef\n"), std::string::npos) << text;
        EXPECT_EQ(ParseLesson(text), lesson) << text;
    }
}

class LessonRecordTest : public testing::Test {
protected:
    void SetUp() override
    {
        AdoptPopulation(
            ParsePopulationText("Test\n6 3\nx\ny\nz\n1 10 5\n2 20 5\n3 30 6\n4 45 7\n5 50 8\n6 60 9\n"));
    }
    void TearDown() override { SimulationState = TSimulationState{}; }

    static Lesson Basic()
    {
        Lesson lesson;
        lesson.population = "test.pop";
        lesson.target = 2;
        lesson.sampleSize = 3;
        lesson.simulations = 100;
        lesson.scaleFromTarget = true;
        return lesson;
    }
};

// What a lesson leaves out is not kept from before: nonresponse off turns it
// off, and without a scale the scale is the target's minimum and maximum.
TEST_F(LessonRecordTest, ALessonReplacesTheSettingsBefore)
{
    ASSERT_EQ(SetNonresponseLine(3, 10, 50), "");
    SimulationState.scaleLower = -7.0;
    SimulationState.scaleUpper = 99.0;
    ASSERT_EQ(ApplyLesson(Basic()), "");
    EXPECT_FALSE(SimulationState.nonresponseOn);
    EXPECT_EQ(SimulationState.scaleLower, 10.0);
    EXPECT_EQ(SimulationState.scaleUpper, 60.0);

    Lesson scaled = Basic();
    scaled.scaleFromTarget = false;
    scaled.scaleLower = 0.0;
    scaled.scaleUpper = 80.0;
    scaled.nonresponse = true;
    scaled.nonresponseVariable = 3;
    scaled.percentAtMinimum = 20;
    scaled.percentAtMaximum = 60;
    ASSERT_EQ(ApplyLesson(scaled), "");
    EXPECT_TRUE(SimulationState.nonresponseOn);
    EXPECT_EQ(SimulationState.scaleLower, 0.0);
    EXPECT_EQ(SimulationState.scaleUpper, 80.0);
}

TEST_F(LessonRecordTest, ANonresponseVariableOutOfRangeIsNamedSo)
{
    for (const int variable : {0, 4, -1}) {
        Lesson lesson = Basic();
        lesson.nonresponse = true;
        lesson.nonresponseVariable = variable;
        EXPECT_EQ(ApplyLesson(lesson), "The nonresponse variable must be from 1 to 3!") << variable;
    }
}

// A lesson passed on with its data beside it finds them, whatever path it names.
TEST(LessonPathTest, APopulationNotWhereNamedIsLookedForBesideTheLesson)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(testing::TempDir()) / ("lesson_beside_" + std::to_string(getpid()));
    fs::create_directories(folder / "data");
    std::ofstream(folder / "p.pop") << "x";
    std::ofstream(folder / "data" / "q.pop") << "x";
    const std::string lessonPath = (folder / "class.lesson").string();
    const std::pair<std::string, std::string> rows[] = {
        {"data/q.pop", (folder / "data" / "q.pop").string()},
        {"/elsewhere/p.pop", (folder / "p.pop").string()},
        {"C:\\Users\\ann\\p.pop", (folder / "p.pop").string()},
        {"gone/q.pop", ""},
        {"/elsewhere/", ""},
    };
    for (const auto& [named, found] : rows) {
        Lesson lesson;
        lesson.population = named;
        EXPECT_EQ(ExistingLessonPopulation(lessonPath, lesson), found) << named;
    }
    fs::remove_all(folder);
}

}  // namespace
