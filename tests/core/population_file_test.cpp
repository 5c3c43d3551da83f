#include "core/population_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/simulation_state.h"
#include "tests/core/core_test_support.h"

namespace {

class PopulationFileTest : public ::testing::Test {
protected:
    void SetUp() override { SimulationState = TSimulationState{}; }

    /// Writes `content` and reads it; the reader's message on failure, else "".
    std::string Read(const std::string& content)
    {
        SimulationState.populationName = folder_.Write("population.pop", content);
        try {
            ReadPopulation();
        } catch (const PopulationFileError& error) {
            return error.what();
        }
        return "";
    }

    TemporaryFolder folder_;
};

const std::string ExampleFile =
    "Five farms\n"
    "5 2 trailing text is ignored\n"
    "Area\n"
    "Cattle\n"
    "1250.5 3\n"
    "800 -2.5e1\n"
    "1e3 +7\n"
    "5. .5\n"
    "0 0\n";

TEST_F(PopulationFileTest, ReadsDescriptionCountsNamesAndValues)
{
    ASSERT_EQ(Read(ExampleFile), "");
    EXPECT_EQ(SimulationState.populationName, "Five farms");
    EXPECT_EQ(SimulationState.unitCount, 5);
    EXPECT_EQ(SimulationState.variableCount, 2);
    EXPECT_EQ(SimulationState.variableNames[1], "Area");
    EXPECT_EQ(SimulationState.variableNames[2], "Cattle");
    EXPECT_EQ(ColumnOf(1), (std::vector<double>{1250.5, 800, 1000, 5, 0}));
    EXPECT_EQ(ColumnOf(2), (std::vector<double>{3, -25, 7, 0.5, 0}));
}

TEST_F(PopulationFileTest, CarriageReturnsBeforeLineEndsBelongToNoText)
{
    ASSERT_EQ(Read("Windows file\r\n2 2\r\nfirst\r\nA name of exactly 20\r\n1 2\r\n3 4\r\n"), "");
    EXPECT_EQ(SimulationState.populationName, "Windows file");
    EXPECT_EQ(SimulationState.variableNames[1], "first");
    EXPECT_EQ(SimulationState.variableNames[2], "A name of exactly 20");
    EXPECT_EQ(ColumnOf(2), (std::vector<double>{2, 4}));
}

TEST_F(PopulationFileTest, NamesKeepTwentyCharactersUntrimmed)
{
    ASSERT_EQ(Read("d\n1 3\nTwenty-five characters..\n  ab  \nxyz\n1 2 3\n"), "");
    EXPECT_EQ(SimulationState.variableNames[1], "Twenty-five characte");
    EXPECT_EQ(SimulationState.variableNames[2], "  ab  ");
    EXPECT_EQ(SimulationState.variableNames[3], "xyz");
}

TEST_F(PopulationFileTest, UnitValuesMayRunOverLinesAndTheRestOfTheLastLineIsSkipped)
{
    ASSERT_EQ(Read("d\n2 3\na\nb\nc\n1\n2 3 99 not-a-number\n4 5 6\n"), "");
    EXPECT_EQ(ColumnOf(1), (std::vector<double>{1, 4}));
    EXPECT_EQ(ColumnOf(3), (std::vector<double>{3, 6}));
}

TEST_F(PopulationFileTest, AFileThatEndsEarlyGivesEmptyNamesAndZeroValues)
{
    SimulationState.populationData[3][1] = 42.0;
    ASSERT_EQ(Read("d\n3 2\nonly\n"), "");
    EXPECT_EQ(SimulationState.variableNames[2], "");
    EXPECT_EQ(ColumnOf(1), (std::vector<double>{0, 0, 0}));

    ASSERT_EQ(Read("d\n3 1\nv\n7\n8"), "");
    EXPECT_EQ(ColumnOf(1), (std::vector<double>{7, 8, 0}));
}

TEST_F(PopulationFileTest, ReadsUpToOneHundredThousandUnitsWholeAndRefusesMore)
{
    std::string values;
    for (int i = 1; i <= MaxUnits; ++i) {
        values += std::to_string(i) + "\n";
    }
    ASSERT_EQ(Read("big\n100000 1\nv\n" + values), "");
    EXPECT_EQ(SimulationState.unitCount, MaxUnits);
    EXPECT_EQ(UnitValue(MaxUnits, 1), MaxUnits);
    EXPECT_EQ(SimulationState.sampleSize, 10);

    EXPECT_EQ(Read("bigger\n100001 1\nv\n" + values + "1\n"), TooManyUnitsMessage);
    EXPECT_EQ(SimulationState.unitCount, MaxUnits);
    // A thousand units are no longer a limit: what follows them is read.
    EXPECT_EQ(Read("d\n1500 1\nv\n" + values.substr(0, values.find("1001\n")) + "garbage\n"),
              "Invalid numeric input");
}

TEST_F(PopulationFileTest, ReadsTextsWrittenOnWindowsAndCutsNamesByCharacters)
{
    struct Case {
        std::string file;
        std::string description;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"R\xE9gion Li\xE8ge\n1 1\nM\xE9tier\n1\n", "R\u00e9gion Li\u00e8ge", "M\u00e9tier"},
        {"\xEF\xBB\xBFR\xC3\xA9gion\n1 1\nM\xC3\xA9tier\n1\n", "R\u00e9gion", "M\u00e9tier"},
        {"\x80 \x81\n1 1\n\x93q\x94\n1\n", "\u20ac \u0081", "\u201cq\u201d"},
        // A last byte that would lead a UTF-8 sequence is no cut sequence.
        {"Caf\xE9\n1 1\nCaf\xE9\n1\n", "Caf\u00e9", "Caf\u00e9"},
        // Twenty two-byte characters are kept whole, the rest of the line dropped.
        {"d\n1 1\n\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"
         "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e8\u00e8\n1\n",
         "d",
         "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"
         "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"},
        // Windows-1252 names are cut at 20 bytes, which are 20 characters.
        {"d\n1 1\n\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE8\n1\n",
         "d",
         "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"
         "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"},
        // A mark anywhere but at the start belongs to the text.
        {"d\xEF\xBB\xBF\n1 1\nv\n1\n", "d\uFEFF", "v"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Read(c.file), "") << c.file;
        EXPECT_EQ(SimulationState.populationName, c.description) << c.file;
        EXPECT_EQ(SimulationState.variableNames[1], c.name) << c.file;
        EXPECT_EQ(UnitValue(1, 1), 1.0) << c.file;
    }
}

