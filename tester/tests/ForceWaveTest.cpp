// The force wave in-process, over our own DirectInput: the force every wave tick hands the wheel
// for each of buttons 1 to 8, the stop at the end, and what re-arming, switching patterns and a
// rescan do to a wave being played. Wave and poll ticks are run by hand, in the order the timers
// would deliver them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "WaveGaugeTestSupport.h"

namespace {

using namespace wavegauge;

// What one wave tick asked of the wheel's DirectInput: the forces it set and the stops it made.
struct TickCalls
{
    std::vector<LONG> forces;
    int stops = 0;
    int other = 0;
    bool Nothing() const { return forces.empty() && stops == 0 && other == 0; }
};

// Runs one wave tick and sorts out the calls it made.
TickCalls RunWaveTick(TJQTestDlg& dialog)
{
    fakedi::ClearCalls();
    WaveTick(dialog);
    TickCalls tick;
    for (const fakedi::Call& call : fakedi::Calls()) {
        if (call.method == fakedi::Method::SetParameters)
            tick.forces.push_back(call.effect.magnitude);
        else if (call.method == fakedi::Method::Unacquire)
            ++tick.stops;
        else
            ++tick.other;
    }
    return tick;
}

// One pattern as the wheel feels it after a single press: the first update on its own, then runs
// of equal sign, alternating, whose lengths follow `runCycle` except the last one.
struct Pattern
{
    int button;
    LONG magnitude;
    LONG firstUpdate;
    std::vector<int> runCycle;
    int lastRun; // signed: +9 is nine updates of +magnitude
    int plusUpdates, minusUpdates;
};

const Pattern Patterns[] = {
    {1, 1000, +1000, {1}, -1, 150, 150},
    {2, 7425, +7425, {10}, +9, 150, 150},
    {3, 10000, +10000, {30}, +29, 150, 150},
    {4, 2285, -2285, {100}, +99, 199, 101},
    {5, 8710, +8710, {5}, +4, 150, 150},
    {6, 3570, +3570, {50}, +49, 150, 150},
    {7, 4855, -4855, {20}, +19, 159, 141},
    {8, 6140, +6140, {2, 3}, +2, 180, 120},
};

const Pattern& PatternOf(int button)
{
    return Patterns[button - 1];
}

// Runs of equal values, each as (value, how many).
std::vector<std::pair<LONG, int>> Runs(const std::vector<LONG>& forces)
{
    std::vector<std::pair<LONG, int>> runs;
    for (LONG force : forces) {
        if (runs.empty() || runs.back().first != force)
            runs.push_back({force, 0});
        ++runs.back().second;
    }
    return runs;
}

// The 300 updates of one whole wave of `pattern`.
void ExpectWholeWave(const std::vector<LONG>& forces, const Pattern& pattern)
{
    ASSERT_EQ(forces.size(), 300u);
    int plus = 0, minus = 0;
    for (LONG force : forces) {
        plus += force == pattern.magnitude;
        minus += force == -pattern.magnitude;
    }
    EXPECT_EQ(plus, pattern.plusUpdates);
    EXPECT_EQ(minus, pattern.minusUpdates);
    ASSERT_EQ(plus + minus, 300) << "every update is +m or -m";

    const std::vector<std::pair<LONG, int>> runs = Runs(forces);
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs.front().first, pattern.firstUpdate);
    EXPECT_EQ(runs.front().second, 1) << "the first update stands alone";
    for (size_t k = 1; k + 1 < runs.size(); ++k) {
        EXPECT_EQ(runs[k].second, pattern.runCycle[(k - 1) % pattern.runCycle.size()])
            << "run " << k;
    }
    const LONG lastSign = pattern.lastRun < 0 ? -1 : 1;
    EXPECT_EQ(runs.back().first, lastSign * pattern.magnitude);
    EXPECT_EQ(runs.back().second, pattern.lastRun * lastSign);
}

// Wave ticks until the wave has stopped (and a few more, which must do nothing): the forces in
// order, the number of stops, and the tick that stopped it (1-based; 0 if none).
struct WaveRun
{
    std::vector<LONG> forces;
    int stops = 0;
    int stopTick = 0;
    int ticksAfterStopThatDidSomething = 0;
    bool forceAfterStop = false;
};

