#include "ui/dialog_fields.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <cmath>

#include "core/number_text.h"
#include "core/simulation_state.h"
#include "ui/window_style.h"

namespace {

constexpr int RadioButtonHeight = 17;

}  // namespace

void SetCaption(QLabel* label, const std::string& text)
{
    SetAutoSizedText(label, QString::fromStdString(text));
}

void SetCaption(QRadioButton* button, const std::string& text)
{
    button->setText(QString::fromStdString(text));
    button->resize(button->sizeHint().width(), RadioButtonHeight);
}

void SetCaption(QGroupBox* group, const std::string& text)
{
    group->setTitle(QString::fromStdString(text));
}

void ExecuteWithVariableList(QDialog* dialog, QComboBox* list, int selected)
{
    FillVariableList(list);
    SelectVariable(list, selected);
    CenterOnScreen(dialog);
    dialog->exec();
    list->clear();
}

void FillVariableList(QComboBox* list)
{
    for (int k = 1; k <= SimulationState.variableCount && k <= MaxVariables; ++k) {
        list->addItem(QString::fromStdString(SimulationState.variableNames[k]));
    }
}

void SelectVariable(QComboBox* list, int k)
{
    list->setCurrentIndex(k >= 1 && k <= list->count() ? k - 1 : 0);
}

int SelectedVariable(const QComboBox* list)
{
    return list->currentIndex() + 1;
}

bool ParseDecimal(const QString& text, double& value)
{
    static const QRegularExpression syntax(
        QStringLiteral(R"(^\s*([+-]?)((?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*$)"));
    const QRegularExpressionMatch match = syntax.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    // ParseDecimal takes no "+" and no blanks, and reads "." whatever the locale.
    const std::string number =
        (match.captured(1) == QLatin1String("-") ? "-" : "") + match.captured(2).toStdString();
    double parsed = 0.0;
    const auto result = ParseDecimal(number.data(), number.data() + number.size(), parsed);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}
