#include "ui/window_style.h"

#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QHeaderView>
#include <QWidget>
#include <algorithm>

#include "plot/fonts.h"

namespace {

// Drop-down lists are 21 pixels high; the layout tables give only their width.
constexpr int ListHeight = 21;

void SetEntryColors(QWidget* entry)
{
    QPalette palette = entry->palette();
    palette.setColor(QPalette::Base, tarvek_colors::EntryBackground);
    palette.setColor(QPalette::Button, tarvek_colors::EntryBackground);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    // The style draws a spin field's arrows in the window text colour, which the
    // dialogs set to white: on the light field they would not be seen.
    palette.setColor(QPalette::WindowText, Qt::black);
    entry->setPalette(palette);
}

// A list is a flat field of the entry colour, closed and opened alike, with the
// drop-down button at its right end; disabled it is greyed.
QString VariableListStyleSheet()
{
    return QStringLiteral(
               "QComboBox { background-color: %1; color: black; border: 1px solid %2;"
               " padding-left: 3px; }"
               " QComboBox:disabled { background-color: %3; color: %2; }"
               " QComboBox QAbstractItemView { background-color: %1; color: black; }")
        .arg(tarvek_colors::EntryBackground.name(), tarvek_colors::DisabledEntryText.name(),
             tarvek_colors::DisabledEntryBackground.name());
}

}  // namespace

QFont StandardFont()
{
    return InterfaceFont(8);
}

void SetBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void SetUpFixedWindow(QWidget* window, int clientWidth, int clientHeight, const QColor& background)
{
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->setFixedSize(clientWidth, clientHeight);
    window->setFont(StandardFont());
    SetBackground(window, background);
}

void SetUpSettingsDialog(QDialog* dialog, int clientWidth, int clientHeight)
{
    SetUpFixedWindow(dialog, clientWidth, clientHeight, tarvek_colors::SettingsBackground);
    SetTextColor(dialog, Qt::white);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, tarvek_colors::DisabledCaption);
    dialog->setPalette(palette);
}

void CenterOnScreen(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void Place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
}

void SetAutoSizedText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

int RightOfCaption(const QLabel* caption)
{
    const QFontMetrics metrics(caption->font());
    return caption->x() + metrics.horizontalAdvance(caption->text()) +
           metrics.horizontalAdvance(QLatin1Char(' '));
}

void WrapCaptionBefore(QLabel* caption, const QWidget* next)
{
    caption->setWordWrap(false);
    caption->adjustSize();
    if (RightOfCaption(caption) <= next->x()) {
        return;
    }
    const int room =
        next->x() - QFontMetrics(caption->font()).horizontalAdvance(QLatin1Char(' ')) - caption->x();
    caption->setWordWrap(true);
    caption->resize(room, caption->heightForWidth(room));
}

void WidenToHoldRadioButtons(QGroupBox* group)
{
    const int blank = QFontMetrics(group->font()).horizontalAdvance(QLatin1Char(' '));
    int width = group->width();
    for (const QRadioButton* button : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
        width = std::max(width, button->x() + button->width() + blank);
    }
    group->resize(width, group->height());
}

QFrame* CreateSunkenFrame(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Place(frame, left, top, width, height);
    return frame;
}

QFrame* CreatePanel(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    QFrame* panel = CreateSunkenFrame(parent, name, left, top, width, height);
    SetBackground(panel, tarvek_colors::PanelBackground);
    return panel;
}

QLabel* CreateLabel(QWidget* parent, const char* name, int left, int top)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
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

QGroupBox* CreateGroupBox(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* group = new QGroupBox(parent);
    group->setObjectName(QString::fromLatin1(name));
    Place(group, left, top, width, height);
    return group;
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
    list->setStyleSheet(VariableListStyleSheet());
    Place(list, left, top, width, ListHeight);
    return list;
}

QSpinBox* CreateSpinField(QWidget* parent, const char* name, int left, int top, int width, int height,
                          int low, int high)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    SetEntryColors(spin);
    Place(spin, left, top, width, height);
    return spin;
}

QTableWidget* CreateReadOnlyGrid(QWidget* parent, const char* name, int rows, int columns, int left, int top,
                                 int width, int height)
{
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->setObjectName(QString::fromLatin1(name));
    Place(grid, left, top, width, height);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->verticalHeader()->setMinimumSectionSize(1);
    QPalette cells = grid->palette();
    cells.setColor(QPalette::Base, tarvek_colors::PanelBackground);
    grid->setPalette(cells);
    return grid;
}
