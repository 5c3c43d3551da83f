#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <memory>

#include "core/simulation_state.h"
#include "tests/ui/settings_dialog_fixture.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/nonresponse_dialog.h"
#include "ui/settings_commands.h"

namespace {

using testing_support::OnNextModal;

struct Fields {
    int variable = -1;
    QString atMinimum;
    QString atMaximum;
};

// Opens "Generate nonresponse", records what it shows, then runs `interact`.
Fields GenerateNonresponse(const std::function<void(TNonresponse&)>& interact)
{
    auto shown = std::make_shared<Fields>();
    OnNextModal([shown, interact](QWidget* modal) {
        TNonresponse& dialog = *Forms.Nonresponse;
        ASSERT_EQ(modal, &dialog);
        *shown = {dialog.ComboBox1->currentIndex() + 1, dialog.Edit1->text(), dialog.Edit2->text()};
        interact(dialog);
    });
    RunGenerateNonresponseCommand();
    return *shown;
}

std::function<void(TNonresponse&)> Accept(int variable, const QString& atMinimum, const QString& atMaximum)
{
    return [=](TNonresponse& dialog) {
        dialog.ComboBox1->setCurrentIndex(variable - 1);
        dialog.Edit1->setText(atMinimum);
        dialog.Edit2->setText(atMaximum);
        dialog.OKButton->click();
    };
}

class NonresponseTest : public SettingsDialogTest {
protected:
    void SetUp() override
    {
        SettingsDialogTest::SetUp();
        ReadColumns({{1, 2, 3}, {30, 10, 50}, {5, 5, 5}});
    }
};

TEST_F(SettingsDialogTest, NonresponseCommandsWithoutPopulationOnlyReport)
{
    ReportCollector reports;
    RunGenerateNonresponseCommand();
    RunFullResponseCommand();
    EXPECT_EQ(reports.messages, QStringList(2, "You must first read a population!"));
}

TEST_F(NonresponseTest, FirstOpeningShowsDefaultsAndOkDrawsTheLine)
{
    const Fields shown = GenerateNonresponse([](TNonresponse& dialog) {
        EXPECT_EQ(dialog.windowTitle(), " Nonresponse");
        EXPECT_EQ(dialog.GroupBox2->title(), " Nonresponse percentages ");
        EXPECT_EQ(dialog.Label2->text(), "For maximum value:");
        Accept(2, "1", "99")(dialog);
    });
    EXPECT_EQ(shown.variable, 1);
    EXPECT_EQ(shown.atMinimum, "1");
    EXPECT_EQ(shown.atMaximum, "99");

    const TSimulationState& s = SimulationState;
    EXPECT_TRUE(s.nonresponseOn);
    EXPECT_EQ(s.nonresponseVariable, 2);
    EXPECT_DOUBLE_EQ(s.nonresponseSlope, 0.0245);
    EXPECT_DOUBLE_EQ(s.nonresponseIntercept, -0.235);
    EXPECT_NEAR(s.nonresponseIntercept + 10 * s.nonresponseSlope, 0.01, 1e-12);
    EXPECT_NEAR(s.nonresponseIntercept + 50 * s.nonresponseSlope, 0.99, 1e-12);
    EXPECT_EQ(Forms.Main->Label17->text(), "Yes, by var2");
}

TEST_F(NonresponseTest, ReopeningShowsTheLastSettingsAlsoAfterFullResponse)
{
    GenerateNonresponse(Accept(2, "25", "75"));
    Fields shown = GenerateNonresponse([](TNonresponse& dialog) { dialog.CancelButton->click(); });
    EXPECT_EQ(shown.variable, 2);
    EXPECT_EQ(shown.atMinimum, "25");
    EXPECT_EQ(shown.atMaximum, "75");

    RunFullResponseCommand();
    EXPECT_FALSE(SimulationState.nonresponseOn);
    EXPECT_EQ(Forms.Main->Label17->text(), "No");
    shown = GenerateNonresponse([](TNonresponse& dialog) { dialog.OKButton->click(); });
    EXPECT_EQ(shown.atMinimum, "25");
    EXPECT_EQ(shown.atMaximum, "75");
    EXPECT_TRUE(SimulationState.nonresponseOn);
    EXPECT_EQ(Forms.Nonresponse->ComboBox1->count(), 0);
}

TEST_F(NonresponseTest, PercentageThatIsNoWholeNumberKeepsTheDialogOpenAndStoresNothing)
{
    ReportCollector reports;
    GenerateNonresponse([&reports](TNonresponse& dialog) {
        for (const char* text : {"abc", "2.5", "99999999999"}) {
            Accept(2, "10", text)(dialog);
            EXPECT_TRUE(dialog.isVisible());
        }
        dialog.CancelButton->click();
    });
    EXPECT_EQ(reports.messages,
              (QStringList{"'abc' is not a valid integer value", "'2.5' is not a valid integer value",
                           "'99999999999' is not a valid integer value"}));
    EXPECT_FALSE(SimulationState.nonresponseOn);
    EXPECT_EQ(SimulationState.nonresponseVariable, 0);
    EXPECT_EQ(SimulationState.nonresponseAtMinimum, 0.0);
}

TEST_F(NonresponseTest, ConstantVariableIsRefusedAndTheDialogStaysOpen)
{
    ReportCollector reports;
    GenerateNonresponse([](TNonresponse& dialog) {
        Accept(3, "20", "40")(dialog);
        EXPECT_TRUE(dialog.isVisible());
        Accept(1, "30", "30")(dialog);
    });
    EXPECT_EQ(reports.messages, QStringList{"The nonresponse variable is constant!"});
    EXPECT_EQ(SimulationState.nonresponseVariable, 1);
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseSlope, 0.0);
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseIntercept, 0.3);
}

TEST_F(NonresponseTest, PercentagesAreNotBoundedAndMayFall)
{
    GenerateNonresponse(Accept(1, " -20", "+150"));
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseAtMinimum, -0.2);
    EXPECT_DOUBLE_EQ(SimulationState.nonresponseAtMaximum, 1.5);
    GenerateNonresponse(Accept(1, "90", "10"));
    EXPECT_LT(SimulationState.nonresponseSlope, 0.0);
}

}  // namespace
