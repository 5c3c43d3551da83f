#include "ui/statistics_table.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "engine/statistics_rows.h"
#include "ui/window_style.h"

namespace {

constexpr int LabelColumn = 0;
constexpr int LabelColumnWidth = 140;
constexpr int GridWidth = 300;
constexpr int ValueColumn = 1;
constexpr int RowHeight = 16;
constexpr int ShortRow = 3;
constexpr int ShortRowHeight = 15;

}  // namespace

TStatistics::TStatistics(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Statistics"));
    SetUpFixedWindow(this, 335, 297, tarvek_colors::MainBackground);

    Tab = new QTableWidget(StatisticsRowCount, 2, this);
    Tab->setObjectName(QStringLiteral("Tab"));
    Place(Tab, 16, 16, GridWidth, 223);
    Tab->horizontalHeader()->hide();
    Tab->verticalHeader()->hide();
    Tab->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tab->setSelectionMode(QAbstractItemView::NoSelection);
    Tab->setFocusPolicy(Qt::NoFocus);
    Tab->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Tab->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Tab->verticalHeader()->setMinimumSectionSize(1);
    QPalette cells = Tab->palette();
    cells.setColor(QPalette::Base, tarvek_colors::PanelBackground);
    Tab->setPalette(cells);

    OKButton = CreateOKButton(this, 252, 256, 65, 25);
    connect(OKButton, &QPushButton::clicked, this, &TStatistics::OKButtonClick);
}

void TStatistics::ShowForRun(int samplesDrawn)
{
    samplesDrawn_ = samplesDrawn;
    exec();
}

void TStatistics::SetCell(int row, int column, const std::string& text)
{
    auto* cell = new QTableWidgetItem(QString::fromStdString(text));
    cell->setFlags(Qt::ItemIsEnabled);
    if (column == LabelColumn) {
        // The label column has the look of a fixed heading column.
        cell->setBackground(palette().color(QPalette::Button));
    }
    Tab->setItem(row, column, cell);
}

void TStatistics::FormActivate()
{
    const auto rows = StatisticsTableRows(samplesDrawn_);
    for (int row = 0; row < StatisticsRowCount; ++row) {
        Tab->setRowHeight(row, row == ShortRow ? ShortRowHeight : RowHeight);
        SetCell(row, LabelColumn, rows[row].label);
        SetCell(row, ValueColumn, rows[row].value);
    }
    SetColumnWidths();
}

// 140 and 160 pixels; a font wider than the one these widths were chosen for
// would cut the labels short ("Standard error ..." twice), so the label column
// takes what its texts need and the value column gives up that room.
void TStatistics::SetColumnWidths()
{
    Tab->resizeColumnToContents(LabelColumn);
    const int labelWidth = std::max(LabelColumnWidth, Tab->columnWidth(LabelColumn));
    Tab->setColumnWidth(LabelColumn, labelWidth);
    Tab->setColumnWidth(ValueColumn, GridWidth - labelWidth);
}

void TStatistics::OKButtonClick()
{
    accept();
}

void TStatistics::showEvent(QShowEvent* event)
{
    CenterOnScreen(this);
    FormActivate();
    OKButton->setFocus();
    QDialog::showEvent(event);
}
