// A stand-in for the kit's separate programs ("DPInst.exe", the driver installers, and for the
// launcher's tests "JqSetup.exe"): copied under their names into a test kit folder, it records
// how it was started and exits with 0. It opens no window.
//
// Log: the file named by the environment variable JQ_STANDIN_LOG, else "standin.log" beside
// this program. Each run appends two lines (tab-separated, times as FILETIME counts in decimal):
//   start <TAB> <own file name> <TAB> <command line after the program name> <TAB> <working folder> <TAB> <time>
//   end <TAB> <own file name> <TAB> <time>
// The command-line text is kept exactly, blanks included. StandinLog.h reads the log back.
//
// JQ_STANDIN_SLEEP_MS, when set, keeps it running that many milliseconds between the two lines,
// so a test can see whether whoever started it waits for it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name)
{
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return (length > 0 && length < MAX_PATH) ? std::string(value, length) : std::string();
}

std::string Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    char text[32];
    std::snprintf(text, sizeof text, "%llu", ticks);
    return text;
}

// The command line without its first word, the program name (quoted or not).
std::string ArgumentsText()
{
    const char* line = GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line == '"')
            ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    return line;
}

void Append(const std::string& logPath, const std::string& line)
{
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, 0, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, length < MAX_PATH ? length : 0);
    size_t slash = own.find_last_of('\\');
    std::string name = slash == std::string::npos ? own : own.substr(slash + 1);
    std::string folderOfSelf = slash == std::string::npos ? std::string() : own.substr(0, slash);

    std::string logPath = Environment("JQ_STANDIN_LOG");
    if (logPath.empty())
        logPath = folderOfSelf + "\\standin.log";

    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);

    Append(logPath, "start\t" + name + "\t" + ArgumentsText() + "\t" + folder + "\t" + Now() +
                        "\r\n");
    std::string sleep = Environment("JQ_STANDIN_SLEEP_MS");
    if (!sleep.empty())
        Sleep(static_cast<DWORD>(std::strtoul(sleep.c_str(), nullptr, 10)));
    Append(logPath, "end\t" + name + "\t" + Now() + "\r\n");
    return 0;
}
