// The steering gauge's geometry as plain functions of plain values: where the wheel's picture
// lies in its box, how far the steering turns it, and where a line from the centre meets the
// rim. The paint handler only hands these to the canvas.
#pragma once

#include "Graphics.h"

// The picture's centre and ring radius in a box of the given size. The radius follows the width
// only, so a box taller than wide keeps a round wheel.
struct GaugeGeometry
{
    int CentreX;
    int CentreY;
    int Radius;
};
GaugeGeometry GaugeGeometryFor(int width, int height);

// The picture's turn in degrees, clockwise on screen, for a steering value from -32768 (full
// left, 225) through 0 to 32767 (full right, 135). Each half of the axis has its own scale, so
// both extremes turn it by exactly 135 degrees.
float SteeringAngle(int position);

// Where the line from the centre at `degrees` (0 pointing right, growing clockwise) meets the
// ring. Coordinates are truncated toward zero, so the smallest turn already moves a point.
TPoint RimPoint(const GaugeGeometry& gauge, double degrees);
