// The setup program's platform operations over the real Windows calls.
#pragma once

#include "SetupPlatform.h"

namespace jqsetup {

class WindowsSetupPlatform : public SetupPlatform
{
public:
    HWND DesktopWindow() override;
    unsigned long Version() override;
    unsigned short NativeArchitecture() override;
    bool ModulePath(TextBuffer& path) override;
    bool UserValueExists(const char* key, const char* valueName) override;
    int ShowMessage(HWND owner, const char* text, const char* caption, unsigned flags) override;
    HMODULE LoadAdvpack() override;
    LaunchInfSectionEntry FindLaunchInfSection(HMODULE advpack) override;
    int LaunchInfSection(LaunchInfSectionEntry entry, char* command) override;
    void FreeAdvpack(HMODULE advpack) override;
    HANDLE StartProgram(SHELLEXECUTEINFOA& request) override;
    void WaitAndClose(HANDLE process) override;
};

}  // namespace jqsetup
