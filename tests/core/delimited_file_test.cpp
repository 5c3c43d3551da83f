#include "core/delimited_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/simulation_state.h"
#include "tests/core/core_test_support.h"

namespace {

/// A column as the tests describe it: name, labels ("" for a numeric column, else
/// the labels joined by "|"), missing count and values (NaN written as -999).
struct ColumnView {
    std::string name;
    std::string labels;
    int missing = 0;
    std::vector<double> values;
    bool operator==(const ColumnView&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ColumnView& c)
{
    out << c.name << " [" << c.labels << "] missing " << c.missing << ":";
    for (const double v : c.values) {
        out << ' ' << v;
    }
    return out;
}

std::vector<ColumnView> Columns(const std::string& bytes)
{
    const DelimitedTable table = ParseDelimitedText(bytes, "d");
    std::vector<ColumnView> views;
    for (const DelimitedColumn& column : table.columns) {
        ColumnView view{column.name, "", column.missingCount, {}};
        for (std::size_t i = 0; i < column.labels.size(); ++i) {
            view.labels += (i > 0 ? "|" : "") + column.labels[i];
        }
        EXPECT_EQ(column.numeric, column.labels.empty() || !column.usable());
        for (const double v : column.values) {
            view.values.push_back(std::isnan(v) ? -999 : v);
        }
        views.push_back(view);
    }
    return views;
}

std::string ErrorOf(const std::string& bytes)
{
    try {
        ParseDelimitedText(bytes, "d");
    } catch (const PopulationFileError& error) {
        return error.what();
    }
    return "";
}

TEST(DelimitedFile, ReadsFieldsTypesAndCodes)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<ColumnView> columns;
    };
    const std::vector<Case> cases = {
        {"comma, CR LF, blank lines, no last line end",
         "a, b\r\n\r\n  \n1,x\r\n 2.5 ,y",
         {{"a", "", 0, {1, 2.5}}, {"b", "x|y", 0, {1, 2}}}},
        {"semicolon and decimal commas",
         "a;b\n1,5;,5\n2;5,\n",
         {{"a", "", 0, {1.5, 2}}, {"b", "", 0, {0.5, 5}}}},
        {"a quoted semicolon leaves the comma the delimiter",
         "\"a;x\",b\n\"1;2\",3\n",
         {{"a;x", "1;2", 0, {1}}, {"b", "", 0, {3}}}},
        {"tab beats semicolon and comma",
         "a;x\tb,y\n1;2\t3,5\n",
         {{"a;x", "1;2", 0, {1}}, {"b,y", "", 0, {3.5}}}},
        {"quotes hold delimiters, quotes and line ends",
         "\"a,\"\"q\"\"\",b\n\" NA \",\"1\n2\"\n\"3\",4\n",
         {{"a,\"q\"", "", 1, {-999, 3}}, {"b", "1 2|4", 0, {1, 2}}}},
        {"missing values; labels by code point",
         "c,n\nb,NA\n.,1e-400\nB,\n10,7\n9,8\n1.0,9\n",
         {{"c", "1.0|10|9|B|b", 1, {5, -999, 4, 2, 3, 1}}, {"n", "", 2, {-999, 0, -999, 7, 8, 9}}}},
        {"no number syntax but the population file's",
         "a,b,c,d\n1e400,NaN,Inf,0x1\n",
         {{"a", "1e400", 0, {1}}, {"b", "NaN", 0, {1}}, {"c", "Inf", 0, {1}}, {"d", "0x1", 0, {1}}}},
        {"no decimal comma in comma files, no grouping",
         "a;b\n1.000,5;1,000\n",
         {{"a", "1.000,5", 0, {1}}, {"b", "", 0, {1}}}},
        {"empty names, names cut by characters",
         ",\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
         "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9!\n1,2\n",
         {{"Column 1", "", 0, {1}},
          {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
           "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
           "",
           0,
           {2}}}},
        {"Windows-1252",
         "M\xE9tier;n\nCaf\xE9;1\n",
         {{"M\xC3\xA9tier", "Caf\xC3\xA9", 0, {1}}, {"n", "", 0, {1}}}},
        {"Windows-1252 byte at the end that would lead a UTF-8 sequence",
         "n\nCaf\xE9",
         {{"n", "Caf\xC3\xA9", 0, {1}}}},
        {"UTF-8 with its mark", "\xEF\xBB\xBFM\xC3\xA9tier\nx\n", {{"M\xC3\xA9tier", "x", 0, {1}}}},
        {"UTF-16 with its mark",
         std::string("\xFF\xFE"
                     "a\0\t\0b\0\n\0"
                     "1\0\t\0\xE9\0",
                     16),
         {{"a", "", 0, {1}}, {"b", "\xC3\xA9", 0, {1}}}},
        {"big-endian UTF-16, a character beyond U+FFFF as a surrogate pair",
         std::string("\xFE\xFF"
                     "\0a\0\n"
                     "\xD8\x3D\xDE\x00",
                     10),
         {{"a", "\xF0\x9F\x98\x80", 0, {1}}}},
        {"an unusable column", "a,b\n,1\nNA,2\n", {{"a", "", 2, {-999, -999}}, {"b", "", 0, {1, 2}}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Columns(c.bytes), c.columns) << c.what;
    }
}

TEST(DelimitedFile, RefusesWithTheLineAndTheReason)
{
    struct Case {
        std::string bytes;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"a,b\n1,2\n\n\"x\ny\",3,4\n", "Line 4 has 3 fields, the header has 2!"},
        {"a,b\n\"x\ny\",1\n3,4,5\n", "Line 4 has 3 fields, the header has 2!"},
        {"\"\",a,b\n1,2\n", "Line 2 has 2 fields, the header has 3!"},
        {"a\n\"1\n", "Line 2: a quoted field is not closed!"},
        {"a,b\n", NoUsableColumnMessage},
        {"a,b\n,NA\n", NoUsableColumnMessage},
        {" \n\n", NoUsableColumnMessage},
        {"", NoUsableColumnMessage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(c.bytes), c.message) << c.bytes;
    }
}

