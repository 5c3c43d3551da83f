#pragma once
// Program start: the application's title and help file, the creation of every
// window, the event loop.

#include <QSize>
#include <QString>

/// \brief The zoom factor that "--zoom F" or "--zoom=F" among `arguments` asks
/// for: 1 without the option, 0 when F is not one of 1, 1.5, 2 and 3.
double ZoomFactorFromArguments(int argc, const char* const* argv);

/// \brief Shows every window `factor` times larger, pictures scaled pixel by
/// pixel; takes effect for an application object created afterwards.
void ApplyZoom(double factor);

/// \brief The largest zoom factor up to `asked` at which a window of `window`
/// pixels at zoom 1, with its frame, fits `room`, the screen's pixels; 1 where
/// none does.
double LargestFittingZoom(double asked, QSize window, QSize room);

/// \brief The largest of the dialogs whose size is fixed, at zoom 1 (the
/// comparison window, which scrolls where its screen is too small, aside).
QSize LargestFixedWindow();

/// \brief Runs the desktop program until the main window is closed; returns the
/// process's exit code. A write past the file size limit fails and is reported
/// rather than ending the process.
int RunApplication(int argc, char** argv);

/// \brief Creates every window once, hidden, in the fixed order: the main window
/// first (its FormCreate runs before any other window exists), then the dialogs
/// as children of the main window, which deletes them.
void CreateForms();

/// \brief Deletes every window and clears the registry.
void DestroyForms();

/// \brief The application's help file, a bare file name: "tarvek.chm".
QString ApplicationHelpFile();
