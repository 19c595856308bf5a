// Panels, bevels, paint boxes, shapes and timers.
#pragma once

#include "Controls.h"

// A raised panel that holds other controls.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* Owner);

protected:
    void Paint() override;
};

enum TBevelShape { bsBox, bsFrame };
enum TBevelStyle { bsLowered, bsRaised };

// A sunken (or raised) frame or box, drawn by the parent.
class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* Owner);

    Property<TBevelShape, TBevel> Shape{this, &TBevel::Changed, bsBox};
    Property<TBevelStyle, TBevel> Style{this, &TBevel::Changed, bsLowered};

    void Paint() override;

private:
    void Changed() { Invalidate(); }
};

// A blank area that the OnPaint handler draws on Canvas, clipped to the box.
class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* Owner);

    TNotifyEvent OnPaint;

    void Paint() override;
};

enum TShapeType { stRectangle, stCircle };

// A filled, outlined figure. A circle is the largest one that fits the bounds, centred.
class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* Owner);

    TBrush Brush;
    TPen Pen;
    Property<TShapeType, TShape> Shape{this, &TShape::Changed, stRectangle};

    void Paint() override;

private:
    void Changed() { Invalidate(); }
};

// Runs OnTimer every Interval milliseconds while Enabled, from the message loop. The timer lives
// on a hidden window of its own.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* Owner);
    ~TTimer() override;

    Property<int, TTimer> Interval{this, &TTimer::UpdateTimer, 1000};
    Property<bool, TTimer> Enabled{this, &TTimer::UpdateTimer, true};
    TNotifyEvent OnTimer;

    // Runs OnTimer once, as a tick does (exceptions go to the application).
    void Timer();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void UpdateTimer();

    HWND Window_ = nullptr;
};
