// The launcher's platform operations over the real Windows calls.
#pragma once

#include "BootPlatform.h"

namespace jqboot {

class WindowsBootPlatform : public BootPlatform
{
public:
    bool ModulePath(TextBuffer& path) override;
    unsigned long Version() override;
    bool FindIsUserAnAdmin() override;
    bool IsUserAnAdmin() override;
    const char* CommandLine() override;
    unsigned short NativeArchitecture() override;
    HWND DesktopWindow() override;
    HANDLE StartProgram(SHELLEXECUTEINFOA& request) override;
    void WaitAndClose(HANDLE process) override;

private:
    typedef BOOL(WINAPI* IsUserAnAdminEntry)();
    IsUserAnAdminEntry isUserAnAdmin_ = nullptr;
};

}  // namespace jqboot
