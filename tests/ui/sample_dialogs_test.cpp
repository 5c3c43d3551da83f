#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/simulation_state.h"
#include "tests/ui/settings_dialog_fixture.h"
#include "ui/estimator_dialog.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/sampling_design_dialog.h"
#include "ui/settings_commands.h"
#include "ui/target_variable_dialog.h"

namespace {

void ChooseDesign(bool proportional, int variable)
{
    Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [proportional, variable](TSamDes& dialog) {
        (proportional ? dialog.RadioButton2 : dialog.RadioButton1)->click();
        dialog.ComboBox1->setCurrentIndex(variable - 1);
        dialog.OKButton->click();
    });
}

void ChooseEstimator(QRadioButton* TSelectEstimator::*button, int variable)
{
    Drive<TSelectEstimator>(Forms.SelectEstimator, RunEstimatorCommand,
                            [button, variable](TSelectEstimator& dialog) {
                                (dialog.*button)->click();
                                dialog.ComboBox1->setCurrentIndex(variable - 1);
                                dialog.OKButton->click();
                            });
}

TEST_F(SettingsDialogTest, SampleCommandsWithoutPopulationOnlyReport)
{
    ReportCollector reports;
    RunTargetVariableCommand();
    RunSamplingDesignCommand();
    RunEstimatorCommand();
    EXPECT_EQ(reports.messages, QStringList(3, "You must first read a population!"));
    EXPECT_EQ(SimulationState.targetVariable, 0);
}

TEST_F(SettingsDialogTest, DialogsShowTheDefaultsOfAFreshPopulation)
{
    ReadColumns({{1, 2, 3}, {4, 5, 6}});
    EXPECT_TRUE(
        Drive<TTargetVariable>(Forms.TargetVariable, RunTargetVariableCommand, [](TTargetVariable& dialog) {
            EXPECT_EQ(dialog.windowTitle(), " Select target variable");
            EXPECT_EQ(dialog.GroupBox1->title(), " Target variable ");
            EXPECT_EQ(dialog.ComboBox1->currentIndex(), 0);
            EXPECT_FALSE(dialog.ComboBox1->isEditable());
            dialog.CancelButton->click();
        }));
    EXPECT_TRUE(Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
        EXPECT_EQ(dialog.Edit1->text(), "3");
        EXPECT_TRUE(dialog.RadioButton1->isChecked());
        EXPECT_EQ(dialog.RadioButton2->text(), "with probabilities proportional to:");
        EXPECT_TRUE(dialog.RadioButton2->isEnabled());
        EXPECT_FALSE(dialog.ComboBox1->isEnabled());
        EXPECT_EQ(dialog.ComboBox1->currentText(), "var1");
        dialog.RadioButton2->click();
        EXPECT_TRUE(dialog.ComboBox1->isEnabled());
        dialog.CancelButton->click();
    }));
    EXPECT_TRUE(
        Drive<TSelectEstimator>(Forms.SelectEstimator, RunEstimatorCommand, [](TSelectEstimator& dialog) {
            EXPECT_TRUE(dialog.RadioButton1->isChecked());
            EXPECT_EQ(dialog.RadioButton4->text(), "Post-stratification");
            EXPECT_FALSE(dialog.ComboBox1->isEnabled());
            dialog.RadioButton3->click();
            EXPECT_TRUE(dialog.ComboBox1->isEnabled());
            dialog.CancelButton->click();
        }));
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorDirect);
    EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
    EXPECT_EQ(Forms.SamDes->ComboBox1->count(), 0);
}

TEST_F(SettingsDialogTest, TargetVariableResetsScaleAndCompressionAndRefreshesPanel)
{
    ReadColumns({{1, 2, 3}, {-4.25, 8.5, 0}});
    SimulationState.scaleLower = 100;
    SimulationState.verticalCompression = 3;
    Drive<TTargetVariable>(Forms.TargetVariable, RunTargetVariableCommand, [](TTargetVariable& dialog) {
        dialog.ComboBox1->setCurrentIndex(1);
        dialog.OKButton->click();
    });
    EXPECT_EQ(SimulationState.targetVariable, 2);
    EXPECT_EQ(SimulationState.scaleLower, -4.25);
    EXPECT_EQ(SimulationState.scaleUpper, 8.5);
    EXPECT_EQ(SimulationState.verticalCompression, 1);
    EXPECT_EQ(Forms.Main->Label14->text(), "var2");
}

