#include "engine/estimators/estimator.h"
#include "ui/stratified_design_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "core/number_format.h"
#include "core/population_file.h"
#include "core/estimators.h"
#include "core/settings.h"
#include "core/simulation_state.h"
#include "core/stratified_sampling.h"
#include "core/theory.h"
#include "texts/interface_text_table.h"
#include "ui/dialog_fields.h"
#include "ui/error_message.h"
#include "ui/whole_number_field.h"
#include "ui/window_style.h"

namespace {

constexpr int TableColumns = 5;
constexpr int RowHeight = 16;
constexpr std::array<int, TableColumns> ColumnWidths = {52, 52, 64, 52, 64};
constexpr const char* MeanHeader = "Mean";
constexpr const char* CodesCaption = "by its values (codes 1..H)";
constexpr const char* ClassesCaption = "in";
constexpr const char* ClassesUnitCaption = "classes of equal size";
constexpr int DefaultClasses = 4;

/// The theoretical standard error of the direct estimator under simple random
/// sampling of n units; nothing when undefined.
std::optional<double> SimpleRandomStandardError(int n)
{
    const EstimatorInputs inputs = PrepareEstimatorInputs(EstimatorDirect, {DesignEqualProbabilities, 0, 0},
                                                          SimulationState.targetVariable, 0);
    const std::optional<TheoreticalProperties> theory = TheoryOf(inputs, n);
    if (!theory || !theory->stdErrorAvailable) {
        return std::nullopt;
    }
    return theory->stdError;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

TStratifiedDesign::TStratifiedDesign(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("StratifiedDesign"));
    SetUpSettingsDialog(this, 545, 345);
    GroupBox1 = CreateGroupBox(this, "GroupBox1", 16, 16, 213, 57);
    Edit1 = CreateEntryField(GroupBox1, "Edit1", 164, 20, 29, 21);
    GroupBox2 = CreateGroupBox(this, "GroupBox2", 16, 88, 213, 105);
    ComboBox1 = CreateVariableList(GroupBox2, "ComboBox1", 16, 24, 181);
    RadioButton4 = CreateRadioButton(GroupBox2, "RadioButton4", 16, 54);
    RadioButton5 = CreateRadioButton(GroupBox2, "RadioButton5", 16, 78);
    SpinEdit1 = new QSpinBox(GroupBox2);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(MinimumStrataClasses, MaxStrata);
    Label1 = CreateLabel(GroupBox2, "Label1", 110, 80);
    GroupBox3 = CreateGroupBox(this, "GroupBox3", 16, 208, 213, 121);
    RadioButton1 = CreateRadioButton(GroupBox3, "RadioButton1", 16, 24);
    RadioButton2 = CreateRadioButton(GroupBox3, "RadioButton2", 16, 48);
    RadioButton3 = CreateRadioButton(GroupBox3, "RadioButton3", 16, 72);

    Tab = CreateReadOnlyGrid(this, "Tab", 0, TableColumns, 248, 16, 285, 16 + RowHeight * MaxStrata + 4);
    Tab->verticalHeader()->setDefaultSectionSize(RowHeight);
    Tab->horizontalHeader()->setFixedHeight(RowHeight + 2);
    SetTextColor(Tab, Qt::black);
    for (int column = 0; column < TableColumns; ++column) {
        Tab->setColumnWidth(column, ColumnWidths[column]);
    }

    TheoryLabel = CreateLabel(this, "TheoryLabel", 248, 204);

    CancelButton = CreateButton(this, "CancelButton", "Cancel", 384, 304, 65, 25);
    OKButton = CreateOKButton(this, 468, 304, 65, 25);

    sampleSizeField_ = new WholeNumberField(
        Edit1, 2, [] { return SimulationState.unitCount; }, SimulationState.sampleSize);
    connect(Edit1, &QLineEdit::textChanged, this, &TStratifiedDesign::RefreshTable);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TStratifiedDesign::RefreshTable);
    for (QRadioButton* button : AllocationButtons()) {
        connect(button, &QRadioButton::toggled, this, &TStratifiedDesign::RefreshTable);
    }
    connect(RadioButton5, &QRadioButton::toggled, SpinEdit1, &QSpinBox::setEnabled);
    connect(RadioButton5, &QRadioButton::toggled, this, &TStratifiedDesign::RefreshTable);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TStratifiedDesign::RefreshTable);
    connect(OKButton, &QPushButton::clicked, this, &TStratifiedDesign::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TStratifiedDesign::CancelButtonClick);
}

std::array<QRadioButton*, 3> TStratifiedDesign::AllocationButtons() const
{
    return {RadioButton1, RadioButton2, RadioButton3};
}

void TStratifiedDesign::Execute()
{
    const auto& texts = InterfaceTexts.stratifiedDialogTexts;
    SetCaption(GroupBox1, texts[1]);
    SetCaption(GroupBox2, texts[2]);
    SetCaption(GroupBox3, texts[3]);
    SetCaption(RadioButton1, texts[4]);
    SetCaption(RadioButton2, texts[5]);
    SetCaption(RadioButton3, texts[6]);
    SetCaption(RadioButton4, CodesCaption);
    SetCaption(RadioButton5, ClassesCaption);
    SetCaption(Label1, ClassesUnitCaption);
    Place(SpinEdit1, RadioButton5->geometry().right() + 4, 76, 41, 21);
    Label1->move(SpinEdit1->geometry().right() + 6, 80);
    Tab->setHorizontalHeaderLabels(
        {Text(texts[7]), Text(texts[8]), Text(texts[9]), Text(texts[10]), QString::fromUtf8(MeanHeader)});
    ExecuteWithVariableList(this, ComboBox1, SimulationState.auxiliaryVariable);
}

