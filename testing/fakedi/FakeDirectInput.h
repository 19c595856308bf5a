// A DirectInput 8 of our own, for tests: IDirectInput8A, IDirectInputDevice8A and
// IDirectInputEffect over a configurable set of virtual game controllers.
//
// HOW A TEST PROGRAM USES IT
//   The fake defines DirectInput8Create itself. A test program that links the library `fakedi`
//   gets the fake instead of dinput8.dll's import; the code under test stays untouched:
//
//       target_link_libraries(my_test PRIVATE fakedi jq_controllers gtest_main)
//
//   `fakedi` first: MinGW's dinput.h declares DirectInput8Create without dllimport, so the call
//   binds to the symbol DirectInput8Create@20, and the linker takes ours before it reaches the
//   import stub in libdinput8.a (c_dfDIJoystick2 and the GUIDs still come from libdinput8.a and
//   libdxguid.a). In the wrong order the link fails with "multiple definition of
//   DirectInput8Create@20" rather than silently using the real one. A program linked this way
//   does not load dinput8.dll at all; a test can assert GetModuleHandleA("dinput8.dll") == nullptr.
//
//   Then, in a test:
//       fakedi::Reset();                              // no devices, no faults, empty log
//       fakedi::DeviceId wheel = fakedi::AddWheel(1); // product Data1 0x00037D2E, 1 force axis
//       fakedi::SetState(wheel, state);               // what GetDeviceState delivers
//       ... run the code under test ...
//       EXPECT_EQ(fakedi::LiveReferences(), 0);       // everything was released
//
// WHAT IT CHECKS LIKE DIRECTINPUT DOES
//   - Poll and GetDeviceState fail with DIERR_NOTACQUIRED while the device is not acquired;
//     Acquire needs a data format (DIERR_INVALIDPARAM) and answers S_FALSE when already acquired;
//     Unacquire answers DI_NOEFFECT when not acquired.
//   - An unplugged device: a call that reads or writes while it is acquired answers
//     DIERR_INPUTLOST and loses the acquisition; Acquire answers DIERR_UNPLUGGED; EnumDevices with
//     DIEDFL_ATTACHEDONLY leaves it out; CreateDevice answers DIERR_DEVICENOTREG.
//   - SetParameters on a device that is not acquired exclusively stores the parameters, plays
//     nothing and answers DI_DOWNLOADSKIPPED, with or without DIEP_START (as documented for
//     DI_DOWNLOADSKIPPED); Start and Stop answer DIERR_NOTEXCLUSIVEACQUIRED there. Unacquire stops
//     the device's effects.
//   - SetCooperativeLevel wants a top-level window for exclusive or foreground use (E_HANDLE);
//     a second exclusive Acquire of the same device answers DIERR_OTHERAPPHASPRIO.
//   - Property headers, DIEFFECT sizes, axes and type-specific sizes are checked
//     (DIERR_INVALIDPARAM, E_POINTER, DIERR_OBJECTNOTFOUND, DIERR_UNSUPPORTED).
//   - Release counts references and frees at zero; an effect keeps its device alive.
//   - Methods nobody here uses answer E_NOTIMPL (which is DIERR_UNSUPPORTED).
//
// Everything here is for one thread: the program under test and the test share it.
#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>

#include <string>
#include <vector>

