// How one reading of the wheel maps onto the dialog's indicators. Plain functions of plain values,
// so the poll tick stays a thin loop over them and the rules can be checked without a window.
#pragma once

// Pressing one of buttons 1 to 8 plays that button's force wave for this long.
const int WaveDurationMs = 3000;

// Only buttons 1 to 8 have a force wave of their own.
const int WaveButtonCount = 8;

// The accelerator shows nothing until the pedal axis goes past this much below zero, so a pedal
// unit resting a little off its centre does not light the bar.
const int AcceleratorDeadZone = 300;

// The combined pedal axis: the brake drives it positive, the accelerator negative.
inline int BrakeBarPosition(long pedals)
{
    return pedals >= 0 ? static_cast<int>(pedals) : 0;
}

// -32768 gives 32768, one past the bar's maximum; the bar shows that as full.
inline int AcceleratorBarPosition(long pedals)
{
    return pedals < -AcceleratorDeadZone ? -static_cast<int>(pedals) : 0;
}

// A button byte counts as pressed when any bit is set, not only the high one.
inline bool IsButtonPressed(unsigned char button)
{
    return button != 0;
}

// The hat in hundredths of a degree clockwise from up. Only the eight exact directions count:
// 0 is up, 1 up-right, ... 7 up-left; every other value (centred, in between, out of range)
// gives -1, no direction.
inline int HatDirection(unsigned long pov)
{
    const unsigned long step = 4500;
    if (pov % step != 0 || pov / step > 7)
        return -1;
    return static_cast<int>(pov / step);
}
