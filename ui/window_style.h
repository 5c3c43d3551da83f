#pragma once
// The look every window of the program shares (fixed client size, no title-bar
// buttons, the default sans-serif font at 8 points, a background colour, centred
// on the screen when shown) and the controls every window places at client
// coordinates.

#include <QSize>
#include <span>

#include "plot/palette.h"

class QComboBox;
class QDialog;
class QFont;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QString;
class QWidget;

/// \brief Gives a top-level window the shared look: fixed client size, a frame
/// with a title but no title-bar buttons, the 8-point sans-serif font and the
/// background colour.
void SetUpFixedWindow(QWidget* window, int clientWidth, int clientHeight, const QColor& background);

/// \brief Moves `window` so that it is centred on the primary screen.
void CenterOnScreen(QWidget* window);

/// \brief Room a window's frame and title bar take on the screen, in the
/// screen's pixels (the window manager draws them unzoomed).
inline constexpr QSize WindowFrameRoom(16, 40);

/// \brief Shrinks a dialog that can be resized, where it would be larger than
/// the room of the primary screen; showing it places it within that room.
void FitWithinScreen(QWidget* window);

/// \brief The application's 8-point sans-serif font.
QFont StandardFont();

/// \brief The look of a settings dialog: fixed client size, the dark blue
/// background, white captions and grey ones on disabled controls.
void SetUpSettingsDialog(QDialog* dialog, int clientWidth, int clientHeight);

/// \brief Sets a widget's background colour through its palette (and fills it).
void SetBackground(QWidget* widget, const QColor& color);

/// \brief Sets the colour of a widget's texts; children without a colour of
/// their own take it too.
void SetTextColor(QWidget* widget, const QColor& color);

/// \brief Places a child at (left, top) in client coordinates with the given size.
void Place(QWidget* widget, int left, int top, int width, int height);

/// \brief Sets a label's text and fits the label to it, so that a label placed at
/// its top-left corner grows and shrinks with its text (a parent clips it).
void SetAutoSizedText(QLabel* label, const QString& text);

/// \brief Where a control right of `caption` may begin at the earliest: after
/// the caption's text and one blank, measured in the caption's font.
int RightOfCaption(const QLabel* caption);
/// \brief Keeps a caption clear of the control placed right of it in the same
/// parent: a caption whose text would reach `next` is wrapped onto more lines
/// within the room before it.
void WrapCaptionBefore(QLabel* caption, const QWidget* next);
/// \brief Widens `group`, never narrowing it, so that each of its radio buttons
/// ends one blank inside its right edge.
void WidenToHoldRadioButtons(QGroupBox* group);

/// \brief A sunken frame that leaves its inside to what is painted beneath it.
QFrame* CreateSunkenFrame(QWidget* parent, const char* name, int left, int top, int width, int height);
/// \brief A sunken panel filled with the panel colour.
QFrame* CreatePanel(QWidget* parent, const char* name, int left, int top, int width, int height);
/// \brief A label whose size follows its text (see SetAutoSizedText).
QLabel* CreateLabel(QWidget* parent, const char* name, int left, int top);
QPushButton* CreateButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                          int width, int height);
/// \brief The "OK" button, which Enter in any field of its window presses.
QPushButton* CreateOKButton(QWidget* parent, int left, int top, int width, int height);
QGroupBox* CreateGroupBox(QWidget* parent, const char* name, int left, int top, int width, int height);
/// \brief A radio button whose width follows its caption (see SetCaption).
QRadioButton* CreateRadioButton(QWidget* parent, const char* name, int left, int top);
QLineEdit* CreateEntryField(QWidget* parent, const char* name, int left, int top, int width, int height);
/// \brief A drop-down list that cannot be typed into, so it always yields a
/// listed item.
QComboBox* CreateVariableList(QWidget* parent, const char* name, int left, int top, int width);
/// \brief A spin field limited to low..high: its arrows change it, and typed
/// digits within the range.
QSpinBox* CreateSpinField(QWidget* parent, const char* name, int left, int top, int width, int height,
                          int low, int high);
/// \brief A read-only text grid in the cell colour, without row headings, scroll
/// bars, selection or focus.
QTableWidget* CreateReadOnlyGrid(QWidget* parent, const char* name, int rows, int columns, int left, int top,
                                 int width, int height);
/// \brief Fits the columns of a read-only grid into its width: each column as
/// wide as its texts need, at least its width in `widths` (the layout's own).
/// Where they would not fit, column `shrinking` gives up room down to its texts'
/// width or its own, whichever is less, and the last column takes what is left;
/// a text still cut is shown whole in its cell's tooltip.
void FitColumns(QTableWidget* grid, std::span<const int> widths, int shrinking);

/// \brief Sets a label's text and fits the label to it, cut with an ellipsis to
/// `room` pixels where it is wider, and then shown whole in its tooltip.
void SetElidedText(QLabel* label, const QString& text, int room);

/// \brief Lets the mouse wheel change `field` only while it has the focus;
/// otherwise the wheel scrolls what holds it.
void TakeWheelOnlyWithFocus(QWidget* field);