WaveRun RunWaveToItsEnd(TJQTestDlg& dialog, int maxTicks = 400)
{
    WaveRun run;
    for (int t = 1; t <= maxTicks; ++t) {
        const TickCalls tick = RunWaveTick(dialog);
        EXPECT_EQ(tick.other, 0) << "tick " << t;
        EXPECT_LE(static_cast<int>(tick.forces.size()) + tick.stops, 1) << "tick " << t;
        if (run.stopTick != 0) {
            run.ticksAfterStopThatDidSomething += !tick.Nothing();
            continue;
        }
        run.forces.insert(run.forces.end(), tick.forces.begin(), tick.forces.end());
        run.stops += tick.stops;
        if (tick.stops > 0)
            run.stopTick = t;
    }
    return run;
}

class ForceWaveTest : public ::testing::Test
{
protected:
    void SetUp() override { fakedi::Reset(); }
    void TearDown() override
    {
        EXPECT_EQ(fakedi::LiveReferences(), 0);
        fakedi::Reset();
    }

    // Presses the button for one poll tick and lets it go again on the next.
    static void TapButton(WheelAndDialog& opened, int button)
    {
        fakedi::SetState(opened.wheel, WheelReading(0, {button}));
        PollTick(*opened.dialog);
        fakedi::SetState(opened.wheel, WheelReading(0));
        PollTick(*opened.dialog);
    }
};

// Each button seen pressed on a single poll tick: 300 updates of its square wave, one every tick,
// then exactly one stop on the 301st, then nothing.
TEST_F(ForceWaveTest, EachButtonPlaysItsPatternThenStopsOnce)
{
    for (const Pattern& pattern : Patterns) {
        SCOPED_TRACE(testing::Message() << "button " << pattern.button);
        fakedi::Reset();
        WheelAndDialog opened = OpenWithWheel();
        TapButton(opened, pattern.button);
        ASSERT_EQ(Inspect::WaveIndex(*opened.dialog), pattern.button - 1);
        ASSERT_EQ(Inspect::WaveRemaining(*opened.dialog), 3000);

        const WaveRun run = RunWaveToItsEnd(*opened.dialog);
        EXPECT_EQ(run.stops, 1);
        EXPECT_EQ(run.stopTick, 301);
        EXPECT_EQ(run.ticksAfterStopThatDidSomething, 0);
        ExpectWholeWave(run.forces, pattern);
        EXPECT_EQ(Inspect::WaveIndex(*opened.dialog), -1);
        EXPECT_EQ(Inspect::WaveRemaining(*opened.dialog), -10);

        // The stop unacquired the wheel: the next poll acquires it and reads nothing.
        EXPECT_FALSE(fakedi::IsAcquired(opened.wheel));
        EXPECT_FALSE(fakedi::ForceOutput(opened.wheel).playing);
        PollTick(*opened.dialog);
        EXPECT_TRUE(fakedi::IsAcquired(opened.wheel));
    }
}

// Held down, the button re-arms its wave on every poll tick: only the first updates of the
// pattern are sent, again and again, and the whole wave plays out after the release.
TEST_F(ForceWaveTest, HoldingAButtonKeepsRestartingItsWave)
{
    WheelAndDialog opened = OpenWithWheel();
    TJQTestDlg& dialog = *opened.dialog;
    const Pattern& pattern = PatternOf(3);

    // The two timers as the message loop interleaves them: a poll every 25 ms, a wave tick
    // every 10 ms. The button is down for the first half second.
    std::vector<LONG> sinceArming;
    std::vector<LONG> afterRelease;
    int arming = 0, stops = 0;
    for (int ms = 0; ms < 4000; ms += 5) {
        const bool held = ms < 500;
        if (ms % 25 == 0) {
            fakedi::SetState(opened.wheel, WheelReading(0, held ? std::vector<int>{3} : std::vector<int>{}));
            PollTick(dialog);
            if (held) {
                ++arming;
                ASSERT_EQ(Inspect::WaveRemaining(dialog), 3000);
                sinceArming.clear();
            }
        }
        if (ms % 10 == 0) {
            const TickCalls tick = RunWaveTick(dialog);
            stops += tick.stops;
            for (LONG force : tick.forces) {
                sinceArming.push_back(force);
                if (!held)
                    afterRelease.push_back(force);
            }
            if (held) {
                SCOPED_TRACE(testing::Message() << "at " << ms << " ms");
                EXPECT_EQ(tick.stops, 0);
                // 3000 ms left gives +m, 2990 and 2980 give -m; a poll re-arms before 2970.
                ASSERT_LE(sinceArming.size(), 3u);
                EXPECT_EQ(sinceArming.front(), +pattern.magnitude);
                for (size_t k = 1; k < sinceArming.size(); ++k)
                    EXPECT_EQ(sinceArming[k], -pattern.magnitude);
            }
        }
    }
    EXPECT_EQ(arming, 20);
    EXPECT_EQ(stops, 1);
    // From the last poll that saw the button: the whole wave, then the stop.
    ExpectWholeWave(sinceArming, pattern);
    EXPECT_LT(afterRelease.size(), 300u) << "the wave began before the release";
    EXPECT_EQ(Inspect::WaveIndex(dialog), -1);
}