TEST(DelimitedFile, EndsLinesAtCrLfAndCrLfAlikeButNotInQuotes)
{
    const std::vector<ColumnView> columns = {{"a", "", 0, {1, 2}}, {"b", "x|y", 0, {1, 2}}};
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<ColumnView> columns;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"CR", "a,b\r\r  \r1,x\r2,y\r", columns, "Line 6: a quoted field is not closed!"},
        {"LF", "a,b\n\n  \n1,x\n2,y\n", columns, "Line 6: a quoted field is not closed!"},
        {"CR LF", "a,b\r\n\r\n  \r\n1,x\r\n2,y\r\n", columns, "Line 6: a quoted field is not closed!"},
        {"mixed", "a,b\r\n\n  \r1,x\n2,y\r", columns, "Line 6: a quoted field is not closed!"},
        {"tab first",
         "\ta\tb\r\t1\tx\r",
         {{"Column 1", "", 1, {-999}}, {"a", "", 0, {1}}, {"b", "x", 0, {1}}},
         "Line 3: a quoted field is not closed!"},
        {"quoted CR and CR LF",
         "a,b\r\"1\r2\",x\r\"3\r\n\",y\r",
         {{"a", "1 2|3", 0, {1, 2}}, {"b", "x|y", 0, {1, 2}}},
         "Line 6: a quoted field is not closed!"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Columns(c.bytes), c.columns) << c.what;
        EXPECT_EQ(ErrorOf(c.bytes + "\"z"), c.error) << c.what;
    }
}

class DelimitedPopulationTest : public ::testing::Test {
protected:
    void SetUp() override { SimulationState = TSimulationState{}; }

    std::string Read(const std::string& name, const std::string& content)
    {
        SimulationState.populationName = folder_.Write(name, content);
        try {
            ReadPopulation();
        } catch (const PopulationFileError& error) {
            return error.what();
        }
        return "";
    }

    TemporaryFolder folder_;
};

