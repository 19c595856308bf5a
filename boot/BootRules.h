// The launcher's decisions, as plain functions of plain values: the version word, the result of
// the administrator test, the program's path, the command line and the architecture code.
// Nothing here calls Windows; Launcher.cpp puts these together with the platform operations.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace jqboot {

// Paths live in buffers of this many characters, terminator included.
const int TextBufferSize = MAX_PATH;
typedef char TextBuffer[TextBufferSize];

extern const char* const SetupProgram;  // "JqSetup.exe"

// 10 x major + minor from the value GetVersion returns (major in the lowest byte, minor in the
// next); 5.1 gives 51, 5.2 gives 52.
int WindowsVersion(unsigned long versionWord);
// False for 5.1 (Windows XP) and below, true from 5.2 on.
bool IsAfterXp(int windowsVersion);
// Administrator rights are asked for unless this is XP or older, the shell offers IsUserAnAdmin
// and it says the user is an administrator.
bool NeedsElevation(bool isAfterXp, bool isUserAnAdminFound, bool userIsAdmin);
// Whether IsUserAnAdmin is to be called at all: only on XP and older, and only when it exists.
bool ShouldAskIsUserAnAdmin(bool isAfterXp, bool isUserAnAdminFound);

// Cuts a program's full path, in place, to its folder without the trailing backslash: the last
// backslash at position 3 or later and everything after it go; without one the text keeps its
// first two characters ("C:\JqBoot.exe" gives "C:"). An empty text stays empty.
void CutToProgramFolder(char* path);

// The first argument after the program name, read by the usual Windows rules (blanks separate,
// double quotes group, backslashes escape a quote); empty when there is none. A longer argument
// is cut to the buffer; only short ones matter.
void FirstArgument(const char* commandLine, TextBuffer& argument);
// "/chk64" in any letter case selects the installer mode.
bool IsInstallerMode(const char* firstArgument);
// "Trovalin64-enu12.EXE" for PROCESSOR_ARCHITECTURE_AMD64 (9) only, else "Trovalin32-enu12.EXE".
const char* InstallerFor(unsigned short processorArchitecture);
// "runas" to ask for administrator rights, else "open".
const char* VerbFor(bool elevate);

// "<folder>\<file>". False, with an empty path, when the folder is empty or the path would not
// fit: a program is only ever started by its full path in the kit folder, so that nothing of the
// same name elsewhere (the search path) runs in its place.
bool JoinPath(TextBuffer& path, const char* folder, const char* file);

// The start request: the verb, a process handle back (SEE_MASK_NOCLOSEPROCESS and no other flag,
// so the system's own error report stays), the folder as working folder, parameters and folder
// left out when empty or absent, SW_SHOWDEFAULT. The request points at the texts given.
void FillStartRequest(SHELLEXECUTEINFOA& request, HWND window, const char* folder,
                      const char* programPath, const char* parameters, bool elevate);

}  // namespace jqboot
