// Painting gives back every GDI object it takes: the target DC keeps its selections and state,
// a handler that throws leaves nothing behind, the room left for GDI objects is the same after a
// thousand paints, and tens of thousands of paints (far past Windows' per-process limit) still
// draw the same picture. GetGuiResources cannot count handles under Wine, so these are the proofs.
#include <windows.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

struct DrawingForm : TForm {
    explicit DrawingForm(TComponent* owner) : TForm(owner)
    {
        SetBounds(0, 0, 200, 160);
        Color = 0xE8E8E8;
        box = new TGroupBox(this);
        box->Parent = this;
        box->SetBounds(4, 4, 190, 150);
        box->Caption = "Axis";
        disc = new TShape(this);
        disc->Parent = box;
        disc->SetBounds(10, 20, 20, 20);
        disc->Shape = stCircle;
        disc->Brush.Color = clMaroon;
        number = new TLabel(this);
        number->Parent = box;
        number->SetBounds(17, 24, 6, 13);
        number->Caption = "1";
        number->Transparent = true;
        number->Font.Color = clWhite;
        frame = new TBevel(this);
        frame->Parent = box;
        frame->SetBounds(40, 20, 70, 70);
        frame->Shape = bsFrame;
        gauge = new TPaintBox(this);
        gauge->Parent = box;
        gauge->SetBounds(42, 22, 66, 66);
        gauge->OnPaint = [this](TObject*) { DrawGauge(); };
        after = new TShape(this);  // created after the paint box
        after->Parent = box;
        after->SetBounds(120, 20, 20, 20);
        after->Brush.Color = clRed;
    }

    // Like the steering gauge: pens of three widths and two styles on every paint.
    void DrawGauge()
    {
        TCanvas& c = gauge->Canvas;
        if (throwInPaint)
            throw std::runtime_error("paint failed");
        c.Brush.Color = clWhite;
        c.Brush.Style = bsSolid;
        c.FillRect(Rect(0, 0, gauge->Width, gauge->Height));
        c.Pen.Color = clRed;
        c.Pen.Style = psSolid;
        c.Pen.Width = 5;
        c.Ellipse(6, 6, 26, 26);
        c.Pen.Width = 3;
        c.MoveTo(6, 33);
        c.LineTo(60, 33);
        c.Pen.Width = 1;
        c.Pen.Style = psDot;
        c.MoveTo(33, 33);
        c.LineTo(33, 6);
    }

    TGroupBox* box;
    TShape* disc;
    TLabel* number;
    TBevel* frame;
    TPaintBox* gauge;
    TShape* after;
    bool throwInPaint = false;
};

// Everything about a DC that a paint could leave changed.
struct DcState {
    HGDIOBJ pen, brush, font, bitmap;
    POINT viewport, window;
    int backgroundMode;
    COLORREF textColor, backgroundColor;
    bool hasClip;
    RECT clipBox;

    static DcState Of(HDC dc)
    {
        DcState s{};
        s.pen = GetCurrentObject(dc, OBJ_PEN);
        s.brush = GetCurrentObject(dc, OBJ_BRUSH);
        s.font = GetCurrentObject(dc, OBJ_FONT);
        s.bitmap = GetCurrentObject(dc, OBJ_BITMAP);
        GetViewportOrgEx(dc, &s.viewport);
        GetWindowOrgEx(dc, &s.window);
        s.backgroundMode = GetBkMode(dc);
        s.textColor = GetTextColor(dc);
        s.backgroundColor = GetBkColor(dc);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        s.hasClip = GetClipRgn(dc, region) == 1;
        DeleteObject(region);
        GetClipBox(dc, &s.clipBox);
        return s;
    }
};

void ExpectSame(const DcState& a, const DcState& b)
{
    EXPECT_EQ(a.pen, b.pen);
    EXPECT_EQ(a.brush, b.brush);
    EXPECT_EQ(a.font, b.font);
    EXPECT_EQ(a.bitmap, b.bitmap);
    EXPECT_EQ(a.viewport.x, b.viewport.x);
    EXPECT_EQ(a.viewport.y, b.viewport.y);
    EXPECT_EQ(a.window.x, b.window.x);
    EXPECT_EQ(a.window.y, b.window.y);
    EXPECT_EQ(a.backgroundMode, b.backgroundMode);
    EXPECT_EQ(a.textColor, b.textColor);
    EXPECT_EQ(a.backgroundColor, b.backgroundColor);
    EXPECT_EQ(a.hasClip, b.hasClip);
    EXPECT_TRUE(EqualRect(&a.clipBox, &b.clipBox));
}

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { form = new DrawingForm(app.Get()); }

    // The target DC with objects of the test's own selected and its state moved from the defaults.
    struct PreparedDc {
        explicit PreparedDc(TestPicture& picture)
            : dc(picture.Dc()),
              pen(CreatePen(PS_DASH, 1, RGB(1, 2, 3))),
              brush(CreateSolidBrush(RGB(4, 5, 6))),
              font(CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial")),
              penSel(dc, pen.Get()),
              brushSel(dc, brush.Get()),
              fontSel(dc, font.Get())
        {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(7, 8, 9));
            SetBkColor(dc, RGB(10, 11, 12));
        }
        HDC dc;
        ScopedGdiObject pen, brush, font;
        ScopedSelect penSel, brushSel, fontSel;
    };

    void PrintClient(TWinControl* control, HDC dc)
    {
        SendMessageA(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }

    TestApplication app;
    DrawingForm* form = nullptr;
    TestPicture picture{200, 160};
};

