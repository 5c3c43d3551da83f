// Runs the built tarvek-batch and checks what it prints and how it exits.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

BatchResult RunBatch(const std::vector<std::string>& arguments)
{
    const std::string outPath = TempPath("stdout");
    const std::string errPath = TempPath("stderr");
    std::string command = ShellQuote(TARVEK_BATCH);
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
    EXPECT_EQ(Lines(result.out).back(), "Percentage of correct intervals\t0") << "width 0 never covers";

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

    const std::string path = TempPath("empty.pop");
    WriteWhole(path, "No units\n0 2\nA\nB\n");
    result = RunBatch({"--describe", path});
    std::remove(path.c_str());
    EXPECT_EQ(result.out, "No units\nunits 0\nvariables 2\n1\tA\t-\t-\t-\t-\n2\tB\t-\t-\t-\t-\n");
}

TEST(BatchRefusalTest, SettingsOutsideTheirRanges)
{
    ExpectRefusal({"-n", "1", Small}, "The sample size must be from 2 to 8!");
    ExpectRefusal({"-n", "9", Small}, "The sample size must be from 2 to 8!");
    ExpectRefusal({"-s", "9", Small}, "The number of simulations must be from 10 to 1000!");
    ExpectRefusal({"-s", "1001", Small}, "The number of simulations must be from 10 to 1000!");
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
    EXPECT_EQ(TableValue(result.out, "Percentage of correct intervals"), "0");

    result = RunBatch({"--nonresponse", "1:100:100", Small});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(TableValue(result.out, "Nonresponse"), "Yes, by Income");
}

}  // namespace
