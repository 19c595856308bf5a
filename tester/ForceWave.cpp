// The force wave test: while a wave is armed, every 10 ms tick hands the wheel the next force of
// the pressed button's square wave, and ends it with a stop when its time has run out.
#include "JqTest.h"

void TJQTestDlg::FFWaveTimerTimer(TObject*)
{
}
