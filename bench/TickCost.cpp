// Measures the tester's ticks in-process (see TickRig): for each scenario, the median and 90th
// percentile time of one tick over many, and the heap allocations per tick. Prints one line per
// scenario: "tick <name>|median_us=...|p90_us=...|allocations_per_tick=...".
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

#include "AllocationCounter.h"
#include "Clock.h"
#include "TickRig.h"

namespace {

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? atoi(argv[1]) : 3000;
    if (ticks < 1)
        return 2;
    for (const TickScenario& scenario : TickScenarios()) {
        TickRig rig;
        if (!rig.WheelSelected()) {
            fprintf(stderr, "bench_ticks: the dialog did not select the wheel\n");
            return 1;
        }
        for (int i = 0; i < WarmUpTicks; ++i) {
            scenario.prepare(rig, i);
            scenario.tick(rig);
        }
        std::vector<double> times;
        times.reserve(ticks);
        long allocations = 0;
        for (int i = WarmUpTicks; i < WarmUpTicks + ticks; ++i) {
            scenario.prepare(rig, i);
            const long allocationsBefore = HeapAllocations();
            const double start = NowMs();
            scenario.tick(rig);
            const double end = NowMs();
            allocations += HeapAllocations() - allocationsBefore;
            times.push_back((end - start) * 1000.0);  // microseconds
        }
        printf("tick %s|median_us=%.2f|p90_us=%.2f|allocations_per_tick=%.3f\n", scenario.name,
               Percentile(times, 0.5), Percentile(times, 0.9),
               static_cast<double>(allocations) / ticks);
    }
    return 0;
}