namespace fakedi {

// Data1 of the wheel's guidProduct: USB product 0x0003, vendor 0x7D2E.
const DWORD WheelProductId = 0x00037D2E;
// Data1 of guidProduct for a plain game controller added without one of its own.
const DWORD OtherProductId = 0x0001045E;

// A virtual device, numbered 0, 1, ... in the order they were added.
typedef int DeviceId;
const DeviceId AnyDevice = -1;

// The DirectInput entries the fake records, counts and can be told to fail.
enum class Method {
    DirectInput8Create,
    EnumDevices,
    CreateDevice,
    ReleaseDirectInput,
    SetDataFormat,
    SetCooperativeLevel,
    SetProperty,
    EnumObjects,
    CreateEffect,
    Acquire,
    Unacquire,
    Poll,
    GetDeviceState,
    ReleaseDevice,
    SetParameters,
    Start,
    Stop,
    ReleaseEffect,
    Count
};
const char* MethodName(Method method);
// Every method that answers an HRESULT, so a test can make each fail in turn.
std::vector<Method> FallibleMethods();

struct DeviceTraits {
    DWORD productId = OtherProductId;
    std::string instanceName = "Game Controller";
    std::string productName = "Game Controller";
    int axes = 2;        // X, Y, Z, Rx, Ry, Rz, Slider 0, Slider 1 (at most 8)
    int forceAxes = 0;   // the first forceAxes axes are force-feedback actuators
    int buttons = 12;
    int povs = 1;
};

// Adds a plugged-in device; its state starts neutral (axes 0, no button, hats centred).
DeviceId AddDevice(const DeviceTraits& traits);
// The wheel: steering X, combined pedals Y, 12 buttons, one hat, 1 or 2 force axes.
DeviceId AddWheel(int forceAxes = 1);
// Another game controller: two axes, 12 buttons, one hat.
DeviceId AddController(DWORD productId = OtherProductId, int forceAxes = 0);
int DeviceCount();
// The guidInstance EnumDevices reports for a device.
GUID InstanceGuid(DeviceId device);
// Replaces a device's description; objects already created see it at their next call.
void SetTraits(DeviceId device, const DeviceTraits& traits);
const DeviceTraits& TraitsOf(DeviceId device);

// What GetDeviceState delivers (the whole DIJOYSTATE2).
void SetState(DeviceId device, const DIJOYSTATE2& state);
const DIJOYSTATE2& State(DeviceId device);
DIJOYSTATE2 NeutralState();

// Unplugging keeps the device objects; replugging makes them usable again after an Acquire.
void Unplug(DeviceId device);
void Plug(DeviceId device);
bool IsPlugged(DeviceId device);

// Fault injection: the next `times` matching calls (Always: every one) answer `result` and do
// nothing; creation calls set their out-pointer to null. With afterWork the call does its work
// first and then answers `result` (useful for EnumDevices failing after it enumerated);
// creation calls ignore afterWork. The first matching fault wins.
const int Always = -1;
struct Fault {
    Method method;
    HRESULT result;
    int times = 1;
    DeviceId device = AnyDevice;
    bool afterWork = false;
};
void InjectFault(const Fault& fault);
void FailCall(Method method, HRESULT result, int times = 1, DeviceId device = AnyDevice);
void ClearFaults();

// The arguments of a CreateEffect or SetParameters call, copied out of its DIEFFECT.
struct EffectArgs {
    bool given = false;   // a DIEFFECT was passed at all
    DWORD dwSize = 0, dwFlags = 0, dwDuration = 0, dwSamplePeriod = 0, dwGain = 0;
    DWORD dwTriggerButton = 0, dwTriggerRepeatInterval = 0, cAxes = 0, dwStartDelay = 0;
    bool axesGiven = false;         // rgdwAxes was not null
    DWORD axes[4] = {0, 0, 0, 0};   // the first entries of rgdwAxes (as many as cAxes, at most 4)
    bool directionGiven = false;    // rglDirection was not null
    LONG direction[4] = {0, 0, 0, 0};
    bool envelopeGiven = false;     // lpEnvelope was not null
    DWORD typeSpecificSize = 0;
    bool typeSpecificGiven = false;
    LONG magnitude = 0;             // lMagnitude, when typeSpecificSize is that of DICONSTANTFORCE
};

// One recorded call. Fields a method does not take stay zero.
struct Call {
    Method method = Method::Count;
    DeviceId device = AnyDevice;    // AnyDevice for calls on the DirectInput object
    HRESULT result = 0;             // for Release*: 0
    // DirectInput8Create
    HINSTANCE instance = nullptr;
    DWORD version = 0;
    // riid of DirectInput8Create, instance GUID of CreateDevice, effect GUID of CreateEffect
    GUID guid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    bool outerGiven = false;        // a non-null outer object was passed
    // EnumDevices: device class and flags; EnumObjects, SetCooperativeLevel, SetParameters,
    // Start: flags
    DWORD deviceClass = 0;
    DWORD flags = 0;
    bool callbackGiven = false;
    void* context = nullptr;        // EnumDevices / EnumObjects context, as passed
    HWND window = nullptr;
    // SetDataFormat: the format's state size (272 for c_dfDIJoystick2) and object count
    DWORD formatDataSize = 0;
    DWORD formatObjects = 0;
    // SetProperty: the property (compare with &DIPROP_RANGE), its header and value
    const GUID* property = nullptr;
    DIPROPHEADER header = {0, 0, 0, 0};
    DWORD dwordValue = 0;
    LONG rangeMin = 0, rangeMax = 0;
    // GetDeviceState
    DWORD stateSize = 0;
    // CreateEffect, SetParameters
    EffectArgs effect;
    bool started = false;           // the call made the effect play
    ULONG references = 0;           // Release*: the count left
    int slot = -1;                  // the fake's own: where Calls() holds this call
};

// The record of calls since the last Reset or ClearCalls, in the order they were entered (an
// EnumDevices comes before the CreateDevice its callback makes).
const std::vector<Call>& Calls();
std::vector<Call> CallsOf(Method method, DeviceId device = AnyDevice);
// Counted even while the log is off.
int CallCount(Method method, DeviceId device = AnyDevice);
void ClearCalls();
// Off: calls are only counted, so the fake itself allocates nothing per call.
void SetCallLog(bool on);

// References the program holds on fake objects, and objects not yet freed.
int LiveReferences();
int LiveObjects();

// The physical side of a device.
bool IsAcquired(DeviceId device);        // some device object holds it acquired
struct Output {
    bool playing = false;                // a constant force is playing
    LONG magnitude = 0;
    DWORD axes = 0;
    LONG direction[2] = {0, 0};
};
Output ForceOutput(DeviceId device);

// No devices, no faults, empty log and counts, log on. Objects still alive stay valid (and
// counted) until released.
void Reset();

// For the virtual wheel, which builds this same fake into a dinput8.dll: BeforeCall runs at the
// start of every entry (before faults are looked at), AfterCall for every recorded call (even
// while the log is off).
class Observer {
public:
    virtual ~Observer() {}
    virtual void BeforeCall() {}
    virtual void AfterCall(const Call& call) { (void)call; }
};
void SetObserver(Observer* observer);

}  // namespace fakedi
