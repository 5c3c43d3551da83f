#include "ui/error_message.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "ui/forms.h"
#include "texts/interface_text_table.h"
#include "ui/main_window.h"
#include "ui/window_style.h"

TErrorMessage::TErrorMessage(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ErrorMessage"));
    SetUpFixedWindow(this, 376, 100, tarvek_colors::ErrorBackground);

    Label1 = CreateLabel(this, "Label1", 12, 12);
    QFont bold = StandardFont();
    bold.setBold(true);
    Label1->setFont(bold);
    SetTextColor(Label1, Qt::white);

    OKButton = CreateOKButton(this, 300, 64, 67, 25);
    connect(OKButton, &QPushButton::clicked, this, &TErrorMessage::OKButtonClick);

    Panel1 = CreatePanel(this, "Panel1", 12, 28, 353, 21);
    Label2 = CreateLabel(Panel1, "Label2", 8, 4);
}

void TErrorMessage::ShowMessage(const QString& message)
{
    SetAutoSizedText(Label1, QString::fromStdString(InterfaceTexts.errorHeadingText));
    SetAutoSizedText(Label2, message);
    exec();
}

void TErrorMessage::OKButtonClick()
{
    accept();
}

void TErrorMessage::showEvent(QShowEvent* event)
{
    CenterOnScreen(this);
    QDialog::showEvent(event);
}

void ShowErrorMessage(const QString& message)
{
    if (Forms.ErrorMessage != nullptr) {
        Forms.ErrorMessage->ShowMessage(message);
        return;
    }
    // Only before the windows exist (a dialog tested on its own): report anyway.
    TErrorMessage standIn;
    standIn.ShowMessage(message);
}

namespace {

void ShowMessageBox(QMessageBox::Icon icon, const QString& message)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = Forms.Main;
    }
    QMessageBox box(icon, QApplication::applicationName(), message, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

void ShowGeneralErrorReport(const QString& message)
{
    ShowMessageBox(QMessageBox::Critical, message);
}

void ShowWarning(const QString& message)
{
    ShowMessageBox(QMessageBox::Warning, message);
}
