// The test dialog in-process, over a DirectInput of our own: which controller it picks, how it
// follows device changes, what one poll tick shows for a reading, and its shutdown order.
// The ticks are run by hand (no message loop runs here), so every step is deterministic.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Controllers.h"
#include "FakeDirectInput.h"
#include "Forms.h"
#include "InputMapping.h"
#include "JqTest.h"

// Reads the dialog's private state.
struct TJQTestDlgInspector
{
    static int WheelIndex(const TJQTestDlg& d) { return d.WheelIndex; }
    static int WheelPosition(const TJQTestDlg& d) { return d.WheelPosition; }
    static int WaveIndex(const TJQTestDlg& d) { return d.WaveIndex; }
    static int WaveRemaining(const TJQTestDlg& d) { return d.WaveRemaining; }
    static TShape* ButtonShape(const TJQTestDlg& d, int i) { return d.ButtonShapes[i]; }
    static TShape* HatShape(const TJQTestDlg& d, int k) { return d.HatShapes[k]; }
};
using Inspect = TJQTestDlgInspector;

namespace {

// The dialog as the application makes it: constructed, then OnCreate; freed with OnDestroy first.
struct DialogDeleter
{
    void operator()(TJQTestDlg* dialog) const { dialog->Free(); }
};
using Dialog = std::unique_ptr<TJQTestDlg, DialogDeleter>;

Dialog OpenDialog()
{
    Dialog dialog(new TJQTestDlg(nullptr));
    dialog->AfterConstruction();
    return dialog;
}

void Tick(TJQTestDlg& dialog)
{
    dialog.Timer1->Timer();
}

LRESULT SendDeviceChange(TJQTestDlg& dialog, WPARAM event)
{
    // A storage volume's header: what arrived does not matter to the dialog.
    DEV_BROADCAST_HDR header = {};
    header.dbch_size = sizeof header;
    header.dbch_devicetype = DBT_DEVTYP_VOLUME;
    return SendMessageA(dialog.Handle(), WM_DEVICECHANGE, event,
                        reinterpret_cast<LPARAM>(&header));
}

DIJOYSTATE2 Reading(LONG steering, LONG pedals, DWORD hat,
                    std::vector<std::pair<int, BYTE>> buttons = {})
{
    DIJOYSTATE2 state = fakedi::NeutralState();
    state.lX = steering;
    state.lY = pedals;
    state.rgdwPOV[0] = hat;
    for (const auto& button : buttons)
        state.rgbButtons[button.first - 1] = button.second;
    return state;
}

const DWORD Centred = 0xFFFFFFFF;

// Lamps lit, as button numbers 1..12.
std::vector<int> LitButtons(const TJQTestDlg& dialog)
{
    std::vector<int> lit;
    for (int i = 0; i < 12; ++i) {
        const TColor color = Inspect::ButtonShape(dialog, i)->Brush.Color;
        EXPECT_TRUE(color == clRed || color == clMaroon) << "lamp " << i + 1 << " colour " << color;
        if (color == clRed)
            lit.push_back(i + 1);
    }
    return lit;
}

// The hat marks shown, as direction indices 0..7.
std::vector<int> ShownHatMarks(const TJQTestDlg& dialog)
{
    std::vector<int> shown;
    for (int k = 0; k < 8; ++k)
        if (Inspect::HatShape(dialog, k)->Visible)
            shown.push_back(k);
    return shown;
}

void ExpectNeutralDisplay(const TJQTestDlg& dialog)
{
    EXPECT_EQ(Inspect::WheelPosition(dialog), 0);
    EXPECT_EQ(dialog.BrakeProgressBar->Position, 0);
    EXPECT_EQ(dialog.AcceProgressBar->Position, 0);
    EXPECT_EQ(LitButtons(dialog), std::vector<int>{});
    EXPECT_EQ(ShownHatMarks(dialog), std::vector<int>{});
}

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override { fakedi::Reset(); }
    void TearDown() override
    {
        // Every DirectInput object the dialog made is gone with it.
        EXPECT_EQ(fakedi::LiveReferences(), 0);
        fakedi::Reset();
    }
};

