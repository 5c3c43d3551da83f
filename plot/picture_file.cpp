#include "plot/picture_file.h"

#include <QFileInfo>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <array>

#include "plot/atomic_save.h"

namespace {

/// The filters of the Save dialogs and the extension each stands for.
struct FilterEntry {
    const char* suffix;
    const char* filter;
};

constexpr std::array<FilterEntry, 4> Filters = {{
    {"bmp", "Bitmap file (*.bmp)"},
    {"png", "PNG image (*.png)"},
    {"svg", "SVG drawing (*.svg)"},
    {"pdf", "PDF document (*.pdf)"},
}};

constexpr const char* PictureCreator = "Tarvek";

bool PaintSvg(QIODevice& device, QSize size, const PaintPicture& paint)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&device);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QString::fromLatin1(PictureCreator));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return false;
    }
    paint(painter);
    return painter.end();
}

bool PaintPdf(QIODevice& device, QSize size, const PaintPicture& paint)
{
    QPdfWriter writer(&device);
    writer.setCreator(QString::fromLatin1(PictureCreator));
    // One pixel of the picture is one point of the page.
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    paint(painter);
    return painter.end();
}

/// The picture file's bytes in `format`, drawn in memory so that its writing to
/// the disk is checked as a whole; empty when drawing failed.
QByteArray EncodePicture(const QByteArray& format, const QImage& raster, const PaintPicture& paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    if (format == "SVG") {
        drawn = PaintSvg(buffer, raster.size(), paint);
    } else if (format == "PDF") {
        drawn = PaintPdf(buffer, raster.size(), paint);
    } else {
        drawn = raster.convertToFormat(QImage::Format_RGB32).save(&buffer, format.constData());
    }
    return drawn ? buffer.data() : QByteArray();
}

}  // namespace

QByteArray PictureFormatFor(const QString& fileName)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    const bool vector = suffix == "svg" || suffix == "pdf";
    if (vector || (!suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix))) {
        return suffix.toUpper();
    }
    return QByteArrayLiteral("BMP");
}

QStringList PictureFileFilters()
{
    QStringList filters;
    for (const FilterEntry& entry : Filters) {
        filters << QString::fromLatin1(entry.filter);
    }
    return filters;
}

QString PictureSuffixOfFilter(const QString& filter)
{
    for (const FilterEntry& entry : Filters) {
        if (filter == QLatin1String(entry.filter)) {
            return QString::fromLatin1(entry.suffix);
        }
    }
    return QString::fromLatin1(Filters[0].suffix);
}

QImage RenderPicture(QSize size, const QColor& background, const PaintPicture& paint)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(1.0);
    canvas.fill(background);
    QPainter painter(&canvas);
    paint(painter);
    return canvas;
}

std::string WritePicture(const std::string& fileName, const QImage& raster, const PaintPicture& paint)
{
    const QString name = QString::fromStdString(fileName);
    const QByteArray contents = EncodePicture(PictureFormatFor(name), raster, paint);
    if (contents.isEmpty()) {
        return "The picture could not be drawn in this format.";
    }
    return SaveAtomically(name, contents).toStdString();
}
