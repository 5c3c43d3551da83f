#pragma once
// Shared set-up of the settings dialog tests: a fresh record and every window as
// after program start, small populations read through the real reader, and a
// collector that answers the error reports a command shows.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/gui_test_support.h"

class QLineEdit;

/// \brief Runs `command`; `interact` then drives its dialog, which must be
/// `dialog`. Returns whether the dialog was shown.
template <class Dialog>
bool Drive(Dialog* dialog, const std::function<void()>& command, const std::function<void(Dialog&)>& interact)
{
    auto opened = std::make_shared<bool>(false);
    testing_support::OnNextModal([dialog, opened, interact](QWidget* modal) {
        ASSERT_EQ(modal, dialog);
        *opened = true;
        interact(*dialog);
    });
    command();
    return *opened;
}

/// \brief Closes every error report (the error-message dialog or a standard
/// message box) that opens while it lives, and keeps their messages in order.
class ReportCollector {
public:
    ReportCollector();
    QStringList messages;

private:
    QTimer poll_;
};

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// \brief Reads a population of one variable per column; all columns have
    /// the same number of units.
    static void ReadColumns(const std::vector<std::vector<double>>& columns);

    /// \brief Replaces the text of `field` as typing would (it counts as edited)
    /// and then takes the focus from it as a Tab key would.
    static void TypeAndLeave(QLineEdit* field, const QString& text);

    testing_support::ModalWatchdog watchdog_;
};
