#pragma once
// Program start: the application's title and help file, the creation of every
// window, the event loop.

#include <QString>

/// \brief Runs the desktop program until the main window is closed; returns the
/// process's exit code.
int RunApplication(int argc, char** argv);

/// \brief Creates every window once, hidden, in the fixed order: the main window
/// first (its FormCreate runs before any other window exists), then the dialogs
/// as children of the main window, which deletes them.
void CreateForms();

/// \brief Deletes every window and clears the registry.
void DestroyForms();

/// \brief The application's help file, a bare file name: "tarvek.chm".
QString ApplicationHelpFile();
