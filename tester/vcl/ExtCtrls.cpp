#include "ExtCtrls.h"

#include <algorithm>

#include "Forms.h"

// --- TPanel -------------------------------------------------------------------------------------

TPanel::TPanel(TComponent* Owner) : TCustomControl(Owner)
{
    ParentColor.Store(false);
    Width.Store(185);
    Height.Store(41);
}

void TPanel::Paint()
{
    TCustomControl::Paint();
    RECT frame{0, 0, Width, Height};
    DrawEdge(Canvas.Handle(), &frame, BDR_RAISEDINNER, BF_RECT);
}

// --- TBevel -------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* Owner) : TGraphicControl(Owner)
{
    Width.Store(50);
    Height.Store(50);
}

void TBevel::Paint()
{
    HDC dc = Canvas.Handle();
    if (!dc)
        return;
    RECT frame{0, 0, Width, Height};
    UINT edge;
    if (Shape == bsFrame)
        edge = Style == bsLowered ? EDGE_ETCHED : EDGE_BUMP;
    else
        edge = Style == bsLowered ? BDR_SUNKENINNER : BDR_RAISEDINNER;
    DrawEdge(dc, &frame, edge, BF_RECT);
}

// --- TPaintBox ----------------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* Owner) : TGraphicControl(Owner)
{
    Width.Store(105);
    Height.Store(105);
}

void TPaintBox::Paint()
{
    Canvas.Font = EffectiveFont();
    Canvas.Brush.Color = EffectiveColor();
    if (OnPaint)
        OnPaint(this);
}

// --- TShape -------------------------------------------------------------------------------------

TShape::TShape(TComponent* Owner) : TGraphicControl(Owner)
{
    Width.Store(65);
    Height.Store(65);
    Brush.OnChange = [this] { Invalidate(); };
    Pen.OnChange = [this] { Invalidate(); };
}

void TShape::Paint()
{
    Canvas.Pen = Pen;
    Canvas.Brush = Brush;
    // The outline lies inside the bounds; a circle is the largest that fits, centred.
    int x = Pen.Width / 2;
    int y = x;
    int w = Width - Pen.Width + 1;
    int h = Height - Pen.Width + 1;
    if (Pen.Width == 0) {
        --w;
        --h;
    }
    if (Shape == stCircle) {
        int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
        Canvas.Ellipse(x, y, x + w, y + h);
    } else {
        Canvas.Rectangle(x, y, x + w, y + h);
    }
}

// --- TTimer -------------------------------------------------------------------------------------

namespace {
const char TimerWindowClass[] = "JqVclTimer";
const UINT_PTR TimerId = 1;
}  // namespace

TTimer::TTimer(TComponent* Owner) : TComponent(Owner)
{
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (Window_) {
        KillTimer(Window_, TimerId);
        DestroyWindow(Window_);
    }
}

void TTimer::UpdateTimer()
{
    if (Window_)
        KillTimer(Window_, TimerId);
    if (!Enabled || Interval <= 0)
        return;
    if (!Window_) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA existing{};
        if (!GetClassInfoA(instance, TimerWindowClass, &existing)) {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = WindowProc;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = TimerWindowClass;
            RegisterClassA(&windowClass);
        }
        // A message-only window: never shown, only receives this timer's ticks.
        Window_ = CreateWindowExA(0, TimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
        if (!Window_)
            throw Exception("Cannot create the window of timer " + Name);
        SetWindowLongPtrA(Window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    SetTimer(Window_, TimerId, static_cast<UINT>(Interval.Get()), nullptr);
}

void TTimer::Timer()
{
    CallGuarded([this] {
        if (OnTimer)
            OnTimer(this);
    });
}

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == TimerId) {
        if (auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
            timer->Timer();
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
