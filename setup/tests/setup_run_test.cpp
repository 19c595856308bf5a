// The setup program's run against a recording stand-in for the platform: which Windows calls it
// makes, in which order, with which texts.
#include "DriverSetup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace jqsetup;

namespace {

HWND const Desktop = reinterpret_cast<HWND>(0xD0);
HMODULE const Advpack = reinterpret_cast<HMODULE>(0xAD0000);
HANDLE const Installer = reinterpret_cast<HANDLE>(0x1E);

int WINAPI NeverCalled(HWND, HINSTANCE, LPSTR, int)
{
    ADD_FAILURE() << "the entry is called through the platform only";
    return -1;
}

// Plays the system with scripted outcomes and writes down every call that matters, one line per
// call.
class RecordingPlatform : public SetupPlatform
{
public:
    unsigned long version = 0x1DB10106;  // 6.1
    unsigned short architecture = 0;     // x86
    std::string modulePath = "C:\\Kit\\JqSetup.exe";
    bool modulePathWhole = true;
    bool valueExists = false;
    int answer = IDYES;
    bool advpackLoads = true;
    bool entryFound = true;
    int infResult = 0;
    bool installerStarts = true;

    std::vector<std::string> calls;

    HWND DesktopWindow() override { return Desktop; }
    unsigned long Version() override { return version; }
    unsigned short NativeArchitecture() override { return architecture; }
    bool ModulePath(TextBuffer& path) override
    {
        std::snprintf(path, TextBufferSize, "%s", modulePath.c_str());
        return modulePathWhole;
    }
    bool UserValueExists(const char* key, const char* valueName) override
    {
        calls.push_back(std::string("UserValueExists ") + key + " " + valueName);
        return valueExists;
    }
    int ShowMessage(HWND owner, const char* text, const char* caption, unsigned flags) override
    {
        // Every box belongs to the desktop window and carries the program's caption.
        EXPECT_EQ(owner, Desktop);
        EXPECT_STREQ(caption, "Force feedback wheel");
        char line[300];
        std::snprintf(line, sizeof line, "ShowMessage 0x%02X %s", flags, text);
        calls.push_back(line);
        return flags == 0x44 ? answer : IDOK;
    }
    HMODULE LoadAdvpack() override
    {
        calls.push_back("LoadAdvpack");
        return advpackLoads ? Advpack : nullptr;
    }
    LaunchInfSectionEntry FindLaunchInfSection(HMODULE advpack) override
    {
        EXPECT_EQ(advpack, Advpack);
        calls.push_back("FindLaunchInfSection");
        return entryFound ? NeverCalled : nullptr;
    }
    int LaunchInfSection(LaunchInfSectionEntry entry, char* command) override
    {
        EXPECT_EQ(entry, NeverCalled);
        calls.push_back(std::string("LaunchInfSection ") + command);
        return infResult;
    }
    void FreeAdvpack(HMODULE advpack) override
    {
        EXPECT_EQ(advpack, Advpack);
        calls.push_back("FreeAdvpack");
    }
    HANDLE StartProgram(SHELLEXECUTEINFOA& request) override
    {
        EXPECT_EQ(request.cbSize, sizeof request);
        EXPECT_EQ(request.fMask, 0x40u);
        EXPECT_EQ(request.hwnd, Desktop);
        EXPECT_STREQ(request.lpVerb, "open");
        EXPECT_EQ(request.nShow, 10);
        calls.push_back(std::string("StartProgram ") + request.lpFile + " [" +
                        (request.lpParameters ? request.lpParameters : "(none)") + "] in " +
                        (request.lpDirectory ? request.lpDirectory : "(none)"));
        return installerStarts ? Installer : nullptr;
    }
    void WaitAndClose(HANDLE process) override
    {
        EXPECT_EQ(process, Installer);
        calls.push_back("WaitAndClose");
    }
};

const std::string Detect =
    "UserValueExists Software\\Quorvik\\Vantrel\\DriverSettings\\VID_7D2E&PID_0003 "
    "DamperStrength";
const std::string Question =
    "ShowMessage 0x44 Driver is installed, press 'Yes' to reinstall or 'No' to uninstall";
const std::string InstallInf = "LaunchInfSection C:\\Kit\\SetupInf.txt,DefaultInstall,,1";
const std::string UninstallInf = "LaunchInfSection C:\\Kit\\SetupInf.txt,DefaultUninstall,,1";
const std::string InstallDPInst =
    "StartProgram C:\\Kit\\DPInst.exe [ /f /lm /l 0x0409 ] in C:\\Kit";
const std::string UninstallDPInst =
    "StartProgram C:\\Kit\\DPInst.exe [ /u Driver.inf /d /q /l 0x0409 ] in C:\\Kit";

struct Scenario
{
    const char* name;
    void (*arrange)(RecordingPlatform&);
    std::vector<std::string> calls;
};

}  // namespace

