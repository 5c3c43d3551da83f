#pragma once
// The dialog in which the columns of a delimited file are chosen as the
// population's variables.

#include <QDialog>
#include <vector>

#include "core/population_file.h"

struct DelimitedTable;

inline constexpr const char* NoColumnTickedMessage = "Tick at least one column!";
inline constexpr const char* TooManyColumnsMessage = "Tick at most 10 columns!";
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

class TImportDialog : public QDialog {
public:
    explicit TImportDialog(QWidget* parent = nullptr);

    /// \brief Lists the table's columns with their type and missing values, the
    /// first 10 usable ones ticked, and shows the dialog modally. True, with the
    /// population of the ticked columns, when the user confirmed a choice that
    /// reads.
    bool Execute(const DelimitedTable& table, PopulationContents& population);

    /// \brief Refuses none or more than 10 ticked columns through the
    /// error-message dialog; otherwise makes the population of the ticked
    /// columns and closes, or shows why it cannot be made and stays open with
    /// the choice as it is.
    void OKButtonClick();

    /// \brief The columns ticked now, in file order.
    [[nodiscard]] std::vector<int> TickedColumns() const;

    QLabel* Label1 = nullptr;
    QTreeWidget* ColumnList = nullptr;
    QCheckBox* DropMissingBox = nullptr;
    QLabel* MissingRowsLabel = nullptr;
    QLabel* RefusalLabel = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

private:
    void ChoiceChanged();
    void ShowRefusal(const QString& message);

    const DelimitedTable* table_ = nullptr;  ///< the table shown, during Execute only
    PopulationContents population_;
};
