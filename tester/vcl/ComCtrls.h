// The progress bar (the common controls' progress bar class).
#pragma once

#include "Controls.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* Owner);

    Property<int, TProgressBar> Min{this, &TProgressBar::RangeChanged, 0};
    Property<int, TProgressBar> Max{this, &TProgressBar::RangeChanged, 100};
    // Shown clipped to Min..Max; the value set is kept as it was given.
    Property<int, TProgressBar> Position{this, &TProgressBar::PositionChanged, 0};
    Property<TProgressBarOrientation, TProgressBar> Orientation{this, &TProgressBar::StyleChanged,
                                                                 pbHorizontal};
    Property<bool, TProgressBar> Smooth{this, &TProgressBar::StyleChanged, false};

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

private:
    void RangeChanged();
    void PositionChanged();
    void StyleChanged();
};
