// The test dialog's form description, kept as data: the form's settings, then one row per
// component in creation order. Within one parent, creation order is drawing order, so a later
// row lies over an earlier one (the number labels over their lamps, the hat marks over the rim).
// Positions are in pixels of the parent's client area, at 96 pixels per inch.
#include "JqTestForm.h"

#include <windows.h>

#include <type_traits>
#include <variant>

#include "JqTest.h"

namespace {

using Handler = void (TJQTestDlg::*)(TObject*);

template <class T>
using FieldOf = T* TJQTestDlg::*;

// The published field a component is stored in; its type says what kind of component it is.
using ComponentField =
    std::variant<FieldOf<TPanel>, FieldOf<TGroupBox>, FieldOf<TBevel>, FieldOf<TPaintBox>,
                 FieldOf<TLabel>, FieldOf<TProgressBar>, FieldOf<TShape>, FieldOf<TButton>,
                 FieldOf<TTimer>>;

struct ComponentRow
{
    ComponentField Field;
    const char* Name;
    const char* Parent; // nullptr: the form itself
    int Left, Top, Width, Height;
    const char* Caption = "";
    TColor Color = clWhite;   // a panel's colour, a lamp's brush, a number label's font colour
    bool OwnFont = false;     // a label with a font of its own instead of the form's
    int TabOrder = 0;
    int ModalResult = 0;
    int Interval = 0;
    bool Visible = true;
    Handler OnEvent = nullptr; // a button's OnClick, a paint box's OnPaint, a timer's OnTimer
};

// One builder per kind of component, so that each row reads like a line of the layout tables:
// kind, component, parent, left, top, width, height, then that kind's own settings.
#define COMPONENT(field) &TJQTestDlg::field, #field

ComponentRow Panel(FieldOf<TPanel> field, const char* name, const char* parent, int left, int top,
                   int width, int height, TColor color, int tabOrder)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.Color = color;
    row.TabOrder = tabOrder;
    return row;
}

ComponentRow GroupBox(FieldOf<TGroupBox> field, const char* name, const char* parent, int left,
                      int top, int width, int height, const char* caption, int tabOrder)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.Caption = caption;
    row.TabOrder = tabOrder;
    return row;
}

ComponentRow Bevel(FieldOf<TBevel> field, const char* name, const char* parent, int left, int top,
                   int width, int height)
{
    return ComponentRow{field, name, parent, left, top, width, height};
}

ComponentRow PaintBox(FieldOf<TPaintBox> field, const char* name, const char* parent, int left,
                      int top, int width, int height, Handler onPaint)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.OnEvent = onPaint;
    return row;
}

ComponentRow Label(FieldOf<TLabel> field, const char* name, const char* parent, int left, int top,
                   int width, int height, const char* caption)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.Caption = caption;
    return row;
}

// The number on a button lamp: white, transparent, with a font of its own.
ComponentRow NumberLabel(FieldOf<TLabel> field, const char* name, const char* parent, int left,
                         int top, int width, int height, const char* caption)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.Caption = caption;
    row.Color = clWhite;
    row.OwnFont = true;
    return row;
}

ComponentRow ProgressBar(FieldOf<TProgressBar> field, const char* name, const char* parent,
                         int left, int top, int width, int height, int tabOrder)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.TabOrder = tabOrder;
    return row;
}

enum ShapeVisibility { Shown, Hidden };

ComponentRow Shape(FieldOf<TShape> field, const char* name, const char* parent, int left, int top,
                   int width, int height, TColor brush, ShapeVisibility visibility)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.Color = brush;
    row.Visible = visibility == Shown;
    return row;
}

ComponentRow Button(FieldOf<TButton> field, const char* name, const char* parent, int left,
                    int top, int width, int height, const char* caption, int modalResult,
                    int tabOrder, Handler onClick)
{
    ComponentRow row{field, name, parent, left, top, width, height};
    row.Caption = caption;
    row.ModalResult = modalResult;
    row.TabOrder = tabOrder;
    row.OnEvent = onClick;
    return row;
}

ComponentRow Timer(FieldOf<TTimer> field, const char* name, int interval, Handler onTimer)
{
    ComponentRow row{field, name, nullptr, 0, 0, 0, 0};
    row.Interval = interval;
    row.OnEvent = onTimer;
    return row;
}

const char* const Form = nullptr;
const int mrOkResult = 1;
const int mrCancelResult = 2;

