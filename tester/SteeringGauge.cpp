// The steering gauge: a picture of the steering wheel in the "Axis" group, turned by the last
// steering value the poll tick stored in WheelPosition. Everything is drawn afresh on each paint
// over a cleared box, so nothing of an earlier position remains.
#include "SteeringGauge.h"

#include <cmath>

#include "JqTest.h"

namespace {

const double DegreesToRadians = 0.017453292519943295;
const double RingToBoxWidth = 0.8;
const double FullTurnDegrees = 135.0;

} // namespace

GaugeGeometry GaugeGeometryFor(int width, int height)
{
    const int halfWidth = width / 2;
    GaugeGeometry gauge;
    gauge.CentreX = halfWidth;
    gauge.CentreY = height / 2;
    gauge.Radius = static_cast<int>(halfWidth * RingToBoxWidth);
    return gauge;
}

float SteeringAngle(int position)
{
    // Left of centre counts back from a full circle: -32768 is 225 degrees, that is -135.
    if (position < 0)
        return static_cast<float>(position * (1.0 / 32768) * FullTurnDegrees + 360.0);
    return static_cast<float>(position * (1.0 / 32767) * FullTurnDegrees);
}

TPoint RimPoint(const GaugeGeometry& gauge, double degrees)
{
    const double radians = degrees * DegreesToRadians;
    const double x = gauge.CentreX + std::cos(radians) * gauge.Radius;
    const double y = gauge.CentreY + std::sin(radians) * gauge.Radius;
    return Point(static_cast<int>(x), static_cast<int>(y));
}

// A red ring, a cross bar through the centre, a solid spoke pointing down at rest and a dotted
// marker pointing up at rest, all turned by the steering angle. Every pen and brush setting is
// made before its first use, so nothing depends on what the canvas held before.
void TJQTestDlg::WheelPaintBoxPaint(TObject*)
{
    TCanvas& canvas = WheelPaintBox->Canvas;
    const int width = WheelPaintBox->Width;
    const int height = WheelPaintBox->Height;

    canvas.Brush.Color = clWhite;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(Rect(0, 0, width, height));

    const GaugeGeometry gauge = GaugeGeometryFor(width, height);
    const int cx = gauge.CentreX;
    const int cy = gauge.CentreY;
    const int r = gauge.Radius;

    canvas.Brush.Color = clWhite;
    canvas.Brush.Style = bsSolid;
    canvas.Pen.Color = clRed;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 5;
    canvas.Ellipse(cx - r, cy - r, cx + r, cy + r);

    const float angle = SteeringAngle(WheelPosition);

    canvas.Pen.Width = 3;
    const TPoint barStart = RimPoint(gauge, angle);
    const TPoint barEnd = RimPoint(gauge, angle + 180.0);
    canvas.MoveTo(barStart.X, barStart.Y);
    canvas.LineTo(barEnd.X, barEnd.Y);

    const TPoint spokeEnd = RimPoint(gauge, angle + 90.0);
    canvas.MoveTo(cx, cy);
    canvas.LineTo(spokeEnd.X, spokeEnd.Y);

    canvas.Pen.Width = 1;
    canvas.Pen.Style = psDot;
    const TPoint topEnd = RimPoint(gauge, angle - 90.0);
    canvas.MoveTo(cx, cy);
    canvas.LineTo(topEnd.X, topEnd.Y);
}
