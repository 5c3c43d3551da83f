// Runs the built tarvek-batch and checks what it prints and how it exits.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

struct BatchResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string DataFile(const std::string& name)
{
    return std::string(TARVEK_TEST_DATA) + "/batch/" + name;
}

/// A file name in the test's temporary folder, unique within this process.
std::string TempPath(const std::string& stem)
{
    static int counter = 0;
    return ::testing::TempDir() + "tarvek_batch_" + std::to_string(getpid()) + "_" +
           std::to_string(++counter) + "_" + stem;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWhole(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

/// Runs tarvek-batch with `arguments`; `limits` (shell commands such as
/// "ulimit -v 1000000; exec timeout 60") stand before it, so that a fault under
/// test ends with a failure rather than a hang or the machine's memory spent.
BatchResult RunBatch(const std::vector<std::string>& arguments, const std::string& limits = "")
{
    const std::string outPath = TempPath("stdout");
    const std::string errPath = TempPath("stderr");
    std::string command = limits + " " + ShellQuote(TARVEK_BATCH);
    for (const std::string& argument : arguments) {
        command += " " + ShellQuote(argument);
    }
    command += " >" + ShellQuote(outPath) + " 2>" + ShellQuote(errPath);
    const int raw = std::system(command.c_str());
    BatchResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadWhole(outPath);
    result.err = ReadWhole(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, separator);) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == separator) {
        fields.emplace_back();
    }
    return fields;
}

/// The value of the first line "label<TAB>value" of `out`.
std::string TableValue(const std::string& out, const std::string& label)
{
    for (const std::string& line : Lines(out)) {
        if (line.rfind(label + "\t", 0) == 0) {
            return line.substr(label.size() + 1);
        }
    }
    return "<no line " + label + ">";
}

const std::string Small = DataFile("small.pop");
const std::string Checks = DataFile("checks.pop");

void ExpectRefusal(const std::vector<std::string>& arguments, const std::string& message)
{
    const BatchResult result = RunBatch(arguments);
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.err, "tarvek-batch: " + message + "\n");
    EXPECT_EQ(result.out, "");
}

TEST(BatchOutputTest, WholePopulationSamplesGiveTheExactTable)
{
    const BatchResult result = RunBatch({"-n", "8", "-s", "10", Small});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "Population\tSmall test population\n"
              "Sample size\t8\n"
              "Probabilities\tEqual\n"
              "Target variable\tIncome\n"
              "Estimator\tDirect\n"
              "Nonresponse\tNo\n"
              "Simulations\t10\n"
              "\n"
              "Mean (theoretical)\t16.719\n"
              "Mean (simulated)\t16.719\n"
              "\n"
              "Standard error (theoretical)\t0.000\n"
              "Standard error (simulated)\t0.000\n");
}

TEST(BatchOutputTest, IntervalModeAddsThePercentageOfCorrectIntervals)
{
    BatchResult result = RunBatch({"-n", "8", "-s", "10", "--intervals", Small});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Lines(result.out).back(), "Percentage of correct intervals\t100")
        << "a census's intervals of width 0 at the mean are correct";

    result = RunBatch({"-n", "3", "-s", "200", "--intervals", Small});
    const int percentage = std::stoi(TableValue(result.out, "Percentage of correct intervals"));
    EXPECT_GT(percentage, 50);
    EXPECT_LE(percentage, 100);
}

TEST(BatchOutputTest, SettingsAppearInTheTable)
{
    const BatchResult result =
        RunBatch({"-t", "1", "-a", "2", "-e", "ratio", "--nonresponse", "3:10:20", "-s", "50", Small});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(TableValue(result.out, "Estimator"), "Ratio (Size)");
    EXPECT_EQ(TableValue(result.out, "Nonresponse"), "Yes, by Region");
    EXPECT_EQ(TableValue(result.out, "Simulations"), "50");
    EXPECT_EQ(TableValue(result.out, "Mean (theoretical)"), "16.719");

    const BatchResult pps = RunBatch({"-d", "pps", "-a", "2", "-n", "4", Small});
    EXPECT_EQ(pps.status, 0) << pps.err;
    EXPECT_EQ(TableValue(pps.out, "Probabilities"), "Proportional to Size");
}

TEST(BatchOutputTest, EveryDesignAndEstimatorRunsTwiceToTheSameBytes)
{
    const std::vector<std::vector<std::string>> settings = {
        {"-e", "direct"},
        {"-d", "pps", "-a", "2"},
        {"-e", "ratio", "-a", "2", "--intervals"},
        {"-e", "regression", "-a", "2", "--nonresponse", "2:5:40"},
        {"-e", "poststrat", "-a", "3", "-n", "6", "--intervals"},
    };
    for (std::vector<std::string> arguments : settings) {
        arguments.insert(arguments.begin(), {"-n", "4"});
        arguments.insert(arguments.end(), {"-s", "100", "--runs", "3", Small});
        const BatchResult first = RunBatch(arguments);
        const BatchResult second = RunBatch(arguments);
        EXPECT_EQ(first.status, 0) << arguments[3] << ": " << first.err;
        EXPECT_EQ(first.out, second.out) << arguments[3];
        EXPECT_EQ(Lines(first.out).front(), "Run 1");
        EXPECT_NE(first.out.find("\nRun 3\n"), std::string::npos);
        EXPECT_EQ(first.out.find("\t-\n"), std::string::npos) << "every value is defined:\n" << first.out;
    }
}

TEST(BatchEstimatesTest, CsvAloneOnStandardOutput)
{
    const BatchResult result =
        RunBatch({"--estimates", "-", "-n", "3", "-s", "10", "--runs", "2", "--scale", "0:40", Small});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], "run,sample,estimate,standard_error,lower,upper,covered,class,rejected");
    for (std::size_t row = 1; row < lines.size(); ++row) {
        const std::vector<std::string> fields = Fields(lines[row], ',');
        ASSERT_EQ(fields.size(), 9u) << lines[row];
        EXPECT_EQ(fields[0], row <= 10 ? "1" : "2");
        EXPECT_EQ(std::stoi(fields[1]), static_cast<int>((row - 1) % 10 + 1));
        EXPECT_EQ(fields[3] + fields[4] + fields[5] + fields[6], "") << "outside interval mode";
        const double estimate = std::stod(fields[2]);
        const int expectedClass = static_cast<int>(std::nearbyint(estimate * 50.0 / 40.0)) + 1;
        EXPECT_EQ(std::stoi(fields[7]), expectedClass) << lines[row];
        EXPECT_EQ(fields[8], "0");
    }
}

/// Classes of the samples whose estimate is about `estimate`.
std::vector<std::string> ClassesOfEstimate(const std::string& csv, double estimate)
{
    std::vector<std::string> classes;
    const std::vector<std::string> lines = Lines(csv);
    for (std::size_t row = 1; row < lines.size(); ++row) {
        const std::vector<std::string> fields = Fields(lines[row], ',');
        if (fields.size() == 9 && std::fabs(std::stod(fields[2]) - estimate) < 1e-9) {
            classes.push_back(fields[7]);
        }
    }
    return classes;
}

// The parameters dialog's OK stores the bounds its fields show, with three
// decimals: 0.0104 becomes 0.010, which moves the estimate 0.0203 from class 1
// into class 2. Without parameter options the exact minimum stays.
TEST(BatchEstimatesTest, ParameterOptionsStoreTheScaleAsShown)
{
    const std::string population = TempPath("shown_scale.pop");
    WriteWhole(population, "Scale shown with three decimals\n3 1\ny\n0.0104\n0.0302\n1.0104\n");
    const BatchResult exact = RunBatch({"--estimates", "-", "-n", "2", population});
    const BatchResult shown = RunBatch({"--estimates", "-", "-n", "2", "--compression", "1", population});
    ASSERT_EQ(exact.status, 0) << exact.err;
    ASSERT_EQ(shown.status, 0) << shown.err;
    const std::vector<std::string> exactClasses = ClassesOfEstimate(exact.out, 0.0203);
    const std::vector<std::string> shownClasses = ClassesOfEstimate(shown.out, 0.0203);
    ASSERT_FALSE(exactClasses.empty());
    ASSERT_FALSE(shownClasses.empty());
    EXPECT_EQ(exactClasses.front(), "1");
    EXPECT_EQ(shownClasses.front(), "2");
}

TEST(BatchEstimatesTest, IntervalFieldsAndTheTableAgreeWithTheRows)
{
    const std::string csvPath = TempPath("estimates.csv");
    const BatchResult result =
        RunBatch({"--intervals", "-n", "3", "-s", "40", "--estimates", csvPath, Small});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(ReadWhole(csvPath));
    std::remove(csvPath.c_str());
    ASSERT_EQ(lines.size(), 41u);

    const double populationMean = 16.71875;
    double sum = 0.0;
    int covered = 0;
    for (std::size_t row = 1; row < lines.size(); ++row) {
        const std::vector<std::string> fields = Fields(lines[row], ',');
        ASSERT_EQ(fields.size(), 9u);
        const double estimate = std::stod(fields[2]);
        const double standardError = std::stod(fields[3]);
        const double lower = std::stod(fields[4]);
        const double upper = std::stod(fields[5]);
        EXPECT_EQ(lower, estimate - 1.96 * standardError) << "17 digits read back exactly";
        EXPECT_EQ(upper, estimate + 1.96 * standardError);
        EXPECT_EQ(fields[6], lower < populationMean && populationMean < upper ? "1" : "0");
        sum += estimate;
        covered += fields[6] == "1" ? 1 : 0;
    }
    char mean[32];
    std::snprintf(mean, sizeof mean, "%.3f", sum / 40);
    EXPECT_EQ(TableValue(result.out, "Mean (simulated)"), mean);
    EXPECT_EQ(TableValue(result.out, "Percentage of correct intervals"),
              std::to_string(static_cast<int>(std::nearbyint(covered * 100.0 / 40))));
}

TEST(BatchEstimatesTest, RunsContinueOneRandomSequence)
{
    const BatchResult one = RunBatch({"--estimates", "-", "-n", "3", "-s", "10", Small});
    const BatchResult two = RunBatch({"--estimates", "-", "-n", "3", "-s", "10", "--runs", "2", Small});
    const std::vector<std::string> first = Lines(one.out);
    const std::vector<std::string> both = Lines(two.out);
    ASSERT_EQ(both.size(), 21u);
    EXPECT_EQ(std::vector<std::string>(both.begin(), both.begin() + 11), first);
    EXPECT_NE(both[1].substr(2), both[11].substr(2)) << "the second run draws new samples";
}

TEST(BatchPlotTest, WritesThePictureAndNothingOnStandardError)
{
    // Without a runtime folder Qt would note it on standard error.
    unsetenv("XDG_RUNTIME_DIR");
    const std::string picture = TempPath("plot.bmp");
    const BatchResult result = RunBatch({"-n", "3", "-s", "20", "--plot", picture, Small});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadWhole(picture).substr(0, 2), "BM");
    std::remove(picture.c_str());
}

