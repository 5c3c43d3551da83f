#include "ui/comparison_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "core/allocation.h"
#include "core/number_format.h"
#include "core/simulation_state.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/window_test_setup.h"
#include "ui/error_message.h"
#include "ui/export_dialogs.h"

namespace {

class ComparisonWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_test::ReadExamplePopulation("classroom.pop");
        SimulationState.sampleSize = 6;
        SimulationState.simulationCount = 50;
    }

    QStringList ListedVariants() const
    {
        QStringList texts;
        for (int row = 0; row < window.VariantList->count(); ++row) {
            texts << window.VariantList->item(row)->text();
        }
        return texts;
    }

    /// Types `fileName` into the next save dialog and confirms it.
    static void ChooseFileOnNextModal(const QString& fileName)
    {
        testing_support::OnNextModal([fileName](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(fileName);
            static_cast<QDialog*>(dialog)->accept();
        });
    }

    testing_support::ModalWatchdog watchdog;
    TComparison window;
};

TEST_F(ComparisonWindowTest, StartsWithTheCurrentDesignAndEveryEstimatorItAllows)
{
    struct Case {
        DesignCode design;
        int auxiliary;
        QStringList expected;
        std::int32_t estimator = EstimatorDirect;  ///< in force
        QString auxiliaryShown{};                  ///< by the editor for the first variant, if given
    };
    // Classroom: 1 Mark, 2 Last mark, 3 Homework, 4 Set (strata 1..4), 5 Travel.
    const std::vector<Case> cases = {
        {DesignEqualProbabilities,
         4,
         {"Equal / Direct", "Equal / Ratio (Set)", "Equal / Regression (Set)",
          "Equal / Post-stratification (Set)"}},
        {DesignEqualProbabilities,
         2,
         {"Equal / Direct", "Equal / Ratio (Last mark)", "Equal / Regression (Last mark)"}},
        {DesignEqualProbabilities, 0, {"Equal / Direct"}},
        {DesignProportionalToSize, 2, {"Proportional to Last mark / Direct"}},
        {DesignStratified, 4, {"Stratified by Set, optimal / Direct"}},
        {DesignSystematic,
         2,
         {"Systematic, ordered by Homework / Direct", "Systematic, ordered by Homework / Ratio (Last mark)",
          "Systematic, ordered by Homework / Regression (Last mark)"}},
        // The estimator in force comes first, the units where the design offers them.
        {DesignTwoStage,
         0,
         {"Two stages, clusters by Set, 2 of 3 clusters, 3 units in each / Ratio (units)",
          "Two stages, clusters by Set, 2 of 3 clusters, 3 units in each / Direct"},
         EstimatorRatio,
         "Units (mean per unit)"},
        {DesignEqualProbabilities,
         2,
         {"Equal / Regression (Last mark)", "Equal / Direct", "Equal / Ratio (Last mark)"},
         EstimatorRegression,
         "Last mark"},
        {DesignCluster,
         2,
         {"Clusters by Set, 2 of 3 clusters / Direct",
          "Clusters by Set, 2 of 3 clusters / Ratio (Last mark)"},
         EstimatorDirect,
         "Last mark"},
    };
    SimulationState.allocationCode = 2;
    SimulationState.systematicOrder = 3;
    SimulationState.clusterVariable = 4;
    SimulationState.clusterCount = 2;
    SimulationState.unitsPerCluster = 3;
    for (const Case& c : cases) {
        SimulationState.designCode = c.design;
        SimulationState.auxiliaryVariable = c.auxiliary;
        SimulationState.estimatorCode = c.estimator;
        window.StartFromSettings();
        EXPECT_EQ(ListedVariants().join(QLatin1Char('|')).toStdString(),
                  c.expected.join(QLatin1Char('|')).toStdString());
        EXPECT_EQ(window.ResultTable->rowCount(), c.expected.size());
        if (!c.auxiliaryShown.isEmpty()) {
            EXPECT_EQ(window.AuxiliaryList->currentText().toStdString(), c.auxiliaryShown.toStdString());
        }
    }
}