TEST(SetupRun, CallsInOrder)
{
    const Scenario scenarios[] = {
        {"no driver: install without a question",
         [](RecordingPlatform&) {},
         {Detect, "LoadAdvpack", "FindLaunchInfSection", InstallInf, "FreeAdvpack",
          InstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is install success"}},
        {"driver found, Yes: reinstall",
         [](RecordingPlatform& p) { p.valueExists = true; p.answer = IDYES; },
         {Detect, Question, "LoadAdvpack", "FindLaunchInfSection", InstallInf, "FreeAdvpack",
          InstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is install success"}},
        {"driver found, No: uninstall",
         [](RecordingPlatform& p) { p.valueExists = true; p.answer = IDNO; },
         {Detect, Question, "LoadAdvpack", "FindLaunchInfSection", UninstallInf, "FreeAdvpack",
          UninstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is uninstall success"}},
        {"driver found, the question box fails: reinstall",
         [](RecordingPlatform& p) { p.valueExists = true; p.answer = 0; },
         {Detect, Question, "LoadAdvpack", "FindLaunchInfSection", InstallInf, "FreeAdvpack",
          InstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is install success"}},
        {"INF step fails: the installer still runs, then the error",
         [](RecordingPlatform& p) { p.infResult = 1; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection", InstallInf, "FreeAdvpack",
          InstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is install error"}},
        {"uninstall whose INF step fails",
         [](RecordingPlatform& p) { p.valueExists = true; p.answer = IDNO; p.infResult = 1; },
         {Detect, Question, "LoadAdvpack", "FindLaunchInfSection", UninstallInf, "FreeAdvpack",
          UninstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is uninstall error"}},
        {"ADVPACK missing: nothing to free, the installer still runs",
         [](RecordingPlatform& p) { p.advpackLoads = false; },
         {Detect, "LoadAdvpack", InstallDPInst, "WaitAndClose",
          "ShowMessage 0x40 Driver is install error"}},
        {"entry missing: the library is freed, the installer still runs",
         [](RecordingPlatform& p) { p.entryFound = false; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection", "FreeAdvpack", InstallDPInst,
          "WaitAndClose", "ShowMessage 0x40 Driver is install error"}},
        {"installer does not start: no wait, the INF step decides",
         [](RecordingPlatform& p) { p.installerStarts = false; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection", InstallInf, "FreeAdvpack",
          InstallDPInst, "ShowMessage 0x40 Driver is install success"}},
        {"XP on x86: the XP INF file",
         [](RecordingPlatform& p) { p.version = 0x0A280105; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection",
          "LaunchInfSection C:\\Kit\\XPSetupInf.txt,DefaultInstall,,1", "FreeAdvpack",
          InstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is install success"}},
        {"5.2 on x64: the newer INF file",
         [](RecordingPlatform& p) { p.version = 0x0ECE0205; p.architecture = 9; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection", InstallInf, "FreeAdvpack",
          InstallDPInst, "WaitAndClose", "ShowMessage 0x40 Driver is install success"}},
        {"program in a drive's root folder",
         [](RecordingPlatform& p) { p.modulePath = "C:\\JqSetup.exe"; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection",
          "LaunchInfSection C:\\SetupInf.txt,DefaultInstall,,1", "FreeAdvpack",
          "StartProgram C:\\DPInst.exe [ /f /lm /l 0x0409 ] in C:", "WaitAndClose",
          "ShowMessage 0x40 Driver is install success"}},
        {"program path not had whole: nothing runs from a guessed folder",
         [](RecordingPlatform& p) { p.modulePathWhole = false; },
         {Detect, "LoadAdvpack", "FindLaunchInfSection", "FreeAdvpack",
          "ShowMessage 0x40 Driver is install error"}},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        RecordingPlatform platform;
        scenario.arrange(platform);
        RunSetup(platform);
        EXPECT_EQ(platform.calls, scenario.calls);
    }
}

// A folder too long for the INF command (an install's is the folder and 31 characters): the
// action fails without the INF step; the installer still runs where its own full path fits (the
// folder and 11 characters), and nothing starts where it does not.
TEST(SetupRun, FolderTooLongForTheCommand)
{
    struct Case { size_t folderLength; bool installerStarts; } cases[] = {{229, true}, {248, true},
                                                                       {249, false}, {253, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folderLength);
        std::string folder = "C:\\" + std::string(c.folderLength - 3, 'k');
        RecordingPlatform platform;
        // A renamed copy, so that the whole path still fits the system's 259 characters.
        platform.modulePath = folder + "\\S.exe";
        ASSERT_LE(platform.modulePath.size(), 259u);
        RunSetup(platform);

        std::vector<std::string> expected = {Detect, "LoadAdvpack", "FindLaunchInfSection",
                                             "FreeAdvpack"};
        if (c.installerStarts) {
            expected.push_back("StartProgram " + folder + "\\DPInst.exe [ /f /lm /l 0x0409 ] in " +
                               folder);
            expected.push_back("WaitAndClose");
        }
        expected.push_back("ShowMessage 0x40 Driver is install error");
        EXPECT_EQ(platform.calls, expected);
    }
}
