// The setup program's decisions, case by case.
#include "SetupRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace jqsetup;

namespace {

// A command buffer with guard bytes after it, to see that nothing is written past its end.
struct GuardedBuffer
{
    TextBuffer text;
    char guard[64];

    GuardedBuffer()
    {
        std::memset(text, '?', sizeof text);
        std::memset(guard, 'G', sizeof guard);
    }
    bool GuardIntact() const
    {
        for (char c : guard)
            if (c != 'G')
                return false;
        return true;
    }
};

// "C:\kkkkkk\kkkkkkkkk\kk..." of exactly the given length (at least 2).
std::string FolderOfLength(size_t length)
{
    std::string folder = "C:";
    while (folder.size() < length)
        folder += (folder.size() % 10 == 2) ? '\\' : 'k';
    return folder;
}

}  // namespace

TEST(SetupRules, WindowsVersionFromVersionWord)
{
    struct Case { unsigned long word; int version; } cases[] = {
        {0x0A280105, 51},  // XP, build 2600
        {0x0ECE0205, 52},  // XP x64 / Server 2003, build 3790
        {0x17700006, 60},
        {0x1DB10106, 61},
        {0x23F00206, 62},
        {0x8A280105, 51},  // top bit set: ignored
        {0x00000004, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(WindowsVersion(c.word), c.version);
    }
}

TEST(SetupRules, VistaOrLaterAndX64)
{
    EXPECT_FALSE(IsVistaOrLater(51));
    EXPECT_FALSE(IsVistaOrLater(52));
    EXPECT_FALSE(IsVistaOrLater(59));
    EXPECT_TRUE(IsVistaOrLater(60));
    EXPECT_TRUE(IsVistaOrLater(61));

    struct Case { unsigned short architecture; bool x64; } cases[] = {
        {9, true}, {0, false}, {6, false}, {5, false}, {12, false}, {0xFFFF, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.architecture);
        EXPECT_EQ(IsX64(c.architecture), c.x64);
    }
}

TEST(SetupRules, InfFileByVersionAndProcessor)
{
    struct Case { unsigned long word; unsigned short architecture; const char* inf; } cases[] = {
        {0x0A280105, 0, "XPSetupInf.txt"},  // 5.1 x86
        {0x0ECE0205, 0, "XPSetupInf.txt"},  // 5.2 x86: 52 is below 60
        {0x0ECE0205, 6, "XPSetupInf.txt"},  // 5.2 Itanium
        {0x0ECE0205, 9, "SetupInf.txt"},    // 5.2 x64
        {0x0A280105, 9, "SetupInf.txt"},
        {0x17700006, 0, "SetupInf.txt"},
        {0x1DB10106, 0, "SetupInf.txt"},
        {0x1DB10106, 9, "SetupInf.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.word << " arch " << c.architecture);
        EXPECT_STREQ(InfFileName(IsVistaOrLater(WindowsVersion(c.word)), IsX64(c.architecture)),
                     c.inf);
    }
}

TEST(SetupRules, ProgramFolderFromPath)
{
    struct Case { const char* path; const char* folder; } cases[] = {
        {"C:\\Kit\\Sub\\JqSetup.exe", "C:\\Kit\\Sub"},
        {"C:\\Kit\\JqSetup.exe", "C:\\Kit"},
        {"C:\\JqSetup.exe", "C:"},            // the scan stops at position 2
        {"C:\\Kit\\", "C:\\Kit"},
        {"\\\\server\\share\\JqSetup.exe", "\\\\server\\share"},
        {"abc\\JqSetup.exe", "abc"},           // backslash at position 3 is cut
        {"ab\\JqSetup.exe", "ab"},             // at position 2 it is not looked at
        {"JqSetup.exe", "Jq"},                 // no backslash: the first two characters
        {"C:\\", "C:"},
        {"C:", "C"},
        {"C", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TextBuffer buffer;
        std::strcpy(buffer, c.path);
        CutToProgramFolder(buffer);
        EXPECT_STREQ(buffer, c.folder);
    }
}

TEST(SetupRules, ActionFromRegistryAndAnswer)
{
    struct Case { bool installed; int answer; DriverAction action; } cases[] = {
        {false, 0, DriverAction::Install},
        {false, IDNO, DriverAction::Install},  // no question was asked
        {true, IDYES, DriverAction::Install},
        {true, IDNO, DriverAction::Uninstall},
        {true, 0, DriverAction::Install},      // the box could not be shown
        {true, IDCANCEL, DriverAction::Install},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.installed << " " << c.answer);
        EXPECT_EQ(ChooseAction(c.installed, c.answer), c.action);
    }
}

TEST(SetupRules, MessageTextsAndFlags)
{
    EXPECT_STREQ(MessageCaption, "Force feedback wheel");
    EXPECT_STREQ(ReinstallQuestion,
                 "Driver is installed, press 'Yes' to reinstall or 'No' to uninstall");
    EXPECT_EQ(QuestionFlags, 0x44u);
    EXPECT_EQ(ResultFlags, 0x40u);
    EXPECT_STREQ(ResultText(DriverAction::Install, true), "Driver is install success");
    EXPECT_STREQ(ResultText(DriverAction::Install, false), "Driver is install error");
    EXPECT_STREQ(ResultText(DriverAction::Uninstall, true), "Driver is uninstall success");
    EXPECT_STREQ(ResultText(DriverAction::Uninstall, false), "Driver is uninstall error");
}

TEST(SetupRules, InfCommandAndInstallerParameters)
{
    struct Case { const char* folder; const char* inf; DriverAction action; const char* command; }
    cases[] = {
        {"C:\\Kit", "SetupInf.txt", DriverAction::Install, "C:\\Kit\\SetupInf.txt,DefaultInstall,,1"},
        {"C:\\Kit", "XPSetupInf.txt", DriverAction::Uninstall,
         "C:\\Kit\\XPSetupInf.txt,DefaultUninstall,,1"},
        {"C:", "SetupInf.txt", DriverAction::Install, "C:\\SetupInf.txt,DefaultInstall,,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        TextBuffer command;
        EXPECT_TRUE(FormatInfCommand(command, c.folder, c.inf, c.action));
        EXPECT_STREQ(command, c.command);
    }

    TextBuffer parameters;
    FormatInstallerParameters(parameters, DriverAction::Install);
    EXPECT_STREQ(parameters, " /f /lm /l 0x0409 ");
    FormatInstallerParameters(parameters, DriverAction::Uninstall);
    EXPECT_STREQ(parameters, " /u Driver.inf /d /q /l 0x0409 ");
}

// The longest command, an uninstall with "XPSetupInf.txt", is the folder and 35 characters; the
// buffer holds 259 and the terminator.
TEST(SetupRules, LongFoldersNeverOverflowTheCommandBuffer)
{
    struct Case { size_t folderLength; const char* inf; DriverAction action; bool fits; } cases[] = {
        {224, "XPSetupInf.txt", DriverAction::Uninstall, true},
        {225, "XPSetupInf.txt", DriverAction::Uninstall, false},
        {225, "XPSetupInf.txt", DriverAction::Install, true},
        {225, "SetupInf.txt", DriverAction::Install, true},
        {228, "SetupInf.txt", DriverAction::Install, true},   // exactly 259 characters
        {229, "SetupInf.txt", DriverAction::Install, false},
        {259, "SetupInf.txt", DriverAction::Install, false},
        {259, "XPSetupInf.txt", DriverAction::Uninstall, false},
        {300, "SetupInf.txt", DriverAction::Install, false},
        {1000, "XPSetupInf.txt", DriverAction::Uninstall, false},
    };
    for (const Case& c : cases) {
        std::string folder = FolderOfLength(c.folderLength);
        SCOPED_TRACE(testing::Message() << c.folderLength << " " << c.inf);
        ASSERT_EQ(folder.size(), c.folderLength);
        GuardedBuffer command;
        EXPECT_EQ(FormatInfCommand(command.text, folder.c_str(), c.inf, c.action), c.fits);
        EXPECT_TRUE(command.GuardIntact());
        if (c.fits) {
            std::string expected = folder + "\\" + c.inf +
                                   (c.action == DriverAction::Install ? ",DefaultInstall,,1"
                                                                      : ",DefaultUninstall,,1");
            EXPECT_EQ(command.text, expected);
        } else {
            EXPECT_STREQ(command.text, "");  // never a cut-short command
        }
    }
}

TEST(SetupRules, ProgramPathInTheKitFolderOnly)
{
    // "\DPInst.exe" adds 11 characters.
    struct Case { size_t folderLength; bool fits; } cases[] = {
        {2, true}, {224, true}, {248, true}, {249, false}, {259, false}, {300, false}};
    for (const Case& c : cases) {
        std::string folder = FolderOfLength(c.folderLength);
        SCOPED_TRACE(c.folderLength);
        GuardedBuffer path;
        EXPECT_EQ(JoinPath(path.text, folder.c_str(), "DPInst.exe"), c.fits);
        EXPECT_TRUE(path.GuardIntact());
        EXPECT_EQ(path.text, c.fits ? folder + "\\DPInst.exe" : std::string());
    }

    TextBuffer path;
    EXPECT_FALSE(JoinPath(path, "", "DPInst.exe"));  // unknown folder: never a bare name
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(JoinPath(path, "C:", "DPInst.exe"));
    EXPECT_STREQ(path, "C:\\DPInst.exe");
}

TEST(SetupRules, StartRequest)
{
    HWND window = reinterpret_cast<HWND>(0x1234);
    SHELLEXECUTEINFOA request;
    std::memset(&request, 0x5A, sizeof request);
    FillStartRequest(request, window, "C:\\Kit", "C:\\Kit\\DPInst.exe", " /f /lm /l 0x0409 ");
    EXPECT_EQ(request.cbSize, sizeof(SHELLEXECUTEINFOA));
    EXPECT_EQ(request.fMask, 0x40u);
    EXPECT_EQ(request.hwnd, window);
    EXPECT_STREQ(request.lpVerb, "open");
    EXPECT_STREQ(request.lpFile, "C:\\Kit\\DPInst.exe");
    EXPECT_STREQ(request.lpParameters, " /f /lm /l 0x0409 ");
    EXPECT_STREQ(request.lpDirectory, "C:\\Kit");
    EXPECT_EQ(request.nShow, 10);
    EXPECT_EQ(request.hInstApp, nullptr);
    EXPECT_EQ(request.hProcess, nullptr);

    FillStartRequest(request, window, "", "C:\\Kit\\DPInst.exe", "");
    EXPECT_EQ(request.lpParameters, nullptr);
    EXPECT_EQ(request.lpDirectory, nullptr);
}
