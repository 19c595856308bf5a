// The yardstick for the tester's start-up and CPU figures: a bare Win32 window built like the kit's
// programs, with the tester's frame, client size and background colour, centred on the screen and
// painted in that one colour. With "/timers" it also runs two timers of 25 ms and 10 ms whose
// handlers do nothing: the tester's two timers without their work.
#include <windows.h>

#include <string.h>

namespace {

const char WindowClassName[] = "JqBenchBareWindow";
const COLORREF Background = RGB(232, 232, 232);  // the tester's form colour
const int ClientWidth = 369;
const int ClientHeight = 394;
const UINT_PTR PollTimerId = 1;
const UINT_PTR WaveTimerId = 2;

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers the whole client
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(Background);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WindowClassName;
    if (!RegisterClassA(&windowClass))
        return 0;

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame = {0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    HWND window = CreateWindowExA(exStyle, WindowClassName, "Bare Window", style, left, top, width,
                                  height, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    if (strstr(commandLine, "/timers")) {
        SetTimer(window, PollTimerId, 25, nullptr);
        SetTimer(window, WaveTimerId, 10, nullptr);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
