#include "ui/dialog_folders.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/example_data.h"
#include "ui/window_style.h"

namespace {

/// The folder of the last file chosen in any file dialog of this session.
QString& SessionFolder()
{
    static QString folder;
    return folder;
}

/// Whether `folder` is the examples folder or lies inside it: read-only once
/// installed, so never offered for a save.
bool IsInExamples(const QString& folder)
{
    const QString examples = QFileInfo(ExamplesFolder()).canonicalFilePath();
    const QString inside = QFileInfo(folder).canonicalFilePath();
    return !examples.isEmpty() && (inside == examples || inside.startsWith(examples + QLatin1Char('/')));
}

QString ExistingOrHome(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
}

}  // namespace

QString StartFolder(FileDialogUse use, const QString& lastFolder)
{
    switch (use) {
        case FileDialogUse::ReadPopulation:
            if (!lastFolder.isEmpty()) {
                return lastFolder;
            }
            return !ExamplesFolder().isEmpty() ? ExamplesFolder() : QDir::currentPath();
        case FileDialogUse::ReadLesson:
            return !lastFolder.isEmpty() ? lastFolder : ExistingOrHome(QStandardPaths::DocumentsLocation);
        case FileDialogUse::SaveFile:
        case FileDialogUse::SavePicture:
            if (!lastFolder.isEmpty() && !IsInExamples(lastFolder)) {
                return lastFolder;
            }
            return ExistingOrHome(use == FileDialogUse::SavePicture ? QStandardPaths::PicturesLocation
                                                                    : QStandardPaths::DocumentsLocation);
    }
    return QDir::homePath();
}

QString AskForFile(QFileDialog* dialog, FileDialogUse use, const QString& offeredName)
{
    const QDir start(StartFolder(use, SessionFolder()));
    dialog->setDirectory(start);
    if (!offeredName.isEmpty()) {
        dialog->selectFile(offeredName);
    }
    FitWithinScreen(dialog);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        // A folder the user went to, by typing its name or by clicking, is where
        // the next dialog starts, even when no file was chosen there.
        if (dialog->directory() != start) {
            SessionFolder() = dialog->directory().absolutePath();
        }
        return {};
    }
    const QString fileName = dialog->selectedFiles().constFirst();
    SessionFolder() = QFileInfo(fileName).absolutePath();
    return fileName;
}
