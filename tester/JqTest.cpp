// The test dialog: its life cycle, the choice of the wheel among the attached game controllers,
// the reaction to devices coming and going, and the 25 ms poll that shows the wheel's inputs.
// The force wave (ForceWave.cpp) and the steering gauge (SteeringGauge.cpp) live in files of
// their own.
#include "JqTest.h"

#include <windows.h>
#include <dbt.h>
#include <objbase.h>
#include <string.h>

extern "C" {
#include <hidsdi.h>
}

#include "Controllers.h"
#include "Graphics.h"
#include "InputMapping.h"
#include "JqTestForm.h"

TJQTestDlg* JQTestDlg = nullptr;

namespace {

// The filter is the fixed-size header only: the class GUID selects HID interfaces, the name stays
// empty.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) == 32, "device-interface filter layout");

// Asks Windows to tell the window when a HID device interface arrives or goes. The returned
// notification handle is not kept: the registration ends with the window.
void RegisterForHidNotifications(HWND window)
{
    GUID hidClass;
    HidD_GetHidGuid(&hidClass);

    DEV_BROADCAST_DEVICEINTERFACE_A filter;
    memset(&filter, 0, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_reserved = 0;
    filter.dbcc_classguid = hidClass;
    RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

// Device changes after which the attached controllers may differ. The broadcast header in
// LParam is not looked at, so any kind of device arriving or leaving counts.
bool DeviceChangeNeedsRescan(WPARAM event)
{
    return event == DBT_DEVNODES_CHANGED || event == DBT_DEVICEARRIVAL
           || event == DBT_DEVICEREMOVECOMPLETE;
}

} // namespace

TJQTestDlg::TJQTestDlg(TComponent* Owner)
    : TForm(Owner)
{
    ReadJqTestForm(*this);

    CoInitialize(nullptr);
    WheelIndex = -1;
    WheelPosition = 0;
    WaveIndex = -1;
    WaveRemaining = 0;

    // Asking for the handle creates the dialog's window.
    RegisterForHidNotifications(Handle());
}

TJQTestDlg::~TJQTestDlg()
{
    // FormDestroy has closed the controller layer by now, so no DirectInput object outlives COM.
    CoUninitialize();
}

void TJQTestDlg::FormCreate(TObject*)
{
    OpenControllers(Handle());

    TShape* const buttons[12] = {Btn1Shape, Btn2Shape, Btn3Shape,  Btn4Shape,
                                 Btn5Shape, Btn6Shape, Btn7Shape,  Btn8Shape,
                                 Btn9Shape, Btn10Shape, Btn11Shape, Btn12Shape};
    for (int i = 0; i < 12; ++i)
        ButtonShapes[i] = buttons[i];

    TShape* const hat[8] = {P0Shape, P1Shape, P2Shape, P3Shape,
                            P4Shape, P5Shape, P6Shape, P7Shape};
    for (int d = 0; d < 8; ++d)
        HatShapes[d] = hat[d];

    // The pedal axis is read in the full -32768..32767 range; the bars show one half each.
    BrakeProgressBar->Min = 0;
    BrakeProgressBar->Max = 32767;
    BrakeProgressBar->Position = 0;
    AcceProgressBar->Min = 0;
    AcceProgressBar->Max = 32767;
    AcceProgressBar->Position = 0;

    RescanControllers();
}

void TJQTestDlg::FormDestroy(TObject*)
{
    CloseControllers();
}

void TJQTestDlg::OkButtonClick(TObject*)
{
    Close();
}

void TJQTestDlg::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_DEVICECHANGE)
        WMDeviceChange(Message);
    else
        TForm::Dispatch(Message);
}

// Answers 0, the result the message arrives with, whatever the event.
void TJQTestDlg::WMDeviceChange(TMessage& Message)
{
    if (DeviceChangeNeedsRescan(Message.WParam))
        RescanControllers();
}

// Reopens the controller layer and picks the first controller that is the wheel. The indicators
// are left alone: the next poll ticks show the newly selected controller.
void TJQTestDlg::RescanControllers()
{
    CloseControllers();
    OpenControllers(Handle());

    // Any wave being played went with the closed devices.
    WheelIndex = -1;
    WheelPosition = 0;
    WaveIndex = -1;
    WaveRemaining = 0;

    const int count = ControllerCount();
    for (int i = 0; i < count; ++i) {
        const ControllerRecord* controller = ControllerAt(i);
        if (controller && controller->ProductId == WheelProductId) {
            WheelIndex = i;
            break;
        }
    }
}

// One poll of the wheel every 25 ms. A read that delivers nothing (no wheel, or the device being
// acquired again) leaves the prepared state, which shows as no input at all.
void TJQTestDlg::Timer1Timer(TObject*)
{
    DIJOYSTATE2 state;
    memset(&state, 0, sizeof state);
    state.rgdwPOV[0] = 0xFFFFFFFF;
    ReadControllerState(WheelIndex, &state);

    // The gauge repaints from WheelPosition; only a changed value asks for a repaint.
    if (state.lX != WheelPosition) {
        WheelPosition = state.lX;
        WheelPaintBox->Invalidate();
    }

    BrakeProgressBar->Position = BrakeBarPosition(state.lY);
    AcceProgressBar->Position = AcceleratorBarPosition(state.lY);

    // Arming is level-triggered: a held button keeps restarting its wave, and of several held
    // buttons the highest-numbered one wins.
    for (int i = 0; i < 12; ++i) {
        if (IsButtonPressed(state.rgbButtons[i])) {
            ButtonShapes[i]->Brush.Color = clRed;
            if (i < WaveButtonCount) {
                WaveIndex = i;
                WaveRemaining = WaveDurationMs;
            }
        } else {
            ButtonShapes[i]->Brush.Color = clMaroon;
        }
    }

    const int direction = HatDirection(state.rgdwPOV[0]);
    for (int d = 0; d < 8; ++d)
        HatShapes[d]->Visible = (d == direction);
}