TEST(BatchEstimatesTest, UnwritableFileFailsBeforeSimulating)
{
    const BatchResult result = RunBatch({"--estimates", "/nonexistent-folder/estimates.csv", Small});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("tarvek-batch: /nonexistent-folder/estimates.csv: ", 0), 0u) << result.err;
}

TEST(BatchDescribeTest, SummaryOfEveryVariable)
{
    const BatchResult result = RunBatch({"--describe", "-n", "999", Small});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Small test population\n"
              "units 8\n"
              "variables 3\n"
              "1\tIncome\t7.250\t30.000\t16.719\t7.432\n"
              "2\tSize\t2.000\t6.000\t4.000\t1.439\n"
              "3\tRegion\t1.000\t2.000\t1.500\t0.535\n");
}

TEST(BatchDescribeTest, WindowsLineEndsReadAsTheSame)
{
    std::string text = ReadWhole(Small);
    std::string crlf;
    for (char c : text) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const std::string path = TempPath("crlf.pop");
    WriteWhole(path, crlf);
    const BatchResult result = RunBatch({"--describe", path});
    std::remove(path.c_str());
    EXPECT_EQ(result.out, RunBatch({"--describe", Small}).out);
}

TEST(BatchDescribeTest, FewUnitsGiveDashes)
{
    BatchResult result = RunBatch({"--describe", DataFile("one_unit.pop")});
    EXPECT_EQ(result.out, "One unit\nunits 1\nvariables 1\n1\tY\t3.500\t3.500\t3.500\t-\n");

    // Without units there is nothing to describe: the population is refused.
    const std::string path = TempPath("empty.pop");
    WriteWhole(path, "No units\n0 2\nA\nB\n");
    result = RunBatch({"--describe", path});
    std::remove(path.c_str());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
}

const std::string SchoolsCsv =
    "cds;api;school type;enroll\n"
    "1;600,5;E;100\n"
    "2;700;H;NA\n"
    "3;650;M;300\n"
    "4;720;E;400\n";

TEST(BatchDelimitedTest, ChosenColumnsTheirCodesAndTheSavedPopulation)
{
    const std::string csv = TempPath("schools.csv");
    WriteWhole(csv, SchoolsCsv);
    const BatchResult described = RunBatch({"--columns", "school type,api", "--describe", csv});
    EXPECT_EQ(described.status, 0) << described.err;
    EXPECT_EQ(Lines(described.out).at(1), "units 4");
    EXPECT_EQ(Lines(described.out).at(3), "1\tschool type\t1.000\t3.000\t1.750\t0.957");
    EXPECT_EQ(Lines(described.out).back(), "Codes of school type: 1 E, 2 H, 3 M");

    const std::string pop = TempPath("schools.pop");
    const BatchResult written =
        RunBatch({"--columns", "school type,api", "--write-population", pop, "--describe", csv});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, described.out);
    EXPECT_EQ(RunBatch({"--write-population", "-", pop}).out, ReadWhole(pop));
    const std::string codes = "Codes of school type: 1 E, 2 H, 3 M\n";
    EXPECT_EQ(RunBatch({"--describe", pop}).out + codes, described.out);

    const BatchResult dropped = RunBatch({"--drop-missing", "--write-population", "-", csv});
    EXPECT_EQ(dropped.out,
              std::filesystem::path(csv).stem().string() +
                  "\n3 4\ncds\napi\nschool type\nenroll\n1 600.5 1 100\n3 650 3 300\n4 720 1 400\n");
    const BatchResult simulated =
        RunBatch({"--columns", "api,school type", "-e", "poststrat", "-a", "2", csv});
    EXPECT_EQ(simulated.status, 0) << simulated.err;
    std::remove(csv.c_str());
    std::remove(pop.c_str());
}

TEST(BatchDelimitedTest, RefusesColumnsThatDoNotFitTheFile)
{
    const std::string csv = TempPath("schools.csv");
    WriteWhole(csv, SchoolsCsv + "5;;;\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--columns", "api,x", csv}, 2, "--columns: there is no column 'x'"},
        {{"--columns", "api,api", csv}, 2, "--columns: column 'api' is named twice"},
        {{"--columns", "a,b,c,d,e,f,g,h,i,j,k", csv}, 2, "--columns names more than 10 columns"},
        {{"--columns", "api", Small}, 2, "--columns needs a CSV, TSV or TXT file"},
        {{"--columns", "cds,enroll", csv}, 1, csv + ": Line 3: missing value in column enroll!"},
        {{"--columns", "api,cds", csv}, 1, csv + ": Line 6: missing value in column api!"},
        {{"--write-population", "/nonexistent-folder/p.pop", "--columns", "cds", csv},
         1,
         "/nonexistent-folder/p.pop: No such file or directory"},
    };
    for (const Case& c : cases) {
        const BatchResult result = RunBatch(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_EQ(result.err, "tarvek-batch: " + c.message + "\n");
    }
    WriteWhole(csv, "a;b\n;1\n");
    const BatchResult unusable = RunBatch({"--columns", "a", csv});
    EXPECT_EQ(unusable.err, "tarvek-batch: --columns: column 'a' holds no value\n");
    std::remove(csv.c_str());
}

TEST(BatchDescribeTest, WindowsTextsAreWrittenInUtf8)
{
    const std::string path = TempPath("windows.pop");
    WriteWhole(path, "R\xE9gion Li\xE8ge\r\n1 1\r\nM\xE9tier\r\n2\r\n");
    const BatchResult result = RunBatch({"--describe", path});
    std::remove(path.c_str());
    EXPECT_EQ(result.out,
              "R\xC3\xA9gion Li\xC3\xA8ge\nunits 1\nvariables 1\n1\tM\xC3\xA9tier\t2.000\t2.000\t2.000\t-\n");
}

TEST(BatchRefusalTest, SettingsOutsideTheirRanges)
{
    ExpectRefusal({"-n", "1", Small}, "The sample size must be from 2 to 8!");
    ExpectRefusal({"-n", "9", Small}, "The sample size must be from 2 to 8!");
    ExpectRefusal({"-s", "9", Small}, "The number of simulations must be from 10 to 1000000!");
    ExpectRefusal({"-s", "1000001", Small}, "The number of simulations must be from 10 to 1000000!");
    ExpectRefusal({"-t", "4", Small}, "The target variable must be from 1 to 3!");
    ExpectRefusal({"-a", "0", "-e", "ratio", Small}, "The auxiliary variable must be from 1 to 3!");
    ExpectRefusal({"--nonresponse", "4:1:99", Small}, "The nonresponse variable must be from 1 to 3!");
    ExpectRefusal({"--compression", "5", Small}, "The compression factor must be from 1 to 4!");
    ExpectRefusal({DataFile("one_unit.pop")}, "The sample size must be at least 2!");
}

TEST(BatchRefusalTest, TheDialogsChecksAndMessages)
{
    ExpectRefusal({"-d", "pps", "-a", "2", Checks}, "Values of auxiliary variable must be positive!");
    ExpectRefusal({"-e", "poststrat", "-a", "4", Checks}, "There are too many strata!");
    ExpectRefusal({"-e", "poststrat", "-a", "5", Checks}, "There are empty strata!");
    ExpectRefusal({"--nonresponse", "3:1:99", Checks}, "The nonresponse variable is constant!");
    ExpectRefusal(
        {"-d", "pps", Small},
        "The design pps and the ratio, regression and post-stratification estimators need --auxiliary!");
    ExpectRefusal(
        {"-e", "regression", Small},
        "The design pps and the ratio, regression and post-stratification estimators need --auxiliary!");
    ExpectRefusal({"-d", "pps", "-a", "2", "-e", "ratio", Small},
                  "The design pps can only be used with the direct estimator!");
}

TEST(BatchVariableNamesTest, ANameStandsForItsNumberAndMustNameOneVariable)
{
    const std::string twins = TempPath("twins.pop");
    WriteWhole(twins, "Two of a name\n3 3\nA\nA\n7\n1 1 1\n2 3 2\n4 2 9\n");
    struct Case {
        std::vector<std::string> byName;
        std::vector<std::string> byNumber;  ///< empty: the name is refused with `message`
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"-t", "Size", Small}, {"-t", "2", Small}, ""},
        {{"-e", "ratio", "--auxiliary=Size", Small}, {"-e", "ratio", "-a", "2", Small}, ""},
        {{"--nonresponse", "Region:10:90", Small}, {"--nonresponse", "3:10:90", Small}, ""},
        {{"-t", "7", twins}, {}, "The target variable must be from 1 to 3!"},
        {{"-t", "size", Small}, {}, "no variable is named 'size' (--target)"},
        {{"-e", "ratio", "-a", "A", twins}, {}, "more than one variable is named 'A' (--auxiliary)"},
        {{"--nonresponse", "Nobody:1:99", Small}, {}, "no variable is named 'Nobody' (--nonresponse)"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.byName;
        arguments.insert(arguments.begin(), {"-s", "10"});
        if (c.byNumber.empty()) {
            ExpectRefusal(arguments, c.message);
            continue;
        }
        const BatchResult named = RunBatch(arguments);
        std::vector<std::string> numbered = c.byNumber;
        numbered.insert(numbered.begin(), {"-s", "10"});
        EXPECT_EQ(named.status, 0) << named.err;
        EXPECT_EQ(named.out, RunBatch(numbered).out) << c.byName[1];
    }
    std::remove(twins.c_str());
}

TEST(BatchUsageTest, MalformedCommandLinesExitWithStatusTwo)
{
    const std::vector<std::vector<std::string>> commandLines = {
        {"--bogus", Small},
        {"-x", Small},
        {Small, "-n"},
        {"-n", "abc", Small},
        {"-n", "5.0", Small},
        {"-d", "random", Small},
        {"-e", "mean", Small},
        {"--scale", "1", Small},
        {"--scale", "nan:5", Small},
        {"--scale", "0:1e999", Small},
        {"--runs", "0", Small},
        {"--runs", "101", Small},
        {"--nonresponse", "1:2", Small},
        {"--intervals=yes", Small},
        {"--seed", "-1", Small},
        {"--seed", "4294967296", Small},
        {"--seed", "1.5", Small},
        {"--seed", "", Small},
        {"--describe", "--mc-error", Small},
        {"--json", "--estimates", "-", Small},
        {},
        {Small, Small},
    };
    for (const std::vector<std::string>& arguments : commandLines) {
        const BatchResult result = RunBatch(arguments);
        const std::string shown = arguments.empty() ? "(none)" : arguments[0];
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(Lines(result.err).size(), 1u) << shown;
        EXPECT_EQ(result.err.rfind("tarvek-batch: ", 0), 0u) << result.err;
    }
}

