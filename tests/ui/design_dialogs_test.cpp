// The stratified, systematic and cluster design dialogs, their menu items, and what
// the other sample dialogs and Begin do under these designs.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "core/allocation.h"
#include "core/cluster_sampling.h"
#include "core/number_format.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "tests/ui/settings_dialog_fixture.h"
#include "ui/cluster_design_dialog.h"
#include "ui/estimator_dialog.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/sampling_design_dialog.h"
#include "ui/settings_commands.h"
#include "ui/stratified_design_dialog.h"
#include "ui/systematic_design_dialog.h"

namespace {

// y 1, 2, 3 in stratum 1 (S_h 1) and 10..50 in stratum 2 (S_h 15.811); var3 has
// an empty stratum, var4 a value beyond 10.
class DesignDialogTest : public SettingsDialogTest {
protected:
    static void ReadStrataPopulation()
    {
        ReadColumns({{1, 2, 3, 10, 20, 30, 40, 50},
                     {1, 1, 1, 2, 2, 2, 2, 2},
                     {1, 1, 3, 3, 3, 3, 3, 3},
                     {1, 2, 3, 4, 5, 6, 7, 11}});
    }

    // y in var1; var2 forms clusters of 3, 2, 2 and 1 units; var3 only one.
    static void ReadClusterPopulation()
    {
        ReadColumns({{1, 2, 3, 10, 20, 30, 40, 50}, {1, 1, 1, 2, 2, 3, 3, 4}, {5, 5, 5, 5, 5, 5, 5, 5}});
        SetTargetVariable(1);
    }
};

QStringList Column(const QTableWidget* table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        texts << table->item(row, column)->text();
    }
    return texts;
}

TEST_F(DesignDialogTest, NewDesignsStandAtTheEndOfTheSampleMenuAfterASeparator)
{
    const QList<QAction*> actions = Forms.Main->Sample1->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_TRUE(actions[actions.size() - 4]->isSeparator());
    EXPECT_EQ(actions[actions.size() - 3]->text(), "Stratified design");
    EXPECT_EQ(actions[actions.size() - 2]->text(), "Systematic design");
    EXPECT_EQ(actions[actions.size() - 1]->text(), "Cluster design");
}

TEST_F(DesignDialogTest, StratifiedDialogTabulatesTheAllocationAndStoresTheDesign)
{
    ReadStrataPopulation();
    SimulationState.estimatorCode = EstimatorRatio;
    EXPECT_TRUE(Drive<TStratifiedDesign>(
        Forms.StratifiedDesign, RunStratifiedDesignCommand, [](TStratifiedDesign& dialog) {
            EXPECT_EQ(dialog.windowTitle(), " Stratified design");
            EXPECT_EQ(dialog.GroupBox3->title(), " Allocation ");
            EXPECT_TRUE(dialog.RadioButton1->isChecked());
            dialog.ComboBox1->setCurrentIndex(1);
            EXPECT_EQ(Column(dialog.Tab, 1), QStringList({"3", "5"}));
            EXPECT_EQ(Column(dialog.Tab, 2), QStringList({"1.000", "15.811"}));
            EXPECT_EQ(Column(dialog.Tab, 3), QStringList({"3", "5"})) << "n = N = 8";
            TypeAndLeave(dialog.Edit1, "3");
            EXPECT_EQ(Column(dialog.Tab, 3), QStringList({"-", "-"})) << "below the minimum 4";
            TypeAndLeave(dialog.Edit1, "6");
            EXPECT_EQ(Column(dialog.Tab, 4), QStringList({"2.000", "30.000"}));
            // Proportional n_h 2 and 4: W_h^2 (1/n_h - 1/N_h) S_h^2 summed, against
            // (1/n - 1/N) S^2 of all eight values.
            const double stratified =
                std::sqrt(9.0 / 64 * (1.0 / 2 - 1.0 / 3) * 1.0 + 25.0 / 64 * (1.0 / 4 - 1.0 / 5) * 250.0);
            const std::vector<double> y = {1, 2, 3, 10, 20, 30, 40, 50};
            const double mean = std::accumulate(y.begin(), y.end(), 0.0) / 8;
            double squares = 0.0;
            for (const double value : y) {
                squares += (value - mean) * (value - mean);
            }
            const double simple = std::sqrt((1.0 / 6 - 1.0 / 8) * squares / 7);
            EXPECT_EQ(dialog.TheoryLabel->text(),
                      QStringLiteral("Standard error: %1\nSimple random sampling: %2\nDesign effect: %3")
                          .arg(stratified, 0, 'f', 3)
                          .arg(simple, 0, 'f', 3)
                          .arg(stratified * stratified / (simple * simple), 0, 'f', 3));
            const struct {
                QRadioButton* button;
                QStringList sizes;
            } allocations[] = {{dialog.RadioButton1, {"2", "4"}},
                               {dialog.RadioButton2, {"3", "3"}},
                               {dialog.RadioButton3, {"2", "4"}}};
            for (const auto& allocation : allocations) {
                allocation.button->click();
                EXPECT_EQ(Column(dialog.Tab, 3), allocation.sizes) << allocation.button->text().toStdString();
            }
            dialog.RadioButton2->click();
            dialog.OKButton->click();
        }));
    EXPECT_EQ(SimulationState.designCode, DesignStratified);
    EXPECT_EQ(SimulationState.auxiliaryVariable, 2);
    EXPECT_EQ(SimulationState.allocationCode, AllocationEqual);
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorDirect);
    EXPECT_EQ(SimulationState.sampleSize, 6);
    EXPECT_EQ(Forms.Main->Label15->text(), "Stratified by var2, equal");
}

