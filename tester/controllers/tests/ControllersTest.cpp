// The controller layer against our own DirectInput: the calls it makes, their order and values,
// the table it keeps, and how it copes with devices and calls that fail.
#include "Controllers.h"
#include "FakeDirectInput.h"

#include <climits>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

using fakedi::Call;
using fakedi::DeviceId;
using fakedi::Method;

namespace {

const DWORD ExclusiveBackground = DISCL_EXCLUSIVE | DISCL_BACKGROUND;

// The state the poll tick prepares before every read: all zero, hat centred.
DIJOYSTATE2 PresetState()
{
    DIJOYSTATE2 state;
    std::memset(&state, 0, sizeof(state));
    state.rgdwPOV[0] = 0xFFFFFFFF;
    return state;
}

DIJOYSTATE2 SomeReading()
{
    DIJOYSTATE2 state = fakedi::NeutralState();
    state.lX = -12345;
    state.lY = 20000;
    state.rgdwPOV[0] = 27000;
    state.rgbButtons[2] = 0x80;
    state.rgbButtons[11] = 0x80;
    return state;
}

bool SameState(const DIJOYSTATE2& a, const DIJOYSTATE2& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

std::vector<Method> MethodsOf(const std::vector<Call>& calls)
{
    std::vector<Method> methods;
    for (const Call& call : calls)
        methods.push_back(call.method);
    return methods;
}

DeviceId AddNamedController(int number, DWORD productId = fakedi::OtherProductId)
{
    fakedi::DeviceTraits traits;
    traits.productId = productId;
    traits.instanceName = "Controller " + std::to_string(number);
    traits.productName = "Product " + std::to_string(number);
    return fakedi::AddDevice(traits);
}

class ControllersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakedi::Reset();
        window_ = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }

    void TearDown() override
    {
        CloseControllers();
        EXPECT_EQ(fakedi::LiveReferences(), 0);
        EXPECT_EQ(fakedi::LiveObjects(), 0);
        DestroyWindow(window_);
    }

    // Opens the layer and reads controller i once, which acquires it.
    void OpenAndAcquire(int index)
    {
        ASSERT_EQ(OpenControllers(window_), 0);
        DIJOYSTATE2 state = PresetState();
        ReadControllerState(index, &state);
    }

    HWND window_ = nullptr;
};

TEST_F(ControllersTest, ReachesDirectInputThroughTheImportedEntryOnly)
{
    ASSERT_EQ(OpenControllers(window_), 0);

    EXPECT_EQ(ControllerCount(), 0);
    EXPECT_EQ(fakedi::CallCount(Method::DirectInput8Create), 1);
    // The fake's DirectInput8Create took the import's place: dinput8.dll was never loaded.
    EXPECT_EQ(GetModuleHandleA("dinput8.dll"), nullptr);
}

