// JqFFWTest, the force feedback wheel tester: one dialog that shows the wheel's inputs live and
// plays a force wave on the steering axis when one of buttons 1 to 8 is pressed.
#include <windows.h>

#include "Forms.h"
#include "JqTest.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->Title = "Force Feedback Wheel Tester";
        Application->CreateForm(JQTestDlg);
        Application->Run();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    return 0;
}
