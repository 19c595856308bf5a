// The fake DirectInput's world (devices, faults, call record, reference counts), its test API, the
// DirectInput object and DirectInput8Create itself. DirectInput8Create lives in this file on
// purpose: every test calls Reset, so the linker always takes this file, and with it our
// DirectInput8Create, before it looks at dinput8's import library.
#include "FakeObjects.h"

#include <string.h>

namespace fakedi {
namespace detail {
namespace {

const int CountedDevices = 64;

struct World {
    std::vector<DevicePtr> devices;
    std::vector<Fault> faults;
    std::vector<Call> calls;
    bool logging = true;
    int counts[static_cast<int>(Method::Count)][CountedDevices + 1] = {};
    int liveReferences = 0;
    int liveObjects = 0;
    Observer* observer = nullptr;
};

World& TheWorld()
{
    static World world;
    return world;
}

const char* const MethodNames[] = {
    "DirectInput8Create", "EnumDevices", "CreateDevice",  "ReleaseDirectInput", "SetDataFormat",
    "SetCooperativeLevel", "SetProperty", "EnumObjects",  "CreateEffect",       "Acquire",
    "Unacquire",           "Poll",        "GetDeviceState", "ReleaseDevice",    "SetParameters",
    "Start",               "Stop",        "ReleaseEffect",
};
static_assert(sizeof(MethodNames) / sizeof(MethodNames[0]) == static_cast<size_t>(Method::Count),
              "one name per method");

bool IsCreation(Method method)
{
    return method == Method::DirectInput8Create || method == Method::CreateDevice || method == Method::CreateEffect;
}

bool Matches(const Fault& fault, const Call& call)
{
    return fault.method == call.method && (fault.device == AnyDevice || fault.device == call.device) &&
           fault.times != 0;
}

// Takes the first fault that fits the call at this point of it.
bool TakeFault(const Call& call, bool afterWork, HRESULT* result)
{
    for (Fault& fault : TheWorld().faults) {
        if (!Matches(fault, call))
            continue;
        const bool faultAfterWork = fault.afterWork && !IsCreation(call.method);
        if (faultAfterWork != afterWork)
            continue;
        if (fault.times > 0)
            --fault.times;
        *result = fault.result;
        return true;
    }
    return false;
}

// Calls are logged when they are entered and completed when they return.
void Enter(Call& call)
{
    World& world = TheWorld();
    if (!world.logging)
        return;
    call.slot = static_cast<int>(world.calls.size());
    world.calls.push_back(call);
}

void Record(const Call& call)
{
    World& world = TheWorld();
    const int method = static_cast<int>(call.method);
    world.counts[method][CountedDevices] += 1;
    if (call.device >= 0 && call.device < CountedDevices)
        world.counts[method][call.device] += 1;
    if (call.slot >= 0 && call.slot < static_cast<int>(world.calls.size()))
        world.calls[call.slot] = call;
    if (world.observer)
        world.observer->AfterCall(call);
}

void BeforeEntry()
{
    if (TheWorld().observer)
        TheWorld().observer->BeforeCall();
}

GUID InstanceGuidFor(DeviceId id)
{
    GUID guid = {0x4A710000u + static_cast<DWORD>(id), 0x7D2E, 0x11D0, {0x80, 0x01, 'F', 'A', 'K', 'E', 'D', 'I'}};
    return guid;
}

GUID ProductGuidFor(DWORD productId)
{
    // The layout DirectInput uses for HID devices: VID/PID in Data1, then "PIDVID".
    GUID guid = {productId, 0x0000, 0x0000, {0x00, 0x00, 'P', 'I', 'D', 'V', 'I', 'D'}};
    return guid;
}

void CopyText(char* target, const std::string& source)
{
    const size_t length = source.size() < MAX_PATH - 1 ? source.size() : MAX_PATH - 1;
    memcpy(target, source.data(), length);
    target[length] = '\0';
}

}  // namespace

DevicePtr FindDevice(DeviceId device)
{
    World& world = TheWorld();
    if (device < 0 || device >= static_cast<int>(world.devices.size()))
        return DevicePtr();
    return world.devices[device];
}

DevicePtr FindDeviceByInstance(const GUID& instance)
{
    for (const DevicePtr& device : TheWorld().devices) {
        if (IsEqualGUID(device->instanceGuid, instance))
            return device;
    }
    return DevicePtr();
}

int DeviceSlots()
{
    return static_cast<int>(TheWorld().devices.size());
}

void FillInstance(const VirtualDevice& device, DIDEVICEINSTANCEA* instance)
{
    memset(instance, 0, sizeof(*instance));
    instance->dwSize = sizeof(*instance);
    instance->guidInstance = device.instanceGuid;
    instance->guidProduct = device.productGuid;
    if (device.traits.productId == WheelProductId)
        instance->dwDevType = DI8DEVTYPE_DRIVING | (DI8DEVTYPEDRIVING_DUALPEDALS << 8) | DIDEVTYPE_HID;
    else
        instance->dwDevType = DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8) | DIDEVTYPE_HID;
    CopyText(instance->tszInstanceName, device.traits.instanceName);
    CopyText(instance->tszProductName, device.traits.productName);
    if (device.traits.forceAxes > 0)
        instance->guidFFDriver = device.instanceGuid;
    instance->wUsagePage = 0x01;   // generic desktop
    instance->wUsage = 0x04;       // joystick
}

Call Begin(Method method, DeviceId device)
{
    BeforeEntry();
    Call call;
    call.method = method;
    call.device = device;
    Enter(call);
    return call;
}

bool FaultBefore(const Call& call, HRESULT* result)
{
    return TakeFault(call, false, result);
}

HRESULT FaultAfter(const Call& call, HRESULT result)
{
    HRESULT injected;
    return TakeFault(call, true, &injected) ? injected : result;
}

HRESULT Finish(Call& call, HRESULT result)
{
    call.result = result;
    Record(call);
    return result;
}

void RecordRelease(Method method, DeviceId device, ULONG referencesLeft)
{
    BeforeEntry();
    Call call;
    call.method = method;
    call.device = device;
    call.references = referencesLeft;
    Enter(call);
    Record(call);
}

void ReferenceAdded()
{
    TheWorld().liveReferences += 1;
}

void ReferenceDropped()
{
    TheWorld().liveReferences -= 1;
}

void ObjectCreated()
{
    TheWorld().liveObjects += 1;
    ReferenceAdded();
}

void ObjectFreed()
{
    TheWorld().liveObjects -= 1;
}

void CopyEffectArgs(const DIEFFECT* effect, EffectArgs* args)
{
    *args = EffectArgs();
    if (!effect)
        return;
    args->given = true;
    args->dwSize = effect->dwSize;
    args->dwFlags = effect->dwFlags;
    args->dwDuration = effect->dwDuration;
    args->dwSamplePeriod = effect->dwSamplePeriod;
    args->dwGain = effect->dwGain;
    args->dwTriggerButton = effect->dwTriggerButton;
    args->dwTriggerRepeatInterval = effect->dwTriggerRepeatInterval;
    args->cAxes = effect->cAxes;
    if (effect->dwSize >= sizeof(DIEFFECT))
        args->dwStartDelay = effect->dwStartDelay;
    const DWORD shown = effect->cAxes < 4 ? effect->cAxes : 4;
    args->axesGiven = effect->rgdwAxes != nullptr;
    args->directionGiven = effect->rglDirection != nullptr;
    for (DWORD i = 0; i < shown; ++i) {
        if (effect->rgdwAxes)
            args->axes[i] = effect->rgdwAxes[i];
        if (effect->rglDirection)
            args->direction[i] = effect->rglDirection[i];
    }
    args->envelopeGiven = effect->lpEnvelope != nullptr;
    args->typeSpecificSize = effect->cbTypeSpecificParams;
    args->typeSpecificGiven = effect->lpvTypeSpecificParams != nullptr;
    if (effect->lpvTypeSpecificParams && effect->cbTypeSpecificParams == sizeof(DICONSTANTFORCE))
        args->magnitude = static_cast<const DICONSTANTFORCE*>(effect->lpvTypeSpecificParams)->lMagnitude;
}

// The DirectInput object ---------------------------------------------------------------------

FakeDirectInput::FakeDirectInput()
{
    ObjectCreated();
}

FakeDirectInput::~FakeDirectInput()
{
    ObjectFreed();
}

STDMETHODIMP FakeDirectInput::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInput8A)) {
        AddRef();
        *object = this;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeDirectInput::AddRef()
{
    ReferenceAdded();
    return static_cast<ULONG>(++references_);
}

STDMETHODIMP_(ULONG) FakeDirectInput::Release()
{
    ReferenceDropped();
    const ULONG left = static_cast<ULONG>(--references_);
    RecordRelease(Method::ReleaseDirectInput, AnyDevice, left);
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP FakeDirectInput::CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* created, LPUNKNOWN outer)
{
    DevicePtr device = FindDeviceByInstance(instance);
    Call call = Begin(Method::CreateDevice, device ? device->id : AnyDevice);
    call.guid = instance;
    call.outerGiven = outer != nullptr;
    if (created)
        *created = nullptr;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!created)
        return Finish(call, E_POINTER);
    if (outer)
        return Finish(call, DIERR_NOAGGREGATION);
    if (!device || !device->plugged)
        return Finish(call, DIERR_DEVICENOTREG);
    *created = new FakeDevice(device);
    return Finish(call, DI_OK);
}

