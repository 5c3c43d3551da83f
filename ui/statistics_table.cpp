#include "ui/statistics_table.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include "core/simulation_state.h"
#include "engine/statistics_rows.h"
#include "ui/export_dialogs.h"
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

    Tab = CreateReadOnlyGrid(this, "Tab", StatisticsRowCount, 2, 16, 16, GridWidth, 223);
    Tab->horizontalHeader()->hide();

    AddTableExport(this, Tab, false);

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
    auto rows = StatisticsTableRows(samplesDrawn_);
    // Opened during a run, the table says how far the run has come.
    rows[SimulationsRow].value = SimulationsProgressValue(samplesDrawn_, SimulationState.simulationCount);
    for (int row = 0; row < StatisticsRowCount; ++row) {
        Tab->setRowHeight(row, row == ShortRow ? ShortRowHeight : RowHeight);
        SetCell(row, LabelColumn, rows[row].label);
        SetCell(row, ValueColumn, rows[row].value);
    }
    SetColumnWidths();
}

// 140 and 160 pixels. A text that is wider than its cell (a long population
// description, a long auxiliary variable) is cut with an ellipsis and shown whole
// in the cell's tooltip.
void TStatistics::SetColumnWidths()
{
    Tab->setColumnWidth(LabelColumn, LabelColumnWidth);
    Tab->setColumnWidth(ValueColumn, GridWidth - LabelColumnWidth);
    for (int row = 0; row < StatisticsRowCount; ++row) {
        for (const int column : {LabelColumn, ValueColumn}) {
            QTableWidgetItem* cell = Tab->item(row, column);
            cell->setToolTip(TextRoom(Tab->columnWidth(column)) < TextWidth(cell) ? cell->text() : QString());
        }
    }
}

int TStatistics::TextRoom(int columnWidth) const
{
    // The grid line takes a pixel of the cell, and the item view leaves the
    // focus-frame margin and one pixel more on each side of the text.
    const int grid = Tab->showGrid() ? 1 : 0;
    const int margin = Tab->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Tab) + 1;
    return columnWidth - grid - 2 * margin;
}

int TStatistics::TextWidth(const QTableWidgetItem* cell) const
{
    return QFontMetrics(Tab->font()).horizontalAdvance(cell->text());
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
