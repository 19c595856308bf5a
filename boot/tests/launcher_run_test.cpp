// The launcher's run against a recording stand-in for the platform: what it starts, how, and
// whether it waits.
#include "Launcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace jqboot;

namespace {

HWND const Desktop = reinterpret_cast<HWND>(0xD0);
HANDLE const Started = reinterpret_cast<HANDLE>(0x5E);

class RecordingPlatform : public BootPlatform
{
public:
    std::string modulePath = "C:\\Kit\\JqBoot.exe";
    bool modulePathWhole = true;
    unsigned long version = 0x1DB10106;  // 6.1
    bool isUserAnAdminFound = true;
    bool userIsAdmin = true;
    std::string commandLine = "\"C:\\Kit\\JqBoot.exe\"";
    unsigned short architecture = 9;
    bool startSucceeds = true;

    std::vector<std::string> calls;

    bool ModulePath(TextBuffer& path) override
    {
        std::snprintf(path, TextBufferSize, "%s", modulePath.c_str());
        return modulePathWhole;
    }
    unsigned long Version() override { return version; }
    bool FindIsUserAnAdmin() override { return isUserAnAdminFound; }
    bool IsUserAnAdmin() override
    {
        calls.push_back("IsUserAnAdmin");
        return userIsAdmin;
    }
    const char* CommandLine() override { return commandLine.c_str(); }
    unsigned short NativeArchitecture() override
    {
        calls.push_back("NativeArchitecture");
        return architecture;
    }
    HWND DesktopWindow() override { return Desktop; }
    HANDLE StartProgram(SHELLEXECUTEINFOA& request) override
    {
        EXPECT_EQ(request.cbSize, sizeof request);
        EXPECT_EQ(request.fMask, 0x40u);
        EXPECT_EQ(request.hwnd, Desktop);
        EXPECT_EQ(request.lpParameters, nullptr);  // nothing is passed on
        EXPECT_EQ(request.nShow, 10);
        calls.push_back(std::string("StartProgram ") + request.lpVerb + " " + request.lpFile +
                        " in " + (request.lpDirectory ? request.lpDirectory : "(none)"));
        return startSucceeds ? Started : nullptr;
    }
    void WaitAndClose(HANDLE process) override
    {
        EXPECT_EQ(process, Started);
        calls.push_back("WaitAndClose");
    }
};

struct Scenario
{
    const char* name;
    void (*arrange)(RecordingPlatform&);
    std::vector<std::string> calls;
};

}  // namespace

TEST(LauncherRun, StartsAndWaits)
{
    const Scenario scenarios[] = {
        {"Windows 7, no argument: the setup program with runas",
         [](RecordingPlatform&) {},
         {"StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"XP as an administrator: open",
         [](RecordingPlatform& p) { p.version = 0x0A280105; },
         {"IsUserAnAdmin", "StartProgram open C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"XP as a limited user: runas",
         [](RecordingPlatform& p) { p.version = 0x0A280105; p.userIsAdmin = false; },
         {"IsUserAnAdmin", "StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"XP without IsUserAnAdmin: runas, nothing called",
         [](RecordingPlatform& p) { p.version = 0x0A280105; p.isUserAnAdminFound = false; },
         {"StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"5.2 as an administrator: runas, IsUserAnAdmin not consulted",
         [](RecordingPlatform& p) { p.version = 0x0ECE0205; },
         {"StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"/chk64 on x64: the 64-bit installer with open, though elevation is due",
         [](RecordingPlatform& p) { p.commandLine = "JqBoot.exe /chk64"; },
         {"NativeArchitecture", "StartProgram open C:\\Kit\\Trovalin64-enu12.EXE in C:\\Kit",
          "WaitAndClose"}},
        {"/CHK64 with more arguments on x86: the 32-bit installer",
         [](RecordingPlatform& p) { p.commandLine = "JqBoot.exe /CHK64 a b"; p.architecture = 0; },
         {"NativeArchitecture", "StartProgram open C:\\Kit\\Trovalin32-enu12.EXE in C:\\Kit",
          "WaitAndClose"}},
        {"/Chk64 on Itanium: the 32-bit installer",
         [](RecordingPlatform& p) { p.commandLine = "JqBoot.exe /Chk64"; p.architecture = 6; },
         {"NativeArchitecture", "StartProgram open C:\\Kit\\Trovalin32-enu12.EXE in C:\\Kit",
          "WaitAndClose"}},
        {"chk64 without the slash: setup mode",
         [](RecordingPlatform& p) { p.commandLine = "JqBoot.exe chk64"; },
         {"StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"/chk64 as the second argument: setup mode",
         [](RecordingPlatform& p) { p.commandLine = "JqBoot.exe x /chk64"; },
         {"StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit", "WaitAndClose"}},
        {"start fails (missing, or rights declined): no wait",
         [](RecordingPlatform& p) { p.startSucceeds = false; },
         {"StartProgram runas C:\\Kit\\JqSetup.exe in C:\\Kit"}},
        {"program in a drive's root folder",
         [](RecordingPlatform& p) { p.modulePath = "C:\\JqBoot.exe"; },
         {"StartProgram runas C:\\JqSetup.exe in C:", "WaitAndClose"}},
        {"program path not had whole: nothing starts",
         [](RecordingPlatform& p) { p.modulePathWhole = false; },
         {}},
        {"folder too long for the full path: nothing starts",
         [](RecordingPlatform& p) { p.modulePath = "C:\\" + std::string(245, 'k') + "\\B.exe"; },
         {}},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        RecordingPlatform platform;
        scenario.arrange(platform);
        RunLauncher(platform);
        EXPECT_EQ(platform.calls, scenario.calls);
    }
}
