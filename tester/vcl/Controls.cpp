#include "Controls.h"

#include <algorithm>
#include <exception>

#include "Forms.h"

const char FormWindowClassName[] = "JqVclForm";

namespace {

const char OwnWindowClass[] = "JqVclControl";

// Child windows get ids of their own, away from IDOK/IDCANCEL, which dialog code treats
// specially.
int NextControlId = 100;

}  // namespace

// --- TControl -----------------------------------------------------------------------------------

TControl::TControl(TComponent* Owner) : TComponent(Owner)
{
    Font.OnChange = [this] { OwnFontChanged(); };
}

TControl::~TControl()
{
    if (InsertedIn_)
        InsertedIn_->RemoveControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    bool changed = Left.Store(ALeft);
    changed = Top.Store(ATop) || changed;
    changed = Width.Store(AWidth) || changed;
    changed = Height.Store(AHeight) || changed;
    if (changed)
        BoundsChanged();
}

const TFont& TControl::EffectiveFont() const
{
    const TControl* control = this;
    while (control->ParentFont && control->Parent)
        control = control->Parent;
    return control->Font;
}

TColor TControl::EffectiveColor() const
{
    const TControl* control = this;
    while (control->ParentColor && control->Parent)
        control = control->Parent;
    return control->Color;
}

bool TControl::Showing() const
{
    for (const TControl* control = this; control; control = control->Parent) {
        if (!control->Visible)
            return false;
    }
    return true;
}

void TControl::ColorChanged()
{
    ParentColor.Store(false);
    Invalidate();
}

void TControl::OwnFontChanged()
{
    ParentFont.Store(false);
    FontChanged();
}

void TControl::ParentChanged()
{
    TWinControl* newParent = Parent;
    if (InsertedIn_ == newParent)
        return;
    if (InsertedIn_)
        InsertedIn_->RemoveControl(this);
    if (newParent)
        newParent->InsertControl(this);
}

// --- TGraphicControl ----------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* Owner) : TControl(Owner) {}

void TGraphicControl::Invalidate()
{
    if (Visible && Parent)
        Parent->InvalidateArea(BoundsRect());
}

void TGraphicControl::BoundsChanged()
{
    if (Visible && Parent) {
        Parent->InvalidateArea(LastBounds_);
        Parent->InvalidateArea(BoundsRect());
    }
    LastBounds_ = BoundsRect();
}

void TGraphicControl::VisibleChanged()
{
    if (Parent)
        Parent->InvalidateArea(BoundsRect());
}

// --- TWinControl --------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* Owner) : TControl(Owner)
{
    Windowed_ = true;
}

TWinControl::~TWinControl()
{
    if (TForm* form = GetParentForm(this)) {
        if (form->ActiveControl == this)
            form->ActiveControl = nullptr;
    }
    // Leave the parent while this object is still whole (its window goes with it).
    Parent = nullptr;
    // Children go first, last given first; each takes itself off the list.
    while (!Controls_.empty())
        Controls_.back()->Free();
    DestroyHandle();
}

HWND TWinControl::Handle()
{
    if (!Window_)
        CreateHandle();
    return Window_;
}

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params.WindowClass = OwnWindowClass;
    Params.Style = WS_CLIPCHILDREN;
    Params.ExStyle = 0;
    Params.Subclass = false;
}

namespace {

void RegisterWindowClass(const char* name, HICON icon, WNDPROC procedure)
{
    WNDCLASSA existing{};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoA(instance, name, &existing))
        return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

}  // namespace