TEST_F(PopulationFileTest, AcceptsEveryFormOfTheNumberSyntax)
{
    ASSERT_EQ(Read("d\n+0000000000000000000000000000003 1\nv\n-0.125 1E+2 2e-3\n5. .5\n1e-400\n"), "");
    EXPECT_EQ(SimulationState.unitCount, 3);
    EXPECT_EQ(ColumnOf(1), (std::vector<double>{-0.125, 5.0, 0.0}));
}

TEST_F(PopulationFileTest, RefusesMalformedNumbers)
{
    const std::string invalid = "Invalid numeric input";
    for (const std::string value :
         {"nan", "inf", "-Infinity", "0x10", "12,5", "1e400", "1e", ".", "-", "1.2.3", "1e+", "--1", "1,000",
          "\xC2\xA0"
          "1"}) {
        EXPECT_EQ(Read("d\n1 1\nv\n" + value + "\n"), invalid) << value;
    }
    EXPECT_EQ(Read("d\n1 1\nv\n" + std::string(65, '1') + "\n"), invalid);
    EXPECT_EQ(Read("d\n5.0 1\n"), invalid);
    EXPECT_EQ(Read("d\n$5 1\n"), invalid);
    EXPECT_EQ(Read("d\n0x5 1\n"), invalid);
    EXPECT_EQ(Read("d\n" + std::string(33, '0') + " 1\n"), invalid);
}