TEST_F(ComparisonWindowTest, RunFillsTheTableAndLeavesTheSettingsAlone)
{
    SimulationState.auxiliaryVariable = 2;
    SimulationState.estimates[1] = 77.0;
    window.StartFromSettings();
    window.SampleCount->setValue(40);
    window.IntervalsBox->setChecked(true);
    const TSimulationState before = SimulationState;
    window.RunButtonClick();

    ASSERT_TRUE(window.result().has_value());
    const ComparisonResult& result = *window.result();
    EXPECT_EQ(result.tallies[0].acceptedSamples, 40) << "the window's number of samples";
    for (const auto& [field, same] : std::vector<std::pair<const char*, bool>>{
             {"estimator", SimulationState.estimatorCode == before.estimatorCode},
             {"design", SimulationState.designCode == before.designCode},
             {"auxiliary", SimulationState.auxiliaryVariable == before.auxiliaryVariable},
             {"simulations", SimulationState.simulationCount == before.simulationCount},
             {"intervals", SimulationState.confidenceIntervalMode == before.confidenceIntervalMode},
             {"estimates", SimulationState.estimates == before.estimates},
             {"mean", SimulationState.auxiliaryMean == before.auxiliaryMean}}) {
        EXPECT_TRUE(same) << field;
    }

    EXPECT_EQ(window.ResultInfo->text(), QStringLiteral("Population mean: ") +
                                             QString::fromStdString(FormatFixed3(result.populationMean)));
    EXPECT_GT(window.ResultTable->y(), window.ResultInfo->geometry().bottom()) << "the table below the mean";
    // The fields of tarvek-batch, with the relative efficiency as the theory
    // expects it (a ratio of variances) beside the simulated one and its error.
    ASSERT_EQ(window.ResultTable->columnCount(), 14);
    EXPECT_EQ(window.ResultTable->horizontalHeaderItem(7)->text(),
              QStringLiteral("Relative efficiency\n(theoretical)"));
    const auto fixed3 = [](double value) { return QString::fromStdString(FormatFixed3(value)); };
    for (int row = 0; row < 3; ++row) {
        QStringList shown;
        for (int column = 1; column < 14; ++column) {
            shown << window.ResultTable->item(row, column)->text();
        }
        const VariantSummary& summary = result.summaries[row];
        QStringList expected;
        for (const std::string& field : SummaryFields(summary, true)) {
            expected << QString::fromStdString(field);
        }
        const double referenceError = *result.summaries[0].theoreticalStdError;
        const double error = *summary.theoreticalStdError;
        expected[6] = fixed3(*summary.relativeEfficiency) + QStringLiteral(" \u00b1 ") +
                      fixed3(*summary.relativeEfficiencyMcError);
        expected.insert(6, fixed3(referenceError * referenceError / (error * error)));
        EXPECT_EQ(shown, expected) << row;
    }
    EXPECT_EQ(window.ResultTable->item(0, 7)->text(), QStringLiteral("1.000"));

    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QApplication::clipboard()->clear();
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5) << "headings, three variants, a final line end";
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Variant\tMean (theoretical)\t")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Equal / Ratio (Last mark)\t") +
                                    QString::fromStdString(SummaryFields(result.summaries[1], true)[0])));
    EXPECT_EQ(lines[3].count(QLatin1Char('\t')), 13);
    EXPECT_EQ(
        TableAsCsv(window.ResultTable, true).split(QLatin1Char('\n'))[2].section(QLatin1Char(','), 0, 0),
        QStringLiteral("Equal / Ratio (Last mark)"));
}

TEST_F(ComparisonWindowTest, TheEditorRefusesWhatTheSettingsDialogsRefuse)
{
    // Unit 1 of the population gets a size of 0; strata of Travel do not exist.
    SimulationState.populationData[1][5] = 0.0;
    SimulationState.auxiliaryVariable = 2;
    window.StartFromSettings();
    const QStringList start = ListedVariants();
    // Designs in the list: equal, stratified, systematic, proportional to size.
    struct Case {
        int design;
        int designVariable;
        int estimator;
        int auxiliary;
        QString message;  ///< empty: added
    };
    const std::vector<Case> cases = {
        {3, 5, 0, 1, "Values of auxiliary variable must be positive!"},
        {0, 1, 3, 5, "There are too many strata!"},
        {1, 5, 0, 1, "There are too many strata!"},
        {1, 4, 0, 1, "The sample size is too small for the strata!"},
        {3, 3, 2, 4, ""},
        {0, 1, 1, 3, ""},
    };
    SimulationState.sampleSize = 5;
    for (const Case& c : cases) {
        window.DesignList->setCurrentIndex(c.design);
        window.DesignVariableList->setCurrentIndex(c.designVariable - 1);
        window.EstimatorList->setCurrentIndex(c.estimator);
        window.AuxiliaryList->setCurrentIndex(c.auxiliary - 1);
        QString shown;
        if (!c.message.isEmpty()) {
            testing_support::OnNextModal([&shown](QWidget* modal) {
                auto* error = dynamic_cast<TErrorMessage*>(modal);
                ASSERT_NE(error, nullptr);
                shown = error->Label2->text();
                error->OKButtonClick();
            });
        }
        const int before = window.VariantList->count();
        window.AddButtonClick();
        EXPECT_EQ(shown, c.message);
        EXPECT_EQ(window.VariantList->count(), before + (c.message.isEmpty() ? 1 : 0));
    }
    EXPECT_EQ(ListedVariants().mid(start.size()).join(QLatin1Char('|')).toStdString(),
              "Proportional to Homework / Direct|Equal / Ratio (Homework)")
        << "the size-proportional design takes the direct estimator only";
    for (const int design : {1, 3}) {
        window.EstimatorList->setCurrentIndex(2);
        window.DesignList->setCurrentIndex(design);
        EXPECT_EQ(window.EstimatorList->currentIndex(), 0) << "only the direct estimator";
        EXPECT_FALSE(window.EstimatorList->isEnabled());
    }

    window.VariantList->setCurrentRow(0);
    window.RemoveButtonClick();
    ASSERT_EQ(start.size(), 3);
    EXPECT_EQ(ListedVariants().front().toStdString(), start[1].toStdString());
}

