// The stratified and the systematic design dialogs, their menu items, and what
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
#include <QTableWidget>
#include <functional>
#include <memory>

#include "core/allocation.h"
#include "core/simulation_state.h"
#include "tests/ui/settings_dialog_fixture.h"
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
    ASSERT_GE(actions.size(), 3);
    EXPECT_TRUE(actions[actions.size() - 3]->isSeparator());
    EXPECT_EQ(actions[actions.size() - 2]->text(), "Stratified design");
    EXPECT_EQ(actions[actions.size() - 1]->text(), "Systematic design");
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

TEST_F(DesignDialogTest, StratifiedDialogRefusesWithTheStrataMessagesAndStaysOpen)
{
    ReadStrataPopulation();
    const struct {
        int item;
        const char* size;
        const char* message;
    } cases[] = {
        {3, "8", "There are too many strata!"},
        {2, "8", "There are empty strata!"},
        {1, "3", "The sample size is too small for the strata!"},
    };
    for (const auto& c : cases) {
        ReportCollector reports;
        EXPECT_TRUE(Drive<TStratifiedDesign>(Forms.StratifiedDesign, RunStratifiedDesignCommand,
                                             [&c](TStratifiedDesign& dialog) {
                                                 dialog.ComboBox1->setCurrentIndex(c.item);
                                                 TypeAndLeave(dialog.Edit1, c.size);
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
    for (const int order : {2, 0}) {
        EXPECT_TRUE(Drive<TSystematicDesign>(Forms.SystematicDesign, RunSystematicDesignCommand,
                                             [order](TSystematicDesign& dialog) {
                                                 EXPECT_EQ(dialog.windowTitle(), " Systematic design");
                                                 ASSERT_EQ(dialog.ComboBox1->count(), 5);
                                                 EXPECT_EQ(dialog.ComboBox1->itemText(0), "File order");
                                                 dialog.ComboBox1->setCurrentIndex(order);
                                                 dialog.OKButton->click();
                                             }));
        EXPECT_EQ(SimulationState.designCode, DesignSystematic);
        EXPECT_EQ(SimulationState.systematicOrder, order);
    }
    EXPECT_EQ(Forms.Main->Label15->text(), "Systematic, file order");
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
