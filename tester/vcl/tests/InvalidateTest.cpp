// Setting a property to the value it has costs nothing: no invalidation, no window message. A
// real change invalidates exactly the control's bounds on its parent, and a paint draws only the
// graphic controls that lie in the area asked for.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

struct CountingShape : TShape {
    using TShape::TShape;
    void Paint() override
    {
        ++Paints;
        TShape::Paint();
    }
    int Paints = 0;
};

struct CountingBar : TProgressBar {
    using TProgressBar::TProgressBar;
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == PBM_SETPOS || message.Msg == PBM_SETRANGE32)
            ++Updates;
        TProgressBar::Dispatch(message);
    }
    int Updates = 0;
};

// One shown form for the whole suite: under Wine without a window manager, taking a shown
// window down waits for the X server, so the tests share it.
struct SampleForm {
    SampleForm()
    {
        form = new TForm(app.Get());
        form->BorderStyle = bsDialog;
        form->SetBounds(0, 0, 300, 240);
        box = Place(new TGroupBox(form), form, 8, 8, 280, 200);
        for (int i = 0; i < 12; ++i) {
            lamps[i] = Place(new CountingShape(form), box, 16 + 40 * (i % 4), 16 + 40 * (i / 4), 20, 20);
            lamps[i]->Shape = stCircle;
            lamps[i]->Brush.Color = clMaroon;
        }
        for (int i = 0; i < 8; ++i) {
            marks[i] = Place(new CountingShape(form), box, 180 + 10 * (i % 4), 130 + 20 * (i / 4), 10, 10);
            marks[i]->Visible = false;
        }
        label = Place(new TLabel(form), box, 20, 140, 40, 13);
        label->Caption = "Brake";
        bevel = Place(new TBevel(form), box, 100, 130, 40, 40);
        paintBox = Place(new TPaintBox(form), box, 102, 132, 36, 36);
        bar = Place(new CountingBar(form), box, 200, 20, 20, 100);
        form->Show();
    }

    template <class C>
    C* Place(C* control, TWinControl* parent, int left, int top, int width, int height)
    {
        control->Parent = parent;
        control->SetBounds(left, top, width, height);
        return control;
    }

    TestApplication app;
    TForm* form = nullptr;
    TGroupBox* box = nullptr;
    CountingShape* lamps[12] = {};
    CountingShape* marks[8] = {};
    TLabel* label = nullptr;
    TBevel* bevel = nullptr;
    TPaintBox* paintBox = nullptr;
    CountingBar* bar = nullptr;
};

class InvalidateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Sample = new SampleForm(); }
    static void TearDownTestSuite()
    {
        delete Sample;
        Sample = nullptr;
    }

    void SetUp() override
    {
        // Every test starts from the same settings, all painted.
        for (CountingShape* lamp : lamps) {
            lamp->Brush.Color = clMaroon;
            lamp->Pen.Color = clBlack;
            lamp->Pen.Width = 1;
            lamp->Shape = stCircle;
            lamp->Visible = true;
        }
        for (int i = 0; i < 12; ++i)
            lamps[i]->SetBounds(16 + 40 * (i % 4), 16 + 40 * (i / 4), 20, 20);
        for (CountingShape* mark : marks) {
            mark->Visible = false;
            mark->Brush.Color = clWhite;
            mark->Pen.Width = 1;
        }
        label->Caption = "Brake";
        label->Font.Color = clWindowText;
        label->Transparent = false;
        bevel->Shape = bsBox;
        bar->Position = 0;
        bar->Max = 100;
        UpdateWindow(form->Handle());
        UpdateWindow(box->Handle());
        Clean();
    }

    void Clean()
    {
        ValidateRect(box->Handle(), nullptr);
        ValidateRect(form->Handle(), nullptr);
    }

    static TRect Dirty(HWND window)
    {
        RECT r{};
        if (!GetUpdateRect(window, &r, FALSE))
            return Rect(0, 0, 0, 0);
        return Rect(r.left, r.top, r.right, r.bottom);
    }

    static std::string Show(const TRect& r)
    {
        return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + ")-(" +
               std::to_string(r.Right) + "," + std::to_string(r.Bottom) + ")";
    }

    static SampleForm* Sample;
    TestApplication& app = Sample->app;
    TForm*& form = Sample->form;
    TGroupBox*& box = Sample->box;
    CountingShape* (&lamps)[12] = Sample->lamps;
    CountingShape* (&marks)[8] = Sample->marks;
    TLabel*& label = Sample->label;
    TBevel*& bevel = Sample->bevel;
    TPaintBox*& paintBox = Sample->paintBox;
    CountingBar*& bar = Sample->bar;
};

SampleForm* InvalidateTest::Sample = nullptr;

