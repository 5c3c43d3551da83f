#include "ui/statistics_table.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/allocation.h"
#include "core/simulation_state.h"
#include "tests/ui/window_test_setup.h"
#include "tests/support/gui_test_support.h"

namespace {

class StatisticsTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_test::SetUpPopulation(10);
        for (int s = 1; s <= 10; ++s) {
            SimulationState.estimates[s] = s;
        }
    }

    /// Shows the table for `samplesDrawn` samples and keeps its cells.
    QStringList ShowAndRead(int samplesDrawn)
    {
        QStringList cells;
        testing_support::OnNextModal([&cells](QWidget* modal) {
            auto* dialog = qobject_cast<TStatistics*>(modal);
            ASSERT_NE(dialog, nullptr);
            for (int row = 0; row < dialog->Tab->rowCount(); ++row) {
                cells << dialog->Tab->item(row, 0)->text() + QLatin1Char('|') +
                             dialog->Tab->item(row, 1)->text();
            }
            dialog->OKButton->click();
        });
        table.ShowForRun(samplesDrawn);
        return cells;
    }

    testing_support::ModalWatchdog watchdog;
    TStatistics table;
};

TEST_F(StatisticsTableTest, ThirteenRowsOfAKnownRun)
{
    const QStringList expected = {
        QStringLiteral("Population|Twenty units"),
        QStringLiteral("Sample size|5"),
        QStringLiteral("Probabilities|Equal"),
        QStringLiteral("Target variable|Y"),
        QStringLiteral("Estimator|Direct"),
        QStringLiteral("Nonresponse|No"),
        QStringLiteral("Simulations|10"),
        QStringLiteral("|"),
        QStringLiteral("Mean (theoretical)|10.500"),
        QStringLiteral("Mean (simulated)|5.500"),
        QStringLiteral("|"),
        QStringLiteral("Standard error (theoretical)|2.291"),  // sqrt(0.15 * 35)
        QStringLiteral("Standard error (simulated)|3.028"),    // sqrt(82.5 / 9)
    };
    EXPECT_EQ(ShowAndRead(10), expected);
    EXPECT_EQ(ShowAndRead(10), expected) << "opening it again shows the same";
}

TEST_F(StatisticsTableTest, AnUnfinishedRunUsesTheSamplesDrawnSoFar)
{
    const QStringList cells = ShowAndRead(1);
    ASSERT_EQ(cells.size(), 13);
    EXPECT_EQ(cells[9], QStringLiteral("Mean (simulated)|1.000"));
    EXPECT_EQ(cells[12], QStringLiteral("Standard error (simulated)|-"));
    EXPECT_EQ(ShowAndRead(0)[9], QStringLiteral("Mean (simulated)|-"));
}

