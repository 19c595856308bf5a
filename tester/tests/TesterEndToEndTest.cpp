// The real JqFFWTest.exe in a fresh folder with the virtual wheel (our dinput8.dll) beside it,
// under Wine: its layout on screen, the wheel's inputs appearing live, plugging and unplugging,
// and every way of closing it. The screen is read back for the graphic controls; every wait polls
// with a timeout.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ScreenImage.h"
#include "UiDriver.h"
#include "VirtualWheelControl.h"

namespace {

using uidriver::Process;
using uidriver::WaitUntil;
using uidriver::TempFolder;

const char DialogCaption[] = "Force Feedback Wheel Test";
const DWORD StartTimeoutMs = 30000;
// Inputs show within a couple of 25 ms poll ticks; the margin is for a loaded machine.
const DWORD InputTimeoutMs = 5000;
const DWORD ExitTimeoutMs = 15000;

// Colours as the screen shows them.
const COLORREF Maroon = RGB(128, 0, 0);
const COLORREF Red = RGB(255, 0, 0);
const COLORREF Gray = RGB(128, 128, 128);
const COLORREF FormColor = RGB(232, 232, 232);
const COLORREF PanelColor = RGB(248, 248, 248);

// Where the graphic controls lie in the dialog's client area: Panel1 at (8, 8), the group boxes
// at (8, 8), (8, 200) and (192, 200) inside it.
const POINT AxisGroupOrigin = {16, 16};
const POINT ButtonGroupOrigin = {16, 208};
const POINT ThumbGroupOrigin = {200, 208};

// A point on lamp n's disc, left of its number label so the white digits do not cover it.
POINT LampPoint(int button)
{
    const int column = (button - 1) % 4, row = (button - 1) / 4;
    return {ButtonGroupOrigin.x + 16 + 40 * column + 3, ButtonGroupOrigin.y + 16 + 40 * row + 10};
}

// The centre of the hat mark for direction d (0 up, clockwise).
POINT HatMarkCentre(int direction)
{
    const POINT topLeft[8] = {{66, 12}, {103, 25}, {114, 58}, {101, 92},
                              {66, 108}, {33, 95},  {18, 58},  {33, 24}};
    return {ThumbGroupOrigin.x + topLeft[direction].x + 10,
            ThumbGroupOrigin.y + topLeft[direction].y + 10};
}

// Inside a bar, near its top (filled only when nearly full) or near its bottom (filled as soon
// as anything shows).
enum Bar { Brake, Accelerator };
POINT BarPoint(Bar bar, bool nearTop)
{
    const int left = bar == Brake ? 206 : 276;
    return {AxisGroupOrigin.x + left + 16, AxisGroupOrigin.y + 28 + (nearTop ? 6 : 121 - 6)};
}

std::string Hex(COLORREF color)
{
    char text[16];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color),
             GetBValue(color));
    return text;
}

// A windowed control as its parent lays it out.
struct Placed
{
    std::string text;
    RECT rect; // in the parent's client area

    bool operator<(const Placed& o) const
    {
        return std::make_pair(rect.top, rect.left) < std::make_pair(o.rect.top, o.rect.left);
    }
};

std::vector<Placed> ChildrenOf(HWND parent)
{
    std::vector<Placed> placed;
    for (const uidriver::Control& child : uidriver::ChildControls(parent)) {
        Placed p{child.text, child.rect};
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&p.rect), 2);
        placed.push_back(p);
    }
    std::sort(placed.begin(), placed.end());
    return placed;
}

HWND ChildWithText(HWND parent, const std::string& text)
{
    for (const uidriver::Control& child : uidriver::ChildControls(parent))
        if (child.text == text)
            return child.window;
    return nullptr;
}

