// The launcher's only contact with Windows. WindowsBootPlatform does the real calls; the tests
// put a recording stand-in in its place to see which calls the launcher makes.
#pragma once

#include "BootRules.h"

namespace jqboot {

class BootPlatform
{
public:
    virtual ~BootPlatform() = default;

    // The running program's full path; false when it cannot be had whole.
    virtual bool ModulePath(TextBuffer& path) = 0;
    // The value GetVersion returns.
    virtual unsigned long Version() = 0;
    // Whether the already loaded shell offers IsUserAnAdmin.
    virtual bool FindIsUserAnAdmin() = 0;
    // Calls IsUserAnAdmin; only after FindIsUserAnAdmin said it exists.
    virtual bool IsUserAnAdmin() = 0;
    virtual const char* CommandLine() = 0;
    // wProcessorArchitecture of the native system (of the running one where Windows cannot tell).
    virtual unsigned short NativeArchitecture() = 0;
    virtual HWND DesktopWindow() = 0;
    // ShellExecuteExA; the started process, or null when the start failed.
    virtual HANDLE StartProgram(SHELLEXECUTEINFOA& request) = 0;
    // Waits without a time limit for the process to end, then closes its handle.
    virtual void WaitAndClose(HANDLE process) = 0;
};

}  // namespace jqboot
