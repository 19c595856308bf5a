#include "Forms.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "StdCtrls.h"

// --- Guarding calls from Windows ----------------------------------------------------------------

void CallGuarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        if (Application)
            Application->HandleException(error);
    } catch (...) {
        if (Application)
            Application->HandleException(Exception("Unknown exception"));
    }
}

TForm* GetParentForm(TControl* control)
{
    while (control && control->Parent)
        control = control->Parent;
    return dynamic_cast<TForm*>(control);
}

// --- TForm --------------------------------------------------------------------------------------

TForm::TForm(TComponent* Owner) : TCustomControl(Owner)
{
    Visible.Store(false);
    ParentColor.Store(false);
    ParentFont.Store(false);
}

TForm::~TForm()
{
    if (auto* application = dynamic_cast<TApplication*>(Owner()))
        application->FormDestroyed(this);
}

namespace {

struct FrameStyle {
    DWORD Style;
    DWORD ExStyle;
};

FrameStyle StyleFor(TFormBorderStyle border)
{
    switch (border) {
    case bsNone:
        return {WS_POPUP, 0};
    case bsSingle:
        return {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0};
    case bsDialog:
        return {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE};
    case bsSizeable:
    default:
        return {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                    WS_MAXIMIZEBOX,
                WS_EX_WINDOWEDGE};
    }
}

// How much wider and taller the window is than its client area.
SIZE FrameExtent(TFormBorderStyle border)
{
    FrameStyle style = StyleFor(border);
    RECT rect{0, 0, 100, 100};
    AdjustWindowRectEx(&rect, style.Style, FALSE, style.ExStyle);
    return SIZE{rect.right - rect.left - 100, rect.bottom - rect.top - 100};
}

}  // namespace

void TForm::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    FrameStyle style = StyleFor(BorderStyle);
    Params.WindowClass = FormWindowClassName;
    Params.Style = style.Style | WS_CLIPCHILDREN;
    Params.ExStyle = style.ExStyle;
}

void TForm::ClientSizeChanged()
{
    SIZE frame = FrameExtent(BorderStyle);
    if (Width.Store(ClientWidth + frame.cx) | Height.Store(ClientHeight + frame.cy))
        TCustomControl::BoundsChanged();
}

void TForm::BoundsChanged()
{
    SIZE frame = FrameExtent(BorderStyle);
    ClientWidth.Store(Width - frame.cx);
    ClientHeight.Store(Height - frame.cy);
    TCustomControl::BoundsChanged();
}

void TForm::BorderStyleChanged()
{
    // The client area keeps its size; the frame around it changes.
    SIZE frame = FrameExtent(BorderStyle);
    Width.Store(ClientWidth + frame.cx);
    Height.Store(ClientHeight + frame.cy);
    if (HandleAllocated()) {
        FrameStyle style = StyleFor(BorderStyle);
        HWND window = ExistingHandle();
        SetWindowLongA(window, GWL_STYLE,
                       static_cast<LONG>(style.Style | WS_CLIPCHILDREN |
                                         (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)));
        SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(style.ExStyle));
        SetWindowPos(window, nullptr, Left, Top, Width, Height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void TForm::PlaceOnScreen()
{
    if (Placed_)
        return;
    Placed_ = true;
    if (Position == poScreenCenter) {
        int left = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2;
        int top = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
        SetBounds(left, top, Width, Height);
    }
}

void TForm::Show()
{
    HWND window = Handle();
    PlaceOnScreen();
    Visible.Store(true);
    ShowWindow(window, SW_SHOWNORMAL);
    // A dialog opens with the focus on its first control in tab order.
    HWND focus = GetFocus();
    if (!focus || (focus != window && !IsChild(window, focus)))
        SetForegroundWindow(window);
    if (!ActiveControl)
        SelectNext(true);
    UpdateWindow(window);
}

void TForm::Hide()
{
    Visible.Store(false);
    if (HandleAllocated())
        ShowWindow(ExistingHandle(), SW_HIDE);
}

void TForm::VisibleChanged()
{
    if (Visible)
        Show();
    else
        Hide();
}

void TForm::Close()
{
    auto* application = dynamic_cast<TApplication*>(Owner());
    if (!application)
        application = Application;
    if (application && application->MainForm() == this)
        application->Terminate();
    else
        Hide();
}

void TForm::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    CallGuarded([this] {
        if (OnCreate)
            OnCreate(this);
    });
}

void TForm::BeforeDestruction()
{
    TCustomControl::BeforeDestruction();
    Hide();
    CallGuarded([this] {
        if (OnDestroy)
            OnDestroy(this);
    });
}

void TForm::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CLOSE:
        // The close box and Alt+F4: the same as calling Close (never a bare DestroyWindow).
        Close();
        return;
    case WM_SETFOCUS:
        // Activation hands the focus back to the control that had it last.
        if (ActiveControl && ActiveControl->CanFocus())
            ActiveControl->SetFocus();
        else
            SelectNext(true);
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

namespace {

// The focusable controls under `parent` in Tab order: by TabOrder within each parent (creation
// order among equals), depth first.
void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& stops)
{
    std::vector<TWinControl*> children;
    for (TControl* control : parent->Controls()) {
        if (auto* child = dynamic_cast<TWinControl*>(control))
            children.push_back(child);
    }
    std::stable_sort(children.begin(), children.end(),
                     [](TWinControl* a, TWinControl* b) { return a->TabOrder < b->TabOrder; });
    for (TWinControl* child : children) {
        if (!child->Showing())
            continue;
        if (child->TabStop && child->CanFocus())
            stops.push_back(child);
        CollectTabStops(child, stops);
    }
}

TButton* FocusedButton()
{
    return dynamic_cast<TButton*>(TWinControl::FromHandle(GetFocus()));
}

// The first button under `parent` that `wanted` picks.
template <class Pick>
TButton* FindButton(TWinControl* parent, Pick wanted)
{
    for (TControl* control : parent->Controls()) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (!windowed || !windowed->Showing())
            continue;
        if (auto* button = dynamic_cast<TButton*>(windowed)) {
            if (button->CanFocus() && wanted(*button))
                return button;
        }
        if (TButton* found = FindButton(windowed, wanted))
            return found;
    }
    return nullptr;
}

}  // namespace

