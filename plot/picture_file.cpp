#include "plot/picture_file.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <array>

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

bool PaintSvg(QFile& file, QSize size, const PaintPicture& paint)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
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

bool PaintPdf(QFile& file, QSize size, const PaintPicture& paint)
{
    QPdfWriter writer(&file);
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
    const QByteArray format = PictureFormatFor(name);
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return file.errorString().toStdString();
    }
    bool written = false;
    if (format == "SVG") {
        written = PaintSvg(file, raster.size(), paint);
    } else if (format == "PDF") {
        written = PaintPdf(file, raster.size(), paint);
    } else {
        written = raster.convertToFormat(QImage::Format_RGB32).save(&file, format.constData());
    }
    if (!written || !file.flush()) {
        return file.errorString().toStdString();
    }
    return "";
}
