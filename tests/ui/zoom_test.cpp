// The desktop program under --zoom F, one process per factor: every window F
// times larger, the graph drawn at the zoomed size and saved at that size;
// at zoom 1 the pixels of before.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <cmath>
#include <vector>

#include "plot/plot_renderer.h"
#include "tests/ui/window_test_setup.h"
#include "ui/application.h"
#include "ui/distribution_window.h"
#include "ui/forms.h"
#include "ui/main_window.h"

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
