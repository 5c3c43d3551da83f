#pragma once
// The dialog in which the columns of a delimited file are chosen as the
// population's variables.

#include <QDialog>
#include <vector>

struct DelimitedTable;

inline constexpr const char* NoColumnTickedMessage = "Tick at least one column!";
inline constexpr const char* TooManyColumnsMessage = "Tick at most 10 columns!";
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

/// \brief What the user chose: the columns (0-based, in file order) and whether
/// rows with a missing value in one of them are left out.
struct ImportChoice {
    std::vector<int> columns;
    bool dropMissing = false;
};

class TImportDialog : public QDialog {
public:
    explicit TImportDialog(QWidget* parent = nullptr);

    /// \brief Lists the table's columns with their type and missing values, the
    /// first 10 usable ones ticked, and shows the dialog modally. True with the
    /// choice when the user confirmed it.
    bool Execute(const DelimitedTable& table, ImportChoice& choice);

    /// \brief Accepts the ticked columns; refuses none or more than 10 through
    /// the error-message dialog.
    void OKButtonClick();

    /// \brief The columns ticked now, in file order.
    [[nodiscard]] std::vector<int> TickedColumns() const;

    QLabel* Label1 = nullptr;
    QTreeWidget* ColumnList = nullptr;
    QCheckBox* DropMissingBox = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;
};
