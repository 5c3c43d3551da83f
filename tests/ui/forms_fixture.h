#pragma once
// A fixture that starts every test from a fresh record and a fresh set of
// windows, as after program start, with a guard against modals left open.

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

#include "core/simulation_state.h"
#include "tests/support/gui_test_support.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/main_window.h"

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulationState = TSimulationState{};
        CreateForms();
    }
    void TearDown() override { DestroyForms(); }

    /// Picks `path` in the open dialog of the next Read population; `afterwards`
    /// then handles the modal that follows it, if any.
    static void ChooseInOpenDialog(const QString& path, std::function<void(QWidget*)> afterwards = nullptr)
    {
        testing_support::OnNextModal([path, afterwards](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), " Select population file");
            if (afterwards) {
                testing_support::OnNextModal(afterwards);
            }
            testing_support::TypeIntoFileDialog(dialog, path);
        });
    }

    /// Reads `path` through the menu command, as the user would.
    static void ReadThroughMenu(const QString& path)
    {
        ChooseInOpenDialog(path);
        Forms.Main->Readpopulation1->trigger();
    }

    /// The text of the general error report that `trigger` opens, after closing it.
    static QString GeneralReportOf(const std::function<void()>& trigger)
    {
        // Shared, so that a report that never comes leaves no dangling reference.
        auto text = std::make_shared<QString>(QStringLiteral("(no report)"));
        testing_support::OnNextModal([text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            *text = box->text();
            box->accept();
        });
        trigger();
        return *text;
    }

    testing_support::ModalWatchdog watchdog_;
};
