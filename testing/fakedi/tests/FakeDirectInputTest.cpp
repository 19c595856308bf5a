// The fake DirectInput's rules: the answers DirectInput documents for the situations the
// controller layer and the dialog get into, so tests built on the fake mean what they say.
#include "FakeDirectInput.h"

#include <gtest/gtest.h>

namespace {

using fakedi::Method;

class FakeDirectInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakedi::Reset();
        wheel_ = fakedi::AddWheel(1);
        window_ = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                nullptr);
        ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                     reinterpret_cast<void**>(&input_), nullptr),
                  DI_OK);
        device_ = NewDevice();
    }

    void TearDown() override
    {
        if (effect_)
            effect_->Release();
        if (device_)
            device_->Release();
        input_->Release();
        EXPECT_EQ(fakedi::LiveReferences(), 0);
        EXPECT_EQ(fakedi::LiveObjects(), 0);
        DestroyWindow(window_);
    }

    IDirectInputDevice8A* NewDevice()
    {
        DIDEVICEINSTANCEA instance = {};
        instance.dwSize = sizeof(instance);
        input_->EnumDevices(DI8DEVCLASS_GAMECTRL, StoreInstance, &instance, DIEDFL_ATTACHEDONLY);
        IDirectInputDevice8A* device = nullptr;
        EXPECT_EQ(input_->CreateDevice(instance.guidInstance, &device, nullptr), DI_OK);
        return device;
    }

    static BOOL CALLBACK StoreInstance(LPCDIDEVICEINSTANCEA instance, LPVOID context)
    {
        *static_cast<DIDEVICEINSTANCEA*>(context) = *instance;
        return DIENUM_STOP;
    }

    // Data format, exclusive background level and a constant force on X, as the layer sets up.
    void Prepare(IDirectInputDevice8A* device, IDirectInputEffect** effect)
    {
        ASSERT_EQ(device->SetDataFormat(&c_dfDIJoystick2), DI_OK);
        ASSERT_EQ(device->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DI_OK);
        DWORD axes[1] = {DIJOFS_X};
        LONG direction[1] = {0};
        DICONSTANTFORCE force = {0};
        DIEFFECT description = {};
        description.dwSize = sizeof(description);
        description.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
        description.dwDuration = INFINITE;
        description.cAxes = 1;
        description.rgdwAxes = axes;
        description.rglDirection = direction;
        description.cbTypeSpecificParams = sizeof(force);
        description.lpvTypeSpecificParams = &force;
        if (effect) {
            ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &description, effect, nullptr), DI_OK);
        }
    }

    HRESULT SetForce(LONG magnitude, DWORD flags)
    {
        LONG direction[1] = {0};
        DICONSTANTFORCE force = {magnitude};
        DIEFFECT update = {};
        update.dwSize = sizeof(update);
        update.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
        update.cAxes = 1;
        update.rglDirection = direction;
        update.cbTypeSpecificParams = sizeof(force);
        update.lpvTypeSpecificParams = &force;
        return effect_->SetParameters(&update, flags);
    }

    fakedi::DeviceId wheel_ = 0;
    HWND window_ = nullptr;
    IDirectInput8A* input_ = nullptr;
    IDirectInputDevice8A* device_ = nullptr;
    IDirectInputEffect* effect_ = nullptr;
};

TEST_F(FakeDirectInputTest, ReadingNeedsAnAcquiredDeviceWithADataFormat)
{
    DIJOYSTATE2 state;
    EXPECT_EQ(device_->Acquire(), DIERR_INVALIDPARAM);   // no data format yet
    Prepare(device_, nullptr);
    EXPECT_EQ(device_->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->Unacquire(), DI_NOEFFECT);
    EXPECT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(device_->Acquire(), S_FALSE);
    EXPECT_EQ(device_->SetDataFormat(&c_dfDIJoystick2), DIERR_ACQUIRED);
    EXPECT_EQ(device_->Poll(), DI_OK);
    EXPECT_EQ(device_->GetDeviceState(sizeof(DIJOYSTATE), &state), DIERR_INVALIDPARAM);   // not the format's size
    EXPECT_EQ(device_->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(device_->Unacquire(), DI_OK);
}

TEST_F(FakeDirectInputTest, ExclusiveUseNeedsATopLevelWindowAndIsNotShared)
{
    HWND child = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, window_, nullptr, nullptr, nullptr);
    EXPECT_EQ(device_->SetCooperativeLevel(child, DISCL_EXCLUSIVE | DISCL_BACKGROUND), E_HANDLE);
    EXPECT_EQ(device_->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), E_HANDLE);
    EXPECT_EQ(device_->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    Prepare(device_, nullptr);
    ASSERT_EQ(device_->Acquire(), DI_OK);

    IDirectInputDevice8A* second = NewDevice();
    Prepare(second, nullptr);
    EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
    second->Release();
    DestroyWindow(child);
}