TEST_F(ComparisonWindowTest, ClusterDesignsAreEditedRunAndStartedFromTheSettings)
{
    // Set (variable 4) forms 3 clusters of the 20 pupils; auxiliary 0 is the units.
    struct Case {
        DesignCode design;
        int clusters;
        int units;
        int estimator;
        int auxiliary;
        QString shown;  ///< the variant's caption, or the refusal's message
        bool added;
    };
    const std::vector<Case> cases = {
        {DesignCluster, 2, 0, EstimatorDirect, 0, "Clusters by Set, 2 of 3 clusters / Direct", true},
        {DesignTwoStage, 2, 3, EstimatorRatio, 0,
         "Two stages, clusters by Set, 2 of 3 clusters, 3 units in each / Ratio (units)", true},
        {DesignTwoStage, 2, 3, EstimatorRatio, 2,
         "Two stages, clusters by Set, 2 of 3 clusters, 3 units in each / Ratio (Last mark)", true},
        {DesignCluster, 5, 0, EstimatorDirect, 0, "The number of clusters must lie between 2 and 3!", false},
    };
    window.StartFromSettings();
    const int start = window.VariantList->count();
    for (const Case& c : cases) {
        window.DesignList->setCurrentIndex(window.DesignList->findData(c.design));
        window.DesignVariableList->setCurrentIndex(4 - 1);
        window.ClusterCount->setValue(c.clusters);
        window.UnitCount->setValue(c.units);
        window.EstimatorList->setCurrentIndex(c.estimator - EstimatorDirect);
        window.AuxiliaryList->setCurrentIndex(c.auxiliary);
        EXPECT_EQ(window.AuxiliaryList->itemText(0), QStringLiteral("Units (mean per unit)"));
        QString refusal;
        if (!c.added) {
            testing_support::OnNextModal([&refusal](QWidget* modal) {
                auto* error = dynamic_cast<TErrorMessage*>(modal);
                ASSERT_NE(error, nullptr);
                refusal = error->Label2->text();
                error->OKButtonClick();
            });
        }
        window.AddButtonClick();
        EXPECT_EQ((c.added ? window.VariantList->currentItem()->text() : refusal).toStdString(),
                  c.shown.toStdString());
    }
    window.RunButtonClick();
    ASSERT_TRUE(window.result().has_value());
    for (int row = start; row < window.ResultTable->rowCount(); ++row) {
        EXPECT_EQ(window.ResultTable->item(row, 0)->text(), cases[row - start].shown);
        EXPECT_FALSE(window.result()->tallies[row].estimates.empty()) << row;
    }
    ASSERT_EQ(window.ResultTable->rowCount(), start + 3);

    // Each variant of the settings, shown in the editor and added, comes back equal.
    SimulationState.designCode = DesignTwoStage;
    SimulationState.clusterVariable = 4;
    SimulationState.clusterCount = 3;
    SimulationState.unitsPerCluster = 2;
    SimulationState.auxiliaryVariable = 2;
    window.StartFromSettings();
    const std::vector<ComparisonVariant> started = window.variants();
    ASSERT_EQ(started.size(), 2U);
    for (std::size_t row = 0; row < started.size(); ++row) {
        window.VariantList->setCurrentRow(static_cast<int>(row));
        window.AddButtonClick();
        const ComparisonVariant& added = window.variants().back();
        EXPECT_EQ(added.design, started[row].design) << row;
        EXPECT_EQ(VariantText(added), VariantText(started[row]));
    }
}

