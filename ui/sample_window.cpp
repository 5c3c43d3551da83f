#include "ui/sample_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/sample_listing.h"
#include "core/simulation_state.h"
#include "ui/window_style.h"

namespace {

QString VariableHeading(int k)
{
    return QString::fromStdString(SimulationState.variableNames[VariableColumn(k)]);
}

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString Value(double value)
{
    return QString::number(value, 'g', 15);
}

}  // namespace

TSampleWindow::TSampleWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SampleWindow"));
    setWindowTitle(QStringLiteral(" Sample"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    layout->addWidget(Summary);
    Table = new QTableWidget(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    // At most five columns: they share the window's width, without a scroll bar.
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(Table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(520, 420);
}

void TSampleWindow::ShowLastSample()
{
    const TSimulationState& s = SimulationState;
    const std::vector<ListedUnit> units = ListLastSample();
    const QString group = QString::fromStdString(GroupHeading());
    const bool withAuxiliary = IsVariableNumber(s.auxiliaryVariable);

    QStringList headings{QStringLiteral("Unit"), VariableHeading(s.targetVariable)};
    if (withAuxiliary) {
        headings << VariableHeading(s.auxiliaryVariable);
    }
    headings << QStringLiteral("Responded");
    if (!group.isEmpty()) {
        headings << group;
    }
    Table->clear();
    Table->setColumnCount(static_cast<int>(headings.size()));
    Table->setHorizontalHeaderLabels(headings);
    Table->setRowCount(static_cast<int>(units.size()));
    for (int row = 0; row < Table->rowCount(); ++row) {
        const ListedUnit& listed = units[static_cast<std::size_t>(row)];
        int column = 0;
        Table->setItem(row, column++, Cell(QString::number(listed.unit)));
        Table->setItem(row, column++, Cell(Value(TargetValue(listed.unit))));
        if (withAuxiliary) {
            Table->setItem(row, column++, Cell(Value(AuxiliaryValue(listed.unit))));
        }
        Table->setItem(row, column++, Cell(listed.responded ? QStringLiteral("yes") : QStringLiteral("no")));
        if (!group.isEmpty()) {
            Table->setItem(row, column, Cell(QString::number(listed.group)));
        }
    }
    const auto respondents =
        std::count_if(units.begin(), units.end(), [](const ListedUnit& u) { return u.responded; });
    Summary->setText(
        units.empty() ? QStringLiteral("No sample has been drawn yet.")
                      : QStringLiteral("%1 units drawn, %2 responded.").arg(units.size()).arg(respondents));
}

void TSampleWindow::SampleDrawn()
{
    if (!isVisible() || refreshPending_) {
        return;
    }
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        ShowLastSample();
    });
}

void TSampleWindow::showEvent(QShowEvent* event)
{
    FitWithinScreen(this);
    ShowLastSample();
    QDialog::showEvent(event);
}