void TWinControl::CreateHandle()
{
    if (Window_)
        return;
    HWND parentWindow = Parent ? Parent->Handle() : nullptr;

    TCreateParams params{};
    CreateParams(params);
    if (!params.Subclass) {
        RegisterWindowClass(OwnWindowClass, nullptr, WindowProc);
        // The program's icon, when the executable has one.
        RegisterWindowClass(FormWindowClassName,
                            LoadIconA(GetModuleHandleA(nullptr), "MAINICON"), WindowProc);
    }
    HMENU id = nullptr;
    if (parentWindow) {
        params.Style |= WS_CHILD | WS_CLIPSIBLINGS;
        if (Visible)
            params.Style |= WS_VISIBLE;
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId++));
    }
    OwnClass_ = !params.Subclass;
    HWND window = CreateWindowExA(params.ExStyle, params.WindowClass, Caption->c_str(),
                                  params.Style, Left, Top, Width, Height, parentWindow, id,
                                  GetModuleHandleA(nullptr), this);
    if (!window) {
        const std::string what = Name.empty() ? std::string("a control") : Name;
        throw Exception("Cannot create the window of " + what + " (error " +
                        std::to_string(GetLastError()) + ")");
    }
    if (params.Subclass) {
        Window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        NativeProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    }
    ApplyFont();
    CreateWnd();
    for (TControl* child : Controls_) {
        if (child->Windowed_)
            static_cast<TWinControl*>(child)->CreateHandle();
    }
}

void TWinControl::DestroyHandle()
{
    // WM_NCDESTROY detaches the window from this object (and the children's from theirs).
    if (Window_)
        DestroyWindow(Window_);
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    if (!window || !IsWindow(window))
        return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return nullptr;
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(WindowProc))
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK TWinControl::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = nullptr;
    if (msg == WM_NCCREATE) {
        // The library's own classes: the object comes with the creation parameters.
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        control = static_cast<TWinControl*>(create->lpCreateParams);
        if (control) {
            control->Window_ = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        }
    } else {
        control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!control)
        return DefWindowProcA(window, msg, wParam, lParam);
    return control->HandleMessage(msg, wParam, lParam);
}

LRESULT TWinControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    HWND window = Window_;
    WNDPROC nativeProc = NativeProc_;
    // Nothing thrown in a handler may unwind into Windows.
    CallGuarded([&] { Dispatch(message); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (nativeProc)
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(nativeProc));
        Window_ = nullptr;
        NativeProc_ = nullptr;
    }
    return message.Result;
}

LRESULT TWinControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message{Msg, WParam, LParam, 0};
    Dispatch(message);
    return message.Result;
}

void TWinControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        if (OwnClass_) {
            ScopedPaint paint(Window_);
            PaintWindow(paint.Dc(), paint.Area());
            return;
        }
        break;
    case WM_PRINTCLIENT:
        if (OwnClass_) {
            HDC dc = reinterpret_cast<HDC>(Message.WParam);
            RECT client{}, clip{}, area{};
            GetClientRect(Window_, &client);
            if (GetClipBox(dc, &clip) == ERROR)
                clip = client;
            if (IntersectRect(&area, &client, &clip))
                PaintWindow(dc, area);
            return;
        }
        break;
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would only flicker.
        if (OwnClass_) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_COMMAND:
        // Notifications of child windows go back to the control they came from.
        if (Message.LParam) {
            TWinControl* child = FromHandle(reinterpret_cast<HWND>(Message.LParam));
            if (child && child != this) {
                child->CommandNotify(HIWORD(Message.WParam));
                return;
            }
        }
        break;
    case WM_SETFOCUS:
        if (Parent) {
            if (TForm* form = GetParentForm(this))
                form->ActiveControl = this;
        }
        break;
    default:
        break;
    }
    DefaultHandler(Message);
}

