// The wave tick runs every 10 ms and the gauge repaints whenever the steering moves, for as long
// as the tester is open: neither may allocate. This program counts every heap allocation it
// makes.
#include <cstdlib>

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WaveGaugeTestSupport.h"

namespace {
// Keeps the compiler from dropping the allocations the counter check makes.
void* volatile Sink = nullptr;
} // namespace

namespace {

using namespace wavegauge;

// Counts the allocations `work` makes.
template <class Work>
long AllocationsOf(Work work)
{
    const long before = HeapAllocations();
    work();
    return HeapAllocations() - before;
}

TEST(WaveGaugeAllocations, TheCountersSeeAllocations)
{
    const long made = AllocationsOf([] {
        int* number = new int(1);
        Sink = number;
        void* block = malloc(16);
        Sink = block;
        delete number;
        free(block);
    });
    EXPECT_EQ(made, 2);
}

TEST(WaveGaugeAllocations, WaveTicksAndGaugePaintsAllocateNothing)
{
    fakedi::Reset();
    WheelAndDialog opened = OpenWithWheel();
    TJQTestDlg& dialog = *opened.dialog;
    // The fake itself would allocate for its call log; it only counts from here on.
    fakedi::SetCallLog(false);
    const int stopsBefore = fakedi::CallCount(fakedi::Method::Unacquire, opened.wheel);
    const int forcesBefore = fakedi::CallCount(fakedi::Method::SetParameters, opened.wheel);
    TestPicture box(dialog.WheelPaintBox->Width, dialog.WheelPaintBox->Height);
    TestPicture group(dialog.AxisGroupBox->Width, dialog.AxisGroupBox->Height);

    long inWaveTicks = 0, inHandlerPaints = 0, inWindowPaints = 0;
    const LONG steering[] = {0, 1, -1, 16384, -16384, 32767, -32768, 1234};
    for (int button = 1; button <= 8; ++button) {
        // The poll tick arms the wave and moves the steering; it is not counted here.
        fakedi::SetState(opened.wheel, WheelReading(steering[button - 1], {button}));
        PollTick(dialog);
        ASSERT_EQ(Inspect::WaveIndex(dialog), button - 1);

        inWaveTicks += AllocationsOf([&] {
            for (int t = 0; t < 301; ++t)
                WaveTick(dialog);
        });
        inHandlerPaints += AllocationsOf([&] {
            TCanvas::Binding binding(dialog.WheelPaintBox->Canvas, box.Dc());
            dialog.WheelPaintBox->Paint();
        });
        inWindowPaints += AllocationsOf([&] { dialog.AxisGroupBox->PaintTo(group.Dc(), 0, 0); });

        // The wave did play and stop; the paint did draw.
        EXPECT_EQ(Inspect::WaveIndex(dialog), -1);
        EXPECT_FALSE(fakedi::IsAcquired(opened.wheel));
        EXPECT_EQ(box.At(0, 0), clWhite);
        PollTick(dialog); // acquires the wheel again
    }
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::SetParameters, opened.wheel) - forcesBefore, 8 * 300);
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::Unacquire, opened.wheel) - stopsBefore, 8);

    EXPECT_EQ(inWaveTicks, 0) << "in 8 waves of 301 ticks";
    EXPECT_EQ(inHandlerPaints, 0) << "in 8 paints of the gauge alone";
    EXPECT_EQ(inWindowPaints, 0) << "in 8 paints of its group box";

    opened.dialog.reset();
    EXPECT_EQ(fakedi::LiveReferences(), 0);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
