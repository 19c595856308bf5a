#include "DriverSetup.h"

namespace jqsetup {

const char* const DriverSettingsKey =
    "Software\\Quorvik\\Vantrel\\DriverSettings\\VID_7D2E&PID_0003";
const char* const DriverSettingsValue = "DamperStrength";

namespace {

// Both actions in the same order: the INF section in this process, then the driver package
// installer, which runs whatever became of the INF step. Only the INF step decides the outcome.
bool RunDriverAction(SetupPlatform& platform, const SystemFacts& facts, HWND window,
                     const char* folder, DriverAction action)
{
    TextBuffer command;
    int infResult = -1;  // failure unless the INF step runs and succeeds

    if (HMODULE advpack = platform.LoadAdvpack()) {
        if (LaunchInfSectionEntry entry = platform.FindLaunchInfSection(advpack)) {
            const char* infFile = InfFileName(facts.isVistaOrLater, facts.isX64);
            if (FormatInfCommand(command, folder, infFile, action))
                infResult = platform.LaunchInfSection(entry, command);
        }
        platform.FreeAdvpack(advpack);
    }

    FormatInstallerParameters(command, action);
    RunAndWait(platform, window, folder, InstallerProgram, command);

    return infResult == 0;
}

}  // namespace

bool InstallDriver(SetupPlatform& platform, const SystemFacts& facts, HWND window,
                   const char* folder)
{
    return RunDriverAction(platform, facts, window, folder, DriverAction::Install);
}

bool UninstallDriver(SetupPlatform& platform, const SystemFacts& facts, HWND window,
                     const char* folder)
{
    return RunDriverAction(platform, facts, window, folder, DriverAction::Uninstall);
}

void RunAndWait(SetupPlatform& platform, HWND window, const char* folder, const char* file,
                const char* parameters)
{
    TextBuffer programPath;
    if (!JoinPath(programPath, folder, file))
        return;
    SHELLEXECUTEINFOA request;
    FillStartRequest(request, window, folder, programPath, parameters);
    if (HANDLE process = platform.StartProgram(request))
        platform.WaitAndClose(process);
}

void RunSetup(SetupPlatform& platform)
{
    HWND owner = platform.DesktopWindow();

    SystemFacts facts;
    facts.isVistaOrLater = IsVistaOrLater(WindowsVersion(platform.Version()));
    facts.isX64 = IsX64(platform.NativeArchitecture());

    // A path that cannot be had whole leaves the folder empty: then nothing is run from it.
    TextBuffer programFolder = "";
    if (platform.ModulePath(programFolder))
        CutToProgramFolder(programFolder);
    else
        programFolder[0] = '\0';

    bool installed = platform.UserValueExists(DriverSettingsKey, DriverSettingsValue);
    int answer = 0;
    if (installed)
        answer = platform.ShowMessage(owner, ReinstallQuestion, MessageCaption, QuestionFlags);
    DriverAction action = ChooseAction(installed, answer);

    bool succeeded = action == DriverAction::Install
                         ? InstallDriver(platform, facts, owner, programFolder)
                         : UninstallDriver(platform, facts, owner, programFolder);
    platform.ShowMessage(owner, ResultText(action, succeeded), MessageCaption, ResultFlags);
}

}  // namespace jqsetup
