#include "WindowsSetupPlatform.h"

// Documented for LoadLibraryExA; older SDKs leave it out.
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace jqsetup {

namespace {

// An entry looked up by name, as the function type it has.
template <typename Function>
Function FindEntry(HMODULE module, const char* name)
{
    FARPROC entry = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

typedef void(WINAPI* GetNativeSystemInfoEntry)(LPSYSTEM_INFO);
typedef BOOL(WINAPI* AddDllDirectoryEntry)(PCWSTR);

const char* const AdvpackName = "ADVPACK.DLL";

}  // namespace

HWND WindowsSetupPlatform::DesktopWindow() { return GetDesktopWindow(); }

unsigned long WindowsSetupPlatform::Version() { return GetVersion(); }

unsigned short WindowsSetupPlatform::NativeArchitecture()
{
    SYSTEM_INFO info = {};
    // Older systems lack GetNativeSystemInfo; there the running system is the native one.
    auto getNative = FindEntry<GetNativeSystemInfoEntry>(GetModuleHandleA("kernel32.dll"),
                                                         "GetNativeSystemInfo");
    if (getNative)
        getNative(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool WindowsSetupPlatform::ModulePath(TextBuffer& path)
{
    // A result that fills the buffer was cut short (and may lack its terminator).
    DWORD length = GetModuleFileNameA(nullptr, path, TextBufferSize);
    return length > 0 && length < static_cast<DWORD>(TextBufferSize);
}

bool WindowsSetupPlatform::UserValueExists(const char* key, const char* valueName)
{
    HKEY opened = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, key, &opened) != ERROR_SUCCESS)
        return false;
    bool exists =
        RegQueryValueExA(opened, valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(opened);
    return exists;
}

int WindowsSetupPlatform::ShowMessage(HWND owner, const char* text, const char* caption,
                                      unsigned flags)
{
    return MessageBoxA(owner, text, caption, flags);
}

HMODULE WindowsSetupPlatform::LoadAdvpack()
{
    // This program often runs with administrator rights from a downloads folder: a library of
    // the same name planted beside it must never be loaded in place of the system's.
    if (FindEntry<AddDllDirectoryEntry>(GetModuleHandleA("kernel32.dll"), "AddDllDirectory"))
        return LoadLibraryExA(AdvpackName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);

    // Systems without the search flags: the full path in the system folder, with the library's
    // own folder searched first for what it needs in turn.
    char systemFolder[TextBufferSize];
    UINT length = GetSystemDirectoryA(systemFolder, TextBufferSize);
    if (length == 0 || length >= static_cast<UINT>(TextBufferSize))
        return nullptr;
    TextBuffer advpackPath;
    if (!JoinPath(advpackPath, systemFolder, AdvpackName))
        return nullptr;
    return LoadLibraryExA(advpackPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

LaunchInfSectionEntry WindowsSetupPlatform::FindLaunchInfSection(HMODULE advpack)
{
    return FindEntry<LaunchInfSectionEntry>(advpack, "LaunchINFSection");
}

int WindowsSetupPlatform::LaunchInfSection(LaunchInfSectionEntry entry, char* command)
{
    return entry(nullptr, nullptr, command, 0);
}

void WindowsSetupPlatform::FreeAdvpack(HMODULE advpack) { FreeLibrary(advpack); }

HANDLE WindowsSetupPlatform::StartProgram(SHELLEXECUTEINFOA& request)
{
    return ShellExecuteExA(&request) ? request.hProcess : nullptr;
}

void WindowsSetupPlatform::WaitAndClose(HANDLE process)
{
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}

}  // namespace jqsetup