TEST_F(ControllersTest, OpenSetsUpEachControllerWithTheListedCallsAndValues)
{
    const DeviceId wheel = fakedi::AddWheel(1);

    ASSERT_EQ(OpenControllers(window_), 0);

    const std::vector<Method> expected = {
        Method::DirectInput8Create, Method::EnumDevices, Method::CreateDevice, Method::SetDataFormat,
        Method::SetCooperativeLevel, Method::SetProperty, Method::EnumObjects, Method::SetProperty,
        Method::SetProperty, Method::CreateEffect,
    };
    const std::vector<Call>& calls = fakedi::Calls();
    ASSERT_EQ(MethodsOf(calls), expected);
    for (const Call& call : calls)
        EXPECT_EQ(call.result, DI_OK) << fakedi::MethodName(call.method);

    const Call& create = calls[0];
    EXPECT_EQ(create.instance, GetModuleHandleA(nullptr));
    EXPECT_EQ(create.version, 0x0800u);
    EXPECT_TRUE(IsEqualGUID(create.guid, IID_IDirectInput8A));
    EXPECT_FALSE(create.outerGiven);

    const Call& enumerate = calls[1];
    EXPECT_EQ(enumerate.deviceClass, static_cast<DWORD>(DI8DEVCLASS_GAMECTRL));
    EXPECT_EQ(enumerate.flags, static_cast<DWORD>(DIEDFL_ATTACHEDONLY));
    EXPECT_TRUE(enumerate.callbackGiven);
    EXPECT_NE(enumerate.context, nullptr);

    EXPECT_EQ(calls[2].device, wheel);
    EXPECT_FALSE(calls[2].outerGiven);
    EXPECT_EQ(calls[3].formatDataSize, sizeof(DIJOYSTATE2));
    EXPECT_EQ(calls[3].formatObjects, c_dfDIJoystick2.dwNumObjs);
    EXPECT_EQ(calls[4].window, window_);
    EXPECT_EQ(calls[4].flags, ExclusiveBackground);

    const Call& autoCenter = calls[5];
    EXPECT_EQ(autoCenter.property, &DIPROP_AUTOCENTER);
    EXPECT_EQ(autoCenter.header.dwSize, 20u);
    EXPECT_EQ(autoCenter.header.dwHeaderSize, 16u);
    EXPECT_EQ(autoCenter.header.dwObj, 0u);
    EXPECT_EQ(autoCenter.header.dwHow, static_cast<DWORD>(DIPH_DEVICE));
    EXPECT_EQ(autoCenter.dwordValue, static_cast<DWORD>(DIPROPAUTOCENTER_OFF));

    EXPECT_EQ(calls[6].flags, static_cast<DWORD>(DIDFT_AXIS));
    const DWORD axisIds[2] = {DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(0) | DIDFT_FFACTUATOR,
                              DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(1)};
    for (int axis = 0; axis < 2; ++axis) {
        SCOPED_TRACE(axis);
        const Call& range = calls[7 + axis];
        EXPECT_EQ(range.property, &DIPROP_RANGE);
        EXPECT_EQ(range.header.dwSize, 24u);
        EXPECT_EQ(range.header.dwHeaderSize, 16u);
        EXPECT_EQ(range.header.dwObj, axisIds[axis]);
        EXPECT_EQ(range.header.dwHow, static_cast<DWORD>(DIPH_BYID));
        EXPECT_EQ(range.rangeMin, -32768);
        EXPECT_EQ(range.rangeMax, 32767);
    }

    const Call& effect = calls[9];
    EXPECT_TRUE(IsEqualGUID(effect.guid, GUID_ConstantForce));
    EXPECT_FALSE(effect.outerGiven);
    EXPECT_EQ(effect.effect.dwSize, 56u);
    EXPECT_EQ(effect.effect.dwFlags, 0x12u);
    EXPECT_EQ(effect.effect.dwDuration, INFINITE);
    EXPECT_EQ(effect.effect.dwSamplePeriod, 0u);
    EXPECT_EQ(effect.effect.dwGain, 10000u);
    EXPECT_EQ(effect.effect.dwTriggerButton, DIEB_NOTRIGGER);
    EXPECT_EQ(effect.effect.dwTriggerRepeatInterval, 0u);
    EXPECT_EQ(effect.effect.cAxes, 1u);
    EXPECT_EQ(effect.effect.axes[0], static_cast<DWORD>(DIJOFS_X));
    EXPECT_TRUE(effect.effect.directionGiven);
    EXPECT_EQ(effect.effect.direction[0], 0);
    EXPECT_FALSE(effect.effect.envelopeGiven);
    EXPECT_EQ(effect.effect.typeSpecificSize, 4u);
    EXPECT_EQ(effect.effect.magnitude, 0);
    EXPECT_EQ(effect.effect.dwStartDelay, 0u);
    EXPECT_FALSE(fakedi::ForceOutput(wheel).playing);   // created, not started

    ASSERT_EQ(ControllerCount(), 1);
    const ControllerRecord* record = ControllerAt(0);
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record->Device, nullptr);
    EXPECT_EQ(record->ProductId, 0x00037D2Eu);
    EXPECT_STREQ(record->InstanceName, "Force Feedback Wheel");
    EXPECT_STREQ(record->ProductName, "Force Feedback Wheel");
    EXPECT_EQ(record->ForceAxes, 1u);
    EXPECT_NE(record->Effect, nullptr);
}

