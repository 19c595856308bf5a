// The setup program's run: detect the driver, ask or not, install or uninstall through the INF
// step and the driver package installer, report the outcome.
#pragma once

#include "SetupPlatform.h"

namespace jqsetup {

extern const char* const DriverSettingsKey;  // under HKEY_CURRENT_USER
extern const char* const DriverSettingsValue;

// Facts about the system, found once at start.
struct SystemFacts
{
    bool isVistaOrLater = false;
    bool isX64 = false;
};

// The whole run, from the start-up facts to the closed result box.
void RunSetup(SetupPlatform& platform);

// The INF section DefaultInstall, then the driver package installer; true when the INF step
// succeeded. `window` is passed on to the installer's start.
bool InstallDriver(SetupPlatform& platform, const SystemFacts& facts, HWND window,
                   const char* folder);
// The same with DefaultUninstall and the installer's uninstall parameters.
bool UninstallDriver(SetupPlatform& platform, const SystemFacts& facts, HWND window,
                     const char* folder);

// Starts <folder>\<file> with the parameters, the folder as working folder, and waits for it to
// end. Starts nothing when that path does not fit. The outcome is not looked at.
void RunAndWait(SetupPlatform& platform, HWND window, const char* folder, const char* file,
                const char* parameters);

}  // namespace jqsetup
