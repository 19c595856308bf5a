#include "WindowsBootPlatform.h"

namespace jqboot {

namespace {

// An entry looked up by name in an already loaded module, as the function type it has.
template <typename Function>
Function FindEntry(const char* moduleName, const char* entryName)
{
    HMODULE module = GetModuleHandleA(moduleName);
    FARPROC entry = module ? GetProcAddress(module, entryName) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

typedef void(WINAPI* GetNativeSystemInfoEntry)(LPSYSTEM_INFO);

}  // namespace

bool WindowsBootPlatform::ModulePath(TextBuffer& path)
{
    // A result that fills the buffer was cut short (and may lack its terminator).
    DWORD length = GetModuleFileNameA(nullptr, path, TextBufferSize);
    return length > 0 && length < static_cast<DWORD>(TextBufferSize);
}

unsigned long WindowsBootPlatform::Version() { return GetVersion(); }

bool WindowsBootPlatform::FindIsUserAnAdmin()
{
    // shell32.dll is loaded already: the program links ShellExecuteExA from it.
    isUserAnAdmin_ = FindEntry<IsUserAnAdminEntry>("shell32.dll", "IsUserAnAdmin");
    return isUserAnAdmin_ != nullptr;
}

bool WindowsBootPlatform::IsUserAnAdmin() { return isUserAnAdmin_ && isUserAnAdmin_(); }

const char* WindowsBootPlatform::CommandLine() { return GetCommandLineA(); }

unsigned short WindowsBootPlatform::NativeArchitecture()
{
    SYSTEM_INFO info = {};
    // Older systems lack GetNativeSystemInfo; there the running system is the native one.
    auto getNative = FindEntry<GetNativeSystemInfoEntry>("kernel32.dll", "GetNativeSystemInfo");
    if (getNative)
        getNative(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

HWND WindowsBootPlatform::DesktopWindow() { return GetDesktopWindow(); }

HANDLE WindowsBootPlatform::StartProgram(SHELLEXECUTEINFOA& request)
{
    return ShellExecuteExA(&request) ? request.hProcess : nullptr;
}

void WindowsBootPlatform::WaitAndClose(HANDLE process)
{
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}

}  // namespace jqboot
