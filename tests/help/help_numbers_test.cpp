// The numbers the help quotes are the program's: the worked example's sample is
// computed by the core, and every simulation a page cites is run again with
// tarvek-batch at the settings the page states. A number with three decimals on
// these pages that no row checks fails as well, so that a page cannot quote a
// number nobody reproduces.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/cluster_sampling.h"
#include "core/estimators.h"
#include "core/number_format.h"
#include "core/ordering.h"
#include "core/population_file.h"
#include "core/random_sampling.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "core/strata.h"
#include "core/systematic_sampling.h"
#include "engine/designs/sampling_design.h"
#include "engine/estimators/estimator.h"
#include "engine/plot_frame.h"
#include "engine/run_engine.h"

namespace {

constexpr const char* TheoryMean = "Mean (theoretical)";
constexpr const char* SimulatedMean = "Mean (simulated)";
constexpr const char* TheorySE = "Standard error (theoretical)";
constexpr const char* SimulatedSE = "Standard error (simulated)";
constexpr const char* Coverage = "Percentage of correct intervals";
constexpr const char* MonteCarloOfMean = "Monte Carlo error of the mean";

// A simulation a page cites: the tarvek-batch options (the ".pop" word names an
// example population) and the rows of the statistics table the page quotes.
struct CitedRun {
    const char* page;
    const char* arguments;
    std::vector<std::pair<const char*, const char*>> rows;
};

const std::vector<CitedRun>& CitedRuns()
{
    static const std::vector<CitedRun> runs = {
        {"worked_example.html", "-t 2 -n 4 classroom.pop", {{TheoryMean, "65.350"}}},
        {"worked_example.html",
         "-n 4 classroom.pop",
         {{TheoryMean, "68.950"}, {SimulatedMean, "69.071"}, {TheorySE, "5.928"}, {SimulatedSE, "6.040"}}},
        {"worked_example.html",
         "-n 4 -e ratio -a 2 classroom.pop",
         {{SimulatedMean, "69.000"}, {TheorySE, "0.812"}, {SimulatedSE, "0.820"}}},
        {"worked_example.html",
         "-n 4 -e regression -a 2 classroom.pop",
         {{SimulatedMean, "69.044"}, {TheorySE, "0.803"}, {SimulatedSE, "1.044"}}},
        {"worked_example.html",
         "-n 10 -e poststrat -a 4 classroom.pop",
         {{SimulatedMean, "68.843"}, {TheorySE, "1.336"}, {SimulatedSE, "1.967"}}},
        {"worked_example.html", "-n 10 classroom.pop", {{TheorySE, "2.964"}}},
        {"worked_example.html",
         "-n 4 -e poststrat -a 4 classroom.pop",
         {{SimulatedMean, "57.690"}, {TheorySE, "2.883"}, {SimulatedSE, "12.916"}}},
        {"worked_example.html",
         "-n 6 -e poststrat -a 4 classroom.pop",
         {{SimulatedMean, "65.273"}, {SimulatedSE, "8.820"}}},
        {"worked_example.html", "-n 4 -e ratio -a 5 classroom.pop", {{TheorySE, "18.655"}}},
        {"worked_example.html",
         "-n 4 -e regression -a 5 classroom.pop",
         {{TheorySE, "5.659"}, {SimulatedSE, "7.790"}}},
        {"theory_simulation.html",
         "-n 20 -e poststrat -a 4 classroom.pop",
         {{TheorySE, "0.360"}, {SimulatedSE, "0.000"}}},
        {"theory_simulation.html",
         "-n 4 -e regression -a 2 classroom.pop",
         {{TheorySE, "0.803"}, {SimulatedSE, "1.044"}}},
        {"theory_simulation.html",
         "-n 10 -e ratio -a 2 mu284.pop",
         {{TheorySE, "1.176"}, {SimulatedSE, "0.987"}}},
        {"designs_example.html",
         "-d stratified -a 4 --allocation proportional -n 12 classroom.pop",
         {{TheoryMean, "68.950"}, {TheorySE, "0.908"}}},
        {"designs_example.html", "-n 12 classroom.pop", {{TheorySE, "2.420"}}},
        {"designs.html", "-d stratified -a 3 --allocation optimal -n 25 schools.pop", {{TheorySE, "25.342"}}},
        {"designs_example.html", "-n 10 classroom.pop", {{TheorySE, "2.964"}}},
        {"designs_example.html",
         "-d systematic -n 10 --intervals classroom.pop",
         {{TheorySE, "10.950"}, {Coverage, "0"}}},
        {"designs_example.html",
         "-d systematic --order 2 -n 10 --intervals classroom.pop",
         {{TheorySE, "0.350"}, {Coverage, "100"}}},
        {"interval_window.html", "-n 4 --intervals classroom.pop", {{Coverage, "85"}}},
        {"interval_window.html", "-n 4 --intervals -e regression -a 2 classroom.pop", {{Coverage, "70"}}},
        {"interval_window.html", "-n 10 --intervals -e regression -a 2 classroom.pop", {{Coverage, "86"}}},
        {"interval_window.html", "-n 4 --intervals -e poststrat -a 4 classroom.pop", {{Coverage, "0"}}},
        {"nonresponse.html",
         "-n 10 --nonresponse 3:80:10 classroom.pop",
         {{TheoryMean, "68.950"}, {SimulatedMean, "74.267"}}},
        {"nonresponse.html",
         "-d cluster --cluster-variable 10 --clusters 5 --nonresponse 1:80:80 -s 100000 --mc-error mu284.pop",
         {{TheoryMean, "29.363"}, {SimulatedMean, "29.828"}, {MonteCarloOfMean, "0.061"}}},
        {"cluster_sampling.html",
         "-d cluster --cluster-variable 10 --clusters 5 --nonresponse 1:80:80 -s 100000 --mc-error mu284.pop",
         {{SimulatedMean, "29.828"}, {MonteCarloOfMean, "0.061"}}},
        {"designs.html", "-n 5 classroom.pop", {{TheorySE, "5.134"}}},
        {"nonresponse.html",
         "-n 10 --nonresponse 3:80:10 -e ratio -a 2 classroom.pop",
         {{SimulatedMean, "68.955"}}},
        {"nonresponse.html",
         "-n 10 --nonresponse 3:80:10 -e regression -a 2 classroom.pop",
         {{SimulatedMean, "69.108"}}},
        // The page says in words that the theory is not defined here.
        {"nonresponse.html",
         "-n 10 --nonresponse 3:80:10 -e poststrat -a 3 classroom.pop",
         {{SimulatedMean, "40.006"}, {TheorySE, "-"}}},
    };
    return runs;
}

// The worked example's one sample under one estimator: the numbers the page
// computes by hand ("" where it quotes none, "-" where it says none exists).
struct HandEstimate {
    int target;
    EstimatorCode estimator;
    int auxiliary;
    const char* estimate;
    const char* standardError;
    const char* intervalLower;
    const char* intervalUpper;
};

constexpr HandEstimate HandEstimates[] = {
    {1, EstimatorDirect, 0, "68.000", "5.550", "57.122", "78.878"},
    {2, EstimatorDirect, 0, "64.500", "", "", ""},  // the sample mean of Last mark
    {1, EstimatorRatio, 2, "68.896", "1.008", "", ""},
    {1, EstimatorRegression, 2, "68.835", "0.926", "", ""},
    {1, EstimatorPostStratified, 4, "68.450", "-", "", ""},
};

QString Page(const QString& name)
{
    QFile page(QStringLiteral(TARVEK_HELP_SOURCE_FOLDER "/") + name);
    EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromLatin1(page.readAll());
}

// Whether `text` stands on the page as a number of its own, not as part of a
// longer one.
bool Quotes(const QString& page, const QString& text)
{
    const QRegularExpression number(
        QStringLiteral(R"((?<![\d.])%1(?![\d]))").arg(QRegularExpression::escape(text)));
    return number.match(page).hasMatch();
}

// The statistics table rows print a percentage without its sign.
QString AsQuoted(const QString& row, const QString& value)
{
    return row == QLatin1String(Coverage) ? value + QLatin1Char('%') : value;
}

QSet<QString> ThreeDecimalNumbers(const QString& page)
{
    static const QRegularExpression number(QStringLiteral(R"((?<![\d.])\d+\.\d{3}(?!\d))"));
    QSet<QString> numbers;
    for (auto it = number.globalMatch(page); it.hasNext();) {
        numbers.insert(it.next().captured());
    }
    return numbers;
}

// Runs tarvek-batch as a fresh program start, so the run is the first of a
// session, and returns its standard output.
QString BatchOutput(const QString& arguments)
{
    QStringList words = arguments.split(QLatin1Char(' '));
    for (QString& word : words) {
        if (word.endsWith(QLatin1String(".pop"))) {
            word = QStringLiteral(TARVEK_EXAMPLES_FOLDER "/") + word;
        }
    }
    QProcess batch;
    batch.start(QStringLiteral(TARVEK_BATCH), words);
    EXPECT_TRUE(batch.waitForFinished(60000)) << arguments.toStdString();
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    return QString::fromLatin1(batch.readAllStandardOutput());
}

// The values of one row in every statistics table of a run of tarvek-batch, in order.
std::vector<QString> RowValues(const QString& arguments, const QString& row)
{
    std::vector<QString> values;
    for (const QString& line : BatchOutput(arguments).split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() == 2 && cells[0] == row) {
            values.push_back(cells[1]);
        }
    }
    return values;
}

