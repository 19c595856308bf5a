#include "SetupRules.h"

#include <cstdio>
#include <cstring>

namespace jqsetup {

const char* const MessageCaption = "Force feedback wheel";
const char* const ReinstallQuestion =
    "Driver is installed, press 'Yes' to reinstall or 'No' to uninstall";
const char* const InstallerProgram = "DPInst.exe";
const char* const DriverInf = "Driver.inf";

namespace {

const unsigned short ArchitectureAmd64 = 9;
const int FirstVistaVersion = 60;
const int InfCommandNumber = 1;

// Formats into the buffer; false, and an empty text, when the result does not fit. The C
// runtime's own _snprintf does it (a cut result comes back as -1 or the full size); the C99
// snprintf of MinGW would add some 16 KiB of floating-point formatting this never uses.
template <typename... Values>
bool FormatWhole(TextBuffer& buffer, const char* format, Values... values)
{
    int length = _snprintf(buffer, TextBufferSize, format, values...);
    if (length < 0 || length >= TextBufferSize) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

const char* ResultText(DriverAction action, bool succeeded)
{
    if (action == DriverAction::Install)
        return succeeded ? "Driver is install success" : "Driver is install error";
    return succeeded ? "Driver is uninstall success" : "Driver is uninstall error";
}

int WindowsVersion(unsigned long versionWord)
{
    int major = static_cast<int>(versionWord & 0xFF);
    int minor = static_cast<int>((versionWord >> 8) & 0xFF);
    return 10 * major + minor;
}

bool IsVistaOrLater(int windowsVersion) { return windowsVersion >= FirstVistaVersion; }

bool IsX64(unsigned short processorArchitecture)
{
    return processorArchitecture == ArchitectureAmd64;
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

DriverAction ChooseAction(bool driverInstalled, int answer)
{
    return driverInstalled && answer == IDNO ? DriverAction::Uninstall : DriverAction::Install;
}

const char* InfFileName(bool isVistaOrLater, bool isX64)
{
    return isVistaOrLater || isX64 ? "SetupInf.txt" : "XPSetupInf.txt";
}

bool FormatInfCommand(TextBuffer& command, const char* folder, const char* infFile,
                      DriverAction action)
{
    if (folder[0] == '\0') {
        command[0] = '\0';
        return false;
    }
    const char* format = action == DriverAction::Install ? "%s\\%s,DefaultInstall,,%d"
                                                         : "%s\\%s,DefaultUninstall,,%d";
    return FormatWhole(command, format, folder, infFile, InfCommandNumber);
}

void FormatInstallerParameters(TextBuffer& parameters, DriverAction action)
{
    if (action == DriverAction::Install)
        FormatWhole(parameters, " /f /lm /l 0x0409 ");
    else
        FormatWhole(parameters, " /u %s /d /q /l 0x0409 ", DriverInf);
}

bool JoinPath(TextBuffer& path, const char* folder, const char* file)
{
    if (folder[0] == '\0') {
        path[0] = '\0';
        return false;
    }
    return FormatWhole(path, "%s\\%s", folder, file);
}

void FillStartRequest(SHELLEXECUTEINFOA& request, HWND window, const char* folder,
                      const char* programPath, const char* parameters)
{
    std::memset(&request, 0, sizeof request);
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.hwnd = window;
    request.lpVerb = "open";
    request.lpFile = programPath;
    request.lpParameters = parameters[0] != '\0' ? parameters : nullptr;
    request.lpDirectory = folder[0] != '\0' ? folder : nullptr;
    request.nShow = SW_SHOWDEFAULT;
}

}  // namespace jqsetup
