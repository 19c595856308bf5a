// The form's life cycle, message map, keyboard, closing, timers, exception handling and
// placement, through the application object as the program uses it.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

using Log = std::vector<std::string>;

// A dialog with two buttons; Cancel is created first but comes second in tab order.
struct Dialog : TForm {
    explicit Dialog(TComponent* owner) : TForm(owner)
    {
        SeenReference = Reference;
        BorderStyle = bsDialog;
        Position = poScreenCenter;
        ClientWidth = 369;
        ClientHeight = 394;
        Caption = "Dialog";
        OnCreate = [](TObject*) { Events.push_back("OnCreate"); };
        OnDestroy = [this](TObject*) {
            Events.push_back(std::string("OnDestroy") +
                             (IsWindowVisible(Handle()) ? " (visible)" : " (hidden)"));
        };
        CancelButton = MakeButton("&Cancel", 280, mrCancel, 1);
        OkButton = MakeButton("&Ok", 192, mrOk, 0);
        Handle();
        Events.push_back("constructor body");
        if (ThrowInConstructor)
            throw Exception("cannot build");
    }
    ~Dialog() override { Events.push_back("destructor body"); }

    TButton* MakeButton(const char* caption, int left, TModalResult result, int tabOrder)
    {
        auto* button = new TButton(this);
        button->Parent = this;
        button->SetBounds(left, 360, 75, 25);
        button->Caption = caption;
        button->ModalResult = result;
        button->TabOrder = tabOrder;
        button->OnClick = [this, caption](TObject*) {
            Events.push_back(std::string("click ") + caption);
            if (OnButton)
                OnButton();
        };
        return button;
    }

    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_APP + 1) {
            message.Result = 42;
            return;
        }
        if (message.Msg == WM_DEVICECHANGE) {
            Events.push_back("device change " + std::to_string(message.WParam));
            return;  // handled here only; no result written
        }
        TForm::Dispatch(message);
    }

    TButton* OkButton;
    TButton* CancelButton;
    std::function<void()> OnButton;
    Dialog* SeenReference;

    static Log Events;
    static Dialog* Reference;
    static bool ThrowInConstructor;
};

Log Dialog::Events;
Dialog* Dialog::Reference = nullptr;
bool Dialog::ThrowInConstructor = false;

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dialog::Events.clear();
        Dialog::ThrowInConstructor = false;
        Dialog::Reference = nullptr;
    }

    Dialog* Create()
    {
        app->CreateForm(Dialog::Reference);
        return Dialog::Reference;
    }

    void PostToFocus(UINT msg, WPARAM wParam, LPARAM lParam = 0)
    {
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr);
        PostMessageA(focus, msg, wParam, lParam);
        PumpUntil([] { return false; }, 30);
    }

    TestApplication app;
};

TEST_F(FormTest, CreateFormOrderOfEventsAndMainForm)
{
    Dialog* dialog = Create();
    EXPECT_EQ(dialog->SeenReference, dialog) << "reference set before the constructor runs";
    EXPECT_EQ(app->MainForm(), dialog);
    EXPECT_EQ(Dialog::Events, (Log{"constructor body", "OnCreate"}));

    Dialog* first = dialog;
    Create();
    EXPECT_EQ(app->MainForm(), first) << "only the first form becomes the main form";

    Dialog::Events.clear();
    first->Free();
    EXPECT_EQ(Dialog::Events, (Log{"OnDestroy (hidden)", "destructor body"}));
    EXPECT_EQ(app->MainForm(), nullptr);
}

TEST_F(FormTest, FailedConstructionClearsTheReference)
{
    Dialog::ThrowInConstructor = true;
    EXPECT_THROW(Create(), Exception);
    EXPECT_EQ(Dialog::Reference, nullptr);
    EXPECT_EQ(app->MainForm(), nullptr);
    EXPECT_EQ(app->ComponentCount(), 0);
    EXPECT_EQ(Dialog::Events, (Log{"constructor body"})) << "no OnCreate, no OnDestroy";
}

TEST_F(FormTest, ApplicationDestroysItsFormsWithOnDestroyFirst)
{
    {
        TestApplication local;
        local->CreateForm(Dialog::Reference);
        Dialog::Events.clear();
    }
    EXPECT_EQ(Dialog::Events, (Log{"OnDestroy (hidden)", "destructor body"}));
}

TEST_F(FormTest, DispatchIsTheMessageMap)
{
    Dialog* dialog = Create();
    HWND window = dialog->Handle();
    EXPECT_EQ(SendMessageA(window, WM_APP + 1, 0, 0), 42) << "the override's Result is the answer";
    EXPECT_EQ(SendMessageA(window, WM_DEVICECHANGE, 0x8000, 0), 0);
    EXPECT_EQ(Dialog::Events.back(), "device change 32768");
    char text[32] = {};
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Dialog") << "other messages get the normal handling";
    EXPECT_EQ(dialog->Perform(WM_APP + 1), 42);
}

TEST_F(FormTest, ClientSizeFrameAndScreenCentre)
{
    Dialog* dialog = Create();
    dialog->Show();
    HWND window = dialog->Handle();
    RECT client{}, frame{};
    GetClientRect(window, &client);
    GetWindowRect(window, &frame);
    EXPECT_EQ(client.right, 369);
    EXPECT_EQ(client.bottom, 394);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU) << "caption and close box";
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0) << "not resizable";
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}