TEST(BatchUsageTest, AcceptedSpellingsOfOptions)
{
    const BatchResult reference = RunBatch({"--sample-size", "4", "--scale", "-5:.5e2", Small});
    EXPECT_EQ(reference.status, 0) << reference.err;
    EXPECT_EQ(RunBatch({"-n4", "--scale=-5:.5e2", Small}).out, reference.out);
    EXPECT_EQ(RunBatch({"-n", "4", "--scale", "-5.:50", "--", Small}).out, reference.out);
}

TEST(BatchUsageTest, VersionAndHelp)
{
    BatchResult result = RunBatch({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "tarvek-batch version 3.11\n");

    result = RunBatch({"-h"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("Usage: tarvek-batch [OPTIONS] POPULATION_FILE\n", 0), 0u);
    EXPECT_NE(result.out.find("--nonresponse K:MIN:MAX"), std::string::npos);
    EXPECT_NE(result.out.find("not used by the cluster designs"), std::string::npos);
    EXPECT_NE(result.out.find("intraclass_correlation"), std::string::npos);
}

TEST(BatchFileTest, UnreadablePopulationFiles)
{
    const std::string missing = DataFile("missing.pop");
    BatchResult result = RunBatch({missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tarvek-batch: " + missing + ": File not found\n");
    EXPECT_EQ(result.out, "");

    const std::string bad = DataFile("bad_number.pop");
    result = RunBatch({"--describe", bad});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tarvek-batch: " + bad + ": Invalid numeric input\n");
}

TEST(BatchFileTest, AFileWrittenThroughASymbolicLinkKeepsTheLink)
{
    for (const std::string option : {"--estimates", "--write-population"}) {
        SCOPED_TRACE(option);
        const std::string real = TempPath("real");
        const std::string link = TempPath("link");
        WriteWhole(real, "old\n");
        std::filesystem::create_symlink(std::filesystem::path(real).filename(), link);
        const BatchResult result = RunBatch({option, link, "-s", "10", Small});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(ReadWhole(real), RunBatch({option, "-", "-s", "10", Small}).out);
        std::remove(link.c_str());
        std::remove(real.c_str());
    }
}

TEST(BatchFileTest, APopulationWithoutUnitsIsRefusedAndNothingWritten)
{
    struct Case {
        std::string name;
        std::string contents;
        std::vector<std::string> options;
    };
    const std::vector<Case> cases = {
        {"empty.pop", "", {}},
        {"header.pop", "none\n0 0\n", {}},
        {"old_mac.pop", "old\r2 1\rv\r1\r2\r", {}},
        {"gaps.csv", "a,b\n1,\n,2\n", {"--drop-missing"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TempPath(c.name);
        const std::string written = TempPath("written.pop");
        WriteWhole(path, c.contents);
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {"--write-population", written, path});
        const BatchResult result = RunBatch(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "tarvek-batch: " + path + ": The population has no units!\n");
        EXPECT_FALSE(std::filesystem::exists(written));
        std::remove(path.c_str());
    }
}

TEST(BatchBoundTest, RunWithoutAcceptableSamplesStopsWithStatusThree)
{
    const std::string message = "tarvek-batch: No usable sample was found in 10000 draws!\n";
    BatchResult result = RunBatch({"-e", "regression", "-a", "3", "--runs", "2", "--intervals", Checks});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(Lines(result.out).front(), "Run 1");
    EXPECT_EQ(result.out.find("Run 2"), std::string::npos) << "no later run";
    EXPECT_EQ(TableValue(result.out, "Mean (simulated)"), "-");
    EXPECT_EQ(TableValue(result.out, "Standard error (simulated)"), "-");
    EXPECT_EQ(TableValue(result.out, "Percentage of correct intervals"), "-");
    result = RunBatch({"-e", "regression", "-a", "3", "--intervals", "--mc-error", Checks});
    EXPECT_EQ(TableValue(result.out, "Percentage of correct intervals"), "-");

    result = RunBatch({"--nonresponse", "1:100:100", Small});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(TableValue(result.out, "Nonresponse"), "Yes, by Income");
}

/// What differs between two texts, line by line: the first few differing lines
/// with their numbers, and how many differ.
std::string LineDifference(const std::string& expected, const std::string& actual)
{
    const std::vector<std::string> want = Lines(expected);
    const std::vector<std::string> got = Lines(actual);
    const std::size_t lines = std::max(want.size(), got.size());
    std::ostringstream report;
    int differing = 0;
    for (std::size_t i = 0; i < lines; ++i) {
        const std::string wanted = i < want.size() ? want[i] : "<no line>";
        const std::string found = i < got.size() ? got[i] : "<no line>";
        if (wanted != found && ++differing <= 10) {
            report << "line " << i + 1 << "\n  expected: " << wanted << "\n  actual:   " << found << "\n";
        }
    }
    report << differing << " of " << lines << " lines differ";
    return report.str();
}

/// Compares `actual` with the file tests/data/batch/golden/`name`. After an
/// intended change of output, rewrite the files with
///     TARVEK_UPDATE_GOLDEN=1 ctest --test-dir build -R BatchGoldenTest
/// and review them with git diff.
void ExpectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = DataFile("golden/" + name);
    if (std::getenv("TARVEK_UPDATE_GOLDEN") != nullptr) {
        WriteWhole(path, actual);
        return;
    }
    const std::string expected = ReadWhole(path);
    if (actual != expected) {
        ADD_FAILURE() << path << " differs from the output:\n" << LineDifference(expected, actual);
    }
}

// The CSV of every estimate (17 digits) and the table of runs of 1000 samples
// from the default seed.
TEST(BatchGoldenTest, RunsOfAThousandSamples)
{
    struct Case {
        std::string name;
        std::vector<std::string> settings;
    };
    const std::vector<Case> cases = {
        {"equal_intervals", {"-n", "3", "--intervals"}},
        {"pps", {"-d", "pps", "-a", "2", "-n", "4"}},
        {"regression_nonresponse_intervals",
         {"-e", "regression", "-a", "2", "--nonresponse", "2:5:40", "-n", "4", "--intervals"}},
        {"poststrat_two_runs", {"-e", "poststrat", "-a", "3", "-n", "6", "--runs", "2"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.settings;
        arguments.push_back(Small);
        const BatchResult table = RunBatch(arguments);
        arguments.insert(arguments.begin(), {"--seed", "0", "--estimates", "-"});
        const BatchResult csv = RunBatch(arguments);
        EXPECT_EQ(table.status, 0) << c.name << ": " << table.err;
        EXPECT_EQ(csv.status, 0) << c.name << ": " << csv.err;
        ExpectGolden(c.name + ".txt", table.out);
        ExpectGolden(c.name + ".csv", csv.out);
    }
}

// Strata cut into classes of equal size and a list in random order, alone and
// as variants of --compare, whose stratified variant takes the classes last.
TEST(BatchGoldenTest, StrataClassesAndRandomOrder)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"strata_classes",
         {"-d", "stratified", "-a", "Size", "--strata-classes", "2", "--allocation", "optimal", "-n", "5"}},
        {"random_order", {"-d", "systematic", "--order", "random", "-n", "3", "--intervals"}},
        {"compare_classes_random_order",
         {"--compare", "stratified:2:optimal:2/direct,stratified:3:optimal/direct,systematic:random/direct",
          "-n", "5"}},
    };
    for (const auto& [name, settings] : cases) {
        std::vector<std::string> arguments = settings;
        arguments.push_back(Small);
        const BatchResult result = RunBatch(arguments);
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        ExpectGolden(name + ".txt", result.out);
    }
    for (const auto& [key, expected] :
         std::vector<std::pair<std::string, nlohmann::json>>{{"strata_classes", 2}, {"order", "random"}}) {
        std::vector<std::string> arguments = cases[key == "order" ? 1 : 0].second;
        arguments.insert(arguments.end(), {"--json", Small});
        EXPECT_EQ(nlohmann::json::parse(RunBatch(arguments).out)["settings"][key], expected) << key;
    }
}

/// The estimate of the first sample of n = 2 from small.pop (direct estimator,
/// equal probabilities) when the generator starts from `seed`, computed step by
/// step: seed * 134775813 + 1 modulo 2^32, a whole number 1..m from the upper
/// half of seed * m, a partial shuffle of units 1..8.
double FirstEstimateFromSeed(std::uint32_t seed)
{
    const double income[] = {0, 12.5, 20, 7.25, 30, 15, 9, 22, 18};
    int units[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int position = 1; position <= 2; ++position) {
        seed = seed * 134775813u + 1u;
        const int remaining = 8 - position + 1;
        const int draw = static_cast<int>((std::uint64_t{seed} * remaining) >> 32) + 1;
        std::swap(units[position], units[position + draw - 1]);
    }
    return (income[units[1]] + income[units[2]]) / 2;
}

TEST(BatchStudyTest, SeedStartsTheGenerator)
{
    const std::vector<std::pair<std::string, std::uint32_t>> seeds = {
        {"0", 0u}, {"1", 1u}, {"+123456789", 123456789u}, {"4294967295", 4294967295u}};
    for (const auto& [text, seed] : seeds) {
        const BatchResult result =
            RunBatch({"--seed", text, "-n", "2", "-s", "10", "--estimates", "-", Small});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::vector<std::string> lines = Lines(result.out);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(std::stod(Fields(lines[1], ',')[2]), FirstEstimateFromSeed(seed)) << text;
    }
    EXPECT_EQ(RunBatch({"--seed", "0", "-n", "3", Small}).out, RunBatch({"-n", "3", Small}).out);
}

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string Fixed3(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Above the desktop program's thousand samples the definitions stay: every
// sample's class and interval, the mean and standard deviation over all of
// them in sample order, the percentage, and the Monte Carlo errors.
TEST(BatchStudyTest, HundredThousandSamplesFollowTheDefinitions)
{
    constexpr int samples = 100000;
    const std::string csvPath = TempPath("large.csv");
    const BatchResult result =
        RunBatch({"-n", "3", "-s", std::to_string(samples), "--intervals", "--mc-error", "--seed", "77",
                  "--scale", "0:40", "--estimates", csvPath, Small});
    ASSERT_EQ(result.status, 0) << result.err;
    std::ifstream csv(csvPath);
    std::string line;
    std::getline(csv, line);
    const double populationMean = 16.71875;
    std::vector<double> estimates;
    int covered = 0;
    while (std::getline(csv, line)) {
        const std::vector<std::string> fields = Fields(line, ',');
        ASSERT_EQ(fields.size(), 9u);
        ASSERT_EQ(std::stoi(fields[1]), static_cast<int>(estimates.size()) + 1);
        const double estimate = std::stod(fields[2]);
        const double standardError = std::stod(fields[3]);
        const int expectedClass =
            std::clamp(static_cast<int>(std::nearbyint(estimate * 50.0 / 40.0)) + 1, 1, 50);
        ASSERT_EQ(std::stoi(fields[7]), expectedClass) << line;
        ASSERT_EQ(std::stod(fields[4]), estimate - 1.96 * standardError) << line;
        const bool isCovered = estimate - 1.96 * standardError < populationMean &&
                               populationMean < estimate + 1.96 * standardError;
        ASSERT_EQ(fields[6], isCovered ? "1" : "0") << line;
        covered += isCovered ? 1 : 0;
        estimates.push_back(estimate);
    }
    std::remove(csvPath.c_str());
    ASSERT_EQ(estimates.size(), static_cast<std::size_t>(samples));

    double sum = 0.0;
    for (const double estimate : estimates) {
        sum += estimate;
    }
    const double mean = sum / samples;
    double squares = 0.0;
    for (const double estimate : estimates) {
        squares += (estimate - mean) * (estimate - mean);
    }
    const double deviation = std::sqrt(squares / (samples - 1));
    double m2 = 0.0;
    double m4 = 0.0;
    for (const double estimate : estimates) {
        m2 += std::pow(estimate - mean, 2) / samples;
        m4 += std::pow(estimate - mean, 4) / samples;
    }
    const double kurtosis = m4 / (m2 * m2);
    const double fraction = covered / static_cast<double>(samples);
    EXPECT_EQ(TableValue(result.out, "Simulations"), std::to_string(samples));
    EXPECT_EQ(TableValue(result.out, "Mean (simulated)"), Fixed3(mean));
    EXPECT_EQ(TableValue(result.out, "Standard error (simulated)"), Fixed3(deviation));
    EXPECT_EQ(TableValue(result.out, "Percentage of correct intervals"), Fixed(100.0 * fraction, 1));
    EXPECT_EQ(TableValue(result.out, "Monte Carlo error of the mean"),
              Fixed3(deviation / std::sqrt(samples)));
    EXPECT_EQ(
        TableValue(result.out, "Monte Carlo error of the standard error"),
        Fixed3(deviation * std::sqrt((kurtosis - (samples - 3.0) / (samples - 1.0)) / (4.0 * samples))));
    EXPECT_EQ(TableValue(result.out, "Monte Carlo error of the percentage"),
              Fixed3(100.0 * std::sqrt(fraction * (1 - fraction) / samples)));
}

TEST(BatchStudyTest, MonteCarloLinesStandWhereTheTableAllowsThem)
{
    std::vector<std::string> lines = Lines(RunBatch({"--mc-error", "-n", "3", "--intervals", Small}).out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4].rfind("Monte Carlo error of the mean\t", 0), 0u);
    EXPECT_EQ(lines[lines.size() - 3].rfind("Monte Carlo error of the standard error\t", 0), 0u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("Percentage of correct intervals\t", 0), 0u);
    EXPECT_EQ(lines[lines.size() - 1].rfind("Monte Carlo error of the percentage\t", 0), 0u);

    // No accepted sample: every error undefined.
    const BatchResult stopped = RunBatch({"--mc-error", "--intervals", "--nonresponse", "1:100:100", Small});
    EXPECT_EQ(stopped.status, 3);
    for (const char* label : {"Monte Carlo error of the mean", "Monte Carlo error of the standard error",
                              "Monte Carlo error of the percentage"}) {
        EXPECT_EQ(TableValue(stopped.out, label), "-") << label;
    }
}

TEST(BatchStudyTest, JsonReadsBackAsTheTable)
{
    const std::vector<std::string> settings = {"-n",     "3",    "-s", "500",   "--runs", "2", "--intervals",
                                               "--seed", "2024", "-e", "ratio", "-a",     "2", Small};
    std::vector<std::string> arguments = settings;
    arguments.insert(arguments.begin(), "--mc-error");
    const BatchResult table = RunBatch(arguments);
    arguments.front() = "--json";
    const BatchResult json = RunBatch(arguments);
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["settings"]["estimator"], "ratio");
    EXPECT_EQ(document["settings"]["auxiliary_variable"], "Size");
    EXPECT_EQ(document["settings"]["seed"], 2024);
    EXPECT_EQ(document["settings"]["simulations"], 500);
    ASSERT_EQ(document["runs"].size(), 2u);

    // The second run's table is the last block of the table output.
    const std::string secondTable = table.out.substr(table.out.find("Run 2\n"));
    const nlohmann::json& run = document["runs"][1];
    EXPECT_EQ(run["run"], 2);
    EXPECT_EQ(run["samples"], 500);
    const std::vector<std::pair<const char*, const char*>> pairs = {
        {"mean_theoretical", "Mean (theoretical)"},
        {"mean_simulated", "Mean (simulated)"},
        {"standard_error_theoretical", "Standard error (theoretical)"},
        {"standard_error_simulated", "Standard error (simulated)"},
        {"monte_carlo_error_of_mean", "Monte Carlo error of the mean"},
        {"monte_carlo_error_of_standard_error", "Monte Carlo error of the standard error"},
        {"monte_carlo_error_of_percentage", "Monte Carlo error of the percentage"},
    };
    for (const auto& [key, label] : pairs) {
        EXPECT_EQ(Fixed3(run[key].get<double>()), TableValue(secondTable, label)) << key;
    }
    EXPECT_EQ(run["percentage_of_correct_intervals"].get<double>(),
              run["correct_intervals"].get<int>() / 5.0);
    EXPECT_EQ(Fixed(run["percentage_of_correct_intervals"].get<double>(), 1),
              TableValue(secondTable, "Percentage of correct intervals"));
}

TEST(BatchStudyTest, JsonHoldsNullsAndReadsBackFromAnyNames)
{
    const BatchResult stopped = RunBatch({"--json", "--nonresponse", "1:100:100", Small});
    EXPECT_EQ(stopped.status, 3);
    const nlohmann::json run = nlohmann::json::parse(stopped.out)["runs"][0];
    EXPECT_EQ(run["samples"], 0);
    EXPECT_EQ(run["stopped_by_bound"], true);
    for (const char* key : {"mean_simulated", "standard_error_simulated", "monte_carlo_error_of_mean",
                            "percentage_of_correct_intervals", "monte_carlo_error_of_percentage"}) {
        EXPECT_TRUE(run[key].is_null()) << key;
    }

    // Quotes, a backslash, control characters and a byte that is not UTF-8 in the names.
    const std::string path = TempPath("names.pop");
    WriteWhole(path, "Say \"hi\" \\ to\tR\xe9gion\x1B!\n2 1\nM\xe9tier \"x\"\x1F\n1\n2\n");
    const BatchResult summary = RunBatch({"--describe", "--json", path});
    std::remove(path.c_str());
    ASSERT_EQ(summary.status, 0) << summary.err;
    const nlohmann::json document = nlohmann::json::parse(summary.out);
    EXPECT_EQ(document["population"], "Say \"hi\" \\ to\tR\xC3\xA9gion\x1B!");
    EXPECT_EQ(document["variables"][0]["name"], "M\xC3\xA9tier \"x\"\x1F");
    EXPECT_EQ(document["units"], 2);
    EXPECT_EQ(document["variables"][0]["mean"], 1.5);
    EXPECT_EQ(document["variables"][0]["standard_deviation"], std::sqrt(0.5));
}

TEST(BatchStudyTest, JsonHoldsTheNonresponseSettingsAndIntervalValuesOnlyInIntervalMode)
{
    const struct {
        std::vector<std::string> arguments;
        nlohmann::json nonresponse;
        bool intervals;
    } cases[] = {
        {{"--nonresponse", "Region:10:20"},
         nlohmann::json::object(
             {{"variable", "Region"}, {"percent_at_minimum", 10}, {"percent_at_maximum", 20}}),
         false},
        {{"--intervals"}, nullptr, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--json", "-n", "3", "-s", "10", Small});
        const BatchResult result = RunBatch(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        const nlohmann::json document = nlohmann::json::parse(result.out);
        EXPECT_EQ(document["settings"]["nonresponse"], c.nonresponse) << c.arguments[0];
        const nlohmann::json& run = document["runs"][0];
        for (const char* key :
             {"correct_intervals", "percentage_of_correct_intervals", "monte_carlo_error_of_percentage"}) {
            EXPECT_EQ(run[key].is_number(), c.intervals) << c.arguments[0] << ": " << key;
            EXPECT_EQ(run[key].is_null(), !c.intervals) << c.arguments[0] << ": " << key;
        }
    }
}

TEST(BatchStudyTest, ProgramLinksNoQtLibrary)
{
    const BatchResult result = RunBatch({"--version"});
    ASSERT_EQ(result.status, 0);
    const std::string listing = TempPath("ldd");
    ASSERT_EQ(std::system(("ldd " + ShellQuote(TARVEK_BATCH) + " >" + ShellQuote(listing)).c_str()), 0);
    const std::string libraries = ReadWhole(listing);
    std::remove(listing.c_str());
    EXPECT_NE(libraries.find("libc.so"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("Qt"), std::string::npos) << libraries;
}

/// The population of small.pop: Income, Size, Region.
struct SmallUnit {
    double y;
    double x;
    double region;
};
const std::vector<SmallUnit> SmallUnits = {{12.5, 3, 1}, {20, 5, 1},  {7.25, 2, 2}, {30, 6, 2},
                                           {15, 4, 1},   {9, 2.5, 2}, {22, 5.5, 1}, {18, 4, 2}};

/// The design effect of a standard error se at sample size n: se^2 over the
/// direct estimator's variance under simple random sampling, (1/n - 1/N) S2.
double SmallDesignEffect(double se, int n)
{
    const double N = static_cast<double>(SmallUnits.size());
    double ybar = 0;
    for (const SmallUnit& u : SmallUnits) {
        ybar += u.y / N;
    }
    double squares = 0;
    for (const SmallUnit& u : SmallUnits) {
        squares += (u.y - ybar) * (u.y - ybar);
    }
    return se * se / ((1.0 / n - 1.0 / N) * squares / (N - 1));
}

/// Theoretical standard errors of the variants below, from the textbook formulas.
std::vector<double> SmallTheoreticalErrors(int n)
{
    const double N = static_cast<double>(SmallUnits.size());
    double sumY = 0;
    double sumX = 0;
    for (const SmallUnit& u : SmallUnits) {
        sumY += u.y;
        sumX += u.x;
    }
    const double ybar = sumY / N;
    const double xbar = sumX / N;
    const double F = 1.0 / n - 1.0 / N;
    double syy = 0;
    double sxx = 0;
    double sxy = 0;
    double ratioResiduals = 0;
    double ppsTerms = 0;
    for (const SmallUnit& u : SmallUnits) {
        syy += (u.y - ybar) * (u.y - ybar);
        sxx += (u.x - xbar) * (u.x - xbar);
        sxy += (u.x - xbar) * (u.y - ybar);
        ratioResiduals += (u.y - ybar / xbar * u.x) * (u.y - ybar / xbar * u.x);
        ppsTerms += u.x * (u.y / u.x - ybar / xbar) * (u.y / u.x - ybar / xbar);
    }
    double regressionResiduals = 0;
    for (const SmallUnit& u : SmallUnits) {
        const double residual = (u.y - ybar) - (u.x - xbar) * sxy / sxx;
        regressionResiduals += residual * residual;
    }
    double stratified = 0;
    for (const double region : {1.0, 2.0}) {
        std::vector<double> ys;
        for (const SmallUnit& u : SmallUnits) {
            if (u.region == region) {
                ys.push_back(u.y);
            }
        }
        double mean = 0;
        for (const double y : ys) {
            mean += y / ys.size();
        }
        double s2 = 0;
        for (const double y : ys) {
            s2 += (y - mean) * (y - mean) / (ys.size() - 1);
        }
        const double W = ys.size() / N;
        stratified += F * W * s2 + (1 - W) * s2 / (n * n);
    }
    const double pps = std::sqrt(xbar * ppsTerms / n / N);
    return {std::sqrt(F * syy / (N - 1)),
            std::sqrt(F * ratioResiduals / (N - 1)),
            std::sqrt(F * regressionResiduals / (N - 1)),
            std::sqrt(stratified),
            pps,
            pps};
}

TEST(BatchCompareTest, EveryFieldAgreesWithAnIndependentComputation)
{
    const std::string csvPath = TempPath("compare.csv");
    const std::vector<std::string> variants = {"equal/direct",      "equal/ratio:2", "equal/regression:2",
                                               "equal/poststrat:3", "pps:2/direct",  "pps:02/direct"};
    std::string list;
    for (const std::string& variant : variants) {
        list += (list.empty() ? "" : ",") + variant;
    }
    constexpr int S = 30;
    constexpr int n = 4;
    const BatchResult result = RunBatch({"--compare", list, "-n", std::to_string(n), "-s", std::to_string(S),
                                         "--intervals", "--mc-error", "--estimates", csvPath, Small});
    ASSERT_EQ(result.status, 0) << result.err;
    double ybar = 0;
    for (const SmallUnit& u : SmallUnits) {
        ybar += u.y / SmallUnits.size();
    }
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 8u + variants.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8),
              (std::vector<std::string>{
                  "Population\tSmall test population", "Target variable\tIncome", "Sample size\t4",
                  "Nonresponse\tNo", "Simulations\t30", "Population mean\t" + Fixed(ybar, 3), "",
                  "variant\ttheoretical_mean\tsimulated_mean\tbias\ttheoretical_se\t"
                  "simulated_se\trmse\tdesign_effect\trelative_efficiency\tno_estimate\t"
                  "covered\tmissed_low\tmissed_high\tno_se\t"
                  "relative_efficiency_mc_error\tcovered_mc_error"}));

    // The estimates, in draw order: each design's samples, each sample's variants.
    std::vector<std::vector<std::vector<std::string>>> rows(variants.size());
    const std::vector<std::string> csv = Lines(ReadWhole(csvPath));
    ASSERT_EQ(csv.front(), "run,variant,sample,estimate,standard_error,lower,upper,covered,rejected");
    std::vector<std::pair<int, int>> order;
    for (std::size_t r = 1; r < csv.size(); ++r) {
        const std::vector<std::string> fields = Fields(csv[r], ',');
        ASSERT_EQ(fields.size(), 9u) << csv[r];
        order.emplace_back(std::stoi(fields[1]), std::stoi(fields[2]));
        rows[std::stoi(fields[1]) - 1].push_back(fields);
    }
    std::vector<std::pair<int, int>> expectedOrder;
    for (const auto& [first, last] : {std::pair{1, 4}, std::pair{5, 6}}) {
        for (int sample = 1; sample <= S; ++sample) {
            for (int v = first; v <= last; ++v) {
                expectedOrder.emplace_back(v, sample);
            }
        }
    }
    EXPECT_EQ(order, expectedOrder) << "pps:2 and pps:02 are one design";

    const std::vector<double> theoryErrors = SmallTheoreticalErrors(n);
    double referenceMse = 0;
    std::map<int, double> referenceErrors;  // (e - Ybar)^2 of the first variant by sample
    for (std::size_t v = 0; v < variants.size(); ++v) {
        std::vector<double> e;
        std::map<int, double> squaredErrors;
        int covered = 0;
        int low = 0;
        int high = 0;
        int withoutSe = 0;
        for (const auto& fields : rows[v]) {
            if (fields[3].empty()) {
                continue;
            }
            e.push_back(std::stod(fields[3]));
            squaredErrors[std::stoi(fields[2])] = (e.back() - ybar) * (e.back() - ybar);
            if (fields[4].empty()) {
                ++withoutSe;
                continue;
            }
            const double lower = std::stod(fields[5]);
            const double upper = std::stod(fields[6]);
            EXPECT_NEAR(lower, e.back() - 1.96 * std::stod(fields[4]), 1e-9);
            const bool inside = lower < ybar && ybar < upper;
            EXPECT_EQ(fields[7], inside ? "1" : "0");
            covered += inside ? 1 : 0;
            low += !inside && upper <= ybar ? 1 : 0;
            high += !inside && upper > ybar ? 1 : 0;
        }
        const double m = static_cast<double>(e.size());
        double mean = 0;
        for (const double value : e) {
            mean += value / m;
        }
        double squares = 0;
        double mse = 0;
        for (const double value : e) {
            squares += (value - mean) * (value - mean);
            mse += (value - ybar) * (value - ybar) / m;
        }
        if (v == 0) {
            referenceMse = mse;
            referenceErrors = squaredErrors;
        }
        // The delta method on the two mean squared errors, with their covariance
        // over the shared samples of the same design (the first four variants).
        const double ma = static_cast<double>(referenceErrors.size());
        double va = 0;
        double vb = 0;
        double c = 0;
        for (const auto& [sample, a] : referenceErrors) {
            va += (a - referenceMse) * (a - referenceMse) / (ma * ma);
            if (v < 4 && squaredErrors.count(sample) == 1) {
                c += (a - referenceMse) * (squaredErrors[sample] - mse) / (ma * m);
            }
        }
        for (const auto& [sample, b] : squaredErrors) {
            vb += (b - mse) * (b - mse) / (m * m);
        }
        const double efficiency = referenceMse / mse;
        const double efficiencyError =
            efficiency * std::sqrt(std::max(0.0, va / (referenceMse * referenceMse) + vb / (mse * mse) -
                                                     2 * c / (referenceMse * mse)));
        const double p = covered / m;
        // Percentages of the samples with an estimate.
        const auto percent = [&](int count) { return m > 0 ? Fixed(count * 100.0 / m, 1) : "-"; };
        const std::vector<std::string> expected = {variants[v],
                                                   Fixed(ybar, 3),
                                                   Fixed(mean, 3),
                                                   Fixed(mean - ybar, 3),
                                                   Fixed(theoryErrors[v], 3),
                                                   Fixed(std::sqrt(squares / (m - 1)), 3),
                                                   Fixed(std::sqrt(mse), 3),
                                                   Fixed(SmallDesignEffect(theoryErrors[v], n), 3),
                                                   Fixed(efficiency, 3),
                                                   std::to_string(S - static_cast<int>(m)),
                                                   percent(covered),
                                                   percent(low),
                                                   percent(high),
                                                   std::to_string(withoutSe),
                                                   Fixed(efficiencyError, 3),
                                                   Fixed(100 * std::sqrt(p * (1 - p) / m), 3)};
        EXPECT_EQ(Fields(lines[8 + v], '\t'), expected) << variants[v];
    }
    for (int sample = 0; sample < S; ++sample) {
        EXPECT_EQ(rows[4][sample][3], rows[5][sample][3]) << "the same samples give the same estimates";
    }
    std::remove(csvPath.c_str());
}

/// Mean and standard deviation (divisor N) of the direct or the ratio estimator
/// (auxiliary variable Size) over the N systematic samples of small.pop, the list
/// ordered by Region (ties in unit order); sample c takes the places
/// floor((2c + 1 + 2(j - 1)N) / (2n)), j = 1..n.
std::pair<double, double> SystematicByRegion(bool ratio, int n)
{
    std::vector<SmallUnit> list = SmallUnits;
    std::stable_sort(list.begin(), list.end(),
                     [](const SmallUnit& a, const SmallUnit& b) { return a.region < b.region; });
    const int N = static_cast<int>(list.size());
    double xbar = 0;
    for (const SmallUnit& u : list) {
        xbar += u.x / N;
    }
    std::vector<double> estimates;
    for (int c = 0; c < N; ++c) {
        double y = 0;
        double x = 0;
        for (int j = 1; j <= n; ++j) {
            const SmallUnit& u = list[(2 * c + 1 + 2 * (j - 1) * N) / (2 * n)];
            y += u.y;
            x += u.x;
        }
        estimates.push_back(ratio ? y / x * xbar : y / n);
    }
    double mean = 0;
    for (const double e : estimates) {
        mean += e / N;
    }
    double variance = 0;
    for (const double e : estimates) {
        variance += (e - mean) * (e - mean) / N;
    }
    return {mean, std::sqrt(variance)};
}

// The list of a systematic variant is ordered by its design's variable, whatever
// the auxiliary variable of its estimator.
TEST(BatchCompareTest, SystematicVariantsTakeTheirOrderFromTheDesign)
{
    const BatchResult result =
        RunBatch({"--compare", "systematic:3/ratio:2,systematic:3/direct", "-n", "4", "-s", "10", Small});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 10u) << result.out;
    for (const bool ratio : {true, false}) {
        const std::vector<std::string> fields = Fields(lines[ratio ? 8 : 9], '\t');
        ASSERT_EQ(fields.size(), 10u) << lines[ratio ? 8 : 9];
        const auto [mean, standardError] = SystematicByRegion(ratio, 4);
        EXPECT_EQ(fields[1], Fixed(mean, 3)) << fields[0];
        EXPECT_EQ(fields[4], Fixed(standardError, 3)) << fields[0];
    }
}

// n = 2 under 80% nonresponse: a draw is used 1 time in 25, so the rejections of
// 1000 samples add up far beyond the bound on consecutive ones, and a sample
// with one respondent, which a run redraws, comes 8 times in 25.
TEST(BatchCompareTest, UnderNonresponseADesignDrawsAsTheRunOfItsSettings)
{
    const std::vector<std::string> settings = {"-n",      "2",           "-s", "1000", "--nonresponse",
                                               "1:80:80", "--estimates", "-",  Small};
    std::vector<std::string> comparison = settings;
    comparison.insert(comparison.begin(), {"--compare", "equal/direct"});
    const BatchResult compared = RunBatch(comparison);
    const BatchResult single = RunBatch(settings);
    ASSERT_EQ(compared.status, 0) << compared.err;
    ASSERT_EQ(single.status, 0) << single.err;
    // Sample, estimate and rejected draws of each row: fields 2, 3, 8 of the
    // comparison's rows, 1, 2, 8 of the run's.
    const auto samples = [](const std::string& csv, std::size_t first) {
        std::vector<std::string> rows;
        const std::vector<std::string> lines = Lines(csv);
        for (std::size_t r = 1; r < lines.size(); ++r) {
            const std::vector<std::string> fields = Fields(lines[r], ',');
            rows.push_back(fields.at(first) + "," + fields.at(first + 1) + "," + fields.at(8));
        }
        return rows;
    };
    const std::vector<std::string> drawn = samples(single.out, 1);
    ASSERT_EQ(drawn.size(), 1000u);
    int rejections = 0;
    for (const std::string& row : drawn) {
        rejections += std::stoi(row.substr(row.rfind(',') + 1));
    }
    ASSERT_GT(rejections, 10000);
    EXPECT_EQ(samples(compared.out, 2), drawn);
}

TEST(BatchCompareTest, ADesignStoppedByTheBoundShowsWhatItHas)
{
    const BatchResult result = RunBatch({"--compare", "equal/direct,equal/ratio:2", "--nonresponse",
                                         "1:100:100", "--runs", "2", "-n", "3", Small});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err.rfind("tarvek-batch: equal: ", 0), 0u) << result.err;
    EXPECT_EQ(Lines(result.err).size(), 1u) << "one line per stopped design";
    EXPECT_NE(result.err.find("10000 draws!"), std::string::npos) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    EXPECT_EQ(lines.front(), "Run 1");
    EXPECT_EQ(result.out.find("Run 2"), std::string::npos) << "no later run";
    EXPECT_EQ(lines.back(), "equal/ratio:2\t16.719\t-\t-\t" + Fixed(SmallTheoreticalErrors(3)[1], 3) +
                                "\t-\t-\t" + Fixed(SmallDesignEffect(SmallTheoreticalErrors(3)[1], 3), 3) +
                                "\t-\t0");

    // Region 2 never responds: the stratified design finds no sample with a
    // respondent in both strata, while the design after it is still drawn.
    const BatchResult later = RunBatch({"--compare", "stratified:3:proportional/direct,equal/direct",
                                        "--nonresponse", "3:0:100", "-n", "4", "-s", "10", Small});
    EXPECT_EQ(later.status, 3);
    EXPECT_EQ(later.err.rfind("tarvek-batch: stratified:3:proportional: ", 0), 0u) << later.err;
    const std::vector<std::string> fields = Fields(Lines(later.out).back(), '\t');
    ASSERT_EQ(fields.size(), 10u);
    EXPECT_EQ(fields[0], "equal/direct");
    EXPECT_NE(fields[2], "-") << "the equal design's samples were drawn";
    EXPECT_EQ(Fields(Lines(later.out)[9], '\t')[2], "-");
}

TEST(BatchCompareTest, MalformedOrRefusedVariantsAreUsageErrors)
{
    const std::vector<std::vector<std::string>> malformed = {
        {"--compare", "equal"},
        {"--compare", "pps/direct"},
        {"--compare", "pps:x/direct"},
        {"--compare", "pps:2:x/direct"},
        {"--compare", "equal/ratio"},
        {"--compare", "equal/direct,"},
        {"--compare", "equal/median:2"},
        {"--compare", "equal/direct", "-d", "equal"},
        {"--compare", "equal/direct", "-e", "direct"},
        {"--compare", "equal/direct", "-a", "2"},
        {"--compare", "equal/direct", "--allocation", "equal"},
        {"--compare", "equal/direct", "--order", "1"},
        {"--compare", "equal/direct", "--plot", "x.bmp"},
        {"--compare", "stratified:3/direct"},
        {"--compare", "stratified:3:best/direct"},
        {"--compare", "systematic:/direct"},
    };
    for (std::vector<std::string> arguments : malformed) {
        arguments.push_back(Small);
        const BatchResult result = RunBatch(arguments);
        EXPECT_EQ(result.status, 2) << arguments[1];
        EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
        EXPECT_EQ(result.out, "");
    }
    ExpectRefusal({"--compare", "equal/direct,pps:2/ratio:2", Small},
                  "The design pps can only be used with the direct estimator!");
    ExpectRefusal({"--compare", "equal/poststrat:1", Small}, "There are too many strata!");
    ExpectRefusal({"--compare", "stratified:3:equal/ratio:2", "-n", "4", Small},
                  "The design stratified can only be used with the direct estimator!");
    ExpectRefusal({"--compare", "systematic:1/direct,stratified:3:optimal/direct", "-n", "3", Small},
                  "The sample size is too small for the strata!");
    ExpectRefusal({"--compare", "equal/ratio:4", Small}, "The auxiliary variable must be from 1 to 3!");
    // Every variant's design is checked before the settings that follow the design.
    ExpectRefusal({"--compare", "equal/direct,pps:2/ratio:2", "--nonresponse", "4:1:99", Small},
                  "The design pps can only be used with the direct estimator!");
}

}  // namespace

