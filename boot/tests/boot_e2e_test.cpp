// JqBoot end to end under Wine: the real launcher in a fresh kit folder, with the stand-in
// program as "JqSetup.exe" and as both driver installers, and once with the real JqSetup.
#include "StandinLog.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace uidriver;

namespace {

const DWORD Timeout = 30000;
const char* const DriverKey = "Software\\Quorvik\\Vantrel\\DriverSettings\\VID_7D2E&PID_0003";

bool SameFolder(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

std::string Blankless(const std::string& text)
{
    std::string kept;
    for (char c : text)
        if (c != ' ' && c != '\t')
            kept += c;
    return kept;
}

unsigned long long ExitTime(const Process& process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process.handle(), &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<unsigned long long>(exited.dwHighDateTime) << 32) | exited.dwLowDateTime;
}

// A fresh kit folder with the launcher and the stand-in under the names of the programs it
// starts.
struct Kit
{
    TempFolder folder{"boot"};

    Kit()
    {
        std::string bin = BinFolder();
        EXPECT_TRUE(folder.CopyIn(bin + "\\JqBoot.exe", "JqBoot.exe"));
        for (const char* name : {"JqSetup.exe", "Trovalin64-enu12.EXE", "Trovalin32-enu12.EXE"})
            EXPECT_TRUE(folder.CopyIn(bin + "\\jq_standin.exe", name));
    }

    // Starts the launcher from elsewhere, so that the started program's working folder shows
    // that the launcher gives it the kit folder.
    Process StartBoot(const std::string& arguments, const Environment& environment = {}) const
    {
        std::string line = QuoteArgument(folder / "JqBoot.exe");
        if (!arguments.empty())
            line += " " + arguments;
        return Process::Start(line, "C:\\", environment);
    }

    std::vector<standin::Run> Runs() const
    {
        return standin::ParseLog(ReadTextFile(folder / "standin.log"));
    }
};

void ExpectOneRun(const Kit& kit, const std::string& name)
{
    std::vector<standin::Run> runs = kit.Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].name, name);
    EXPECT_EQ(Blankless(runs[0].arguments), "") << "[" << runs[0].arguments << "]";
    EXPECT_TRUE(SameFolder(runs[0].folder, kit.folder.path())) << runs[0].folder;
}

void ExpectEndsWithZero(Process& boot)
{
    ASSERT_TRUE(boot.Wait(Timeout)) << "the launcher did not end";
    EXPECT_EQ(boot.ExitCode(), 0u);
}

std::string ExpectedInstaller()
{
    char name[64] = "";
    GetEnvironmentVariableA("JQ_EXPECT_INSTALLER", name, sizeof name);
    return name;
}

}  // namespace

TEST(BootEndToEnd, NoArgumentStartsTheSetupProgramAndWaitsForIt)
{
    Kit kit;
    // The stand-in takes its time, so a launcher that did not wait would end well before it.
    Process boot = kit.StartBoot("", {{"JQ_STANDIN_SLEEP_MS", "1000"}});
    ASSERT_TRUE(boot.started());
    ExpectEndsWithZero(boot);

    ExpectOneRun(kit, "JqSetup.exe");
    std::vector<standin::Run> runs = kit.Runs();
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_NE(runs[0].ended, 0u);
    EXPECT_GE(ExitTime(boot), runs[0].ended) << "the launcher ended before the setup program";
}

