// Inside the fake DirectInput: the virtual devices, the bookkeeping every entry goes through, and
// the three COM classes. Tests use FakeDirectInput.h only.
#pragma once

#include "FakeDirectInput.h"

#include <memory>

namespace fakedi {
namespace detail {

const int MaxAxes = 8;

// One virtual game controller: what it is, whether it is plugged in, what it reports, and what
// its motor is doing.
struct VirtualDevice {
    DeviceId id = 0;
    DeviceTraits traits;
    bool plugged = true;
    DIJOYSTATE2 state;
    GUID instanceGuid;
    GUID productGuid;
    const void* exclusiveOwner = nullptr;   // the device object holding it exclusively acquired
    int acquisitions = 0;                   // device objects holding it acquired
    Output output;
    const void* outputOwner = nullptr;      // the device object whose effect drives the motor
};

typedef std::shared_ptr<VirtualDevice> DevicePtr;

DevicePtr FindDevice(DeviceId device);
DevicePtr FindDeviceByInstance(const GUID& instance);
int DeviceSlots();
void FillInstance(const VirtualDevice& device, DIDEVICEINSTANCEA* instance);

// Every entry starts with Begin and ends with Finish:
//   Call call = Begin(Method::Poll, device);
//   HRESULT hr;
//   if (FaultBefore(call, &hr)) return Finish(call, hr);
//   hr = ...the work...;
//   return Finish(call, FaultAfter(call, hr));
Call Begin(Method method, DeviceId device);
bool FaultBefore(const Call& call, HRESULT* result);
HRESULT FaultAfter(const Call& call, HRESULT result);
HRESULT Finish(Call& call, HRESULT result);
// Release entries: record the count left.
void RecordRelease(Method method, DeviceId device, ULONG referencesLeft);

void ReferenceAdded();
void ReferenceDropped();
void ObjectCreated();
void ObjectFreed();

void CopyEffectArgs(const DIEFFECT* effect, EffectArgs* args);

class FakeDevice;

class FakeEffect final : public IDirectInputEffect {
public:
    FakeEffect(FakeDevice* device);
    ~FakeEffect();
    FakeEffect(const FakeEffect&) = delete;
    FakeEffect& operator=(const FakeEffect&) = delete;

    // Checks and stores the parameters that flags name; no download.
    HRESULT Apply(const DIEFFECT* effect, DWORD flags);
    // The device object was unacquired or lost: nothing of ours plays any more.
    void Unloaded();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Initialize(HINSTANCE, DWORD, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP GetEffectGuid(LPGUID) override { return E_NOTIMPL; }
    STDMETHODIMP GetParameters(LPDIEFFECT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetParameters(LPCDIEFFECT effect, DWORD flags) override;
    STDMETHODIMP Start(DWORD iterations, DWORD flags) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP GetEffectStatus(LPDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Download() override { return E_NOTIMPL; }
    STDMETHODIMP Unload() override { return E_NOTIMPL; }
    STDMETHODIMP Escape(LPDIEFFESCAPE) override { return E_NOTIMPL; }

private:
    bool Complete() const;
    void Play(bool start);

    LONG references_ = 1;
    FakeDevice* device_;
    DWORD setFlags_ = 0;      // which DIEP_ parts have been given
    DWORD axisCount_ = 0;
    DWORD axes_[MaxAxes] = {};
    LONG direction_[MaxAxes] = {};
    LONG magnitude_ = 0;
    bool playing_ = false;
};

class FakeDevice final : public IDirectInputDevice8A {
public:
    explicit FakeDevice(DevicePtr device);
    ~FakeDevice();
    FakeDevice(const FakeDevice&) = delete;
    FakeDevice& operator=(const FakeDevice&) = delete;

    VirtualDevice& Device() { return *device_; }
    DeviceId Id() const { return device_->id; }
    bool ExclusivelyAcquired() const { return acquired_ && (cooperation_ & DISCL_EXCLUSIVE); }
    // True, and the acquisition dropped, when the device went away while acquired.
    bool LoseIfUnplugged();
    bool HasFormat() const { return formatSize_ != 0; }
    // The axis instance at a data-format offset or object id, or -1.
    int AxisAt(DWORD offsetOrId, bool byOffset) const;
    bool IsActuator(int axis) const { return axis >= 0 && axis < device_->traits.forceAxes; }
    int Actuators() const;
    void EffectCreated() { ++effects_; }
    void EffectFreed(FakeEffect* effect);
    void SetPlayingEffect(FakeEffect* effect) { playingEffect_ = effect; }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetCapabilities(LPDIDEVCAPS) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override;
    STDMETHODIMP GetProperty(REFGUID, LPDIPROPHEADER) override { return E_NOTIMPL; }
    STDMETHODIMP SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    STDMETHODIMP Acquire() override;
    STDMETHODIMP Unacquire() override;
    STDMETHODIMP GetDeviceState(DWORD size, LPVOID data) override;
    STDMETHODIMP GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetDataFormat(LPCDIDATAFORMAT format) override;
    STDMETHODIMP SetEventNotification(HANDLE) override { return E_NOTIMPL; }
    STDMETHODIMP SetCooperativeLevel(HWND window, DWORD flags) override;
    STDMETHODIMP GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetDeviceInfo(LPDIDEVICEINSTANCEA) override { return E_NOTIMPL; }
    STDMETHODIMP RunControlPanel(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Initialize(HINSTANCE, DWORD, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP CreateEffect(REFGUID type, LPCDIEFFECT effect, LPDIRECTINPUTEFFECT* created,
                              LPUNKNOWN outer) override;
    STDMETHODIMP EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetEffectInfo(LPDIEFFECTINFOA, REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP GetForceFeedbackState(LPDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SendForceFeedbackCommand(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Escape(LPDIEFFESCAPE) override { return E_NOTIMPL; }
    STDMETHODIMP Poll() override;
    STDMETHODIMP SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP BuildActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetImageInfo(LPDIDEVICEIMAGEINFOHEADERA) override { return E_NOTIMPL; }

private:
    void DropAcquisition();
    void FreeIfUnused();

    LONG references_ = 1;
    int effects_ = 0;             // live effects keep the object alive
    DevicePtr device_;
    DWORD formatSize_ = 0;
    DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired_ = false;
    LONG rangeMin_[MaxAxes];
    LONG rangeMax_[MaxAxes];
    DWORD autoCenter_ = DIPROPAUTOCENTER_ON;
    FakeEffect* playingEffect_ = nullptr;
};

class FakeDirectInput final : public IDirectInput8A {
public:
    FakeDirectInput();
    ~FakeDirectInput();
    FakeDirectInput(const FakeDirectInput&) = delete;
    FakeDirectInput& operator=(const FakeDirectInput&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* created, LPUNKNOWN outer) override;
    STDMETHODIMP EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                             DWORD flags) override;
    STDMETHODIMP GetDeviceStatus(REFGUID) override { return E_NOTIMPL; }
    STDMETHODIMP RunControlPanel(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Initialize(HINSTANCE, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP FindDevice(REFGUID, LPCSTR, LPGUID) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDevicesBySemantics(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID,
                                        DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD, LPVOID) override
    {
        return E_NOTIMPL;
    }

private:
    LONG references_ = 1;
};

}  // namespace detail
}  // namespace fakedi
