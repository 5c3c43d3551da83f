#pragma once
// Building blocks the settings dialogs share: their look, their controls placed
// by client coordinates, the variable lists filled from the population, and the
// reading of the texts they hold.

#include <QString>
#include <string>

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

/// \brief The look of a settings dialog: fixed client size, the dark blue
/// background and white captions.
void SetUpSettingsDialog(QDialog* dialog, int clientWidth, int clientHeight);

QGroupBox* CreateGroupBox(QWidget* parent, const char* name, int left, int top, int width, int height);
QPushButton* CreateButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                          int width, int height);
/// \brief The "OK" button, which Enter in any field of the dialog presses.
QPushButton* CreateOKButton(QWidget* parent, int left, int top, int width, int height);
/// \brief A label whose size follows its text (see SetCaption).
QLabel* CreateLabel(QWidget* parent, const char* name, int left, int top);
/// \brief A radio button whose width follows its caption (see SetCaption).
QRadioButton* CreateRadioButton(QWidget* parent, const char* name, int left, int top);
QLineEdit* CreateEntryField(QWidget* parent, const char* name, int left, int top, int width, int height);
/// \brief A drop-down list that cannot be typed into, so it always yields a
/// listed item.
QComboBox* CreateVariableList(QWidget* parent, const char* name, int left, int top, int width);
/// \brief A spin field limited to low..high whose text cannot be typed into:
/// only its arrows change it.
QSpinBox* CreateArrowsOnlySpinField(QWidget* parent, const char* name, int left, int top, int width,
                                    int height, int low, int high);

/// \brief Sets the caption of a label, radio button or group box; labels and
/// radio buttons take the size of their new text.
void SetCaption(QLabel* label, const std::string& text);
void SetCaption(QRadioButton* button, const std::string& text);
void SetCaption(QGroupBox* group, const std::string& text);

/// \brief Lists the names of variables 1..K in file order (item i-1 is variable i).
void FillVariableList(QComboBox* list);
/// \brief Selects variable k, or variable 1 when k names no listed variable.
void SelectVariable(QComboBox* list, int k);
/// \brief The variable of the selected item (1..K), 0 when nothing is selected.
int SelectedVariable(const QComboBox* list);

/// \brief Reads a decimal real ("." as decimal point whatever the locale:
/// optional blanks and sign, digits with an optional "." and decimals, optional
/// exponent). Leaves `value` alone and returns false when the text is no finite number.
bool ParseDecimal(const QString& text, double& value);