TEST_F(InvalidateTest, EqualValuesInvalidateNothingChangesOnlyTheControl)
{
    struct Case {
        const char* what;
        std::function<void()> same;    // sets the value the property already has
        std::function<void()> change;  // sets another value
        std::function<TRect()> expected;
    };
    auto lamp = [this] { return lamps[5]; };
    const Case cases[] = {
        {"brush colour", [&] { lamp()->Brush.Color = clMaroon; }, [&] { lamp()->Brush.Color = clRed; },
         [&] { return lamp()->BoundsRect(); }},
        {"pen colour", [&] { lamp()->Pen.Color = clBlack; }, [&] { lamp()->Pen.Color = clRed; },
         [&] { return lamp()->BoundsRect(); }},
        {"pen width", [&] { lamp()->Pen.Width = 1; }, [&] { lamp()->Pen.Width = 2; },
         [&] { return lamp()->BoundsRect(); }},
        {"shape kind", [&] { lamp()->Shape = stCircle; }, [&] { lamp()->Shape = stRectangle; },
         [&] { return lamp()->BoundsRect(); }},
        {"showing a hidden mark", [&] { marks[2]->Visible = false; }, [&] { marks[2]->Visible = true; },
         [&] { return marks[2]->BoundsRect(); }},
        {"hiding a shown lamp", [&] { lamps[0]->Visible = true; }, [&] { lamps[0]->Visible = false; },
         [&] { return lamps[0]->BoundsRect(); }},
        {"label caption", [&] { label->Caption = "Brake"; }, [&] { label->Caption = "Acce"; },
         [&] { return label->BoundsRect(); }},
        {"label font colour", [&] { label->Font.Color = clWindowText; }, [&] { label->Font.Color = clWhite; },
         [&] { return label->BoundsRect(); }},
        {"label transparency", [&] { label->Transparent = false; }, [&] { label->Transparent = true; },
         [&] { return label->BoundsRect(); }},
        {"bevel shape", [&] { bevel->Shape = bsBox; }, [&] { bevel->Shape = bsFrame; },
         [&] { return bevel->BoundsRect(); }},
        {"bounds", [&] { lamp()->SetBounds(56, 56, 20, 20); }, [&] { lamp()->Left = 60; },
         [&] { return Rect(56, 56, 80, 76); }},  // old and new place
        {"paint box", [] {}, [&] { paintBox->Invalidate(); }, [&] { return paintBox->BoundsRect(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clean();
        c.same();
        EXPECT_EQ(Show(Dirty(box->Handle())), Show(Rect(0, 0, 0, 0)));
        c.change();
        EXPECT_EQ(Show(Dirty(box->Handle())), Show(c.expected()));
        EXPECT_EQ(Show(Dirty(form->Handle())), Show(Rect(0, 0, 0, 0))) << "nothing spills to the form";
    }
}

TEST_F(InvalidateTest, ChangesOfHiddenShapesInvalidateNothing)
{
    marks[3]->Brush.Color = clMaroon;
    marks[3]->Pen.Width = 4;
    EXPECT_EQ(Show(Dirty(box->Handle())), Show(Rect(0, 0, 0, 0)));
}

TEST_F(InvalidateTest, PollTickWithUnchangedInputsCostsNothing)
{
    // What the dialog's poll tick does 40 times a second: every lamp colour, every mark's
    // visibility and both bars, all set again to the values they have.
    for (CountingShape* lamp : lamps)
        lamp->Brush.Color = clRed;
    marks[4]->Visible = true;
    bar->Position = 40;
    PumpUntil([] { return false; }, 50);
    Clean();
    for (CountingShape* lamp : lamps)
        lamp->Paints = 0;
    const int barUpdates = bar->Updates;

    for (int tick = 0; tick < 40; ++tick) {
        for (CountingShape* lamp : lamps)
            lamp->Brush.Color = clRed;
        for (int k = 0; k < 8; ++k)
            marks[k]->Visible = k == 4;
        bar->Position = 40;
        app->ProcessMessages();
    }
    EXPECT_EQ(Show(Dirty(box->Handle())), Show(Rect(0, 0, 0, 0)));
    EXPECT_EQ(bar->Updates, barUpdates) << "no message to the bar";
    for (CountingShape* lamp : lamps)
        EXPECT_EQ(lamp->Paints, 0);
}

TEST_F(InvalidateTest, PaintDrawsOnlyControlsInTheUpdateArea)
{
    for (CountingShape* lamp : lamps)
        lamp->Paints = 0;
    lamps[6]->Brush.Color = clRed;
    UpdateWindow(box->Handle());
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE("lamp " + std::to_string(i + 1));
        EXPECT_EQ(lamps[i]->Paints, i == 6 ? 1 : 0);
    }
}

TEST_F(InvalidateTest, ProgressBarPositionOnlyOnChange)
{
    const int before = bar->Updates;
    bar->Position = 0;
    EXPECT_EQ(bar->Updates, before);
    bar->Position = 70;
    EXPECT_EQ(bar->Updates, before + 1);
    EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), 70);
    bar->Max = 100;
    EXPECT_EQ(bar->Updates, before + 1);
}

}  // namespace