TEST_F(ComparisonWindowTest, VariantsThatDifferOnlyInTheirCountsReadApart)
{
    struct Case {
        DesignCode design;
        int variable;  ///< Set (4) forms 3 clusters; Last mark (2) is cut into classes
        int count;     ///< m, or H
        int units;     ///< k
    };
    const std::vector<Case> cases = {
        {DesignTwoStage, 4, 2, 3},   {DesignTwoStage, 4, 3, 3}, {DesignTwoStage, 4, 2, 2},
        {DesignCluster, 4, 2, 0},    {DesignCluster, 4, 3, 0},  {DesignStratified, 2, 2, 0},
        {DesignStratified, 2, 3, 0},
    };
    window.StartFromSettings();
    window.RemoveButtonClick();
    for (const Case& c : cases) {
        window.DesignList->setCurrentIndex(window.DesignList->findData(c.design));
        window.DesignVariableList->setCurrentIndex(c.variable - 1);
        (c.design == DesignStratified ? window.ClassCount : window.ClusterCount)->setValue(c.count);
        window.UnitCount->setValue(c.units);
        window.AddButtonClick();
    }
    const QStringList listed = ListedVariants();
    ASSERT_EQ(listed.size(), static_cast<qsizetype>(cases.size()));
    EXPECT_EQ(listed[2].toStdString(),
              "Two stages, clusters by Set, 2 of 3 clusters, 2 units in each / Direct");
    EXPECT_EQ(listed[4].toStdString(), "Clusters by Set, 3 of 3 clusters / Direct");
    EXPECT_EQ(listed[6].toStdString(),
              "Stratified by Last mark in 3 classes of equal size, proportional / Direct");
    for (int row = 0; row < listed.size(); ++row) {
        EXPECT_EQ(listed.count(listed[row]), 1) << listed[row].toStdString();
        EXPECT_EQ(window.ResultTable->item(row, 0)->text(), listed[row]);
    }
}

// A field under the wheel changes only once it has the focus; otherwise the
// wheel is left to the scrolled contents.
TEST_F(ComparisonWindowTest, TheWheelChangesAFieldOnlyWithTheFocus)
{
    window.StartFromSettings();
    window.DesignList->setCurrentIndex(window.DesignList->findData(DesignTwoStage));
    window.DesignVariableList->setCurrentIndex(2);
    window.ClusterCount->setValue(2);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const std::vector<std::pair<QWidget*, std::function<int()>>> fields = {
        {window.DesignVariableList, [this] { return window.DesignVariableList->currentIndex(); }},
        {window.ClusterCount, [this] { return window.ClusterCount->value(); }},
        {window.SampleCount, [this] { return window.SampleCount->value(); }},
    };
    for (const auto& [field, value] : fields) {
        const std::string name = field->objectName().toStdString();
        const auto turn = [field] {
            QWheelEvent wheel(QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(field, &wheel);
        };
        window.VariantList->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.VariantList->hasFocus(); }));
        const int before = value();
        turn();
        EXPECT_EQ(value(), before) << name << " without the focus";
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([field] { return field->hasFocus(); })) << name;
        turn();
        EXPECT_NE(value(), before) << name << " with the focus";
    }
    window.hide();
}