TEST_F(PopulationFileTest, RefusesMoreThanTenVariablesAndNegativeCounts)
{
    const std::string names = "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n";
    EXPECT_EQ(Read("d\n1 10\n" + names + "1 2 3 4 5 6 7 8 9 10\n"), "");
    EXPECT_EQ(ColumnOf(10), (std::vector<double>{10}));
    EXPECT_EQ(Read("d\n1 11\n" + names + "k\n"), "Range check error");
    EXPECT_EQ(Read("d\n-1 1\nv\n"), "Range check error");
    EXPECT_EQ(Read("d\n1 -1\n"), "Range check error");
}

TEST_F(PopulationFileTest, AUnitCountBeyondEveryWholeNumberIsTooManyUnits)
{
    struct Case {
        std::string file;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"d\n999999999999 1\n", TooManyUnitsMessage},
        {"d\n2147483648 1\n", TooManyUnitsMessage},
        {"d\n+" + std::string(31, '9') + " 1\n", TooManyUnitsMessage},
        {"d\n-999999999999 1\n", "Range check error"},
        {"d\n999999999999 x\n", "Invalid numeric input"},
        {"d\n999999999999x 1\n", "Invalid numeric input"},
        {"d\n1 999999999999\n", "Invalid numeric input"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.file), c.message) << c.file;
    }
}

TEST_F(PopulationFileTest, KeepsTheStartOfAVeryLongDescription)
{
    const std::string e = "\xC3\xA9";
    std::string accents;
    for (int i = 0; i < 5000; ++i) {
        accents += e;
    }
    ASSERT_EQ(Read("a" + accents + "\n1 0\n"), "");
    EXPECT_EQ(SimulationState.populationName, "a" + accents.substr(0, 4094));
    ASSERT_EQ(Read(std::string(5000, '\xE9') + "\n1 0\n"), "");
    EXPECT_EQ(SimulationState.populationName.size(), 2 * std::size_t{4096});
}

TEST_F(PopulationFileTest, ReportsMissingAndUnreadableFiles)
{
    SimulationState.populationName = (folder_.path() / "absent.pop").string();
    EXPECT_THROW(
        {
            try {
                ReadPopulation();
            } catch (const PopulationFileError& error) {
                EXPECT_STREQ(error.what(), "File not found");
                throw;
            }
        },
        PopulationFileError);
}

