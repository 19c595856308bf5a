// A small form built from the library renders with the right colours at the right pixels:
// containers with their frames, shapes and labels in creation order, a clipped paint box, a
// vertical progress bar and a button.
#include <windows.h>

#include <gtest/gtest.h>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

constexpr TColor FormColor = 0xE8E8E8;
constexpr TColor PanelColor = 0xF8F8F8;

struct SampleForm : TForm {
    explicit SampleForm(TComponent* owner) : TForm(owner)
    {
        BorderStyle = bsDialog;
        ClientWidth = 240;
        ClientHeight = 200;
        Color = FormColor;

        Panel = Make<TPanel>(this, 8, 8, 160, 150);
        Panel->Color = PanelColor;
        Box = Make<TGroupBox>(Panel, 8, 8, 144, 134);
        Box->Caption = "Box";

        Disc = Make<TShape>(Box, 10, 20, 20, 20);
        Disc->Shape = stCircle;
        Disc->Brush.Color = clMaroon;
        Number = Make<TLabel>(Box, 17, 24, 6, 13);  // created after the disc: drawn over it
        Number->Caption = "8";
        Number->Transparent = true;
        Number->Font.Color = clWhite;

        Hidden = Make<TLabel>(Box, 50, 20, 6, 13);  // created before the square: covered by it
        Hidden->Caption = "8";
        Hidden->Font.Color = clWhite;
        Square = Make<TShape>(Box, 45, 15, 30, 30);
        Square->Brush.Color = clRed;
        Square->Pen.Color = clRed;

        Off = Make<TShape>(Box, 90, 20, 20, 20);
        Off->Brush.Color = clRed;
        Off->Visible = false;

        Wide = Make<TShape>(Box, 80, 100, 40, 20);  // a circle keeps to the middle of wide bounds
        Wide->Shape = stCircle;
        Wide->Brush.Color = clGray;

        Frame = Make<TBevel>(Box, 8, 58, 44, 44);
        Frame->Shape = bsFrame;
        Paint = Make<TPaintBox>(Box, 10, 60, 40, 40);
        Paint->OnPaint = [this](TObject*) {
            // Far bigger than the box: the parent clips the drawing to the box's bounds.
            Paint->Canvas.Brush.Color = clWhite;
            Paint->Canvas.FillRect(Rect(-50, -50, 200, 200));
            Paint->Canvas.Pen.Color = clRed;
            Paint->Canvas.Pen.Width = 3;
            Paint->Canvas.MoveTo(0, 20);
            Paint->Canvas.LineTo(40, 20);
        };

        Bar = Make<TProgressBar>(Box, 120, 20, 16, 100);
        Bar->Orientation = pbVertical;
        Bar->Smooth = true;
        Bar->Max = 100;
        Bar->Position = 50;

        Ok = Make<TButton>(this, 170, 160, 60, 25);
        Ok->Caption = "&Ok";
    }

    template <class C>
    C* Make(TWinControl* parent, int left, int top, int width, int height)
    {
        C* control = new C(this);
        control->Parent = parent;
        control->SetBounds(left, top, width, height);
        return control;
    }

    TPanel* Panel;
    TGroupBox* Box;
    TShape* Disc;
    TLabel* Number;
    TLabel* Hidden;
    TShape* Square;
    TShape* Off;
    TShape* Wide;
    TBevel* Frame;
    TPaintBox* Paint;
    TProgressBar* Bar;
    TButton* Ok;
};

// Box's client origin in form coordinates.
constexpr int BoxX = 16;
constexpr int BoxY = 16;

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new SampleForm(app.Get());
        picture.Fill(0x00FF00);
        form->PaintTo(picture.Dc(), 0, 0);
    }
    void TearDown() override
    {
        if (HasFailure())
            picture.Save("vcl_render_failure.bmp");
    }

    TestApplication app;
    SampleForm* form = nullptr;
    TestPicture picture{240, 200};
};