TEST_F(DelimitedPopulationTest, ReadsTheFirstTenUsableColumnsWithTheDefaults)
{
    ASSERT_EQ(Read("Class 3B.CSV",
                   "a,empty,b,c,d,e,f,g,h,i,j,k\n1,,2,3,4,5,6,7,8,9,10,11\n4,NA,5,6,7,8,9,10,11,12,13,14\n"),
              "");
    EXPECT_EQ(SimulationState.populationName, "Class 3B");
    EXPECT_EQ(SimulationState.unitCount, 2);
    EXPECT_EQ(SimulationState.variableCount, 10);
    EXPECT_EQ(SimulationState.variableNames[2], "b");
    EXPECT_EQ(SimulationState.variableNames[10], "j");
    EXPECT_EQ(ColumnOf(10), (std::vector<double>{10, 13}));
    EXPECT_EQ(SimulationState.sampleSize, 2);
    EXPECT_EQ(SimulationState.scaleUpper, 4.0);

    // Any other name is a population file.
    EXPECT_EQ(Read("class.csv.pop", "a,b\n1,2\n"), "Invalid numeric input");
    EXPECT_EQ(SimulationState.populationName, (folder_.path() / "class.csv.pop").string());
    EXPECT_EQ(SimulationState.unitCount, 2);
}

TEST_F(DelimitedPopulationTest, ChosenColumnsAndRowsWithMissingValues)
{
    const DelimitedTable table = ParseDelimitedText("id,x,type\n1,NA,E\n2,5,H\n3,6,\n4,7,M\n", "schools");
    struct Case {
        std::vector<int> columns;
        bool dropMissing;
        std::string error;
        std::vector<double> lastColumn;
    };
    const std::vector<Case> cases = {
        {{2, 0}, false, "Line 4: missing value in column type!", {}},
        {{1, 2}, false, "Line 2: missing value in column x!", {}},
        {{2, 1}, false, "Line 2: missing value in column x!", {}},
        {{2, 1}, true, "", {5, 7}},
        {{0}, false, "", {1, 2, 3, 4}},
        {{}, false, NoUsableColumnMessage, {}},
        {{3}, false, NoUsableColumnMessage, {}},
    };
    for (const Case& c : cases) {
        try {
            const PopulationContents contents = DelimitedPopulation(table, c.columns, c.dropMissing);
            EXPECT_EQ(c.error, "");
            std::vector<double> last;
            for (int i = 1; i <= contents.unitCount; ++i) {
                last.push_back(contents.rows[i][contents.variableCount]);
            }
            EXPECT_EQ(last, c.lastColumn);
        } catch (const PopulationFileError& error) {
            EXPECT_EQ(error.what(), c.error);
        }
    }
}

TEST_F(DelimitedPopulationTest, ACategoricalColumnServesAsPostStratificationVariable)
{
    ASSERT_EQ(Read("schools.tsv", "api\tstype\n600\tH\n700\tE\n650\tM\n720\tE\n610\tH\n"), "");
    SimulationState.auxiliaryVariable = 2;
    SimulationState.estimatorCode = EstimatorPostStratified;
    EXPECT_EQ(CheckPostStrata(), "");
    EXPECT_EQ(SimulationState.stratumCount, 3);
    EXPECT_EQ(ColumnOf(2), (std::vector<double>{2, 1, 3, 1, 2}));
}

TEST_F(DelimitedPopulationTest, ReadsOneHundredThousandUnitsAndRefusesMore)
{
    std::string content = "y,label\n";
    for (int i = 1; i <= MaxUnits; ++i) {
        content += std::to_string(i) + (i % 2 == 0 ? ",even\n" : ",odd\n");
    }
    ASSERT_EQ(Read("big.csv", content), "");
    EXPECT_EQ(SimulationState.unitCount, MaxUnits);
    EXPECT_EQ(UnitValue(MaxUnits, 1), MaxUnits);
    EXPECT_EQ(UnitValue(MaxUnits, 2), 1.0);

    EXPECT_EQ(Read("bigger.csv", content + "0,odd\n"), TooManyUnitsMessage);
    EXPECT_EQ(SimulationState.populationName, (folder_.path() / "bigger.csv").string());
    EXPECT_EQ(SimulationState.unitCount, MaxUnits);
}