TEST_F(DialogTest, ComponentsAreTheFormDescriptions)
{
    Dialog dialog = OpenDialog();
    EXPECT_EQ(dialog->ComponentCount(), 49);
    EXPECT_EQ(dialog->Caption, "Force Feedback Wheel Test");
    EXPECT_EQ(dialog->BorderStyle, bsDialog);
    EXPECT_EQ(dialog->Position, poScreenCenter);
    EXPECT_EQ(dialog->Timer1->Interval, 25);
    EXPECT_TRUE(dialog->Timer1->Enabled);
    EXPECT_EQ(dialog->FFWaveTimer->Interval, 10);
    EXPECT_TRUE(dialog->FFWaveTimer->Enabled);
    EXPECT_EQ(dialog->OkButton->ModalResult, 1);
    EXPECT_EQ(dialog->CancelButton->ModalResult, 2);
    // Escape closes nothing; Enter presses whichever button has the focus.
    EXPECT_FALSE(dialog->OkButton->Default || dialog->OkButton->Cancel);
    EXPECT_FALSE(dialog->CancelButton->Default || dialog->CancelButton->Cancel);

    // Lamp i is button i + 1's; hat mark d is direction d, not the declared order.
    const TShape* buttons[12] = {dialog->Btn1Shape, dialog->Btn2Shape,  dialog->Btn3Shape,
                                 dialog->Btn4Shape, dialog->Btn5Shape,  dialog->Btn6Shape,
                                 dialog->Btn7Shape, dialog->Btn8Shape,  dialog->Btn9Shape,
                                 dialog->Btn10Shape, dialog->Btn11Shape, dialog->Btn12Shape};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(Inspect::ButtonShape(*dialog, i), buttons[i]) << "lamp " << i;
    const TShape* hat[8] = {dialog->P0Shape, dialog->P1Shape, dialog->P2Shape, dialog->P3Shape,
                            dialog->P4Shape, dialog->P5Shape, dialog->P6Shape, dialog->P7Shape};
    for (int d = 0; d < 8; ++d)
        EXPECT_EQ(Inspect::HatShape(*dialog, d), hat[d]) << "direction " << d;
}

// The wheel is the first controller with the wheel's product identifier; nothing else counts.
TEST_F(DialogTest, StartSelectsTheFirstWheel)
{
    const DWORD wheel = fakedi::WheelProductId;
    const DWORD other = fakedi::OtherProductId;
    const struct
    {
        const char* name;
        std::vector<DWORD> controllers; // in enumeration order
        int expectedWheel;
    } cases[] = {
        {"no controller", {}, -1},
        {"another controller only", {other}, -1},
        {"two wheels: the lower index wins", {wheel, wheel}, 0},
        {"the wheel second", {other, wheel}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakedi::Reset();
        // Each controller holds a different button, so the lamps tell which one is read.
        for (size_t i = 0; i < c.controllers.size(); ++i) {
            const fakedi::DeviceId id = fakedi::AddController(c.controllers[i], 1);
            fakedi::SetState(id, Reading(0, 0, Centred, {{9 + static_cast<int>(i), 0x80}}));
        }

        Dialog dialog = OpenDialog();
        EXPECT_EQ(Inspect::WheelIndex(*dialog), c.expectedWheel);
        EXPECT_EQ(Inspect::WaveIndex(*dialog), -1);
        EXPECT_EQ(Inspect::WaveRemaining(*dialog), 0);
        ExpectNeutralDisplay(*dialog);

        // The bars run 0..32767 from the first display on, the window's range included.
        for (TProgressBar* bar : {dialog->BrakeProgressBar, dialog->AcceProgressBar}) {
            EXPECT_EQ(bar->Min, 0);
            EXPECT_EQ(bar->Max, 32767);
            EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETRANGE, TRUE, 0), 0);
            EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETRANGE, FALSE, 0), 32767);
            EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), 0);
        }

        Tick(*dialog); // acquires the wheel: nothing read yet
        ExpectNeutralDisplay(*dialog);
        Tick(*dialog);
        const std::vector<int> expectedLit =
            c.expectedWheel < 0 ? std::vector<int>{} : std::vector<int>{9 + c.expectedWheel};
        EXPECT_EQ(LitButtons(*dialog), expectedLit);

        // Every controller was set up, but only the selected one is ever read.
        for (int i = 0; i < static_cast<int>(c.controllers.size()); ++i) {
            EXPECT_GT(fakedi::CallCount(fakedi::Method::CreateDevice, i), 0) << "controller " << i;
            EXPECT_EQ(fakedi::CallCount(fakedi::Method::GetDeviceState, i) > 0,
                      i == c.expectedWheel)
                << "controller " << i;
        }
    }
}

