#pragma once
// Error reports: the program's own checks go to the red error-message dialog;
// failures that no check catches go to the general error report.

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

/// \brief Shows `message` modally in the error-message dialog under the heading
/// "There is something wrong:".
void ShowErrorMessage(const QString& message);

/// \brief The general error report: a standard message box with the failure's
/// message, after which the program goes on.
void ShowGeneralErrorReport(const QString& message);

/// rief A warning about an action that was done anyway (settings accepted
/// that draw slowly, a lesson opened with fewer simulations than it asks for):
/// a standard message box with a warning sign, after which the program goes on.
void ShowWarning(const QString& message);

/// \brief The red dialog that reports a refused action: a bold heading above a
/// one-line message; the message is cut off at the panel's right edge.
class TErrorMessage : public QDialog {
public:
    explicit TErrorMessage(QWidget* parent = nullptr);

    /// \brief Sets the heading and the message and shows the dialog modally.
    void ShowMessage(const QString& message);
    void OKButtonClick();

    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