// Another button during a wave takes over at once, with its own pattern from the start.
TEST_F(ForceWaveTest, AnotherButtonSwitchesThePatternMidWave)
{
    WheelAndDialog opened = OpenWithWheel();
    TJQTestDlg& dialog = *opened.dialog;
    TapButton(opened, 2);
    for (int t = 0; t < 50; ++t) {
        const TickCalls tick = RunWaveTick(dialog);
        ASSERT_EQ(tick.forces.size(), 1u);
        ASSERT_EQ(std::abs(tick.forces[0]), PatternOf(2).magnitude);
    }
    ASSERT_EQ(Inspect::WaveRemaining(dialog), 2500);

    TapButton(opened, 5);
    EXPECT_EQ(Inspect::WaveIndex(dialog), 4);
    EXPECT_EQ(Inspect::WaveRemaining(dialog), 3000);
    const WaveRun run = RunWaveToItsEnd(dialog);
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.stopTick, 301);
    ExpectWholeWave(run.forces, PatternOf(5));
}

// A device change during a wave abandons it: the rescan's close releases the wheel's effect, so
// the wave sends no stop of its own and nothing more.
TEST_F(ForceWaveTest, RescanMidWaveEndsItWithoutAStop)
{
    WheelAndDialog opened = OpenWithWheel();
    TJQTestDlg& dialog = *opened.dialog;
    TapButton(opened, 3);
    for (int t = 0; t < 50; ++t)
        RunWaveTick(dialog);

    fakedi::ClearCalls();
    EXPECT_EQ(SendDeviceChange(dialog, DBT_DEVICEARRIVAL), 0);
    EXPECT_EQ(Inspect::WaveIndex(dialog), -1);
    EXPECT_EQ(Inspect::WaveRemaining(dialog), 0);
    EXPECT_EQ(Inspect::WheelIndex(dialog), 0);
    // The only unacquire is the close's, before it released the effect and the device.
    const std::vector<fakedi::Call> unacquires = fakedi::CallsOf(fakedi::Method::Unacquire);
    EXPECT_EQ(unacquires.size(), 1u);
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::SetParameters), 0);
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::ReleaseEffect), 1);

    for (int t = 0; t < 400; ++t)
        ASSERT_TRUE(RunWaveTick(dialog).Nothing()) << "tick " << t;
}

// Before any button, and with no wheel at all, the wave tick does nothing.
TEST_F(ForceWaveTest, NoWaveArmedCallsNothing)
{
    const struct
    {
        const char* name;
        bool wheel;
    } cases[] = {{"wheel at rest", true}, {"no wheel", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakedi::Reset();
        if (c.wheel)
            fakedi::AddWheel(1);
        Dialog dialog = OpenDialog();
        PollTick(*dialog);
        PollTick(*dialog);
        for (int t = 0; t < 400; ++t)
            ASSERT_TRUE(RunWaveTick(*dialog).Nothing()) << "tick " << t;
        EXPECT_EQ(Inspect::WaveIndex(*dialog), -1);
        EXPECT_EQ(Inspect::WaveRemaining(*dialog), 0);
    }
}

// Wave time is the timer's Interval per tick, read afresh on every tick: after 100 ticks of 10 ms
// a 50 ms Interval uses up the remaining 2000 ms in 40 ticks.
TEST_F(ForceWaveTest, EachTickUsesUpTheTimersCurrentInterval)
{
    WheelAndDialog opened = OpenWithWheel();
    TJQTestDlg& dialog = *opened.dialog;
    TapButton(opened, 6);
    for (int t = 0; t < 100; ++t)
        RunWaveTick(dialog);
    ASSERT_EQ(Inspect::WaveRemaining(dialog), 2000);

    dialog.FFWaveTimer->Interval = 50;
    const WaveRun run = RunWaveToItsEnd(dialog);
    EXPECT_EQ(run.forces.size(), 40u);
    EXPECT_EQ(run.stopTick, 41);
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(Inspect::WaveRemaining(dialog), -50);
    // 2000 ms left is the fourth half period from the end (+m); 1950 is in the third (-m).
    ASSERT_GE(run.forces.size(), 2u);
    EXPECT_EQ(run.forces[0], +PatternOf(6).magnitude);
    EXPECT_EQ(run.forces[1], -PatternOf(6).magnitude);
    dialog.FFWaveTimer->Interval = 10;
}

} // namespace