// The dialog keeps the table while the user chooses: a 60 MB file must not take
// gigabytes. Whole numbers and codes take 4 bytes a value, other numbers 8.
TEST(DelimitedFile, StoresAWideTableByTheValuesItHolds)
{
    constexpr std::size_t rows = 1000;
    constexpr std::size_t groups = 100;
    std::string content;
    for (std::size_t j = 0; j < groups; ++j) {
        content += "w,r,c,";
    }
    content.back() = '\n';
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < groups; ++j) {
            content += std::to_string(i) + "," + std::to_string(i) + ".5,label" + std::to_string(i % 7) + ",";
        }
        content.back() = '\n';
    }
    const DelimitedTable table = ParseDelimitedText(content, "wide");
    ASSERT_EQ(table.columns.size(), 3 * groups);
    std::size_t stored = 0;
    for (const DelimitedColumn& column : table.columns) {
        stored += column.values.StoredBytes();
    }
    EXPECT_LE(stored, rows * groups * (4 + 8 + 4));
    const DelimitedColumn& last = table.columns.back();
    EXPECT_EQ(last.labels.size(), 7U);
    EXPECT_EQ(last.values[rows - 1], 1 + static_cast<double>((rows - 1) % 7));
    EXPECT_EQ(table.columns[3 * groups - 3].values[rows - 1], static_cast<double>(rows - 1));
    EXPECT_EQ(table.columns[3 * groups - 2].values[rows - 1], static_cast<double>(rows - 1) + 0.5);
}

// A file is read a piece at a time: a character, a surrogate pair or the byte
// that makes a file Windows-1252 may fall on the border between pieces.
TEST_F(DelimitedPopulationTest, ReadsAFileAcrossThePiecesItIsReadIn)
{
    // `rest` after blanks from `start` to byte `before`.
    const auto padded = [](std::string start, std::size_t before, const std::string& rest) {
        start.resize(before, ' ');
        return start + rest;
    };
    const auto padded16 = [](std::size_t before, const std::string& rest) {
        std::string start("\xFF\xFEx\0\n\0", 6);
        while (start.size() < before) {
            start.append(" \0", 2);
        }
        return start + rest;
    };
    struct Case {
        const char* what;
        std::string content;
        std::string label;
    };
    const std::vector<Case> cases = {
        {"UTF-8 across", padded("x\n", 65535, "\xC3\xA9\n"), "\xC3\xA9"},
        {"UTF-8 with its mark", padded("\xEF\xBB\xBFx\n", 65535, "\xE2\x82\xAC\n"), "\xE2\x82\xAC"},
        {"Windows-1252 late", padded("x\n\xC3\xA9\n", 70000, "\xE9\n"), "\xC3\xA9"},
        {"Windows-1252 cut", padded("x\n", 65535, "\xC3"), "\xC3\x83"},
        {"UTF-16 pair across", padded16(65534, std::string("\x3D\xD8\x00\xDE\n\0", 6)), "\xF0\x9F\x98\x80"},
        {"UTF-16 odd end", padded16(65534, std::string("\xE9\0Z", 3)), "\xC3\xA9\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Read("pieces.csv", c.content), "") << c.what;
        const DelimitedTable table = ReadDelimitedFile((folder_.path() / "pieces.csv").string());
        ASSERT_EQ(table.columns.size(), 1U) << c.what;
        ASSERT_FALSE(table.columns[0].labels.empty()) << c.what;
        EXPECT_EQ(table.columns[0].labels.back(), c.label) << c.what;
    }
}

TEST_F(DelimitedPopulationTest, SavedPopulationsReadBackBitForBit)
{
    const std::vector<double> values = {0.1,  -0.0,          1e-320,   4.9e-324, 1.7976931348623157e308,
                                        -2.5, 123456789.125, 1.0 / 3.0};
    ASSERT_EQ(Read(
                  "values.csv", "name \xC3\xA9,b\n" +
                                    [&] {
                                        std::ostringstream rows;
                                        rows.precision(17);
                                        for (const double v : values) {
                                            rows << v << ",x\n";
                                        }
                                        return rows.str();
                                    }()),
              "");
    const TSimulationState before = SimulationState;
    std::ostringstream saved;
    WritePopulation(saved);
    ASSERT_EQ(Read("values.pop", saved.str()), "");
    EXPECT_EQ(SimulationState.populationName, before.populationName);
    EXPECT_EQ(SimulationState.variableNames, before.variableNames);
    EXPECT_EQ(SimulationState.unitCount, before.unitCount);
    for (int i = 1; i <= before.unitCount; ++i) {
        for (int k = 1; k <= 2; ++k) {
            EXPECT_EQ(std::signbit(UnitValue(i, k)), std::signbit(before.populationData[i][k]));
            EXPECT_EQ(UnitValue(i, k), before.populationData[i][k]) << i;
        }
    }
}

}  // namespace