void TStratifiedDesign::FormActivate()
{
    sampleSizeField_->ShowSetting();
    const int allocation = SimulationState.allocationCode;
    const auto buttons = AllocationButtons();
    const bool known = allocation >= AllocationProportional && allocation <= AllocationOptimal;
    buttons[known ? allocation : AllocationProportional]->setChecked(true);
    SelectVariable(ComboBox1, SimulationState.auxiliaryVariable);
    const int classes = SimulationState.stratumClasses;
    const bool inClasses = classes >= MinimumStrataClasses && classes <= MaxStrata;
    SpinEdit1->setValue(inClasses ? classes : DefaultClasses);
    (inClasses ? RadioButton5 : RadioButton4)->setChecked(true);
    SpinEdit1->setEnabled(inClasses);
    RefreshTable();
}

int TStratifiedDesign::ChosenAllocation() const
{
    const auto buttons = AllocationButtons();
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
        if (buttons[i]->isChecked()) {
            return i;
        }
    }
    return AllocationProportional;
}

int TStratifiedDesign::ChosenClasses() const
{
    return RadioButton5->isChecked() ? SpinEdit1->value() : 0;
}

int TStratifiedDesign::ShownSampleSize() const
{
    int n = 0;
    ParseIntInRange(Edit1->text().toStdString(), 2, SimulationState.unitCount, n);
    return n;
}

void TStratifiedDesign::SetCell(int row, int column, const QString& text)
{
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled);
    cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Tab->setItem(row, column, cell);
}

// A variable that forms no strata leaves the table empty and says why; a sample
// size that is invalid or too small for the strata shows no n_h and no theory.
void TStratifiedDesign::RefreshTable()
{
    const Stratification stratifier = StratificationOf(SelectedVariable(ComboBox1), ChosenClasses());
    const int n = ShownSampleSize();
    const StratifiedAllocation allocation = AllocateStratifiedSample(
        stratifier, SimulationState.targetVariable, n, static_cast<AllocationCode>(ChosenAllocation()));
    const Strata& strata = allocation.check.strata;
    const bool formed = allocation.check.refusal.empty();
    Tab->setRowCount(formed ? strata.count : 0);
    const StratumValues means = StratumMeans(strata, stratifier, SimulationState.targetVariable);
    const std::vector<std::string> names = StratumNames(strata, stratifier);
    for (int h = 1; h <= Tab->rowCount(); ++h) {
        SetCell(h - 1, 0, Text(names[static_cast<std::size_t>(h - 1)]));
        SetCell(h - 1, 1, QString::number(strata.sizes[h]));
        SetCell(h - 1, 2, Text(FormatFixed3(std::sqrt(allocation.variances[h]))));
        SetCell(h - 1, 3,
                allocation.sampleSizes ? QString::number((*allocation.sampleSizes)[h]) : QStringLiteral("-"));
        SetCell(h - 1, 4, Text(FormatFixed3(means[h])));
    }
    // Labels and class ranges widen the first column, long means theirs; the
    // labels give up room so that the numbers stay in view.
    FitColumns(Tab, ColumnWidths, 0);
    SetAutoSizedText(TheoryLabel, formed ? TheoryText(allocation, n) : Text(RefusalText(stratifier)));
}

QString TStratifiedDesign::TheoryText(const StratifiedAllocation& allocation, int n)
{
    if (!allocation.sampleSizes) {
        return {};
    }
    const std::optional<double> stratified =
        StratifiedStandardError(allocation.check.strata, *allocation.sampleSizes, allocation.variances);
    const std::optional<double> simple = SimpleRandomStandardError(n);
    const auto shown = [](const std::optional<double>& value) {
        return Text(value ? FormatFixed3(*value) : std::string("-"));
    };
    std::optional<double> designEffect;
    if (stratified && simple && *simple > 0.0) {
        designEffect = (*stratified * *stratified) / (*simple * *simple);
    }
    return QStringLiteral("Standard error: %1\nSimple random sampling: %2\nDesign effect: %3")
        .arg(shown(stratified), shown(simple), shown(designEffect));
}

std::string TStratifiedDesign::RefusalText(const Stratification& stratification)
{
    const std::string refusal = FormStrata(stratification).refusal;
    if (refusal != TooManyStrataMessage) {
        return refusal;
    }
    return refusal + " (" + std::to_string(NamedStrataCount(stratification.variable)) + " of at most " +
           std::to_string(MaxStrata) + ")";
}

bool TStratifiedDesign::Edit1Exit()
{
    return sampleSizeField_->Check();
}

void TStratifiedDesign::OKButtonClick()
{
    if (!Edit1Exit()) {
        return;
    }
    const Stratification stratification = StratificationOf(SelectedVariable(ComboBox1), ChosenClasses());
    const std::string refusal = CheckStratifiedDesign(stratification, SimulationState.sampleSize);
    if (!refusal.empty()) {
        ShowErrorMessage(Text(refusal == TooManyStrataMessage ? RefusalText(stratification) : refusal));
        return;
    }
    SimulationState.designCode = DesignStratified;
    SimulationState.auxiliaryVariable = stratification.variable;
    SimulationState.stratumClasses = stratification.classes;
    SimulationState.allocationCode = ChosenAllocation();
    SimulationState.estimatorCode = EstimatorDirect;
    accept();
}

void TStratifiedDesign::CancelButtonClick()
{
    if (Edit1Exit()) {
        reject();
    }
}

void TStratifiedDesign::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}
