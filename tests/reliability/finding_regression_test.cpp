// Each test here reproduces a fault that the sanitizer build or a fuzz target
// found, so that it stays mended.

#include <gtest/gtest.h>

#include <limits>

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <cstdint>

#include "core/settings.h"
#include "core/simulation_state.h"
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

// The scale of a sample size was the sum of the smallest (largest) target values
// divided by their number: with values near the largest double the sum overflowed
// and the scale became infinite, which put every estimate into one class.
TEST(FindingRegression, ScaleOfHugeTargetValuesStaysFinite)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = 3;
    SimulationState.variableCount = 1;
    for (int unit = 1; unit <= 3; ++unit) {
        SimulationState.populationData[unit][1] = unit % 2 == 0 ? -1.5e308 : 1.5e308;
    }
    SimulationState.targetVariable = 1;
    SimulationState.scaleSampleSize = 2;

    SetScaleForSampleSize();

    EXPECT_EQ(SimulationState.scaleLower, 0.0);  // mean of -1.5e308 and 1.5e308
    EXPECT_EQ(SimulationState.scaleUpper, 1.5e308);
}

// Summed as shares value / m, the mean of three values at the largest double
// still rounded beyond it and made the scale infinite (found by the run-engine
// fuzzer); the mean of finite values stays finite.
TEST(FindingRegression, ScaleOfValuesAtTheLargestDoubleStaysFinite)
{
    SimulationState = TSimulationState{};
    SimulationState.unitCount = 3;
    SimulationState.variableCount = 1;
    for (int unit = 1; unit <= 3; ++unit) {
        SimulationState.populationData[unit][1] = std::numeric_limits<double>::max();
    }
    SimulationState.targetVariable = 1;
    SimulationState.scaleSampleSize = 3;

    SetScaleForSampleSize();

    EXPECT_EQ(SimulationState.scaleLower, std::numeric_limits<double>::max());
    EXPECT_EQ(SimulationState.scaleUpper, std::numeric_limits<double>::max());
}

}  // namespace
