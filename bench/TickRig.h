// The tester's dialog in-process over our own DirectInput with the wheel attached, for measuring
// its two ticks as the form library runs them: the 25 ms poll (Timer1) and the 10 ms force wave
// (FFWaveTimer). No message loop runs: each tick is one call, so counts are exact.
#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>

#include <vector>

#include "FakeDirectInput.h"

class TJQTestDlg;

class TickRig
{
public:
    // Attaches the wheel to the fake DirectInput and opens the dialog (constructor, then OnCreate).
    TickRig();
    ~TickRig();
    TickRig(const TickRig&) = delete;
    TickRig& operator=(const TickRig&) = delete;

    // What the wheel reports from now on: steering, combined pedals, hat, and one pressed button
    // (1 to 12; 0 for none).
    void SetReading(LONG steering, LONG pedals, DWORD hat, int pressedButton);

    void PollTick();
    void WaveTick();
    // Handles the paint requests the ticks left, as the message loop would next.
    void Repaint();

    bool WheelSelected() const;
    bool WavePlaying() const;

private:
    TJQTestDlg* dialog_ = nullptr;
    int wheel_ = 0;
};

// One kind of tick measured over many ticks: `prepare` sets the scene before tick i and is not
// measured; `tick` is.
struct TickScenario
{
    const char* name;
    void (*prepare)(TickRig& rig, int i);
    void (*tick)(TickRig& rig);
    // The poll and wave ticks; the others are measured for the report only.
    bool isTick;
    // The DirectInput call the measured ticks make, to show they did their work (Method::Count:
    // none).
    fakedi::Method reaches;
};

const std::vector<TickScenario>& TickScenarios();

// Ticks run before measuring, so that everything a running dialog keeps is in place.
const int WarmUpTicks = 600;