TEST_F(ControllersTest, ForceAxesAreCountedAndCappedAtTwo)
{
    struct Case {
        int actuators;
        DWORD forceAxes;
        bool effect;
    };
    const Case cases[] = {{0, 0, false}, {1, 1, true}, {2, 2, true}, {3, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actuators);
        fakedi::Reset();
        fakedi::DeviceTraits traits;
        traits.axes = 3;
        traits.forceAxes = c.actuators;
        const DeviceId device = fakedi::AddDevice(traits);

        ASSERT_EQ(OpenControllers(window_), 0);
        const ControllerRecord* record = ControllerAt(0);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->ForceAxes, c.forceAxes);
        EXPECT_EQ(record->Effect != nullptr, c.effect);
        EXPECT_EQ(fakedi::CallsOf(Method::SetProperty, device).size(), 4u);   // autocentre and 3 ranges

        const std::vector<Call> creations = fakedi::CallsOf(Method::CreateEffect, device);
        ASSERT_EQ(creations.size(), c.effect ? 1u : 0u);
        if (c.effect) {
            // The effect acts on X, and on Y when there are two force axes.
            EXPECT_EQ(creations[0].effect.cAxes, c.forceAxes);
            EXPECT_EQ(creations[0].effect.axes[0], static_cast<DWORD>(DIJOFS_X));
            if (c.forceAxes == 2) {
                EXPECT_EQ(creations[0].effect.axes[1], static_cast<DWORD>(DIJOFS_Y));
            }
        }
        CloseControllers();
    }
}

TEST_F(ControllersTest, SetConstantForcePassesMagnitudeAndDirection)
{
    struct Case {
        int forceAxes;
        LONG x, y;
        LONG directionX, directionY;
        LONG magnitude;
    };
    const Case cases[] = {
        {1, -500, 0, 0, 0, -500}, {2, -500, 0, -500, 0, 500}, {2, 300, 400, 300, 400, 500}, {2, 1, 1, 1, 1, 1},
        {1, 10000, 777, 0, 0, 10000}, {2, LONG_MIN, LONG_MIN, LONG_MIN, LONG_MIN, LONG_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.forceAxes << " axes, (" << c.x << ", " << c.y << ")");
        fakedi::Reset();
        const DeviceId wheel = fakedi::AddWheel(c.forceAxes);
        OpenAndAcquire(0);
        fakedi::ClearCalls();

        EXPECT_EQ(SetConstantForce(0, c.x, c.y), DI_OK);

        const std::vector<Call> updates = fakedi::CallsOf(Method::SetParameters, wheel);
        ASSERT_EQ(updates.size(), 1u);
        const Call& update = updates[0];
        EXPECT_EQ(update.flags, static_cast<DWORD>(DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START));
        EXPECT_EQ(update.flags, 0x20000140u);
        const fakedi::EffectArgs& e = update.effect;
        EXPECT_EQ(e.dwSize, 56u);
        EXPECT_EQ(e.dwFlags, static_cast<DWORD>(DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS));
        EXPECT_EQ(e.cAxes, static_cast<DWORD>(c.forceAxes));
        EXPECT_EQ(e.direction[0], c.directionX);
        if (c.forceAxes == 2) {
            EXPECT_EQ(e.direction[1], c.directionY);
        }
        EXPECT_EQ(e.magnitude, c.magnitude);
        EXPECT_EQ(e.typeSpecificSize, 4u);
        EXPECT_FALSE(e.envelopeGiven);
        EXPECT_FALSE(e.axesGiven);
        EXPECT_EQ(e.dwDuration, 0u);
        EXPECT_EQ(e.dwSamplePeriod, 0u);
        EXPECT_EQ(e.dwGain, 0u);
        EXPECT_EQ(e.dwTriggerButton, 0u);
        EXPECT_EQ(e.dwTriggerRepeatInterval, 0u);
        EXPECT_EQ(e.dwStartDelay, 0u);

        const fakedi::Output output = fakedi::ForceOutput(wheel);
        EXPECT_TRUE(output.playing);
        EXPECT_EQ(output.magnitude, c.magnitude);
        EXPECT_EQ(output.direction[0], c.directionX);
        CloseControllers();
    }
}

