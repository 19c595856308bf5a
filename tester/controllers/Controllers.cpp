// The controller layer over DirectInput 8: a fixed table of opened game controllers and a few
// operations on it by index. Everything lives in module state; nothing is allocated here.
#include "Controllers.h"

#include <math.h>
#include <string.h>

namespace {

static_assert(sizeof(DIJOYSTATE2) == 272, "the joystick state is read whole, as c_dfDIJoystick2 lays it out");
static_assert(sizeof(DIEFFECT) == 56, "DIEFFECT must include dwStartDelay");

// The window passed to the last OpenControllers; closing the layer keeps it.
HWND OwnerWindow = nullptr;
IDirectInput8A* DirectInputObject = nullptr;
// Records below NumControllers are in use; every other record is all zero.
int NumControllers = 0;
ControllerRecord ControllerTable[MaxControllers];

const LONG AxisMinimum = -32768;
const LONG AxisMaximum = 32767;

// What one SetConstantForce hands to the effect.
struct ConstantForce {
    LONG Magnitude;
    LONG Direction[2];
};

// One force axis: the sign travels in the magnitude. Two: the sign travels in the direction and
// the magnitude is the length of (x, y), formed in double so the squares cannot overflow and
// truncated toward zero. A length beyond 32 bits cannot be represented: it is held at the largest
// magnitude rather than left to an undefined conversion.
ConstantForce ConstantForceFor(DWORD forceAxes, LONG x, LONG y)
{
    ConstantForce force = {0, {0, 0}};
    if (forceAxes == 1) {
        force.Magnitude = x;
    } else {
        force.Direction[0] = x;
        force.Direction[1] = y;
        const double length = sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
        force.Magnitude = length >= 2147483647.0 ? 2147483647L : static_cast<LONG>(length);
    }
    return force;
}

// Copies a name of the device instance, up to and including its NUL; a name that fills the whole
// buffer without one is cut so the record always holds a terminated string.
void CopyName(char (&target)[MAX_PATH], const CHAR (&source)[MAX_PATH])
{
    size_t length = 0;
    while (length < MAX_PATH - 1 && source[length] != '\0')
        ++length;
    memcpy(target, source, length);
    target[length] = '\0';
}

void ResetControllerTable()
{
    memset(ControllerTable, 0, sizeof(ControllerTable));
    NumControllers = 0;
    DirectInputObject = nullptr;
}

// Called once per axis object: counts the force-feedback actuators and ranges every axis.
BOOL CALLBACK OnEnumObject(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context)
{
    ControllerRecord* record = static_cast<ControllerRecord*>(context);
    if (object->dwFlags & DIDOI_FFACTUATOR)
        record->ForceAxes += 1;
    if (object->dwType & DIDFT_AXIS) {
        DIPROPRANGE range;
        range.diph.dwSize = sizeof(DIPROPRANGE);
        range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
        range.diph.dwObj = object->dwType;
        range.diph.dwHow = DIPH_BYID;
        range.lMin = AxisMinimum;
        range.lMax = AxisMaximum;
        record->Device->SetProperty(DIPROP_RANGE, &range.diph);
    }
    return DIENUM_CONTINUE;
}

void CreateConstantForceEffect(ControllerRecord& record)
{
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {0, 0};
    DICONSTANTFORCE constantForce = {0};

    DIEFFECT effect;
    effect.dwSize = sizeof(DIEFFECT);
    effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
    effect.dwDuration = INFINITE;
    effect.dwSamplePeriod = 0;
    effect.dwGain = DI_FFNOMINALMAX;
    effect.dwTriggerButton = DIEB_NOTRIGGER;
    effect.dwTriggerRepeatInterval = 0;
    effect.cAxes = record.ForceAxes;
    effect.rgdwAxes = axes;
    effect.rglDirection = direction;
    effect.lpEnvelope = nullptr;
    effect.cbTypeSpecificParams = sizeof(DICONSTANTFORCE);
    effect.lpvTypeSpecificParams = &constantForce;
    effect.dwStartDelay = 0;
    record.Device->CreateEffect(GUID_ConstantForce, &effect, &record.Effect, nullptr);
}

// Called once per attached game controller; sets up the record at position *count.
BOOL CALLBACK OnEnumDevice(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    int& count = *static_cast<int*>(context);
    // The table is full after the 16th device and the enumeration is told to stop; a DirectInput
    // that called once more must not reach past the table.
    if (count >= MaxControllers)
        return DIENUM_STOP;
    ControllerRecord& record = ControllerTable[count];

    if (FAILED(DirectInputObject->CreateDevice(instance->guidInstance, &record.Device, nullptr))) {
        // The next device is set up in the same record, which must stay all zero meanwhile.
        record.Device = nullptr;
        return DIENUM_CONTINUE;
    }
    record.ProductId = instance->guidProduct.Data1;
    CopyName(record.InstanceName, instance->tszInstanceName);
    CopyName(record.ProductName, instance->tszProductName);

    // A device DirectInput handed out stays in the table even when one of these steps fails.
    record.Device->SetDataFormat(&c_dfDIJoystick2);
    record.Device->SetCooperativeLevel(OwnerWindow, DISCL_EXCLUSIVE | DISCL_BACKGROUND);

    DIPROPDWORD autoCenter;
    autoCenter.diph.dwSize = sizeof(DIPROPDWORD);
    autoCenter.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    autoCenter.diph.dwObj = 0;
    autoCenter.diph.dwHow = DIPH_DEVICE;
    autoCenter.dwData = DIPROPAUTOCENTER_OFF;
    record.Device->SetProperty(DIPROP_AUTOCENTER, &autoCenter.diph);

    record.ForceAxes = 0;
    record.Device->EnumObjects(OnEnumObject, &record, DIDFT_AXIS);
    if (record.ForceAxes > 2)
        record.ForceAxes = 2;
    if (record.ForceAxes != 0)
        CreateConstantForceEffect(record);

    count += 1;
    return count < MaxControllers ? DIENUM_CONTINUE : DIENUM_STOP;
}

}  // namespace

