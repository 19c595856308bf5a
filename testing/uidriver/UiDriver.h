// Tools for the end-to-end tests of the kit: start programs under test with their own working
// folder and environment, build throw-away kit folders, find and operate the windows the programs
// show (message boxes, dialogs), and set up or inspect per-user registry values.
//
// Every wait takes a timeout, and a started process is killed when its owner goes out of scope
// without having seen it end, so a failing test never leaves a program behind.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace uidriver {

using Environment = std::vector<std::pair<std::string, std::string>>;

// Checks the condition every 30 ms until it holds (true) or timeoutMs has passed (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A started program. Kills the process on destruction unless it has been seen to end.
class Process
{
public:
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Starts commandLine (the program's path as its first word, quoted where needed) with
    // workingFolder as its current folder (empty: the caller's) and the caller's environment with
    // extraEnvironment added or replaced. Check started() for the outcome.
    // Wine 8 does not read WINEDLLOVERRIDES from this environment (a program started by another
    // Windows program keeps the overrides the first one was started with): use
    // SetWineDllOverride, or set the variable for the whole test in CTest.
    static Process Start(const std::string& commandLine, const std::string& workingFolder = {},
                         const Environment& extraEnvironment = {});

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }

    // Waits up to timeoutMs for the process to end; true when it has ended.
    bool Wait(DWORD timeoutMs);
    bool IsRunning() const;
    // The exit code once the process has ended; STILL_ACTIVE otherwise.
    DWORD ExitCode() const;
    void Kill();

private:
    void Close();

    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    bool ended_ = false;
};

// The environment block the caller has, with extra variables added or replaced (names compared
// without regard to case, as Windows does).
std::string MergedEnvironmentBlock(const Environment& extraEnvironment);

// Quotes one command-line word so the usual Windows rules read it back unchanged.
std::string QuoteArgument(const std::string& word);

// A fresh, empty folder under the temporary folder, deleted with everything in it on destruction.
class TempFolder
{
public:
    explicit TempFolder(const std::string& tag);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& path() const { return path_; }
    // path() + "\" + name
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // Copies sourcePath into the folder as name; true on success.
    bool CopyIn(const std::string& sourcePath, const std::string& name) const;
    bool WriteFile(const std::string& name, const std::string& contents) const;

private:
    std::string path_;
};

// The folder every built program of the kit and its tools lies in (JQ_BIN_DIR, which may be a
// host path, else this program's own folder), without a trailing backslash.
std::string BinFolder();
// A Windows path for a host path: "/a/b" becomes "Z:\a\b"; Windows paths are kept.
std::string WindowsPath(const std::string& path);

bool FileExists(const std::string& path);
// The whole file as text; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);
bool WriteTextFile(const std::string& path, const std::string& contents);
// Waits up to timeoutMs for a file to exist and to contain `needle` (empty: anything).
bool WaitForFileText(const std::string& path, const std::string& needle, DWORD timeoutMs);

// --- Windows -----------------------------------------------------------------------------------

std::string WindowText(HWND window);
std::string ClassName(HWND window);
DWORD WindowProcessId(HWND window);

// Waits up to timeoutMs for a visible top-level window with exactly this caption; when processId
// is not 0, only windows of that process count. Null on timeout.
HWND WaitForWindow(const std::string& caption, DWORD timeoutMs, DWORD processId = 0);
// Waits up to timeoutMs for any visible top-level window of the process. Null on timeout.
HWND WaitForAnyWindowOf(DWORD processId, DWORD timeoutMs);
// Every visible top-level window of the process.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
// Waits up to timeoutMs for the window to be gone; true when it is.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

struct Control
{
    HWND window = nullptr;
    std::string className;
    std::string text;
    int id = 0;
    RECT rect{};  // in screen coordinates
};

// The direct child controls of a window, in Z order.
std::vector<Control> ChildControls(HWND parent);
// Texts of the buttons among the children, with the '&' accelerator marks removed.
std::vector<std::string> ButtonTexts(HWND parent);
// The text of a message box: its static controls that carry text, joined with "\n".
std::string StaticTexts(HWND parent);
// Presses the child button whose text (without '&' marks) is buttonText, as a click would: the
// parent gets WM_COMMAND/BN_CLICKED from it. False when there is no such button.
bool PressButton(HWND parent, const std::string& buttonText);

// --- Per-user registry, for setting up and checking tests --------------------------------------

bool SetUserString(const std::string& key, const std::string& name, const std::string& data);
bool UserValueExists(const std::string& key, const std::string& name);
// The value's text data; empty when missing.
std::string UserString(const std::string& key, const std::string& name);
// Deletes the key with everything under it; true when it is gone afterwards.
bool DeleteUserKey(const std::string& key);

// --- Wine's settings for one program, by its file name (HKCU\Software\Wine\AppDefaults) ------

// Where Wine takes a DLL from for that program: e.g. ("JqSetup.exe", "advpack", "native,builtin")
// prefers a copy in the program's folder, as Windows' own search order would.
bool SetWineDllOverride(const std::string& programFile, const std::string& dll,
                        const std::string& order);
// The Windows version Wine reports to that program: "winxp" (5.1), "winxp64" (5.2), "win7" (6.1).
bool SetWineVersion(const std::string& programFile, const std::string& version);
// Back to the prefix's settings for that program.
bool ClearWineSettings(const std::string& programFile);

}  // namespace uidriver