TEST_F(DialogTest, OnlyArrivalRemovalAndNodeChangesRescan)
{
    const struct
    {
        WPARAM event;
        bool rescans;
    } cases[] = {
        {DBT_DEVNODES_CHANGED, true},        // 0x0007
        {DBT_DEVICEARRIVAL, true},           // 0x8000
        {DBT_DEVICEREMOVECOMPLETE, true},    // 0x8004
        {DBT_DEVICEQUERYREMOVE, false},      // 0x8001
        {DBT_DEVICEQUERYREMOVEFAILED, false},// 0x8002
        {DBT_DEVICEREMOVEPENDING, false},    // 0x8003
        {DBT_DEVICETYPESPECIFIC, false},     // 0x8005
        {DBT_CUSTOMEVENT, false},            // 0x8006
        {DBT_CONFIGCHANGED, false},          // 0x0018
        {0, false},
        {0xFFFFFFFF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "event 0x" << std::hex << c.event);
        fakedi::Reset();
        Dialog dialog = OpenDialog();
        ASSERT_EQ(Inspect::WheelIndex(*dialog), -1);

        fakedi::AddWheel();
        const int opensBefore = fakedi::CallCount(fakedi::Method::DirectInput8Create);
        EXPECT_EQ(SendDeviceChange(*dialog, c.event), 0);
        EXPECT_EQ(fakedi::CallCount(fakedi::Method::DirectInput8Create) - opensBefore,
                  c.rescans ? 1 : 0);
        EXPECT_EQ(Inspect::WheelIndex(*dialog), c.rescans ? 0 : -1);
    }
}

TEST_F(DialogTest, EveryQualifyingMessageRescansAtOnce)
{
    Dialog dialog = OpenDialog();
    const int opensBefore = fakedi::CallCount(fakedi::Method::DirectInput8Create);
    for (int i = 0; i < 3; ++i)
        SendDeviceChange(*dialog, DBT_DEVICEARRIVAL);
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::DirectInput8Create) - opensBefore, 3);
}

// One reading of the wheel and what the next tick shows for it.
TEST_F(DialogTest, PollTickShowsTheReading)
{
    const struct
    {
        const char* name;
        DIJOYSTATE2 reading;
        int brake, accelerator;
        std::vector<int> lit;
        std::vector<int> hatMarks;
        int waveIndex, waveRemaining;
    } cases[] = {
        {"at rest", Reading(0, 0, Centred), 0, 0, {}, {}, -1, 0},
        {"brake touched", Reading(0, 1, Centred), 1, 0, {}, {}, -1, 0},
        {"brake full", Reading(0, 32767, Centred), 32767, 0, {}, {}, -1, 0},
        {"accelerator inside the dead zone", Reading(0, -1, Centred), 0, 0, {}, {}, -1, 0},
        {"accelerator at the dead zone's edge", Reading(0, -300, Centred), 0, 0, {}, {}, -1, 0},
        {"accelerator past the dead zone", Reading(0, -301, Centred), 0, 301, {}, {}, -1, 0},
        {"accelerator full, one past the bar's maximum", Reading(0, -32768, Centred), 0, 32768,
         {}, {}, -1, 0},
        {"hat up", Reading(0, 0, 0), 0, 0, {}, {0}, -1, 0},
        {"hat up-right", Reading(0, 0, 4500), 0, 0, {}, {1}, -1, 0},
        {"hat right", Reading(0, 0, 9000), 0, 0, {}, {2}, -1, 0},
        {"hat down-right", Reading(0, 0, 13500), 0, 0, {}, {3}, -1, 0},
        {"hat down", Reading(0, 0, 18000), 0, 0, {}, {4}, -1, 0},
        {"hat down-left", Reading(0, 0, 22500), 0, 0, {}, {5}, -1, 0},
        {"hat left", Reading(0, 0, 27000), 0, 0, {}, {6}, -1, 0},
        {"hat up-left", Reading(0, 0, 31500), 0, 0, {}, {7}, -1, 0},
        {"hat between directions", Reading(0, 0, 4501), 0, 0, {}, {}, -1, 0},
        {"hat a full turn", Reading(0, 0, 36000), 0, 0, {}, {}, -1, 0},
        {"hat 65535", Reading(0, 0, 65535), 0, 0, {}, {}, -1, 0},
        {"button 1 with the high bit", Reading(0, 0, Centred, {{1, 0x80}}), 0, 0, {1}, {}, 0,
         3000},
        {"button 2 with only the low bit", Reading(0, 0, Centred, {{2, 0x01}}), 0, 0, {2}, {}, 1,
         3000},
        {"buttons 3 and 5: the higher one's wave", Reading(0, 0, Centred, {{3, 0x80}, {5, 0x80}}),
         0, 0, {3, 5}, {}, 4, 3000},
        {"button 8", Reading(0, 0, Centred, {{8, 0xFF}}), 0, 0, {8}, {}, 7, 3000},
        {"button 10 alone: no wave", Reading(0, 0, Centred, {{10, 0x80}}), 0, 0, {10}, {}, -1, 0},
        {"buttons 9 to 12: no wave",
         Reading(0, 0, Centred, {{9, 0x80}, {10, 0x80}, {11, 0x80}, {12, 0x80}}), 0, 0,
         {9, 10, 11, 12}, {}, -1, 0},
        {"everything at once", Reading(-20000, 20000, 27000, {{4, 0x80}, {11, 0x80}}), 20000, 0,
         {4, 11}, {6}, 3, 3000},
    };

    const fakedi::DeviceId wheel = fakedi::AddWheel();
    Dialog dialog = OpenDialog();
    Tick(*dialog); // acquires the wheel
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh, unarmed wave for every case.
        SendDeviceChange(*dialog, DBT_DEVNODES_CHANGED);
        Tick(*dialog);

        fakedi::SetState(wheel, c.reading);
        Tick(*dialog);
        EXPECT_EQ(Inspect::WheelPosition(*dialog), c.reading.lX);
        EXPECT_EQ(dialog->BrakeProgressBar->Position, c.brake);
        EXPECT_EQ(dialog->AcceProgressBar->Position, c.accelerator);
        EXPECT_EQ(LitButtons(*dialog), c.lit);
        EXPECT_EQ(ShownHatMarks(*dialog), c.hatMarks);
        EXPECT_EQ(Inspect::WaveIndex(*dialog), c.waveIndex);
        EXPECT_EQ(Inspect::WaveRemaining(*dialog), c.waveRemaining);
    }
}