namespace {

TEST(BatchDesignTest, StratifiedAndSystematicNameTheirDesignAndRunTheWholePopulationExactly)
{
    const struct {
        std::vector<std::string> arguments;
        const char* probabilities;
    } cases[] = {
        {{"-d", "stratified", "-a", "3", "--allocation", "equal"}, "Stratified by Region, equal"},
        {{"-d", "stratified", "-a", "3", "--allocation", "optimal"}, "Stratified by Region, optimal"},
        {{"-d", "systematic"}, "Systematic, file order"},
        {{"-d", "systematic", "--order", "Size"}, "Systematic, ordered by Size"},
        {{"-d", "systematic", "--order", "2", "-e", "regression", "-a", "2"}, "Systematic, ordered by Size"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"-n", "8", "-s", "10", Small});
        const BatchResult result = RunBatch(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(TableValue(result.out, "Probabilities"), c.probabilities);
        EXPECT_EQ(TableValue(result.out, "Mean (simulated)"), "16.719") << c.probabilities;
        EXPECT_EQ(TableValue(result.out, "Standard error (theoretical)"), "0.000") << c.probabilities;
    }
}

// One size far above the others: a sample takes n N max / sum trials, here just
// above 1e8 at n = 5001. The warning comes with the settings, before the first
// sample: an estimates file that cannot be created ends each run there.
TEST(BatchDesignTest, ProportionalToSizeWarnsWhenASampleTakesOverAHundredMillionTrials)
{
    std::string population = "one large unit\n20000 2\ny\nsize\n";
    for (int unit = 1; unit <= 20000; ++unit) {
        population += std::to_string(unit) + (unit == 1 ? " 1e9\n" : " 1\n");
    }
    const std::string path = TempPath("large_unit.pop");
    WriteWhole(path, population);
    const std::string warning =
        "tarvek-batch: warning: Drawing one sample takes about 1e+08 trials, as the largest size is "
        "far above the others: each sample can take a second or more!\n";
    const std::string failure = "tarvek-batch: /nonexistent-folder/estimates.csv: ";
    const std::vector<std::pair<std::vector<std::string>, bool>> cases = {
        {{"-d", "pps", "-a", "2", "-n", "100"}, false},
        {{"-d", "pps", "-a", "2", "-n", "5001"}, true},
        {{"--compare", "equal/direct,pps:2/direct", "-n", "5001"}, true},
    };
    for (auto [options, warned] : cases) {
        options.insert(options.end(), {"--estimates", "/nonexistent-folder/estimates.csv", path});
        const BatchResult result = RunBatch(options);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.substr(0, result.err.find(failure)), warned ? warning : "")
            << options.front() << " " << options[5];
    }
    std::remove(path.c_str());
}

