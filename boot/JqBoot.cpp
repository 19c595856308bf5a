// JqBoot: the kit's entry program. Starts the driver setup program from its own folder, asking
// for administrator rights where needed, or with "/chk64" the driver installer that suits the
// processor, and waits for it. No window, no resources; exits with 0 in every case.
#include "Launcher.h"
#include "WindowsBootPlatform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    jqboot::WindowsBootPlatform platform;
    jqboot::RunLauncher(platform);
    return 0;
}
