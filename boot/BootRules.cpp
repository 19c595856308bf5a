#include "BootRules.h"

#include <cstdio>
#include <cstring>

namespace jqboot {

const char* const SetupProgram = "JqSetup.exe";

namespace {

const unsigned short ArchitectureAmd64 = 9;
const int XpVersion = 51;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Skips the program name: up to the closing quote when it starts with one, else up to the first
// blank. Backslashes have no special meaning in it.
const char* SkipProgramName(const char* line)
{
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        return *line ? line + 1 : line;
    }
    while (*line && !IsBlank(*line))
        ++line;
    return line;
}

}  // namespace

int WindowsVersion(unsigned long versionWord)
{
    int major = static_cast<int>(versionWord & 0xFF);
    int minor = static_cast<int>((versionWord >> 8) & 0xFF);
    return 10 * major + minor;
}

bool IsAfterXp(int windowsVersion) { return windowsVersion > XpVersion; }

bool ShouldAskIsUserAnAdmin(bool isAfterXp, bool isUserAnAdminFound)
{
    return !isAfterXp && isUserAnAdminFound;
}

bool NeedsElevation(bool isAfterXp, bool isUserAnAdminFound, bool userIsAdmin)
{
    return !(ShouldAskIsUserAnAdmin(isAfterXp, isUserAnAdminFound) && userIsAdmin);
}

void CutToProgramFolder(char* path)
{
    int i = static_cast<int>(std::strlen(path)) - 1;
    if (i < 0)
        return;
    while (i >= 3 && path[i] != '\\')
        --i;
    path[i] = '\0';
}

void FirstArgument(const char* commandLine, TextBuffer& argument)
{
    const char* p = SkipProgramName(commandLine);
    while (IsBlank(*p))
        ++p;

    int length = 0;
    auto append = [&](char c, size_t count) {
        for (; count > 0 && length < TextBufferSize - 1; --count)
            argument[length++] = c;
    };
    bool quoted = false;
    while (*p && (quoted || !IsBlank(*p))) {
        size_t backslashes = 0;
        while (*p == '\\') {
            ++backslashes;
            ++p;
        }
        if (*p == '"') {
            // 2n backslashes and a quote: n backslashes, and the quote opens or closes;
            // 2n+1 backslashes and a quote: n backslashes and a literal quote.
            append('\\', backslashes / 2);
            if (backslashes % 2 == 1) {
                append('"', 1);
            } else if (quoted && p[1] == '"') {
                append('"', 1);  // "" inside quotes stands for one quote
                ++p;
            } else {
                quoted = !quoted;
            }
            ++p;
        } else {
            append('\\', backslashes);
            if (*p && (quoted || !IsBlank(*p)))
                append(*p++, 1);
        }
    }
    argument[length] = '\0';
}

bool IsInstallerMode(const char* firstArgument)
{
    static const char Switch[] = "/chk64";
    size_t i = 0;
    for (; firstArgument[i] && Switch[i]; ++i)
        if (LowerAscii(firstArgument[i]) != Switch[i])
            return false;
    return firstArgument[i] == '\0' && Switch[i] == '\0';
}

const char* InstallerFor(unsigned short processorArchitecture)
{
    return processorArchitecture == ArchitectureAmd64 ? "Trovalin64-enu12.EXE"
                                                      : "Trovalin32-enu12.EXE";
}

const char* VerbFor(bool elevate) { return elevate ? "runas" : "open"; }

// The C runtime's own _snprintf (a cut result comes back as -1 or the full size): MinGW's C99
// snprintf would add some 16 KiB of floating-point formatting this never uses.
bool JoinPath(TextBuffer& path, const char* folder, const char* file)
{
    int length = folder[0] ? _snprintf(path, TextBufferSize, "%s\\%s", folder, file) : -1;
    if (length < 0 || length >= TextBufferSize) {
        path[0] = '\0';
        return false;
    }
    return true;
}

void FillStartRequest(SHELLEXECUTEINFOA& request, HWND window, const char* folder,
                      const char* programPath, const char* parameters, bool elevate)
{
    std::memset(&request, 0, sizeof request);
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.hwnd = window;
    request.lpVerb = VerbFor(elevate);
    request.lpFile = programPath;
    request.lpParameters = parameters && parameters[0] ? parameters : nullptr;
    request.lpDirectory = folder && folder[0] ? folder : nullptr;
    request.nShow = SW_SHOWDEFAULT;
}

}  // namespace jqboot
