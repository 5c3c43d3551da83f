#pragma once
// What leaves the program from its windows: pictures through a Save dialog in
// the format the name asks for, and tables as tab-separated text on the
// clipboard or as a CSV file.

#include <QString>

#include "plot/picture_file.h"

class QFileDialog;
class QImage;
class QTableWidget;
class QWidget;

/// \brief Makes `dialog` a Save dialog for pictures: BMP first and chosen, then
/// PNG, SVG and PDF; the suffix added to a bare name follows the chosen filter.
void SetUpPictureSaveDialog(QFileDialog* dialog);

/// \brief The folder a picture's Save dialog opens in, `lastFolder` being the
/// session's last folder: StartFolder for pictures.
QString SaveDialogFolder(const QString& lastFolder);

/// \brief Shows `dialog` in the session's last folder (see SaveDialogFolder);
/// when the user confirms a name, writes the picture in the
/// format the name asks for (`raster` for BMP and PNG, `paint` for SVG and PDF)
/// and reports a file that cannot be created. The dialog offers that name next
/// time.
void SavePictureThroughDialog(QFileDialog* dialog, const QImage& raster, const PaintPicture& paint);

/// \brief Writes the picture to `fileName` in the format the name asks for
/// (`raster` for bitmaps, `paint` for SVG and PDF); a file that cannot be created
/// is reported.
void WritePictureOrReport(const QString& fileName, const QImage& raster, const PaintPicture& paint);

/// \brief Every cell of `table`, a row a line, cells separated by tabs (tabs and
/// line ends inside a cell become blanks); with `withHeader` the column headings
/// first.
QString TableAsTabSeparated(const QTableWidget* table, bool withHeader);

/// \brief The same as CSV: line ends inside a cell become blanks, cells are
/// separated by commas, a cell holding a comma, a quote or outer blanks is
/// enclosed in double quotes with its quotes doubled.
QString TableAsCsv(const QTableWidget* table, bool withHeader);

/// \brief Ctrl+C in `owner` copies `table` as tab-separated text, and the table's
/// context menu offers "Copy" and "Save as CSV...".
void AddTableExport(QWidget* owner, QTableWidget* table, bool withHeader);