HRESULT OpenControllers(HWND ownerWindow)
{
    OwnerWindow = ownerWindow;
    const HRESULT created = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                               reinterpret_cast<void**>(&DirectInputObject), nullptr);
    if (FAILED(created))
        return created;

    NumControllers = 0;
    const HRESULT enumerated =
        DirectInputObject->EnumDevices(DI8DEVCLASS_GAMECTRL, OnEnumDevice, &NumControllers, DIEDFL_ATTACHEDONLY);
    if (FAILED(enumerated))
        return enumerated;
    return 0;
}

void CloseControllers()
{
    for (int i = 0; i < NumControllers; ++i) {
        ControllerRecord& record = ControllerTable[i];
        if (record.Device)
            record.Device->Unacquire();
        if (record.Effect) {
            record.Effect->Release();
            record.Effect = nullptr;
        }
        if (record.Device) {
            record.Device->Release();
            record.Device = nullptr;
        }
    }
    if (DirectInputObject) {
        DirectInputObject->Release();
        DirectInputObject = nullptr;
    }
    ResetControllerTable();
}

int ControllerCount()
{
    return NumControllers;
}

const ControllerRecord* ControllerAt(int index)
{
    if (index < 0 || index >= NumControllers)
        return nullptr;
    return &ControllerTable[index];
}

void ReadControllerState(int index, DIJOYSTATE2* state)
{
    if (index < 0 || index >= NumControllers)
        return;
    IDirectInputDevice8A* device = ControllerTable[index].Device;
    if (!device)
        return;

    if (FAILED(device->Poll())) {
        // Lost input is asked for again at once, but only a few times: the next tick retries.
        for (int attempt = 0; attempt < AcquireAttemptsPerRead; ++attempt) {
            if (device->Acquire() != DIERR_INPUTLOST)
                break;
        }
        return;
    }
    device->GetDeviceState(sizeof(DIJOYSTATE2), state);
}

HRESULT SetConstantForce(int index, LONG x, LONG y)
{
    // Records at or beyond the count are all zero, so only the table's end needs a check.
    if (index < 0 || index >= MaxControllers)
        return 0;
    const ControllerRecord& record = ControllerTable[index];
    if (!record.Effect)
        return 0;

    ConstantForce force = ConstantForceFor(record.ForceAxes, x, y);
    DICONSTANTFORCE constantForce;
    constantForce.lMagnitude = force.Magnitude;

    DIEFFECT effect;
    memset(&effect, 0, sizeof(effect));
    effect.dwSize = sizeof(DIEFFECT);
    effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
    effect.cAxes = record.ForceAxes;
    effect.rglDirection = force.Direction;
    effect.lpEnvelope = nullptr;
    effect.cbTypeSpecificParams = sizeof(DICONSTANTFORCE);
    effect.lpvTypeSpecificParams = &constantForce;
    effect.dwStartDelay = 0;
    return record.Effect->SetParameters(&effect, DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START);
}

HRESULT StopForce(int index)
{
    if (index < 0 || index >= NumControllers)
        return 0;
    IDirectInputDevice8A* device = ControllerTable[index].Device;
    if (device)
        device->Unacquire();
    return 0;
}
