#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <memory>

#include "core/settings.h"
#include "core/strata.h"
#include "core/simulation_state.h"
#include "engine/run_engine.h"
#include "texts/interface_text_table.h"
#include "tests/ui/forms_fixture.h"
#include "ui/import_dialog.h"
#include "ui/about_box.h"
#include "ui/emblem.h"
#include "ui/error_message.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/sampling_design_dialog.h"

namespace {

using testing_support::OnNextModal;

/// Whether the picture of `widget` holds at least one pixel of `color`.
bool Shows(QWidget* widget, const QColor& color)
{
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(FormsTest, ErrorDialogShowsHeadingAndMessageInItsColours)
{
    CreateInterfaceTexts();
    auto seen = std::make_shared<bool>(false);
    OnNextModal([seen](QWidget* modal) {
        TErrorMessage& dialog = *Forms.ErrorMessage;
        ASSERT_EQ(modal, &dialog);
        *seen = true;
        EXPECT_EQ(dialog.windowTitle(), " Error message");
        EXPECT_EQ(dialog.Label1->text(), "There is something wrong:");
        EXPECT_TRUE(dialog.Label1->font().bold());
        EXPECT_EQ(dialog.Label2->text(), "You must first read a population!");
        EXPECT_EQ(dialog.Label2->parentWidget(), dialog.Panel1);
        EXPECT_EQ(dialog.size(), QSize(376, 100));
        EXPECT_EQ(dialog.Panel1->geometry(), QRect(12, 28, 353, 21));
        EXPECT_EQ(dialog.OKButton->geometry(), QRect(300, 64, 67, 25));
        EXPECT_EQ(dialog.OKButton->text(), "OK");

        const QImage picture = dialog.grab().toImage();
        EXPECT_EQ(picture.pixelColor(4, 4), QColor(204, 0, 0));
        EXPECT_EQ(picture.pixelColor(12 + 350, 28 + 10), QColor(255, 255, 221));
        EXPECT_TRUE(Shows(dialog.Label1, Qt::white));
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    });
    ShowErrorMessage("You must first read a population!");
    // Control is back here only once OK has closed the dialog.
    EXPECT_TRUE(*seen);
    EXPECT_FALSE(Forms.ErrorMessage->isVisible());
}

TEST_F(FormsTest, ErrorDialogTakesAnyMessage)
{
    for (const QString& message : {QString(), QString(200, 'W')}) {
        OnNextModal([](QWidget*) { QTest::mouseClick(Forms.ErrorMessage->OKButton, Qt::LeftButton); });
        ShowErrorMessage(message);
        EXPECT_EQ(Forms.ErrorMessage->Label2->text(), message);
        // A long message is cut off: the panel and the dialog keep their size.
        EXPECT_EQ(Forms.ErrorMessage->Panel1->size(), QSize(353, 21));
        EXPECT_EQ(Forms.ErrorMessage->size(), QSize(376, 100));
    }
}

// The field shows one line: every message the program reports there must end
// inside its border in the font it is drawn with.
TEST_F(FormsTest, ErrorFieldHoldsEveryMessageOfTheProgram)
{
    CreateInterfaceTexts();
    const QString messages[] = {
        QString::fromStdString(InterfaceTexts.messageTexts[1]),
        QString::fromStdString(InterfaceTexts.messageTexts[2]),
        TargetVariableMissingMessage,
        AuxiliaryNotPositiveMessage,
        MoreNonPositiveUnitsMessage(MaxUnits - MaxRepeatedPositivityMessages),
        TooManyStrataMessage,
        EmptyStrataMessage,
        ConstantNonresponseVariableMessage,
        RejectionBoundMessage,
        SampleTooSmallForStrataMessage,
        NoColumnTickedMessage,
        TooManyColumnsMessage,
    };
    for (const QString& message : messages) {
        auto end = std::make_shared<int>(0);
        auto room = std::make_shared<int>(0);
        OnNextModal([end, room](QWidget*) {
            const TErrorMessage& dialog = *Forms.ErrorMessage;
            *end = dialog.Label2->x() +
                   QFontMetrics(dialog.Label2->font()).horizontalAdvance(dialog.Label2->text());
            const QRect inside = dialog.Panel1->contentsRect();
            *room = inside.x() + inside.width();
            Forms.ErrorMessage->OKButtonClick();
        });
        ShowErrorMessage(message);
        EXPECT_LE(*end, *room) << message.toStdString();
    }
}

TEST_F(FormsTest, ErrorMessageIsShownEvenBeforeTheWindowsExist)
{
    DestroyForms();
    auto message = std::make_shared<QString>();
    OnNextModal([message](QWidget* modal) {
        auto* dialog = dynamic_cast<TErrorMessage*>(modal);
        ASSERT_NE(dialog, nullptr);
        *message = dialog->Label2->text();
        dialog->OKButtonClick();
    });
    ShowErrorMessage("The sample size must be at least 2!");
    EXPECT_EQ(*message, "The sample size must be at least 2!");
    CreateForms();
}

TEST_F(FormsTest, AboutBoxShowsItsLinesInsideItsPanels)
{
    CreateInterfaceTexts();
    auto seen = std::make_shared<bool>(false);
    OnNextModal([seen](QWidget* modal) {
        TAboutBox& box = *Forms.AboutBox;
        ASSERT_EQ(modal, &box);
        *seen = true;
        EXPECT_EQ(box.windowTitle(), " About Tarvek");
        EXPECT_EQ(box.Label7->text(), "Tarvek for Windows");
        EXPECT_EQ(box.Label1->text(), "version 3.11");
        EXPECT_GT(box.Label1->y(), box.Label7->y());
        EXPECT_EQ(box.Label2->text(), "Simulation of samples from finite populations");
        EXPECT_EQ(box.Label2->parentWidget(), box.Panel2);
        EXPECT_EQ(box.size(), QSize(304, 269));
        EXPECT_EQ(box.Image2->pixmap().size(), QSize(32, 32));
        EXPECT_EQ(box.Label7->font().pixelSize(), 19);
        for (QLabel* line : {box.Label2, box.Label8, box.Label3, box.Label9, box.Label10}) {
            EXPECT_FALSE(line->text().isEmpty());
            const int right = line->x() + QFontMetrics(line->font()).horizontalAdvance(line->text());
            EXPECT_LE(right, box.Panel2->width() - 2) << line->text().toStdString();
        }
        EXPECT_EQ(box.palette().color(QPalette::Window), QColor(0, 64, 128));
        QTest::mouseClick(box.OKButton, Qt::LeftButton);
    });
    Forms.Main->Aboutthisprogram1->trigger();
    EXPECT_TRUE(*seen);
    EXPECT_FALSE(Forms.AboutBox->isVisible());
}

QSet<QRgb> Colours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return colours;
}

TEST(EmblemTest, SixteenColoursAtAnySize)
{
    const QSet<QRgb> classic = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                                0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                                0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    const QImage design = RenderEmblem(32);
    ASSERT_EQ(design.size(), QSize(32, 32));
    EXPECT_TRUE(classic.contains(Colours(design)));
    EXPECT_GE(Colours(design).size(), 4);

    // An enlargement is the same picture: each design pixel becomes an 8 x 8 block.
    const QImage large = RenderEmblem(256);
    ASSERT_EQ(large.size(), QSize(256, 256));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(large.pixel(8 * x + 4, 8 * y + 4), design.pixel(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(Colours(RenderEmblem(37)), Colours(design));
    EXPECT_EQ(RenderEmblem(0).size(), QSize(1, 1));
}

}  // namespace