// The statistics table of a single run by row label.
std::map<QString, QString> StatisticsTable(const QString& arguments)
{
    std::map<QString, QString> table;
    for (const QString& line : BatchOutput(arguments).split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() == 2) {
            table[cells[0]] = cells[1];
        }
    }
    return table;
}

// The pupils of the worked example's sample, as the page lists them.
std::vector<int> WorkedSample(const QString& page)
{
    static const QRegularExpression pupils(
        QStringLiteral(R"(holds\s+pupils\s+(\d+),\s+(\d+),\s+(\d+)\s+and\s+(\d+))"));
    const QRegularExpressionMatch match = pupils.match(page);
    EXPECT_TRUE(match.hasMatch());
    std::vector<int> units;
    for (int i = 1; i <= match.lastCapturedIndex(); ++i) {
        units.push_back(match.captured(i).toInt());
    }
    return units;
}

// The numbers the core computes for `row` on the sample `units`: estimate,
// standard error, interval ends, each formatted as the program shows it.
std::vector<std::string> ComputeOnSample(const HandEstimate& row, const std::vector<int>& units)
{
    SetTargetVariable(row.target);
    SimulationState.estimatorCode = row.estimator;
    SimulationState.auxiliaryVariable = row.auxiliary;
    SimulationState.designCode = DesignEqualProbabilities;
    SimulationState.confidenceIntervalMode = true;
    EXPECT_EQ(CheckPostStrata(), "");
    PrepareAuxiliaryQuantities();
    SimulationState.sampleSize = static_cast<int>(units.size());
    SimulationState.respondentCount = SimulationState.sampleSize;
    for (std::size_t j = 0; j < units.size(); ++j) {
        SimulationState.sampleUnits[j + 1] = units[j];
    }
    ComputeEstimate();
    EXPECT_TRUE(SimulationState.estimateValid);
    const double estimate = SimulationState.estimate;
    const double se = SimulationState.standardError;
    const bool available = se >= 0.0;
    return {FormatFixed3(estimate), FormatFixed3Or(se, available),
            FormatFixed3Or(estimate - 1.96 * se, available), FormatFixed3Or(estimate + 1.96 * se, available)};
}