TEST_F(DialogTest, ButtonsNineToTwelveLeaveAnArmedWaveAlone)
{
    const fakedi::DeviceId wheel = fakedi::AddWheel();
    Dialog dialog = OpenDialog();
    Tick(*dialog);
    fakedi::SetState(wheel, Reading(0, 0, Centred, {{2, 0x80}}));
    Tick(*dialog);
    fakedi::SetState(wheel, Reading(0, 0, Centred, {{10, 0x80}}));
    Tick(*dialog);
    EXPECT_EQ(LitButtons(*dialog), std::vector<int>{10});
    EXPECT_EQ(Inspect::WaveIndex(*dialog), 1);
    EXPECT_EQ(Inspect::WaveRemaining(*dialog), 3000);
}

// The gauge is asked to repaint only when the steering value changes.
TEST_F(DialogTest, SteeringChangeInvalidatesTheGaugeOnly)
{
    const fakedi::DeviceId wheel = fakedi::AddWheel();
    Dialog dialog = OpenDialog();
    dialog->Show();
    const HWND axisGroup = dialog->AxisGroupBox->Handle();
    Tick(*dialog);

    const struct
    {
        LONG steering;
        bool repaints;
    } steps[] = {{0, false}, {1234, true}, {1234, false}, {-32768, true}, {0, true}, {0, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "steering " << step.steering);
        ValidateRect(axisGroup, nullptr);
        fakedi::SetState(wheel, Reading(step.steering, 0, Centred));
        Tick(*dialog);
        EXPECT_EQ(Inspect::WheelPosition(*dialog), step.steering);
        RECT dirty;
        EXPECT_EQ(GetUpdateRect(axisGroup, &dirty, FALSE) != FALSE, step.repaints);
        if (step.repaints) {
            // The paint box's area, inside the bevel.
            EXPECT_LE(dirty.left, 18);
            EXPECT_LE(dirty.top, 26);
            EXPECT_GE(dirty.right, 143);
            EXPECT_GE(dirty.bottom, 151);
        }
    }
}