TEST_F(FormTest, WindowClassCarriesTheProgramIcon)
{
    Dialog* dialog = Create();
    HICON classIcon = reinterpret_cast<HICON>(GetClassLongPtrA(dialog->Handle(), GCLP_HICON));
    EXPECT_NE(classIcon, nullptr);
    EXPECT_EQ(classIcon, LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
}

TEST_F(FormTest, EveryWayOfClosingEndsTheLoop)
{
    struct Case {
        const char* what;
        std::function<void(Dialog*)> close;  // run from the first tick inside the loop
        const char* click;                    // the button pressed on the way, if any
    };
    const Case cases[] = {
        {"Close", [](Dialog* d) { d->Close(); }, nullptr},
        {"WM_CLOSE", [](Dialog* d) { PostMessageA(d->Handle(), WM_CLOSE, 0, 0); }, nullptr},
        {"close box", [](Dialog* d) { PostMessageA(d->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, nullptr},
        {"Alt+F4", [](Dialog*) { PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, 1 << 29); }, nullptr},
        {"OK button", [](Dialog* d) { PostMessageA(d->OkButton->Handle(), BM_CLICK, 0, 0); }, "click &Ok"},
        {"Enter on the focused button", [](Dialog*) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); },
         "click &Ok"},
        {"Alt+C", [](Dialog*) { PostMessageA(GetFocus(), WM_SYSCHAR, 'c', 1 << 29); }, "click &Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestApplication local;
        Dialog::Events.clear();
        local->CreateForm(Dialog::Reference);
        Dialog* dialog = Dialog::Reference;
        dialog->OnButton = [dialog] { dialog->Close(); };
        TTimer trigger(nullptr);
        trigger.Interval = 50;
        trigger.OnTimer = [&](TObject*) {
            trigger.Enabled = false;
            c.close(dialog);
        };
        bool timedOut = false;
        TTimer watchdog(nullptr);
        watchdog.Interval = 5000;
        watchdog.OnTimer = [&](TObject*) {
            timedOut = true;
            local->Terminate();
        };
        local->Run();
        EXPECT_FALSE(timedOut);
        EXPECT_TRUE(local->Terminated());
        if (c.click) {
            const Log& events = Dialog::Events;
            EXPECT_NE(std::find(events.begin(), events.end(), c.click), events.end());
        }
        EXPECT_TRUE(local.Exceptions.empty());
    }
}

TEST_F(FormTest, KeyboardAsInADialog)
{
    Dialog* dialog = Create();
    dialog->Show();
    ASSERT_TRUE(PumpUntil([&] { return dialog->OkButton->Focused(); }, 2000))
        << "the first button in tab order has the focus";

    PostToFocus(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(dialog->CancelButton->Focused()) << "Tab";
    PostToFocus(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(dialog->OkButton->Focused()) << "Tab wraps round";

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    PostToFocus(WM_KEYDOWN, VK_TAB);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_TRUE(dialog->CancelButton->Focused()) << "Shift+Tab";

    Dialog::Events.clear();
    PostToFocus(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(Dialog::Events, (Log{"click &Cancel"})) << "Enter presses the focused button";
    EXPECT_EQ(dialog->ModalResult, mrCancel) << "the button's ModalResult goes to the form";

    Dialog::Events.clear();
    PostToFocus(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_TRUE(Dialog::Events.empty()) << "Escape does nothing";

    PostToFocus(WM_SYSCHAR, 'o', 1 << 29);
    EXPECT_EQ(Dialog::Events, (Log{"click &Ok"})) << "Alt+O";
    EXPECT_EQ(dialog->ModalResult, mrOk);
    EXPECT_FALSE(app->Terminated());
}

TEST_F(FormTest, TimerFiresUntilDisabled)
{
    TTimer timer(nullptr);
    int ticks = 0;
    timer.Interval = 20;
    EXPECT_EQ(timer.Interval, 20);
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    };
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
    timer.Enabled = false;
    const int stopped = ticks;
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(FormTest, ExceptionsInHandlersAreCaughtAndReported)
{
    Dialog* dialog = Create();
    dialog->OnButton = [] { throw Exception("click failed"); };
    SendMessageA(dialog->OkButton->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(app.Exceptions, (Log{"click failed"})) << "from a window procedure";

    TTimer timer(dialog);
    timer.Interval = 10;
    timer.OnTimer = [&](TObject*) {
        timer.Enabled = false;
        throw std::runtime_error("tick failed");
    };
    EXPECT_TRUE(PumpUntil([&] { return app.Exceptions.size() == 2; }, 3000));
    EXPECT_EQ(app.Exceptions.back(), "tick failed") << "from a timer";

    dialog->OnButton = [] { throw 7; };
    EXPECT_ANY_THROW(dialog->OkButton->Click()) << "called directly, the caller sees it";
    ASSERT_EQ(app.Exceptions.size(), 2u);
    SendMessageA(dialog->OkButton->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(app.Exceptions.back(), "Unknown exception") << "not even a std::exception escapes";
}

}  // namespace
