// The force wave end to end: the real JqFFWTest.exe in a fresh folder with the virtual wheel (our
// dinput8.dll, which follows DirectInput's rules: an effect plays only on a device acquired
// exclusively) beside it, under Wine. A button is pressed and let go on the wheel, and the wheel's
// log shows what reached it: the forces of the button's pattern, then the wheel unacquired, then
// acquired again by the next poll. Wine's timers are loose, so the log is checked for order, signs
// and counts, never for times.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "UiDriver.h"
#include "VirtualWheelControl.h"

namespace {

using uidriver::Process;
using uidriver::WaitUntil;
using uidriver::TempFolder;
using vwheel::LogEntry;

const char DialogCaption[] = "Force Feedback Wheel Test";
const DWORD StartTimeoutMs = 30000;
// A wave is 3 s of 10 ms ticks; the margin is for a loaded machine, where the ticks come late
// and the wave stretches.
const DWORD WaveTimeoutMs = 30000;
const DWORD InputTimeoutMs = 5000;
const DWORD ExitTimeoutMs = 15000;

const char WheelDevice[] = "0";
const long PlayedResult = 0;                // DI_OK: the force reached the motor
const long UpdateFlags = 0x20000140;        // direction, type-specific parameters, start

bool Is(const LogEntry& entry, const char* event)
{
    return entry.event == event && entry.Field("dev") == WheelDevice;
}

long Magnitude(const LogEntry& force)
{
    return std::stol(force.Field("mag"));
}

// One whole wave of a pattern whose half period is a multiple of the tick: the first update on
// its own, then runs of `runLength` updates alternating in sign, the last run one update short.
std::vector<long> WholeWave(long firstUpdate, int runLength)
{
    std::vector<long> forces{firstUpdate};
    long force = -firstUpdate;
    while (forces.size() < 300) {
        const int run = forces.size() + runLength > 300 ? 300 - static_cast<int>(forces.size())
                                                         : runLength;
        forces.insert(forces.end(), run, force);
        force = -force;
    }
    return forces;
}

// The tester started from a folder of its own with the virtual wheel beside it, its log on.
class ForceWaveEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wheel_.IsOpen());
        wheel_.Neutral();
        const std::string bin = uidriver::BinFolder();
        ASSERT_TRUE(folder_.CopyIn(bin + "\\JqFFWTest.exe", "JqFFWTest.exe"));
        ASSERT_TRUE(folder_.CopyIn(bin + "\\virtualwheel\\dinput8.dll", "dinput8.dll"));
        log_ = folder_ / "vwheel.log";
        process_ = Process::Start(uidriver::QuoteArgument(folder_ / "JqFFWTest.exe"),
                                  folder_.path(), {{"JQ_VWHEEL_LOG", log_}});
        ASSERT_TRUE(process_.started());
        window_ = uidriver::WaitForWindow(DialogCaption, StartTimeoutMs, process_.id());
        ASSERT_NE(window_, nullptr) << "no dialog";
        ASSERT_EQ(wheel_.DllProcess(), process_.id()) << "the tester did not load the virtual wheel";
        // The first poll acquires the wheel.
        ASSERT_TRUE(WaitUntil([&] { return Find("acquire", 0) >= 0; }, InputTimeoutMs));
    }

    void TearDown() override
    {
        if (window_)
            PostMessageA(window_, WM_CLOSE, 0, 0);
        if (process_.started()) {
            EXPECT_TRUE(process_.Wait(ExitTimeoutMs)) << "still running";
        }
    }

    std::vector<LogEntry> Log() { return vwheel::ReadLog(log_); }

    // Index of the first wheel entry of this event at or after `from`; -1 when there is none yet.
    int Find(const char* event, int from)
    {
        const std::vector<LogEntry> log = Log();
        for (int i = from; i < static_cast<int>(log.size()); ++i)
            if (Is(log[i], event))
                return i;
        return -1;
    }

    int WaitFor(const char* event, int from, DWORD timeoutMs)
    {
        int found = -1;
        WaitUntil([&] { return (found = Find(event, from)) >= 0; }, timeoutMs);
        return found;
    }

    // Holds the button until its first force reaches the wheel, then lets it go. Returns the
    // log's length before the press.
    int TapButton(int button)
    {
        const int mark = static_cast<int>(Log().size());
        wheel_.SetButton(button, true);
        const bool forced = WaitFor("force", mark, InputTimeoutMs) >= 0;
        wheel_.SetButton(button, false);
        EXPECT_TRUE(forced) << "no force for button " << button;
        return mark;
    }

    // Waits for the wave set off at `mark` to end, and checks it: from the last arming on the
    // whole pattern, played, then the wheel unacquired, and acquired again by the next poll.
    // Returns the index of the unacquire.
    int ExpectWholeWaveThenRelease(int mark, const std::vector<long>& wave)
    {
        const int unacquired = WaitFor("unacquire", mark, WaveTimeoutMs);
        if (unacquired < 0) {
            ADD_FAILURE() << "the wave never ended";
            return -1;
        }
        const int reacquired = WaitFor("acquire", unacquired, InputTimeoutMs);
        EXPECT_GE(reacquired, 0) << "the next poll did not acquire the wheel again";

        // The press may come before the poll that acquires the wheel after an earlier wave:
        // the wave begins with its first force.
        const std::vector<LogEntry> log = Log();
        int firstForce = mark;
        while (firstForce < unacquired && !Is(log[firstForce], "force"))
            ++firstForce;
        std::vector<long> forces;
        for (int i = firstForce; i < unacquired; ++i) {
            const LogEntry& entry = log[i];
            EXPECT_FALSE(Is(entry, "acquire") || Is(entry, "unacquire") || Is(entry, "stop"))
                << "entry " << i << " during the wave: " << entry.event;
            if (!Is(entry, "force"))
                continue;
            EXPECT_EQ(entry.Number("hr"), PlayedResult) << "force " << forces.size() << " not played";
            EXPECT_EQ(entry.Number("flags"), UpdateFlags);
            forces.push_back(Magnitude(entry));
        }
        // Before the last arming the button was held: only restarts of the same pattern.
        EXPECT_GE(forces.size(), wave.size());
        for (size_t k = 0; k < forces.size(); ++k)
            EXPECT_EQ(std::abs(forces[k]), std::abs(wave[0])) << "force " << k;
        if (forces.size() >= wave.size()) {
            const std::vector<long> tail(forces.end() - wave.size(), forces.end());
            EXPECT_EQ(tail, wave) << "the last " << wave.size() << " updates";
        }
        if (reacquired >= 0) {
            EXPECT_EQ(log[reacquired].Number("hr"), PlayedResult);
        }
        return unacquired;
    }

    vwheel::Control wheel_;
    TempFolder folder_{"jqwave"};
    std::string log_;
    Process process_;
    HWND window_ = nullptr;
};

// Button 5: 8710 force units, 50 ms half periods.
TEST_F(ForceWaveEndToEnd, PressAndReleasePlaysThePatternThenReleasesTheWheel)
{
    const int mark = TapButton(5);
    ExpectWholeWaveThenRelease(mark, WholeWave(+8710, 5));
}

// The stop leaves the wheel unacquired, and the effect plays only on an acquired wheel: a press
// straight after the end must still play the whole of its own pattern.
TEST_F(ForceWaveEndToEnd, ASecondPressRightAfterTheEndPlaysItsWholePattern)
{
    const int first = TapButton(5);
    const int ended = ExpectWholeWaveThenRelease(first, WholeWave(+8710, 5));
    ASSERT_GE(ended, 0);

    // Button 2 (7425, 100 ms half periods) goes down as soon as the log shows the end.
    const int second = TapButton(2);
    EXPECT_LE(second - ended, 3) << "pressed later than right after the end";
    ExpectWholeWaveThenRelease(second, WholeWave(+7425, 10));
}

} // namespace
