// Captions that are wider than the room the fixed layout gives them, measured
// with the font the windows use.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>
#include <memory>

#include "plot/plot_renderer.h"
#include "ui/about_box.h"
#include "ui/distribution_window.h"
#include "ui/interval_window.h"
#include "tests/ui/settings_dialog_fixture.h"
#include "ui/forms.h"
#include "texts/interface_text_table.h"
#include "ui/parameters_dialog.h"
#include "ui/population_distribution_dialog.h"
#include "ui/sampling_design_dialog.h"
#include "ui/settings_commands.h"
#include "ui/window_style.h"

namespace {

using testing_support::OnNextModal;

int Blank(const QWidget* widget)
{
    return QFontMetrics(widget->font()).horizontalAdvance(QLatin1Char(' '));
}

int TextEnd(const QLabel* label)
{
    return label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text());
}

// The caption ends a blank before `next`, and its lines, wrapped or not, show
// the whole text inside the caption and inside its group.
void ExpectClearOf(const QLabel* caption, const QWidget* next)
{
    SCOPED_TRACE(caption->objectName().toStdString());
    EXPECT_LE(caption->x() + caption->width() + Blank(caption), next->x());
    const QRect needed =
        QFontMetrics(caption->font())
            .boundingRect(QRect(0, 0, caption->width(), 1000), Qt::TextWordWrap, caption->text());
    EXPECT_LE(needed.width(), caption->width());
    EXPECT_LE(needed.height(), caption->height());
    EXPECT_LE(caption->y() + caption->height(), caption->parentWidget()->height());
}

class CaptionRoomTest : public SettingsDialogTest {
protected:
    void SetUp() override
    {
        SettingsDialogTest::SetUp();
        ReadColumns({{1, 2, 3, 4}, {2, 3, 4, 5}});
    }

    void TearDown() override
    {
        FillInterfaceTexts();
        SettingsDialogTest::TearDown();
    }

    static void Open(QWidget* dialog, void (*command)(), const std::function<void()>& check)
    {
        auto opened = std::make_shared<bool>(false);
        OnNextModal([dialog, opened, check](QWidget* modal) {
            ASSERT_EQ(modal, dialog);
            *opened = true;
            check();
            modal->close();
        });
        command();
        EXPECT_TRUE(*opened);
    }
};

// The layouts were made for a face with narrow metrics; the plots label their
// scales in the same face, so windows, bitmaps and the batch simulator agree.
TEST_F(CaptionRoomTest, WindowsAndPlotsUseTheFacesTheLayoutsWereMadeFor)
{
    EXPECT_EQ(QFontInfo(StandardFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(PlotLabelFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(AboutFont()).family(), "Comic Neue");
    EXPECT_EQ(QFontMetrics(StandardFont()).horizontalAdvance("Standard error (theoretical)"), 132);
}

TEST_F(CaptionRoomTest, ParameterCaptionsStopBeforeTheirFields)
{
    TSetSim& dialog = *Forms.SetSim;
    Open(&dialog, RunParametersCommand, [&dialog] {
        EXPECT_EQ(dialog.Label4->text(), "Vertical compression factor:");
        ExpectClearOf(dialog.Label5, dialog.Edit4);
        ExpectClearOf(dialog.Label3, dialog.Edit3);
        ExpectClearOf(dialog.Label4, dialog.SpinEdit1);
        EXPECT_EQ(dialog.Label4->pos(), QPoint(12, 24));
        EXPECT_EQ(dialog.SpinEdit1->geometry(), QRect(148, 24, 33, 22));
    });
}

TEST_F(CaptionRoomTest, SamplingGroupHoldsTheProportionalCaption)
{
    TSamDes& dialog = *Forms.SamDes;
    Open(&dialog, RunSamplingDesignCommand, [&dialog] {
        const QRadioButton* proportional = dialog.RadioButton2;
        EXPECT_EQ(proportional->text(), "with probabilities proportional to:");
        EXPECT_GE(proportional->width(), proportional->sizeHint().width());
        EXPECT_LE(proportional->x() + proportional->width(), dialog.GroupBox1->width());
        EXPECT_EQ(dialog.GroupBox1->pos(), QPoint(16, 88));
        EXPECT_EQ(dialog.GroupBox1->width(), 213);
        EXPECT_LT(dialog.GroupBox1->geometry().right(), dialog.CancelButton->x());
    });
}

// The name keeps its place where the caption leaves room, and moves right of a
// caption that would run into it.
TEST_F(CaptionRoomTest, VariableNameStartsAfterTheCaption)
{
    struct Window {
        SimulationWindow* window;
        QLabel* caption;
        int nameLeft;
        bool captionLeavesRoom;  // "Variable:" and a blank end before nameLeft
        std::function<void()> applyTexts;
    };
    const Window windows[] = {
        {Forms.Simula, Forms.Simula->Label3, 60, true, [] { Forms.Simula->ApplyInterfaceTexts(); }},
        {Forms.ConfidenceIntervals, Forms.ConfidenceIntervals->Label1, 56, false,
         [] { Forms.ConfidenceIntervals->ApplyInterfaceTexts(); }},
    };
    for (const Window& w : windows) {
        SCOPED_TRACE(w.window->objectName().toStdString());
        FillInterfaceTexts();
        w.applyTexts();
        w.window->FormActivate();
        EXPECT_EQ(w.caption->text(), "Variable:");
        EXPECT_EQ(w.window->Label2->text(), QString::fromStdString(SimulationState.variableNames[1]));
        EXPECT_GE(w.window->Label2->x(), TextEnd(w.caption) + Blank(w.caption));
        EXPECT_EQ(w.window->Label2->x() == w.nameLeft, w.captionLeavesRoom);

        InterfaceTexts.simulationWindowTexts[1] = "V:";
        w.applyTexts();
        w.window->FormActivate();
        EXPECT_EQ(w.window->Label2->x(), w.nameLeft);
    }
}

TEST_F(CaptionRoomTest, DistributionNameStartsAfterTheCaption)
{
    TPopDis& dialog = *Forms.PopDis;
    SimulationState.displayVariable = 1;
    Open(
        &dialog, [] { Forms.PopDis->Execute(); },
        [&dialog] {
            EXPECT_EQ(dialog.Label1->text(), "Variable:");
            EXPECT_EQ(dialog.Label2->text(), QString::fromStdString(SimulationState.variableNames[1]));
            EXPECT_GE(dialog.Label2->x(), TextEnd(dialog.Label1) + Blank(dialog.Label1));
            EXPECT_EQ(dialog.Label2->x(), 64);
        });

    InterfaceTexts.distributionTexts[1] = "V:";
    Open(
        &dialog, [] { Forms.PopDis->Execute(); }, [&dialog] { EXPECT_EQ(dialog.Label2->x(), 64); });
}

}  // namespace
