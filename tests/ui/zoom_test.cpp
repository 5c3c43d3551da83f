// The desktop program under --zoom F, one process per factor: every window F
// times larger, the graph scaled pixel by pixel, the saved picture unchanged.
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

TEST(ZoomTest, WindowsGrowAndTheGraphKeepsSharpPixels)
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
    // Every screen pixel of the plot frame shows a pixel of the picture it lies
    // on (where a factor of 1.5 splits pixels, the one under its corner or under
    // its centre): no blend of pixels. A whole factor makes each pixel a block.
    const QImage& picture = window.clientImage();
    const auto sourceOf = [](int screen, double shift) { return static_cast<int>((screen + shift) / Zoom); };
    const QRect frame = PlotFrameRect();
    int blurred = 0;
    for (int y = std::lround(frame.top() * Zoom); y < std::lround((frame.bottom() + 1) * Zoom); ++y) {
        for (int x = std::lround(frame.left() * Zoom); x < std::lround((frame.right() + 1) * Zoom); ++x) {
            bool found = false;
            for (const double shiftX : {0.0, 0.5}) {
                for (const double shiftY : {0.0, 0.5}) {
                    found =
                        found || shown.pixel(x, y) == picture.pixel(sourceOf(x, shiftX), sourceOf(y, shiftY));
                }
            }
            blurred += found ? 0 : 1;
        }
    }
    EXPECT_EQ(blurred, 0);
    EXPECT_EQ(RenderPlotFrame(window.runGraph()).size(), frame.size()) << "the saved picture keeps its size";
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
