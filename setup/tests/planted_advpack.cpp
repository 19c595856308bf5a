// A planted "ADVPACK.DLL" for the tests: whoever loads it, it leaves the file
// "advpack-loaded.txt" beside itself, naming the program that loaded it.
#include <windows.h>

#include <cstring>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char marker[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    char* slash = std::strrchr(marker, '\\');
    const char name[] = "\\advpack-loaded.txt";
    if (!slash || (slash - marker) + sizeof name > MAX_PATH)
        return TRUE;
    std::memcpy(slash, name, sizeof name);

    char loader[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, loader, MAX_PATH);
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, loader, static_cast<DWORD>(std::strlen(loader)), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}

// The entry the setup program would look for.
extern "C" __declspec(dllexport) int WINAPI LaunchINFSection(HWND, HINSTANCE, LPSTR, int)
{
    return 0;
}
