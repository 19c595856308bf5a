// JqSetup end to end under Wine: the real program in a fresh kit folder with INF files of the
// tests' own, real ADVPACK INF processing, the real registry, real message boxes answered through
// the UI driver, and the stand-in program as "DPInst.exe".
#include "StandinLog.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace uidriver;

namespace {

const char* const DriverKey = "Software\\Quorvik\\Vantrel\\DriverSettings\\VID_7D2E&PID_0003";
const char* const DriverValue = "DamperStrength";
const char* const Caption = "Force feedback wheel";
const DWORD Timeout = 30000;

const std::string InstallArguments = " /f /lm /l 0x0409 ";
const std::string UninstallArguments = " /u Driver.inf /d /q /l 0x0409 ";

// An INF file whose DefaultInstall writes the driver-settings value with `marker` as its data
// (so a test can tell which file ran) and whose DefaultUninstall deletes it.
std::string InfWithMarker(const std::string& marker)
{
    return "[Version]\r\n"
           "Signature=\"$Chicago$\"\r\n"
           "\r\n"
           "[DefaultInstall]\r\n"
           "AddReg=Wheel.Settings\r\n"
           "\r\n"
           "[DefaultUninstall]\r\n"
           "DelReg=Wheel.Settings\r\n"
           "\r\n"
           "[Wheel.Settings]\r\n"
           "HKCU,\"" + std::string(DriverKey) + "\",\"" + DriverValue + "\",,\"" + marker + "\"\r\n";
}

bool SameFolder(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// A fresh kit folder: the setup program, both INF files, "Driver.inf" and the stand-in as
// "DPInst.exe".
struct Kit
{
    TempFolder folder{"setup"};

    Kit()
    {
        std::string bin = BinFolder();
        EXPECT_TRUE(folder.CopyIn(bin + "\\JqSetup.exe", "JqSetup.exe"));
        EXPECT_TRUE(folder.CopyIn(bin + "\\jq_standin.exe", "DPInst.exe"));
        EXPECT_TRUE(folder.WriteFile("SetupInf.txt", InfWithMarker("SetupInf")));
        EXPECT_TRUE(folder.WriteFile("XPSetupInf.txt", InfWithMarker("XPSetupInf")));
        EXPECT_TRUE(folder.WriteFile("Driver.inf", "; read by the driver package installer only\r\n"));
    }

    // Starts the setup program from elsewhere, so that the installer's working folder shows
    // that the program gives it the kit folder.
    Process StartSetup(const Environment& environment = {}) const
    {
        return Process::Start(QuoteArgument(folder / "JqSetup.exe"), "C:\\", environment);
    }

    std::vector<standin::Run> InstallerRuns() const
    {
        return standin::ParseLog(ReadTextFile(folder / "standin.log"));
    }
};

struct Box
{
    HWND window = nullptr;
    std::string text;
    std::vector<std::string> buttons;
};

// The setup program's next box; an empty Box when none came.
Box NextBox(const Process& setup)
{
    Box box;
    box.window = WaitForWindow(Caption, Timeout, setup.id());
    if (box.window) {
        box.text = StaticTexts(box.window);
        box.buttons = ButtonTexts(box.window);
    }
    return box;
}

void Press(const Box& box, const std::string& button)
{
    ASSERT_TRUE(box.window);
    ASSERT_TRUE(PressButton(box.window, button)) << button;
    ASSERT_TRUE(WaitForWindowGone(box.window, Timeout));
}

void ExpectResultBox(const Box& box, const std::string& text)
{
    ASSERT_TRUE(box.window) << "no result box";
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
}

void ExpectEndsWithZero(Process& setup)
{
    ASSERT_TRUE(setup.Wait(Timeout)) << "the setup program did not end";
    EXPECT_EQ(setup.ExitCode(), 0u);
}

// The shell puts one blank between the program and its parameters.
void ExpectOneInstallerRun(const Kit& kit, const std::string& parameters)
{
    std::vector<standin::Run> runs = kit.InstallerRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].name, "DPInst.exe");
    EXPECT_EQ(runs[0].arguments, " " + parameters);
    EXPECT_TRUE(SameFolder(runs[0].folder, kit.folder.path())) << runs[0].folder;
    EXPECT_NE(runs[0].ended, 0u) << "the result came before the installer ended";
}

class SetupEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DeleteUserKey("Software\\Quorvik"));
        ASSERT_TRUE(ClearWineSettings("JqSetup.exe"));
        ASSERT_TRUE(ClearWineSettings("loader.exe"));
    }
    void TearDown() override
    {
        ClearWineSettings("JqSetup.exe");
        ClearWineSettings("loader.exe");
    }
};

}  // namespace

