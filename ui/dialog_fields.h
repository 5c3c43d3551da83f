#pragma once
// What the settings dialogs share beyond the common controls: captions from the
// text table, the variable lists filled from the population, and the reading of
// the texts they hold.

#include <QString>
#include <string>

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QRadioButton;

/// \brief Sets the caption of a label, radio button or group box; labels and
/// radio buttons take the size of their new text.
void SetCaption(QLabel* label, const std::string& text);
void SetCaption(QRadioButton* button, const std::string& text);
void SetCaption(QGroupBox* group, const std::string& text);

/// \brief Lists the variables in `list` with variable `selected` chosen (see
/// SelectVariable), shows `dialog` centred and modally, and empties the list
/// again, so that every showing lists the population read at that time.
void ExecuteWithVariableList(QDialog* dialog, QComboBox* list, int selected);

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
