#include "plot/picture_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "core/simulation_state.h"
#include "engine/run_engine.h"
#include "plot/palette.h"
#include "plot/plot_renderer.h"
#include "tests/support/file_size_limit.h"

namespace {

TEST(PictureFormat, ChosenByTheExtensionInAnyCase)
{
    const std::vector<std::pair<QString, QByteArray>> cases = {
        {"graph.bmp", "BMP"}, {"graph.PNG", "PNG"}, {"a.b.svg", "SVG"},       {"graph.Pdf", "PDF"},
        {"graph", "BMP"},     {"pdf", "BMP"},       {"graph.svg.txt", "BMP"}, {"graph.", "BMP"},
    };
    for (const auto& [name, format] : cases) {
        EXPECT_EQ(PictureFormatFor(name), format) << name.toStdString();
    }
    const QStringList filters = PictureFileFilters();
    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(filters.front(), QStringLiteral("Bitmap file (*.bmp)")) << "BMP stays first";
    for (const QString& filter : filters) {
        EXPECT_TRUE(filter.endsWith(QStringLiteral("(*.") + PictureSuffixOfFilter(filter) + QLatin1Char(')')))
            << filter.toStdString();
    }
}

class SavedPlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulationState = TSimulationState{};
        SimulationState.verticalCompression = 1;
        graph = StartRunGraph(GraphKind::Histogram, RunScale{0.0, 20.0, 20.0}, 10.0);
        graph.counts[25] = 12;
    }

    std::string Path(const char* name) const
    {
        return folder.filePath(QString::fromLatin1(name)).toStdString();
    }

    QByteArray Contents(const std::string& path) const
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    RunGraph graph;
};

TEST_F(SavedPlotTest, EveryFormatReadsBackAsTheSameDrawing)
{
    const QImage expected = RenderPlotFrame(graph);
    ASSERT_EQ(SavePlotPicture(graph, Path("graph.bmp")), "");
    ASSERT_EQ(SavePlotPicture(graph, Path("graph.png")), "");
    EXPECT_EQ(QImage(QString::fromStdString(Path("graph.png"))).convertToFormat(QImage::Format_RGB32),
              expected);
    EXPECT_EQ(QImage(QString::fromStdString(Path("graph.bmp"))).convertToFormat(QImage::Format_RGB32),
              expected);

    ASSERT_EQ(SavePlotPicture(graph, Path("graph.svg")), "");
    QSvgRenderer svg(QString::fromStdString(Path("graph.svg")));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, 481, 257));
    QImage drawn(481, 257, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        svg.render(&painter);
    }
    // The vector drawing shows the same background, bar and mean line.
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            differing += drawn.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_LT(differing, expected.width() * expected.height() / 50) << "only the text may be drawn otherwise";

    ASSERT_EQ(SavePlotPicture(graph, Path("graph.pdf")), "");
    const QByteArray pdf = Contents(Path("graph.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdf.count("/Type /Page\n"), 1);
    EXPECT_TRUE(pdf.contains("/Count 1")) << "one page";
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 481.000000 257.000000]")) << "a point a pixel";
}

TEST_F(SavedPlotTest, AFileThatCannotBeCreatedGivesTheReason)
{
    for (const char* name : {"missing/graph.bmp", "missing/graph.svg", "missing/graph.pdf"}) {
        EXPECT_NE(SavePlotPicture(graph, Path(name)), "") << name;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(Path(name))));
    }
}

TEST_F(SavedPlotTest, AFilePastTheSizeLimitSaysSoAndKeepsTheOldOne)
{
    for (const char* name : {"graph.bmp", "graph.png", "graph.svg", "graph.pdf"}) {
        SCOPED_TRACE(name);
        const std::string path = Path(name);
        QFile old(QString::fromStdString(path));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        std::string failure;
        {
            const testing_support::FileSizeLimit fullDisk(64);
            failure = SavePlotPicture(graph, path);
        }
        EXPECT_EQ(failure, "File too large");
        EXPECT_EQ(Contents(path), "old");
    }
}

}  // namespace