TEST_F(SetupEndToEnd, NoDriverInstallsWithoutAQuestion)
{
    Kit kit;
    // The stand-in takes its time: the result must still wait for it.
    Process setup = kit.StartSetup({{"JQ_STANDIN_SLEEP_MS", "700"}});
    ASSERT_TRUE(setup.started());

    Box result = NextBox(setup);
    ExpectResultBox(result, "Driver is install success");
    EXPECT_EQ(UserString(DriverKey, DriverValue), "SetupInf");
    ExpectOneInstallerRun(kit, InstallArguments);

    Press(result, "OK");
    ExpectEndsWithZero(setup);
}

TEST_F(SetupEndToEnd, InstalledDriverIsReinstalledOrUninstalledByTheAnswer)
{
    struct Case
    {
        const char* answer;
        const char* result;
        bool valueAfter;
        std::string parameters;
    } cases[] = {
        {"No", "Driver is uninstall success", false, UninstallArguments},
        {"Yes", "Driver is install success", true, InstallArguments},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ASSERT_TRUE(SetUserString(DriverKey, DriverValue, "before"));
        Kit kit;
        Process setup = kit.StartSetup();

        Box question = NextBox(setup);
        ASSERT_TRUE(question.window) << "no question";
        EXPECT_EQ(question.text,
                  "Driver is installed, press 'Yes' to reinstall or 'No' to uninstall");
        EXPECT_EQ(question.buttons, (std::vector<std::string>{"Yes", "No"}));
        EXPECT_TRUE(kit.InstallerRuns().empty()) << "the installer ran before the answer";
        Press(question, c.answer);

        Box result = NextBox(setup);
        ExpectResultBox(result, c.result);
        EXPECT_EQ(UserValueExists(DriverKey, DriverValue), c.valueAfter);
        if (c.valueAfter) {
            EXPECT_EQ(UserString(DriverKey, DriverValue), "SetupInf");  // written anew
        }
        ExpectOneInstallerRun(kit, c.parameters);

        Press(result, "OK");
        ExpectEndsWithZero(setup);
    }
}

// ADVPACK reports a missing or unreadable INF file, so the action fails; the driver package
// installer runs all the same.
TEST_F(SetupEndToEnd, MissingOrBrokenInfFileReportsTheError)
{
    struct Case
    {
        const char* name;
        const char* infContents;  // null: no INF file
        bool installed;
        const char* result;
        std::string parameters;
    } cases[] = {
        {"INF missing, install", nullptr, false, "Driver is install error", InstallArguments},
        {"INF broken, install", "\x01\x02 not an INF file {{", false, "Driver is install error",
         InstallArguments},
        {"INF missing, uninstall", nullptr, true, "Driver is uninstall error",
         UninstallArguments},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(DeleteUserKey("Software\\Quorvik"));
        if (c.installed) {
            ASSERT_TRUE(SetUserString(DriverKey, DriverValue, "before"));
        }
        Kit kit;
        ASSERT_TRUE(DeleteFileA((kit.folder / "SetupInf.txt").c_str()));
        if (c.infContents) {
            ASSERT_TRUE(kit.folder.WriteFile("SetupInf.txt", c.infContents));
        }
        Process setup = kit.StartSetup();

        if (c.installed)
            Press(NextBox(setup), "No");
        Box result = NextBox(setup);
        ExpectResultBox(result, c.result);
        EXPECT_EQ(UserValueExists(DriverKey, DriverValue), c.installed);  // untouched
        ExpectOneInstallerRun(kit, c.parameters);

        Press(result, "OK");
        ExpectEndsWithZero(setup);
    }
}

// Without "DPInst.exe" in the kit folder the system reports the failed start in a box of its own,
// which the setup program keeps; the result still follows the INF step. A "DPInst.exe" elsewhere
// on the search path must not run in its place.
TEST_F(SetupEndToEnd, MissingInstallerShowsTheSystemErrorAndNothingElseRuns)
{
    Kit kit;
    ASSERT_TRUE(DeleteFileA((kit.folder / "DPInst.exe").c_str()));
    TempFolder decoy("decoy");
    ASSERT_TRUE(decoy.CopyIn(BinFolder() + "\\jq_standin.exe", "DPInst.exe"));
    char path[4096] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    Process setup = kit.StartSetup({{"PATH", decoy.path() + ";" + path},
                                    {"JQ_STANDIN_LOG", decoy / "decoy.log"}});

    HWND systemBox = WaitForAnyWindowOf(setup.id(), Timeout);
    ASSERT_TRUE(systemBox) << "no window from the setup program";
    EXPECT_NE(WindowText(systemBox), Caption) << "expected the system's error box first";
    ASSERT_FALSE(ButtonTexts(systemBox).empty());
    ASSERT_TRUE(PressButton(systemBox, ButtonTexts(systemBox).front()));
    ASSERT_TRUE(WaitForWindowGone(systemBox, Timeout));

    Box result = NextBox(setup);
    ExpectResultBox(result, "Driver is install success");
    EXPECT_EQ(UserString(DriverKey, DriverValue), "SetupInf");
    EXPECT_FALSE(FileExists(decoy / "decoy.log")) << "a DPInst.exe from the search path ran";

    Press(result, "OK");
    ExpectEndsWithZero(setup);
}