TEST_F(ControllersTest, SetConstantForceReturnsWhatSetParametersAnswers)
{
    const DeviceId wheel = fakedi::AddWheel(1);
    ASSERT_EQ(OpenControllers(window_), 0);

    // Not acquired yet: DirectInput keeps the parameters and plays nothing.
    EXPECT_EQ(SetConstantForce(0, 1000, 0), DI_DOWNLOADSKIPPED);
    EXPECT_FALSE(fakedi::ForceOutput(wheel).playing);

    fakedi::FailCall(Method::SetParameters, DIERR_INPUTLOST);
    EXPECT_EQ(SetConstantForce(0, 1000, 0), DIERR_INPUTLOST);
}

TEST_F(ControllersTest, StopForceUnacquiresAndTheNextReadAcquiresAgain)
{
    const DeviceId wheel = fakedi::AddWheel(1);
    fakedi::SetState(wheel, SomeReading());
    OpenAndAcquire(0);
    ASSERT_EQ(SetConstantForce(0, -1000, 0), DI_OK);
    ASSERT_TRUE(fakedi::ForceOutput(wheel).playing);
    fakedi::ClearCalls();

    EXPECT_EQ(StopForce(0), 0);
    EXPECT_EQ(MethodsOf(fakedi::Calls()), std::vector<Method>{Method::Unacquire});
    EXPECT_FALSE(fakedi::ForceOutput(wheel).playing);
    EXPECT_FALSE(fakedi::IsAcquired(wheel));

    // The force is still sent (and its result returned) while unacquired; it plays nothing.
    EXPECT_EQ(SetConstantForce(0, 1000, 0), DI_DOWNLOADSKIPPED);
    EXPECT_EQ(fakedi::CallCount(Method::SetParameters), 1);

    DIJOYSTATE2 state = PresetState();
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, PresetState()));
    EXPECT_TRUE(fakedi::IsAcquired(wheel));
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, SomeReading()));
    EXPECT_EQ(fakedi::CallCount(Method::Stop), 0);
}

TEST_F(ControllersTest, AFailedPollLeavesTheStateAsPreparedAndAcquires)
{
    const DeviceId wheel = fakedi::AddWheel(1);
    fakedi::SetState(wheel, SomeReading());
    ASSERT_EQ(OpenControllers(window_), 0);
    fakedi::ClearCalls();

    DIJOYSTATE2 state = PresetState();
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, PresetState()));
    EXPECT_EQ(MethodsOf(fakedi::Calls()), (std::vector<Method>{Method::Poll, Method::Acquire}));
    EXPECT_EQ(fakedi::Calls()[0].result, DIERR_NOTACQUIRED);

    fakedi::ClearCalls();
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, SomeReading()));
    EXPECT_EQ(MethodsOf(fakedi::Calls()), (std::vector<Method>{Method::Poll, Method::GetDeviceState}));
    EXPECT_EQ(fakedi::Calls()[1].stateSize, 272u);
}

