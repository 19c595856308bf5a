// The launcher's run: start the setup program (elevated where needed) or, with "/chk64", the
// driver installer that suits the processor, and wait for it.
#pragma once

#include "BootPlatform.h"

namespace jqboot {

// The whole run, from reading the program's path to the end of the started program.
void RunLauncher(BootPlatform& platform);

// Starts <folder>\<file> with the folder as working folder, verb "runas" when elevate is set,
// else "open", and waits for it to end. Starts nothing when that path does not fit. Parameters
// may be null or empty for none. The outcome is not looked at.
void LaunchAndWait(BootPlatform& platform, HWND window, const char* folder, const char* file,
                   const char* parameters, bool elevate);

}  // namespace jqboot
