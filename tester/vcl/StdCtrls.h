// Buttons, labels and group boxes.
#pragma once

#include "Controls.h"

// A push button. The caption's '&' marks the accelerator letter (Alt+letter presses it).
// A click hands ModalResult to the form, then runs OnClick.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* Owner);

    TModalResult ModalResult = mrNone;
    // Enter presses the Default button when no other button has the focus; Escape presses the
    // Cancel button. Both are off by default.
    bool Default = false;
    bool Cancel = false;
    TNotifyEvent OnClick;

    // Presses the button.
    virtual void Click();
    bool CanFocus() const override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CommandNotify(WORD code) override;
    void Dispatch(TMessage& Message) override;
};

// A line of text. Transparent: only the letters are drawn, over whatever lies beneath.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* Owner);

    Property<bool, TLabel> Transparent{this, &TLabel::Changed, false};

    void Paint() override;

private:
    void Changed() { Invalidate(); }
};

// A captioned frame that holds other controls.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* Owner);

protected:
    void Paint() override;
};

// The letter after a single '&' in a caption, upper-cased, or 0.
char AcceleratorOf(const std::string& caption);