// clang-format off
const ComponentRow FormComponents[] = {
    // kind      component                    parent            left  top width height  own settings
    Panel(      COMPONENT(Panel1),            Form,               8,   8,  353,  345,  0xF8F8F8, /*TabOrder*/ 2),
    GroupBox(   COMPONENT(AxisGroupBox),      "Panel1",           8,   8,  337,  185,  "Axis", 0),
    Bevel(      COMPONENT(Bevel1),            "AxisGroupBox",    16,  24,  129,  129),
    PaintBox(   COMPONENT(WheelPaintBox),     "AxisGroupBox",    18,  26,  125,  125,  &TJQTestDlg::WheelPaintBoxPaint),
    Label(      COMPONENT(Label2),            "AxisGroupBox",   208, 160,   28,   13,  "Brake"),
    Label(      COMPONENT(Label3),            "AxisGroupBox",   280, 160,   25,   13,  "Acce"),
    Label(      COMPONENT(Label4),            "AxisGroupBox",    64, 160,   31,   13,  "Wheel"),
    ProgressBar(COMPONENT(BrakeProgressBar),  "AxisGroupBox",   206,  28,   33,  121,  /*TabOrder*/ 0),
    ProgressBar(COMPONENT(AcceProgressBar),   "AxisGroupBox",   276,  28,   33,  121,  /*TabOrder*/ 1),
    GroupBox(   COMPONENT(ButtonGroupBox),    "Panel1",           8, 200,  177,  137,  "Buttons", 1),

    // Button lamps: column c = (n - 1) mod 4, row r = (n - 1) div 4 at 16 + 40c, 16 + 40r; each
    // followed by its number, drawn on top.
    Shape(      COMPONENT(Btn1Shape),         "ButtonGroupBox",  16,  16,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label1),            "ButtonGroupBox",  23,  20,    6,   13,  "1"),
    Shape(      COMPONENT(Btn2Shape),         "ButtonGroupBox",  56,  16,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label5),            "ButtonGroupBox",  63,  20,    6,   13,  "2"),
    Shape(      COMPONENT(Btn3Shape),         "ButtonGroupBox",  96,  16,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label6),            "ButtonGroupBox", 103,  20,    6,   13,  "3"),
    Shape(      COMPONENT(Btn4Shape),         "ButtonGroupBox", 136,  16,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label7),            "ButtonGroupBox", 143,  20,    6,   13,  "4"),
    Shape(      COMPONENT(Btn5Shape),         "ButtonGroupBox",  16,  56,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label8),            "ButtonGroupBox",  23,  60,    6,   13,  "5"),
    Shape(      COMPONENT(Btn6Shape),         "ButtonGroupBox",  56,  56,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label9),            "ButtonGroupBox",  63,  60,    6,   13,  "6"),
    Shape(      COMPONENT(Btn7Shape),         "ButtonGroupBox",  96,  56,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label10),           "ButtonGroupBox", 103,  60,    6,   13,  "7"),
    Shape(      COMPONENT(Btn8Shape),         "ButtonGroupBox", 136,  56,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label11),           "ButtonGroupBox", 143,  60,    6,   13,  "8"),
    Shape(      COMPONENT(Btn9Shape),         "ButtonGroupBox",  16,  96,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label12),           "ButtonGroupBox",  23, 100,    6,   13,  "9"),
    Shape(      COMPONENT(Btn10Shape),        "ButtonGroupBox",  56,  96,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label13),           "ButtonGroupBox",  62, 100,   12,   13,  "10"),
    Shape(      COMPONENT(Btn11Shape),        "ButtonGroupBox",  96,  96,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label14),           "ButtonGroupBox", 101, 100,   12,   13,  "11"),
    Shape(      COMPONENT(Btn12Shape),        "ButtonGroupBox", 136,  96,   20,   20,  clMaroon, Shown),
    NumberLabel(COMPONENT(Label15),           "ButtonGroupBox", 140, 100,   12,   13,  "12"),

    GroupBox(   COMPONENT(ThumbGroupBox),     "Panel1",         192, 200,  153,  137,  "Thumb", 2),
    Shape(      COMPONENT(Shape1),            "ThumbGroupBox",   24,  20,  105,   97,  clWhite, Shown),
    Shape(      COMPONENT(Shape2),            "ThumbGroupBox",   68,  60,   17,   17,  clGray, Shown),

    // Hat marks on the rim, created after it so that they lie over it; at most one is shown.
    Shape(      COMPONENT(P0Shape),           "ThumbGroupBox",   66,  12,   20,   20,  clRed, Hidden), // up
    Shape(      COMPONENT(P2Shape),           "ThumbGroupBox",  114,  58,   20,   20,  clRed, Hidden), // right
    Shape(      COMPONENT(P4Shape),           "ThumbGroupBox",   66, 108,   20,   20,  clRed, Hidden), // down
    Shape(      COMPONENT(P6Shape),           "ThumbGroupBox",   18,  58,   20,   20,  clRed, Hidden), // left
    Shape(      COMPONENT(P1Shape),           "ThumbGroupBox",  103,  25,   20,   20,  clRed, Hidden), // up-right
    Shape(      COMPONENT(P3Shape),           "ThumbGroupBox",  101,  92,   20,   20,  clRed, Hidden), // down-right
    Shape(      COMPONENT(P7Shape),           "ThumbGroupBox",   33,  24,   20,   20,  clRed, Hidden), // up-left
    Shape(      COMPONENT(P5Shape),           "ThumbGroupBox",   33,  95,   20,   20,  clRed, Hidden), // down-left

    // Neither button is Default or Cancel: Enter presses the focused one, Escape does nothing.
    Button(     COMPONENT(OkButton),          Form,             192, 360,   75,   25,  "&Ok", mrOkResult, /*TabOrder*/ 0, &TJQTestDlg::OkButtonClick),
    Button(     COMPONENT(CancelButton),      Form,             280, 360,   75,   25,  "&Cancel", mrCancelResult, 1, &TJQTestDlg::OkButtonClick),

    // Both timers run from the dialog's creation to its destruction.
    Timer(      COMPONENT(Timer1),            /*Interval ms*/ 25, &TJQTestDlg::Timer1Timer),
    Timer(      COMPONENT(FFWaveTimer),       /*Interval ms*/ 10, &TJQTestDlg::FFWaveTimerTimer),
};
// clang-format on