// How many estimates one class of the histogram holds at compression 1.
int ClassCapacityUncompressed()
{
    const PlotFrame frame = PrepareDistributionFrame(RunScale{0.0, 1.0, 1.0}, 0.5);
    const std::int32_t unit = BarUnit(frame.stepHeight, 1);
    ClearHistogramCounts(SimulationState.histogramCounts);
    int held = 0;
    while (held <= MaxSamples && AddToHistogram(SimulationState.histogramCounts, 1, unit, frame)) {
        ++held;
    }
    return held;
}

// The numbers verified on each page, by page name.
using CheckedNumbers = std::map<QString, QSet<QString>>;

// Records `value` as verified for `pageName` and expects the page to quote it
// ("-", not available, is said in words).
void ExpectQuoted(CheckedNumbers& checked, const QString& pageName, const QString& page, const QString& value,
                  const QString& quotedForm)
{
    checked[pageName].insert(value);
    if (value != QLatin1String("-")) {
        EXPECT_TRUE(Quotes(page, quotedForm))
            << pageName.toStdString() << " does not quote " << quotedForm.toStdString();
    }
}

void CheckCitedRun(const CitedRun& run, CheckedNumbers& checked)
{
    SCOPED_TRACE(std::string(run.page) + ": " + run.arguments);
    const QString page = Page(QLatin1String(run.page));
    const std::map<QString, QString> table = StatisticsTable(QLatin1String(run.arguments));
    for (const auto& [row, value] : run.rows) {
        const auto found = table.find(QLatin1String(row));
        ASSERT_NE(found, table.end()) << row;
        EXPECT_EQ(found->second.toStdString(), value) << row;
        ExpectQuoted(checked, QLatin1String(run.page), page, QLatin1String(value),
                     AsQuoted(QLatin1String(row), QLatin1String(value)));
    }
}