// A tick whose read delivers nothing shows no input at all; the next one shows live values.
TEST_F(DialogTest, FailedPollShowsTheNeutralState)
{
    const fakedi::DeviceId wheel = fakedi::AddWheel();
    Dialog dialog = OpenDialog();
    Tick(*dialog);
    const DIJOYSTATE2 live = Reading(5000, -20000, 9000, {{1, 0x80}, {12, 0x80}});
    fakedi::SetState(wheel, live);
    Tick(*dialog);
    ASSERT_EQ(LitButtons(*dialog), (std::vector<int>{1, 12}));
    ASSERT_EQ(Inspect::WaveIndex(*dialog), 0);

    // What the end of a force wave does: the device is unacquired, so the next poll fails and
    // acquires it again instead of reading.
    const int wheelIndex = Inspect::WheelIndex(*dialog);
    StopForce(wheelIndex);
    fakedi::SetState(wheel, Reading(5000, -20000, 9000, {{2, 0x80}}));
    Tick(*dialog);
    ExpectNeutralDisplay(*dialog);
    EXPECT_EQ(Inspect::WaveIndex(*dialog), 0) << "nothing armed by the empty reading";

    Tick(*dialog);
    EXPECT_EQ(Inspect::WheelPosition(*dialog), 5000);
    EXPECT_EQ(dialog->AcceProgressBar->Position, 20000);
    EXPECT_EQ(LitButtons(*dialog), std::vector<int>{2});
    EXPECT_EQ(ShownHatMarks(*dialog), std::vector<int>{2});
}

TEST_F(DialogTest, UnplugDuringAWaveEndsItAndFollowsTheWheels)
{
    const struct
    {
        const char* name;
        int wheels;
        int expectedAfterUnplug;
    } cases[] = {
        {"the only wheel", 1, -1},
        {"the first of two wheels: the other takes over", 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakedi::Reset();
        std::vector<fakedi::DeviceId> wheels;
        for (int i = 0; i < c.wheels; ++i)
            wheels.push_back(fakedi::AddWheel());
        Dialog dialog = OpenDialog();
        Tick(*dialog);
        fakedi::SetState(wheels[0], Reading(3000, 0, Centred, {{3, 0x80}}));
        Tick(*dialog);
        ASSERT_EQ(Inspect::WaveIndex(*dialog), 2);
        ASSERT_EQ(Inspect::WaveRemaining(*dialog), 3000);

        fakedi::Unplug(wheels[0]);
        EXPECT_EQ(SendDeviceChange(*dialog, DBT_DEVICEREMOVECOMPLETE), 0);
        EXPECT_EQ(Inspect::WaveIndex(*dialog), -1);
        EXPECT_EQ(Inspect::WaveRemaining(*dialog), 0);
        EXPECT_EQ(Inspect::WheelPosition(*dialog), 0);
        EXPECT_EQ(Inspect::WheelIndex(*dialog), c.expectedAfterUnplug);
        Tick(*dialog);
        Tick(*dialog);
        ExpectNeutralDisplay(*dialog);

        // Plugged in again, it is picked up by the rescan its arrival sets off.
        fakedi::Plug(wheels[0]);
        EXPECT_EQ(SendDeviceChange(*dialog, DBT_DEVICEARRIVAL), 0);
        EXPECT_EQ(Inspect::WheelIndex(*dialog), 0);
        Tick(*dialog);
        Tick(*dialog);
        EXPECT_EQ(LitButtons(*dialog), std::vector<int>{3});
    }
}

// COM is initialised for the dialog's life, and the controller layer is closed while it still is.
TEST_F(DialogTest, ControllersCloseBeforeComIsUninitialised)
{
    struct ComWatch : fakedi::Observer
    {
        std::vector<bool> comAtRelease;
        void AfterCall(const fakedi::Call& call) override
        {
            if (call.method != fakedi::Method::ReleaseDirectInput)
                return;
            APTTYPE type;
            APTTYPEQUALIFIER qualifier;
            comAtRelease.push_back(SUCCEEDED(CoGetApartmentType(&type, &qualifier)));
        }
    } watch;
    fakedi::SetObserver(&watch);
    fakedi::AddWheel();
    {
        Dialog dialog = OpenDialog();
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        EXPECT_TRUE(SUCCEEDED(CoGetApartmentType(&type, &qualifier)));
        watch.comAtRelease.clear();
    }
    fakedi::SetObserver(nullptr);
    EXPECT_EQ(watch.comAtRelease, std::vector<bool>{true});

    // Initialised once and uninitialised once: the thread is back to no COM.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

TEST_F(DialogTest, UsesTheSubstitutedDirectInput)
{
    Dialog dialog = OpenDialog();
    EXPECT_EQ(GetModuleHandleA("dinput8.dll"), nullptr);
    EXPECT_GT(fakedi::CallCount(fakedi::Method::DirectInput8Create), 0);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