// The expected installer depends on the prefix the test runs in (JQ_EXPECT_INSTALLER).
TEST(BootEndToEnd, ModeByTheFirstArgument)
{
    const std::string installer = ExpectedInstaller();
    ASSERT_FALSE(installer.empty()) << "JQ_EXPECT_INSTALLER is not set";
    struct Case { const char* arguments; std::string started; } cases[] = {
        {"/chk64", installer},
        {"/CHK64", installer},
        {"/Chk64", installer},
        {"/chk64 more arguments", installer},
        {"\"/chk64\"", installer},
        {"chk64", "JqSetup.exe"},
        {"other /chk64", "JqSetup.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        Kit kit;
        Process boot = kit.StartBoot(c.arguments);
        ExpectEndsWithZero(boot);
        ExpectOneRun(kit, c.started);
    }
}

// A program missing from the kit folder: the system reports it in a box of its own, nothing of
// the same name on the search path runs instead, and the launcher still ends with 0.
TEST(BootEndToEnd, MissingProgramStartsNothingElse)
{
    const std::string installer = ExpectedInstaller();
    struct Case { const char* arguments; std::string missing; } cases[] = {
        {"", "JqSetup.exe"},
        {"/chk64", installer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        Kit kit;
        ASSERT_TRUE(DeleteFileA((kit.folder / c.missing).c_str()));
        TempFolder decoy("decoy");
        ASSERT_TRUE(decoy.CopyIn(BinFolder() + "\\jq_standin.exe", c.missing));
        char path[4096] = "";
        GetEnvironmentVariableA("PATH", path, sizeof path);
        Process boot = kit.StartBoot(c.arguments, {{"PATH", decoy.path() + ";" + path},
                                                   {"JQ_STANDIN_LOG", decoy / "decoy.log"}});

        HWND systemBox = WaitForAnyWindowOf(boot.id(), Timeout);
        ASSERT_TRUE(systemBox) << "no error box from the system";
        std::vector<std::string> buttons = ButtonTexts(systemBox);
        ASSERT_FALSE(buttons.empty());
        ASSERT_TRUE(PressButton(systemBox, buttons.front()));
        ExpectEndsWithZero(boot);
        EXPECT_FALSE(FileExists(decoy / "decoy.log")) << "a program from the search path ran";
        EXPECT_TRUE(kit.Runs().empty());
    }
}

// The whole chain: the launcher starts the real setup program, which installs and reports; once
// its box is answered both end with 0.
TEST(BootEndToEnd, LauncherAndRealSetupProgram)
{
    ASSERT_TRUE(DeleteUserKey("Software\\Quorvik"));
    Kit kit;
    ASSERT_TRUE(kit.folder.CopyIn(BinFolder() + "\\JqSetup.exe", "JqSetup.exe"));
    ASSERT_TRUE(kit.folder.CopyIn(BinFolder() + "\\jq_standin.exe", "DPInst.exe"));
    ASSERT_TRUE(kit.folder.WriteFile(
        "SetupInf.txt", "[Version]\r\nSignature=\"$Chicago$\"\r\n"
                        "[DefaultInstall]\r\nAddReg=Wheel.Settings\r\n"
                        "[DefaultUninstall]\r\nDelReg=Wheel.Settings\r\n"
                        "[Wheel.Settings]\r\nHKCU,\"" + std::string(DriverKey) +
                            "\",\"DamperStrength\",,\"SetupInf\"\r\n"));
    Process boot = kit.StartBoot("");

    HWND box = WaitForWindow("Force feedback wheel", Timeout);
    ASSERT_TRUE(box) << "no box from the setup program";
    DWORD setupId = WindowProcessId(box);
    EXPECT_NE(setupId, boot.id());
    HANDLE setup = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, setupId);
    ASSERT_TRUE(setup);
    EXPECT_EQ(StaticTexts(box), "Driver is install success");
    EXPECT_EQ(UserString(DriverKey, "DamperStrength"), "SetupInf");
    std::vector<standin::Run> runs = kit.Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].name, "DPInst.exe");
    EXPECT_TRUE(boot.IsRunning()) << "the launcher did not wait for the setup program";

    ASSERT_TRUE(PressButton(box, "OK"));
    EXPECT_EQ(WaitForSingleObject(setup, Timeout), WAIT_OBJECT_0);
    DWORD setupExit = STILL_ACTIVE;
    GetExitCodeProcess(setup, &setupExit);
    CloseHandle(setup);
    EXPECT_EQ(setupExit, 0u);
    ExpectEndsWithZero(boot);
    ASSERT_TRUE(DeleteUserKey("Software\\Quorvik"));
}