// The table follows the choice between the variable's codes, named by a text
// column's labels, and its classes of equal size, named by their values; OK
// stores the classes.
TEST_F(DesignDialogTest, StratifiedDialogCutsAVariableIntoClassesOfEqualSize)
{
    ReadStrataPopulation();
    SimulationState.variableLabels[2] = {"E", "H"};
    EXPECT_TRUE(Drive<TStratifiedDesign>(
        Forms.StratifiedDesign, RunStratifiedDesignCommand, [](TStratifiedDesign& dialog) {
            EXPECT_TRUE(dialog.RadioButton4->isChecked());
            EXPECT_FALSE(dialog.SpinEdit1->isEnabled());
            dialog.ComboBox1->setCurrentIndex(1);
            EXPECT_EQ(Column(dialog.Tab, 0), QStringList({"1 = E", "2 = H"}));
            dialog.ComboBox1->setCurrentIndex(3);
            TypeAndLeave(dialog.Edit1, "8");
            dialog.RadioButton5->click();
            dialog.SpinEdit1->setValue(2);
            EXPECT_EQ(Column(dialog.Tab, 0), QStringList({"1 to 4", "5 to 11"}));
            EXPECT_EQ(Column(dialog.Tab, 1), QStringList({"4", "4"}));
            EXPECT_EQ(Column(dialog.Tab, 4), QStringList({"4.000", "35.000"}));
            dialog.SpinEdit1->setValue(4);
            EXPECT_EQ(Column(dialog.Tab, 0), QStringList({"1 to 2", "3 to 4", "5 to 6", "7 to 11"}));
            EXPECT_EQ(Column(dialog.Tab, 3), QStringList({"2", "2", "2", "2"}));
            dialog.OKButton->click();
        }));
    EXPECT_EQ(SimulationState.auxiliaryVariable, 4);
    EXPECT_EQ(SimulationState.stratumClasses, 4);
    EXPECT_EQ(Forms.Main->Label15->toolTip(), "Stratified by var4 in 4 classes of equal size, proportional");
}