TEST_F(ControllersTest, AcquireIsRetriedWhileInputIsLostButOnlyAFewTimesPerRead)
{
    struct Case {
        int lostAnswers;        // Acquire answers DIERR_INPUTLOST this often, then works
        int acquireCalls;       // per read
        bool acquired;
    };
    const Case cases[] = {
        {0, 1, true},
        {1, 2, true},
        {AcquireAttemptsPerRead - 1, AcquireAttemptsPerRead, true},
        {fakedi::Always, AcquireAttemptsPerRead, false},   // a device that never recovers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lostAnswers);
        fakedi::Reset();
        const DeviceId wheel = fakedi::AddWheel(1);
        fakedi::SetState(wheel, SomeReading());
        ASSERT_EQ(OpenControllers(window_), 0);
        fakedi::FailCall(Method::Acquire, DIERR_INPUTLOST, c.lostAnswers, wheel);

        for (int read = 1; read <= 2; ++read) {
            SCOPED_TRACE(read);
            fakedi::ClearCalls();
            DIJOYSTATE2 state = PresetState();
            ReadControllerState(0, &state);
            const bool polled = fakedi::Calls()[0].result == DI_OK;
            if (read == 1 || !c.acquired) {
                EXPECT_FALSE(polled);
                EXPECT_EQ(fakedi::CallCount(Method::Acquire), c.acquireCalls);
                EXPECT_TRUE(SameState(state, PresetState()));
            } else {
                EXPECT_TRUE(polled);
                EXPECT_TRUE(SameState(state, SomeReading()));
            }
        }
        EXPECT_EQ(fakedi::IsAcquired(wheel), c.acquired);
        CloseControllers();
    }
}

TEST_F(ControllersTest, WithoutControllersNothingIsTouched)
{
    ASSERT_EQ(OpenControllers(window_), 0);
    fakedi::ClearCalls();

    EXPECT_EQ(ControllerCount(), 0);
    EXPECT_EQ(ControllerAt(0), nullptr);
    for (int index : {-1, 0}) {
        DIJOYSTATE2 state = PresetState();
        ReadControllerState(index, &state);
        EXPECT_TRUE(SameState(state, PresetState()));
    }
    EXPECT_EQ(SetConstantForce(0, 500, 0), 0);
    EXPECT_EQ(StopForce(-1), 0);
    EXPECT_TRUE(fakedi::Calls().empty());
}

TEST_F(ControllersTest, IndicesOutsideTheTableAreIgnoredSafely)
{
    fakedi::AddWheel(2);
    fakedi::AddController();
    OpenAndAcquire(0);
    ASSERT_EQ(ControllerCount(), 2);
    fakedi::ClearCalls();

    const int indices[] = {-1, -2, INT_MIN, 2, MaxControllers - 1, MaxControllers, MaxControllers + 1, 1000, INT_MAX};
    for (int index : indices) {
        SCOPED_TRACE(index);
        EXPECT_EQ(ControllerAt(index), nullptr);
        DIJOYSTATE2 state = PresetState();
        ReadControllerState(index, &state);
        EXPECT_TRUE(SameState(state, PresetState()));
        EXPECT_EQ(SetConstantForce(index, 10000, 0), 0);
        EXPECT_EQ(StopForce(index), 0);
    }
    EXPECT_TRUE(fakedi::Calls().empty());
}

TEST_F(ControllersTest, TheTableHoldsTheFirstSixteenControllersDirectInputHandsOut)
{
    for (int i = 0; i < 20; ++i)
        AddNamedController(i);
    fakedi::FailCall(Method::CreateDevice, DIERR_DEVICENOTREG, 1, 3);

    ASSERT_EQ(OpenControllers(window_), 0);

    ASSERT_EQ(ControllerCount(), MaxControllers);
    for (int i = 0; i < MaxControllers; ++i) {
        const int device = i < 3 ? i : i + 1;
        EXPECT_STREQ(ControllerAt(i)->InstanceName, ("Controller " + std::to_string(device)).c_str());
        EXPECT_STREQ(ControllerAt(i)->ProductName, ("Product " + std::to_string(device)).c_str());
    }
    // The enumeration stopped after the 16th record: devices 17 to 19 were never asked for.
    EXPECT_EQ(fakedi::CallCount(Method::CreateDevice), 17);
    EXPECT_EQ(fakedi::CallCount(Method::CreateDevice, 17), 0);
}

