#include "Launcher.h"

namespace jqboot {

void LaunchAndWait(BootPlatform& platform, HWND window, const char* folder, const char* file,
                   const char* parameters, bool elevate)
{
    TextBuffer programPath;
    if (!JoinPath(programPath, folder, file))
        return;
    SHELLEXECUTEINFOA request;
    FillStartRequest(request, window, folder, programPath, parameters, elevate);
    if (HANDLE process = platform.StartProgram(request))
        platform.WaitAndClose(process);
}

void RunLauncher(BootPlatform& platform)
{
    // A path that cannot be had whole leaves the folder empty: then nothing is started from it.
    TextBuffer programFolder = "";
    bool pathWhole = platform.ModulePath(programFolder);
    if (!pathWhole)
        programFolder[0] = '\0';

    bool isAfterXp = IsAfterXp(WindowsVersion(platform.Version()));
    bool isUserAnAdminFound = platform.FindIsUserAnAdmin();
    bool userIsAdmin = ShouldAskIsUserAnAdmin(isAfterXp, isUserAnAdminFound) &&
                       platform.IsUserAnAdmin();
    bool elevate = NeedsElevation(isAfterXp, isUserAnAdminFound, userIsAdmin);

    CutToProgramFolder(programFolder);

    HWND window = platform.DesktopWindow();
    TextBuffer firstArgument;
    FirstArgument(platform.CommandLine(), firstArgument);
    if (IsInstallerMode(firstArgument)) {
        // The driver installers ask for rights themselves where they need them.
        const char* installer = InstallerFor(platform.NativeArchitecture());
        LaunchAndWait(platform, window, programFolder, installer, nullptr, false);
    } else {
        LaunchAndWait(platform, window, programFolder, SetupProgram, nullptr, elevate);
    }
}

}  // namespace jqboot