TEST_F(FakeDirectInputTest, ForcePlaysOnlyWhileTheDeviceIsAcquiredExclusively)
{
    Prepare(device_, &effect_);
    const DWORD startFlags = DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START;

    // Not acquired: parameters kept, nothing downloaded or played, with or without DIEP_START.
    EXPECT_EQ(SetForce(-500, startFlags), DI_DOWNLOADSKIPPED);
    EXPECT_EQ(SetForce(-500, DIEP_TYPESPECIFICPARAMS), DI_DOWNLOADSKIPPED);
    EXPECT_EQ(effect_->Start(1, 0), DIERR_NOTEXCLUSIVEACQUIRED);
    EXPECT_EQ(effect_->Stop(), DIERR_NOTEXCLUSIVEACQUIRED);
    EXPECT_FALSE(fakedi::ForceOutput(wheel_).playing);

    ASSERT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(SetForce(-700, startFlags), DI_OK);
    fakedi::Output output = fakedi::ForceOutput(wheel_);
    EXPECT_TRUE(output.playing);
    EXPECT_EQ(output.magnitude, -700);

    // Unacquiring unloads the effect: the motor stops.
    ASSERT_EQ(device_->Unacquire(), DI_OK);
    EXPECT_FALSE(fakedi::ForceOutput(wheel_).playing);
}

TEST_F(FakeDirectInputTest, BadEffectParametersAreRefused)
{
    Prepare(device_, &effect_);
    LONG direction[2] = {0, 0};
    DICONSTANTFORCE force = {100};
    DIEFFECT update = {};
    update.dwSize = sizeof(update);
    update.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
    update.cAxes = 2;   // the effect has one axis
    update.rglDirection = direction;
    update.cbTypeSpecificParams = sizeof(force);
    update.lpvTypeSpecificParams = &force;
    EXPECT_EQ(effect_->SetParameters(&update, DIEP_DIRECTION), DIERR_INVALIDPARAM);
    update.cAxes = 1;
    update.cbTypeSpecificParams = 2;
    EXPECT_EQ(effect_->SetParameters(&update, DIEP_TYPESPECIFICPARAMS), DIERR_INVALIDPARAM);
    update.dwSize = 12;
    EXPECT_EQ(effect_->SetParameters(&update, DIEP_TYPESPECIFICPARAMS), DIERR_INVALIDPARAM);
    EXPECT_EQ(effect_->SetParameters(nullptr, DIEP_TYPESPECIFICPARAMS), E_POINTER);
}

TEST_F(FakeDirectInputTest, AnUnpluggedDeviceReportsLostInputThenUnplugged)
{
    Prepare(device_, nullptr);
    ASSERT_EQ(device_->Acquire(), DI_OK);
    fakedi::Unplug(wheel_);
    EXPECT_EQ(device_->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(device_->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->Acquire(), static_cast<HRESULT>(DIERR_UNPLUGGED));

    // Left out of attached devices, and not to be created afresh.
    DIDEVICEINSTANCEA found = {};
    EXPECT_EQ(input_->EnumDevices(DI8DEVCLASS_GAMECTRL, StoreInstance, &found, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_EQ(found.dwSize, 0u);
    IDirectInputDevice8A* again = nullptr;
    EXPECT_EQ(input_->CreateDevice(fakedi::InstanceGuid(wheel_), &again, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(again, nullptr);

    fakedi::Plug(wheel_);
    EXPECT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(device_->Poll(), DI_OK);
}

TEST_F(FakeDirectInputTest, ReferencesAreCountedAndAnEffectKeepsItsDeviceAlive)
{
    Prepare(device_, &effect_);
    EXPECT_EQ(fakedi::LiveReferences(), 3);
    EXPECT_EQ(device_->AddRef(), 2u);
    EXPECT_EQ(device_->Release(), 1u);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(fakedi::LiveObjects(), 3);   // the effect holds its device
    EXPECT_EQ(effect_->Release(), 0u);
    effect_ = nullptr;
    EXPECT_EQ(fakedi::LiveObjects(), 1);
    EXPECT_EQ(fakedi::CallsOf(Method::ReleaseDevice).back().references, 0u);
}

TEST_F(FakeDirectInputTest, FaultsFireAsOftenAsToldAndForTheDeviceNamed)
{
    Prepare(device_, nullptr);
    fakedi::FailCall(Method::Acquire, DIERR_INPUTLOST, 2, wheel_);
    fakedi::FailCall(Method::Acquire, E_FAIL, fakedi::Always, wheel_ + 1);   // another device
    EXPECT_EQ(device_->Acquire(), DIERR_INPUTLOST);
    EXPECT_EQ(device_->Acquire(), DIERR_INPUTLOST);
    EXPECT_EQ(device_->Acquire(), DI_OK);
    EXPECT_TRUE(fakedi::IsAcquired(wheel_));

    fakedi::Fault late;
    late.method = Method::Unacquire;
    late.result = E_FAIL;
    late.afterWork = true;
    fakedi::InjectFault(late);
    EXPECT_EQ(device_->Unacquire(), E_FAIL);
    EXPECT_FALSE(fakedi::IsAcquired(wheel_));   // the work was done all the same

    const std::vector<fakedi::Call> acquires = fakedi::CallsOf(Method::Acquire);
    ASSERT_EQ(acquires.size(), 3u);
    EXPECT_EQ(acquires[0].result, DIERR_INPUTLOST);
    EXPECT_EQ(fakedi::CallCount(Method::Acquire, wheel_), 3);
}

}  // namespace