TEST_F(ControllersTest, ADeviceDirectInputRefusesIsSkippedAndItsRecordReused)
{
    AddNamedController(0);
    AddNamedController(1, fakedi::WheelProductId);
    AddNamedController(2);
    fakedi::FailCall(Method::CreateDevice, E_FAIL, 1, 1);

    ASSERT_EQ(OpenControllers(window_), 0);

    ASSERT_EQ(ControllerCount(), 2);
    EXPECT_STREQ(ControllerAt(0)->InstanceName, "Controller 0");
    EXPECT_STREQ(ControllerAt(1)->InstanceName, "Controller 2");
    EXPECT_EQ(ControllerAt(1)->ProductId, fakedi::OtherProductId);
    EXPECT_EQ(ControllerAt(2), nullptr);
}

TEST_F(ControllersTest, AControllerWithoutForceFeedbackIsReadButGetsNoForce)
{
    const DeviceId pad = fakedi::AddController(fakedi::OtherProductId, 0);
    fakedi::SetState(pad, SomeReading());
    OpenAndAcquire(0);

    EXPECT_EQ(ControllerAt(0)->ForceAxes, 0u);
    EXPECT_EQ(ControllerAt(0)->Effect, nullptr);
    EXPECT_EQ(fakedi::CallCount(Method::CreateEffect), 0);
    EXPECT_EQ(SetConstantForce(0, 500, 0), 0);
    EXPECT_EQ(fakedi::CallCount(Method::SetParameters), 0);

    DIJOYSTATE2 state = PresetState();
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, SomeReading()));
}

TEST_F(ControllersTest, CloseUnacquiresReleasesEffectThenDeviceAndTheDirectInputObjectLast)
{
    const DeviceId wheel = fakedi::AddWheel(2);
    const DeviceId pad = fakedi::AddController();
    OpenAndAcquire(0);
    ASSERT_EQ(SetConstantForce(0, 2000, 0), DI_OK);
    fakedi::ClearCalls();

    CloseControllers();

    struct Expected {
        Method method;
        DeviceId device;
    };
    const Expected expected[] = {
        {Method::Unacquire, wheel},   {Method::ReleaseEffect, wheel}, {Method::ReleaseDevice, wheel},
        {Method::Unacquire, pad},     {Method::ReleaseDevice, pad},   {Method::ReleaseDirectInput, fakedi::AnyDevice},
    };
    const std::vector<Call>& calls = fakedi::Calls();
    ASSERT_EQ(calls.size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i].method, expected[i].method);
        EXPECT_EQ(calls[i].device, expected[i].device);
        EXPECT_EQ(calls[i].references, 0u);
    }
    EXPECT_FALSE(fakedi::ForceOutput(wheel).playing);
    EXPECT_EQ(fakedi::LiveReferences(), 0);
    EXPECT_EQ(ControllerCount(), 0);
    EXPECT_EQ(ControllerAt(0), nullptr);
}

TEST_F(ControllersTest, CloseOnAClosedLayerDoesNothing)
{
    CloseControllers();   // never opened
    fakedi::AddWheel(1);
    ASSERT_EQ(OpenControllers(window_), 0);
    CloseControllers();
    fakedi::ClearCalls();

    CloseControllers();

    EXPECT_TRUE(fakedi::Calls().empty());
    EXPECT_EQ(ControllerCount(), 0);
}

TEST_F(ControllersTest, ReopeningSetsEveryDeviceUpAfresh)
{
    const DeviceId wheel = fakedi::AddWheel(1);
    fakedi::SetState(wheel, SomeReading());
    OpenAndAcquire(0);
    CloseControllers();
    ASSERT_EQ(fakedi::LiveObjects(), 0);   // nothing of the former records survives
    fakedi::ClearCalls();

    ASSERT_EQ(OpenControllers(window_), 0);

    EXPECT_EQ(fakedi::CallCount(Method::DirectInput8Create), 1);
    EXPECT_EQ(fakedi::CallCount(Method::CreateDevice, wheel), 1);
    EXPECT_EQ(fakedi::CallCount(Method::CreateEffect, wheel), 1);
    EXPECT_EQ(fakedi::LiveObjects(), 3);
    ASSERT_EQ(ControllerCount(), 1);
    EXPECT_NE(ControllerAt(0)->Effect, nullptr);
    // A fresh device is not acquired: the first read acquires, the second reads.
    DIJOYSTATE2 state = PresetState();
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, PresetState()));
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, SomeReading()));
}