TEST_F(SettingsDialogTest, DesignAndEstimatorExcludeEachOther)
{
    ReadColumns({{1, 2, 3}, {4, 5, 6}});
    ChooseEstimator(&TSelectEstimator::RadioButton2, 2);
    EXPECT_EQ(SimulationState.estimatorCode, EstimatorRatio);
    EXPECT_EQ(Forms.Main->Label16->text(), "Ratio, using var2");
    Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
        EXPECT_FALSE(dialog.RadioButton2->isEnabled());
        EXPECT_EQ(dialog.ComboBox1->currentIndex(), 1);
        dialog.CancelButton->click();
    });

    ChooseEstimator(&TSelectEstimator::RadioButton1, 1);
    EXPECT_EQ(SimulationState.auxiliaryVariable, 2);  // the direct estimator keeps it
    ChooseDesign(true, 1);
    EXPECT_EQ(SimulationState.designCode, DesignProportionalToSize);
    EXPECT_EQ(SimulationState.auxiliaryVariable, 1);
    Drive<TSelectEstimator>(Forms.SelectEstimator, RunEstimatorCommand, [](TSelectEstimator& dialog) {
        EXPECT_TRUE(dialog.RadioButton1->isEnabled());
        for (QRadioButton* button : {dialog.RadioButton2, dialog.RadioButton3, dialog.RadioButton4}) {
            EXPECT_FALSE(button->isEnabled());
        }
        dialog.CancelButton->click();
    });
}

/// How many pixels of the widget's picture have `color`, each channel within
/// `tolerance` (smoothed text seldom reaches its colour exactly).
int PixelsOf(QWidget* widget, const QColor& color, int tolerance = 0)
{
    const QImage picture = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            count += std::abs(pixel.red() - color.red()) <= tolerance &&
                             std::abs(pixel.green() - color.green()) <= tolerance &&
                             std::abs(pixel.blue() - color.blue()) <= tolerance
                         ? 1
                         : 0;
        }
    }
    return count;
}

// A control the dialogs disable shows it: a grey caption instead of a white one,
// a grey list instead of the entry colour, which fills a list open or closed.
void ExpectEnabledAndDisabledLooks(QRadioButton* button, QComboBox* list)
{
    const QColor entry(221, 255, 255);
    const int Near = 8;
    const struct {
        QWidget* control;
        QColor enabledColor;
        QColor disabledColor;
    } cases[] = {
        {button, Qt::white, QColor(160, 160, 160)},
        {list, entry, QColor(212, 208, 200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        const bool wasEnabled = c.control->isEnabled();
        c.control->setEnabled(true);
        EXPECT_GT(PixelsOf(c.control, c.enabledColor, Near), 0);
        EXPECT_EQ(PixelsOf(c.control, c.disabledColor, Near), 0);
        c.control->setEnabled(false);
        EXPECT_EQ(PixelsOf(c.control, c.enabledColor, Near), 0);
        EXPECT_GT(PixelsOf(c.control, c.disabledColor, Near), 0);
        c.control->setEnabled(wasEnabled);
    }
    // The colour fills the list, closed and opened, rather than tinting a gradient.
    list->setEnabled(true);
    EXPECT_GT(PixelsOf(list, entry), list->width() * list->height() / 2);
    list->showPopup();
    QWidget* opened = list->view()->viewport();
    EXPECT_GT(PixelsOf(opened, entry), opened->width() * opened->height() / 2);
    list->hidePopup();
}

TEST_F(SettingsDialogTest, DisabledControlsLookDisabledAndListsHaveTheEntryColour)
{
    ReadColumns({{1, 2, 3}, {4, 5, 6}});
    Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
        ExpectEnabledAndDisabledLooks(dialog.RadioButton2, dialog.ComboBox1);
        dialog.CancelButton->click();
    });
    Drive<TSelectEstimator>(Forms.SelectEstimator, RunEstimatorCommand, [](TSelectEstimator& dialog) {
        ExpectEnabledAndDisabledLooks(dialog.RadioButton3, dialog.ComboBox1);
        dialog.CancelButton->click();
    });
}

TEST_F(SettingsDialogTest, SampleSizeIsCheckedWhenLeftAndKeptAfterCancel)
{
    ReadColumns({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
        for (const char* refused : {"1", "13", "x", ""}) {
            SettingsDialogTest::TypeAndLeave(dialog.Edit1, refused);
            EXPECT_EQ(SimulationState.sampleSize, 10) << refused;
        }
        for (int accepted : {2, 12}) {
            SettingsDialogTest::TypeAndLeave(dialog.Edit1, QString::number(accepted));
            EXPECT_EQ(SimulationState.sampleSize, accepted);
        }
        SettingsDialogTest::TypeAndLeave(dialog.Edit1, " 7");
        dialog.CancelButton->click();
    });
    EXPECT_EQ(SimulationState.sampleSize, 7);
    EXPECT_EQ(Forms.Main->Label13->text(), "7");
}