void TWinControl::DefaultHandler(TMessage& Message)
{
    if (!Window_)
        return;
    if (NativeProc_)
        Message.Result = CallWindowProcA(NativeProc_, Window_, Message.Msg, Message.WParam,
                                         Message.LParam);
    else
        Message.Result = DefWindowProcA(Window_, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::PaintWindow(HDC, const RECT&) {}

void TWinControl::Invalidate()
{
    if (Window_ && !Destroying())
        InvalidateRect(Window_, nullptr, FALSE);
}

void TWinControl::InvalidateArea(const TRect& area)
{
    if (!Window_ || Destroying())
        return;
    RECT rect = area.ToRECT();
    InvalidateRect(Window_, &rect, FALSE);
}

bool TWinControl::Focused() const
{
    return Window_ && GetFocus() == Window_;
}

void TWinControl::SetFocus()
{
    if (HWND window = Handle())
        ::SetFocus(window);
}

bool TWinControl::CanFocus() const
{
    return false;
}

void TWinControl::PaintTo(HDC dc, int X, int Y)
{
    HWND window = Handle();
    ScopedSaveDC saved(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + X, origin.y + Y, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    for (TControl* child : Controls_) {
        if (child->Windowed_ && child->Visible)
            static_cast<TWinControl*>(child)->PaintTo(dc, child->Left, child->Top);
    }
}

void TWinControl::InsertControl(TControl* control)
{
    Controls_.push_back(control);
    control->InsertedIn_ = this;
    if (control->Windowed_) {
        auto* child = static_cast<TWinControl*>(control);
        if (child->Window_) {
            // Moving a window to another parent: make it again under the new one.
            child->DestroyHandle();
        }
        if (Window_)
            child->CreateHandle();
    } else {
        control->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(Controls_.begin(), Controls_.end(), control);
    if (it == Controls_.end())
        return;
    Controls_.erase(it);
    control->InsertedIn_ = nullptr;
    if (control->Windowed_) {
        auto* child = static_cast<TWinControl*>(control);
        child->DestroyHandle();
    } else if (control->Visible) {
        InvalidateArea(control->BoundsRect());
    }
}

void TWinControl::ApplyFont()
{
    // Native controls draw their text with the font they are given; the library's own windows
    // draw with EffectiveFont directly.
    if (Window_ && !OwnClass_)
        SendMessageA(Window_, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont().Handle()), TRUE);
}

void TWinControl::BoundsChanged()
{
    if (Window_)
        SetWindowPos(Window_, nullptr, Left, Top, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::VisibleChanged()
{
    if (Window_)
        ShowWindow(Window_, Visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::CaptionChanged()
{
    if (Window_)
        SetWindowTextA(Window_, Caption->c_str());
    if (OwnClass_)
        Invalidate();
}

void TWinControl::FontChanged()
{
    ApplyFont();
    Invalidate();
    for (TControl* child : Controls_)
        child->ParentFontChangedNotify();
}

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* child : Controls_)
        child->ParentColorChangedNotify();
}

void TWinControl::ParentColorChangedNotify()
{
    if (!ParentColor)
        return;
    Invalidate();
    for (TControl* child : Controls_)
        child->ParentColorChangedNotify();
}

// --- TCustomControl -----------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* Owner) : TWinControl(Owner) {}

void TCustomControl::Paint()
{
    Canvas.Brush.Color = EffectiveColor();
    Canvas.Brush.Style = bsSolid;
    Canvas.FillRect(Rect(0, 0, Width, Height));
}

void TCustomControl::PaintWindow(HDC dc, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    // Only the area asked for is drawn: the buffer covers it, with logical coordinates still
    // those of the client area.
    MemoryBitmap buffer(dc, width, height);
    if (!buffer.Valid())
        return;
    HDC memory = buffer.Dc();
    SetViewportOrgEx(memory, -area.left, -area.top, nullptr);

    // A handler that throws must not leave the picture half drawn nor the DC changed: the rest is
    // still drawn and the first exception goes on afterwards.
    std::exception_ptr failure;
    {
        TCanvas::Binding binding(Canvas, memory);
        try {
            Paint();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    for (TControl* control : Controls_) {
        if (control->Windowed_ || !control->Visible)
            continue;
        auto* graphic = static_cast<TGraphicControl*>(control);
        RECT bounds = graphic->BoundsRect().ToRECT();
        RECT overlap{};
        if (!IntersectRect(&overlap, &bounds, &area) || !RectVisible(dc, &bounds))
            continue;
        ScopedSaveDC saved(memory);
        OffsetViewportOrgEx(memory, bounds.left, bounds.top, nullptr);
        IntersectClipRect(memory, 0, 0, graphic->Width, graphic->Height);
        TCanvas::Binding binding(graphic->Canvas, memory);
        try {
            graphic->Paint();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    BitBlt(dc, area.left, area.top, width, height, memory, area.left, area.top, SRCCOPY);
    if (failure)
        std::rethrow_exception(failure);
}
