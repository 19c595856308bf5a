// The fake IDirectInputDevice8A: one device object over a virtual device, with DirectInput's
// rules for data format, cooperative level, acquisition, properties and effects.
#include "FakeObjects.h"

#include <string.h>

namespace fakedi {
namespace detail {
namespace {

struct AxisInfo {
    const GUID* type;
    DWORD offset;
    const char* name;
};

// The axes a device has, in order; the first forceAxes of them are actuators.
const AxisInfo Axes[MaxAxes] = {
    {&GUID_XAxis, DIJOFS_X, "X Axis"},      {&GUID_YAxis, DIJOFS_Y, "Y Axis"},
    {&GUID_ZAxis, DIJOFS_Z, "Z Axis"},      {&GUID_RxAxis, DIJOFS_RX, "X Rotation"},
    {&GUID_RyAxis, DIJOFS_RY, "Y Rotation"}, {&GUID_RzAxis, DIJOFS_RZ, "Z Rotation"},
    {&GUID_Slider, DIJOFS_SLIDER(0), "Slider"}, {&GUID_Slider, DIJOFS_SLIDER(1), "Slider"},
};

UINT_PTR PropertyId(REFGUID property)
{
    return reinterpret_cast<UINT_PTR>(&property);
}

bool ExactlyOne(DWORD flags, DWORD a, DWORD b)
{
    return ((flags & a) != 0) != ((flags & b) != 0);
}

int AxisCount(const VirtualDevice& device)
{
    const int axes = device.traits.axes;
    return axes < 0 ? 0 : (axes > MaxAxes ? MaxAxes : axes);
}

void FillObject(DIDEVICEOBJECTINSTANCEA* object, const GUID& type, DWORD offset, DWORD typeId, DWORD flags,
                const char* name)
{
    memset(object, 0, sizeof(*object));
    object->dwSize = sizeof(*object);
    object->guidType = type;
    object->dwOfs = offset;
    object->dwType = typeId;
    object->dwFlags = flags;
    strncpy(object->tszName, name, MAX_PATH - 1);
    if (flags & DIDOI_FFACTUATOR) {
        object->dwFFMaxForce = DI_FFNOMINALMAX;
        object->dwFFForceResolution = 1;
    }
}

}  // namespace

FakeDevice::FakeDevice(DevicePtr device) : device_(device)
{
    ObjectCreated();
    for (int i = 0; i < MaxAxes; ++i) {
        rangeMin_[i] = 0;
        rangeMax_[i] = 65535;
    }
}

FakeDevice::~FakeDevice()
{
    ObjectFreed();
}

bool FakeDevice::LoseIfUnplugged()
{
    if (!acquired_ || device_->plugged)
        return false;
    DropAcquisition();
    return true;
}

int FakeDevice::AxisAt(DWORD offsetOrId, bool byOffset) const
{
    const int axes = AxisCount(*device_);
    if (byOffset) {
        if (!HasFormat())
            return -1;
        for (int i = 0; i < axes; ++i) {
            if (Axes[i].offset == offsetOrId)
                return i;
        }
        return -1;
    }
    const int instance = DIDFT_GETINSTANCE(offsetOrId);
    if (!(DIDFT_GETTYPE(offsetOrId) & DIDFT_AXIS) || instance >= axes)
        return -1;
    return instance;
}

int FakeDevice::Actuators() const
{
    const int axes = AxisCount(*device_);
    return device_->traits.forceAxes < axes ? device_->traits.forceAxes : axes;
}

void FakeDevice::EffectFreed(FakeEffect* effect)
{
    if (playingEffect_ == effect)
        playingEffect_ = nullptr;
    --effects_;
    FreeIfUnused();
}

void FakeDevice::DropAcquisition()
{
    if (!acquired_)
        return;
    acquired_ = false;
    device_->acquisitions -= 1;
    if (device_->exclusiveOwner == this)
        device_->exclusiveOwner = nullptr;
    // Losing the device unloads its effects: the motor stops.
    if (playingEffect_)
        playingEffect_->Unloaded();
    if (device_->outputOwner == this) {
        device_->output.playing = false;
        device_->outputOwner = nullptr;
    }
}

void FakeDevice::FreeIfUnused()
{
    if (references_ == 0 && effects_ == 0)
        delete this;
}

STDMETHODIMP FakeDevice::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInputDevice8A)) {
        AddRef();
        *object = this;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeDevice::AddRef()
{
    ReferenceAdded();
    return static_cast<ULONG>(++references_);
}

STDMETHODIMP_(ULONG) FakeDevice::Release()
{
    ReferenceDropped();
    const ULONG left = static_cast<ULONG>(--references_);
    RecordRelease(Method::ReleaseDevice, Id(), left);
    if (left == 0) {
        DropAcquisition();
        FreeIfUnused();
    }
    return left;
}

STDMETHODIMP FakeDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags)
{
    Call call = Begin(Method::EnumObjects, Id());
    call.flags = flags;
    call.callbackGiven = callback != nullptr;
    call.context = context;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!callback)
        return Finish(call, DIERR_INVALIDPARAM);

    const DWORD types = DIDFT_GETTYPE(flags);   // 0: every type
    const bool actuatorsOnly = (flags & DIDFT_FFACTUATOR) != 0;
    DIDEVICEOBJECTINSTANCEA object;
    bool stopped = false;
    for (int i = 0; i < AxisCount(*device_) && !stopped; ++i) {
        const bool actuator = i < device_->traits.forceAxes;
        if ((types && !(types & DIDFT_ABSAXIS)) || (actuatorsOnly && !actuator))
            continue;
        const DWORD typeId = DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(i) | (actuator ? DIDFT_FFACTUATOR : 0);
        const DWORD objectFlags = DIDOI_ASPECTPOSITION | (actuator ? DIDOI_FFACTUATOR : 0);
        FillObject(&object, *Axes[i].type, Axes[i].offset, typeId, objectFlags, Axes[i].name);
        stopped = callback(&object, context) == DIENUM_STOP;
    }
    if (!actuatorsOnly && (!types || (types & DIDFT_PSHBUTTON))) {
        for (int i = 0; i < device_->traits.buttons && i < 128 && !stopped; ++i) {
            FillObject(&object, GUID_Button, DIJOFS_BUTTON(i), DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i), 0, "Button");
            stopped = callback(&object, context) == DIENUM_STOP;
        }
    }
    if (!actuatorsOnly && (!types || (types & DIDFT_POV))) {
        for (int i = 0; i < device_->traits.povs && i < 4 && !stopped; ++i) {
            FillObject(&object, GUID_POV, DIJOFS_POV(i), DIDFT_POV | DIDFT_MAKEINSTANCE(i), 0, "Hat Switch");
            stopped = callback(&object, context) == DIENUM_STOP;
        }
    }
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header)
{
    Call call = Begin(Method::SetProperty, Id());
    call.property = &property;
    if (header) {
        call.header = *header;
        if (header->dwSize >= sizeof(DIPROPDWORD))
            call.dwordValue = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        if (header->dwSize >= sizeof(DIPROPRANGE)) {
            call.rangeMin = reinterpret_cast<const DIPROPRANGE*>(header)->lMin;
            call.rangeMax = reinterpret_cast<const DIPROPRANGE*>(header)->lMax;
        }
    }
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER))
        return Finish(call, DIERR_INVALIDPARAM);

    if (PropertyId(property) == PropertyId(DIPROP_RANGE)) {
        if (header->dwSize != sizeof(DIPROPRANGE) || call.rangeMin >= call.rangeMax)
            return Finish(call, DIERR_INVALIDPARAM);
        int first = 0, last = AxisCount(*device_) - 1;
        if (header->dwHow == DIPH_DEVICE) {
            if (header->dwObj != 0)
                return Finish(call, DIERR_INVALIDPARAM);
        } else if (header->dwHow == DIPH_BYID || header->dwHow == DIPH_BYOFFSET) {
            first = last = AxisAt(header->dwObj, header->dwHow == DIPH_BYOFFSET);
            if (first < 0)
                return Finish(call, DIERR_OBJECTNOTFOUND);
        } else {
            return Finish(call, DIERR_INVALIDPARAM);
        }
        for (int i = first; i <= last; ++i) {
            rangeMin_[i] = call.rangeMin;
            rangeMax_[i] = call.rangeMax;
        }
        return Finish(call, FaultAfter(call, DI_OK));
    }
    if (PropertyId(property) == PropertyId(DIPROP_AUTOCENTER)) {
        if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE || header->dwObj != 0 ||
            call.dwordValue > DIPROPAUTOCENTER_ON)
            return Finish(call, DIERR_INVALIDPARAM);
        if (device_->traits.forceAxes == 0)
            return Finish(call, DIERR_UNSUPPORTED);
        autoCenter_ = call.dwordValue;
        return Finish(call, FaultAfter(call, DI_OK));
    }
    return Finish(call, DIERR_UNSUPPORTED);
}

