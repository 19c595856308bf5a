// The fake IDirectInputEffect: a constant force on its device's actuators. Parameters are checked
// and stored; they reach the motor only while the device is acquired exclusively.
#include "FakeObjects.h"

namespace fakedi {
namespace detail {
namespace {

const DWORD CoordinateSystems = DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL;
// Axes, direction and type-specific parameters: without them nothing can be downloaded.
const DWORD EssentialParts = DIEP_AXES | DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS;

bool OneBitOf(DWORD flags, DWORD mask)
{
    const DWORD bits = flags & mask;
    return bits != 0 && (bits & (bits - 1)) == 0;
}

}  // namespace

FakeEffect::FakeEffect(FakeDevice* device) : device_(device)
{
    ObjectCreated();
    device_->EffectCreated();
}

FakeEffect::~FakeEffect()
{
    ObjectFreed();
    device_->EffectFreed(this);
}

bool FakeEffect::Complete() const
{
    return (setFlags_ & EssentialParts) == EssentialParts;
}

HRESULT FakeEffect::Apply(const DIEFFECT* effect, DWORD flags)
{
    if ((flags & DIEP_STARTDELAY) && effect->dwSize != sizeof(DIEFFECT))
        return DIERR_INVALIDPARAM;

    if (flags & DIEP_AXES) {
        if (setFlags_ & DIEP_AXES)
            return DIERR_ALREADYINITIALIZED;
        const bool byOffset = (effect->dwFlags & DIEFF_OBJECTOFFSETS) != 0;
        if (!OneBitOf(effect->dwFlags, DIEFF_OBJECTOFFSETS | DIEFF_OBJECTIDS) || !effect->rgdwAxes ||
            effect->cAxes == 0 || effect->cAxes > static_cast<DWORD>(device_->Actuators()))
            return DIERR_INVALIDPARAM;
        for (DWORD i = 0; i < effect->cAxes; ++i) {
            const int axis = device_->AxisAt(effect->rgdwAxes[i], byOffset);
            if (!device_->IsActuator(axis))
                return DIERR_INVALIDPARAM;
            for (DWORD j = 0; j < i; ++j) {
                if (axes_[j] == static_cast<DWORD>(axis))
                    return DIERR_INVALIDPARAM;
            }
            axes_[i] = static_cast<DWORD>(axis);
        }
        axisCount_ = effect->cAxes;
    }

    if (flags & DIEP_DIRECTION) {
        const DWORD count = effect->cAxes;
        if (count == 0 || count > static_cast<DWORD>(MaxAxes) || (axisCount_ != 0 && count != axisCount_) ||
            !OneBitOf(effect->dwFlags, CoordinateSystems) || !effect->rglDirection)
            return DIERR_INVALIDPARAM;
        if ((effect->dwFlags & DIEFF_POLAR) && count != 2)
            return DIERR_INVALIDPARAM;
        for (DWORD i = 0; i < count; ++i)
            direction_[i] = effect->rglDirection[i];
    }

    if (flags & DIEP_TYPESPECIFICPARAMS) {
        if (!effect->lpvTypeSpecificParams)
            return E_POINTER;
        if (effect->cbTypeSpecificParams != sizeof(DICONSTANTFORCE))
            return DIERR_INVALIDPARAM;
        magnitude_ = static_cast<const DICONSTANTFORCE*>(effect->lpvTypeSpecificParams)->lMagnitude;
    }

    if ((flags & DIEP_ENVELOPE) && effect->lpEnvelope && effect->lpEnvelope->dwSize != sizeof(DIENVELOPE))
        return DIERR_INVALIDPARAM;

    setFlags_ |= flags & DIEP_ALLPARAMS;
    return DI_OK;
}

void FakeEffect::Play(bool start)
{
    if (start)
        playing_ = true;
    if (!playing_)
        return;
    VirtualDevice& device = device_->Device();
    device.output.playing = true;
    device.output.magnitude = magnitude_;
    device.output.axes = axisCount_;
    device.output.direction[0] = direction_[0];
    device.output.direction[1] = axisCount_ > 1 ? direction_[1] : 0;
    device.outputOwner = device_;
    device_->SetPlayingEffect(this);
}

void FakeEffect::Unloaded()
{
    playing_ = false;
}

STDMETHODIMP FakeEffect::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInputEffect)) {
        AddRef();
        *object = this;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FakeEffect::AddRef()
{
    ReferenceAdded();
    return static_cast<ULONG>(++references_);
}

STDMETHODIMP_(ULONG) FakeEffect::Release()
{
    ReferenceDropped();
    const ULONG left = static_cast<ULONG>(--references_);
    RecordRelease(Method::ReleaseEffect, device_->Id(), left);
    if (left == 0) {
        // Releasing an effect unloads it.
        VirtualDevice& device = device_->Device();
        if (playing_ && device.outputOwner == device_)
            device.output.playing = false;
        delete this;
    }
    return left;
}

STDMETHODIMP FakeEffect::SetParameters(LPCDIEFFECT effect, DWORD flags)
{
    Call call = Begin(Method::SetParameters, device_->Id());
    call.flags = flags;
    CopyEffectArgs(effect, &call.effect);
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!effect)
        return Finish(call, E_POINTER);
    const DWORD known = DIEP_ALLPARAMS | DIEP_NODOWNLOAD | DIEP_NORESTART | DIEP_START;
    if ((effect->dwSize != sizeof(DIEFFECT) && effect->dwSize != sizeof(DIEFFECT_DX5)) || (flags & ~known))
        return Finish(call, DIERR_INVALIDPARAM);
    hr = Apply(effect, flags & DIEP_ALLPARAMS);
    if (FAILED(hr))
        return Finish(call, hr);

    if (flags & DIEP_NODOWNLOAD)
        return Finish(call, FaultAfter(call, DI_DOWNLOADSKIPPED));
    if (device_->LoseIfUnplugged())
        return Finish(call, DIERR_INPUTLOST);
    // Stored, but nothing reaches a device that is not ours alone (even with DIEP_START).
    if (!device_->ExclusivelyAcquired())
        return Finish(call, FaultAfter(call, DI_DOWNLOADSKIPPED));
    if (!Complete())
        return Finish(call, DIERR_INCOMPLETEEFFECT);
    const bool start = (flags & DIEP_START) != 0;
    Play(start);
    call.started = start;
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeEffect::Start(DWORD iterations, DWORD flags)
{
    Call call = Begin(Method::Start, device_->Id());
    call.flags = flags;
    (void)iterations;
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (flags & ~(DIES_SOLO | DIES_NODOWNLOAD))
        return Finish(call, DIERR_INVALIDPARAM);
    if (device_->LoseIfUnplugged())
        return Finish(call, DIERR_INPUTLOST);
    if (!device_->ExclusivelyAcquired())
        return Finish(call, DIERR_NOTEXCLUSIVEACQUIRED);
    if (!Complete())
        return Finish(call, DIERR_INCOMPLETEEFFECT);
    Play(true);
    call.started = true;
    return Finish(call, FaultAfter(call, DI_OK));
}

STDMETHODIMP FakeEffect::Stop()
{
    Call call = Begin(Method::Stop, device_->Id());
    HRESULT hr;
    if (FaultBefore(call, &hr))
        return Finish(call, hr);
    if (!device_->ExclusivelyAcquired())
        return Finish(call, DIERR_NOTEXCLUSIVEACQUIRED);
    playing_ = false;
    VirtualDevice& device = device_->Device();
    if (device.outputOwner == device_)
        device.output.playing = false;
    return Finish(call, FaultAfter(call, DI_OK));
}

}  // namespace detail
}  // namespace fakedi
