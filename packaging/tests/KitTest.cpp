// The kit as a user gets it: the ZIP holds exactly the kit folder, the programs say in their file
// properties what they are, and the tester runs from a fresh copy of the unpacked folder with the
// virtual wheel beside it, shows its dialog and ends with exit code 0 when closed.
//
// Environment (set by the test's registration): JQ_KIT_ZIP, the ZIP; JQ_KIT_DIR, the kit folder
// unpacked from it; JQ_KIT_VERSION, the version the programs must carry; JQ_VWHEEL_DLL, the
// virtual wheel's dinput8.dll; WINEDLLOVERRIDES, "dinput8=n,b" among others.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "UiDriver.h"
#include "VirtualWheelControl.h"

namespace {

std::string Variable(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

std::string KitFolder()
{
    return uidriver::WindowsPath(Variable("JQ_KIT_DIR"));
}

uint32_t Little(const std::string& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The names in a ZIP's central directory; empty when the file is no ZIP.
std::vector<std::string> ZipEntryNames(const std::string& zip)
{
    const size_t endRecordSize = 22;
    if (zip.size() < endRecordSize)
        return {};
    // The end record is last, followed only by a comment of at most 64 KiB.
    size_t end = zip.size() - endRecordSize;
    const size_t lowest = end > 65535 ? end - 65535 : 0;
    while (Little(zip, end, 4) != 0x06054b50) {
        if (end == lowest)
            return {};
        --end;
    }
    const uint32_t count = Little(zip, end + 10, 2);
    size_t at = Little(zip, end + 16, 4);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 46 > zip.size() || Little(zip, at, 4) != 0x02014b50)
            return {};
        const uint32_t nameLength = Little(zip, at + 28, 2);
        const uint32_t extraLength = Little(zip, at + 30, 2);
        const uint32_t commentLength = Little(zip, at + 32, 2);
        if (at + 46 + nameLength > zip.size())
            return {};
        names.push_back(zip.substr(at + 46, nameLength));
        at += 46 + nameLength + extraLength + commentLength;
    }
    return names;
}

const std::vector<std::string> KitFiles = {"JqBoot.exe", "JqFFWTest.exe", "JqSetup.exe",
                                           "README.txt"};

TEST(Kit, ZipHoldsExactlyTheKitFolder)
{
    const std::string zip = uidriver::ReadTextFile(uidriver::WindowsPath(Variable("JQ_KIT_ZIP")));
    ASSERT_FALSE(zip.empty()) << "no ZIP at " << Variable("JQ_KIT_ZIP");

    // One folder named like the ZIP, holding the kit's files and nothing else.
    std::string zipName = Variable("JQ_KIT_ZIP");
    zipName = zipName.substr(zipName.find_last_of("/\\") + 1);
    const std::string folder = zipName.substr(0, zipName.size() - 4) + "/";

    std::vector<std::string> files;
    for (const std::string& name : ZipEntryNames(zip)) {
        if (name == folder)
            continue;  // the folder's own entry
        ASSERT_EQ(name.compare(0, folder.size(), folder), 0) << name << " lies outside " << folder;
        files.push_back(name.substr(folder.size()));
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, KitFiles);
}

TEST(Kit, ReadmeIsForNotepadAndNamesTheVersion)
{
    const std::string readme = uidriver::ReadTextFile(KitFolder() + "\\README.txt");
    ASSERT_FALSE(readme.empty());
    EXPECT_EQ(readme.find("Force Feedback Wheel Kit " + Variable("JQ_KIT_VERSION") + "\r\n"), 0u);
    size_t bareLineEnds = 0;
    for (size_t i = 0; i < readme.size(); ++i)
        if (readme[i] == '\n' && (i == 0 || readme[i - 1] != '\r'))
            ++bareLineEnds;
    EXPECT_EQ(bareLineEnds, 0u) << "lines must end with CR LF";
}

// A string of the program's version resource (English, Unicode code page); empty when missing.
std::string VersionString(const std::vector<char>& info, const std::string& name)
{
    const std::string path = "\\StringFileInfo\\040904B0\\" + name;
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)
        || !text)
        return "";
    return std::string(text);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(Kit, ProgramsCarryTheirVersionResource)
{
    struct Case
    {
        const char* file;
        bool hasResource;
        // Whether Windows may take it for an installer by its strings (see below).
        bool installerWordsAllowed;
    };
    // The launcher stays without any resource of its own.
    const Case cases[] = {
        {"JqSetup.exe", true, true},
        {"JqFFWTest.exe", true, false},
        {"JqBoot.exe", false, false},
    };
    const std::string version = Variable("JQ_KIT_VERSION");
    ASSERT_FALSE(version.empty());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = KitFolder() + "\\" + c.file;
        ASSERT_TRUE(uidriver::FileExists(path)) << path;
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        if (!c.hasResource) {
            EXPECT_EQ(size, 0u);
            continue;
        }
        ASSERT_GT(size, 0u);
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

        EXPECT_EQ(VersionString(info, "ProductName"), "Force Feedback Wheel Kit");
        EXPECT_FALSE(VersionString(info, "FileDescription").empty());
        EXPECT_EQ(VersionString(info, "FileVersion"), version);
        EXPECT_EQ(VersionString(info, "ProductVersion"), version);
        EXPECT_EQ(VersionString(info, "OriginalFilename"), c.file);

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        const std::string fixedVersion = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "."
                                         + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "."
                                         + std::to_string(HIWORD(fixed->dwFileVersionLS));
        EXPECT_EQ(fixedVersion, version);

        // Windows asks for administrator rights before starting a program without a manifest
        // whose strings hold these words; the tester must start like any program.
        if (!c.installerWordsAllowed) {
            for (const char* name : {"ProductName", "FileDescription", "InternalName",
                                     "OriginalFilename", "CompanyName"}) {
                const std::string text = Lower(VersionString(info, name));
                for (const char* word : {"install", "setup", "update", "patch"})
                    EXPECT_EQ(text.find(word), std::string::npos) << name << ": " << text;
            }
        }
    }
}