void PressKeys(std::vector<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT down = {};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    std::reverse(keys.begin(), keys.end());
    for (WORD key : keys) {
        INPUT up = {};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string ScreenshotFolder()
{
    char buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("JQ_SCREENSHOT_DIR", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    const std::string folder = uidriver::WindowsPath(buffer);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The tester started from a folder of its own with the virtual wheel beside it. The wheel's
// shared block is opened first, so the tester finds the wheel plugged in and at rest.
class TesterEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wheel_.IsOpen());
        const std::string bin = uidriver::BinFolder();
        ASSERT_TRUE(folder_.CopyIn(bin + "\\JqFFWTest.exe", "JqFFWTest.exe"));
        ASSERT_TRUE(folder_.CopyIn(bin + "\\virtualwheel\\dinput8.dll", "dinput8.dll"));
        log_ = folder_ / "vwheel.log";
        // Our dinput8.dll before Wine's own. Wine reads a child's DLL load order from the
        // registry or its Unix environment, not from the environment block a Windows parent
        // hands it; this prefix is the test's own.
        ASSERT_TRUE(uidriver::SetWineDllOverride("JqFFWTest.exe", "dinput8", "native,builtin"));
        process_ = Process::Start(uidriver::QuoteArgument(folder_ / "JqFFWTest.exe"),
                                  folder_.path(),
                                  {{"JQ_VWHEEL_LOG", log_}});
        ASSERT_TRUE(process_.started());
        const DWORD started = GetTickCount();
        window_ = uidriver::WaitForWindow(DialogCaption, StartTimeoutMs, process_.id());
        ASSERT_NE(window_, nullptr) << "no dialog";
        ASSERT_EQ(wheel_.DllProcess(), process_.id()) << "Wine's own dinput8.dll was loaded";
        // Other programs may share this display: keep the dialog on top for the screen reads.
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_TRUE(WaitUntil([&] { return Pixel(LampPoint(1)) == Maroon; }, StartTimeoutMs))
            << "never painted";
        // For people reading the test's output; not a pass condition.
        RecordProperty("StartToFirstPaintMs", static_cast<int>(GetTickCount() - started));
    }

    COLORREF Pixel(POINT at)
    {
        const ScreenImage image = CaptureClientArea(window_);
        return image.Empty() || at.x >= image.Width || at.y >= image.Height ? CLR_INVALID
                                                                              : image.At(at.x, at.y);
    }

    std::vector<int> LitLamps()
    {
        const ScreenImage image = CaptureClientArea(window_);
        std::vector<int> lit;
        for (int n = 1; n <= 12 && !image.Empty(); ++n) {
            const POINT at = LampPoint(n);
            if (image.At(at.x, at.y) == Red)
                lit.push_back(n);
        }
        return lit;
    }

    std::vector<int> RedHatMarks()
    {
        const ScreenImage image = CaptureClientArea(window_);
        std::vector<int> shown;
        for (int d = 0; d < 8 && !image.Empty(); ++d) {
            const POINT at = HatMarkCentre(d);
            if (image.At(at.x, at.y) == Red)
                shown.push_back(d);
        }
        return shown;
    }

    HWND BarWindow(Bar bar)
    {
        const HWND panel = ChildWithText(window_, "");
        const HWND axis = panel ? ChildWithText(panel, "Axis") : nullptr;
        if (!axis)
            return nullptr;
        std::vector<uidriver::Control> bars = uidriver::ChildControls(axis);
        std::sort(bars.begin(), bars.end(), [](const auto& a, const auto& b) {
            return a.rect.left < b.rect.left;
        });
        return bars.size() == 2 ? bars[bar == Brake ? 0 : 1].window : nullptr;
    }

    LRESULT BarPosition(Bar bar) { return SendMessageA(BarWindow(bar), PBM_GETPOS, 0, 0); }

    void SaveScreenshot(const char* name)
    {
        const std::string folder = ScreenshotFolder();
        if (!folder.empty()) {
            EXPECT_TRUE(SavePng(CaptureClientArea(window_), folder + "\\" + name));
        }
    }

    // The tester has ended by itself with exit code 0, having released every DirectInput object
    // it made.
    void ExpectCleanExit()
    {
        ASSERT_TRUE(process_.Wait(ExitTimeoutMs)) << "still running";
        EXPECT_EQ(process_.ExitCode(), 0u);
        int created[3] = {}, freed[3] = {};
        const char* kinds[3] = {"dinput", "device", "effect"};
        for (const vwheel::LogEntry& entry : vwheel::ReadLog(log_)) {
            for (int k = 0; k < 3; ++k) {
                if (entry.Field("object") != kinds[k])
                    continue;
                if (entry.event == "create" && entry.Number("hr") == 0)
                    ++created[k];
                if (entry.event == "release" && entry.Number("refs") == 0)
                    ++freed[k];
            }
        }
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(kinds[k]);
            EXPECT_EQ(freed[k], created[k]);
        }
        EXPECT_GT(created[0], 0);
        EXPECT_GT(created[1], 0) << "the wheel was never opened";
    }

    vwheel::Control wheel_;
    TempFolder folder_{"jqffwtest"};
    std::string log_;
    Process process_;
    HWND window_ = nullptr;
};