// With native libraries preferred (as Windows' own search order behaves), a program that loads
// "ADVPACK.DLL" by its bare name gets the planted copy from its folder; the setup program must
// load the system's. Wine takes the preference per program from its AppDefaults key (the
// WINEDLLOVERRIDES variable of a process started by another Windows process is not read).
TEST_F(SetupEndToEnd, PlantedAdvpackIsNeverLoaded)
{
    Kit kit;
    std::string bin = BinFolder();
    ASSERT_TRUE(kit.folder.CopyIn(bin + "\\planted_advpack.dll", "ADVPACK.DLL"));
    ASSERT_TRUE(kit.folder.CopyIn(bin + "\\bare_advpack_loader.exe", "loader.exe"));
    for (const char* program : {"loader.exe", "JqSetup.exe"})
        ASSERT_TRUE(SetWineDllOverride(program, "advpack", "native,builtin"));
    const std::string marker = kit.folder / "advpack-loaded.txt";

    // The control: the planted copy is there to be found.
    Process loader = Process::Start(QuoteArgument(kit.folder / "loader.exe"), kit.folder.path());
    ASSERT_TRUE(loader.Wait(Timeout));
    ASSERT_TRUE(FileExists(marker)) << "the control did not load the planted library";
    ASSERT_TRUE(DeleteFileA(marker.c_str()));

    Process setup = kit.StartSetup();
    Box result = NextBox(setup);
    ExpectResultBox(result, "Driver is install success");
    EXPECT_EQ(UserString(DriverKey, DriverValue), "SetupInf");  // the system's ADVPACK ran
    EXPECT_FALSE(FileExists(marker)) << "loaded by: " << ReadTextFile(marker);

    Press(result, "OK");
    ExpectEndsWithZero(setup);
}

// Which INF file runs, by the Windows version Wine reports to the program and the prefix's
// processor (JQ_PREFIX_ARCH: win32 or win64).
TEST_F(SetupEndToEnd, InfFileByWindowsVersion)
{
    char arch[16] = "";
    GetEnvironmentVariableA("JQ_PREFIX_ARCH", arch, sizeof arch);
    const bool x64 = std::string(arch) == "win64";
    ASSERT_TRUE(x64 || std::string(arch) == "win32") << "JQ_PREFIX_ARCH: " << arch;

    struct Case { const char* version; const char* on32; const char* on64; } cases[] = {
        {"winxp", "XPSetupInf", "SetupInf"},    // 5.1
        {"winxp64", "XPSetupInf", "SetupInf"},  // 5.2: below 6.0, so x64 decides
        {"win7", "SetupInf", "SetupInf"},       // 6.1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ASSERT_TRUE(DeleteUserKey("Software\\Quorvik"));
        ASSERT_TRUE(SetWineVersion("JqSetup.exe", c.version));
        Kit kit;
        Process setup = kit.StartSetup();

        Box result = NextBox(setup);
        ExpectResultBox(result, "Driver is install success");
        EXPECT_EQ(UserString(DriverKey, DriverValue), x64 ? c.on64 : c.on32);

        Press(result, "OK");
        ExpectEndsWithZero(setup);
    }
}

// The program's one resource: icon group 100 with a single 48 x 48 image of 32 bits.
TEST(SetupProgramFile, CarriesOneWheelIcon)
{
    HMODULE program = LoadLibraryExA((BinFolder() + "\\JqSetup.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);

#pragma pack(push, 2)
    struct GroupEntry
    {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Group
    {
        WORD reserved, type, count;
        GroupEntry entries[1];
    };
#pragma pack(pop)

    HRSRC groupInfo = FindResourceA(program, MAKEINTRESOURCEA(100), RT_GROUP_ICON);
    ASSERT_TRUE(groupInfo);
    auto* group = static_cast<const Group*>(LockResource(LoadResource(program, groupInfo)));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->type, 1);
    ASSERT_EQ(group->count, 1);
    EXPECT_EQ(group->entries[0].width, 48);
    EXPECT_EQ(group->entries[0].height, 48);
    EXPECT_EQ(group->entries[0].bitCount, 32);

    HRSRC imageInfo = FindResourceA(program, MAKEINTRESOURCEA(group->entries[0].id), RT_ICON);
    ASSERT_TRUE(imageInfo);
    auto* header = static_cast<const BITMAPINFOHEADER*>(
        LockResource(LoadResource(program, imageInfo)));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->biWidth, 48);
    EXPECT_EQ(header->biHeight, 96);  // the colour image and its mask
    EXPECT_EQ(header->biBitCount, 32);
    FreeLibrary(program);
}
