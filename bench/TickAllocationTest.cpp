// The tester's poll tick (every 25 ms) and force wave tick (every 10 ms) run for as long as it is
// open: once running, neither may allocate from the heap. Counts every allocation of this program
// (AllocationCounter) over many ticks of each kind.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "AllocationCounter.h"
#include "FakeDirectInput.h"
#include "TickRig.h"

namespace {

// Keeps the compiler from dropping the allocations the counter check makes.
void* volatile Sink = nullptr;

int CallsReached(const TickScenario& scenario)
{
    return scenario.reaches == fakedi::Method::Count ? 0 : fakedi::CallCount(scenario.reaches);
}

TEST(TickAllocations, TheCounterSeesAllocations)
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

TEST(TickAllocations, RunningTicksAllocateNothing)
{
    const int ticks = 1200;
    for (const TickScenario& scenario : TickScenarios()) {
        if (!scenario.isTick)
            continue;
        SCOPED_TRACE(scenario.name);
        TickRig rig;
        ASSERT_TRUE(rig.WheelSelected());
        for (int i = 0; i < WarmUpTicks; ++i) {
            scenario.prepare(rig, i);
            scenario.tick(rig);
        }

        const int callsBefore = CallsReached(scenario);
        long made = 0;
        for (int i = WarmUpTicks; i < WarmUpTicks + ticks; ++i) {
            scenario.prepare(rig, i);
            const long before = HeapAllocations();
            scenario.tick(rig);
            made += HeapAllocations() - before;
        }
        EXPECT_EQ(made, 0) << "heap allocations in " << ticks << " ticks";
        // The ticks did their work: read the wheel, or played the force.
        if (scenario.reaches != fakedi::Method::Count) {
            EXPECT_GT(CallsReached(scenario), callsBefore);
        }
    }
}

} // namespace