TEST_F(ComparisonWindowTest, StrataInClassesGiveTheNumbersOfTheBatchComparison)
{
    // Strata by Last mark or Homework in classes of equal size, and by the codes of Set.
    struct Case {
        int variable;
        int allocation;
        int classes;
        const char* batch;  ///< the variant as --compare writes it
        QString shown;
    };
    const std::vector<Case> cases = {
        {2, AllocationProportional, 4, "stratified:2:proportional:4/direct",
         "Stratified by Last mark in 4 classes of equal size, proportional / Direct"},
        {3, AllocationOptimal, 2, "stratified:3:optimal:2/direct",
         "Stratified by Homework in 2 classes of equal size, optimal / Direct"},
        {4, AllocationEqual, 0, "stratified:4:equal/direct", "Stratified by Set, equal / Direct"},
    };
    SimulationState.auxiliaryVariable = 0;
    SimulationState.sampleSize = 10;
    window.StartFromSettings();
    QStringList batchVariants = {QStringLiteral("equal/direct")};
    for (const Case& c : cases) {
        window.DesignList->setCurrentIndex(window.DesignList->findData(DesignStratified));
        EXPECT_TRUE(window.ClassCount->isVisibleTo(&window));
        EXPECT_FALSE(window.ClusterCount->isVisibleTo(&window));
        window.DesignVariableList->setCurrentIndex(c.variable - 1);
        window.AllocationList->setCurrentIndex(c.allocation);
        window.ClassCount->setValue(c.classes);
        window.AddButtonClick();
        EXPECT_EQ(window.VariantList->currentItem()->text().toStdString(), c.shown.toStdString());
        batchVariants << QString::fromLatin1(c.batch);
    }
    window.VariantList->setCurrentRow(1);
    EXPECT_EQ(window.ClassCount->value(), 4) << "the editor shows the selected variant's classes";
    window.DesignList->setCurrentIndex(window.DesignList->findData(DesignCluster));
    EXPECT_FALSE(window.ClassCount->isVisibleTo(&window));

    window.SampleCount->setValue(50);
    window.RunButtonClick();
    ASSERT_TRUE(window.result().has_value());
    QProcess batch;
    batch.start(QStringLiteral(TARVEK_BATCH),
                {QStringLiteral(TARVEK_EXAMPLES "/classroom.pop"), QStringLiteral("-n"), QStringLiteral("10"),
                 QStringLiteral("-s"), QStringLiteral("50"), QStringLiteral("--compare"),
                 batchVariants.join(QLatin1Char(','))});
    ASSERT_TRUE(batch.waitForFinished(60000));
    ASSERT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(batch.readAllStandardOutput()).split(QLatin1Char('\n'));
    const qsizetype header = lines.indexOf(QRegularExpression(QStringLiteral("^variant\t.*")));
    ASSERT_GE(header, 0);
    ASSERT_EQ(window.ResultTable->rowCount(), 4);
    QStringList allocations;
    for (int row = 0; row < 4; ++row) {
        // Batch: the means, bias, errors and RMSE, the design effect, the relative
        // efficiency and the samples without an estimate.
        const QStringList fields = lines[header + 1 + row].split(QLatin1Char('\t'));
        QStringList shown;
        for (const int column : {1, 2, 3, 4, 5, 6}) {
            shown << window.ResultTable->item(row, column)->text();
        }
        shown << window.ResultTable->item(row, 8)->text().section(QLatin1Char(' '), 0, 0)
              << window.ResultTable->item(row, 9)->text();
        EXPECT_EQ(shown, fields.mid(1, 6) + fields.mid(8, 2)) << row;
        if (row > 0) {
            allocations << lines
                               .filter(QStringLiteral("Allocation of ") + batchVariants[row] +
                                       QLatin1Char('\t'))
                               .value(0)
                               .section(QLatin1Char('\t'), 1);
        }
    }
    EXPECT_EQ(window.ResultInfo->text().split(QLatin1Char('\n')).mid(1).join(QLatin1Char('|')).toStdString(),
              QStringLiteral("Allocation of %1: %2|Allocation of %3: %4|Allocation of %5: %6")
                  .arg(cases[0].shown, allocations[0], cases[1].shown, allocations[1], cases[2].shown,
                       allocations[2])
                  .toStdString());
}

TEST_F(ComparisonWindowTest, SavedPicturesReadBackInEveryFormat)
{
    SimulationState.auxiliaryVariable = 2;
    window.StartFromSettings();
    window.RunButtonClick();
    const QImage shown = window.RenderBoxPlots();
    EXPECT_EQ(window.PlotLabel->pixmap().toImage().convertToFormat(QImage::Format_RGB32), shown);
    QTemporaryDir folder;

    ChooseFileOnNextModal(folder.filePath(QStringLiteral("boxes")));
    window.SaveButtonClick();
    EXPECT_EQ(QImage(folder.filePath(QStringLiteral("boxes.bmp"))).convertToFormat(QImage::Format_RGB32),
              shown)
        << "BMP is the default";

    ChooseFileOnNextModal(folder.filePath(QStringLiteral("boxes.png")));
    window.SaveButtonClick();
    EXPECT_EQ(QImage(folder.filePath(QStringLiteral("boxes.png"))).convertToFormat(QImage::Format_RGB32),
              shown);

    ChooseFileOnNextModal(folder.filePath(QStringLiteral("boxes.svg")));
    window.SaveButtonClick();
    QSvgRenderer svg(folder.filePath(QStringLiteral("boxes.svg")));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox().size(), shown.size());

    ChooseFileOnNextModal(folder.filePath(QStringLiteral("boxes.pdf")));
    window.SaveButtonClick();
    QFile pdf(folder.filePath(QStringLiteral("boxes.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray contents = pdf.readAll();
    EXPECT_TRUE(contents.startsWith("%PDF-"));
    EXPECT_TRUE(contents.contains("/Count 1"));
}

}  // namespace
