// The DirectInput GUIDs the layer and c_dfDIJoystick2 use, defined here from dinput.h rather than
// taken from dxguid, whose one object file would bring every DirectX GUID (some 18 KiB) along;
// the linker keeps only the GUIDs that are used.
#include <windows.h>
#include <initguid.h>

#include "Controllers.h"