TEST_F(GdiTest, PaintLeavesTheTargetDcAsItWas)
{
    PreparedDc prepared(picture);
    const DcState before = DcState::Of(prepared.dc);
    {
        SCOPED_TRACE("WM_PRINTCLIENT of the group box");
        PrintClient(form->box, prepared.dc);
        ExpectSame(DcState::Of(prepared.dc), before);
    }
    {
        SCOPED_TRACE("PaintTo of the whole form, at an offset");
        form->PaintTo(prepared.dc, 3, 5);
        ExpectSame(DcState::Of(prepared.dc), before);
    }
    EXPECT_EQ(picture.At(3 + 4 + 12, 5 + 4 + 30), clMaroon) << "and it did draw";
}

TEST_F(GdiTest, ThrowingPaintHandlerLeavesNothingBehindAndTheRestIsDrawn)
{
    form->throwInPaint = true;
    PreparedDc prepared(picture);
    const DcState before = DcState::Of(prepared.dc);
    PrintClient(form->box, prepared.dc);
    ExpectSame(DcState::Of(prepared.dc), before);
    ASSERT_EQ(app.Exceptions.size(), 1u) << "handed to the application, once";
    EXPECT_EQ(app.Exceptions[0], "paint failed");
    EXPECT_EQ(picture.At(130, 30), clRed) << "the shape after the paint box is still drawn";
}

// How many more GDI objects the process can make right now: made until the system refuses
// (Windows' per-process quota, Wine's handle table), then all deleted again. Paints that lose
// handles leave less room.
int GdiRoomLeft()
{
    std::vector<HGDIOBJ> made;
    made.reserve(70000);
    for (int i = 0; i < 200000; ++i) {
        HGDIOBJ pen = CreatePen(PS_SOLID, 1, RGB(i & 0xFF, 0, 0));
        if (!pen)
            break;
        made.push_back(pen);
    }
    for (HGDIOBJ pen : made)
        DeleteObject(pen);
    return static_cast<int>(made.size());
}

TEST_F(GdiTest, PaintsLoseNoHandles)
{
    struct Case {
        const char* what;
        bool throwInPaint;
    };
    const Case cases[] = {{"normal paints", false}, {"paints whose handler throws", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form->throwInPaint = c.throwInPaint;
        PrintClient(form->box, picture.Dc());  // whatever is made once and kept (fonts) exists now
        const int room = GdiRoomLeft();
        ASSERT_GT(room, 1000);
        for (int i = 0; i < 1000; ++i)
            PrintClient(form->box, picture.Dc());
        EXPECT_EQ(GdiRoomLeft(), room);
    }
}

TEST_F(GdiTest, TensOfThousandsOfPaintsStillDrawTheSamePicture)
{
    // Each paint makes a memory bitmap and DC, pens of three widths and two styles and brushes.
    // Handles lost on the way would run out Windows' 10,000 per process long before the end.
    const int paints = 20000;
    PrintClient(form->box, picture.Dc());
    TestPicture first(200, 160);
    BitBlt(first.Dc(), 0, 0, 200, 160, picture.Dc(), 0, 0, SRCCOPY);
    ASSERT_EQ(first.At(12, 30), clMaroon);

    for (int i = 0; i < paints; ++i)
        PrintClient(form->box, picture.Dc());
    picture.Fill(0x00FF00);
    PrintClient(form->box, picture.Dc());
    int differing = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 190; ++x)
            differing += picture.At(x, y) != first.At(x, y);
    EXPECT_EQ(differing, 0);
}

// Records each drawing call with the pen in effect.
struct Recorder : TCanvasObserver {
    void FillRect(const TCanvas& c, const TRect& r) override
    {
        Add(c, "FillRect", r.Left, r.Top, r.Right, r.Bottom);
    }
    void Ellipse(const TCanvas& c, int x1, int y1, int x2, int y2) override
    {
        Add(c, "Ellipse", x1, y1, x2, y2);
    }
    void MoveTo(const TCanvas& c, int x, int y) override { Add(c, "MoveTo", x, y, 0, 0); }
    void LineTo(const TCanvas& c, int x, int y) override { Add(c, "LineTo", x, y, 0, 0); }

    void Add(const TCanvas& c, const char* what, int a, int b, int d, int e)
    {
        calls.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " +
                        std::to_string(d) + " " + std::to_string(e) + " pen " +
                        std::to_string(c.Pen.Width) + (c.Pen.Style == psDot ? " dot" : " solid"));
    }
    std::vector<std::string> calls;
};

TEST_F(GdiTest, CanvasObserverSeesEveryCallWithOrWithoutADc)
{
    const std::vector<std::string> expected = {
        "FillRect 0 0 66 66 pen 1 solid", "Ellipse 6 6 26 26 pen 5 solid",
        "MoveTo 6 33 0 0 pen 3 solid",    "LineTo 60 33 0 0 pen 3 solid",
        "MoveTo 33 33 0 0 pen 1 dot",     "LineTo 33 6 0 0 pen 1 dot",
    };
    Recorder recorder;
    form->gauge->Canvas.Observer = &recorder;
    {
        SCOPED_TRACE("during a real paint");
        PrintClient(form->box, picture.Dc());
        EXPECT_EQ(recorder.calls, expected);
        EXPECT_EQ(picture.At(42 + 33, 22 + 23), clWhite);
        EXPECT_EQ(picture.At(42 + 20, 22 + 33), clRed) << "the cross bar";
    }
    {
        SCOPED_TRACE("the handler called directly: no DC, only the observer");
        recorder.calls.clear();
        form->gauge->Canvas.Pen.Style = psSolid;
        form->gauge->Canvas.Pen.Width = 1;
        form->DrawGauge();
        EXPECT_EQ(recorder.calls, expected);
        EXPECT_EQ(form->gauge->Canvas.Handle(), nullptr);
    }
}

}  // namespace
