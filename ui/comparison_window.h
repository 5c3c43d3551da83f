#pragma once
// The comparison window: a list of variants (a design with its variable, an
// estimator with its auxiliary variable), run on the same samples, with one
// table row and one box plot per variant. It reads the settings of the main
// window (target, sample size, nonresponse) and never changes them.

#include <QDialog>
#include <QImage>
#include <optional>
#include <vector>

#include "engine/comparison.h"
#include "ui/run_slices.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QListWidget;
class QPainter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableWidget;
class Estimator;
class SamplingDesign;
struct BoxPlotRow;

class TComparison : public QDialog {
    Q_OBJECT

public:
    explicit TComparison(QWidget* parent = nullptr);

    /// \brief Starts from the current settings and shows the window modally.
    void Execute();
    /// \brief The variants of the current settings, S and intervals as the
    /// settings have them, no result.
    void StartFromSettings();

    /// \brief Adds the variant of the editor to the list, unless it is refused.
    void AddButtonClick();
    /// \brief Replaces the selected variant by the editor's, unless it is refused.
    void ChangeButtonClick();
    void RemoveButtonClick();
    /// \brief Runs every variant on the same samples and shows the table and the box
    /// plots; the window handles input between slices of the run, and OK or Escape
    /// abandon it.
    void RunButtonClick();
    /// \brief Writes the box plots to a picture file the user chooses.
    void SaveButtonClick();
    void OKButtonClick();

    /// \brief The editor shows the selected variant.
    void VariantSelected();
    /// \brief Each design enables the fields it reads and the estimators it allows;
    /// under the cluster designs the auxiliary list starts with the units.
    void EditorChanged();

    const std::vector<ComparisonVariant>& variants() const { return variants_; }
    const std::optional<ComparisonResult>& result() const { return result_; }
    /// \brief The box plots of the last run (an empty axis before any) as the
    /// window shows them: at the zoomed size, pixel for pixel.
    QImage RenderBoxPlots() const;
    /// \brief True while Run is drawing: the buttons that change the variants, Run
    /// and Save do nothing.
    bool running() const { return slices_.running(); }

    QScrollArea* Scroller = nullptr;  ///< scrolls everything above Save and OK
    QWidget* Contents = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QListWidget* VariantList = nullptr;
    QComboBox* DesignList = nullptr;  ///< the registry's designs, each item's data its code
    QLabel* DesignVariableLabel = nullptr;
    QComboBox* DesignVariableList = nullptr;  ///< size, strata or cluster variable
    QComboBox* AllocationList = nullptr;
    QComboBox* OrderList = nullptr;
    QLabel* CountsLabel = nullptr;     ///< "Clusters (m):", "Classes:" under the stratified design
    QSpinBox* ClusterCount = nullptr;  ///< m
    QSpinBox* ClassCount = nullptr;    ///< H of the strata in classes of equal size, 0 the variable's values
    QSpinBox* UnitCount = nullptr;     ///< k, under two-stage sampling
    QComboBox* EstimatorList = nullptr;
    QComboBox* AuxiliaryList = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* ChangeButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QSpinBox* SampleCount = nullptr;
    QCheckBox* IntervalsBox = nullptr;
    QPushButton* RunButton = nullptr;
    QLabel* ResultInfo = nullptr;  ///< the population mean and the allocations of the last run
    QTableWidget* ResultTable = nullptr;
    QLabel* PlotLabel = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* OKButton = nullptr;
    QFileDialog* SavePicture = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void CreateEditor();
    std::vector<BoxPlotRow> BoxRows() const;
    void PaintPicture(QPainter& painter) const;
    const SamplingDesign& EditedDesign() const;
    /// \brief The estimator chosen in the editor (the first one while none is).
    const Estimator& EditedEstimator() const;
    ComparisonVariant EditedVariant() const;
    /// \brief Lists "Units (mean per unit)" as auxiliary 0 before the variables, or not.
    void ListUnits(bool listed);
    /// \brief False, after the refusal's message, when `variant` cannot be run.
    bool Accepts(const ComparisonVariant& variant) const;
    void ShowVariant(const ComparisonVariant& variant);
    void VariantsChanged();
    void FillTable();
    void FillResultInfo();
    void ShowPicture();
    void FitToContents();
    QSize ClientSizeFor(QSize contents) const;
    void KeepOnScreen();

    std::vector<ComparisonVariant> variants_;
    std::optional<ComparisonResult> result_;
    bool resultIntervals_ = false;
    QLabel* unitsCaption_ = nullptr;
    bool unitsListed_ = false;  ///< AuxiliaryList's item 0 is the units
    RunSlices slices_;
};
