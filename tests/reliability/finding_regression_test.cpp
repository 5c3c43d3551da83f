// Each test here reproduces a fault that the sanitizer build or a fuzz target
// found, so that it stays mended.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <cstdint>

#include "ui/whole_number_field.h"

namespace {

// Destroying a whole-number field that held the focus (as when the windows are
// deleted at the end) ran its check on an object that was no longer a QLineEdit
// (undefined behaviour) and stored its text as if the user had left the field.
TEST(FindingRegression, DestroyingAFocusedWholeNumberFieldStoresNothing)
{
    std::int32_t setting = 5;
    auto* window = new QWidget;
    auto* field = new QLineEdit(window);
    new WholeNumberField(
        field, 2, [] { return 12; }, setting);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    field->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(field->hasFocus());
    field->setText(QStringLiteral("7"));
    field->setModified(true);

    delete field;

    EXPECT_EQ(setting, 5);
    delete window;
}

}  // namespace