TEST(BatchDesignTest, JsonNamesTheDesignWithItsAllocationOrOrder)
{
    const struct {
        std::vector<std::string> arguments;
        const char* design;
        nlohmann::json allocation;
        nlohmann::json order;
        nlohmann::json auxiliary;
    } cases[] = {
        {{"-d", "stratified", "-a", "3", "--allocation", "optimal"},
         "stratified",
         "optimal",
         nullptr,
         "Region"},
        {{"-d", "systematic", "--order", "2"}, "systematic", nullptr, "Size", nullptr},
        {{"-d", "systematic"}, "systematic", nullptr, "", nullptr},
        {{"-d", "equal"}, "equal", nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--json", "-n", "4", "-s", "10", Small});
        const BatchResult result = RunBatch(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        const nlohmann::json settings = nlohmann::json::parse(result.out)["settings"];
        EXPECT_EQ(settings["design"], c.design);
        EXPECT_EQ(settings["allocation"], c.allocation) << c.design;
        EXPECT_EQ(settings["order"], c.order) << c.design;
        EXPECT_EQ(settings["auxiliary_variable"], c.auxiliary) << c.design;
    }
}

TEST(BatchDesignTest, StratifiedAndSystematicRefusalsComeInTheirOrder)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-d", "stratified", "-e", "ratio", Small}, "The design stratified needs --auxiliary!"},
        {{"-d", "stratified", "-a", "3", "-e", "ratio", Small}, "The design stratified needs --allocation!"},
        {{"-d", "stratified", "-a", "4", "--allocation", "equal", "-e", "ratio", Checks},
         "The design stratified can only be used with the direct estimator!"},
        {{"-d", "stratified", "-a", "4", "--allocation", "equal", "-n", "2", Checks},
         "There are too many strata!"},
        {{"-d", "stratified", "-a", "5", "--allocation", "equal", "-n", "2", Checks},
         "There are empty strata!"},
        {{"-d", "stratified", "-a", "3", "--allocation", "optimal", "-n", "3", Small},
         "The sample size is too small for the strata!"},
        {{"--allocation", "equal", Small}, "The option --allocation needs the design stratified!"},
        {{"-d", "stratified", "-a", "3", "--allocation", "equal", "--order", "2", Small},
         "The option --order needs the design systematic!"},
        {{"-d", "systematic", "--order", "4", Small}, "The order variable must be from 1 to 3!"},
    };
    for (const auto& [arguments, message] : cases) {
        ExpectRefusal(arguments, message);
    }
    ExpectRefusal({"-d", "stratified", "-a", "3", "--allocation", "neyman", Small},
                  "invalid value 'neyman' for --allocation (expected proportional|equal|optimal)");
}

}  // namespace

