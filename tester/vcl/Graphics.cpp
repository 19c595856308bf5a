#include "Graphics.h"

COLORREF ColorToRGB(TColor color)
{
    if ((static_cast<unsigned>(color) & 0xFF000000u) == 0xFF000000u)
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0x00FFFFFFu;
}

void TGraphicsObject::Changed()
{
    CacheHandle(nullptr);
    if (OnChange)
        OnChange();
}

TPen& TPen::operator=(const TPen& other)
{
    Color = other.Color;
    Style = other.Style;
    Width = other.Width;
    return *this;
}

HPEN TPen::Handle() const
{
    if (!CachedHandle()) {
        int style = Style == psDot ? PS_DOT : Style == psClear ? PS_NULL : PS_SOLID;
        CacheHandle(CreatePen(style, Width, ColorToRGB(Color)));
    }
    return static_cast<HPEN>(CachedHandle());
}

TBrush& TBrush::operator=(const TBrush& other)
{
    Color = other.Color;
    Style = other.Style;
    return *this;
}

HBRUSH TBrush::Handle() const
{
    if (!CachedHandle()) {
        LOGBRUSH brush{};
        brush.lbStyle = Style == bsClear ? BS_NULL : BS_SOLID;
        brush.lbColor = ColorToRGB(Color);
        CacheHandle(CreateBrushIndirect(&brush));
    }
    return static_cast<HBRUSH>(CachedHandle());
}

TFont& TFont::operator=(const TFont& other)
{
    Name = other.Name;
    Height = other.Height;
    Color = other.Color;
    Charset = other.Charset;
    return *this;
}

HFONT TFont::Handle() const
{
    if (!CachedHandle()) {
        CacheHandle(CreateFontA(Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                static_cast<BYTE>(Charset.Get()), OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                Name->c_str()));
    }
    return static_cast<HFONT>(CachedHandle());
}

namespace {

// The brush also decides what lies between the dots of a dotted line, as in the class library:
// its colour behind, opaque for a solid brush, transparent for a clear one.
class ScopedBackground {
public:
    ScopedBackground(HDC dc, const TBrush& brush)
        : Dc_(dc),
          OldColor_(SetBkColor(dc, ColorToRGB(brush.Color))),
          OldMode_(SetBkMode(dc, brush.Style == bsClear ? TRANSPARENT : OPAQUE))
    {
    }
    ~ScopedBackground()
    {
        SetBkMode(Dc_, OldMode_);
        SetBkColor(Dc_, OldColor_);
    }
    ScopedBackground(const ScopedBackground&) = delete;
    ScopedBackground& operator=(const ScopedBackground&) = delete;

private:
    HDC Dc_;
    COLORREF OldColor_;
    int OldMode_;
};

}  // namespace

void TCanvas::FillRect(const TRect& rect)
{
    if (Observer)
        Observer->FillRect(*this, rect);
    if (!Dc_)
        return;
    RECT area = rect.ToRECT();
    ::FillRect(Dc_, &area, Brush.Handle());
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    if (Observer)
        Observer->Ellipse(*this, x1, y1, x2, y2);
    if (!Dc_)
        return;
    ScopedSelect pen(Dc_, Pen.Handle());
    ScopedSelect brush(Dc_, Brush.Handle());
    ScopedBackground background(Dc_, Brush);
    ::Ellipse(Dc_, x1, y1, x2, y2);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (Observer)
        Observer->Rectangle(*this, x1, y1, x2, y2);
    if (!Dc_)
        return;
    ScopedSelect pen(Dc_, Pen.Handle());
    ScopedSelect brush(Dc_, Brush.Handle());
    ScopedBackground background(Dc_, Brush);
    ::Rectangle(Dc_, x1, y1, x2, y2);
}

void TCanvas::MoveTo(int x, int y)
{
    if (Observer)
        Observer->MoveTo(*this, x, y);
    PenPos_ = Point(x, y);
    if (Dc_)
        MoveToEx(Dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    if (Observer)
        Observer->LineTo(*this, x, y);
    if (Dc_) {
        // The DC's current position is the canvas's: move there first in case something else
        // drew on the DC in between.
        MoveToEx(Dc_, PenPos_.X, PenPos_.Y, nullptr);
        ScopedSelect pen(Dc_, Pen.Handle());
        ScopedBackground background(Dc_, Brush);
        ::LineTo(Dc_, x, y);
    }
    PenPos_ = Point(x, y);
}