void TForm::SelectNext(bool forward)
{
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    if (stops.empty())
        return;
    TWinControl* current = TWinControl::FromHandle(GetFocus());
    auto it = std::find(stops.begin(), stops.end(), current);
    size_t next;
    if (it == stops.end())
        next = forward ? 0 : stops.size() - 1;
    else if (forward)
        next = (static_cast<size_t>(it - stops.begin()) + 1) % stops.size();
    else
        next = (static_cast<size_t>(it - stops.begin()) + stops.size() - 1) % stops.size();
    stops[next]->SetFocus();
}

bool TForm::DialogKey(const MSG& msg)
{
    if (!HandleAllocated())
        return false;
    HWND window = ExistingHandle();
    if (msg.hwnd != window && !IsChild(window, msg.hwnd))
        return false;

    if (msg.message == WM_KEYDOWN) {
        const bool alt = GetKeyState(VK_MENU) < 0;
        const bool control = GetKeyState(VK_CONTROL) < 0;
        if (alt || control)
            return false;
        switch (msg.wParam) {
        case VK_TAB:
            SelectNext(GetKeyState(VK_SHIFT) >= 0);
            return true;
        case VK_RETURN: {
            TButton* button = FocusedButton();
            if (!button)
                button = FindButton(this, [](TButton& b) { return b.Default; });
            if (!button)
                return false;
            button->Click();
            return true;
        }
        case VK_ESCAPE: {
            TButton* button = FindButton(this, [](TButton& b) { return b.Cancel; });
            if (!button)
                return false;
            button->Click();
            return true;
        }
        default:
            return false;
        }
    }
    if (msg.message == WM_SYSCHAR) {
        char letter = static_cast<char>(std::toupper(static_cast<int>(msg.wParam & 0xFF)));
        auto hasLetter = [letter](TButton& b) {
            return letter != 0 && AcceleratorOf(b.Caption) == letter;
        };
        TButton* button = FindButton(this, hasLetter);
        if (!button)
            return false;
        button->Click();
        return true;
    }
    return false;
}

// --- TApplication -------------------------------------------------------------------------------

namespace {

TApplication TheApplication;

void DestroyApplicationForms()
{
    TheApplication.DestroyComponents();
}

}  // namespace

TApplication* Application = &TheApplication;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication()
{
    DestroyComponents();
    if (Application == this)
        Application = nullptr;
}

void TApplication::Initialize()
{
    RegisterExitCleanup();
}

void TApplication::RegisterExitCleanup()
{
    // The program's forms are destroyed when it exits (OnDestroy, then their destructors), before
    // any other static object of the program goes: registered after all of them were made.
    static bool registered = false;
    if (this != &TheApplication || registered)
        return;
    registered = true;
    std::atexit(DestroyApplicationForms);
}

void TApplication::Adopt(TForm* form)
{
    RegisterExitCleanup();
    if (!MainForm_)
        MainForm_ = form;
}

void TApplication::FormDestroyed(TForm* form)
{
    if (MainForm_ == form)
        MainForm_ = nullptr;
}

void TApplication::Run()
{
    if (!MainForm_)
        return;
    CallGuarded([this] { MainForm_->Show(); });
    while (!Terminated_) {
        MSG msg{};
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            Terminated_ = true;
            break;
        }
        HandleOneMessage(msg);
    }
}

void TApplication::ProcessMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Terminated_ = true;
            break;
        }
        HandleOneMessage(msg);
    }
}

bool TApplication::HandleOneMessage(MSG& msg)
{
    CallGuarded([&msg] {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root))) {
            if (form->DialogKey(msg))
                return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    });
    return true;
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::HandleException(const std::exception& E)
{
    try {
        if (OnException)
            OnException(this, E);
        else
            ShowException(E);
    } catch (...) {
        // Reporting failed; there is nobody left to tell.
    }
}

void TApplication::ShowException(const std::exception& E)
{
    HWND owner = nullptr;
    if (MainForm_ && MainForm_->HandleAllocated() && IsWindowVisible(MainForm_->ExistingHandle()))
        owner = MainForm_->ExistingHandle();
    MessageBoxA(owner, E.what(), Title->c_str(), MB_OK | MB_ICONSTOP);
}
