#include "ui/dialog_fields.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <charconv>
#include <cmath>

#include "core/simulation_state.h"
#include "ui/window_style.h"

namespace {

// Delphi-era dialogs used 21-pixel drop-down lists; the height is not laid out.
constexpr int ListHeight = 21;
constexpr int RadioButtonHeight = 17;

void SetEntryColors(QWidget* entry)
{
    QPalette palette = entry->palette();
    palette.setColor(QPalette::Base, tarvek_colors::EntryBackground);
    palette.setColor(QPalette::Button, tarvek_colors::EntryBackground);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    entry->setPalette(palette);
}

}  // namespace

void SetUpSettingsDialog(QDialog* dialog, int clientWidth, int clientHeight)
{
    SetUpFixedWindow(dialog, clientWidth, clientHeight, tarvek_colors::SettingsBackground);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    dialog->setPalette(palette);
}

QGroupBox* CreateGroupBox(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* group = new QGroupBox(parent);
    group->setObjectName(QString::fromLatin1(name));
    Place(group, left, top, width, height);
    return group;
}

QPushButton* CreateButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                          int width, int height)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    Place(button, left, top, width, height);
    return button;
}

QPushButton* CreateOKButton(QWidget* parent, int left, int top, int width, int height)
{
    QPushButton* button = CreateButton(parent, "OKButton", "OK", left, top, width, height);
    button->setDefault(true);
    return button;
}

QLabel* CreateLabel(QWidget* parent, const char* name, int left, int top)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
}

QRadioButton* CreateRadioButton(QWidget* parent, const char* name, int left, int top)
{
    auto* button = new QRadioButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->move(left, top);
    return button;
}

QLineEdit* CreateEntryField(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    SetEntryColors(field);
    Place(field, left, top, width, height);
    return field;
}

QComboBox* CreateVariableList(QWidget* parent, const char* name, int left, int top, int width)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(false);
    SetEntryColors(list);
    Place(list, left, top, width, ListHeight);
    return list;
}

QSpinBox* CreateArrowsOnlySpinField(QWidget* parent, const char* name, int left, int top, int width,
                                    int height, int low, int high)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    // The editor is the spin box's own child; making it read-only keeps the arrows.
    spin->findChild<QLineEdit*>()->setReadOnly(true);
    SetEntryColors(spin);
    Place(spin, left, top, width, height);
    return spin;
}

void SetCaption(QLabel* label, const std::string& text)
{
    label->setText(QString::fromStdString(text));
    label->adjustSize();
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
    // from_chars takes no "+" and no blanks, and reads "." whatever the locale.
    const std::string number =
        (match.captured(1) == QLatin1String("-") ? "-" : "") + match.captured(2).toStdString();
    double parsed = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}