void CheckHandEstimates(CheckedNumbers& checked)
{
    const QString pageName = QStringLiteral("worked_example.html");
    const QString page = Page(pageName);
    SimulationState.populationName = TARVEK_EXAMPLES_FOLDER "/classroom.pop";
    ASSERT_NO_THROW(ReadPopulation());
    const std::vector<int> sample = WorkedSample(page);
    for (const HandEstimate& row : HandEstimates) {
        SCOPED_TRACE(row.estimate);
        const std::vector<std::string> computed = ComputeOnSample(row, sample);
        const char* quoted[] = {row.estimate, row.standardError, row.intervalLower, row.intervalUpper};
        for (std::size_t i = 0; i < computed.size(); ++i) {
            if (*quoted[i] != '\0') {
                EXPECT_EQ(computed[i], quoted[i]);
                ExpectQuoted(checked, pageName, page, QLatin1String(quoted[i]), QLatin1String(quoted[i]));
            }
        }
    }
    static const QRegularExpression capacity(
        QStringLiteral(R"(class\s+holds\s+at\s+most\s+(\d+)\s+estimates)"));
    EXPECT_EQ(capacity.match(page).captured(1).toInt(), ClassCapacityUncompressed());
}

// The example of the stratified and systematic designs: the mean and S_h of Mark
// in each set, and the means of the two systematic samples of ten pupils.
void CheckDesignsExample(CheckedNumbers& checked)
{
    const QString pageName = QStringLiteral("designs_example.html");
    const QString page = Page(pageName);
    SimulationState.populationName = TARVEK_EXAMPLES_FOLDER "/classroom.pop";
    ASSERT_NO_THROW(ReadPopulation());
    constexpr int Set = 4;
    const StrataCheck check = FormStrata(Set);
    ASSERT_EQ(check.refusal, "");
    const StratumValues variances = StratumVariances(check.strata, Set, 1);
    for (int h = 1; h <= check.strata.count; ++h) {
        double sum = 0.0;
        for (int i = 1; i <= SimulationState.unitCount; ++i) {
            sum += UnitValue(i, Set) == h ? UnitValue(i, 1) : 0.0;
        }
        for (const std::string& number :
             {FormatFixed3(sum / check.strata.sizes[h]), FormatFixed3(std::sqrt(variances[h]))}) {
            ExpectQuoted(checked, pageName, page, QString::fromStdString(number),
                         QString::fromStdString(number));
        }
    }
    // Starts u = 0.0000000005 and u = 1.5 (the seeds give the fractions 2.3e-10 and 0.75).
    SimulationState.sampleSize = 10;
    for (const std::uint32_t seed : {0u, 3870316339u}) {
        RandomGenerator.seed = seed;
        DrawSampleSystematic(SystematicOrder(0));
        ComputeEstimate();
        const QString mean = QString::fromStdString(FormatFixed3(SimulationState.estimate));
        ExpectQuoted(checked, pageName, page, mean, mean);
    }
}

