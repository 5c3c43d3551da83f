#include "engine/plot_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/simulation_state.h"
#include "engine/run_engine.h"

namespace {

RunScale Scale(double lower, double upper)
{
    return RunScale{lower, upper, upper - lower == 0.0 ? 1.0 : upper - lower};
}

SampleResult Interval(double lower, double upper)
{
    SampleResult sample;
    sample.estimate = (lower + upper) / 2;
    sample.standardErrorAvailable = true;
    sample.intervalLower = lower;
    sample.intervalUpper = upper;
    return sample;
}

TEST(PlotFrameTest, DistributionGeometryOfTheReferenceWindow)
{
    const PlotFrame frame = PrepareDistributionFrame(Scale(0, 100), 50.0);
    EXPECT_EQ(frame.plotLeft, 19);
    EXPECT_EQ(frame.axisLength, 457);
    EXPECT_EQ(AxisRightX(frame), 476);
    EXPECT_EQ(frame.axisY, 235);
    EXPECT_EQ(frame.stepHeight, 7);
    EXPECT_EQ(PlotTopY(frame), 25);
    EXPECT_EQ(TickBottomY(frame), 242);
    // 247.5 and 228.5 both go to the even neighbour.
    EXPECT_EQ(MiddleTickX(frame), 248);
    EXPECT_EQ(frame.meanLineX, 19 + 228);
}

TEST(PlotFrameTest, IntervalGeometryPutsTheRowsBetween31And234)
{
    const PlotFrame frame = PrepareIntervalFrame(Scale(0, 100), 50.0);
    EXPECT_EQ(frame.axisY, 241);
    EXPECT_EQ(frame.stepHeight, 7);
    EXPECT_EQ(SlotRowY(frame, 1), 31);
    EXPECT_EQ(SlotRowY(frame, 30), 234);
}

TEST(PlotFrameTest, BarUnitFollowsTheCompression)
{
    EXPECT_EQ(BarUnit(7, 1), 7);
    EXPECT_EQ(BarUnit(7, 2), 4);
    EXPECT_EQ(BarUnit(7, 3), 2);
    EXPECT_EQ(BarUnit(7, 4), 2);
    EXPECT_EQ(BarUnit(7, 0), 7) << "an unset compression counts as 1";
}

TEST(PlotFrameTest, MeanLineFarOutsideTheScaleSaturates)
{
    EXPECT_EQ(PrepareDistributionFrame(Scale(0, 1), 1e300).meanLineX,
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(PrepareDistributionFrame(Scale(0, 1), -1e300).meanLineX,
              std::numeric_limits<std::int32_t>::min() + 19);
    EXPECT_EQ(PrepareDistributionFrame(Scale(0, 1), std::nan("")).meanLineX, 19);
}

TEST(PlotFrameTest, BarEdgesOfTheFirstMiddleAndLastClass)
{
    const PlotFrame frame = PrepareDistributionFrame(Scale(0, 50), 25.0);
    EXPECT_EQ(ClassBarEdges(frame, 1).left, 19);
    EXPECT_EQ(ClassBarEdges(frame, 1).right, 28);   // 9.14
    EXPECT_EQ(ClassBarEdges(frame, 25).left, 238);  // 219.36
    EXPECT_EQ(ClassBarEdges(frame, 25).right, 247);
    EXPECT_EQ(ClassBarEdges(frame, 50).left, 467);  // 447.86
    EXPECT_EQ(ClassBarEdges(frame, 50).right, 476);
}

int FillClass(int k, int compression)
{
    const PlotFrame frame = PrepareDistributionFrame(Scale(0, 50), 25.0);
    ClearHistogramCounts(SimulationState.histogramCounts);
    const int barUnit = BarUnit(frame.stepHeight, compression);
    int added = 0;
    while (AddToHistogram(SimulationState.histogramCounts, k, barUnit, frame)) {
        ++added;
    }
    return added;
}

TEST(PlotFrameTest, ClassCapDependsOnTheCompression)
{
    EXPECT_EQ(FillClass(7, 1), 29);
    EXPECT_EQ(SimulationState.histogramCounts[7], 29);
    EXPECT_EQ(FillClass(7, 2), 50);
    EXPECT_EQ(SimulationState.histogramCounts[7], 50);
    EXPECT_EQ(SimulationState.histogramCounts[6], 0);
}

TEST(PlotFrameTest, ClearingResetsAll75Counts)
{
    SimulationState.histogramCounts[75] = 4;
    SimulationState.histogramCounts[1] = 2;
    ClearHistogramCounts(SimulationState.histogramCounts);
    for (int k = 0; k <= HistogramCapacity; ++k) {
        EXPECT_EQ(SimulationState.histogramCounts[k], 0) << k;
    }
}

TEST(PlotFrameTest, IntervalsReachingBeyondTheScaleAreCut)
{
    const PlotFrame frame = PrepareIntervalFrame(Scale(0, 100), 50.0);
    const PixelSpan low = IntervalPixels(frame, Interval(-5, 3));
    EXPECT_EQ(low.left, 19);
    EXPECT_EQ(low.right, 33);
    const PixelSpan high = IntervalPixels(frame, Interval(95, 120));
    EXPECT_EQ(high.left, 453);
    EXPECT_EQ(high.right, 476);
    const PixelSpan inside = IntervalPixels(frame, Interval(8.04, 11.96));
    EXPECT_EQ(inside.left, 56);  // 36.74 + 19
    EXPECT_EQ(inside.right, 74);
}

TEST(PlotFrameTest, IntervalsWhollyBeyondAnEndBecomeAMarkAtThatEnd)
{
    const PlotFrame frame = PrepareIntervalFrame(Scale(0, 100), 50.0);
    const PixelSpan left = IntervalPixels(frame, Interval(-30, -10));
    EXPECT_EQ(left.left, 19);
    EXPECT_EQ(left.right, 19 + 2 * IntervalMarkHalfLength);
    const PixelSpan right = IntervalPixels(frame, Interval(150, 1e300));
    EXPECT_EQ(right.left, 476 - 2 * IntervalMarkHalfLength);
    EXPECT_EQ(right.right, 476);
}

TEST(PlotFrameTest, AReversedScaleMirrorsTheIntervals)
{
    const PlotFrame frame = PrepareIntervalFrame(Scale(100, 0), 50.0);
    const PixelSpan inside = IntervalPixels(frame, Interval(40, 60));
    EXPECT_EQ(inside.left, 202);   // 60 at 0.4 * 457 + 19
    EXPECT_EQ(inside.right, 293);  // 40 at 0.6 * 457 + 19
    const PixelSpan cut = IntervalPixels(frame, Interval(95, 120));
    EXPECT_EQ(cut.left, 19);
    EXPECT_EQ(cut.right, 42);  // 95 at 0.05 * 457 + 19
    const PixelSpan beyond = IntervalPixels(frame, Interval(-30, -10));
    EXPECT_EQ(beyond.right, 476) << "below the lower bound lies beyond the right end";
}

TEST(PlotFrameTest, IntervalWithoutStandardErrorIsAMarkAtItsEstimate)
{
    const PlotFrame frame = PrepareIntervalFrame(Scale(0, 100), 50.0);
    SampleResult sample;
    sample.estimate = 50.0;  // x 247.5 -> 248
    sample.intervalLower = sample.intervalUpper = sample.estimate;
    const PixelSpan mark = IntervalPixels(frame, sample);
    EXPECT_EQ(mark.left, 248 - IntervalMarkHalfLength);
    EXPECT_EQ(mark.right, 248 + IntervalMarkHalfLength);
}

TEST(PlotFrameTest, NonFiniteIntervalsStayOnTheAxis)
{
    const PlotFrame frame = PrepareIntervalFrame(Scale(0, 100), 50.0);
    const double nan = std::nan("");
    const double infinity = std::numeric_limits<double>::infinity();
    for (const SampleResult& sample : {Interval(nan, nan), Interval(-infinity, infinity),
                                       Interval(infinity, infinity), Interval(5, nan)}) {
        const PixelSpan span = IntervalPixels(frame, sample);
        EXPECT_GE(span.left, 19);
        EXPECT_LE(span.left, span.right);
        EXPECT_LE(span.right, 476);
    }
}

TEST(PlotFrameTest, The31stIntervalPushesTheFirstOut)
{
    IntervalSlots rows;
    ClearIntervalSlots(rows);
    PushInterval(rows, {100, 200});
    EXPECT_TRUE(rows.intervalShown[30]);
    EXPECT_FALSE(rows.intervalShown[29]);
    for (int i = 2; i <= 31; ++i) {
        PushInterval(rows, {100 + i, 200 + i});
    }
    EXPECT_TRUE(rows.intervalShown[1]);
    EXPECT_EQ(rows.intervalLeft[1], 102) << "the first interval has left the top row";
    EXPECT_EQ(rows.intervalRight[1], 202);
    EXPECT_EQ(rows.intervalLeft[30], 131);
    EXPECT_EQ(rows.intervalRight[30], 231);
}

}  // namespace
