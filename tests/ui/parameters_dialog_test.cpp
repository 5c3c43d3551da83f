#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/simulation_state.h"
#include "tests/ui/settings_dialog_fixture.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/parameters_dialog.h"
#include "ui/settings_commands.h"

namespace {

using testing_support::OnNextModal;

// Opens "Parameters" and lets `interact` drive the dialog; returns whether it opened.
bool OpenParameters(const std::function<void(TSetSim&)>& interact)
{
    auto opened = std::make_shared<bool>(false);
    OnNextModal([opened, interact](QWidget* modal) {
        ASSERT_EQ(modal, Forms.SetSim);
        *opened = true;
        interact(*Forms.SetSim);
    });
    RunParametersCommand();
    return *opened;
}

class ParametersTest : public SettingsDialogTest {
protected:
    void SetUp() override
    {
        SettingsDialogTest::SetUp();
        ReadColumns({{4, 9, 1, 10, 6, 2, 8, 3, 7, 5, 5.5}});
    }
};

TEST_F(SettingsDialogTest, ParametersNeedAPopulationOfTwoUnits)
{
    ReportCollector reports;
    RunParametersCommand();
    ReadColumns({{3}});
    RunParametersCommand();
    EXPECT_EQ(reports.messages,
              (QStringList{"You must first read a population!", "The sample size must be at least 2!"}));
}

TEST_F(ParametersTest, FreshPopulationShowsTheDefaults)
{
    EXPECT_TRUE(OpenParameters([](TSetSim& dialog) {
        EXPECT_EQ(dialog.windowTitle(), " Set simulation parameters");
        EXPECT_EQ(dialog.Label3->text(), " for sample of size");
        EXPECT_EQ(dialog.SetButton->text(), "Set");
        EXPECT_EQ(dialog.Edit4->text(), "1000");
        EXPECT_TRUE(dialog.RadioButton1->isChecked());
        EXPECT_FALSE(dialog.RadioButton2->isChecked());
        EXPECT_EQ(dialog.Edit1->text(), "1.000");
        EXPECT_EQ(dialog.Edit2->text(), "10.000");
        EXPECT_EQ(dialog.Edit3->text(), "10");
        EXPECT_EQ(dialog.SpinEdit1->value(), 1);
        dialog.CancelButton->click();
    }));
}

TEST_F(ParametersTest, WholeNumberFieldsAcceptOnlyTheirRange)
{
    OpenParameters([](TSetSim& dialog) {
        for (const char* refused : {"9", "1001", "1e3"}) {
            SettingsDialogTest::TypeAndLeave(dialog.Edit4, refused);
            EXPECT_EQ(SimulationState.simulationCount, 1000) << refused;
        }
        SettingsDialogTest::TypeAndLeave(dialog.Edit4, "10");
        EXPECT_EQ(SimulationState.simulationCount, 10);
        for (const char* refused : {"1", "12"}) {
            SettingsDialogTest::TypeAndLeave(dialog.Edit3, refused);
            EXPECT_EQ(SimulationState.scaleSampleSize, 10) << refused;
        }
        SettingsDialogTest::TypeAndLeave(dialog.Edit3, "11");
        dialog.CancelButton->click();
    });
    EXPECT_EQ(SimulationState.scaleSampleSize, 11);
    EXPECT_EQ(Forms.Main->Label18->text(), "10");
}

TEST_F(ParametersTest, SetGivesTheExtremeMeansAtOnceAndSurvivesCancel)
{
    ReadColumns({{4, 9, 1, 10, 6, 2, 8, 3, 7, 5}});
    OpenParameters([](TSetSim& dialog) {
        dialog.Edit3->setText("3");
        dialog.Edit3->setModified(true);
        dialog.SetButton->click();  // checks the field it took the focus from
        EXPECT_EQ(dialog.Edit1->text(), "2.000");
        EXPECT_EQ(dialog.Edit2->text(), "9.000");
        dialog.CancelButton->click();
    });
    EXPECT_EQ(SimulationState.scaleSampleSize, 3);
    EXPECT_DOUBLE_EQ(SimulationState.scaleLower, 2.0);
    EXPECT_DOUBLE_EQ(SimulationState.scaleUpper, 9.0);

    OpenParameters([](TSetSim& dialog) {
        SettingsDialogTest::TypeAndLeave(dialog.Edit3, "10");
        dialog.SetButton->click();
        EXPECT_EQ(dialog.Edit1->text(), "5.500");
        EXPECT_EQ(dialog.Edit2->text(), "5.500");
        dialog.CancelButton->click();
    });
}

TEST_F(ParametersTest, InvalidSizeForSetBlocksTheButtons)
{
    OpenParameters([](TSetSim& dialog) {
        SettingsDialogTest::TypeAndLeave(dialog.Edit3, "0");
        dialog.SetButton->click();
        dialog.OKButton->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Edit1->text(), "1.000");
        dialog.Edit3->setText("2");
        dialog.Edit3->setModified(true);
        dialog.OKButton->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(SimulationState.scaleSampleSize, 2);
}

TEST_F(ParametersTest, OkStoresBoundsOutputAndCompressionWhileCancelDoesNot)
{
    OpenParameters([](TSetSim& dialog) {
        dialog.Edit1->setText("-3.25");
        dialog.RadioButton2->click();
        dialog.CancelButton->click();
    });
    EXPECT_DOUBLE_EQ(SimulationState.scaleLower, 1.0);
    EXPECT_FALSE(SimulationState.confidenceIntervalMode);

    OpenParameters([](TSetSim& dialog) {
        dialog.Edit1->setText(" -3.25");
        dialog.Edit2->setText("1,5");
        dialog.RadioButton2->click();
        dialog.SpinEdit1->stepBy(2);
        dialog.OKButton->click();
    });
    EXPECT_DOUBLE_EQ(SimulationState.scaleLower, -3.25);
    EXPECT_DOUBLE_EQ(SimulationState.scaleUpper, 10.0);  // no number: the bound stays
    EXPECT_TRUE(SimulationState.confidenceIntervalMode);
    EXPECT_EQ(SimulationState.verticalCompression, 3);

    OpenParameters([](TSetSim& dialog) {
        EXPECT_TRUE(dialog.RadioButton2->isChecked());
        EXPECT_EQ(dialog.Edit1->text(), "-3.250");
        dialog.Edit2->setText("2.5e1");
        dialog.OKButton->click();
    });
    EXPECT_DOUBLE_EQ(SimulationState.scaleUpper, 25.0);
}

TEST_F(ParametersTest, CompressionFieldTakesTypedDigitsAndStaysWithinOneToFour)
{
    OpenParameters([](TSetSim& dialog) {
        QSpinBox& spin = *dialog.SpinEdit1;
        for (const auto& [typed, value] :
             std::vector<std::pair<const char*, int>>{{"3", 3}, {"5", 3}, {"0", 3}, {"4", 4}}) {
            spin.selectAll();
            QTest::keyClicks(&spin, typed);
            EXPECT_EQ(spin.value(), value) << typed;
        }
        spin.stepBy(10);
        EXPECT_EQ(spin.value(), 4);
        spin.stepBy(-10);
        EXPECT_EQ(spin.value(), 1);
        dialog.CancelButton->click();
    });
    SimulationState.verticalCompression = 9;
    OpenParameters([](TSetSim& dialog) {
        EXPECT_EQ(dialog.SpinEdit1->value(), 4);
        dialog.OKButton->click();
    });
    EXPECT_EQ(SimulationState.verticalCompression, 4);
}

// The compression can only be changed with the arrows, so they must stand out
// from the light field: some pixel inside the up-arrow button is dark.
TEST_F(ParametersTest, CompressionArrowsAreVisible)
{
    OpenParameters([](TSetSim& dialog) {
        const QSpinBox& spin = *dialog.SpinEdit1;
        QStyleOptionSpinBox option;
        option.initFrom(&spin);
        option.subControls = QStyle::SC_All;
        option.frame = spin.hasFrame();
        option.buttonSymbols = spin.buttonSymbols();
        // Inside the button, clear of its edges.
        const QRect up = spin.style()
                             ->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, &spin)
                             .adjusted(2, 1, -2, -1);
        const QImage field = dialog.SpinEdit1->grab().toImage();
        int darkest = 255;
        for (int y = up.top(); y <= up.bottom(); ++y) {
            for (int x = up.left(); x <= up.right(); ++x) {
                darkest = std::min(darkest, qGray(field.pixel(x, y)));
            }
        }
        EXPECT_LT(darkest, 128);
        dialog.CancelButton->click();
    });
}

// The size for "Set" follows a changed sample size, and only a changed one: a
// size chosen in the dialog stays while the sample size stays.
TEST_F(ParametersTest, TheSizeForSetFollowsTheSampleSize)
{
    struct Step {
        int sampleSize;
        const char* typed;  ///< typed into the field, or nullptr
        int shown;
    };
    const std::vector<Step> steps = {
        {10, "4", 10}, {10, nullptr, 4}, {7, nullptr, 7}, {7, "9", 7}, {3, nullptr, 3}};
    for (const Step& step : steps) {
        SimulationState.sampleSize = step.sampleSize;
        OpenParameters([step](TSetSim& dialog) {
            EXPECT_EQ(dialog.Edit3->text(), QString::number(step.shown)) << step.sampleSize;
            if (step.typed != nullptr) {
                SettingsDialogTest::TypeAndLeave(dialog.Edit3, step.typed);
            }
            dialog.OKButton->click();
        });
    }
    EXPECT_EQ(SimulationState.scaleSampleSize, 3);
}

}  // namespace