namespace {

// The allocation stands after the design in the table and in the JSON settings;
// a comparison of two censuses names their allocation and, its mean squared
// errors being rounding noise, gives no relative efficiency.
TEST(BatchCompareTest, AllocationsAndACensusInTablesAndJson)
{
    const std::vector<std::string> run = {"-d", "stratified", "-a", "3",  "--allocation", "equal",
                                          "-n", "6",          "-s", "10", Small};
    const std::vector<std::string> table = Lines(RunBatch(run).out);
    ASSERT_GE(table.size(), 4u);
    EXPECT_EQ(table[2], "Probabilities\tStratified by Region, equal");
    EXPECT_EQ(table[3], "Allocation\t3, 3");
    std::vector<std::string> json = run;
    json.insert(json.begin(), "--json");
    EXPECT_EQ(nlohmann::json::parse(RunBatch(json).out)["settings"]["allocation_sizes"],
              nlohmann::json::array({3, 3}));

    const std::vector<std::string> census = {
        "--compare", "stratified:3:proportional/direct,equal/direct", "-n", "8", "-s", "10", "--intervals",
        Small};
    const std::vector<std::string> lines = Lines(RunBatch(census).out);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[6], "Allocation of stratified:3:proportional/direct\t4, 4");
    for (const std::size_t row : {9u, 10u}) {
        const std::vector<std::string> fields = Fields(lines[row], '\t');
        EXPECT_EQ(fields[7], "-") << "a census has no design effect: " << lines[row];
        EXPECT_EQ(fields[8], "-") << lines[row];
        EXPECT_EQ(fields[10], "100.0") << "the census's intervals of width 0 are correct";
    }
    std::vector<std::string> censusJson = census;
    censusJson.insert(censusJson.begin(), "--json");
    const nlohmann::json variants = nlohmann::json::parse(RunBatch(censusJson).out)["runs"][0]["variants"];
    ASSERT_EQ(variants.size(), 2u);
    EXPECT_EQ(variants[0]["allocation_sizes"], nlohmann::json::array({4, 4}));
    EXPECT_TRUE(variants[1]["allocation_sizes"].is_null());
    EXPECT_TRUE(variants[1]["relative_efficiency"].is_null());
    EXPECT_EQ(variants[1]["covered"], 100.0);
    EXPECT_EQ(variants[1]["no_se"], 0);
}

}  // namespace

