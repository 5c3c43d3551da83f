#pragma once
// Where every file dialog of the program starts, and how it is shown: the
// session's last folder (kept in memory only), else the examples for reading,
// else the user's documents or pictures for saving.

#include <QString>

class QFileDialog;

/// \brief What a file dialog is for; it decides the folder the dialog starts in.
enum class FileDialogUse {
    ReadPopulation,
    ReadLesson,
    SaveFile,  ///< a population, a table or a lesson
    SavePicture,
};

/// \brief The folder a file dialog for `use` starts in. `lastFolder` (the
/// session's last folder, empty when there is none) wins, except that a save
/// never starts in the examples folder. Otherwise a population to read starts in the examples
/// folder (the current folder without one), a save and a lesson to open in the
/// user's Documents folder, a picture in the Pictures folder, when that folder
/// exists, else in the home folder.
QString StartFolder(FileDialogUse use, const QString& lastFolder);

/// \brief Shows `dialog` modally in StartFolder(use, the session's last folder),
/// offering `offeredName` (a name without a folder) when it is not empty.
/// Returns the confirmed file's path, whose folder becomes the session's last
/// folder, or an empty text when the user cancelled.
QString AskForFile(QFileDialog* dialog, FileDialogUse use, const QString& offeredName = {});