STDMETHODIMP FakeDirectInput::EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                          DWORD flags)
{
    Call call = Begin(Method::EnumDevices, AnyDevice);
    call.deviceClass = deviceClass;
    call.flags = flags;
    call.callbackGiven = callback != nullptr;
    call.context = context;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    const DWORD knownFlags = DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK | DIEDFL_INCLUDEALIASES |
                             DIEDFL_INCLUDEPHANTOMS | DIEDFL_INCLUDEHIDDEN;
    if (!callback || (flags & ~knownFlags) || deviceClass > DI8DEVCLASS_GAMECTRL)
        return Finish(call, DIERR_INVALIDPARAM);

    // Only game controllers live here: every other class enumerates nothing.
    if (deviceClass == DI8DEVCLASS_ALL || deviceClass == DI8DEVCLASS_GAMECTRL) {
        // By index: the callback may add devices (the virtual wheel syncs on every entry).
        for (int i = 0; i < DeviceSlots(); ++i) {
            DevicePtr device = detail::FindDevice(i);
            if ((flags & DIEDFL_ATTACHEDONLY) && !device->plugged)
                continue;
            if ((flags & DIEDFL_FORCEFEEDBACK) && device->traits.forceAxes == 0)
                continue;
            DIDEVICEINSTANCEA instance;
            FillInstance(*device, &instance);
            if (callback(&instance, context) == DIENUM_STOP)
                break;
        }
    }
    return Finish(call, FaultAfter(call, DI_OK));
}

}  // namespace detail