TEST_F(TesterEndToEnd, LaysOutTheDialog)
{
    RECT client;
    ASSERT_TRUE(GetClientRect(window_, &client));
    EXPECT_EQ(client.right, 369);
    EXPECT_EQ(client.bottom, 394);

    // The windowed controls, by parent: Panel1 and the buttons on the form, the group boxes on
    // Panel1, the two bars on the "Axis" group.
    const struct
    {
        const char* parent;
        std::vector<Placed> children; // sorted by top, then left
    } layout[] = {
        {"form",
         {{"", {8, 8, 361, 353}}, {"&Ok", {192, 360, 267, 385}}, {"&Cancel", {280, 360, 355, 385}}}},
        {"Panel1",
         {{"Axis", {8, 8, 345, 193}}, {"Buttons", {8, 200, 185, 337}},
          {"Thumb", {192, 200, 345, 337}}}},
        {"Axis", {{"", {206, 28, 239, 149}}, {"", {276, 28, 309, 149}}}},
        {"Buttons", {}},
        {"Thumb", {}},
    };
    const HWND panel = ChildWithText(window_, "");
    ASSERT_NE(panel, nullptr);
    for (const auto& expected : layout) {
        SCOPED_TRACE(expected.parent);
        const std::string name = expected.parent;
        const HWND parent = name == "form" ? window_ : name == "Panel1" ? panel
                                                                         : ChildWithText(panel, name);
        ASSERT_NE(parent, nullptr);
        const std::vector<Placed> actual = ChildrenOf(parent);
        ASSERT_EQ(actual.size(), expected.children.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            SCOPED_TRACE(expected.children[i].text);
            EXPECT_EQ(actual[i].text, expected.children[i].text);
            EXPECT_TRUE(EqualRect(&actual[i].rect, &expected.children[i].rect))
                << actual[i].rect.left << "," << actual[i].rect.top << "," << actual[i].rect.right
                << "," << actual[i].rect.bottom;
        }
    }

    // The bars: vertical, smooth, 0..32767 and empty from the first display on.
    for (Bar bar : {Brake, Accelerator}) {
        SCOPED_TRACE(bar == Brake ? "brake" : "accelerator");
        const HWND window = BarWindow(bar);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(uidriver::ClassName(window), PROGRESS_CLASSA);
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        EXPECT_EQ(style & (PBS_VERTICAL | PBS_SMOOTH), PBS_VERTICAL | PBS_SMOOTH);
        EXPECT_EQ(SendMessageA(window, PBM_GETRANGE, TRUE, 0), 0);
        EXPECT_EQ(SendMessageA(window, PBM_GETRANGE, FALSE, 0), 32767);
        EXPECT_EQ(SendMessageA(window, PBM_GETPOS, 0, 0), 0);
    }

    // The graphic controls at rest: every lamp maroon, no hat mark, the grey centre dot, both
    // bars empty (alike at top and bottom).
    const ScreenImage image = CaptureClientArea(window_);
    ASSERT_FALSE(image.Empty());
    auto at = [&](POINT p) { return image.At(p.x, p.y); };
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(Hex(at(LampPoint(n))), Hex(Maroon)) << "lamp " << n;
    for (int d = 0; d < 8; ++d)
        EXPECT_NE(Hex(at(HatMarkCentre(d))), Hex(Red)) << "hat mark " << d;
    EXPECT_EQ(Hex(at({ThumbGroupOrigin.x + 76, ThumbGroupOrigin.y + 68})), Hex(Gray));
    EXPECT_EQ(Hex(at({4, 4})), Hex(FormColor));
    EXPECT_EQ(Hex(at({12, 200})), Hex(PanelColor));
    EXPECT_EQ(Hex(at(BarPoint(Brake, true))), Hex(at(BarPoint(Brake, false))));
    EXPECT_EQ(Hex(at(BarPoint(Accelerator, false))), Hex(at(BarPoint(Brake, false))));
    SaveScreenshot("tester-at-rest.png");

    // The application icon: one 48 x 48 image at 32 bits per pixel.
    const HMODULE exe = LoadLibraryExA((folder_ / "JqFFWTest.exe").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    const HICON icon = static_cast<HICON>(LoadImageA(exe, "MAINICON", IMAGE_ICON, 48, 48, 0));
    EXPECT_NE(icon, nullptr);
    if (icon)
        DestroyIcon(icon);
    FreeLibrary(exe);
}

TEST_F(TesterEndToEnd, ShowsTheWheelsInputsLive)
{
    wheel_.SetButton(1, true);
    wheel_.SetButton(6, true);
    wheel_.SetButton(12, true);
    EXPECT_TRUE(WaitUntil([&] { return LitLamps() == std::vector<int>{1, 6, 12}; },
                          InputTimeoutMs));
    wheel_.SetButton(1, false);
    wheel_.SetButton(6, false);
    wheel_.SetButton(12, false);
    EXPECT_TRUE(WaitUntil([&] { return LitLamps().empty(); }, InputTimeoutMs));

    const struct
    {
        DWORD hat;
        std::vector<int> marks;
    } hats[] = {{0, {0}},     {4500, {1}},  {9000, {2}},  {13500, {3}}, {18000, {4}},
                {22500, {5}}, {27000, {6}}, {31500, {7}}, {4501, {}},   {vwheel::Control::Centred, {}}};
    for (const auto& h : hats) {
        SCOPED_TRACE(testing::Message() << "hat " << h.hat);
        wheel_.SetHat(h.hat);
        EXPECT_TRUE(WaitUntil([&] { return RedHatMarks() == h.marks; }, InputTimeoutMs));
    }

    const struct
    {
        const char* name;
        LONG pedals;
        LRESULT brake, accelerator;
        bool brakeTopFilled, accelTopFilled, accelBottomFilled;
    } pedals[] = {
        {"brake full", 32767, 32767, 0, true, false, false},
        {"accelerator in its dead zone", -300, 0, 0, false, false, false},
        {"accelerator half", -16384, 0, 16384, false, false, true},
        {"accelerator full", -32768, 0, 32767, false, true, true},
    };
    for (const auto& p : pedals) {
        SCOPED_TRACE(p.name);
        wheel_.SetPedals(p.pedals);
        EXPECT_TRUE(WaitUntil([&] {
            return BarPosition(Brake) == p.brake && BarPosition(Accelerator) == p.accelerator;
        }, InputTimeoutMs)) << BarPosition(Brake) << " " << BarPosition(Accelerator);
        // An empty bar's colour, from the top of the accelerator at rest or the brake's.
        const ScreenImage image = CaptureClientArea(window_);
        ASSERT_FALSE(image.Empty());
        auto at = [&](POINT q) { return image.At(q.x, q.y); };
        const COLORREF empty = at(BarPoint(p.accelTopFilled ? Brake : Accelerator, true));
        EXPECT_EQ(at(BarPoint(Brake, true)) != empty, p.brakeTopFilled);
        EXPECT_EQ(at(BarPoint(Accelerator, true)) != empty, p.accelTopFilled);
        EXPECT_EQ(at(BarPoint(Accelerator, false)) != empty, p.accelBottomFilled);
    }

    // Everything at once, for people to look at.
    wheel_.SetSteering(16384);
    wheel_.SetPedals(20000);
    wheel_.SetButton(3, true);
    wheel_.SetButton(10, true);
    wheel_.SetHat(9000);
    EXPECT_TRUE(WaitUntil([&] {
        return LitLamps() == std::vector<int>{3, 10} && RedHatMarks() == std::vector<int>{2};
    }, InputTimeoutMs));
    SaveScreenshot("tester-live-input.png");
}

TEST_F(TesterEndToEnd, FollowsUnplugAndPlugWithoutUserAction)
{
    wheel_.SetButton(5, true);
    ASSERT_TRUE(WaitUntil([&] { return LitLamps() == std::vector<int>{5}; }, InputTimeoutMs));

    wheel_.UnplugWheel();
    EXPECT_TRUE(WaitUntil([&] { return LitLamps().empty(); }, InputTimeoutMs));
    SaveScreenshot("tester-unplugged.png");

    wheel_.PlugWheel();
    EXPECT_TRUE(WaitUntil([&] { return LitLamps() == std::vector<int>{5}; }, InputTimeoutMs));

    // Each change came as WM_DEVICECHANGE, which the dialog answered with a rescan.
    int removals = 0, arrivals = 0, dinputs = 0;
    for (const vwheel::LogEntry& entry : vwheel::ReadLog(log_)) {
        removals += entry.event == "devicechange" && entry.Number("wparam") == 0x8004;
        arrivals += entry.event == "devicechange" && entry.Number("wparam") == 0x8000;
        dinputs += entry.event == "create" && entry.Field("object") == "dinput";
    }
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(dinputs, 4) << "FormCreate's open and rescan, then one rescan per change";

    EXPECT_TRUE(uidriver::PressButton(window_, "Ok"));
    ExpectCleanExit();
}

TEST_F(TesterEndToEnd, EscapeDoesNothing)
{
    ASSERT_TRUE(SetForegroundWindow(window_));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window_; }, InputTimeoutMs));
    PressKeys({VK_ESCAPE});
    // Input comes before timer ticks in the message loop: once a button press has been shown,
    // the key has been handled.
    wheel_.SetButton(7, true);
    EXPECT_TRUE(WaitUntil([&] { return LitLamps() == std::vector<int>{7}; }, InputTimeoutMs));
    EXPECT_TRUE(process_.IsRunning());
    EXPECT_TRUE(IsWindowVisible(window_));
    PressKeys({VK_MENU, VK_F4});
    ExpectCleanExit();
}

// Every way of closing the dialog ends the program with 0, its DirectInput objects released.
class TesterClosing : public TesterEndToEnd,
                      public ::testing::WithParamInterface<const char*>
{
};

TEST_P(TesterClosing, EndsTheProgramCleanly)
{
    const std::string how = GetParam();
    if (how == "Ok" || how == "Cancel") {
        ASSERT_TRUE(uidriver::PressButton(window_, how));
    } else if (how == "CloseBox") {
        ASSERT_TRUE(PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0));
    } else {
        ASSERT_TRUE(SetForegroundWindow(window_));
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window_; }, InputTimeoutMs));
        if (how == "AltF4")
            PressKeys({VK_MENU, VK_F4});
        else
            PressKeys({VK_RETURN}); // the focused OK button
    }
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(Every, TesterClosing,
                         ::testing::Values("Ok", "Cancel", "CloseBox", "AltF4", "Enter"));

} // namespace
