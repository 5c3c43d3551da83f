#include "ui/export_dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QShortcut>
#include <QTableWidget>

#include "plot/atomic_save.h"
#include "ui/dialog_folders.h"
#include "ui/error_message.h"

namespace {

QString CellText(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text() : QString();
}

QString HeaderText(const QTableWidget* table, int column)
{
    const QTableWidgetItem* item = table->horizontalHeaderItem(column);
    return item != nullptr ? item->text() : QString();
}

/// The table's lines, each a list of cells: the headings first when asked for.
QList<QStringList> TableLines(const QTableWidget* table, bool withHeader)
{
    QList<QStringList> lines;
    if (withHeader) {
        QStringList header;
        for (int column = 0; column < table->columnCount(); ++column) {
            header << HeaderText(table, column);
        }
        lines << header;
    }
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            cells << CellText(table, row, column);
        }
        lines << cells;
    }
    return lines;
}

/// A cell on one line: headings break their text over two.
QString OneLine(QString cell)
{
    cell.replace(QLatin1Char('\r'), QLatin1Char(' '));
    cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return cell;
}

QString TabSafe(QString cell)
{
    return OneLine(cell).replace(QLatin1Char('\t'), QLatin1Char(' '));
}

QString CsvField(QString cell)
{
    cell = OneLine(cell);
    const bool quoted =
        cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) || cell != cell.trimmed();
    if (!quoted) {
        return cell;
    }
    cell.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}

QString JoinLines(const QList<QStringList>& lines, QChar separator, QString (*field)(QString))
{
    QString text;
    for (const QStringList& cells : lines) {
        QStringList fields;
        for (const QString& cell : cells) {
            fields << field(cell);
        }
        text += fields.join(separator) + QLatin1Char('\n');
    }
    return text;
}

void ReportUnwritableFile(const QString& fileName, const QString& reason)
{
    ShowGeneralErrorReport(
        QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason));
}

/// The dialog's property that holds the name it last saved, offered again.
constexpr const char* LastPictureName = "tarvekLastPictureName";

void SaveTableAsCsv(QWidget* owner, const QTableWidget* table, bool withHeader)
{
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("SaveCSV"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilter(QStringLiteral("CSV file (*.csv)"));
    const QString fileName = AskForFile(&dialog, FileDialogUse::SaveFile);
    if (fileName.isEmpty()) {
        return;
    }
    const QByteArray contents = TableAsCsv(table, withHeader).toUtf8();
    const QString failure = SaveAtomically(fileName, contents);
    if (!failure.isEmpty()) {
        ReportUnwritableFile(fileName, failure);
    }
}

}  // namespace

void SetUpPictureSaveDialog(QFileDialog* dialog)
{
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(PictureFileFilters());
    dialog->setDefaultSuffix(PictureSuffixOfFilter(PictureFileFilters().constFirst()));
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
        dialog->setDefaultSuffix(PictureSuffixOfFilter(filter));
    });
}

QString SaveDialogFolder(const QString& lastFolder)
{
    return StartFolder(FileDialogUse::SavePicture, lastFolder);
}

void SavePictureThroughDialog(QFileDialog* dialog, const QImage& raster, const PaintPicture& paint)
{
    const QString previousName = dialog->property(LastPictureName).toString();
    const QString fileName =
        AskForFile(dialog, FileDialogUse::SavePicture, QFileInfo(previousName).fileName());
    if (fileName.isEmpty()) {
        return;
    }
    dialog->setProperty(LastPictureName, fileName);
    WritePictureOrReport(fileName, raster, paint);
}

void WritePictureOrReport(const QString& fileName, const QImage& raster, const PaintPicture& paint)
{
    const std::string failure = WritePicture(fileName.toStdString(), raster, paint);
    if (!failure.empty()) {
        ReportUnwritableFile(fileName, QString::fromStdString(failure));
    }
}

QString TableAsTabSeparated(const QTableWidget* table, bool withHeader)
{
    return JoinLines(TableLines(table, withHeader), QLatin1Char('\t'), &TabSafe);
}

QString TableAsCsv(const QTableWidget* table, bool withHeader)
{
    return JoinLines(TableLines(table, withHeader), QLatin1Char(','), &CsvField);
}

void AddTableExport(QWidget* owner, QTableWidget* table, bool withHeader)
{
    const auto copy = [table, withHeader] {
        QGuiApplication::clipboard()->setText(TableAsTabSeparated(table, withHeader));
    };
    auto* shortcut = new QShortcut(QKeySequence::Copy, owner);
    QObject::connect(shortcut, &QShortcut::activated, owner, copy);

    table->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(table, &QWidget::customContextMenuRequested, owner,
                     [owner, table, withHeader, copy](const QPoint& position) {
                         QMenu menu(table);
                         menu.addAction(QStringLiteral("Copy"), QKeySequence(QKeySequence::Copy), copy);
                         menu.addAction(QStringLiteral("Save as CSV..."), [owner, table, withHeader] {
                             SaveTableAsCsv(owner, table, withHeader);
                         });
                         menu.exec(table->viewport()->mapToGlobal(position));
                     });
}