// The names of the files in a folder.
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

TEST(Kit, TesterRunsFromAFreshCopyOfTheKit)
{
    uidriver::TempFolder folder("kit");
    const std::vector<std::string> files = FilesIn(KitFolder());
    ASSERT_FALSE(files.empty()) << "nothing unpacked in " << KitFolder();
    for (const std::string& file : files)
        ASSERT_TRUE(folder.CopyIn(KitFolder() + "\\" + file, file)) << file;
    ASSERT_TRUE(folder.CopyIn(uidriver::WindowsPath(Variable("JQ_VWHEEL_DLL")), "dinput8.dll"));
    vwheel::Control wheel;  // the wheel, plugged in and at rest
    ASSERT_TRUE(wheel.IsOpen());

    // Wine loads a dinput8.dll beside the program only when told to (Windows does so anyway). It
    // takes WINEDLLOVERRIDES from its own environment, not from the block CreateProcess passes:
    // the test's registration sets it to "dinput8=n,b" for this program and what it starts.
    uidriver::Process tester =
        uidriver::Process::Start(uidriver::QuoteArgument(folder / "JqFFWTest.exe"), folder.path());
    ASSERT_TRUE(tester.started());

    HWND dialog = uidriver::WaitForWindow("Force Feedback Wheel Test", 30000, tester.id());
    ASSERT_NE(dialog, nullptr) << "the tester showed no dialog";
    // The tester took the DirectInput beside it, as Windows does.
    const DWORD start = GetTickCount();
    while (wheel.DllProcess() != tester.id() && GetTickCount() - start < 10000)
        Sleep(50);
    EXPECT_EQ(wheel.DllProcess(), tester.id()) << "the tester did not load the dinput8.dll beside it";

    // The close box.
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tester.Wait(15000)) << "the tester did not end when closed";
    EXPECT_EQ(tester.ExitCode(), 0u);
}

} // namespace
