#pragma once
// The look every window of the program shares: fixed client size, no title-bar
// buttons, the default sans-serif font at 8 points, a background colour, centred
// on the screen when shown.

#include <QColor>

class QWidget;
class QFont;
class QLabel;
class QString;

namespace tarvek_colors {
inline const QColor SettingsBackground(0, 64, 128);  ///< dialogs and simulation windows
inline const QColor MainBackground(0, 102, 153);     ///< main window and statistics table
inline const QColor PanelBackground(255, 255, 221);  ///< panels and grid cells
inline const QColor EntryBackground(221, 255, 255);  ///< entry fields and lists
inline const QColor PlotBackground(255, 255, 204);
inline const QColor BarGreen(0, 128, 0);
inline const QColor MeanLineRed(255, 0, 0);
inline const QColor ErrorBackground(204, 0, 0);
}  // namespace tarvek_colors

/// \brief Gives a top-level window the shared look: fixed client size, a frame
/// with a title but no title-bar buttons, the 8-point sans-serif font and the
/// background colour.
void SetUpFixedWindow(QWidget* window, int clientWidth, int clientHeight, const QColor& background);

/// \brief Moves `window` so that it is centred on the primary screen.
void CenterOnScreen(QWidget* window);

/// \brief The application's 8-point sans-serif font.
QFont StandardFont();

/// \brief Sets a widget's background colour through its palette (and fills it).
void SetBackground(QWidget* widget, const QColor& color);

/// \brief Places a child at (left, top) in client coordinates with the given size.
void Place(QWidget* widget, int left, int top, int width, int height);

/// \brief Sets a label's text and fits the label to it, so that a label placed at
/// its top-left corner grows and shrinks with its text (a parent clips it).
void SetAutoSizedText(QLabel* label, const QString& text);
