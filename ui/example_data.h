#pragma once
// Where the program finds its own files: the help file and the example
// populations. They stand beside the program, in its installed data folder
// (share/tarvek beside bin), or, in a build tree, where the build left them.

#include <QString>
#include <QStringList>

/// \brief The help file's name, without a folder.
inline constexpr char HelpFileName[] = "tarvek.chm";

/// \brief Every place the help file is looked for, most preferred first.
QStringList HelpFileCandidates();

/// \brief The first of HelpFileCandidates() that exists; empty when none does.
QString HelpFilePath();

/// \brief The folder with the example populations (the first open dialog starts
/// there); empty when no such folder exists.
QString ExamplesFolder();

/// \brief Whether the file at `path` is one of the example populations: a file
/// directly in ExamplesFolder().
bool IsExampleFile(const QString& path);

/// \brief The example population called `name` (a file name without a folder);
/// empty when the examples folder holds no such file.
QString ExampleFile(const QString& name);
