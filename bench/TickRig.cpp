#include "TickRig.h"

#include "FakeDirectInput.h"
#include "JqTest.h"

// Reads the dialog's private state (declared a friend by the dialog for tests).
struct TJQTestDlgInspector
{
    static int WheelIndex(const TJQTestDlg& d) { return d.WheelIndex; }
    static int WaveIndex(const TJQTestDlg& d) { return d.WaveIndex; }
};

TickRig::TickRig()
{
    fakedi::Reset();
    wheel_ = fakedi::AddWheel(1);
    dialog_ = new TJQTestDlg(nullptr);
    dialog_->AfterConstruction();
    // On the screen as when the tester runs, so that repaints really paint.
    dialog_->Show();
    // From here on the fake only counts calls: its call log would allocate.
    fakedi::SetCallLog(false);
}

TickRig::~TickRig()
{
    dialog_->Free();
    fakedi::Reset();
}

void TickRig::SetReading(LONG steering, LONG pedals, DWORD hat, int pressedButton)
{
    DIJOYSTATE2 state = fakedi::NeutralState();
    state.lX = steering;
    state.lY = pedals;
    state.rgdwPOV[0] = hat;
    if (pressedButton >= 1 && pressedButton <= 12)
        state.rgbButtons[pressedButton - 1] = 0x80;
    fakedi::SetState(wheel_, state);
}

void TickRig::PollTick()
{
    dialog_->Timer1->Timer();
}

void TickRig::WaveTick()
{
    dialog_->FFWaveTimer->Timer();
}

void TickRig::Repaint()
{
    RedrawWindow(dialog_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool TickRig::WheelSelected() const
{
    return TJQTestDlgInspector::WheelIndex(*dialog_) >= 0;
}

bool TickRig::WavePlaying() const
{
    return TJQTestDlgInspector::WaveIndex(*dialog_) >= 0;
}

namespace {

const DWORD Centred = 0xFFFFFFFF;

// The steering sweeping its whole range, as a wheel turned all the time: a new value every tick.
LONG Steering(int i)
{
    return static_cast<LONG>((i * 1021) % 65536) - 32768;
}

void Turning(TickRig& rig, int i)
{
    rig.SetReading(Steering(i), 0, Centred, 0);
}

// Everything moving at once: steering, pedals and hat change every tick, and buttons 9 to 12
// (which arm no wave) come and go.
void AllMoving(TickRig& rig, int i)
{
    const LONG pedals = static_cast<LONG>((i * 577) % 65536) - 32768;
    const DWORD hat = i % 9 == 8 ? Centred : static_cast<DWORD>(i % 9) * 4500;
    rig.SetReading(Steering(i), pedals, hat, 9 + i % 5);  // 9..12, then none
}

// The repaint that follows a turning poll tick.
void TurnedOnePoll(TickRig& rig, int i)
{
    Turning(rig, i);
    rig.PollTick();
}

void AtRest(TickRig& rig, int)
{
    rig.SetReading(0, 0, Centred, 0);
}

void ButtonHeld(TickRig& rig, int i)
{
    rig.SetReading(0, 0, Centred, 1 + (i / 50) % 8);
}

// A wave of each of buttons 1 to 8 in turn: press for two polls (the first after a wave's end
// acquires the device again), release, then wave ticks until the next press 300 ticks later.
void WavePlaying(TickRig& rig, int i)
{
    if (i % 300 != 0)
        return;
    rig.SetReading(0, 0, Centred, 1 + (i / 300) % 8);
    rig.PollTick();
    rig.PollTick();
    rig.SetReading(0, 0, Centred, 0);
}

void Poll(TickRig& rig) { rig.PollTick(); }
void Wave(TickRig& rig) { rig.WaveTick(); }
void Repaint(TickRig& rig) { rig.Repaint(); }

} // namespace

const std::vector<TickScenario>& TickScenarios()
{
    static const std::vector<TickScenario> scenarios = {
        {"poll, wheel at rest", AtRest, Poll, true, fakedi::Method::GetDeviceState},
        {"poll, wheel turning", Turning, Poll, true, fakedi::Method::GetDeviceState},
        {"poll, every input moving", AllMoving, Poll, true, fakedi::Method::GetDeviceState},
        {"poll, wave button held", ButtonHeld, Poll, true, fakedi::Method::GetDeviceState},
        {"wave, playing", WavePlaying, Wave, true, fakedi::Method::SetParameters},
        {"wave, none armed", AtRest, Wave, true, fakedi::Method::Count},
        {"repaint after a turning poll", TurnedOnePoll, Repaint, false, fakedi::Method::Count},
    };
    return scenarios;
}