TEST_F(StatisticsTableTest, TheGridHasTheLayoutOfTheTable)
{
    ShowAndRead(10);
    const int labelWidth = table.Tab->columnWidth(0);
    EXPECT_EQ(labelWidth, 140);
    EXPECT_EQ(table.Tab->columnWidth(1), 160);
    const QFontMetrics metrics(table.Tab->font());
    for (int row = 0; row < table.Tab->rowCount(); ++row) {
        EXPECT_LT(metrics.horizontalAdvance(table.Tab->item(row, 0)->text()), labelWidth) << "row " << row;
    }
    EXPECT_EQ(table.Tab->rowHeight(2), 16);
    EXPECT_EQ(table.Tab->rowHeight(3), 15);
    EXPECT_EQ(table.Tab->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(table.Tab->item(0, 1)->flags() & Qt::ItemIsEditable);
}

// A text wider than its cell is shown whole in the cell's tooltip; the labels
// and short values fit and need none.
TEST_F(StatisticsTableTest, AValueTooLongForItsCellIsShownWholeInItsTooltip)
{
    const std::string longName = "MU284: 284 Swedish municipalities, revenues of 1985";
    const std::pair<std::string, bool> cases[] = {{"Twenty units", false}, {longName, true}};
    for (const auto& [name, tooLong] : cases) {
        SimulationState.populationName = name;
        QStringList tips;
        testing_support::OnNextModal([&tips](QWidget* modal) {
            auto* dialog = qobject_cast<TStatistics*>(modal);
            ASSERT_NE(dialog, nullptr);
            for (int row = 0; row < dialog->Tab->rowCount(); ++row) {
                tips << dialog->Tab->item(row, 0)->toolTip() << dialog->Tab->item(row, 1)->toolTip();
            }
            dialog->OKButton->click();
        });
        table.ShowForRun(10);
        ASSERT_EQ(tips.size(), 26);
        EXPECT_EQ(tips.takeAt(1), tooLong ? QString::fromStdString(name) : QString()) << name;
        EXPECT_EQ(tips.join(QString()), QString()) << name;
    }
}

// A value wider than its cell, the example's description or a two-stage sample
// size, is wrapped onto two lines; the grid, and the window, hold every row.
TEST_F(StatisticsTableTest, LongValuesAreWrappedOntoTwoLines)
{
    struct Case {
        const char* population;  ///< an example, or nullptr for the twenty units
        DesignCode design;
        QStringList wrapped;
    };
    const std::vector<Case> cases = {
        {nullptr, DesignEqualProbabilities, {}},
        {"mu284.pop",
         DesignTwoStage,
         {"MU284: 284 Swedish municipalities", "10 of 50 clusters, 3 units in each"}},
    };
    for (const Case& c : cases) {
        if (c.population != nullptr) {
            window_test::ReadExamplePopulation(c.population);
        }
        const std::string label = c.population != nullptr ? c.population : "twenty units";
        TSimulationState& s = SimulationState;
        s.designCode = c.design;
        s.clusterVariable = 10;
        s.clusterCount = 10;
        s.unitsPerCluster = 3;
        QStringList wrapped;
        int rowsHeight = 0;
        testing_support::OnNextModal([&](QWidget* modal) {
            const auto& dialog = *static_cast<TStatistics*>(modal);
            const QTableWidget& grid = *dialog.Tab;
            for (int row = 0; row < grid.rowCount(); ++row) {
                rowsHeight += grid.rowHeight(row);
                if (grid.rowHeight(row) > 16) {
                    wrapped << grid.item(row, 1)->text();
                }
            }
            EXPECT_LE(rowsHeight + 2 * grid.frameWidth(), grid.height()) << label;
            EXPECT_GT(dialog.OKButton->y(), grid.geometry().bottom());
            EXPECT_TRUE(dialog.rect().contains(dialog.OKButton->geometry()));
            if (c.wrapped.isEmpty()) {
                EXPECT_EQ(dialog.size(), QSize(335, 297)) << "the layout's size";
            }
            static_cast<TStatistics*>(modal)->OKButton->click();
        });
        table.ShowForRun(0);
        EXPECT_EQ(wrapped.join(QLatin1Char('|')).toStdString(),
                  c.wrapped.join(QLatin1Char('|')).toStdString())
            << label;
    }
}

// The stratified and the cluster designs add the rows tarvek-batch writes for
// them after the thirteen; the window grows to hold them.
TEST_F(StatisticsTableTest, DesignsWithMoreRowsShowThemAfterTheThirteen)
{
    struct Case {
        const char* population;  ///< an example, or nullptr for the twenty units
        DesignCode design;
        QStringList added;
    };
    const std::vector<Case> cases = {
        {nullptr, DesignStratified, {QStringLiteral("Allocation|3, 3")}},
        {"mu284.pop", DesignCluster, {QStringLiteral("Design effect (theoretical)|1.298")}},
    };
    for (const Case& c : cases) {
        if (c.population != nullptr) {
            window_test::ReadExamplePopulation(c.population);
        }
        TSimulationState& s = SimulationState;
        s.designCode = c.design;
        s.sampleSize = 6;
        s.stratumClasses = 2;
        s.allocationCode = AllocationProportional;
        s.clusterVariable = 10;
        s.clusterCount = 10;
        const QStringList cells = ShowAndRead(0);
        ASSERT_EQ(cells.size(), 13 + c.added.size()) << c.design;
        EXPECT_EQ(cells.mid(13), c.added);
        EXPECT_GT(table.height(), 297) << c.design;
        EXPECT_GT(table.OKButton->y(), table.Tab->geometry().bottom()) << c.design;
    }
}

TEST_F(StatisticsTableTest, CtrlCCopiesTheTableAsTabSeparatedText)
{
    QString copied;
    testing_support::OnNextModal([&copied](QWidget* modal) {
        modal->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        QApplication::clipboard()->clear();
        QTest::keyClick(modal, Qt::Key_C, Qt::ControlModifier);
        copied = QApplication::clipboard()->text();
        static_cast<TStatistics*>(modal)->OKButtonClick();
    });
    table.ShowForRun(10);
    const QStringList lines = copied.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 14) << copied.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Population\tTwenty units"));
    EXPECT_EQ(lines[7], QStringLiteral("\t"));
    EXPECT_EQ(lines[12], QStringLiteral("Standard error (simulated)\t3.028"));
}

}  // namespace
