// The controller layer: the tester's only contact with game controllers.
//
// It creates the DirectInput 8 object for the dialog's window, enumerates every attached game
// controller into a fixed table of at most MaxControllers records and prepares each device for
// exclusive, background, force-feedback use. Over that table it offers a few operations by
// controller index. A controller index is a position in the table; -1 means "no controller" and
// every operation ignores it.
//
// All functions run on the dialog's one GUI thread. They raise no exceptions, show nothing and
// report failures only as DirectInput result codes (negative = failure).
#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>

// One opened game controller. The layer owns Device and Effect from OpenControllers to
// CloseControllers; callers only read the record.
struct ControllerRecord {
    IDirectInputDevice8A* Device;
    DWORD ProductId;          // Data1 of guidProduct: USB product ID high word, vendor ID low word
    char InstanceName[MAX_PATH];
    char ProductName[MAX_PATH];
    DWORD ForceAxes;          // force-feedback axes, 0..2
    IDirectInputEffect* Effect;  // constant force; set only when ForceAxes is 1 or 2
};

// Size of the controller table: later controllers are not opened.
const int MaxControllers = 16;

// A device that keeps answering DIERR_INPUTLOST must not hold the GUI thread: one read asks for
// the device at most this many times and leaves the rest to the next poll tick.
const int AcquireAttemptsPerRead = 3;

// Creates the DirectInput object for ownerWindow and fills the table with the attached game
// controllers. Call it only on a closed layer. Returns 0 or the failure of DirectInput8Create or
// EnumDevices.
HRESULT OpenControllers(HWND ownerWindow);

// Unacquires and releases every device and effect, then the DirectInput object. Safe in any state.
void CloseControllers();

int ControllerCount();

// The record at index, or nullptr when index is not in use.
const ControllerRecord* ControllerAt(int index);

// Fills state with the controller's joystick state. When the controller must first be acquired
// again, it is acquired instead and state keeps what the caller put in it.
void ReadControllerState(int index, DIJOYSTATE2* state);

// Makes (x, y) the controller's constant force and starts it. Returns 0 when the controller has
// no effect, else the result of SetParameters.
HRESULT SetConstantForce(int index, LONG x, LONG y);

// Ends the controller's force by unacquiring the device. Returns 0.
HRESULT StopForce(int index);
