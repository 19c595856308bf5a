#include "StdCtrls.h"

#include <cctype>

#include "Forms.h"

char AcceleratorOf(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {  // "&&" is a literal ampersand
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

// --- TButton ------------------------------------------------------------------------------------

TButton::TButton(TComponent* Owner) : TWinControl(Owner)
{
    TabStop = true;
    Width.Store(75);
    Height.Store(25);
}

void TButton::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.WindowClass = "BUTTON";
    Params.Style = WS_TABSTOP | (Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    Params.Subclass = true;
}

void TButton::Dispatch(TMessage& Message)
{
    TWinControl::Dispatch(Message);
    // The focused button shows the bold frame of the one Enter presses.
    if (Message.Msg == WM_SETFOCUS)
        SendMessageA(Handle(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    else if (Message.Msg == WM_KILLFOCUS)
        SendMessageA(Handle(), BM_SETSTYLE, Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CommandNotify(WORD code)
{
    if (code == BN_CLICKED)
        Click();
}

void TButton::Click()
{
    if (TForm* form = GetParentForm(this))
        form->ModalResult = ModalResult;
    if (OnClick)
        OnClick(this);
}

bool TButton::CanFocus() const
{
    return HandleAllocated() && Showing() && IsWindowEnabled(ExistingHandle());
}

// --- TLabel -------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* Owner) : TGraphicControl(Owner)
{
    Width.Store(65);
    Height.Store(13);
}

void TLabel::Paint()
{
    HDC dc = Canvas.Handle();
    if (!dc)
        return;
    RECT area{0, 0, Width, Height};
    if (!Transparent) {
        Canvas.Brush.Color = EffectiveColor();
        Canvas.Brush.Style = bsSolid;
        Canvas.FillRect(Rect(0, 0, Width, Height));
    }
    const TFont& font = EffectiveFont();
    ScopedSelect selected(dc, font.Handle());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, ColorToRGB(font.Color));
    DrawTextA(dc, Caption->c_str(), -1, &area, DT_LEFT | DT_TOP | DT_EXPANDTABS);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

// --- TGroupBox ----------------------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* Owner) : TCustomControl(Owner)
{
    Width.Store(185);
    Height.Store(105);
}

void TGroupBox::Paint()
{
    TCustomControl::Paint();
    HDC dc = Canvas.Handle();
    const TFont& font = EffectiveFont();
    ScopedSelect selected(dc, font.Handle());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    // An etched frame whose top edge runs through the middle of the caption's line.
    RECT frame{0, metrics.tmHeight / 2 - 1, Width, Height};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (Caption->empty())
        return;
    RECT text{8, 0, 8, metrics.tmHeight};
    DrawTextA(dc, Caption->c_str(), -1, &text, DT_SINGLELINE | DT_CALCRECT);
    // The caption interrupts the frame: drawn on the box's own colour.
    COLORREF oldBack = SetBkColor(dc, ColorToRGB(EffectiveColor()));
    int oldMode = SetBkMode(dc, OPAQUE);
    COLORREF oldText = SetTextColor(dc, ColorToRGB(font.Color));
    DrawTextA(dc, Caption->c_str(), -1, &text, DT_SINGLELINE);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBack);
}
