// Colours, geometry, pens, brushes, fonts and the canvas that components draw with.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "GdiOwners.h"
#include "Property.h"

// A colour: red in the low byte, then green, then blue. Values with the top byte 0xFF name a
// system colour (the low byte is the GetSysColor index), resolved when drawing.
using TColor = int;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;

// The RGB value to draw with: system colours looked up now, others as they are.
COLORREF ColorToRGB(TColor color);

struct TPoint {
    int X;
    int Y;
    bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
    bool operator!=(const TPoint& o) const { return !(*this == o); }
};

struct TRect {
    int Left;
    int Top;
    int Right;
    int Bottom;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect& o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TRect& o) const { return !(*this == o); }
    RECT ToRECT() const { return RECT{Left, Top, Right, Bottom}; }
};

inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect{left, top, right, bottom};
}

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psDot, psClear };

// Pens, brushes and fonts keep the GDI object for their current settings and make a new one
// after a change. OnChange tells the owner (a shape repaints; a canvas's pen needs nothing).
class TGraphicsObject {
public:
    TGraphicsObject() = default;
    virtual ~TGraphicsObject() = default;
    TGraphicsObject(const TGraphicsObject&) = delete;

    std::function<void()> OnChange;

protected:
    void Changed();
    HGDIOBJ CachedHandle() const { return Handle_.Get(); }
    void CacheHandle(HGDIOBJ object) const { Handle_.Reset(object); }

private:
    mutable ScopedGdiObject Handle_;
};

class TPen : public TGraphicsObject {
public:
    TPen& operator=(const TPen& other);  // copies the settings
    void Assign(const TPen& other) { *this = other; }

    Property<TColor, TGraphicsObject> Color{this, &TPen::Changed, clBlack};
    Property<TPenStyle, TGraphicsObject> Style{this, &TPen::Changed, psSolid};
    Property<int, TGraphicsObject> Width{this, &TPen::Changed, 1};

    // The pen for the current settings; owned by this object.
    HPEN Handle() const;
};

class TBrush : public TGraphicsObject {
public:
    TBrush& operator=(const TBrush& other);
    void Assign(const TBrush& other) { *this = other; }

    Property<TColor, TGraphicsObject> Color{this, &TBrush::Changed, clWhite};
    Property<TBrushStyle, TGraphicsObject> Style{this, &TBrush::Changed, bsSolid};

    HBRUSH Handle() const;
};

class TFont : public TGraphicsObject {
public:
    TFont& operator=(const TFont& other);
    void Assign(const TFont& other) { *this = other; }

    Property<std::string, TGraphicsObject> Name{this, &TFont::Changed, "MS Sans Serif"};
    Property<int, TGraphicsObject> Height{this, &TFont::Changed, -11};
    Property<TColor, TGraphicsObject> Color{this, &TFont::Changed, clWindowText};
    Property<int, TGraphicsObject> Charset{this, &TFont::Changed, DEFAULT_CHARSET};

    HFONT Handle() const;
};

class TCanvas;

// Sees every drawing call a canvas makes, with the canvas as it is at the call (so its Pen and
// Brush tell the width, style and colours in effect). Tests install one to check what a paint
// draws; a canvas with an observer and no DC draws nothing else.
class TCanvasObserver {
public:
    virtual ~TCanvasObserver() = default;
    virtual void FillRect(const TCanvas&, const TRect&) {}
    virtual void Ellipse(const TCanvas&, int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {}
    virtual void Rectangle(const TCanvas&, int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {}
    virtual void MoveTo(const TCanvas&, int /*x*/, int /*y*/) {}
    virtual void LineTo(const TCanvas&, int /*x*/, int /*y*/) {}
};

// Draws on the DC it is given for the duration of one paint (Handle() is nullptr otherwise).
class TCanvas {
public:
    TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    // Not owned. Every drawing call is forwarded to it, with or without a DC.
    TCanvasObserver* Observer = nullptr;

    HDC Handle() const { return Dc_; }
    TPoint PenPos() const { return PenPos_; }

    // Fills with the brush, no outline.
    void FillRect(const TRect& rect);
    // Outlined with the pen and filled with the brush, like GDI's Ellipse/Rectangle.
    void Ellipse(int x1, int y1, int x2, int y2);
    void Rectangle(int x1, int y1, int x2, int y2);
    void MoveTo(int x, int y);
    // A line with the pen from the pen position; the end point becomes the pen position.
    void LineTo(int x, int y);

    // Gives the canvas a DC for as long as it lives; the canvas then leaves the DC's selections
    // as it found them.
    class Binding {
    public:
        Binding(TCanvas& canvas, HDC dc) : Canvas_(canvas), Previous_(canvas.Dc_)
        {
            canvas.Dc_ = dc;
        }
        ~Binding() { Canvas_.Dc_ = Previous_; }
        Binding(const Binding&) = delete;
        Binding& operator=(const Binding&) = delete;

    private:
        TCanvas& Canvas_;
        HDC Previous_;
    };

private:
    HDC Dc_ = nullptr;
    TPoint PenPos_{0, 0};
};
