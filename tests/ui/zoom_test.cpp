// The desktop program under --zoom F, one process per factor: every window F
// times larger, the graph drawn at the zoomed size and saved at that size;
// at zoom 1 the pixels of before.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <vector>

#include "plot/palette.h"
#include "plot/picture_file.h"
#include "plot/plot_renderer.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/window_test_setup.h"
#include "ui/application.h"
#include "ui/comparison_window.h"
#include "ui/dialog_folders.h"
#include "ui/distribution_window.h"
#include "ui/forms.h"
#include "ui/main_window.h"
#include "ui/sample_window.h"

namespace {

double Zoom = 1.0;

TEST(ZoomTest, TheOptionTakesOneOfFourFactors)
{
    struct Case {
        std::vector<const char*> arguments;
        double factor;
    };
    const std::vector<Case> cases = {
        {{"tarvek"}, 1.0},
        {{"tarvek", "--zoom", "1.5"}, 1.5},
        {{"tarvek", "--zoom=3"}, 3.0},
        {{"tarvek", "--zoom", "2"}, 2.0},
        {{"tarvek", "--zoom", "4"}, 0.0},
        {{"tarvek", "--zoom", "2.0"}, 0.0},
        {{"tarvek", "--zoom"}, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomFactorFromArguments(static_cast<int>(c.arguments.size()), c.arguments.data()), c.factor)
            << c.arguments.back();
    }
}

TEST(ZoomTest, ADialogTooLargeForTheScreenLowersTheZoomToOneThatFits)
{
    struct Case {
        double asked;
        QSize room;  ///< the screen's, beside the window's frame of 16 x 40
        double shown;
    };
    const QSize stratified(545, 345);
    const std::vector<Case> cases = {
        {2.0, {1024, 740}, 1.5}, {2.0, {1280, 770}, 2.0}, {3.0, {1280, 770}, 2.0}, {1.5, {640, 480}, 1.0},
        {1.0, {300, 200}, 1.0},  {1.5, {1106, 730}, 1.5}, {2.0, {1106, 730}, 2.0}, {2.0, {1105, 730}, 1.5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LargestFittingZoom(c.asked, stratified, c.room), c.shown)
            << c.asked << " on " << c.room.width() << " x " << c.room.height();
    }
    CreateForms();
    EXPECT_EQ(LargestFixedWindow(), QSize(545, 370)) << "the stratified and the import dialog";
    DestroyForms();
}

// On the offscreen screen of 800 x 600 the sample window (520 x 420) fits at
// zoom 1 only; it and a file dialog keep to the screen at every factor.
TEST(ZoomTest, TheSampleWindowAndTheFileDialogsFitTheScreen)
{
    CreateForms();
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    TSampleWindow& sample = *Forms.SampleWindow;
    sample.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sample));
    EXPECT_TRUE(room.contains(sample.frameGeometry())) << sample.width() << " x " << sample.height();
    if (Zoom == 1.0) {
        EXPECT_EQ(sample.size(), QSize(520, 420)) << "as before where it fits";
    }
    sample.hide();

    QRect dialogFrame;
    testing_support::OnNextModal([&dialogFrame](QWidget* modal) {
        dialogFrame = modal->frameGeometry();
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_TRUE(AskForFile(Forms.Main->OpenDialog, FileDialogUse::ReadPopulation).isEmpty());
    EXPECT_TRUE(room.contains(dialogFrame)) << dialogFrame.width() << " x " << dialogFrame.height();
    DestroyForms();
}

// The box plots are drawn at the zoomed size, as the graph is, and saved as shown.
TEST(ZoomTest, TheComparisonsBoxPlotsAreDrawnAndSavedAtTheZoomedSize)
{
    window_test::ReadExamplePopulation("classroom.pop");
    SimulationState.sampleSize = 10;
    SimulationState.auxiliaryVariable = 2;
    TComparison window;
    window.StartFromSettings();
    window.SampleCount->setValue(20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.RunButtonClick();
    ASSERT_TRUE(window.result().has_value());

    const QImage picture = window.RenderBoxPlots();
    const QSize plain = window.PlotLabel->size();
    EXPECT_EQ(picture.size(), QSize(std::lround(plain.width() * Zoom), std::lround(plain.height() * Zoom)));
    const QPixmap shown = window.PlotLabel->pixmap();
    EXPECT_EQ(shown.devicePixelRatio(), Zoom);
    EXPECT_EQ(shown.toImage().convertToFormat(picture.format()), picture);
    // Otherwise the picture of zoom 1 enlarged: the labels are drawn in a larger font.
    std::vector<BoxPlotRow> rows;
    for (std::size_t v = 0; v < window.variants().size(); ++v) {
        rows.push_back({QString::fromStdString(VariantText(window.variants()[v])),
                        SummarizeForBoxPlot(window.result()->tallies[v].estimates)});
    }
    const QImage small = RenderPicture(plain, tarvek_colors::PlotBackground, [&](QPainter& painter) {
        PaintBoxPlots(painter, rows, window.result()->populationMean);
    });
    const QImage enlarged = small.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_EQ(picture == enlarged.convertToFormat(picture.format()), Zoom == 1.0);

    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("boxes.png"));
    testing_support::OnNextModal(
        [&saved](QWidget* modal) { testing_support::TypeIntoFileDialog(modal, saved); });
    window.SaveButtonClick();
    EXPECT_EQ(QImage(saved).convertToFormat(picture.format()), picture);
    window.hide();
}

TEST(ZoomTest, WindowsGrowAndTheGraphIsDrawnAtTheZoomedSize)
{
    CreateForms();
    const QImage panel = Forms.Main->InfoPanel->grab().toImage();
    EXPECT_EQ(panel.size(), QSize(std::lround(InfoPanelWidth * Zoom), std::lround(InfoPanelHeight * Zoom)));

    window_test::SetUpPopulation(100);
    TSimula& window = *Forms.Simula;
    window.show();
    window.FastButtonClick();
    const QImage shown = window.grab().toImage();
    EXPECT_EQ(shown.size(), QSize(std::lround(541 * Zoom), std::lround(346 * Zoom)));

    // The screen shows the picture pixel for pixel, at the zoomed size.
    const QImage picture = window.PlotPicture();
    const QRect frame = PlotFrameRect();
    const QPoint corner(std::lround(frame.left() * Zoom), std::lround(frame.top() * Zoom));
    ASSERT_EQ(picture.size(), QSize(std::lround(frame.width() * Zoom), std::lround(frame.height() * Zoom)));
    EXPECT_EQ(shown.copy(QRect(corner, picture.size())).convertToFormat(picture.format()), picture);

    // At zoom 1 the picture of before; otherwise not that picture enlarged pixel
    // by pixel: the labels are drawn in a larger font.
    const QImage plain = RenderPlotFrame(window.runGraph());
    if (Zoom == 1.0) {
        EXPECT_EQ(picture, plain.convertToFormat(picture.format()));
    } else {
        const QImage enlarged = plain.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_NE(picture, enlarged.convertToFormat(picture.format()));
    }
    window.hide();
    DestroyForms();
}

// Eight variants with intervals make the comparison window taller and wider than
// the offscreen screen at every factor: it keeps to the screen and scrolls, with
// Save and OK in view.
TEST(ZoomTest, TheComparisonWindowKeepsToItsScreen)
{
    window_test::ReadExamplePopulation("classroom.pop");
    SimulationState.sampleSize = 10;
    SimulationState.auxiliaryVariable = 4;
    TComparison window;
    window.StartFromSettings();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect room = window.screen()->availableGeometry();
    if (window.Contents->height() + window.SaveButton->height() * 2 < room.height()) {
        EXPECT_EQ(window.Scroller->size(), window.Contents->size()) << "no scroll bar where all fits";
    }

    struct Added {
        int design;  ///< equal, stratified, systematic, proportional to size
        int variable;
        int estimator;
    };
    // Classroom: 1 Mark, 2 Last mark, 3 Homework, 4 Set, 5 Travel.
    for (const Added& added : {Added{0, 2, 1}, Added{0, 2, 2}, Added{2, 3, 0}, Added{3, 3, 0}}) {
        window.DesignList->setCurrentIndex(added.design);
        window.DesignVariableList->setCurrentIndex(added.variable - 1);
        window.OrderList->setCurrentIndex(added.variable);
        window.EstimatorList->setCurrentIndex(added.estimator);
        window.AuxiliaryList->setCurrentIndex(added.variable - 1);
        window.AddButtonClick();
    }
    ASSERT_EQ(window.variants().size(), 8U);
    window.SampleCount->setValue(10);
    window.IntervalsBox->setChecked(true);
    window.RunButtonClick();
    ASSERT_TRUE(window.result().has_value());

    EXPECT_TRUE(room.contains(window.frameGeometry()))
        << window.frameGeometry().width() << " x " << window.frameGeometry().height() << " on "
        << room.width() << " x " << room.height();
    for (const QPushButton* button : {window.SaveButton, window.OKButton}) {
        EXPECT_TRUE(window.rect().contains(button->geometry())) << button->text().toStdString();
    }
    const QRect plot = window.PlotLabel->geometry();
    EXPECT_TRUE(window.Contents->rect().contains(plot)) << "the box plots within the scrolled contents";
    // The scroll bars reach every part of the contents once the layout request is handled.
    const QScrollArea& scroller = *window.Scroller;
    const auto everythingReachable = [&scroller, &window] {
        const QSize view = scroller.viewport()->size();
        return scroller.horizontalScrollBar()->maximum() + view.width() >= window.Contents->width() &&
               scroller.verticalScrollBar()->maximum() + view.height() >= window.Contents->height();
    };
    EXPECT_TRUE(QTest::qWaitFor(everythingReachable));
    window.hide();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Zoom = ZoomFactorFromArguments(argc, argv);
    if (Zoom == 0.0) {
        return 2;
    }
    ApplyZoom(Zoom);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
