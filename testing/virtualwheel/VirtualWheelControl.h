// Driving the virtual wheel from a test or a tool: set its inputs, plug devices in and out, make
// polls fail, and read back the log the wheel writes. Changes reach the program under test at its
// next DirectInput call (a poll tick); plugging and unplugging also post WM_DEVICECHANGE to it.
//
// The shared block lives as long as one process keeps it open: open a Control before starting the
// program under test (or while it runs) and keep it until the end.
#pragma once

#include "VirtualWheelShared.h"

#include <string>
#include <vector>

namespace vwheel {

// What a slot describes (its state aside).
struct SlotInfo {
    bool used = false;
    bool plugged = false;
    DWORD productId = 0;
    LONG forceAxes = 0;
    HRESULT pollFailure = 0;
    char name[64] = "";
};

class Control {
public:
    // Opens the wheel's shared block, creating it (the wheel plugged in, neutral) if nobody has.
    Control();
    bool IsOpen() const { return shared_.IsOpen(); }
    // Nobody had the block open before: what is set now lasts only while this object lives.
    bool CreatedBlock() const { return shared_.Created(); }

    // The wheel's inputs. Steering and pedals run from -32768 to 32767; the combined pedal axis
    // reads positive for the brake and negative for the accelerator. Buttons are numbered 1 to 12
    // (button n is rgbButtons[n - 1]). The hat takes hundredths of a degree clockwise from up,
    // or Centred.
    static const DWORD Centred = 0xFFFFFFFF;
    void SetSteering(LONG x);
    void SetPedals(LONG y);
    void SetButton(int number, bool down);
    void SetHat(DWORD hundredths);
    void SetWheelState(const DIJOYSTATE2& state) { SetState(WheelSlot, state); }
    DIJOYSTATE2 WheelState() { return State(WheelSlot); }
    // Back to neutral: centred, pedals released, no button, hat centred.
    void Neutral() { SetWheelState(NeutralState()); }

    // Any slot's state (slot 0 is the wheel).
    void SetState(int slot, const DIJOYSTATE2& state);
    DIJOYSTATE2 State(int slot);

    // Devices. The wheel keeps slot 0; other controllers take the next free slot.
    void PlugWheel() { Plug(WheelSlot); }
    void UnplugWheel() { Unplug(WheelSlot); }
    void SetWheelForceAxes(int forceAxes);   // 1 or 2; seen by devices created afterwards
    // A further game controller, plugged in; returns its slot, or -1 when all are taken.
    int AddController(DWORD productId, const char* name, int forceAxes = 0);
    void Plug(int slot);
    void Unplug(int slot);
    void Remove(int slot);
    bool IsPlugged(int slot);   // used and plugged in
    SlotInfo Info(int slot);
    // Poll answers result instead of working (0: polls work again).
    void FailPolls(int slot, HRESULT result);
    // The DLL moves the wheel's steering itself, back and forth every 4 seconds.
    void SetSweep(bool on);

    // The window the program passed to SetCooperativeLevel, and whether a DLL has synced.
    HWND OwnerWindow();
    DWORD DllProcess();

private:
    template <typename Change>
    void Update(Change change);

    SharedWheel shared_;
};

// One line of the wheel's log: "<ms> <event> key=value ...".
struct LogEntry {
    DWORD time = 0;
    std::string event;
    std::vector<std::pair<std::string, std::string>> fields;

    bool Has(const char* key) const;
    std::string Field(const char* key) const;   // "" when absent
    // A decimal or 0x-hexadecimal field as a number (0 when absent).
    long Number(const char* key) const;
};

// The log's lines so far (an empty list when there is no file yet).
std::vector<LogEntry> ReadLog(const std::string& path);
LogEntry ParseLogLine(const std::string& line);

// The scripted demo `vwheelctl drive` plays, as a plain function of the time since it began:
// steering left and right, brake, accelerator, every button in turn, the hat all round.
const DWORD DemoLengthMs = 18000;
DIJOYSTATE2 DemoStateAt(DWORD milliseconds);

}  // namespace vwheel