#undef COMPONENT

// The form's own settings.
const char* const FormCaption = "Force Feedback Wheel Test";
const int FormClientWidth = 369;
const int FormClientHeight = 394;
const TColor FormColor = 0xE8E8E8;
const char* const FormFontName = "MS Sans Serif";
const int FormFontHeight = -11; // 8 point at 96 pixels per inch

TNotifyEvent Bind(TJQTestDlg& dialog, Handler handler)
{
    TJQTestDlg* target = &dialog;
    return [target, handler](TObject* sender) { (target->*handler)(sender); };
}

void SetFont(TFont& font, TColor color)
{
    font.Name = FormFontName;
    font.Height = FormFontHeight;
    font.Color = color;
    font.Charset = DEFAULT_CHARSET;
}

void ApplyFormSettings(TJQTestDlg& form)
{
    form.Caption = FormCaption;
    form.BorderStyle = bsDialog;
    form.Position = poScreenCenter;
    form.ClientWidth = FormClientWidth;
    form.ClientHeight = FormClientHeight;
    form.Color = FormColor;
    SetFont(form.Font, clWindowText);
    form.OnCreate = Bind(form, &TJQTestDlg::FormCreate);
    form.OnDestroy = Bind(form, &TJQTestDlg::FormDestroy);
}

TWinControl* ParentOf(TJQTestDlg& form, const ComponentRow& row)
{
    if (row.Parent == Form)
        return &form;
    return dynamic_cast<TWinControl*>(form.FindComponent(row.Parent));
}

void Place(TJQTestDlg& form, const ComponentRow& row, TControl& control)
{
    control.Parent = ParentOf(form, row);
    control.SetBounds(row.Left, row.Top, row.Width, row.Height);
}

// The settings every component of one kind shares in this form come with the kind.
void Apply(TJQTestDlg& form, const ComponentRow& row, TPanel& panel)
{
    Place(form, row, panel);
    panel.Caption = row.Caption;
    panel.Color = row.Color;
    panel.TabOrder = row.TabOrder;
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TGroupBox& box)
{
    Place(form, row, box);
    box.Caption = row.Caption;
    box.TabOrder = row.TabOrder;
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TBevel& bevel)
{
    Place(form, row, bevel);
    bevel.Shape = bsFrame;
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TPaintBox& box)
{
    Place(form, row, box);
    box.OnPaint = Bind(form, row.OnEvent);
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TLabel& label)
{
    Place(form, row, label);
    label.Caption = row.Caption;
    if (row.OwnFont) {
        label.ParentFont = false;
        SetFont(label.Font, row.Color);
        label.Transparent = true;
    }
}

// The form description's range; FormCreate replaces it before the dialog is first shown.
void Apply(TJQTestDlg& form, const ComponentRow& row, TProgressBar& bar)
{
    Place(form, row, bar);
    bar.Orientation = pbVertical;
    bar.Smooth = true;
    bar.Min = 0;
    bar.Max = 100;
    bar.Position = 50;
    bar.TabOrder = row.TabOrder;
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TShape& shape)
{
    Place(form, row, shape);
    shape.Shape = stCircle;
    shape.Brush.Color = row.Color;
    shape.Pen.Color = clBlack;
    shape.Visible = row.Visible;
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TButton& button)
{
    Place(form, row, button);
    button.Caption = row.Caption;
    button.ModalResult = row.ModalResult;
    button.TabOrder = row.TabOrder;
    button.OnClick = Bind(form, row.OnEvent);
}

void Apply(TJQTestDlg& form, const ComponentRow& row, TTimer& timer)
{
    timer.Interval = row.Interval;
    timer.Enabled = true;
    timer.OnTimer = Bind(form, row.OnEvent);
}

template <class Member>
struct ComponentKind;

template <class T>
struct ComponentKind<T* TJQTestDlg::*>
{
    using Type = T;
};

void CreateComponent(TJQTestDlg& form, const ComponentRow& row)
{
    std::visit(
        [&](auto field) {
            using Kind = typename ComponentKind<decltype(field)>::Type;
            Kind* component = new Kind(&form); // owned, and in the end deleted, by the form
            component->Name = row.Name;
            form.*field = component;
            Apply(form, row, *component);
        },
        row.Field);
}

} // namespace

void ReadJqTestForm(TJQTestDlg& dialog)
{
    ApplyFormSettings(dialog);
    for (const ComponentRow& row : FormComponents)
        CreateComponent(dialog, row);
}
