#include "ui/comparison_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "core/number_format.h"
#include "core/simulation_state.h"
#include "engine/estimators/estimator.h"
#include "engine/run_engine.h"
#include "engine/statistics_rows.h"
#include "plot/plot_renderer.h"
#include "texts/interface_text_table.h"
#include "ui/dialog_fields.h"
#include "ui/error_message.h"
#include "ui/export_dialogs.h"
#include "ui/window_style.h"

namespace {

constexpr int ClientWidth = 680;
constexpr int TableTop = 328;
constexpr int TableRowHeight = 18;
constexpr int Gap = 8;
constexpr int ButtonWidth = 65;
constexpr int ButtonHeight = 25;
/// The strip below the scrolled contents that holds Save and OK.
constexpr int ButtonRowHeight = ButtonHeight + 2 * Gap;
constexpr int EditorLabelLeft = 356;
constexpr int EditorListLeft = 460;
constexpr int EditorListWidth = 190;

/// The editor's fields a design reads.
enum EditorField : unsigned {
    NoField = 0,
    VariableField = 1,  ///< size, strata or cluster variable
    AllocationField = 2,
    OrderField = 4,
    ClustersField = 8,  ///< m
    UnitsField = 16,    ///< k
    ClassesField = 32,  ///< H of the strata in classes of equal size
};

struct DesignEntry {
    std::string_view name;  ///< the registry's name
    const char* caption;
    unsigned fields;
};

/// The registry's designs in the order the design list shows them; a design not
/// named here follows them under its registry name, with no fields.
constexpr std::array<DesignEntry, 6> DesignEntries = {{
    {"equal", "Equal probabilities", NoField},
    {"stratified", "Stratified", VariableField | AllocationField | ClassesField},
    {"systematic", "Systematic", OrderField},
    {"pps", "Proportional to size", VariableField},
    {"cluster", "Cluster sampling", VariableField | ClustersField},
    {"two-stage", "Two-stage sampling", VariableField | ClustersField | UnitsField},
}};

/// The design's place in DesignEntries, DesignEntries.size() when not there.
std::size_t EntryPlace(const SamplingDesign& design)
{
    return static_cast<std::size_t>(
        std::find_if(DesignEntries.begin(), DesignEntries.end(),
                     [&design](const DesignEntry& entry) { return entry.name == design.Name(); }) -
        DesignEntries.begin());
}

unsigned FieldsOf(const SamplingDesign& design)
{
    const std::size_t place = EntryPlace(design);
    return place < DesignEntries.size() ? DesignEntries[place].fields : NoField;
}

void FillDesignList(QComboBox* list)
{
    std::vector<const SamplingDesign*> designs(Designs().begin(), Designs().end());
    std::stable_sort(designs.begin(), designs.end(), [](const SamplingDesign* a, const SamplingDesign* b) {
        return EntryPlace(*a) < EntryPlace(*b);
    });
    for (const SamplingDesign* design : designs) {
        const std::size_t place = EntryPlace(*design);
        list->addItem(
            place < DesignEntries.size()
                ? QString::fromLatin1(DesignEntries[place].caption)
                : QString::fromLatin1(design->Name().data(), static_cast<qsizetype>(design->Name().size())),
            design->Code());
    }
}

QStringList ColumnHeadings(bool intervals)
{
    QStringList headings = {QStringLiteral("Variant"),
                            QStringLiteral("Mean\n(theoretical)"),
                            QStringLiteral("Mean\n(simulated)"),
                            QStringLiteral("Bias"),
                            QStringLiteral("SE\n(theoretical)"),
                            QStringLiteral("SE\n(simulated)"),
                            QStringLiteral("RMSE"),
                            QStringLiteral("Relative efficiency\n(theoretical)"),
                            QStringLiteral("Relative efficiency\n(simulated \u00b1 MC error)"),
                            QStringLiteral("No\nestimate")};
    if (intervals) {
        // Percentages of the samples with an estimate, which add up to 100 with
        // the samples without a standard error.
        headings << QStringLiteral("Covered\n% of estimates") << QStringLiteral("Missed low\n% of estimates")
                 << QStringLiteral("Missed high\n% of estimates") << QStringLiteral("No\nSE");
    }
    return headings;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

/// The place of the relative efficiency among SummaryFields.
constexpr int RelativeEfficiencyField = 6;

/// The simulated relative efficiency with its Monte Carlo error: "1.153 \u00b1 0.120".
QString SimulatedEfficiencyText(const VariantSummary& summary)
{
    if (!summary.relativeEfficiency) {
        return QStringLiteral("-");
    }
    QString text = Text(FormatFixed3(*summary.relativeEfficiency));
    if (summary.relativeEfficiencyMcError) {
        text += QStringLiteral(" \u00b1 ") + Text(FormatFixed3(*summary.relativeEfficiencyMcError));
    }
    return text;
}

/// A row's cells after the variant's name: the fields tarvek-batch shows, with
/// the theoretical relative efficiency beside the simulated one and its error.
QStringList ResultCells(const ComparisonResult& result, int row, bool intervals)
{
    const VariantSummary& summary = result.summaries[row];
    QStringList cells;
    for (const std::string& field : SummaryFields(summary, intervals)) {
        cells << Text(field);
    }
    const std::optional<double> theoretical = TheoreticalRelativeEfficiency(result.summaries[0], summary);
    cells[RelativeEfficiencyField] = SimulatedEfficiencyText(summary);
    cells.insert(RelativeEfficiencyField,
                 theoretical ? Text(FormatFixed3(*theoretical)) : QStringLiteral("-"));
    return cells;
}

QLabel* EditorLabel(QWidget* parent, const char* name, const char* caption, int top)
{
    QLabel* label = CreateLabel(parent, name, EditorLabelLeft, top);
    SetAutoSizedText(label, QString::fromLatin1(caption));
    return label;
}

}  // namespace

TComparison::TComparison(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Comparison"));
    setWindowTitle(QStringLiteral(" Compare"));
    SetUpSettingsDialog(this, ClientWidth, TableTop);
    // Everything but Save and OK scrolls where the window would not fit on its screen.
    Scroller = new QScrollArea(this);
    Scroller->setObjectName(QStringLiteral("Scroller"));
    Scroller->setFrameShape(QFrame::NoFrame);
    Contents = new QWidget;
    Contents->setObjectName(QStringLiteral("Contents"));
    Scroller->setWidget(Contents);
    CreateEditor();

    GroupBox2 = CreateGroupBox(Contents, "GroupBox2", 8, 268, 664, 52);
    GroupBox2->setTitle(QStringLiteral(" Simulations "));
    QLabel* samplesCaption = CreateLabel(GroupBox2, "Label5", 12, 24);
    SetAutoSizedText(samplesCaption, QStringLiteral("Number of samples:"));
    SampleCount = new QSpinBox(GroupBox2);
    SampleCount->setObjectName(QStringLiteral("SampleCount"));
    SampleCount->setRange(MinComparisonSamples, MaxComparisonSamples);
    Place(SampleCount, RightOfCaption(samplesCaption), 20, 65, 21);
    IntervalsBox = new QCheckBox(QStringLiteral("95% confidence intervals"), GroupBox2);
    IntervalsBox->setObjectName(QStringLiteral("IntervalsBox"));
    IntervalsBox->move(SampleCount->geometry().right() + 24, 22);
    IntervalsBox->adjustSize();
    RunButton = CreateButton(GroupBox2, "RunButton", "Run", 587, 17, ButtonWidth, ButtonHeight);

    ResultInfo = CreateLabel(Contents, "ResultInfo", Gap, TableTop);
    ResultInfo->hide();

    ResultTable = new QTableWidget(Contents);
    ResultTable->setObjectName(QStringLiteral("ResultTable"));
    ResultTable->verticalHeader()->hide();
    ResultTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultTable->setSelectionMode(QAbstractItemView::NoSelection);
    ResultTable->setFocusPolicy(Qt::NoFocus);
    ResultTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ResultTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette cells = ResultTable->palette();
    cells.setColor(QPalette::Base, tarvek_colors::PanelBackground);
    cells.setColor(QPalette::Text, Qt::black);
    ResultTable->setPalette(cells);
    AddTableExport(this, ResultTable, true);

    PlotLabel = new QLabel(Contents);
    PlotLabel->setObjectName(QStringLiteral("PlotLabel"));
    SaveButton = CreateButton(this, "SaveButton", "Save", 0, 0, ButtonWidth, ButtonHeight);
    OKButton = CreateOKButton(this, 0, 0, ButtonWidth, ButtonHeight);

    SavePicture = new QFileDialog(this);
    SavePicture->setObjectName(QStringLiteral("SavePicture"));
    SetUpPictureSaveDialog(SavePicture);

    // The contents scroll with the wheel; a field changes only once chosen.
    for (QComboBox* list : Contents->findChildren<QComboBox*>()) {
        TakeWheelOnlyWithFocus(list);
    }
    for (QSpinBox* field : Contents->findChildren<QSpinBox*>()) {
        TakeWheelOnlyWithFocus(field);
    }

    connect(AddButton, &QPushButton::clicked, this, &TComparison::AddButtonClick);
    connect(ChangeButton, &QPushButton::clicked, this, &TComparison::ChangeButtonClick);
    connect(RemoveButton, &QPushButton::clicked, this, &TComparison::RemoveButtonClick);
    connect(RunButton, &QPushButton::clicked, this, &TComparison::RunButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TComparison::SaveButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &TComparison::OKButtonClick);
    connect(VariantList, &QListWidget::currentRowChanged, this, &TComparison::VariantSelected);
    connect(DesignList, &QComboBox::currentIndexChanged, this, &TComparison::EditorChanged);

    connect(EstimatorList, &QComboBox::currentIndexChanged, this, &TComparison::EditorChanged);
}

void TComparison::CreateEditor()
{
    GroupBox1 = CreateGroupBox(Contents, "GroupBox1", 8, 8, 664, 252);
    GroupBox1->setTitle(QStringLiteral(" Variants "));
    VariantList = new QListWidget(GroupBox1);
    VariantList->setObjectName(QStringLiteral("VariantList"));
    QPalette entries = VariantList->palette();
    entries.setColor(QPalette::Base, tarvek_colors::EntryBackground);
    entries.setColor(QPalette::Text, Qt::black);
    VariantList->setPalette(entries);
    Place(VariantList, 12, 20, 330, 220);

    EditorLabel(GroupBox1, "Label1", "Design:", 24);
    DesignList = CreateVariableList(GroupBox1, "DesignList", EditorListLeft, 20, EditorListWidth);
    FillDesignList(DesignList);
    DesignVariableLabel = EditorLabel(GroupBox1, "Label2", "Size or strata by:", 50);
    DesignVariableList =
        CreateVariableList(GroupBox1, "DesignVariableList", EditorListLeft, 46, EditorListWidth);
    EditorLabel(GroupBox1, "Label6", "Allocation:", 76);
    AllocationList = CreateVariableList(GroupBox1, "AllocationList", EditorListLeft, 72, EditorListWidth);
    EditorLabel(GroupBox1, "Label7", "Order of the list:", 102);
    OrderList = CreateVariableList(GroupBox1, "OrderList", EditorListLeft, 98, EditorListWidth);
    EditorLabel(GroupBox1, "Label3", "Estimator:", 128);
    EstimatorList = CreateVariableList(GroupBox1, "EstimatorList", EditorListLeft, 124, EditorListWidth);
    EditorLabel(GroupBox1, "Label4", "Auxiliary variable:", 154);
    AuxiliaryList = CreateVariableList(GroupBox1, "AuxiliaryList", EditorListLeft, 150, EditorListWidth);
    // The row of counts: m and k under the cluster designs, H under the stratified one.
    CountsLabel = EditorLabel(GroupBox1, "Label8", "Clusters (m):", 180);
    ClusterCount = new QSpinBox(GroupBox1);
    ClusterCount->setObjectName(QStringLiteral("ClusterCount"));
    ClusterCount->setRange(0, MaxUnits);
    Place(ClusterCount, EditorListLeft, 176, 65, 21);
    ClassCount = new QSpinBox(GroupBox1);
    ClassCount->setObjectName(QStringLiteral("ClassCount"));
    ClassCount->setRange(0, MaxStrata);
    ClassCount->setSpecialValueText(QStringLiteral("its values"));
    ClassCount->setSuffix(QStringLiteral(" of equal size"));
    Place(ClassCount, EditorListLeft, 176, EditorListWidth, 21);
    unitsCaption_ = CreateLabel(GroupBox1, "Label9", ClusterCount->geometry().right() + 12, 180);
    SetAutoSizedText(unitsCaption_, QStringLiteral("Units (k):"));
    UnitCount = new QSpinBox(GroupBox1);
    UnitCount->setObjectName(QStringLiteral("UnitCount"));
    UnitCount->setRange(0, MaxUnits);
    Place(UnitCount, RightOfCaption(unitsCaption_), 176, 65, 21);
    AddButton = CreateButton(GroupBox1, "AddButton", "Add", EditorLabelLeft, 214, ButtonWidth, ButtonHeight);
    ChangeButton = CreateButton(GroupBox1, "ChangeButton", "Change", EditorLabelLeft + 72, 214, ButtonWidth,
                                ButtonHeight);
    RemoveButton = CreateButton(GroupBox1, "RemoveButton", "Remove", EditorLabelLeft + 144, 214, ButtonWidth,
                                ButtonHeight);
}

void TComparison::Execute()
{
    StartFromSettings();
    CenterOnScreen(this);
    exec();
}

void TComparison::StartFromSettings()
{
    for (QComboBox* list : {DesignVariableList, AllocationList, OrderList, EstimatorList, AuxiliaryList}) {
        const QSignalBlocker blocker(list);
        list->clear();
    }
    unitsListed_ = false;
    FillVariableList(DesignVariableList);
    FillVariableList(AuxiliaryList);
    for (int allocation = 4; allocation <= 6; ++allocation) {
        AllocationList->addItem(Text(InterfaceTexts.stratifiedDialogTexts[allocation]));
    }
    OrderList->addItem(Text(InterfaceTexts.systematicDialogTexts[3]));
    FillVariableList(OrderList);
    {
        const QSignalBlocker blocker(EstimatorList);
        for (const Estimator* estimator : Estimators()) {
            EstimatorList->addItem(Text(estimator->Label()), estimator->Code());
        }
    }
    SampleCount->setValue(
        std::clamp(SimulationState.simulationCount, MinComparisonSamples, MaxComparisonSamples));
    IntervalsBox->setChecked(SimulationState.confidenceIntervalMode);
    variants_ = VariantsOfSettings();
    VariantsChanged();
    VariantList->setCurrentRow(0);
}

const SamplingDesign& TComparison::EditedDesign() const
{
    return DesignOf(DesignList->currentData().toInt());
}

const Estimator& TComparison::EditedEstimator() const
{
    const Estimator* chosen = FindEstimator(EstimatorList->currentData().toInt());
    return chosen != nullptr ? *chosen : *Estimators().front();
}

ComparisonVariant TComparison::EditedVariant() const
{
    const SamplingDesign& chosen = EditedDesign();
    const unsigned fields = FieldsOf(chosen);
    ComparisonVariant variant;
    DesignChoice& design = variant.design;
    design.design = chosen.Code();
    variant.estimator = EditedEstimator().Code();
    variant.auxiliaryVariable =
        unitsListed_ ? std::max(AuxiliaryList->currentIndex(), 0) : SelectedVariable(AuxiliaryList);
    if (fields & VariableField) {
        design.variable = SelectedVariable(DesignVariableList);
    }
    if (chosen.VariableIsAuxiliary()) {
        variant.auxiliaryVariable = design.variable;
    }
    if (fields & AllocationField) {
        design.allocation = std::max(AllocationList->currentIndex(), 0);
    }
    if (fields & OrderField) {
        design.variable = std::max(OrderList->currentIndex(), 0);
    }
    if (fields & ClustersField) {
        design.clusters = ClusterCount->value();
    }
    if (fields & UnitsField) {
        design.unitsPerCluster = UnitCount->value();
    }
    if (fields & ClassesField) {
        design.stratumClasses = ClassCount->value();
    }
    return variant;
}

bool TComparison::Accepts(const ComparisonVariant& variant) const
{
    const std::string refusal = VariantRefusal(variant);
    if (!refusal.empty()) {
        ShowErrorMessage(Text(refusal));
    }
    return refusal.empty();
}

void TComparison::ShowVariant(const ComparisonVariant& variant)
{
    const DesignChoice& design = variant.design;
    DesignList->setCurrentIndex(std::max(DesignList->findData(design.design), 0));
    EditorChanged();
    const unsigned fields = FieldsOf(EditedDesign());
    if (fields & VariableField) {
        SelectVariable(DesignVariableList, design.variable);
    }
    if (fields & AllocationField) {
        AllocationList->setCurrentIndex(design.allocation);
    }
    if (fields & OrderField) {
        OrderList->setCurrentIndex(design.variable);
    }
    if (fields & ClustersField) {
        ClusterCount->setValue(design.clusters);
    }
    if (fields & UnitsField) {
        UnitCount->setValue(design.unitsPerCluster);
    }
    if (fields & ClassesField) {
        ClassCount->setValue(design.stratumClasses);
    }
    EstimatorList->setCurrentIndex(std::max(EstimatorList->findData(variant.estimator), 0));
    // An estimator that reads none: the field offers the one in force.
    const int auxiliary =
        EditedEstimator().ReadsAuxiliary() ? variant.auxiliaryVariable : SimulationState.auxiliaryVariable;
    if (unitsListed_) {
        AuxiliaryList->setCurrentIndex(auxiliary);
    } else {
        SelectVariable(AuxiliaryList, auxiliary);
    }
    EditorChanged();
}

void TComparison::ListUnits(bool listed)
{
    if (listed == unitsListed_) {
        return;
    }
    const QSignalBlocker blocker(AuxiliaryList);
    if (listed) {
        AuxiliaryList->insertItem(0, QStringLiteral("Units (mean per unit)"));
    } else {
        AuxiliaryList->removeItem(0);
    }
    unitsListed_ = listed;
}

void TComparison::EditorChanged()
{
    const SamplingDesign& design = EditedDesign();
    const unsigned fields = FieldsOf(design);
    SetAutoSizedText(DesignVariableLabel, (fields & ClustersField) ? QStringLiteral("Clusters by:")
                                                                   : QStringLiteral("Size or strata by:"));
    DesignVariableList->setEnabled(fields & VariableField);
    AllocationList->setEnabled(fields & AllocationField);
    OrderList->setEnabled(fields & OrderField);
    ClusterCount->setEnabled(fields & ClustersField);
    UnitCount->setEnabled(fields & UnitsField);
    const bool classes = fields & ClassesField;
    SetAutoSizedText(CountsLabel, classes ? QStringLiteral("Classes:") : QStringLiteral("Clusters (m):"));
    ClassCount->setVisible(classes);
    for (QWidget* clusterField : std::initializer_list<QWidget*>{ClusterCount, unitsCaption_, UnitCount}) {
        clusterField->setVisible(!classes);
    }
    ListUnits(design.OffersUnitsAsAuxiliary());

    const auto* estimators = qobject_cast<QStandardItemModel*>(EstimatorList->model());
    int allowed = 0;
    for (int k = 0; k < EstimatorList->count(); ++k) {
        const bool allows = design.Allows(EstimatorList->itemData(k).toInt());
        estimators->item(k)->setEnabled(allows);
        allowed += allows ? 1 : 0;
    }
    if (!design.Allows(EditedEstimator().Code())) {
        const QSignalBlocker blocker(EstimatorList);
        EstimatorList->setCurrentIndex(0);
    }
    EstimatorList->setEnabled(allowed > 1);
    AuxiliaryList->setEnabled(allowed > 1 && EditedEstimator().ReadsAuxiliary());
}

void TComparison::VariantSelected()
{
    const int row = VariantList->currentRow();
    if (row >= 0 && row < static_cast<int>(variants_.size())) {
        ShowVariant(variants_[row]);
    }
}

void TComparison::AddButtonClick()
{
    if (running()) {
        return;
    }
    const ComparisonVariant variant = EditedVariant();
    if (!Accepts(variant)) {
        return;
    }
    variants_.push_back(variant);
    VariantsChanged();
    VariantList->setCurrentRow(static_cast<int>(variants_.size()) - 1);
}

void TComparison::ChangeButtonClick()
{
    if (running()) {
        return;
    }
    const int row = VariantList->currentRow();
    const ComparisonVariant variant = EditedVariant();
    if (row < 0 || row >= static_cast<int>(variants_.size()) || !Accepts(variant)) {
        return;
    }
    variants_[row] = variant;
    VariantsChanged();
    VariantList->setCurrentRow(row);
}

void TComparison::RemoveButtonClick()
{
    if (running()) {
        return;
    }
    const int row = VariantList->currentRow();
    if (row < 0 || row >= static_cast<int>(variants_.size())) {
        return;
    }
    variants_.erase(variants_.begin() + row);
    VariantsChanged();
    VariantList->setCurrentRow(std::min(row, static_cast<int>(variants_.size()) - 1));
}

// A result belongs to the variants it was computed for: any change clears it.
void TComparison::VariantsChanged()
{
    result_.reset();
    {
        const QSignalBlocker blocker(VariantList);
        VariantList->clear();
        for (const ComparisonVariant& variant : variants_) {
            VariantList->addItem(Text(VariantText(variant)));
        }
    }
    RunButton->setEnabled(!variants_.empty());
    FillTable();
    ShowPicture();
    FitToContents();
}

void TComparison::RunButtonClick()
{
    if (variants_.empty()) {
        return;
    }
    const bool intervals = IntervalsBox->isChecked();
    std::optional<ComparisonResult> result;
    const bool ran = slices_.Run([&] {
        result = RunComparison(variants_, SampleCount->value(), intervals, {},
                               [this] { return slices_.Continue(); });
    });
    if (!ran || slices_.stopped()) {
        return;
    }
    resultIntervals_ = intervals;
    result_ = std::move(result);
    FillTable();
    ShowPicture();
    FitToContents();
    if (!result_->stoppedDesigns.empty()) {
        ShowErrorMessage(QString::fromLatin1(RejectionBoundMessage));
    }
}

void TComparison::FillTable()
{
    const bool intervals = result_ ? resultIntervals_ : IntervalsBox->isChecked();
    const QStringList headings = ColumnHeadings(intervals);
    ResultTable->clear();
    ResultTable->setColumnCount(static_cast<int>(headings.size()));
    ResultTable->setHorizontalHeaderLabels(headings);
    ResultTable->setRowCount(static_cast<int>(variants_.size()));
    for (int row = 0; row < static_cast<int>(variants_.size()); ++row) {
        QStringList cells = {Text(VariantText(variants_[row]))};
        if (result_) {
            cells << ResultCells(*result_, row, intervals);
        }
        for (int column = 0; column < cells.size(); ++column) {
            auto* cell = new QTableWidgetItem(cells[column]);
            cell->setFlags(Qt::ItemIsEnabled);
            if (column > 0) {
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            ResultTable->setItem(row, column, cell);
        }
        ResultTable->setRowHeight(row, TableRowHeight);
    }
    ResultTable->resizeColumnsToContents();
    FillResultInfo();
}

// The mean the rows are measured against, and how each stratified variant
// shares its sample over the strata.
void TComparison::FillResultInfo()
{
    if (!result_) {
        ResultInfo->hide();
        return;
    }
    QStringList lines = {QStringLiteral("Population mean: ") + Text(FormatFixed3(result_->populationMean))};
    for (const ComparisonVariant& variant : variants_) {
        if (variant.design.design == DesignStratified) {
            lines << QStringLiteral("Allocation of ") + Text(VariantText(variant)) + QStringLiteral(": ") +
                         Text(AllocationSizesText(AllocationOfDesign(variant.design)));
        }
    }
    SetAutoSizedText(ResultInfo, lines.join(QLatin1Char('\n')));
    ResultInfo->show();
}

std::vector<BoxPlotRow> TComparison::BoxRows() const
{
    std::vector<BoxPlotRow> rows;
    for (std::size_t v = 0; v < variants_.size(); ++v) {
        BoxPlotRow row{Text(VariantText(variants_[v])), {}};
        if (result_) {
            row.box = SummarizeForBoxPlot(result_->tallies[v].estimates);
        }
        rows.push_back(row);
    }
    return rows;
}

// At the screen's pixel ratio, as the graphs are: a zoomed window draws its
// labels at the zoomed size instead of enlarging a small picture.
void TComparison::PaintPicture(QPainter& painter) const
{
    const qreal ratio = devicePixelRatioF();
    painter.scale(ratio, ratio);
    PaintBoxPlots(painter, BoxRows(), result_ ? result_->populationMean : PopulationMean());
}

QImage TComparison::RenderBoxPlots() const
{
    return RenderPicture(BoxPlotSize(BoxRows()) * devicePixelRatioF(), tarvek_colors::PlotBackground,
                         [this](QPainter& painter) { PaintPicture(painter); });
}

void TComparison::ShowPicture()
{
    QPixmap picture = QPixmap::fromImage(RenderBoxPlots());
    picture.setDevicePixelRatio(devicePixelRatioF());
    PlotLabel->setPixmap(picture);
    PlotLabel->resize(BoxPlotSize(BoxRows()));
}

// The table grows with the variants and its columns, the picture below it; the
// window grows with them up to the room its screen has, and scrolls beyond.
void TComparison::FitToContents()
{
    int tableWidth = 2 * ResultTable->frameWidth();
    for (int column = 0; column < ResultTable->columnCount(); ++column) {
        tableWidth += ResultTable->columnWidth(column);
    }
    const int contentsWidth = std::max({ClientWidth, tableWidth + 2 * Gap, PlotLabel->width() + 2 * Gap});
    const int tableHeight = ResultTable->horizontalHeader()->sizeHint().height() +
                            static_cast<int>(variants_.size()) * TableRowHeight +
                            2 * ResultTable->frameWidth();
    const int tableTop = !ResultInfo->isHidden() ? TableTop + ResultInfo->height() + Gap : TableTop;
    Place(ResultTable, Gap, tableTop, contentsWidth - 2 * Gap, tableHeight);
    const int pictureTop = tableTop + tableHeight + Gap;
    PlotLabel->move((contentsWidth - PlotLabel->width()) / 2, pictureTop);
    Contents->setFixedSize(contentsWidth, pictureTop + PlotLabel->height());

    const QSize client = ClientSizeFor(Contents->size());
    Place(Scroller, 0, 0, client.width(), client.height() - ButtonRowHeight);
    const int buttonTop = client.height() - ButtonHeight - Gap;
    SaveButton->move(client.width() - 2 * (ButtonWidth + Gap), buttonTop);
    OKButton->move(client.width() - ButtonWidth - Gap, buttonTop);
    setFixedSize(client);
    KeepOnScreen();
}

// The contents with the buttons below them, cut to the room the screen has, with
// a scroll bar's room added in each direction that has to scroll.
QSize TComparison::ClientSizeFor(QSize contents) const
{
    const QSize decoration = frameGeometry().size() - size();
    const QSize room = screen()->availableGeometry().size() - decoration;
    const int scrollBar = Scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Scroller);
    QSize wanted(contents.width(), contents.height() + ButtonRowHeight);
    bool scrollsDown = wanted.height() > room.height();
    const bool scrollsAcross = wanted.width() + (scrollsDown ? scrollBar : 0) > room.width();
    if (scrollsAcross) {
        wanted.rheight() += scrollBar;
        scrollsDown = wanted.height() > room.height();
    }
    if (scrollsDown) {
        wanted.rwidth() += scrollBar;
    }
    return wanted.boundedTo(room);
}

// A window that grew keeps its title bar and its buttons on the screen.
void TComparison::KeepOnScreen()
{
    const QRect room = screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveRight(std::min(frame.right(), room.right()));
    frame.moveBottom(std::min(frame.bottom(), room.bottom()));
    frame.moveLeft(std::max(frame.left(), room.left()));
    frame.moveTop(std::max(frame.top(), room.top()));
    move(frame.topLeft());
}

void TComparison::SaveButtonClick()
{
    if (running()) {
        return;
    }
    SavePictureThroughDialog(SavePicture, RenderBoxPlots(),
                             [this](QPainter& painter) { PaintPicture(painter); });
}

void TComparison::OKButtonClick()
{
    slices_.Stop();
    accept();
}

void TComparison::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once shown, the window's frame is known and counts against the screen's room.
    FitToContents();
}

void TComparison::hideEvent(QHideEvent* event)
{
    slices_.Stop();
    QDialog::hideEvent(event);
}
