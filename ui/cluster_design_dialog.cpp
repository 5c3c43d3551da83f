#include "ui/cluster_design_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <array>
#include <string>
#include <vector>

#include "core/simulation_state.h"
#include "engine/cluster_summary_rows.h"
#include "engine/designs/sampling_design.h"
#include "ui/dialog_fields.h"
#include "ui/error_message.h"
#include "ui/window_style.h"

namespace {

constexpr int RowHeight = 16;
constexpr std::array<int, 2> ColumnWidths = {155, 62};

int WholeNumberIn(const QLineEdit* field)
{
    return ClusterFieldNumber(field->text().toStdString());
}

}  // namespace

TClusterDesign::TClusterDesign(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ClusterDesign"));
    SetUpSettingsDialog(this, 481, 297);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 16, 16, 213, 57);
    ComboBox1 = CreateVariableList(GroupBox1, "ComboBox1", 16, 24, 181);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 16, 88, 213, 81);
    RadioButton1 = CreateRadioButton(GroupBox2, "RadioButton1", 16, 24);
    RadioButton2 = CreateRadioButton(GroupBox2, "RadioButton2", 16, 48);
    GroupBox3 = CreateGroupBox(this, "GroupBox3", 16, 184, 213, 81);
    Label1 = CreateLabel(GroupBox3, "Label1", 16, 24);
    Edit1 = CreateEntryField(GroupBox3, "Edit1", 156, 20, 41, 21);
    Label2 = CreateLabel(GroupBox3, "Label2", 16, 52);
    Edit2 = CreateEntryField(GroupBox3, "Edit2", 156, 48, 41, 21);

    Tab = CreateReadOnlyGrid(this, "Tab", ClusterSummaryRowCount, 2, 248, 16, 221,
                             RowHeight * ClusterSummaryRowCount + 4);
    Tab->horizontalHeader()->hide();
    Tab->verticalHeader()->setDefaultSectionSize(RowHeight);
    SetTextColor(Tab, Qt::black);

    CancelButton = CreateButton(this, "CancelButton", "Cancel", 320, 256, 65, 25);
    OKButton = CreateOKButton(this, 404, 256, 65, 25);

    SetCaption(GroupBox1, " Cluster variable ");
    SetCaption(GroupBox2, " Stages ");
    SetCaption(RadioButton1, "One stage: whole clusters");
    SetCaption(RadioButton2, "Two stages: k units in each");
    SetCaption(GroupBox3, " Sample ");
    SetCaption(Label1, "Clusters (m):");
    SetCaption(Label2, "Units per cluster (k):");

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TClusterDesign::RefreshSummary);
    connect(RadioButton2, &QRadioButton::toggled, this, &TClusterDesign::RefreshSummary);
    for (QLineEdit* field : {Edit1, Edit2}) {
        connect(field, &QLineEdit::textChanged, this, &TClusterDesign::RefreshSummary);
    }
    connect(OKButton, &QPushButton::clicked, this, &TClusterDesign::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TClusterDesign::CancelButtonClick);
}

void TClusterDesign::Execute()
{
    ExecuteWithVariableList(this, ComboBox1, SimulationState.clusterVariable);
}

void TClusterDesign::FormActivate()
{
    const TSimulationState& s = SimulationState;
    (s.designCode == DesignTwoStage ? RadioButton2 : RadioButton1)->setChecked(true);
    Edit1->setText(QString::number(s.clusterCount));
    Edit2->setText(QString::number(s.unitsPerCluster));
    SelectVariable(ComboBox1, s.clusterVariable);
    RefreshSummary();
}

DesignChoice TClusterDesign::ShownChoice() const
{
    const bool twoStage = RadioButton2->isChecked();
    return {twoStage ? DesignTwoStage : DesignCluster, SelectedVariable(ComboBox1), 0, WholeNumberIn(Edit1),
            twoStage ? WholeNumberIn(Edit2) : 0};
}

void TClusterDesign::SetRow(int row, const QString& heading, const std::string& value)
{
    auto* headingCell = new QTableWidgetItem(heading);
    headingCell->setFlags(Qt::ItemIsEnabled);
    Tab->setItem(row, 0, headingCell);
    auto* valueCell = new QTableWidgetItem(QString::fromStdString(value));
    valueCell->setFlags(Qt::ItemIsEnabled);
    valueCell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Tab->setItem(row, 1, valueCell);
}

void TClusterDesign::RefreshSummary()
{
    const DesignChoice choice = ShownChoice();
    Edit2->setEnabled(choice.design == DesignTwoStage);
    const std::vector<StatisticsRow> rows = ClusterSummaryRows(choice);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        SetRow(static_cast<int>(row), QString::fromStdString(rows[row].label), rows[row].value);
    }
    // A large population's counts take the room the headings leave.
    FitColumns(Tab, ColumnWidths, 0);
}

void TClusterDesign::OKButtonClick()
{
    const DesignChoice choice = ShownChoice();
    const SamplingDesign& design = DesignOf(choice.design);
    const std::string refusal = design.Refusal(choice, SimulationState.sampleSize);
    if (!refusal.empty()) {
        ShowErrorMessage(QString::fromStdString(refusal));
        return;
    }
    TSimulationState& s = SimulationState;
    s.designCode = choice.design;
    s.clusterVariable = choice.variable;
    s.clusterCount = choice.clusters;
    if (choice.design == DesignTwoStage) {
        s.unitsPerCluster = choice.unitsPerCluster;
    }
    if (!design.Allows(s.estimatorCode)) {
        s.estimatorCode = EstimatorDirect;
    }
    accept();
}

void TClusterDesign::CancelButtonClick()
{
    reject();
}

void TClusterDesign::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}