// The cluster example on mu284: the clusters of variable 10, the intraclass
// correlation of Population 1985, and under one stage with m = 5 the theoretical
// mean, standard error and design effect of the direct estimator and the mean
// per unit.
void CheckClusterExample(CheckedNumbers& checked)
{
    const QString pageName = QStringLiteral("cluster_sampling.html");
    const QString page = Page(pageName);
    SimulationState.populationName = TARVEK_EXAMPLES_FOLDER "/mu284.pop";
    ASSERT_NO_THROW(ReadPopulation());
    constexpr int ClusterVariable = 10;
    SetTargetVariable(1);
    TSimulationState& s = SimulationState;
    s.designCode = DesignCluster;
    s.clusterVariable = ClusterVariable;
    s.clusterCount = 5;
    s.auxiliaryVariable = 0;
    const Clusters clusters = FormClusters(VariableValues(ClusterVariable));
    const ClusterSummary summary = SummarizeClusters(clusters, {s.clusterCount, false, 0});
    std::vector<std::string> numbers = {FormatFixed3(summary.meanSize), FormatFixed3(summary.expectedUnits),
                                        FormatFixed3(*IntraclassCorrelation(clusters, VariableValues(1)))};
    for (const EstimatorCode estimator : {EstimatorDirect, EstimatorRatio}) {
        s.estimatorCode = estimator;
        ComputeDesignTheory();
        ASSERT_TRUE(s.theoreticalMeanAvailable && s.theoreticalStdErrorAvailable);
        numbers.push_back(FormatFixed3(s.theoreticalMean));
        numbers.push_back(FormatFixed3(s.theoreticalStdError));
        numbers.push_back(FormatFixed3(*TheoreticalDesignEffect(RecordDesignChoice(), estimator, 0)));
    }
    for (const std::string& number : numbers) {
        ExpectQuoted(checked, pageName, page, QString::fromStdString(number), QString::fromStdString(number));
    }
}

// Systematic sampling in random order over 100 runs: the smallest and largest
// theoretical standard error of the runs, their common theoretical mean, and the
// root of the mean of their squares, which the page sets beside equal probabilities.
void CheckRandomOrderRuns(CheckedNumbers& checked)
{
    const QString pageName = QStringLiteral("designs.html");
    const QString page = Page(pageName);
    const QString arguments = QStringLiteral("-d systematic --order random -n 5 --runs 100 classroom.pop");
    std::vector<double> errors;
    for (const QString& value : RowValues(arguments, QLatin1String(TheorySE))) {
        errors.push_back(value.toDouble());
    }
    ASSERT_EQ(errors.size(), 100u);
    double squares = 0.0;
    for (const double error : errors) {
        squares += error * error;
    }
    const std::vector<QString> means = RowValues(arguments, QLatin1String(TheoryMean));
    ASSERT_FALSE(means.empty());
    EXPECT_EQ(std::set<QString>(means.begin(), means.end()).size(), 1u) << "one theoretical mean, Ybar";
    for (const QString& number :
         {QString::number(*std::min_element(errors.begin(), errors.end()), 'f', 3),
          QString::number(*std::max_element(errors.begin(), errors.end()), 'f', 3),
          QString::number(std::sqrt(squares / errors.size()), 'f', 3), means.front()}) {
        ExpectQuoted(checked, pageName, page, number, number);
    }
}

TEST(HelpNumbers, EveryNumberThePagesQuoteIsWhatTheProgramGives)
{
    CheckedNumbers checked;
    for (const CitedRun& run : CitedRuns()) {
        CheckCitedRun(run, checked);
    }
    CheckHandEstimates(checked);
    CheckDesignsExample(checked);
    CheckClusterExample(checked);
    CheckRandomOrderRuns(checked);
    for (const auto& [pageName, numbers] : checked) {
        for (const QString& number : ThreeDecimalNumbers(Page(pageName))) {
            EXPECT_TRUE(numbers.contains(number))
                << pageName.toStdString() << " quotes " << number.toStdString() << ", which no row checks";
        }
    }
}

}  // namespace
