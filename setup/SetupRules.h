// The setup program's decisions, as plain functions of plain values: the version word, the
// processor architecture code, the program's path, the registry outcome and the user's answer.
// Nothing here calls Windows; DriverSetup.cpp puts these together with the platform operations.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace jqsetup {

// Paths and command texts live in buffers of this many characters, terminator included.
const int TextBufferSize = MAX_PATH;
typedef char TextBuffer[TextBufferSize];

enum class DriverAction { Install, Uninstall };

// Message boxes: caption, question and results.
extern const char* const MessageCaption;            // "Force feedback wheel"
extern const char* const ReinstallQuestion;
const unsigned QuestionFlags = MB_YESNO | MB_ICONINFORMATION;  // 0x44, Yes is the default
const unsigned ResultFlags = MB_OK | MB_ICONINFORMATION;       // 0x40, failures too
const char* ResultText(DriverAction action, bool succeeded);

// Files of the kit that the program names.
extern const char* const InstallerProgram;  // "DPInst.exe"
extern const char* const DriverInf;         // "Driver.inf"

// 10 x major + minor from the value GetVersion returns (major in the lowest byte, minor in the
// next); 5.1 gives 51, 6.1 gives 61.
int WindowsVersion(unsigned long versionWord);
bool IsVistaOrLater(int windowsVersion);
// Only PROCESSOR_ARCHITECTURE_AMD64 (9) counts as x64; Itanium's 6 does not.
bool IsX64(unsigned short processorArchitecture);

// Cuts a program's full path, in place, to its folder without the trailing backslash: the last
// backslash at position 3 or later and everything after it go; without one the text keeps its
// first two characters ("C:\JqSetup.exe" gives "C:"). An empty text stays empty.
void CutToProgramFolder(char* path);

// The installed driver is asked about; without one it is installed without a question. Any
// answer but No (Yes, or a box that could not be shown) means reinstall.
DriverAction ChooseAction(bool driverInstalled, int answer);

// "SetupInf.txt" from Vista on and on every x64 system, else "XPSetupInf.txt".
const char* InfFileName(bool isVistaOrLater, bool isX64);

// The command for LaunchINFSection, "<folder>\<inf>,DefaultInstall,,1" (DefaultUninstall for
// an uninstall). False, with an empty command, when the folder is empty or the command would not
// fit the buffer: the INF step is then not run.
bool FormatInfCommand(TextBuffer& command, const char* folder, const char* infFile,
                      DriverAction action);

// The parameters of the driver package installer: " /f /lm /l 0x0409 " to install,
// " /u Driver.inf /d /q /l 0x0409 " to uninstall.
void FormatInstallerParameters(TextBuffer& parameters, DriverAction action);

// "<folder>\<file>". False, with an empty path, when the folder is empty or the path would not
// fit: a program is only ever started by its full path in the kit folder, so that nothing of the
// same name elsewhere (the search path) runs in its place.
bool JoinPath(TextBuffer& path, const char* folder, const char* file);

// The start request for a program of the kit: verb "open", a process handle back
// (SEE_MASK_NOCLOSEPROCESS and no other flag, so the system's own error report stays), the
// folder as working folder, parameters and folder left out when empty, SW_SHOWDEFAULT. The
// request points at the texts given; they must outlive it.
void FillStartRequest(SHELLEXECUTEINFOA& request, HWND window, const char* folder,
                      const char* programPath, const char* parameters);

}  // namespace jqsetup
