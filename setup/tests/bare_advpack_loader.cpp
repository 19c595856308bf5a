// The control for the planted-library test: loads "ADVPACK.DLL" by its bare name, the way that
// lets a planted copy in the program's own folder win.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (HMODULE advpack = LoadLibraryA("ADVPACK.DLL"))
        FreeLibrary(advpack);
    return 0;
}
