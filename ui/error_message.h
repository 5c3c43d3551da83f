#pragma once
// Error reports: the program's own checks go to the red error-message dialog;
// failures that no check catches go to the general error report.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

/// \brief Shows `message` modally in the error-message dialog under the heading
/// "There is something wrong:".
void ShowErrorMessage(const QString& message);

/// \brief The general error report: a standard message box with the failure's
/// message, after which the program goes on.
void ShowGeneralErrorReport(const QString& message);
