#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <memory>
#include <numeric>

#include "core/simulation_state.h"
#include "tests/ui/settings_dialog_fixture.h"
#include "ui/forms.h"
#include "ui/population_distribution_dialog.h"
#include "ui/select_variable_dialog.h"
#include "ui/settings_commands.h"
#include "ui/window_style.h"

namespace {

using testing_support::OnNextModal;

// Axis of the histogram for the reference outer size 506 x 392.
constexpr int AxisLeft = 20;
constexpr int AxisBase = 235;
constexpr int AxisLength = 455;

struct Shown {
    bool selectionOpened = false;
    int preselected = -1;
    bool distributionOpened = false;
    QStringList statistics;
};

// Runs "Display variable": picks `choice` (an item of the list) with OK, or
// cancels when it is negative; records what both dialogs showed.
std::shared_ptr<Shown> DisplayVariable(int choice)
{
    auto shown = std::make_shared<Shown>();
    OnNextModal([shown, choice](QWidget* modal) {
        TSelVar& selection = *Forms.SelVar;
        ASSERT_EQ(modal, &selection);
        shown->selectionOpened = true;
        shown->preselected = selection.ComboBox1->currentIndex();
        if (choice < 0) {
            selection.CancelButton->click();
            return;
        }
        OnNextModal([shown](QWidget* next) {
            TPopDis& distribution = *Forms.PopDis;
            ASSERT_EQ(next, &distribution);
            shown->distributionOpened = true;
            for (QLabel* label : {distribution.Label2, distribution.Label4, distribution.Label6,
                                  distribution.Label8, distribution.Label10}) {
                shown->statistics << label->text();
            }
            distribution.OKButton->click();
        });
        selection.ComboBox1->setCurrentIndex(choice);
        selection.OKButton->click();
    });
    RunDisplayVariableCommand();
    return shown;
}

// Paints the distribution dialog's surface as its paint event does.
QImage PaintDistribution()
{
    QImage image(Forms.PopDis->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Forms.PopDis->FormPaint(painter);
    return image;
}

int ClassCount(int k)
{
    return SimulationState.histogramCounts[k];
}

// Height in pixels of the green run that stands on the axis at column x.
int BarHeightAt(const QImage& image, int x)
{
    int height = 0;
    while (image.pixelColor(x, AxisBase - 1 - height) == tarvek_colors::BarGreen) {
        ++height;
    }
    return height;
}

std::vector<double> Sequence(int first, int last)
{
    std::vector<double> values(last - first + 1);
    std::iota(values.begin(), values.end(), first);
    return values;
}

TEST_F(SettingsDialogTest, DisplayVariableWithoutPopulationOnlyReports)
{
    ReportCollector reports;
    RunDisplayVariableCommand();
    EXPECT_EQ(reports.messages, QStringList{"You must first read a population!"});
    EXPECT_EQ(SimulationState.displayVariable, 0);
}

TEST_F(SettingsDialogTest, DistributionOfOneToFiveShowsPaddedStatisticsAndClasses)
{
    ReadColumns({{9, 9, 9, 9, 9}, {3, 1, 5, 2, 4}});
    const auto shown = DisplayVariable(1);
    EXPECT_EQ(shown->preselected, 0);
    ASSERT_TRUE(shown->distributionOpened);
    EXPECT_EQ(shown->statistics,
              (QStringList{"var2", "       1.000", "       5.000", "       3.000", "       1.581"}));
    EXPECT_EQ(SimulationState.displayVariable, 2);
    EXPECT_EQ(Forms.PopDis->windowTitle(), " Population distribution");
    EXPECT_EQ(Forms.PopDis->Label9->text(), "Stand. dev:");

    const QImage image = PaintDistribution();
    // 2 and 4 lie half a class above a class centre and round to the even class.
    for (int k : {1, 13, 26, 39, 50}) {
        EXPECT_EQ(ClassCount(k), 1) << "class " << k;
    }
    EXPECT_EQ(std::accumulate(&SimulationState.histogramCounts[1], &SimulationState.histogramCounts[51], 0),
              5);
    // Uncompressed: one unit is one nominal bar width (9 pixels) high.
    EXPECT_EQ(BarHeightAt(image, AxisLeft + 4), 9);
    EXPECT_EQ(BarHeightAt(image, AxisLeft + 20), 0);
    EXPECT_EQ(image.pixelColor(AxisLeft + 100, AxisBase), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(10, 10), tarvek_colors::PanelBackground);
}

TEST_F(SettingsDialogTest, DistributionOfZeroToHundredCountsHalfClassesToEvenNeighbour)
{
    ReadColumns({Sequence(0, 100)});
    const auto shown = DisplayVariable(0);
    ASSERT_TRUE(shown->distributionOpened);
    EXPECT_EQ(shown->statistics.mid(1),
              (QStringList{"       0.000", "     100.000", "      50.000", "      29.300"}));
    // Values of different widths end on one right edge.
    EXPECT_EQ(Forms.PopDis->Label4->geometry().right(), Forms.PopDis->Label6->geometry().right());
    EXPECT_LT(Forms.PopDis->Label6->x(), Forms.PopDis->Label4->x());

    const QImage image = PaintDistribution();
    EXPECT_EQ(ClassCount(1), 2);               // 0 and 1 (0.5 rounds to 0)
    EXPECT_EQ(ClassCount(2), 1);               // 2 only
    EXPECT_EQ(ClassCount(3), 3);               // 3, 4, 5
    EXPECT_EQ(ClassCount(50), 3);              // 98, and 99 and 100 beyond the last class
    const int thirdClassLeft = AxisLeft + 18;  // round(2 * 455 / 50)
    EXPECT_EQ(BarHeightAt(image, thirdClassLeft), 27);
    EXPECT_EQ(BarHeightAt(image, thirdClassLeft - 1), 9);
    EXPECT_NE(image.pixelColor(AxisLeft + AxisLength, AxisBase - 1), tarvek_colors::BarGreen);
}

// Long values grow left up to a blank after their caption, and are cut with
// their whole text in a tooltip only where the row has no room left.
TEST_F(SettingsDialogTest, DistributionValuesNeverTouchTheirCaptions)
{
    const struct {
        double low;
        double high;
        bool cut;
    } cases[] = {
        {-987654321.25, 1.0, false},
        {-987654321098.25, 2.0, false},
        {-1e30, 1e30, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.low);
        ReadColumns({{c.low, c.high}});
        ASSERT_TRUE(DisplayVariable(0)->distributionOpened);
        const TPopDis& dialog = *Forms.PopDis;
        const std::pair<QLabel*, QLabel*> rows[] = {{dialog.Label3, dialog.Label4},
                                                    {dialog.Label5, dialog.Label6},
                                                    {dialog.Label7, dialog.Label8},
                                                    {dialog.Label9, dialog.Label10}};
        bool anyCut = false;
        for (const auto& [caption, value] : rows) {
            const QFontMetrics metrics(caption->font());
            EXPECT_GE(value->x(), caption->x() + metrics.horizontalAdvance(caption->text() + ' '))
                << value->text().toStdString();
            EXPECT_EQ(value->toolTip().isEmpty(), !value->text().contains(QChar(0x2026)));
            anyCut = anyCut || !value->toolTip().isEmpty();
        }
        EXPECT_LT(dialog.Label4->geometry().right(), dialog.Label7->x());
        EXPECT_EQ(anyCut, c.cut);
    }
}

TEST_F(SettingsDialogTest, FullClassIsCompressedToTheTallestBar)
{
    std::vector<double> values(30, 0.0);
    values.push_back(1.0);
    ReadColumns({values});
    DisplayVariable(0);
    const QImage image = PaintDistribution();
    EXPECT_EQ(ClassCount(1), 30);
    // 30 units of 9 pixels exceed 0.55 * 392 = 215.6 pixels, so the bar is 216 high
    // and a single unit now round(9 * 215.6 / 270) = 7.
    EXPECT_EQ(BarHeightAt(image, AxisLeft + 2), 216);
    EXPECT_EQ(BarHeightAt(image, AxisLeft + AxisLength - 2), 7);
}

TEST_F(SettingsDialogTest, ConstantVariableFillsOneClassAndSingleUnitHasNoDeviation)
{
    ReadColumns({{7, 7, 7}});
    auto shown = DisplayVariable(0);
    EXPECT_EQ(shown->statistics.mid(1),
              (QStringList{"       7.000", "       7.000", "       7.000", "       0.000"}));
    PaintDistribution();
    EXPECT_EQ(ClassCount(1), 3);

    ReadColumns({{4}});
    shown = DisplayVariable(0);
    EXPECT_EQ(shown->statistics.mid(1),
              (QStringList{"       4.000", "       4.000", "       4.000", "           -"}));
    PaintDistribution();
    EXPECT_EQ(ClassCount(1), 1);
}

TEST_F(SettingsDialogTest, CancelShowsNoDistributionAndNextOpeningPreselectsFirstVariable)
{
    ReadColumns({{1, 2}, {3, 4}});
    DisplayVariable(1);
    EXPECT_EQ(DisplayVariable(-1)->preselected, 1);
    EXPECT_EQ(SimulationState.displayVariable, 0);

    const auto shown = DisplayVariable(-1);
    EXPECT_TRUE(shown->selectionOpened);
    EXPECT_FALSE(shown->distributionOpened);
    EXPECT_EQ(shown->preselected, 0);
    EXPECT_EQ(Forms.SelVar->ComboBox1->count(), 0);
}

}  // namespace