// Long stratum labels leave the numbers in view, a million-unit count fits its
// column, and what is still cut is whole in its cell's tooltip.
TEST_F(DesignDialogTest, TablesOfTheDesignDialogsFitLongValues)
{
    // The cells of a column that show their texts whole: those without a tooltip.
    const auto wholeCells = [](const QTableWidget* table, int column) {
        QStringList whole;
        for (int row = 0; row < table->rowCount(); ++row) {
            const QTableWidgetItem* cell = table->item(row, column);
            const bool fits = table->sizeHintForIndex(table->model()->index(row, column)).width() + 1 <=
                              table->columnWidth(column);
            EXPECT_EQ(cell->toolTip(), fits ? QString() : cell->text()) << cell->text().toStdString();
            whole << (fits ? cell->text() : QStringLiteral("cut"));
        }
        return whole;
    };
    const auto widths = [](const QTableWidget& table) {
        std::vector<int> shown;
        for (int column = 0; column < table.columnCount(); ++column) {
            shown.push_back(table.columnWidth(column));
        }
        return shown;
    };
    ReadStrataPopulation();
    EXPECT_TRUE(Drive<TStratifiedDesign>(
        Forms.StratifiedDesign, RunStratifiedDesignCommand, [&](TStratifiedDesign& dialog) {
            dialog.ComboBox1->setCurrentIndex(1);
            EXPECT_EQ(widths(*dialog.Tab), std::vector<int>({52, 52, 64, 52, 64})) << "the layout's widths";
            dialog.CancelButton->click();
        }));
    SimulationState.variableLabels[2] = {"Municipalities of the northern provinces", "S"};
    EXPECT_TRUE(Drive<TStratifiedDesign>(
        Forms.StratifiedDesign, RunStratifiedDesignCommand, [&](TStratifiedDesign& dialog) {
            dialog.ComboBox1->setCurrentIndex(1);
            const QTableWidget& table = *dialog.Tab;
            EXPECT_EQ(wholeCells(&table, 0), QStringList({"cut", "2 = S"}));
            EXPECT_EQ(wholeCells(&table, 4), QStringList({"2.000", "30.000"}));
            EXPECT_LE(table.columnViewportPosition(4) + table.columnWidth(4), 52 + 52 + 64 + 52 + 64)
                << "the mean column where the layout has it";
            dialog.CancelButton->click();
        }));

    ReadClusterPopulation();
    EXPECT_TRUE(
        Drive<TClusterDesign>(Forms.ClusterDesign, RunClusterDesignCommand, [&](TClusterDesign& dialog) {
            dialog.ComboBox1->setCurrentIndex(1);
            EXPECT_EQ(widths(*dialog.Tab), std::vector<int>({155, 62})) << "the layout's widths";
            dialog.CancelButton->click();
        }));

    // Each of 100,000 units a cluster of its own, every one of them drawn.
    std::vector<double> units(100000);
    std::iota(units.begin(), units.end(), 1.0);
    ReadColumns({units, units});
    SetTargetVariable(1);
    EXPECT_TRUE(
        Drive<TClusterDesign>(Forms.ClusterDesign, RunClusterDesignCommand, [&](TClusterDesign& dialog) {
            dialog.ComboBox1->setCurrentIndex(1);
            dialog.RadioButton1->click();
            dialog.Edit1->setText("100000");
            EXPECT_EQ(wholeCells(dialog.Tab, 1).mid(0, 6),
                      QStringList({"100000", "1", "1.000", "1", "-", "100000.000"}));
            EXPECT_EQ(wholeCells(dialog.Tab, 0).count(QStringLiteral("cut")), 0) << "every heading whole";
            dialog.CancelButton->click();
        }));
}

TEST_F(DesignDialogTest, StratifiedDialogRefusesWithTheStrataMessagesAndStaysOpen)
{
    ReadStrataPopulation();
    const struct {
        int item;
        const char* size;
        const char* message;
    } cases[] = {
        {3, "8", "There are too many strata! (11 of at most 10)"},
        {2, "8", "There are empty strata!"},
        {1, "3", "The sample size is too small for the strata!"},
    };
    for (const auto& c : cases) {
        ReportCollector reports;
        EXPECT_TRUE(Drive<TStratifiedDesign>(
            Forms.StratifiedDesign, RunStratifiedDesignCommand, [&c](TStratifiedDesign& dialog) {
                dialog.ComboBox1->setCurrentIndex(c.item);
                TypeAndLeave(dialog.Edit1, c.size);
                EXPECT_EQ(dialog.TheoryLabel->text(), c.item == 1 ? "" : c.message);
                dialog.OKButton->click();
                EXPECT_TRUE(dialog.isVisible()) << c.message;
                dialog.CancelButton->click();
            }));
        EXPECT_EQ(reports.messages, QStringList(c.message));
        EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
    }
}