namespace {

const std::string Mu284 = std::string(TARVEK_TEST_DATA) + "/../../data/mu284.pop";

TEST(BatchClusterTest, RefusalsComeInTheirOrder)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-d", "two-stage", "-e", "regression", Mu284}, "The cluster designs need --cluster-variable!"},
        {{"-d", "two-stage", "--cluster-variable", "Cluster", "-e", "regression", Mu284},
         "The cluster designs need --clusters!"},
        {{"-d", "two-stage", "--cluster-variable", "10", "--clusters", "1", "-e", "regression", Mu284},
         "The design two-stage needs --units-per-cluster!"},
        {{"-d", "two-stage", "--cluster-variable", "10", "--clusters", "1", "--units-per-cluster", "1", "-e",
          "regression", Mu284},
         "Under cluster designs only the direct and ratio estimators can be used!"},
        {{"-d", "cluster", "--cluster-variable", "8", "--clusters", "1", "-e", "poststrat", Small},
         "Under cluster designs only the direct and ratio estimators can be used!"},
        {{"-d", "two-stage", "--cluster-variable", "1", "--clusters", "1", "--units-per-cluster", "1", "-e",
          "ratio", DataFile("one_unit.pop")},
         "There are fewer than two clusters!"},
        {{"-d", "two-stage", "--cluster-variable", "10", "--clusters", "51", "--units-per-cluster", "1", "-e",
          "ratio", Mu284},
         "The number of clusters must lie between 2 and 50!"},
        {{"-d", "two-stage", "--cluster-variable", "10", "--clusters", "2", "--units-per-cluster", "1", "-e",
          "ratio", Mu284},
         "The number of units per cluster must be at least 2!"},
        {{"-d", "cluster", "--cluster-variable", "10", "--clusters", "2", "-e", "ratio", Mu284},
         "The design pps and the ratio, regression and post-stratification estimators need --auxiliary!"},
        {{"--clusters", "2", Mu284},
         "The options --cluster-variable and --clusters need the design cluster or two-stage!"},
        {{"-d", "cluster", "--cluster-variable", "10", "--clusters", "2", "--units-per-cluster", "2", Mu284},
         "The option --units-per-cluster needs the design two-stage!"},
        {{"-e", "ratio", "-a", "units", Mu284}, "--auxiliary units needs the design cluster or two-stage"},
        {{"--compare", "equal/ratio:units", Mu284},
         "invalid variant 'equal/ratio:units' for --compare (expected DESIGN/ESTIMATOR, see --help)"},
        {{"--compare", "cluster:10:2/poststrat:9", Mu284},
         "Under cluster designs only the direct and ratio estimators can be used!"},
    };
    for (const auto& [arguments, message] : cases) {
        ExpectRefusal(arguments, message);
    }
}

/// Variable k (1..10) of mu284.pop for every unit.
std::vector<double> Mu284Column(int k)
{
    std::vector<std::string> lines = Lines(ReadWhole(Mu284));
    const int variables = std::stoi(Fields(lines[1], ' ')[1]);
    std::vector<double> values;
    for (std::size_t row = 2 + static_cast<std::size_t>(variables); row < lines.size(); ++row) {
        std::istringstream fields(lines[row]);
        double value = 0;
        for (int j = 1; j <= k; ++j) {
            fields >> value;
        }
        values.push_back(value);
    }
    return values;
}

// The simulated statistics against the estimates written; the theory of
// one-stage cluster sampling against its textbook formula on the clusters'
// totals, V = (1/N^2) M^2 (1 - m/M) S2_u / m, and the design effect against
// simple random sampling of m N / M units.
TEST(BatchClusterTest, RunsAgreeWithTheirEstimatesAndTheTheory)
{
    struct Case {
        std::vector<std::string> design;
        std::string sampleSize;
    };
    const std::vector<Case> cases = {
        {{"-d", "cluster", "--cluster-variable", "Cluster", "--clusters", "5"}, "5 of 50 clusters"},
        {{"-d", "two-stage", "--cluster-variable", "10", "--clusters", "6", "--units-per-cluster", "3", "-e",
          "ratio", "-a", "units"},
         "6 of 50 clusters, 3 units in each"},
    };
    for (const Case& c : cases) {
        const std::string csvPath = TempPath("cluster.csv");
        std::vector<std::string> arguments = c.design;
        arguments.insert(arguments.end(), {"-s", "200", "--estimates", csvPath, Mu284});
        const BatchResult result = RunBatch(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        std::vector<double> estimates;
        for (const std::string& row : Lines(ReadWhole(csvPath))) {
            if (row.rfind("run", 0) != 0) {
                estimates.push_back(std::stod(Fields(row, ',')[2]));
            }
        }
        std::remove(csvPath.c_str());
        ASSERT_EQ(estimates.size(), 200u);
        double mean = 0;
        for (const double e : estimates) {
            mean += e / estimates.size();
        }
        double squares = 0;
        for (const double e : estimates) {
            squares += (e - mean) * (e - mean);
        }
        EXPECT_EQ(TableValue(result.out, "Sample size"), c.sampleSize);
        EXPECT_EQ(TableValue(result.out, "Mean (simulated)"), Fixed3(mean));
        EXPECT_EQ(TableValue(result.out, "Standard error (simulated)"),
                  Fixed3(std::sqrt(squares / (estimates.size() - 1))));
    }

    const std::vector<double> y = Mu284Column(1);
    const std::vector<double> cluster = Mu284Column(10);
    std::map<double, double> totals;
    double ybar = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        totals[cluster[i]] += y[i];
        ybar += y[i] / y.size();
    }
    const double N = static_cast<double>(y.size());
    const double M = static_cast<double>(totals.size());
    ASSERT_EQ(M, 50);
    double totalMean = 0;
    for (const auto& [label, total] : totals) {
        totalMean += total / M;
    }
    double s2u = 0;
    for (const auto& [label, total] : totals) {
        s2u += (total - totalMean) * (total - totalMean) / (M - 1);
    }
    double s2 = 0;
    for (const double value : y) {
        s2 += (value - ybar) * (value - ybar) / (N - 1);
    }
    const double m = 5;
    const double variance = M * M * (1 - m / M) * s2u / m / (N * N);
    const double nbar = m * N / M;
    const BatchResult theory =
        RunBatch({"-d", "cluster", "--cluster-variable", "10", "--clusters", "5", "-s", "10", Mu284});
    EXPECT_EQ(TableValue(theory.out, "Standard error (theoretical)"), Fixed3(std::sqrt(variance)));
    EXPECT_EQ(TableValue(theory.out, "Design effect (theoretical)"),
              Fixed3(variance / ((1 / nbar - 1 / N) * s2)));
}

// m = M draws every cluster: a census, whose estimates are all Ybar.
TEST(BatchClusterTest, DrawingEveryClusterIsACensus)
{
    const std::string schools = std::string(TARVEK_TEST_DATA) + "/../../data/schools.pop";
    const BatchResult result = RunBatch(
        {"-d", "cluster", "--cluster-variable", "3", "--clusters", "3", "-s", "20", "--seed", "1", schools});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(TableValue(result.out, "Sample size"), "3 of 3 clusters");
    EXPECT_EQ(TableValue(result.out, "Standard error (theoretical)"), "0.000");
    EXPECT_EQ(TableValue(result.out, "Standard error (simulated)"), "0.000");
    EXPECT_EQ(TableValue(result.out, "Mean (simulated)"), TableValue(result.out, "Mean (theoretical)"));
}

// The ANOVA intraclass correlation (MSB - MSW) / (MSB + (n0 - 1) MSW) of
// Population 1985 in the clusters of variable 10, from the definitions.
double Mu284IntraclassCorrelation()
{
    const std::vector<double> y = Mu284Column(1);
    const std::vector<double> cluster = Mu284Column(10);
    std::map<double, std::vector<double>> members;
    double ybar = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        members[cluster[i]].push_back(y[i]);
        ybar += y[i] / y.size();
    }
    const double N = static_cast<double>(y.size());
    const double M = static_cast<double>(members.size());
    double between = 0;
    double within = 0;
    double squaredSizes = 0;
    for (const auto& [label, values] : members) {
        double mean = 0;
        for (const double value : values) {
            mean += value / values.size();
        }
        for (const double value : values) {
            within += (value - mean) * (value - mean);
        }
        between += values.size() * (mean - ybar) * (mean - ybar);
        squaredSizes += static_cast<double>(values.size() * values.size());
    }
    const double msb = between / (M - 1);
    const double msw = within / (N - M);
    const double n0 = (N - squaredSizes / N) / (M - 1);
    return (msb - msw) / (msb + (n0 - 1) * msw);
}

