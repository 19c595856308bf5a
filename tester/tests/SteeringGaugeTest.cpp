// The steering gauge in-process: its geometry, the calls one paint makes on the canvas for the
// characteristic steering values, what it looks like drawn, and when the dialog repaints it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "SteeringGauge.h"
#include "TestSupport.h"
#include "WaveGaugeTestSupport.h"

namespace {

using namespace wavegauge;

// The dialog's paint box and the group box it lies in at (18, 26).
const int BoxSize = 125;
const POINT BoxInGroup = {18, 26};

std::string ColorName(TColor color)
{
    if (color == clRed)
        return "red";
    if (color == clWhite)
        return "white";
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(color));
    return text;
}

// Each drawing call as text, with the pen and brush in effect at the call.
struct CanvasRecorder : TCanvasObserver
{
    std::vector<std::string> calls;

    static std::string Pen(const TCanvas& c)
    {
        return " pen " + std::to_string(c.Pen.Width) + (c.Pen.Style == psDot ? " dot " : c.Pen.Style == psSolid ? " solid " : " clear ") +
               ColorName(c.Pen.Color);
    }
    static std::string Brush(const TCanvas& c)
    {
        return " brush " + ColorName(c.Brush.Color) + (c.Brush.Style == bsSolid ? " solid" : " clear");
    }
    static std::string Args(int a, int b) { return "(" + std::to_string(a) + "," + std::to_string(b) + ")"; }

    void FillRect(const TCanvas& c, const TRect& r) override
    {
        calls.push_back("FillRect" + Args(r.Left, r.Top) + "-" + Args(r.Right, r.Bottom) + Brush(c));
    }
    void Ellipse(const TCanvas& c, int x1, int y1, int x2, int y2) override
    {
        calls.push_back("Ellipse" + Args(x1, y1) + "-" + Args(x2, y2) + Pen(c) + Brush(c));
    }
    void Rectangle(const TCanvas& c, int x1, int y1, int x2, int y2) override
    {
        calls.push_back("Rectangle" + Args(x1, y1) + "-" + Args(x2, y2) + Pen(c) + Brush(c));
    }
    void MoveTo(const TCanvas& c, int x, int y) override { calls.push_back("MoveTo" + Args(x, y) + Pen(c)); }
    void LineTo(const TCanvas& c, int x, int y) override { calls.push_back("LineTo" + Args(x, y) + Pen(c)); }
};

// Steering values and where the figure's lines end in the 125 x 125 box.
struct EndPoints
{
    LONG position;
    POINT barFrom, barTo, spoke, marker;
};

const EndPoints EndPointTable[] = {
    {0, {111, 62}, {13, 62}, {62, 111}, {62, 13}},
    {1, {110, 62}, {13, 61}, {61, 110}, {62, 13}},
    {-1, {110, 61}, {13, 62}, {62, 110}, {61, 13}},
    {16384, {80, 107}, {43, 16}, {16, 80}, {107, 43}},
    {-16384, {80, 16}, {43, 107}, {107, 80}, {16, 43}},
    {32767, {27, 96}, {96, 27}, {27, 27}, {96, 96}},
    {-32768, {27, 27}, {96, 96}, {96, 27}, {27, 96}},
};

class SteeringGaugeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fakedi::Reset();
        opened = OpenWithWheel();
    }
    void TearDown() override
    {
        opened.dialog.reset();
        EXPECT_EQ(fakedi::LiveReferences(), 0);
        fakedi::Reset();
    }

    TJQTestDlg& Dialog() { return *opened.dialog; }

    // Steering goes to the gauge the way the program does it: through a poll tick.
    void Steer(LONG position)
    {
        fakedi::SetState(opened.wheel, WheelReading(position));
        PollTick(Dialog());
        ASSERT_EQ(Inspect::WheelPosition(Dialog()), position);
    }

    WheelAndDialog opened;
};