TEST_F(DesignDialogTest, SystematicDialogStoresTheOrderOfTheList)
{
    ReadStrataPopulation();
    const struct {
        int item;
        int order;
        QString caption;
    } cases[] = {
        {5, -1, "Systematic, random order"},
        {2, 2, "Systematic, ordered by "},
        {0, 0, "Systematic, file order"},
    };
    for (const auto& c : cases) {
        QString shown;
        EXPECT_TRUE(Drive<TSystematicDesign>(Forms.SystematicDesign, RunSystematicDesignCommand,
                                             [&c, &shown](TSystematicDesign& dialog) {
                                                 EXPECT_EQ(dialog.windowTitle(), " Systematic design");
                                                 ASSERT_EQ(dialog.ComboBox1->count(), 6);
                                                 EXPECT_EQ(dialog.ComboBox1->itemText(0), "File order");
                                                 EXPECT_EQ(dialog.ComboBox1->itemText(5), "Random order");
                                                 dialog.ComboBox1->setCurrentIndex(c.item);
                                                 shown = dialog.ComboBox1->currentText();
                                                 dialog.OKButton->click();
                                             }));
        EXPECT_EQ(SimulationState.designCode, DesignSystematic);
        EXPECT_EQ(SimulationState.systematicOrder, c.order);
        EXPECT_EQ(Forms.Main->Label15->text(), c.order > 0 ? c.caption + shown : c.caption);
    }
}

TEST_F(DesignDialogTest, OtherSampleDialogsUnderTheNewDesigns)
{
    ReadStrataPopulation();
    for (const DesignCode design : {DesignStratified, DesignSystematic}) {
        SimulationState.designCode = design;
        SimulationState.auxiliaryVariable = 2;
        EXPECT_TRUE(Drive<TSelectEstimator>(
            Forms.SelectEstimator, RunEstimatorCommand, [design](TSelectEstimator& dialog) {
                EXPECT_TRUE(dialog.RadioButton1->isEnabled());
                for (QRadioButton* button : {dialog.RadioButton2, dialog.RadioButton3, dialog.RadioButton4}) {
                    EXPECT_EQ(button->isEnabled(), design == DesignSystematic);
                }
                dialog.CancelButton->click();
            }));
        EXPECT_TRUE(Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
            EXPECT_FALSE(dialog.RadioButton1->isChecked());
            EXPECT_FALSE(dialog.RadioButton2->isChecked());
            dialog.OKButton->click();
        }));
        EXPECT_EQ(SimulationState.designCode, design) << "OK without a checked button writes nothing";
    }
    EXPECT_TRUE(Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
        dialog.RadioButton1->click();
        dialog.OKButton->click();
    }));
    EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
}

// The summary against the core's cluster computations for each setting.
TEST_F(DesignDialogTest, ClusterDialogSummarizesTheSettingsShownAndStoresTheDesign)
{
    ReadClusterPopulation();
    const std::vector<double> y = {1, 2, 3, 10, 20, 30, 40, 50};
    const Clusters clusters = FormClusters(std::vector<double>{1, 1, 1, 2, 2, 3, 3, 4});
    double mean = 0.0;
    double variance = 0.0;
    for (const double value : y) {
        mean += value / 8;
    }
    for (const double value : y) {
        variance += (value - mean) * (value - mean) / 7;
    }
    const std::string intraclass = FormatFixed3(*IntraclassCorrelation(clusters, y));
    const auto designEffect = [&](const ClusterDesign& design, const TheoreticalProperties& theory) {
        const double nbar = ExpectedClusterSampleUnits(clusters, design);
        return FormatFixed3(*DesignEffect(theory.stdError * theory.stdError, nbar, 8, variance));
    };
    const struct {
        bool twoStage;
        const char* expectedUnits;
    } settings[] = {{false, "4.000"}, {true, "3.500"}};
    SimulationState.estimatorCode = EstimatorRegression;
    EXPECT_TRUE(
        Drive<TClusterDesign>(Forms.ClusterDesign, RunClusterDesignCommand, [&](TClusterDesign& dialog) {
            EXPECT_EQ(dialog.windowTitle(), " Cluster design");
            dialog.ComboBox1->setCurrentIndex(1);
            dialog.Edit1->setText("2");
            dialog.Edit2->setText("2");
            for (const auto& setting : settings) {
                SCOPED_TRACE(setting.twoStage);
                (setting.twoStage ? dialog.RadioButton2 : dialog.RadioButton1)->click();
                EXPECT_EQ(dialog.Edit2->isEnabled(), setting.twoStage);
                const ClusterDesign design{2, setting.twoStage, 2};
                EXPECT_EQ(Column(dialog.Tab, 1),
                          QStringList({"4", "1", "2.000", "3", QString::fromStdString(intraclass),
                                       setting.expectedUnits,
                                       QString::fromStdString(
                                           designEffect(design, ClusterDirectTheory(clusters, design, y))),
                                       QString::fromStdString(designEffect(
                                           design, ClusterRatioTheory(clusters, design, y, {})))}));
            }
            dialog.OKButton->click();
        }));
    EXPECT_EQ(SimulationState.designCode, DesignTwoStage);
    EXPECT_EQ(SimulationState.clusterVariable, 2);
    EXPECT_EQ(SimulationState.clusterCount, 2);
    EXPECT_EQ(SimulationState.unitsPerCluster, 2);
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorDirect) << "regression is not allowed";
    EXPECT_EQ(Forms.Main->Label15->text(), "Two stages, clusters by var2");
    EXPECT_EQ(Forms.Main->Label13->text(), "2 of 4 clusters, 2 units in each");
}

