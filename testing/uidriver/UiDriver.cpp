// Implementation of the end-to-end test tools; see UiDriver.h.
#include "UiDriver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace uidriver {

namespace {

const DWORD PollMs = 30;

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string WithoutAccelerators(const std::string& text)
{
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

struct WindowSearch
{
    DWORD processId;
    const std::string* caption;  // null: any caption
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->processId != 0 && WindowProcessId(window) != search->processId)
        return TRUE;
    if (search->caption && WindowText(window) != *search->caption)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTopLevel(DWORD processId, const std::string* caption)
{
    WindowSearch search{processId, caption, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ScopedKey
{
public:
    ScopedKey() = default;
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    ~ScopedKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(PollMs);
    }
}

// --- Process -----------------------------------------------------------------------------------

Process::Process(Process&& other) noexcept
    : process_(other.process_), id_(other.id_), ended_(other.ended_)
{
    other.process_ = nullptr;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Close();
        process_ = other.process_;
        id_ = other.id_;
        ended_ = other.ended_;
        other.process_ = nullptr;
    }
    return *this;
}

Process::~Process() { Close(); }

void Process::Close()
{
    if (!process_)
        return;
    if (!ended_)
        Kill();
    CloseHandle(process_);
    process_ = nullptr;
}

Process Process::Start(const std::string& commandLine, const std::string& workingFolder,
                       const Environment& extraEnvironment)
{
    Process started;
    std::string environment = MergedEnvironmentBlock(extraEnvironment);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, &environment[0],
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                       &info)) {
        CloseHandle(info.hThread);
        started.process_ = info.hProcess;
        started.id_ = info.dwProcessId;
    }
    return started;
}

bool Process::Wait(DWORD timeoutMs)
{
    if (!process_)
        return false;
    if (!ended_)
        ended_ = WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    return ended_;
}

bool Process::IsRunning() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Process::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process_)
        GetExitCodeProcess(process_, &code);
    return code;
}

void Process::Kill()
{
    if (process_ && IsRunning()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
    ended_ = true;
}

std::string MergedEnvironmentBlock(const Environment& extraEnvironment)
{
    std::vector<std::string> entries;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry; entry += std::strlen(entry) + 1)
            entries.push_back(entry);
        FreeEnvironmentStringsA(block);
    }
    for (const auto& variable : extraEnvironment) {
        auto sameName = [&](const std::string& entry) {
            // Entries such as "=C:=C:\" hold per-drive folders; their name starts after the '='.
            size_t equals = entry.find('=', 1);
            return equals != std::string::npos &&
                   SameTextIgnoringCase(entry.substr(0, equals), variable.first);
        };
        entries.erase(std::remove_if(entries.begin(), entries.end(), sameName), entries.end());
        entries.push_back(variable.first + "=" + variable.second);
    }
    std::string block;
    for (const auto& entry : entries) {
        block += entry;
        block += '\0';
    }
    block += '\0';
    return block;
}

std::string QuoteArgument(const std::string& word)
{
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos)
        return word;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(2 * backslashes + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}

// --- Files and folders -------------------------------------------------------------------------

TempFolder::TempFolder(const std::string& tag)
{
    static unsigned counter = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    std::string base = (length > 0 && length < MAX_PATH) ? std::string(temp, length) : "C:\\";
    if (base.back() == '\\')
        base.pop_back();
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof name, "\\jq-%s-%lu-%u", tag.c_str(), GetCurrentProcessId(),
                      ++counter);
        path_ = base + name;
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            path_.clear();
            break;
        }
    }
}

TempFolder::~TempFolder()
{
    if (!path_.empty())
        DeleteTree(path_);
}

bool TempFolder::CopyIn(const std::string& sourcePath, const std::string& name) const
{
    return CopyFileA(sourcePath.c_str(), (*this / name).c_str(), FALSE) != 0;
}

bool TempFolder::WriteFile(const std::string& name, const std::string& contents) const
{
    return WriteTextFile(*this / name, contents);
}

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

