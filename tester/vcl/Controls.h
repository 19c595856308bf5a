// Controls: positioned, parented components. Windowed controls (TWinControl) own a window;
// graphic controls (TGraphicControl) have none and are drawn by their parent.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

// The result a button hands to its form (the form is not shown modally here, so it is only kept).
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;

class TWinControl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* Owner);
    ~TControl() override;

    // Position and size in the parent's client area.
    Property<int, TControl> Left{this, &TControl::BoundsChanged, 0};
    Property<int, TControl> Top{this, &TControl::BoundsChanged, 0};
    Property<int, TControl> Width{this, &TControl::BoundsChanged, 0};
    Property<int, TControl> Height{this, &TControl::BoundsChanged, 0};
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Rect(Left, Top, Left + Width, Top + Height); }

    // The windowed control this one lies on. Within one parent, controls are drawn in the order
    // they were given it: later ones over earlier ones. Windowed controls lie over graphic ones.
    Property<TWinControl*, TControl> Parent{this, &TControl::ParentChanged, nullptr};
    void SetParent(TWinControl* AParent) { Parent = AParent; }

    Property<bool, TControl> Visible{this, &TControl::VisibleChanged, true};
    Property<std::string, TControl> Caption{this, &TControl::CaptionChanged};

    // Changing the font or the colour turns ParentFont / ParentColor off, as in the class library.
    TFont Font;
    Property<bool, TControl> ParentFont{this, &TControl::ParentFontChanged, true};
    Property<TColor, TControl> Color{this, &TControl::ColorChanged, clBtnFace};
    Property<bool, TControl> ParentColor{this, &TControl::ParentColorChanged, true};

    // The font and colour the control is drawn with (its parent's when ParentFont/ParentColor).
    const TFont& EffectiveFont() const;
    TColor EffectiveColor() const;

    // Asks for a repaint of the control's area (on its parent for graphic controls).
    virtual void Invalidate() = 0;
    // True when it and all its parents are visible.
    bool Showing() const;

protected:
    virtual void BoundsChanged() = 0;
    virtual void VisibleChanged() = 0;
    virtual void CaptionChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged();
    // Called when the parent's font or colour changes and this control follows it.
    virtual void ParentFontChangedNotify() { if (ParentFont) FontChanged(); }
    virtual void ParentColorChangedNotify() { if (ParentColor) Invalidate(); }

private:
    friend class TWinControl;
    friend class TCustomControl;
    void ParentChanged();
    void ParentFontChanged() { FontChanged(); }
    void ParentColorChanged() { Invalidate(); }
    void OwnFontChanged();

    TWinControl* InsertedIn_ = nullptr;  // the parent whose list holds this control

protected:
    bool Windowed_ = false;  // set by TWinControl; known even while destructors run
};

// A control without a window: its parent draws it, clipped to its bounds, with the canvas
// origin at its top-left corner.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* Owner);

    // Bound to the parent's drawing surface during the control's Paint.
    TCanvas Canvas;

    void Invalidate() override;
    // Draws the control on Canvas. Called by the parent's paint.
    virtual void Paint() = 0;

protected:
    void BoundsChanged() override;
    void VisibleChanged() override;

private:
    TRect LastBounds_{0, 0, 0, 0};
};

// The window class of forms (the library's own procedure, with the program's icon).
extern const char FormWindowClassName[];

// Window creation settings, filled in by CreateParams before the window is made.
struct TCreateParams {
    const char* WindowClass;  // an existing class (a native control) or the library's own
    DWORD Style;
    DWORD ExStyle;
    bool Subclass;            // native control: route its messages through Dispatch first
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* Owner);
    ~TWinControl() override;

    // The window, created on demand (with its parents' windows and its children's).
    HWND Handle();
    bool HandleAllocated() const { return Window_ != nullptr; }
    // The window if it exists, without creating it.
    HWND ExistingHandle() const { return Window_; }

    // Order among the focusable controls of the same parent for Tab.
    int TabOrder = 0;
    // Whether Tab stops here (buttons).
    bool TabStop = false;

    // The message map: every message of the window arrives here packed with Result 0; what is
    // left in Result is the window's answer. The inherited Dispatch does the normal handling.
    virtual void Dispatch(TMessage& Message);
    // Sends a message straight to Dispatch.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    void Invalidate() override;
    // Invalidates part of the client area (no erase).
    void InvalidateArea(const TRect& area);

    // The children, in the order they were given this parent.
    const std::vector<TControl*>& Controls() const { return Controls_; }

    bool Focused() const;
    void SetFocus();
    virtual bool CanFocus() const;

    // Renders this control and its windowed children into `dc` with the top-left at (X, Y),
    // through WM_PRINTCLIENT: what the screen would show.
    void PaintTo(HDC dc, int X, int Y);

    // The library's control behind a window, or nullptr.
    static TWinControl* FromHandle(HWND window);

protected:
    virtual void CreateParams(TCreateParams& Params);
    // Called once the window exists: push the settings that have no style bit.
    virtual void CreateWnd() {}
    void DestroyHandle();

    // Draws the client area (paint routine for WM_PAINT and WM_PRINTCLIENT). Native controls
    // paint themselves; the library's own windows override this.
    virtual void PaintWindow(HDC dc, const RECT& area);
    // The answer when nothing else handles a message: DefWindowProc or the native control's.
    virtual void DefaultHandler(TMessage& Message);
    // A WM_COMMAND notification from this control's window, delivered by its parent.
    virtual void CommandNotify(WORD code) { (void)code; }

    void BoundsChanged() override;
    void VisibleChanged() override;
    void CaptionChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void ParentColorChangedNotify() override;

private:
    friend class TControl;
    friend class TGraphicControl;
    friend class TCustomControl;
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateHandle();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void ApplyFont();

    HWND Window_ = nullptr;
    bool OwnClass_ = false;          // the library's window class: paints through PaintWindow
    WNDPROC NativeProc_ = nullptr;  // the native control's own procedure when subclassed
    std::vector<TControl*> Controls_;
};

// A windowed control of the library's own window class: it paints its whole client area
// (background, its own frame, then its graphic children in order) into a memory bitmap and
// copies that to the screen in one go, so nothing flickers.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* Owner);

    // Bound to the memory bitmap while Paint runs.
    TCanvas Canvas;

protected:
    // Draws background and frame; the graphic children are drawn after it.
    virtual void Paint();
    void PaintWindow(HDC dc, const RECT& area) override;
};
