// vwheelctl: drives the virtual wheel from scripts (see README.md).
//   vwheelctl steer -16000       vwheelctl button 3 down      vwheelctl hat 4500
//   vwheelctl unplug             vwheelctl plug               vwheelctl drive
#include "VirtualWheelControl.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char Usage[] =
    "usage: vwheelctl <command> [arguments]\n"
    "  status                      show the devices, states and the DLL's process\n"
    "  steer <-32768..32767>       steering\n"
    "  pedals <-32768..32767>      combined pedal axis (brake positive, accelerator negative)\n"
    "  brake <0..32767>            brake pressed this far (accelerator released)\n"
    "  accel <0..32768>            accelerator pressed this far (brake released)\n"
    "  button <1..12> down|up      one button\n"
    "  hat <0..35999>|center       hat in hundredths of a degree clockwise from up\n"
    "  neutral                     wheel centred, pedals and buttons released, hat centred\n"
    "  unplug [slot] / plug [slot] pull out or plug in the wheel (slot 0) or another controller\n"
    "  add <productId> [forceAxes] [name]   another game controller; prints its slot\n"
    "  remove <slot>               take that controller away for good\n"
    "  wheel-axes <1|2>            force axes of the wheel (for devices created afterwards)\n"
    "  failpoll <hresult>|off [slot]   Poll answers this failure (e.g. 0x8007001E)\n"
    "  sweep on|off                the wheel steers itself back and forth (every 4 s)\n"
    "  drive                       play a scripted demo of every input (about 18 s)\n"
    "  hold <seconds>              keep the shared block alive that long\n";

long Number(const char* text)
{
    return static_cast<long>(strtol(text, nullptr, 0));
}

int SlotArgument(int argc, char** argv, int at)
{
    return argc > at ? static_cast<int>(Number(argv[at])) : vwheel::WheelSlot;
}

void PrintStatus(vwheel::Control& control)
{
    printf("dll process %lu, owner window 0x%08lX\n", static_cast<unsigned long>(control.DllProcess()),
           static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(control.OwnerWindow())));
    const DIJOYSTATE2 state = control.WheelState();
    printf("wheel: steer %ld pedals %ld hat %ld buttons", state.lX, state.lY, static_cast<long>(state.rgdwPOV[0]));
    for (int i = 0; i < vwheel::Buttons; ++i) {
        if (state.rgbButtons[i])
            printf(" %d", i + 1);
    }
    printf("\n");
    for (int slot = 0; slot < vwheel::Slots; ++slot) {
        const vwheel::SlotInfo info = control.Info(slot);
        if (info.used)
            printf("slot %d: %s product 0x%08lX, %ld force axes, %s%s\n", slot, info.name,
                   static_cast<unsigned long>(info.productId), info.forceAxes, info.plugged ? "plugged in" : "unplugged",
                   info.pollFailure ? ", polls fail" : "");
    }
}

// Plays the demo in real time, one state every 20 ms.
void Drive(vwheel::Control& control)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= vwheel::DemoLengthMs)
            break;
        control.SetWheelState(vwheel::DemoStateAt(elapsed));
        Sleep(20);
    }
    control.Neutral();
}

int Run(int argc, char** argv)
{
    if (argc < 2) {
        fputs(Usage, stderr);
        return 2;
    }
    vwheel::Control control;
    if (!control.IsOpen()) {
        fprintf(stderr, "vwheelctl: cannot open the shared block \"%s\"\n", vwheel::SharedName);
        return 1;
    }
    const char* command = argv[1];
    const char* first = argc > 2 ? argv[2] : nullptr;
    if (control.CreatedBlock() && strcmp(command, "status") && strcmp(command, "drive") && strcmp(command, "hold"))
        fprintf(stderr, "vwheelctl: note: no program holds the virtual wheel open; this change is lost when "
                        "vwheelctl ends (start the program first, or keep \"vwheelctl hold <seconds>\" running)\n");

    if (!strcmp(command, "status")) {
        PrintStatus(control);
    } else if (!strcmp(command, "steer") && first) {
        control.SetSteering(Number(first));
    } else if (!strcmp(command, "pedals") && first) {
        control.SetPedals(Number(first));
    } else if (!strcmp(command, "brake") && first) {
        control.SetPedals(labs(Number(first)));
    } else if (!strcmp(command, "accel") && first) {
        control.SetPedals(-labs(Number(first)));
    } else if (!strcmp(command, "button") && first && argc > 3) {
        control.SetButton(static_cast<int>(Number(first)), !strcmp(argv[3], "down"));
    } else if (!strcmp(command, "hat") && first) {
        control.SetHat(!strcmp(first, "center") || !strcmp(first, "centre") ? vwheel::Control::Centred
                                                                            : static_cast<DWORD>(Number(first)));
    } else if (!strcmp(command, "neutral")) {
        control.Neutral();
    } else if (!strcmp(command, "unplug")) {
        control.Unplug(SlotArgument(argc, argv, 2));
    } else if (!strcmp(command, "plug")) {
        control.Plug(SlotArgument(argc, argv, 2));
    } else if (!strcmp(command, "add") && first) {
        const int slot = control.AddController(static_cast<DWORD>(strtoul(first, nullptr, 16)),
                                               argc > 4 ? argv[4] : nullptr,
                                               argc > 3 ? static_cast<int>(Number(argv[3])) : 0);
        if (slot < 0) {
            fprintf(stderr, "vwheelctl: every slot is taken\n");
            return 1;
        }
        printf("%d\n", slot);
    } else if (!strcmp(command, "remove") && first) {
        control.Remove(static_cast<int>(Number(first)));
    } else if (!strcmp(command, "wheel-axes") && first) {
        control.SetWheelForceAxes(static_cast<int>(Number(first)));
    } else if (!strcmp(command, "failpoll") && first) {
        const HRESULT failure = !strcmp(first, "off") ? 0 : static_cast<HRESULT>(strtoul(first, nullptr, 0));
        control.FailPolls(SlotArgument(argc, argv, 3), failure);
    } else if (!strcmp(command, "sweep") && first) {
        control.SetSweep(!strcmp(first, "on"));
    } else if (!strcmp(command, "drive")) {
        Drive(control);
    } else if (!strcmp(command, "hold") && first) {
        Sleep(static_cast<DWORD>(Number(first)) * 1000);
    } else {
        fputs(Usage, stderr);
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return Run(argc, argv);
}
