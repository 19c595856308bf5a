// A tiny windowed program for the virtual wheel's end-to-end test. It opens the controller layer
// through the real dinput8 import (the virtual wheel lies beside it), reports what it sees to the
// file named by its first argument, rescans on WM_DEVICECHANGE as the tester's dialog does, and
// ends on WM_CLOSE.
#include "Controllers.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

FILE* Report = nullptr;
const UINT_PTR GiveUpTimer = 1;
const UINT GiveUpAfterMs = 15000;

void Line(const char* format, ...)
{
    if (!Report)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(Report, format, arguments);
    va_end(arguments);
    fputc('\n', Report);
    fflush(Report);
}

void DescribeControllers()
{
    Line("count %d", ControllerCount());
    for (int i = 0; i < ControllerCount(); ++i) {
        const ControllerRecord* record = ControllerAt(i);
        Line("controller %d product=0x%08lX forceaxes=%lu effect=%d name=%s", i, record->ProductId, record->ForceAxes,
             record->Effect ? 1 : 0, record->ProductName);
    }
}

int FindWheel()
{
    for (int i = 0; i < ControllerCount(); ++i) {
        if (ControllerAt(i)->ProductId == 0x00037D2E)
            return i;
    }
    return -1;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE && (wParam == 0x8000 || wParam == 0x8004)) {
        Line("devicechange 0x%04X", static_cast<unsigned>(wParam));
        CloseControllers();
        OpenControllers(window);
        DescribeControllers();
        return 0;
    }
    // The test closes the program only after the wheel has logged the delivered change: the
    // wheel writes that line once this handler has returned, and ending here would cut it off.
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER && wParam == GiveUpTimer) {
        Line("timeout");
        PostQuitMessage(1);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 2 || !(Report = fopen(__argv[1], "w")))
        return 2;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "VirtualWheelHost";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("VirtualWheelHost", "Virtual wheel host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, instance, nullptr);

    Line("open hr=0x%08lX", static_cast<unsigned long>(OpenControllers(window)));
    DescribeControllers();
    const int wheel = FindWheel();
    Line("wheel %d", wheel);

    // The first read acquires the device, the second reads it.
    DIJOYSTATE2 state;
    for (int read = 0; read < 2; ++read) {
        memset(&state, 0, sizeof(state));
        state.rgdwPOV[0] = 0xFFFFFFFF;
        ReadControllerState(wheel, &state);
    }
    unsigned buttons = 0;
    for (int i = 0; i < 12; ++i) {
        if (state.rgbButtons[i])
            buttons |= 1u << i;
    }
    Line("state x=%ld y=%ld pov=%ld buttons=0x%03X", state.lX, state.lY, static_cast<long>(state.rgdwPOV[0]), buttons);
    Line("force hr=0x%08lX", static_cast<unsigned long>(SetConstantForce(wheel, -4000, 0)));
    StopForce(wheel);
    Line("ready");

    SetTimer(window, GiveUpTimer, GiveUpAfterMs, nullptr);
    MSG message;
    int code = 0;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    code = static_cast<int>(message.wParam);

    CloseControllers();
    Line("closed");
    fclose(Report);
    DestroyWindow(window);
    return code;
}
