// The steering gauge: a picture of the steering wheel in the "Axis" group, turned by the last
// steering value the poll tick stored in WheelPosition.
#include "JqTest.h"

void TJQTestDlg::WheelPaintBoxPaint(TObject*)
{
}