TEST_F(ControllersTest, FailuresOfCreateAndEnumerateAreReturned)
{
    fakedi::AddWheel(1);
    fakedi::AddController();

    fakedi::FailCall(Method::DirectInput8Create, DIERR_OUTOFMEMORY);
    EXPECT_EQ(OpenControllers(window_), DIERR_OUTOFMEMORY);
    EXPECT_EQ(ControllerCount(), 0);
    EXPECT_EQ(fakedi::CallCount(Method::EnumDevices), 0);
    CloseControllers();

    // Enumeration that fails after it has handed out devices: their records stay and are released
    // by the next close.
    fakedi::Fault late;
    late.method = Method::EnumDevices;
    late.result = DIERR_GENERIC;
    late.afterWork = true;
    fakedi::InjectFault(late);
    EXPECT_EQ(OpenControllers(window_), DIERR_GENERIC);
    EXPECT_EQ(ControllerCount(), 2);
}

TEST_F(ControllersTest, AnUnpluggedWheelIsReadAsNeutralAndComesBackWhenReplugged)
{
    const DeviceId wheel = fakedi::AddWheel(1);
    fakedi::SetState(wheel, SomeReading());
    OpenAndAcquire(0);
    fakedi::Unplug(wheel);
    fakedi::ClearCalls();

    DIJOYSTATE2 state = PresetState();
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, PresetState()));
    EXPECT_EQ(fakedi::CallsOf(Method::Poll)[0].result, DIERR_INPUTLOST);
    ASSERT_EQ(fakedi::CallCount(Method::Acquire), 1);
    EXPECT_EQ(fakedi::CallsOf(Method::Acquire)[0].result, static_cast<HRESULT>(DIERR_UNPLUGGED));

    fakedi::Plug(wheel);
    ReadControllerState(0, &state);
    ReadControllerState(0, &state);
    EXPECT_TRUE(SameState(state, SomeReading()));
}

// Every DirectInput call, failing once or for good, on a table of three controllers: nothing
// crashes and the close leaves no reference behind.
TEST_F(ControllersTest, EveryDirectInputCallMayFailWithoutACrashOrALeak)
{
    for (Method method : fakedi::FallibleMethods()) {
        for (int times : {1, fakedi::Always}) {
            SCOPED_TRACE(::testing::Message() << fakedi::MethodName(method) << (times == 1 ? " once" : " always"));
            fakedi::Reset();
            fakedi::AddWheel(2);
            fakedi::AddController();
            fakedi::AddWheel(1);
            fakedi::FailCall(method, E_FAIL, times);

            const HRESULT opened = OpenControllers(window_);
            if (method == Method::DirectInput8Create || method == Method::EnumDevices)
                EXPECT_EQ(opened, E_FAIL);
            else
                EXPECT_EQ(opened, DI_OK);
            for (int round = 0; round < 3; ++round) {
                for (int index = -1; index <= ControllerCount(); ++index) {
                    DIJOYSTATE2 state = PresetState();
                    ReadControllerState(index, &state);
                    SetConstantForce(index, 3000, 0);
                }
            }
            for (int index = -1; index <= ControllerCount(); ++index)
                EXPECT_EQ(StopForce(index), 0);
            CloseControllers();

            EXPECT_EQ(fakedi::LiveReferences(), 0);
            EXPECT_EQ(fakedi::LiveObjects(), 0);
            EXPECT_EQ(ControllerCount(), 0);
        }
    }
}

}  // namespace