// The test API -------------------------------------------------------------------------------

using namespace detail;

const char* MethodName(Method method)
{
    const int index = static_cast<int>(method);
    return index >= 0 && index < static_cast<int>(Method::Count) ? MethodNames[index] : "?";
}

std::vector<Method> FallibleMethods()
{
    std::vector<Method> methods;
    for (int i = 0; i < static_cast<int>(Method::Count); ++i) {
        const Method method = static_cast<Method>(i);
        if (method != Method::ReleaseDirectInput && method != Method::ReleaseDevice &&
            method != Method::ReleaseEffect)
            methods.push_back(method);
    }
    return methods;
}

DIJOYSTATE2 NeutralState()
{
    DIJOYSTATE2 state;
    memset(&state, 0, sizeof(state));
    for (DWORD& pov : state.rgdwPOV)
        pov = 0xFFFFFFFF;
    return state;
}

DeviceId AddDevice(const DeviceTraits& traits)
{
    World& world = TheWorld();
    DevicePtr device = std::make_shared<VirtualDevice>();
    device->id = static_cast<DeviceId>(world.devices.size());
    device->traits = traits;
    device->state = NeutralState();
    device->instanceGuid = InstanceGuidFor(device->id);
    device->productGuid = ProductGuidFor(traits.productId);
    world.devices.push_back(device);
    return device->id;
}

DeviceId AddWheel(int forceAxes)
{
    DeviceTraits traits;
    traits.productId = WheelProductId;
    traits.instanceName = "Force Feedback Wheel";
    traits.productName = "Force Feedback Wheel";
    traits.axes = 2;
    traits.forceAxes = forceAxes;
    return AddDevice(traits);
}

DeviceId AddController(DWORD productId, int forceAxes)
{
    DeviceTraits traits;
    traits.productId = productId;
    traits.axes = forceAxes > 2 ? forceAxes : 2;
    traits.forceAxes = forceAxes;
    return AddDevice(traits);
}