TEST_F(RenderTest, ColoursAtTheirPixels)
{
    struct Case {
        const char* what;
        int x, y;
        TColor expected;
    };
    const Case cases[] = {
        {"form background", 2, 2, FormColor},
        {"form background right of the panel", 200, 50, FormColor},
        {"panel background", 8 + 4, 8 + 146, PanelColor},
        {"panel raised bevel, top-left", 8, 8, Sys(COLOR_BTNHIGHLIGHT)},
        {"panel raised bevel, bottom-right", 8 + 159, 8 + 149, Sys(COLOR_BTNSHADOW)},
        {"group box takes the panel's colour", BoxX + 4, BoxY + 130, PanelColor},
        {"group box etched frame: shadow outside", BoxX + 0, BoxY + 60, Sys(COLOR_BTNSHADOW)},
        {"group box etched frame: highlight inside", BoxX + 1, BoxY + 60, Sys(COLOR_BTNHIGHLIGHT)},
        {"disc filled with its brush", BoxX + 12, BoxY + 30, clMaroon},
        {"disc outline: default black pen", BoxX + 10, BoxY + 30, clBlack},
        {"outside the disc's round edge", BoxX + 10, BoxY + 20, PanelColor},
        {"square over the earlier label", BoxX + 52, BoxY + 26, clRed},
        {"hidden shape not drawn", BoxX + 100, BoxY + 30, PanelColor},
        {"wide circle: centred, left margin empty", BoxX + 85, BoxY + 110, PanelColor},
        {"wide circle: middle filled", BoxX + 100, BoxY + 110, clGray},
        {"bevel frame: shadow outside", BoxX + 8, BoxY + 80, Sys(COLOR_BTNSHADOW)},
        {"bevel frame: highlight inside", BoxX + 9, BoxY + 80, Sys(COLOR_BTNHIGHLIGHT)},
        {"paint box background", BoxX + 12, BoxY + 62, clWhite},
        {"paint box line", BoxX + 30, BoxY + 80, clRed},
        {"paint box clipped (left of it is the bevel)", BoxX + 9, BoxY + 62, Sys(COLOR_BTNHIGHLIGHT)},
        {"paint box clipped (right of it)", BoxX + 55, BoxY + 80, PanelColor},
        {"vertical bar: lower half filled", BoxX + 128, BoxY + 110, Sys(COLOR_HIGHLIGHT)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(picture.At(c.x, c.y), c.expected) << "at " << c.x << "," << c.y;
    }
    EXPECT_NE(picture.At(BoxX + 128, BoxY + 25), Sys(COLOR_HIGHLIGHT)) << "upper half of the bar";
}

TEST_F(RenderTest, LaterControlsLieOverEarlierOnes)
{
    // The number, created after its disc, shows white strokes on the maroon disc.
    const TRect number = Rect(BoxX + 17, BoxY + 24, BoxX + 23, BoxY + 37);
    EXPECT_GT(picture.Count(number, clWhite), 5);
    EXPECT_GT(picture.Count(number, clMaroon), 5);
    // The label created before the red square is hidden by it.
    const TRect hidden = Rect(BoxX + 50, BoxY + 20, BoxX + 56, BoxY + 33);
    EXPECT_EQ(picture.Count(hidden, clRed), 6 * 13);
}

TEST_F(RenderTest, GroupBoxCaptionInterruptsTheFrame)
{
    // The caption "Box" is drawn in the window-text colour at x = 8 on the box's colour.
    const TRect caption = Rect(BoxX + 8, BoxY + 0, BoxX + 30, BoxY + 13);
    EXPECT_GT(picture.Count(caption, Sys(COLOR_WINDOWTEXT)), 10);
    EXPECT_EQ(picture.Count(Rect(BoxX + 8, BoxY + 5, BoxX + 9, BoxY + 6), Sys(COLOR_BTNSHADOW)), 0);
}

TEST_F(RenderTest, WindowRendersTheSameOnScreen)
{
    // Shown and painted through WM_PAINT, the screen shows what WM_PRINTCLIENT drew. Wine hands
    // the pictures to the X server a little later, so the test waits (with a deadline) until the
    // native button, painted last, has arrived.
    form->Show();
    POINT origin{0, 0};
    ClientToScreen(form->Handle(), &origin);
    ScopedWindowDC screen(nullptr);
    auto onScreen = [&](int x, int y) {
        return static_cast<TColor>(GetPixel(screen.Get(), origin.x + x, origin.y + y));
    };
    EXPECT_TRUE(PumpUntil([&] { return onScreen(178, 172) == Sys(COLOR_BTNFACE); }, 3000))
        << "the button's face";
    const POINT spots[] = {{BoxX + 12, BoxY + 30}, {BoxX + 52, BoxY + 26}, {BoxX + 30, BoxY + 80},
                           {8, 8}, {2, 2}};
    for (const POINT& p : spots) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_EQ(onScreen(p.x, p.y), picture.At(p.x, p.y));
    }
}

}  // namespace
