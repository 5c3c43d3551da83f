#pragma once
// Pictures written to files. The format is chosen by the file name's extension
// in one place, PictureFormatFor, for every Save dialog and the batch simulator.
// Every format shows the same drawing: bitmaps (BMP, PNG, ...) hold it pixel for
// pixel, SVG and PDF hold the same painting commands as vector output.

#include <QByteArray>
#include <QSize>
#include <QStringList>
#include <functional>
#include <string>

class QColor;
class QImage;
class QPainter;

/// \brief The format a picture named `fileName` is written in, by its extension
/// in any case: "SVG" and "PDF" as vector drawings, an image format Qt can write
/// ("PNG" for ".png"), otherwise "BMP".
QByteArray PictureFormatFor(const QString& fileName);

/// \brief The filters of every Save dialog for pictures, BMP first:
/// "Bitmap file (*.bmp)", then PNG, SVG and PDF.
QStringList PictureFileFilters();

/// \brief The extension (without the dot) that the filter `filter` of
/// PictureFileFilters stands for; "bmp" for any other text.
QString PictureSuffixOfFilter(const QString& filter);

/// \brief Paints a picture in its own coordinates, (0, 0) at the top left.
using PaintPicture = std::function<void(QPainter&)>;

/// \brief `paint` on a canvas of `size` pixels (Format_RGB32, device pixel
/// ratio 1) filled with `background` first.
QImage RenderPicture(QSize size, const QColor& background, const PaintPicture& paint);

/// \brief Writes a picture to `fileName` in the format PictureFormatFor gives:
/// `paint` on a page of raster's size (one pixel a point) as SVG or PDF, otherwise
/// the bitmap `raster` in that image format (a BMP uncompressed 24-bit). Returns
/// "" or why it failed; a failed write leaves the file that was there unchanged.
std::string WritePicture(const std::string& fileName, const QImage& raster, const PaintPicture& paint);