// Opening a FIFO for reading would wait for a writer; a device may never end.
TEST_F(PopulationFileTest, RefusesFoldersAndWhatIsNotARegularFileBeforeOpeningIt)
{
    ASSERT_EQ(Read(ExampleFile), "");
    const TSimulationState before = SimulationState;
    const std::filesystem::path folder = folder_.path() / "folder.csv";
    const std::filesystem::path fifo = folder_.path() / "pipe.pop";
    const std::filesystem::path zeros = folder_.path() / "zeros.csv";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", zeros);
    struct Case {
        std::string path;
        std::string message;
    };
    const std::vector<Case> cases = {
        {folder.string(), folder.string() + " is a folder!"},
        {folder_.path().string(), folder_.path().string() + " is a folder!"},
        {fifo.string(), fifo.string() + " is not a regular file!"},
        {zeros.string(), zeros.string() + " is not a regular file!"},
    };
    for (const Case& c : cases) {
        SimulationState.populationName = c.path;
        try {
            ReadPopulation();
            ADD_FAILURE() << c.path << " was read as a population";
        } catch (const PopulationFileError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
        EXPECT_EQ(SimulationState.unitCount, before.unitCount);
        EXPECT_EQ(SimulationState.variableNames, before.variableNames);
        EXPECT_EQ(SimulationState.populationData, before.populationData);
    }
}

TEST_F(PopulationFileTest, AFailedReadLeavesTheRecordAsItWas)
{
    ASSERT_EQ(Read(ExampleFile), "");
    SimulationState.estimatorCode = EstimatorRatio;
    SimulationState.sampleSize = 4;
    const TSimulationState before = SimulationState;

    for (const std::string bad : {"other\n3 1\nname\n1\n2\nx\n", "other\n3 12\n"}) {
        EXPECT_NE(Read(bad), "");
        EXPECT_EQ(SimulationState.unitCount, before.unitCount);
        EXPECT_EQ(SimulationState.variableCount, before.variableCount);
        EXPECT_EQ(SimulationState.variableNames, before.variableNames);
        EXPECT_EQ(SimulationState.populationData, before.populationData);
        EXPECT_EQ(SimulationState.estimatorCode, EstimatorRatio);
        EXPECT_EQ(SimulationState.sampleSize, 4);
        EXPECT_EQ(SimulationState.populationName, folder_.path() / "population.pop");
    }
}

TEST_F(PopulationFileTest, AReadResetsTheSettingsToTheirDefaults)
{
    SimulationState.estimatorCode = EstimatorPostStratified;
    SimulationState.designCode = DesignProportionalToSize;
    SimulationState.simulationCount = 50;
    SimulationState.confidenceIntervalMode = true;
    SimulationState.nonresponseOn = true;
    SimulationState.nonresponseVariable = 2;
    SimulationState.nonresponseAtMinimum = 0.5;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.verticalCompression = 3;
    SimulationState.displayVariable = 2;
    SimulationState.nonresponseSlope = 0.25;

    ASSERT_EQ(Read(ExampleFile), "");
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorDirect);
    EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
    EXPECT_EQ(SimulationState.simulationCount, 1000);
    EXPECT_FALSE(SimulationState.confidenceIntervalMode);
    EXPECT_FALSE(SimulationState.nonresponseOn);
    EXPECT_EQ(SimulationState.nonresponseVariable, 0);
    EXPECT_EQ(SimulationState.nonresponseAtMinimum, 0.0);
    EXPECT_EQ(SimulationState.auxiliaryVariable, 0);
    EXPECT_EQ(SimulationState.verticalCompression, 1);
    EXPECT_EQ(SimulationState.targetVariable, 1);
    EXPECT_EQ(SimulationState.targetMinimum, 0.0);
    EXPECT_EQ(SimulationState.targetMaximum, 1250.5);
    EXPECT_EQ(SimulationState.scaleLower, 0.0);
    EXPECT_EQ(SimulationState.scaleUpper, 1250.5);
    EXPECT_EQ(SimulationState.sampleSize, 5);
    EXPECT_EQ(SimulationState.scaleSampleSize, 5);
    // Left as they were:
    EXPECT_EQ(SimulationState.displayVariable, 2);
    EXPECT_EQ(SimulationState.nonresponseSlope, 0.25);
}

TEST_F(PopulationFileTest, DefaultsWithoutVariablesOrWithoutUnits)
{
    ASSERT_EQ(Read("empty\n4 0\n"), "");
    EXPECT_EQ(SimulationState.targetVariable, 0);
    EXPECT_EQ(SimulationState.targetMinimum, 0.0);
    EXPECT_EQ(SimulationState.targetMaximum, 0.0);
    EXPECT_EQ(SimulationState.sampleSize, 4);

    // A population without units is refused, whatever form its emptiness takes,
    // and the one read stays.
    for (const std::string empty : {"no units\n0 1\nv\n", "", "none\n0 0\n", "old\r2 1\rv\r1\r2\r"}) {
        EXPECT_EQ(Read(empty), NoUnitsMessage) << empty;
        EXPECT_EQ(SimulationState.unitCount, 4);
    }
}

TEST(ParseIntInRangeTest, AcceptsWholeNumbersWithinInclusiveBounds)
{
    int value = -1;
    EXPECT_TRUE(ParseIntInRange("12", 2, 12, value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(ParseIntInRange("  +2", 2, 12, value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(ParseIntInRange("-5", -10, 0, value));
    EXPECT_EQ(value, -5);
}

TEST(ParseIntInRangeTest, RefusesWithZero)
{
    for (const std::string text : {"13", "1", "1x", "", " ", "12 ", "0x5", "5.0", "99999999999", "+"}) {
        int value = -1;
        EXPECT_FALSE(ParseIntInRange(text, 2, 12, value)) << text;
        EXPECT_EQ(value, 0) << text;
    }
}

}  // namespace