TEST_F(SettingsDialogTest, ButtonClickThatLeavesAnInvalidSampleSizeOnlyChecks)
{
    ReadColumns({{1, 2, 3, 4}});
    Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [](TSamDes& dialog) {
        dialog.OKButton->setFocus();
        SettingsDialogTest::TypeAndLeave(dialog.Edit1, "5");
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.focusWidget(), dialog.Edit1);
        dialog.RadioButton2->click();
        dialog.OKButton->click();
        dialog.CancelButton->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
        SettingsDialogTest::TypeAndLeave(dialog.Edit1, "3");
        dialog.OKButton->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(SimulationState.sampleSize, 3);
    EXPECT_EQ(SimulationState.designCode, DesignProportionalToSize);
}

// One size far above the others: a sample takes n N max / sum trials, here
// just below 1e8 at n = 5000 and just above at n = 5001, when the dialog warns.
TEST_F(SettingsDialogTest, ProportionalToSizeWarnsWhenASampleTakesOverAHundredMillionTrials)
{
    std::vector<double> sizes(20000, 1.0);
    sizes[0] = 1e9;
    ReadColumns({sizes});
    const QStringList warning = {
        "Drawing one sample takes about 1e+08 trials, as the largest size is far "
        "above the others: each sample can take a second or more!"};
    for (const auto& [size, warned] : {std::pair{"5000", false}, std::pair{"5001", true}}) {
        ReportCollector reports;
        Drive<TSamDes>(Forms.SamDes, RunSamplingDesignCommand, [size](TSamDes& dialog) {
            SettingsDialogTest::TypeAndLeave(dialog.Edit1, QString::fromLatin1(size));
            dialog.RadioButton2->click();
            dialog.OKButton->click();
        });
        EXPECT_EQ(reports.messages, warned ? warning : QStringList()) << size;
        EXPECT_EQ(SimulationState.designCode, DesignProportionalToSize);
    }
}

TEST_F(SettingsDialogTest, NonPositiveSizeVariableIsReportedOncePerUnitUpToALimit)
{
    const struct {
        std::vector<double> sizes;
        int nonPositive;
    } cases[] = {
        {{2, 0, 1, -1, 0}, 3}, {{2, 0.5, 1, 4, 0}, 1},  // one unit at the limit is enough to refuse
    };
    for (const auto& c : cases) {
        ReadColumns({{1, 2, 3, 4, 5}, c.sizes});
        {
            ReportCollector reports;
            ChooseDesign(true, 2);
            EXPECT_EQ(reports.messages,
                      QStringList(c.nonPositive, "Values of auxiliary variable must be positive!"));
        }
        EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
        EXPECT_EQ(SimulationState.auxiliaryVariable, 2);
    }

    std::vector<double> many(14, 0.0);
    many.push_back(1.0);
    ReadColumns({many});
    ReportCollector reports;
    ChooseDesign(true, 1);
    ASSERT_EQ(reports.messages.size(), MaxRepeatedPositivityMessages + 1);
    EXPECT_EQ(reports.messages.front(), "Values of auxiliary variable must be positive!");
    EXPECT_EQ(reports.messages.back(), "4 more units have values that are not positive!");
    EXPECT_EQ(SimulationState.designCode, DesignEqualProbabilities);
}

struct StrataCase {
    std::vector<double> values;
    QStringList messages;
    int estimatorCode;
};

TEST_F(SettingsDialogTest, PostStratificationRefusesUnusableStrata)
{
    const QStringList none;
    const QStringList empty{"There are empty strata!"};
    const QStringList tooMany{"There are too many strata!"};
    const std::vector<StrataCase> cases = {
        {{1, 2, 2, 4}, empty, EstimatorDirect},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10.4}, none, EstimatorPostStratified},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10.6}, tooMany, EstimatorDirect},
        {{1, 2, 0.4}, tooMany, EstimatorDirect},
        {{1, 2, 0.5}, tooMany, EstimatorDirect},
        {{3, 1, 2, 2.5}, none, EstimatorPostStratified},
    };
    for (const StrataCase& strata : cases) {
        ReadColumns({std::vector<double>(strata.values.size(), 1.0), strata.values});
        ReportCollector reports;
        ChooseEstimator(&TSelectEstimator::RadioButton4, 2);
        EXPECT_EQ(reports.messages, strata.messages) << strata.values.back();
        EXPECT_EQ(SimulationState.estimatorCode, strata.estimatorCode) << strata.values.back();
        EXPECT_EQ(SimulationState.auxiliaryVariable, 2);
    }
    EXPECT_EQ(SimulationState.stratumCount, 3);
}

}  // namespace