TEST_F(DesignDialogTest, ClusterDialogRefusesWithTheDesignsMessagesAndStaysOpen)
{
    ReadClusterPopulation();
    const struct {
        int item;
        bool twoStage;
        const char* clusters;
        const char* units;
        const char* message;
    } cases[] = {
        {2, false, "2", "2", "There are fewer than two clusters!"},
        {1, false, "5", "2", "The number of clusters must lie between 2 and 4!"},
        {1, true, "2", "1", "The number of units per cluster must be at least 2!"},
    };
    for (const auto& c : cases) {
        ReportCollector reports;
        EXPECT_TRUE(
            Drive<TClusterDesign>(Forms.ClusterDesign, RunClusterDesignCommand, [&c](TClusterDesign& dialog) {
                dialog.ComboBox1->setCurrentIndex(c.item);
                (c.twoStage ? dialog.RadioButton2 : dialog.RadioButton1)->click();
                dialog.Edit1->setText(c.clusters);
                dialog.Edit2->setText(c.units);
                dialog.OKButton->click();
                EXPECT_TRUE(dialog.isVisible()) << c.message;
                dialog.CancelButton->click();
            }));
        EXPECT_EQ(reports.messages, QStringList(c.message));
        EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
    }
}

TEST_F(DesignDialogTest, EstimatorDialogEnablesWhatTheDesignAllowsAndOffersTheUnitsUnderClusters)
{
    ReadClusterPopulation();
    SimulationState.clusterVariable = 2;
    SimulationState.auxiliaryVariable = 3;
    const struct {
        DesignCode design;
        std::array<bool, 4> enabled;
        QString firstItem;
    } cases[] = {
        {DesignEqualProbabilities, {true, true, true, true}, "var1"},
        {DesignProportionalToSize, {true, false, false, false}, "var1"},
        {DesignCluster, {true, true, false, false}, "Units (mean per unit)"},
        {DesignTwoStage, {true, true, false, false}, "Units (mean per unit)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.design);
        SimulationState.designCode = c.design;
        EXPECT_TRUE(Drive<TSelectEstimator>(
            Forms.SelectEstimator, RunEstimatorCommand, [&c](TSelectEstimator& dialog) {
                const QRadioButton* buttons[] = {dialog.RadioButton1, dialog.RadioButton2,
                                                 dialog.RadioButton3, dialog.RadioButton4};
                for (std::size_t i = 0; i < c.enabled.size(); ++i) {
                    EXPECT_EQ(buttons[i]->isEnabled(), c.enabled[i]) << i;
                }
                EXPECT_EQ(dialog.ComboBox1->itemText(0), c.firstItem);
                EXPECT_EQ(dialog.ComboBox1->currentText(), "var3");
                dialog.CancelButton->click();
            }));
    }
    for (const int item : {2, 0}) {
        EXPECT_TRUE(Drive<TSelectEstimator>(Forms.SelectEstimator, RunEstimatorCommand,
                                            [item](TSelectEstimator& dialog) {
                                                dialog.RadioButton2->click();
                                                dialog.ComboBox1->setCurrentIndex(item);
                                                dialog.OKButton->click();
                                            }));
        EXPECT_EQ(SimulationState.estimatorCode, EstimatorRatio);
        EXPECT_EQ(SimulationState.auxiliaryVariable, item);
    }
    EXPECT_EQ(Forms.Main->Label16->text(), "Ratio (units)");
}

TEST_F(DesignDialogTest, BeginRefusesAStratifiedDesignWhoseSampleSizeWasLowered)
{
    ReadStrataPopulation();
    SimulationState.designCode = DesignStratified;
    SimulationState.auxiliaryVariable = 2;
    SimulationState.sampleSize = 3;
    ReportCollector reports;
    Forms.Main->Startsimulation1->trigger();
    EXPECT_EQ(reports.messages, QStringList("The sample size is too small for the strata!"));
}

}  // namespace
