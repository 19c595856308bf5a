#include "ComCtrls.h"

#include <commctrl.h>

namespace {

void EnsureProgressClass()
{
    static bool done = false;
    if (done)
        return;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    done = true;
}

}  // namespace

TProgressBar::TProgressBar(TComponent* Owner) : TWinControl(Owner)
{
    Width.Store(150);
    Height.Store(16);
}

void TProgressBar::CreateParams(TCreateParams& Params)
{
    EnsureProgressClass();
    TWinControl::CreateParams(Params);
    Params.WindowClass = PROGRESS_CLASSA;
    Params.Style = (Orientation == pbVertical ? PBS_VERTICAL : 0) | (Smooth ? PBS_SMOOTH : 0);
    Params.Subclass = true;
}

void TProgressBar::CreateWnd()
{
    SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(Min.Get()), Max.Get());
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(Position.Get()), 0);
}

void TProgressBar::RangeChanged()
{
    if (HandleAllocated())
        CreateWnd();
}

void TProgressBar::PositionChanged()
{
    if (HandleAllocated())
        SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(Position.Get()), 0);
}

void TProgressBar::StyleChanged()
{
    if (!HandleAllocated())
        return;
    LONG style = GetWindowLongA(Handle(), GWL_STYLE) & ~(PBS_VERTICAL | PBS_SMOOTH);
    style |= (Orientation == pbVertical ? PBS_VERTICAL : 0) | (Smooth ? PBS_SMOOTH : 0);
    SetWindowLongA(Handle(), GWL_STYLE, style);
    Invalidate();
}
