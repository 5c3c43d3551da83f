#include "ui/error_message.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "ui/forms.h"
#include "ui/interface_text_table.h"
#include "ui/main_window.h"
#include "ui/window_style.h"

TErrorMessage::TErrorMessage(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ErrorMessage"));
    SetUpFixedWindow(this, 376, 100, tarvek_colors::ErrorBackground);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(12, 12);
    QFont bold = StandardFont();
    bold.setBold(true);
    Label1->setFont(bold);
    QPalette headingPalette = Label1->palette();
    headingPalette.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(headingPalette);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    Place(OKButton, 300, 64, 67, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TErrorMessage::OKButtonClick);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Place(Panel1, 12, 28, 353, 21);
    SetBackground(Panel1, tarvek_colors::PanelBackground);

    Label2 = new QLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(8, 4);
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

void ShowGeneralErrorReport(const QString& message)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = Forms.Main;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok, owner);
    box.exec();
}