int DeviceCount()
{
    return DeviceSlots();
}

GUID InstanceGuid(DeviceId device)
{
    return InstanceGuidFor(device);
}

void SetTraits(DeviceId device, const DeviceTraits& traits)
{
    if (DevicePtr found = FindDevice(device)) {
        found->traits = traits;
        found->productGuid = ProductGuidFor(traits.productId);
    }
}

const DeviceTraits& TraitsOf(DeviceId device)
{
    return FindDevice(device)->traits;
}

void SetState(DeviceId device, const DIJOYSTATE2& state)
{
    if (DevicePtr found = FindDevice(device))
        found->state = state;
}

const DIJOYSTATE2& State(DeviceId device)
{
    return FindDevice(device)->state;
}

void Unplug(DeviceId device)
{
    if (DevicePtr found = FindDevice(device)) {
        found->plugged = false;
        found->output.playing = false;
    }
}

void Plug(DeviceId device)
{
    if (DevicePtr found = FindDevice(device))
        found->plugged = true;
}

bool IsPlugged(DeviceId device)
{
    DevicePtr found = FindDevice(device);
    return found && found->plugged;
}

void InjectFault(const Fault& fault)
{
    TheWorld().faults.push_back(fault);
}

void FailCall(Method method, HRESULT result, int times, DeviceId device)
{
    Fault fault;
    fault.method = method;
    fault.result = result;
    fault.times = times;
    fault.device = device;
    InjectFault(fault);
}

void ClearFaults()
{
    TheWorld().faults.clear();
}

const std::vector<Call>& Calls()
{
    return TheWorld().calls;
}

std::vector<Call> CallsOf(Method method, DeviceId device)
{
    std::vector<Call> found;
    for (const Call& call : TheWorld().calls) {
        if (call.method == method && (device == AnyDevice || call.device == device))
            found.push_back(call);
    }
    return found;
}

int CallCount(Method method, DeviceId device)
{
    const int column = device == AnyDevice ? CountedDevices : device;
    if (column < 0 || column > CountedDevices)
        return 0;
    return TheWorld().counts[static_cast<int>(method)][column];
}

void ClearCalls()
{
    World& world = TheWorld();
    world.calls.clear();
    memset(world.counts, 0, sizeof(world.counts));
}

void SetCallLog(bool on)
{
    TheWorld().logging = on;
}

int LiveReferences()
{
    return TheWorld().liveReferences;
}

int LiveObjects()
{
    return TheWorld().liveObjects;
}

bool IsAcquired(DeviceId device)
{
    DevicePtr found = FindDevice(device);
    return found && found->acquisitions > 0;
}

Output ForceOutput(DeviceId device)
{
    DevicePtr found = FindDevice(device);
    return found ? found->output : Output();
}

void Reset()
{
    World& world = TheWorld();
    world.devices.clear();
    world.faults.clear();
    ClearCalls();
    world.calls.reserve(256);
    world.logging = true;
}

void SetObserver(Observer* observer)
{
    TheWorld().observer = observer;
}

}  // namespace fakedi

// The entry point the code under test imports from dinput8.dll.
extern "C" HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out,
                                             LPUNKNOWN outer)
{
    using namespace fakedi;
    using namespace fakedi::detail;
    Call call = Begin(Method::DirectInput8Create, AnyDevice);
    call.instance = instance;
    call.version = version;
    call.guid = riid;
    call.outerGiven = outer != nullptr;
    if (out)
        *out = nullptr;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!out)
        return Finish(call, E_POINTER);
    if (!instance)
        return Finish(call, DIERR_INVALIDPARAM);
    if (version < DIRECTINPUT_VERSION)
        return Finish(call, DIERR_OLDDIRECTINPUTVERSION);
    if (version > DIRECTINPUT_VERSION)
        return Finish(call, DIERR_BETADIRECTINPUTVERSION);
    if (outer)
        return Finish(call, DIERR_NOAGGREGATION);
    if (!IsEqualGUID(riid, IID_IDirectInput8A))
        return Finish(call, E_NOINTERFACE);
    *out = static_cast<IDirectInput8A*>(new FakeDirectInput());
    return Finish(call, DI_OK);
}
