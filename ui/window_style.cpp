#include "ui/window_style.h"

#include <QComboBox>
#include <QDialog>
#include <QEvent>
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
#include <vector>

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

namespace {

/// What a column's texts need, as QTableView::resizeColumnToContents measures it.
int ContentsWidth(const QTableWidget* grid, int column)
{
    const QHeaderView* header = grid->horizontalHeader();
    // The table view's own measure, public through the item view.
    const int cells = static_cast<const QAbstractItemView*>(grid)->sizeHintForColumn(column);
    return std::max(cells, header->isHidden() ? 0 : header->sectionSizeHint(column));
}

}  // namespace

void FitColumns(QTableWidget* grid, std::span<const int> widths, int shrinking)
{
    const int columns = std::min(grid->columnCount(), static_cast<int>(widths.size()));
    std::vector<int> fitted(static_cast<std::size_t>(columns));
    int total = 0;
    int layoutTotal = 0;
    for (int column = 0; column < columns; ++column) {
        const int own = widths[static_cast<std::size_t>(column)];
        fitted[static_cast<std::size_t>(column)] = std::max(own, ContentsWidth(grid, column));
        total += fitted[static_cast<std::size_t>(column)];
        layoutTotal += own;
    }
    // The layout's own widths stay as they are, even where they reach a pixel
    // past the grid's inside.
    const int room = std::max(grid->width() - 2 * grid->frameWidth(), layoutTotal);
    if (total > room && shrinking >= 0 && shrinking < columns) {
        int& shrunk = fitted[static_cast<std::size_t>(shrinking)];
        const int floor =
            std::min(widths[static_cast<std::size_t>(shrinking)], ContentsWidth(grid, shrinking));
        const int given = std::min(total - room, shrunk - floor);
        shrunk -= given;
        total -= given;
    }
    if (total > room && columns > 0) {
        fitted.back() -= total - room;
    }
    for (int column = 0; column < columns; ++column) {
        grid->setColumnWidth(column, fitted[static_cast<std::size_t>(column)]);
    }
    const int gridLine = grid->showGrid() ? 1 : 0;
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            if (QTableWidgetItem* cell = grid->item(row, column)) {
                const int needed =
                    grid->sizeHintForIndex(grid->model()->index(row, column)).width() + gridLine;
                cell->setToolTip(needed > grid->columnWidth(column) ? cell->text() : QString());
            }
        }
    }
}

void SetElidedText(QLabel* label, const QString& text, int room)
{
    const QString shown = QFontMetrics(label->font()).elidedText(text, Qt::ElideRight, room);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
    label->adjustSize();
}

namespace {

/// Passes the wheel over a field without the focus on to what holds the field.
class WheelWithFocusOnly final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel && !static_cast<QWidget*>(watched)->hasFocus()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void TakeWheelOnlyWithFocus(QWidget* field)
{
    // A field the wheel gave the focus to would take the very turn that gave it.
    field->setFocusPolicy(Qt::StrongFocus);
    field->installEventFilter(new WheelWithFocusOnly(field));
}

void FitWithinScreen(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    if (!window->testAttribute(Qt::WA_Resized)) {
        window->adjustSize();  // the size its first showing would give it
    }
    // Until a window has been shown its frame is not known: reckoned at its
    // usual room, which the window manager draws unzoomed.
    QSize frame = window->frameGeometry().size() - window->size();
    if (frame.isNull()) {
        frame = WindowFrameRoom / window->devicePixelRatioF();
    }
    const QRect room = screen->availableGeometry();
    const QSize fitting = window->size().boundedTo(room.size() - frame);
    // A layout would hold the window at the size its contents ask for, and a
    // dialog sizes itself again when shown: the bounds hold either way.
    window->setMinimumSize(window->minimumSizeHint().boundedTo(fitting));
    window->setMaximumSize(window->maximumSize().boundedTo(room.size() - frame));
    // Its place is the dialog's own choice when shown: centred on its parent,
    // within the screen.
    window->resize(fitting);
}
