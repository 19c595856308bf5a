// JqSetup: installs, reinstalls or uninstalls the wheel's driver package, then reports the
// outcome in a message box. It opens no window of its own and ignores its command line.
#include "DriverSetup.h"
#include "WindowsSetupPlatform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    jqsetup::WindowsSetupPlatform platform;
    jqsetup::RunSetup(platform);
    return 0;
}
