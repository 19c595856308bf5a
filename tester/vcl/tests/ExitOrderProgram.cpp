// A program built like the tester: its form is created through the global application object
// and closed from the message loop. At exit the application destroys it, OnDestroy before the
// destructor body, and before the program's own static objects are destroyed (so OnDestroy may
// still use them). The test reads the printed order.
#include <cstdio>

#include "ExtCtrls.h"
#include "Forms.h"

namespace {

void Say(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

// Made before main, like the module-level state of the program's other units.
struct StaticWitness {
    ~StaticWitness() { Say("static object destroyed"); }
} Witness;

struct ExitForm : TForm {
    explicit ExitForm(TComponent* owner) : TForm(owner)
    {
        OnCreate = [](TObject*) { Say("OnCreate"); };
        OnDestroy = [](TObject*) { Say("OnDestroy"); };
        auto* closer = new TTimer(this);
        closer->Interval = 10;
        closer->OnTimer = [this](TObject*) { Close(); };
        ClientWidth = 100;
        ClientHeight = 50;
    }
    ~ExitForm() override { Say("destructor body"); }
};

ExitForm* Form;

}  // namespace

int main()
{
    try {
        Application->Initialize();
        Application->Title = "Exit order";
        Application->CreateForm(Form);
        Application->Run();
        Say("Run returned");
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    return 0;
}