STDMETHODIMP FakeDevice::Acquire()
{
    Call call = Begin(Method::Acquire, Id());
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!device_->plugged) {
        DropAcquisition();
        return Finish(call, DIERR_UNPLUGGED);
    }
    if (!HasFormat())
        return Finish(call, DIERR_INVALIDPARAM);
    if (acquired_)
        return Finish(call, FaultAfter(call, S_FALSE));
    const bool exclusive = (cooperation_ & DISCL_EXCLUSIVE) != 0;
    if (exclusive && device_->exclusiveOwner && device_->exclusiveOwner != this)
        return Finish(call, DIERR_OTHERAPPHASPRIO);
    acquired_ = true;
    device_->acquisitions += 1;
    if (exclusive)
        device_->exclusiveOwner = this;
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::Unacquire()
{
    Call call = Begin(Method::Unacquire, Id());
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!acquired_)
        return Finish(call, FaultAfter(call, DI_NOEFFECT));
    DropAcquisition();
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::Poll()
{
    Call call = Begin(Method::Poll, Id());
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (LoseIfUnplugged())
        return Finish(call, DIERR_INPUTLOST);
    if (!acquired_)
        return Finish(call, DIERR_NOTACQUIRED);
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::GetDeviceState(DWORD size, LPVOID data)
{
    Call call = Begin(Method::GetDeviceState, Id());
    call.stateSize = size;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!data)
        return Finish(call, E_POINTER);
    if (LoseIfUnplugged())
        return Finish(call, DIERR_INPUTLOST);
    if (!acquired_)
        return Finish(call, DIERR_NOTACQUIRED);
    if (size != formatSize_)
        return Finish(call, DIERR_INVALIDPARAM);
    memcpy(data, &device_->state, size < sizeof(DIJOYSTATE2) ? size : sizeof(DIJOYSTATE2));
    if (size > sizeof(DIJOYSTATE2))
        memset(static_cast<char*>(data) + sizeof(DIJOYSTATE2), 0, size - sizeof(DIJOYSTATE2));
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::SetDataFormat(LPCDIDATAFORMAT format)
{
    Call call = Begin(Method::SetDataFormat, Id());
    if (format) {
        call.formatDataSize = format->dwDataSize;
        call.formatObjects = format->dwNumObjs;
    }
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!format || format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        format->dwDataSize == 0 || format->dwDataSize % 4 != 0)
        return Finish(call, DIERR_INVALIDPARAM);
    if (acquired_)
        return Finish(call, DIERR_ACQUIRED);
    formatSize_ = format->dwDataSize;
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::SetCooperativeLevel(HWND window, DWORD flags)
{
    Call call = Begin(Method::SetCooperativeLevel, Id());
    call.window = window;
    call.flags = flags;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    const DWORD known = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    if ((flags & ~known) || !ExactlyOne(flags, DISCL_EXCLUSIVE, DISCL_NONEXCLUSIVE) ||
        !ExactlyOne(flags, DISCL_FOREGROUND, DISCL_BACKGROUND))
        return Finish(call, DIERR_INVALIDPARAM);
    // Exclusive or foreground use belongs to a top-level window of the program.
    const bool needsWindow = (flags & (DISCL_EXCLUSIVE | DISCL_FOREGROUND)) != 0;
    if ((window || needsWindow) && (!IsWindow(window) || GetAncestor(window, GA_ROOT) != window))
        return Finish(call, E_HANDLE);
    if (acquired_)
        return Finish(call, DIERR_ACQUIRED);
    cooperation_ = flags;
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeDevice::CreateEffect(REFGUID type, LPCDIEFFECT effect, LPDIRECTINPUTEFFECT* created, LPUNKNOWN outer)
{
    Call call = Begin(Method::CreateEffect, Id());
    call.guid = type;
    call.outerGiven = outer != nullptr;
    CopyEffectArgs(effect, &call.effect);
    if (created)
        *created = nullptr;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!created)
        return Finish(call, E_POINTER);
    if (outer)
        return Finish(call, DIERR_NOAGGREGATION);
    if (Actuators() == 0)
        return Finish(call, DIERR_UNSUPPORTED);
    if (!IsEqualGUID(type, GUID_ConstantForce))
        return Finish(call, DIERR_DEVICENOTREG);

    FakeEffect* made = new FakeEffect(this);
    if (effect) {
        DWORD parts = DIEP_AXES | DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_DURATION | DIEP_GAIN |
                      DIEP_SAMPLEPERIOD | DIEP_TRIGGERBUTTON | DIEP_TRIGGERREPEATINTERVAL | DIEP_ENVELOPE;
        if (effect->dwSize == sizeof(DIEFFECT))
            parts |= DIEP_STARTDELAY;
        const HRESULT applied = effect->dwSize == sizeof(DIEFFECT) || effect->dwSize == sizeof(DIEFFECT_DX5)
                                    ? made->Apply(effect, parts)
                                    : DIERR_INVALIDPARAM;
        if (FAILED(applied)) {
            // Never handed out: it goes without a Release in the record.
            ReferenceDropped();
            delete made;
            return Finish(call, applied);
        }
    }
    *created = made;
    return Finish(call, DI_OK);
}

}  // namespace detail
}  // namespace fakedi
