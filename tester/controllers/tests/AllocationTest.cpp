// ReadControllerState and SetConstantForce run every 25 and 10 ms for as long as the tester is
// open: they must not allocate. This program counts every heap allocation it makes.
#include "Controllers.h"
#include "FakeDirectInput.h"

#include <cstdlib>

#include "AllocationCounter.h"

#include <gtest/gtest.h>

namespace {
// Keeps the compiler from dropping the allocations the counter check makes.
void* volatile Sink = nullptr;
}  // namespace

namespace {

TEST(ControllerAllocations, TheCountersSeeAllocations)
{
    const long before = HeapAllocations();
    int* number = new int(1);
    Sink = number;
    void* block = malloc(16);
    Sink = block;
    EXPECT_EQ(HeapAllocations() - before, 2);
    delete number;
    free(block);
}

TEST(ControllerAllocations, ReadingAndForcesAllocateNothing)
{
    fakedi::Reset();
    const fakedi::DeviceId wheel = fakedi::AddWheel(2);
    fakedi::AddController();
    HWND window = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_EQ(OpenControllers(window), 0);
    // The fake itself would allocate for its call log; it only counts from here on.
    fakedi::SetCallLog(false);

    const int rounds = 2000;
    const long before = HeapAllocations();
    for (int round = 0; round < rounds; ++round) {
        DIJOYSTATE2 state = {};
        state.rgdwPOV[0] = 0xFFFFFFFF;
        ReadControllerState(0, &state);   // acquires or reads, in turn with the StopForce below
        ReadControllerState(1, &state);
        SetConstantForce(0, round % 2 ? 10000 : -10000, 0);
        SetConstantForce(1, 500, 0);
        if (round % 100 == 99)
            StopForce(0);
    }
    const long made = HeapAllocations() - before;

    // The loop did reach DirectInput: reads, acquisitions and played forces.
    EXPECT_GE(fakedi::CallCount(fakedi::Method::GetDeviceState, wheel), rounds / 2);
    EXPECT_GE(fakedi::CallCount(fakedi::Method::Acquire, wheel), rounds / 100);
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::SetParameters, wheel), rounds);
    EXPECT_EQ(made, 0) << "heap allocations in " << rounds << " rounds";

    CloseControllers();
    DestroyWindow(window);
    EXPECT_EQ(fakedi::LiveReferences(), 0);
}

}  // namespace
