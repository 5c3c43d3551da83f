#include "tests/ui/settings_dialog_fixture.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <sstream>

#include "core/population_file.h"
#include "core/simulation_state.h"
#include "ui/application.h"
#include "ui/error_message.h"
#include "ui/forms.h"
#include "ui/interface_texts.h"

ReportCollector::ReportCollector()
{
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (modal == Forms.ErrorMessage) {
            messages << Forms.ErrorMessage->Label2->text();
            Forms.ErrorMessage->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages << box->text();
            box->accept();
        }
    });
    poll_.start();
}

void SettingsDialogTest::SetUp()
{
    SimulationState = TSimulationState{};
    CreateForms();
    CreateInterfaceTexts();
}

void SettingsDialogTest::TearDown()
{
    DestroyForms();
}

void SettingsDialogTest::ReadColumns(const std::vector<std::vector<double>>& columns)
{
    std::ostringstream file;
    file.precision(17);
    file << "Test population\n" << columns.front().size() << ' ' << columns.size() << '\n';
    for (std::size_t k = 1; k <= columns.size(); ++k) {
        file << "var" << k << '\n';
    }
    for (std::size_t i = 0; i < columns.front().size(); ++i) {
        for (const auto& column : columns) {
            file << column[i] << ' ';
        }
        file << '\n';
    }
    const QString path = testing_support::WriteTemporaryFile(QStringLiteral("settings.pop"),
                                                             QByteArray::fromStdString(file.str()));
    SimulationState.populationName = path.toStdString();
    ReadPopulation();
}

void SettingsDialogTest::TypeAndLeave(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setModified(true);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &leave);
}