TEST(SteeringGeometry, CentreAndRadiusFollowTheBox)
{
    const struct
    {
        int width, height;
        GaugeGeometry expected;
    } cases[] = {
        {125, 125, {62, 62, 49}},
        {124, 124, {62, 62, 49}}, // 49.6 truncated
        {101, 101, {50, 50, 40}},
        {125, 200, {62, 100, 49}}, // the radius follows the width only
        {1, 1, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const GaugeGeometry gauge = GaugeGeometryFor(c.width, c.height);
        EXPECT_EQ(gauge.CentreX, c.expected.CentreX);
        EXPECT_EQ(gauge.CentreY, c.expected.CentreY);
        EXPECT_EQ(gauge.Radius, c.expected.Radius);
    }
}

// Each half of the axis has its own scale: both ends turn the figure by exactly 135 degrees.
TEST(SteeringGeometry, AngleOfEachHalfOfTheAxis)
{
    const struct
    {
        int position;
        double degrees;
        double tolerance; // 0: exact
    } cases[] = {
        {0, 0.0, 0},           {1, 0.00412, 5e-6},       {-1, 359.99588, 5e-5},
        {16384, 67.50206, 5e-6}, {-16384, 292.5, 0},     {32767, 135.0, 0},
        {-32768, 225.0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position);
        const float angle = SteeringAngle(c.position);
        if (c.tolerance == 0)
            EXPECT_EQ(angle, static_cast<float>(c.degrees));
        else
            EXPECT_NEAR(angle, c.degrees, c.tolerance);
    }
}

// The calls of one paint, for each steering value of the table. The canvas is left in a
// different state before each paint: every setting is made before it is used.
TEST_F(SteeringGaugeTest, PaintDrawsTheFigureForEachSteeringValue)
{
    TCanvas& canvas = Dialog().WheelPaintBox->Canvas;
    CanvasRecorder recorder;
    canvas.Observer = &recorder;
    for (const EndPoints& row : EndPointTable) {
        SCOPED_TRACE(testing::Message() << "position " << row.position);
        Steer(row.position);
        canvas.Pen.Width = 7;
        canvas.Pen.Style = psDot;
        canvas.Pen.Color = clBlack;
        canvas.Brush.Color = clBlack;
        canvas.Brush.Style = bsClear;
        recorder.calls.clear();

        Dialog().WheelPaintBoxPaint(nullptr);

        auto at = [](POINT p) { return CanvasRecorder::Args(p.x, p.y); };
        const std::vector<std::string> expected = {
            "FillRect(0,0)-(125,125) brush white solid",
            "Ellipse(13,13)-(111,111) pen 5 solid red brush white solid",
            "MoveTo" + at(row.barFrom) + " pen 3 solid red",
            "LineTo" + at(row.barTo) + " pen 3 solid red",
            "MoveTo(62,62) pen 3 solid red",
            "LineTo" + at(row.spoke) + " pen 3 solid red",
            "MoveTo(62,62) pen 1 dot red",
            "LineTo" + at(row.marker) + " pen 1 dot red",
        };
        EXPECT_EQ(recorder.calls, expected);
        // The pen is left thin, dotted and red.
        EXPECT_EQ(canvas.Pen.Width, 1);
        EXPECT_EQ(canvas.Pen.Style, psDot);
        EXPECT_EQ(canvas.Pen.Color, clRed);
    }
    canvas.Observer = nullptr;
}

bool RedNear(const TestPicture& picture, int x, int y, int reach)
{
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (picture.At(x + dx, y + dy) == clRed)
                return true;
    return false;
}

// The point `inward` pixels from `end` toward `from`.
POINT Inward(POINT end, POINT from, double inward)
{
    const double dx = from.x - end.x, dy = from.y - end.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    return {static_cast<LONG>(std::lround(end.x + dx * inward / length)),
            static_cast<LONG>(std::lround(end.y + dy * inward / length))};
}

// Drawn the way the screen gets it (the group box's WM_PRINTCLIENT, the paint box inside it):
// red lines ending where the table says, on a white box with nothing else in it.
TEST_F(SteeringGaugeTest, RenderedFigureEndsWhereTheTableSays)
{
    TestPicture picture(Dialog().AxisGroupBox->Width, Dialog().AxisGroupBox->Height);
    const POINT centre = {62, 62};
    for (const EndPoints& row : EndPointTable) {
        SCOPED_TRACE(testing::Message() << "position " << row.position);
        Steer(row.position);
        picture.Fill(0x00FF00);
        Dialog().AxisGroupBox->PaintTo(picture.Dc(), 0, 0);

        auto red = [&](POINT p, int reach) {
            return RedNear(picture, BoxInGroup.x + p.x, BoxInGroup.y + p.y, reach);
        };
        auto colour = [&](int x, int y) { return picture.At(BoxInGroup.x + x, BoxInGroup.y + y); };

        // Whether a line includes its last pixel is the drawing facility's choice: look a few
        // pixels inward from each end.
        EXPECT_TRUE(red(Inward(row.barFrom, row.barTo, 3), 1)) << "cross bar, first end";
        EXPECT_TRUE(red(Inward(row.barTo, row.barFrom, 3), 1)) << "cross bar, second end";
        EXPECT_TRUE(red(Inward(row.spoke, centre, 3), 1)) << "spoke end";
        EXPECT_TRUE(red(Inward(row.spoke, centre, 24), 1)) << "spoke middle";
        int markerRed = 0;
        for (int step = 2; step < 12; ++step)
            markerRed += red(Inward(row.marker, centre, step), 0);
        EXPECT_GT(markerRed, 0) << "top marker near its end";

        // The corners lie outside the ring: cleared to white.
        EXPECT_EQ(colour(0, 0), clWhite);
        EXPECT_EQ(colour(BoxSize - 1, 0), clWhite);
        EXPECT_EQ(colour(0, BoxSize - 1), clWhite);
        EXPECT_EQ(colour(BoxSize - 1, BoxSize - 1), clWhite);
        // Only the figure's two colours inside the box.
        int others = 0;
        for (int y = 0; y < BoxSize; ++y)
            for (int x = 0; x < BoxSize; ++x)
                others += colour(x, y) != clWhite && colour(x, y) != clRed;
        EXPECT_EQ(others, 0);
    }

    // At rest, the ring is red at 45 degrees and the area between the lines is white; the marker
    // straight up is dotted: red and white pixels along it.
    Steer(0);
    picture.Fill(0x00FF00);
    Dialog().AxisGroupBox->PaintTo(picture.Dc(), 0, 0);
    EXPECT_TRUE(RedNear(picture, BoxInGroup.x + 96, BoxInGroup.y + 96, 2)) << "ring";
    EXPECT_EQ(picture.At(BoxInGroup.x + 80, BoxInGroup.y + 80), clWhite);
    int red = 0, white = 0;
    for (int y = 20; y < 58; ++y) {
        const TColor c = picture.At(BoxInGroup.x + 62, BoxInGroup.y + y);
        red += c == clRed;
        white += c == clWhite;
    }
    EXPECT_GT(red, 5) << "dotted marker";
    EXPECT_GT(white, 5) << "dotted marker";
}

// The paint box clears all of itself: a paint over an earlier one leaves nothing of it, even
// with nothing else drawing underneath.
TEST_F(SteeringGaugeTest, EachPaintClearsTheWholeBox)
{
    TestPicture picture(BoxSize, BoxSize);
    TPaintBox* box = Dialog().WheelPaintBox;
    auto paintBoxAlone = [&] {
        TCanvas::Binding binding(box->Canvas, picture.Dc());
        box->Paint();
    };
    const TRect all = Rect(0, 0, BoxSize, BoxSize);

    // Full right: a diagonal bar through (44, 79) and (79, 44), the spoke through (44, 44).
    Steer(32767);
    paintBoxAlone();
    ASSERT_EQ(picture.Count(all, 0x00FF00), 0) << "the first paint covers the box";
    ASSERT_TRUE(RedNear(picture, 44, 79, 0));
    ASSERT_TRUE(RedNear(picture, 79, 44, 0));
    ASSERT_TRUE(RedNear(picture, 44, 44, 0));

    Steer(0);
    paintBoxAlone();
    EXPECT_EQ(picture.At(44, 79), clWhite);
    EXPECT_EQ(picture.At(79, 44), clWhite);
    EXPECT_EQ(picture.At(44, 44), clWhite);
    EXPECT_TRUE(RedNear(picture, 40, 62, 0)) << "the new, level bar";
}

// Handles the dialog's messages for a while: paints, not the timers (they are off here).
void PumpMessages(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        Application->ProcessMessages();
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Through the window system: a poll tick that sees the same steering value leaves the gauge
// alone; a changed value asks for one repaint, which draws the new position. Between clearing
// the update region and reading it back no message is handled, so another program's window
// passing over the dialog cannot change the outcome.
TEST_F(SteeringGaugeTest, RepaintedOnlyWhenTheSteeringChanges)
{
    Dialog().Timer1->Enabled = false;
    Dialog().FFWaveTimer->Enabled = false;
    Dialog().Show();
    PumpMessages(300);
    const HWND group = Dialog().AxisGroupBox->Handle();

    CanvasRecorder recorder;
    Dialog().WheelPaintBox->Canvas.Observer = &recorder;
    const struct
    {
        LONG steering;
        bool repaints;
    } steps[] = {{0, false},      {1234, true}, {1234, false}, {-32768, true},
                 {-32768, false}, {0, true},    {0, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "steering " << step.steering);
        PumpMessages(20);
        ValidateRect(group, nullptr);
        recorder.calls.clear();

        fakedi::SetState(opened.wheel, WheelReading(step.steering));
        PollTick(Dialog());
        RECT dirty;
        EXPECT_EQ(GetUpdateRect(group, &dirty, FALSE) != FALSE, step.repaints);
        UpdateWindow(group);

        int paints = 0;
        for (const std::string& call : recorder.calls)
            paints += call.rfind("FillRect", 0) == 0;
        EXPECT_EQ(paints, step.repaints ? 1 : 0);
        if (step.repaints && recorder.calls.size() >= 3) {
            const TPoint from =
                RimPoint(GaugeGeometryFor(BoxSize, BoxSize), SteeringAngle(step.steering));
            EXPECT_EQ(recorder.calls[2].substr(0, recorder.calls[2].find(' ')),
                      "MoveTo" + CanvasRecorder::Args(from.X, from.Y));
        }
    }
    Dialog().WheelPaintBox->Canvas.Observer = nullptr;
}

} // namespace
