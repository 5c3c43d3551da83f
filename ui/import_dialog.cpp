#include "ui/import_dialog.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

#include "core/delimited_file.h"
#include "core/simulation_state.h"
#include "ui/error_message.h"
#include "ui/window_style.h"

namespace {

QString TypeText(const DelimitedColumn& column)
{
    if (!column.usable()) {
        return QStringLiteral("no values");
    }
    if (column.numeric) {
        return QStringLiteral("numeric");
    }
    const auto labels = static_cast<qsizetype>(column.labels.size());
    return QStringLiteral("categorical, %1 label%2").arg(labels).arg(labels == 1 ? "" : "s");
}

}  // namespace

TImportDialog::TImportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportDialog"));
    SetUpSettingsDialog(this, 440, 370);
    setWindowTitle(QStringLiteral(" Import population"));
    Label1 = CreateLabel(this, "Label1", 16, 12);
    SetAutoSizedText(Label1, QStringLiteral("Tick the columns to read as variables (at most 10):"));
    ColumnList = new QTreeWidget(this);
    ColumnList->setObjectName(QStringLiteral("ColumnList"));
    ColumnList->setColumnCount(3);
    ColumnList->setHeaderLabels(
        {QStringLiteral("Column"), QStringLiteral("Type"), QStringLiteral("Missing")});
    ColumnList->setRootIsDecorated(false);
    ColumnList->setSelectionMode(QAbstractItemView::NoSelection);
    ColumnList->header()->setStretchLastSection(false);
    ColumnList->setColumnWidth(0, 170);
    ColumnList->setColumnWidth(1, 150);
    ColumnList->setColumnWidth(2, 60);
    SetBackground(ColumnList->viewport(), tarvek_colors::EntryBackground);
    SetTextColor(ColumnList, Qt::black);
    Place(ColumnList, 16, 32, 408, 220);
    DropMissingBox =
        new QCheckBox(QStringLiteral("Leave out rows with a missing value in a ticked column"), this);
    DropMissingBox->setObjectName(QStringLiteral("DropMissingBox"));
    Place(DropMissingBox, 16, 260, 408, 20);
    MissingRowsLabel = CreateLabel(this, "MissingRowsLabel", 36, 282);
    // A refused choice is said here, in white on red, and the choice stays.
    RefusalLabel = new QLabel(this);
    RefusalLabel->setObjectName(QStringLiteral("RefusalLabel"));
    RefusalLabel->setAutoFillBackground(true);
    SetBackground(RefusalLabel, tarvek_colors::ErrorBackground);
    RefusalLabel->setIndent(6);
    Place(RefusalLabel, 16, 302, 408, 20);
    RefusalLabel->hide();
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 272, 332, 65, 25);
    OKButton = CreateOKButton(this, 352, 332, 65, 25);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(OKButton, &QPushButton::clicked, this, &TImportDialog::OKButtonClick);
    connect(ColumnList, &QTreeWidget::itemChanged, this, &TImportDialog::ChoiceChanged);
    connect(DropMissingBox, &QCheckBox::toggled, this, &TImportDialog::ChoiceChanged);
}

bool TImportDialog::Execute(const DelimitedTable& table, PopulationContents& population)
{
    table_ = nullptr;
    ColumnList->clear();
    const std::vector<int> first = FirstUsableColumns(table);
    for (std::size_t j = 0; j < table.columns.size(); ++j) {
        const DelimitedColumn& column = table.columns[j];
        auto* item = new QTreeWidgetItem(ColumnList);
        item->setText(0, QString::fromStdString(column.name));
        item->setText(1, TypeText(column));
        item->setText(2, QString::number(column.missingCount));
        item->setTextAlignment(2, Qt::AlignRight);
        const bool ticked = std::find(first.begin(), first.end(), static_cast<int>(j)) != first.end();
        item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
        if (!column.usable()) {
            item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
        }
    }
    DropMissingBox->setChecked(false);
    table_ = &table;
    ChoiceChanged();
    const bool accepted = exec() == QDialog::Accepted;
    table_ = nullptr;
    if (accepted) {
        population = std::move(population_);
    }
    population_ = PopulationContents{};
    return accepted;
}

std::vector<int> TImportDialog::TickedColumns() const
{
    std::vector<int> ticked;
    for (int j = 0; j < ColumnList->topLevelItemCount(); ++j) {
        if (ColumnList->topLevelItem(j)->checkState(0) == Qt::Checked) {
            ticked.push_back(j);
        }
    }
    return ticked;
}

void TImportDialog::OKButtonClick()
{
    const std::size_t ticked = TickedColumns().size();
    if (ticked == 0) {
        ShowErrorMessage(QString::fromLatin1(NoColumnTickedMessage));
    } else if (ticked > MaxVariables) {
        ShowErrorMessage(QString::fromLatin1(TooManyColumnsMessage));
    } else {
        try {
            population_ = DelimitedPopulation(*table_, TickedColumns(), DropMissingBox->isChecked());
            accept();
        } catch (const PopulationFileError& refusal) {
            ShowRefusal(QString::fromStdString(refusal.what()));
        }
    }
}

// The count follows every tick; a refusal said about the previous choice goes.
void TImportDialog::ChoiceChanged()
{
    if (table_ == nullptr) {
        return;
    }
    ShowRefusal(QString());
    SetAutoSizedText(MissingRowsLabel, QString::fromStdString(MissingRowsText(*table_, TickedColumns())));
}

void TImportDialog::ShowRefusal(const QString& message)
{
    RefusalLabel->setText(message);
    RefusalLabel->setVisible(!message.isEmpty());
}