std::string BinFolder()
{
    char buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("JQ_BIN_DIR", buffer, MAX_PATH);
    std::string folder;
    if (length > 0 && length < MAX_PATH) {
        folder = WindowsPath(buffer);
    } else {
        length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
        folder.assign(buffer, length < MAX_PATH ? length : 0);
        size_t slash = folder.find_last_of('\\');
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    }
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadTextFile(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        text.append(chunk, read);
    CloseHandle(file);
    return text;
}

bool WriteTextFile(const std::string& path, const std::string& contents)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written,
                          nullptr) &&
              written == contents.size();
    CloseHandle(file);
    return ok;
}

bool WaitForFileText(const std::string& path, const std::string& needle, DWORD timeoutMs)
{
    return WaitUntil([&] {
        return FileExists(path) && ReadTextFile(path).find(needle) != std::string::npos;
    }, timeoutMs);
}

// --- Windows -----------------------------------------------------------------------------------

std::string WindowText(HWND window)
{
    char text[1024] = "";
    // WM_GETTEXT answers for windows of other processes too, unlike GetWindowText for controls.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD WindowProcessId(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

HWND WaitForWindow(const std::string& caption, DWORD timeoutMs, DWORD processId)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindTopLevel(processId, &caption);
        if (!found.empty())
            return found.front();
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(PollMs);
    }
}

HWND WaitForAnyWindowOf(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindTopLevel(processId, nullptr);
        if (!found.empty())
            return found.front();
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(PollMs);
    }
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) { return FindTopLevel(processId, nullptr); }

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(PollMs);
    }
    return true;
}

std::vector<Control> ChildControls(HWND parent)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control control;
        control.window = child;
        control.className = ClassName(child);
        control.text = WindowText(child);
        control.id = GetDlgCtrlID(child);
        GetWindowRect(child, &control.rect);
        controls.push_back(control);
    }
    return controls;
}

std::vector<std::string> ButtonTexts(HWND parent)
{
    std::vector<std::string> texts;
    for (const Control& control : ChildControls(parent))
        if (SameTextIgnoringCase(control.className, "Button"))
            texts.push_back(WithoutAccelerators(control.text));
    return texts;
}

std::string StaticTexts(HWND parent)
{
    std::string joined;
    for (const Control& control : ChildControls(parent)) {
        if (!SameTextIgnoringCase(control.className, "Static") || control.text.empty())
            continue;
        if (!joined.empty())
            joined += "\n";
        joined += control.text;
    }
    return joined;
}

bool PressButton(HWND parent, const std::string& buttonText)
{
    for (const Control& control : ChildControls(parent)) {
        if (SameTextIgnoringCase(control.className, "Button") &&
            WithoutAccelerators(control.text) == buttonText) {
            // Posted, not sent: the owner may answer by ending a modal loop.
            return PostMessageA(parent, WM_COMMAND,
                                MAKEWPARAM(static_cast<WORD>(control.id), BN_CLICKED),
                                reinterpret_cast<LPARAM>(control.window)) != 0;
        }
    }
    return false;
}

// --- Registry ----------------------------------------------------------------------------------

bool SetUserString(const std::string& key, const std::string& name, const std::string& data)
{
    ScopedKey opened;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        opened.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(opened.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool UserValueExists(const std::string& key, const std::string& name)
{
    ScopedKey opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, opened.out()) !=
        ERROR_SUCCESS)
        return false;
    return RegQueryValueExA(opened.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string UserString(const std::string& key, const std::string& name)
{
    ScopedKey opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, opened.out()) !=
        ERROR_SUCCESS)
        return {};
    char data[1024] = "";
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return {};
    data[size < sizeof data ? size : sizeof data - 1] = '\0';
    return data;
}

bool DeleteUserKey(const std::string& key)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    ScopedKey opened;
    return RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, opened.out()) !=
           ERROR_SUCCESS;
}

// --- Wine's per-program settings ---------------------------------------------------------------

namespace {
std::string WineSettingsKey(const std::string& programFile)
{
    return "Software\\Wine\\AppDefaults\\" + programFile;
}
}  // namespace

bool SetWineDllOverride(const std::string& programFile, const std::string& dll,
                        const std::string& order)
{
    return SetUserString(WineSettingsKey(programFile) + "\\DllOverrides", dll, order);
}

bool SetWineVersion(const std::string& programFile, const std::string& version)
{
    return SetUserString(WineSettingsKey(programFile), "Version", version);
}

bool ClearWineSettings(const std::string& programFile)
{
    return DeleteUserKey(WineSettingsKey(programFile));
}

}  // namespace uidriver