// k only under two stages; the intraclass correlation only under the cluster designs.
TEST(BatchClusterTest, JsonHoldsTheClusterSettingsAndTheIntraclassCorrelation)
{
    const struct {
        std::vector<std::string> design;
        nlohmann::json clusterVariable;
        nlohmann::json clusters;
        nlohmann::json unitsPerCluster;
        bool intraclass;
    } cases[] = {
        {{"-d", "cluster", "--cluster-variable", "10", "--clusters", "5"}, "Cluster", 5, nullptr, true},
        {{"-d", "two-stage", "--cluster-variable", "10", "--clusters", "6", "--units-per-cluster", "3"},
         "Cluster",
         6,
         3,
         true},
        {{"-d", "equal"}, nullptr, nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.design;
        arguments.insert(arguments.end(), {"--json", "-s", "10", Mu284});
        const BatchResult result = RunBatch(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        const nlohmann::json settings = nlohmann::json::parse(result.out)["settings"];
        const std::string design = settings["design"];
        EXPECT_EQ(settings["cluster_variable"], c.clusterVariable) << design;
        EXPECT_EQ(settings["clusters"], c.clusters) << design;
        EXPECT_EQ(settings["units_per_cluster"], c.unitsPerCluster) << design;
        ASSERT_EQ(settings.contains("intraclass_correlation"), c.intraclass) << design;
        if (c.intraclass) {
            EXPECT_NEAR(settings["intraclass_correlation"].get<double>(), Mu284IntraclassCorrelation(), 1e-12)
                << design;
        }
    }
}

// The cluster variants read their numbers as -t does; the design effect of
// simple random sampling with the direct estimator is 1.
TEST(BatchClusterTest, CompareReadsClusterVariants)
{
    const BatchResult result = RunBatch({"--compare",
                                         "equal/direct,cluster:10:05/direct,cluster:10:5/direct,"
                                         "two-stage:10:5:3/ratio:units",
                                         "-n", "7", "-s", "20", Mu284});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(TableValue(result.out, "Sample size"), "7");
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 12u) << result.out;
    EXPECT_EQ(Fields(lines[7], '\t')[7], "design_effect");
    EXPECT_EQ(Fields(lines[8], '\t')[7], "1.000");
    std::vector<std::string> padded = Fields(lines[9], '\t');
    std::vector<std::string> plain = Fields(lines[10], '\t');
    EXPECT_EQ(padded[0], "cluster:10:05/direct");
    padded.erase(padded.begin());
    plain.erase(plain.begin());
    EXPECT_EQ(padded, plain) << "cluster:10:05 is the design cluster:10:5";
    EXPECT_EQ(Fields(lines[11], '\t')[0], "two-stage:10:5:3/ratio:units");
    EXPECT_NE(Fields(lines[11], '\t')[2], "-");
}

}  // namespace

namespace {

std::string LessonOf(const std::string& population, const std::string& settings)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : ReadWhole(population)) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
    }
    std::ostringstream check;
    check << std::hex << hash;
    return "# a lesson\npopulation = " + population + "\npopulation-check = 8 3 " + check.str() + "\n" +
           settings;
}

TEST(BatchLessonTest, ALessonRunEqualsItsSettingsAsOptions)
{
    const std::string lesson = TempPath("run.lesson");
    WriteWhole(lesson, LessonOf(DataFile("small.pop"),
                                "target = 2\nsample-size = 5\ndesign = systematic\norder = 3\n"
                                "estimator = ratio\nauxiliary = 3\nsimulations = 50\nintervals = yes\n"
                                "scale = 0:40\ncompression = 2\nseed = 99\n"));
    std::vector<std::string> options = {"-t",          "2",
                                        "-n",          "5",
                                        "-d",          "systematic",
                                        "--order",     "3",
                                        "-e",          "ratio",
                                        "-a",          "3",
                                        "-s",          "50",
                                        "--intervals", "--scale",
                                        "0:40",        "--compression",
                                        "2",           "--seed",
                                        "99",          DataFile("small.pop")};
    const BatchResult byLesson = RunBatch({lesson});
    ASSERT_EQ(byLesson.status, 0) << byLesson.err;
    EXPECT_EQ(byLesson.out, RunBatch(options).out);
    options.insert(options.end() - 1, {"-n", "4"});
    const BatchResult overridden = RunBatch({"-n", "4", lesson});
    EXPECT_EQ(overridden.out, RunBatch(options).out);
    EXPECT_NE(overridden.out, byLesson.out);
}

TEST(BatchLessonTest, AnExampleNamedByItsFileNameAloneIsFoundAmongTheExamples)
{
    // As the desktop program saves a lesson on a shipped example, in a folder without it.
    const std::string mu284 = std::string(TARVEK_TEST_DATA) + "/../../data/mu284.pop";
    std::string text =
        LessonOf(mu284, "target = 1\nsample-size = 10\nestimator = ratio\nauxiliary = 2\nsimulations = 30\n");
    text.replace(text.find(mu284), mu284.size(), "mu284.pop");
    text.replace(text.find("= 8 3 "), 6, "= 284 10 ");
    const std::string folder = TempPath("lesson_folder");
    std::filesystem::create_directory(folder);
    const std::string lesson = folder + "/example.lesson";
    WriteWhole(lesson, text);
    const BatchResult byLesson = RunBatch({lesson});
    ASSERT_EQ(byLesson.status, 0) << byLesson.err;
    EXPECT_EQ(byLesson.out, RunBatch({"-e", "ratio", "-a", "2", "-s", "30", mu284}).out);
}

TEST(BatchLessonTest, AChangedPopulationIsRefused)
{
    const std::string lesson = TempPath("changed.lesson");
    WriteWhole(lesson, LessonOf(DataFile("checks.pop"), "target = 1\n"));
    const BatchResult result = RunBatch({lesson});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("has changed since the lesson was saved!"), std::string::npos) << result.err;
}

// A lesson given as, or naming as its population, a FIFO or a device is refused
// before anything reads it: neither waits for a writer nor reads without end.
TEST(BatchLessonTest, RefusesWhatIsNoRegularFileBeforeReadingIt)
{
    const std::string fifoLesson = TempPath("pipe.lesson");
    const std::string fifo = TempPath("pipe.pop");
    ASSERT_EQ(mkfifo(fifoLesson.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string onZeros = TempPath("zeros.lesson");
    WriteWhole(onZeros, "population = /dev/zero\npopulation-check = 8 3 1\n");
    const std::string onFifo = TempPath("fifo.lesson");
    WriteWhole(onFifo, "population = " + fifo + "\npopulation-check = 8 3 1\n");
    const struct {
        std::string lesson;
        int status;
        std::string message;
    } cases[] = {
        {fifoLesson, 1, fifoLesson + " is not a regular file!"},
        {onZeros, 2, "/dev/zero is not a regular file!"},
        {onFifo, 2, fifo + " is not a regular file!"},
    };
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer reserves far more address space than any bound allows.
    const std::string bounds = "exec timeout 120";
#else
    const std::string bounds = "ulimit -v 2000000; exec timeout 120";
#endif
    for (const auto& c : cases) {
        const BatchResult result = RunBatch({c.lesson}, bounds);
        EXPECT_EQ(result.status, c.status) << c.lesson;
        EXPECT_EQ(result.err, "tarvek-batch: " + c.message + "\n");
    }
    std::remove(fifoLesson.c_str());
    std::remove(fifo.c_str());
}

// However a lesson names its population, and wherever it lies, tarvek-batch
// reads the file and runs the lesson as the options it stands for.
TEST(BatchLessonTest, FindsAndReadsThePopulationWhateverItsName)
{
    const std::string folder = TempPath("names");
    std::filesystem::create_directory(folder);
    const std::string settings = "target = 1\nsample-size = 4\nsimulations = 40\nseed = 5\n";
    const std::string plain = LessonOf(Small, settings);
    const auto named = [&plain](const std::string& population) {
        std::string text = plain;
        return text.replace(text.find(Small), Small.size(), population);
    };
    const struct {
        std::string name;        // the population's file in the lesson's folder
        std::string lessonText;  // the lesson
        std::vector<std::string> before;
    } cases[] = {
        {"-small.pop", named("-small.pop"), {}},
        {"-small.pop", named("-small.pop"), {"-n", "4", "--"}},
        {" small.pop", named("\" small.pop\""), {}},
        {"small.pop", named("/no/such/folder/small.pop"), {}},
        {"small.pop", named("D:\\data\\small.pop"), {}},
        {"cr.pop", "\xEF\xBB\xBF" + std::regex_replace(named("cr.pop"), std::regex("\n"), "\r"), {}},
    };
    const std::string expected = RunBatch({"-t", "1", "-n", "4", "-s", "40", "--seed", "5", Small}).out;
    ASSERT_NE(expected, "");
    int number = 0;
    for (const auto& c : cases) {
        const std::string lessonFolder = folder + "/" + std::to_string(++number);
        std::filesystem::create_directory(lessonFolder);
        std::filesystem::copy_file(Small, lessonFolder + "/" + c.name);
        const std::string lesson = lessonFolder + "/class.lesson";
        WriteWhole(lesson, c.lessonText);
        std::vector<std::string> arguments = c.before;
        arguments.push_back(lesson);
        const BatchResult result = RunBatch(arguments);
        EXPECT_EQ(result.status, 0) << c.lessonText << result.err;
        EXPECT_EQ(result.out, expected) << c.lessonText;
    }
    std::filesystem::remove_all(folder);
}

// A lesson without a scale takes the target's minimum and maximum, as the
// options without --scale do.
TEST(BatchLessonTest, ALessonWithoutAScaleTakesTheTargetsRange)
{
    const std::string lesson = TempPath("unscaled.lesson");
    WriteWhole(lesson, LessonOf(Small, "target = 1\nsample-size = 4\nsimulations = 40\n"));
    const nlohmann::json settings = nlohmann::json::parse(RunBatch({"--json", lesson}).out)["settings"];
    EXPECT_EQ(settings["scale_lower"], 7.25);
    EXPECT_EQ(settings["scale_upper"], 30);
}

// Refusals of a lesson name the lesson, never an option the user did not give;
// a huge value is quoted shortened.
TEST(BatchLessonTest, RefusalsNameTheLessonAndQuoteValuesShort)
{
    const std::string csv = TempPath("people.csv");
    WriteWhole(csv, "name,age\nann,30\nbob,40\n");
    const auto lessonOn = [](const std::string& population, const std::string& settings) {
        std::string text = LessonOf(population, settings);
        return text.replace(text.find("= 8 3 "), 6, "= 2 1 ");
    };
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {lessonOn(csv, "columns = height\n"),
         "The lesson's columns do not fit " + csv + ": there is no column 'height'!"},
        {lessonOn(Small, "columns = age\n"),
         "The lesson names columns, but " + Small + " is not a CSV, TSV or TXT file!"},
        {lessonOn(Small, "design = " + std::string(100'000, 'x') + "\n"),
         "Line 4: the line is longer than 8192 characters!"},
    };
    for (const auto& c : cases) {
        const std::string lesson = TempPath("refused.lesson");
        WriteWhole(lesson, c.text);
        const BatchResult result = RunBatch({lesson});
        EXPECT_EQ(result.status, c.text.size() > 1000 ? 1 : 2);
        EXPECT_EQ(result.err.find("--columns"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err.substr(0, 300);
        EXPECT_LT(result.err.size(), 300u);
    }
}

}  // namespace
