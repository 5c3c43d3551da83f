#include "ui/statistics_table.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <vector>

#include "core/simulation_state.h"
#include "engine/statistics_rows.h"
#include "ui/export_dialogs.h"
#include "ui/window_style.h"

namespace {

constexpr int LabelColumn = 0;
constexpr int LabelColumnWidth = 140;
constexpr int GridWidth = 300;
constexpr int GridHeight = 223;
constexpr int ClientWidth = 335;
constexpr int ClientHeight = 297;
constexpr int OKButtonTop = 256;
constexpr int ValueColumn = 1;
constexpr int RowHeight = 16;
constexpr int ShortRow = 3;
constexpr int ShortRowHeight = 15;

}  // namespace

TStatistics::TStatistics(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Statistics"));
    SetUpFixedWindow(this, ClientWidth, ClientHeight, tarvek_colors::MainBackground);

    Tab = CreateReadOnlyGrid(this, "Tab", StatisticsRowCount, 2, 16, 16, GridWidth, GridHeight);
    Tab->horizontalHeader()->hide();

    AddTableExport(this, Tab, false);

    OKButton = CreateOKButton(this, 252, OKButtonTop, 65, 25);
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
    const auto table = StatisticsTableRows(samplesDrawn_);
    std::vector<StatisticsRow> rows(table.begin(), table.end());
    // Opened during a run, the table says how far the run has come.
    rows[SimulationsRow].value = SimulationsProgressValue(samplesDrawn_, SimulationState.simulationCount);
    for (const DesignStatisticsRow& added : DesignStatisticsRows()) {
        rows.push_back(added.row);
    }
    Tab->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < Tab->rowCount(); ++row) {
        Tab->setRowHeight(row, row == ShortRow ? ShortRowHeight : RowHeight);
        SetCell(row, LabelColumn, rows[row].label);
        SetCell(row, ValueColumn, rows[row].value);
    }
    SetColumnWidths();
}

// 140 and 160 pixels; a value wider than its cell (a long population
// description, a cluster design's sample size) takes the room the labels leave,
// and one still too wide is wrapped onto two lines, the grid and the window
// growing with it, and is shown whole in the cell's tooltip.
void TStatistics::SetColumnWidths()
{
    constexpr std::array<int, 2> widths = {LabelColumnWidth, GridWidth - LabelColumnWidth};
    FitColumns(Tab, widths, LabelColumn);
    int rowsHeight = 0;
    for (int row = 0; row < Tab->rowCount(); ++row) {
        if (!Tab->item(row, ValueColumn)->toolTip().isEmpty()) {
            Tab->setRowHeight(row, 2 * RowHeight);
        }
        rowsHeight += Tab->rowHeight(row);
    }
    const int grown = std::max(0, rowsHeight + 2 * Tab->frameWidth() - GridHeight);
    Tab->setFixedHeight(GridHeight + grown);
    OKButton->move(OKButton->x(), OKButtonTop + grown);
    setFixedSize(ClientWidth, ClientHeight + grown);
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
