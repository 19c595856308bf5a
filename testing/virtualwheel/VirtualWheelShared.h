// The channel between the virtual wheel (our dinput8.dll, inside the program under test) and the
// tools that drive it (the control library, vwheelctl): a named shared-memory block holding the
// devices and their states, guarded by a named mutex. Whichever side comes first creates and
// initialises it; it lives as long as one process keeps it open.
#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>

namespace vwheel {

const char* const SharedName = "JqVirtualWheel";
const char* const LockName = "JqVirtualWheel.Lock";
// Set by the control side after each change so the DLL looks at once.
const char* const ChangedEventName = "JqVirtualWheel.Changed";
// The DLL's log file (see README.md); without it the DLL writes no log.
const char* const LogVariable = "JQ_VWHEEL_LOG";
// 1 or 2: force axes of the wheel in a block the DLL creates (default 1).
const char* const ForceAxesVariable = "JQ_VWHEEL_FORCE_AXES";

const DWORD WheelProductId = 0x00037D2E;
const int Slots = 8;
const int WheelSlot = 0;
const int Buttons = 12;

struct Slot {
    LONG used;          // the slot describes a controller
    LONG plugged;
    DWORD productId;    // Data1 of guidProduct
    LONG axes;
    LONG forceAxes;
    char name[64];
    LONG pollFailure;   // what Poll answers instead of working, 0 for nothing
    DIJOYSTATE2 state;
};

struct SharedBlock {
    DWORD magic;
    DWORD size;
    LONG sequence;      // advanced by every change
    LONG sweep;         // the DLL moves the wheel's steering itself
    DWORD ownerWindow;  // the window last passed to SetCooperativeLevel in the DLL's process
    DWORD dllProcess;   // id of the process whose DLL last synced, 0 before
    Slot slots[Slots];
};

// A neutral joystick state: axes 0, no button, every hat centred.
DIJOYSTATE2 NeutralState();
// The wheel as a new block holds it: plugged in, neutral, with forceAxes force axes.
void InitialiseBlock(SharedBlock* block, int forceAxes);
// Force axes for a block created from this process: JQ_VWHEEL_FORCE_AXES, else 1.
int ForceAxesFromEnvironment();
// The steering position the sweep mode shows at a time: a 4-second triangle over the full range.
LONG SweepSteeringAt(DWORD milliseconds);
// Bits of the slots that are used and plugged in.
DWORD PluggedMask(const SharedBlock& block);

// Opens (or creates and initialises) the block; the view stays mapped while the object lives.
class SharedWheel {
public:
    SharedWheel();
    ~SharedWheel();
    SharedWheel(const SharedWheel&) = delete;
    SharedWheel& operator=(const SharedWheel&) = delete;

    bool IsOpen() const { return block_ != nullptr; }
    // This object made the block: nobody else had it open.
    bool Created() const { return created_; }
    SharedBlock* Block() { return block_; }
    // Tells the DLL that something changed: advances the sequence (call under the lock) and
    // wakes its watcher.
    void Changed();

    // Holds the block's mutex for a scope.
    class Lock {
    public:
        explicit Lock(SharedWheel& wheel);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        HANDLE mutex_;
        bool held_;
    };

private:
    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    HANDLE changed_ = nullptr;
    SharedBlock* block_ = nullptr;
    bool created_ = false;
};

}  // namespace vwheel
