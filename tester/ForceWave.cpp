// The force wave test: while a wave is armed, every tick of the wave timer hands the wheel the
// next force of the pressed button's square wave, and ends it with a stop when its time has run
// out.
#include "ForceWave.h"

#include "Controllers.h"
#include "JqTest.h"

// Wave time is counted in ticks, not measured: each tick uses up the timer's Interval however
// late it came, so a busy system stretches the wave but never skips or repeats an update.
void TJQTestDlg::FFWaveTimerTimer(TObject*)
{
    if (WaveIndex < 0)
        return;
    if (WaveRemaining < 0)
        return;

    const int force = WaveForce(WaveIndex, WaveRemaining);
    // Unacquiring the device is what ends the force; the next poll tick acquires it again.
    if (WaveRemaining <= 0)
        StopForce(WheelIndex);
    else
        SetConstantForce(WheelIndex, force, 0);

    WaveRemaining -= FFWaveTimer->Interval;
    if (WaveRemaining < 0)
        WaveIndex = -1;
}
