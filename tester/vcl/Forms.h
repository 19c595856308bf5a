// Forms and the application object.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <new>
#include <string>

#include "Controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TPosition { poDesigned, poScreenCenter };

// A top-level window. Its window class carries the program's icon resource "MAINICON".
class TForm : public TCustomControl {
public:
    explicit TForm(TComponent* Owner);
    ~TForm() override;

    // bsDialog: fixed dialog frame with caption bar and close box, not resizable.
    Property<TFormBorderStyle, TForm> BorderStyle{this, &TForm::BorderStyleChanged, bsSizeable};
    // poScreenCenter: centred on the screen when first shown (Left/Top are then not used).
    Property<TPosition, TForm> Position{this, &TForm::PositionChanged, poDesigned};
    // The client area's size; Width/Height follow with the frame added.
    Property<int, TForm> ClientWidth{this, &TForm::ClientSizeChanged, 0};
    Property<int, TForm> ClientHeight{this, &TForm::ClientSizeChanged, 0};

    TModalResult ModalResult = mrNone;
    // The control that has (or last had) the focus in this form.
    TWinControl* ActiveControl = nullptr;

    // OnCreate fires after the constructor has finished (AfterConstruction), OnDestroy before the
    // destructor starts (BeforeDestruction).
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    void AfterConstruction() override;
    void BeforeDestruction() override;

    void Dispatch(TMessage& Message) override;

    void Show();
    void Hide();
    // The main form: ends the application (its message loop). Any other form: hides it.
    void Close();

    // Keyboard as in a dialog: Tab/Shift+Tab between the focusable controls, Enter presses the
    // focused button (or the Default one), Escape the Cancel one, Alt+letter the button with that
    // accelerator. True when the message was used. The message loop calls it for every message.
    bool DialogKey(const MSG& msg);

protected:
    void CreateParams(TCreateParams& Params) override;
    void BoundsChanged() override;
    void VisibleChanged() override;

private:
    void BorderStyleChanged();
    void PositionChanged() {}
    void ClientSizeChanged();
    void SelectNext(bool forward);
    void PlaceOnScreen();

    bool Placed_ = false;
};

// The application: owns the forms, runs the message loop and reports exceptions.
class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    // Caption of the application's message boxes.
    Property<std::string, TApplication> Title{this, &TApplication::TitleChanged};

    // Creates a form of type F owned by the application. Reference is set before F's constructor
    // runs and cleared if it throws. The first form created becomes the main form. Then
    // AfterConstruction (OnCreate).
    template <class F>
    void CreateForm(F*& Reference);

    // Shows the main form and runs the message loop until Terminate (the main form's Close).
    void Run();
    // Ends the message loop.
    void Terminate();
    bool Terminated() const { return Terminated_; }
    // Handles every waiting message, then returns.
    void ProcessMessages();

    TForm* MainForm() const { return MainForm_; }

    // Called for an exception caught in the message loop, a window procedure or a timer.
    // Without a handler, the exception is shown with ShowException.
    std::function<void(TObject* Sender, const std::exception& E)> OnException;
    void HandleException(const std::exception& E);
    // An error message box captioned with Title.
    void ShowException(const std::exception& E);

private:
    friend class TForm;
    void TitleChanged() {}
    void Adopt(TForm* form);
    void FormDestroyed(TForm* form);
    void RegisterExitCleanup();
    bool HandleOneMessage(MSG& msg);

    TForm* MainForm_ = nullptr;
    bool Terminated_ = false;
};

// The form a control lies on (walking up its parents), or nullptr.
TForm* GetParentForm(TControl* control);

// The program's application object.
extern TApplication* Application;

// Runs `work` and hands any exception to the application (if there is one); never lets one
// escape. For code called by Windows (window procedures, timers).
void CallGuarded(const std::function<void()>& work);

template <class F>
void TApplication::CreateForm(F*& Reference)
{
    void* memory = ::operator new(sizeof(F));
    Reference = static_cast<F*>(memory);
    F* form;
    try {
        form = new (memory) F(this);
    } catch (...) {
        Reference = nullptr;
        ::operator delete(memory);
        throw;
    }
    Adopt(form);
    form->AfterConstruction();
}
