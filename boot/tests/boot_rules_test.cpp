// The launcher's decisions, case by case.
#include "BootRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace jqboot;

TEST(BootRules, WindowsVersionAndAfterXp)
{
    struct Case { unsigned long word; int version; bool afterXp; } cases[] = {
        {0x08930005, 50, false},  // 2000
        {0x0A280105, 51, false},  // XP
        {0x8A280105, 51, false},  // top bit set: ignored
        {0x0ECE0205, 52, true},   // XP x64 / Server 2003
        {0x17700006, 60, true},
        {0x1DB10106, 61, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(WindowsVersion(c.word), c.version);
        EXPECT_EQ(IsAfterXp(c.version), c.afterXp);
    }
}

TEST(BootRules, VerbForTheSetupProgram)
{
    struct Case { int version; bool found; bool admin; bool ask; const char* verb; } cases[] = {
        {51, true, true, true, "open"},
        {51, true, false, true, "runas"},
        {51, false, false, false, "runas"},
        {50, true, true, true, "open"},
        {52, true, true, false, "runas"},  // not consulted from 5.2 on
        {61, true, true, false, "runas"},
        {61, false, false, false, "runas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " " << c.found << " " << c.admin);
        bool afterXp = IsAfterXp(c.version);
        EXPECT_EQ(ShouldAskIsUserAnAdmin(afterXp, c.found), c.ask);
        EXPECT_STREQ(VerbFor(NeedsElevation(afterXp, c.found, c.admin)), c.verb);
    }
}

TEST(BootRules, InstallerByArchitecture)
{
    struct Case { unsigned short architecture; const char* installer; } cases[] = {
        {9, "Trovalin64-enu12.EXE"},
        {0, "Trovalin32-enu12.EXE"},
        {6, "Trovalin32-enu12.EXE"},  // Itanium
        {5, "Trovalin32-enu12.EXE"},
        {12, "Trovalin32-enu12.EXE"},
        {0xFFFF, "Trovalin32-enu12.EXE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.architecture);
        EXPECT_STREQ(InstallerFor(c.architecture), c.installer);
    }
}

TEST(BootRules, ProgramFolderFromPath)
{
    struct Case { const char* path; const char* folder; } cases[] = {
        {"C:\\Kit\\JqBoot.exe", "C:\\Kit"},
        {"C:\\JqBoot.exe", "C:"},
        {"C:\\Kit\\Sub\\JqBoot.exe", "C:\\Kit\\Sub"},
        {"\\\\server\\share\\JqBoot.exe", "\\\\server\\share"},
        {"abc\\JqBoot.exe", "abc"},
        {"ab\\JqBoot.exe", "ab"},
        {"JqBoot.exe", "Jq"},
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

TEST(BootRules, ModeFromTheFirstArgument)
{
    struct Case { const char* commandLine; const char* first; bool installer; } cases[] = {
        {"JqBoot.exe", "", false},
        {"\"C:\\My Kit\\JqBoot.exe\"", "", false},
        {"JqBoot.exe /chk64", "/chk64", true},
        {"JqBoot.exe /CHK64", "/CHK64", true},
        {"JqBoot.exe /Chk64", "/Chk64", true},
        {"\"C:\\My Kit\\JqBoot.exe\" /chk64", "/chk64", true},
        {"\"C:\\My Kit\\JqBoot.exe\"/chk64", "/chk64", true},  // no blank after the quote
        {"JqBoot.exe    \t/chk64   ", "/chk64", true},
        {"JqBoot.exe /chk64 more args here", "/chk64", true},
        {"JqBoot.exe \"/chk64\"", "/chk64", true},
        {"JqBoot.exe /ch\"k\"64", "/chk64", true},
        {"JqBoot.exe chk64", "chk64", false},
        {"JqBoot.exe /chk64x", "/chk64x", false},
        {"JqBoot.exe /chk6", "/chk6", false},
        {"JqBoot.exe -chk64", "-chk64", false},
        {"JqBoot.exe other /chk64", "other", false},
        {"JqBoot.exe \"/chk64 other\"", "/chk64 other", false},
        {"JqBoot.exe \"\" /chk64", "", false},
        {"JqBoot.exe a\\\\\"b c\"", "a\\b c", false},  // 2n backslashes: n, the quote groups
        {"JqBoot.exe a\\\"b", "a\"b", false},          // 2n+1: n and a literal quote
        {"JqBoot.exe a\\b", "a\\b", false},            // backslashes alone stay
        {"\"JqBoot.exe", "", false},                   // unclosed program name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        TextBuffer first;
        FirstArgument(c.commandLine, first);
        EXPECT_STREQ(first, c.first);
        EXPECT_EQ(IsInstallerMode(first), c.installer);
    }
}

TEST(BootRules, LongFirstArgumentIsCutNotOverflowed)
{
    std::string line = "JqBoot.exe /chk64" + std::string(1000, 'x');
    struct { TextBuffer text; char guard[16]; } buffer;
    std::memset(buffer.guard, 'G', sizeof buffer.guard);
    FirstArgument(line.c_str(), buffer.text);
    EXPECT_EQ(std::strlen(buffer.text), static_cast<size_t>(TextBufferSize - 1));
    EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(16, 'G'));
    EXPECT_FALSE(IsInstallerMode(buffer.text));
}

TEST(BootRules, ProgramPathInTheKitFolderOnly)
{
    // "\JqSetup.exe" adds 12 characters, "\Trovalin64-enu12.EXE" 21.
    struct Case { size_t folderLength; const char* file; bool fits; } cases[] = {
        {6, "JqSetup.exe", true},
        {247, "JqSetup.exe", true},
        {248, "JqSetup.exe", false},
        {238, "Trovalin64-enu12.EXE", true},
        {239, "Trovalin64-enu12.EXE", false},
        {300, "JqSetup.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.folderLength << " " << c.file);
        std::string folder = "C:\\" + std::string(c.folderLength - 3, 'k');
        struct { TextBuffer text; char guard[16]; } path;
        std::memset(path.guard, 'G', sizeof path.guard);
        EXPECT_EQ(JoinPath(path.text, folder.c_str(), c.file), c.fits);
        EXPECT_EQ(std::string(path.guard, sizeof path.guard), std::string(16, 'G'));
        EXPECT_EQ(path.text, c.fits ? folder + "\\" + c.file : std::string());
    }
    TextBuffer path;
    EXPECT_FALSE(JoinPath(path, "", "JqSetup.exe"));
    EXPECT_TRUE(JoinPath(path, "C:", "JqSetup.exe"));
    EXPECT_STREQ(path, "C:\\JqSetup.exe");
}

TEST(BootRules, StartRequest)
{
    HWND window = reinterpret_cast<HWND>(0x1234);
    SHELLEXECUTEINFOA request;
    std::memset(&request, 0x5A, sizeof request);
    FillStartRequest(request, window, "C:\\Kit", "C:\\Kit\\JqSetup.exe", nullptr, true);
    EXPECT_EQ(request.cbSize, sizeof(SHELLEXECUTEINFOA));
    EXPECT_EQ(request.fMask, 0x40u);
    EXPECT_EQ(request.hwnd, window);
    EXPECT_STREQ(request.lpVerb, "runas");
    EXPECT_STREQ(request.lpFile, "C:\\Kit\\JqSetup.exe");
    EXPECT_EQ(request.lpParameters, nullptr);
    EXPECT_STREQ(request.lpDirectory, "C:\\Kit");
    EXPECT_EQ(request.nShow, 10);
    EXPECT_EQ(request.hProcess, nullptr);

    FillStartRequest(request, window, "", "C:\\Kit\\JqSetup.exe", "", false);
    EXPECT_STREQ(request.lpVerb, "open");
    EXPECT_EQ(request.lpParameters, nullptr);
    EXPECT_EQ(request.lpDirectory, nullptr);
    FillStartRequest(request, window, "C:\\Kit", "C:\\Kit\\JqSetup.exe", "-x", false);
    EXPECT_STREQ(request.lpParameters, "-x");
}
