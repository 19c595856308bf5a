// What the force wave and steering gauge tests share: the dialog built over our own DirectInput
// as the application builds it, its private state read through the inspector, and the poll and
// wave ticks run by hand (no message loop runs them), so every step is deterministic.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <memory>
#include <vector>

#include "FakeDirectInput.h"
#include "JqTest.h"

// Reads and sets the dialog's private state; adds no behaviour.
struct TJQTestDlgInspector
{
    static int WheelIndex(const TJQTestDlg& d) { return d.WheelIndex; }
    static int WheelPosition(const TJQTestDlg& d) { return d.WheelPosition; }
    static int WaveIndex(const TJQTestDlg& d) { return d.WaveIndex; }
    static int WaveRemaining(const TJQTestDlg& d) { return d.WaveRemaining; }
};

namespace wavegauge {

using Inspect = TJQTestDlgInspector;

// Constructed, then OnCreate; freed with OnDestroy first.
struct DialogDeleter
{
    void operator()(TJQTestDlg* dialog) const { dialog->Free(); }
};
using Dialog = std::unique_ptr<TJQTestDlg, DialogDeleter>;

inline Dialog OpenDialog()
{
    Dialog dialog(new TJQTestDlg(nullptr));
    dialog->AfterConstruction();
    return dialog;
}

inline void PollTick(TJQTestDlg& dialog)
{
    dialog.Timer1->Timer();
}

inline void WaveTick(TJQTestDlg& dialog)
{
    dialog.FFWaveTimer->Timer();
}

inline LRESULT SendDeviceChange(TJQTestDlg& dialog, WPARAM event)
{
    DEV_BROADCAST_HDR header = {};
    header.dbch_size = sizeof header;
    header.dbch_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    return SendMessageA(dialog.Handle(), WM_DEVICECHANGE, event,
                        reinterpret_cast<LPARAM>(&header));
}

// The wheel at rest, with its steering at `steering` and the given buttons (1..12) held.
inline DIJOYSTATE2 WheelReading(LONG steering, const std::vector<int>& buttons = {})
{
    DIJOYSTATE2 state = fakedi::NeutralState();
    state.lX = steering;
    for (int button : buttons)
        state.rgbButtons[button - 1] = 0x80;
    return state;
}

// The dialog with the wheel (one force axis) selected and acquired by a first poll tick, so the
// next tick reads what the wheel is set to.
struct WheelAndDialog
{
    fakedi::DeviceId wheel;
    Dialog dialog;
};

inline WheelAndDialog OpenWithWheel()
{
    WheelAndDialog opened;
    opened.wheel = fakedi::AddWheel(1);
    opened.dialog = OpenDialog();
    PollTick(*opened.dialog);
    return opened;
}

} // namespace wavegauge
