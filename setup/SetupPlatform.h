// The setup program's only contact with Windows. WindowsSetupPlatform does the real calls; the
// tests put a recording stand-in in its place to see which calls the program makes, and in which
// order.
#pragma once

#include "SetupRules.h"

namespace jqsetup {

// ADVPACK's "LaunchINFSection": owner window, instance, command text, show value; 0 is success.
typedef int(WINAPI* LaunchInfSectionEntry)(HWND, HINSTANCE, LPSTR, int);

class SetupPlatform
{
public:
    virtual ~SetupPlatform() = default;

    virtual HWND DesktopWindow() = 0;
    // The value GetVersion returns.
    virtual unsigned long Version() = 0;
    // wProcessorArchitecture of the native system (of the running one where Windows cannot tell).
    virtual unsigned short NativeArchitecture() = 0;
    // The running program's full path; false when it cannot be had whole.
    virtual bool ModulePath(TextBuffer& path) = 0;
    // Whether the value exists under the key of HKEY_CURRENT_USER; its type and data are not read.
    virtual bool UserValueExists(const char* key, const char* valueName) = 0;
    // MessageBoxA; returns the button chosen (0 when the box could not be shown).
    virtual int ShowMessage(HWND owner, const char* text, const char* caption,
                            unsigned flags) = 0;

    // ADVPACK.DLL from the system folder only; null when it cannot be loaded.
    virtual HMODULE LoadAdvpack() = 0;
    virtual LaunchInfSectionEntry FindLaunchInfSection(HMODULE advpack) = 0;
    // Calls the entry with no window, no instance, the command and show value 0.
    virtual int LaunchInfSection(LaunchInfSectionEntry entry, char* command) = 0;
    virtual void FreeAdvpack(HMODULE advpack) = 0;

    // ShellExecuteExA; the started process, or null when the start failed.
    virtual HANDLE StartProgram(SHELLEXECUTEINFOA& request) = 0;
    // Waits without a time limit for the process to end, then closes its handle.
    virtual void WaitAndClose(HANDLE process) = 0;
};

}  // namespace jqsetup
