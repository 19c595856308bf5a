// The wheel tester's one dialog, "Force Feedback Wheel Test": it finds the wheel among the attached
// game controllers, shows its steering, pedals, buttons and hat live, plays a force wave when one
// of buttons 1 to 8 is pressed, and follows devices being plugged and unplugged.
#pragma once

#include "Classes.h"
#include "ComCtrls.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

// DirectInput's product identifier of the wheel: USB product ID 0x0003 in the upper 16 bits,
// vendor ID 0x7D2E in the lower 16 bits.
const unsigned long WheelProductId = 0x00037D2E;

class TJQTestDlg : public TForm
{
public: // published: the components of the form description, in declared order
    TButton* OkButton = nullptr;
    TButton* CancelButton = nullptr;
    TPanel* Panel1 = nullptr;
    TGroupBox* AxisGroupBox = nullptr;
    TBevel* Bevel1 = nullptr;
    TPaintBox* WheelPaintBox = nullptr;
    TProgressBar* BrakeProgressBar = nullptr;
    TProgressBar* AcceProgressBar = nullptr;
    TGroupBox* ButtonGroupBox = nullptr;
    TShape* Btn1Shape = nullptr;
    TLabel* Label1 = nullptr;
    TGroupBox* ThumbGroupBox = nullptr;
    TShape* Shape1 = nullptr;
    TShape* Shape2 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TShape* Btn2Shape = nullptr;
    TLabel* Label5 = nullptr;
    TShape* Btn3Shape = nullptr;
    TLabel* Label6 = nullptr;
    TShape* Btn4Shape = nullptr;
    TLabel* Label7 = nullptr;
    TShape* Btn5Shape = nullptr;
    TLabel* Label8 = nullptr;
    TShape* Btn6Shape = nullptr;
    TLabel* Label9 = nullptr;
    TShape* Btn7Shape = nullptr;
    TLabel* Label10 = nullptr;
    TShape* Btn8Shape = nullptr;
    TLabel* Label11 = nullptr;
    TShape* Btn9Shape = nullptr;
    TLabel* Label12 = nullptr;
    TShape* Btn10Shape = nullptr;
    TLabel* Label13 = nullptr;
    TShape* Btn11Shape = nullptr;
    TLabel* Label14 = nullptr;
    TShape* Btn12Shape = nullptr;
    TLabel* Label15 = nullptr;
    TTimer* Timer1 = nullptr;
    TShape* P0Shape = nullptr;
    TShape* P2Shape = nullptr;
    TShape* P4Shape = nullptr;
    TShape* P6Shape = nullptr;
    TShape* P1Shape = nullptr;
    TShape* P3Shape = nullptr;
    TShape* P7Shape = nullptr;
    TShape* P5Shape = nullptr;
    TTimer* FFWaveTimer = nullptr;

    // Event handlers, bound by the form description.
    void OkButtonClick(TObject* Sender);
    void FormCreate(TObject* Sender);
    void WheelPaintBoxPaint(TObject* Sender); // SteeringGauge.cpp
    void FormDestroy(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void FFWaveTimerTimer(TObject* Sender);   // ForceWave.cpp

private:
    int WheelIndex = -1;               // the wheel's index in the controller layer, -1: none
    TShape* ButtonShapes[12] = {};     // lamp of button i + 1
    TShape* HatShapes[8] = {};         // mark of hat direction d (d x 45 degrees clockwise from up)
    int WheelPosition = 0;             // steering value last handed to the gauge
    int WaveIndex = -1;                // force wave pattern being played, -1: none
    int WaveRemaining = 0;             // milliseconds left of that wave

    void WMDeviceChange(TMessage& Message);
    void RescanControllers();

    // The tests read the private state through this; it adds no behaviour.
    friend struct TJQTestDlgInspector;

public:
    void Dispatch(TMessage& Message) override;
    ~TJQTestDlg() override;
    explicit TJQTestDlg(TComponent* Owner);

    TJQTestDlg(const TJQTestDlg&) = delete;
    TJQTestDlg& operator=(const TJQTestDlg&) = delete;
};

extern TJQTestDlg* JQTestDlg;
