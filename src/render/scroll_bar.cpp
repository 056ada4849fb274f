#include "render/scroll_bar.h"

#include <algorithm>

namespace pixolat {

void ScrollBar::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    SetPosition(position_);
}

void ScrollBar::SetPosition(int position) {
    const int clamped = std::clamp(position, min_, max_);
    if (clamped == position_) return;
    position_ = clamped;
    if (onChange) onChange();
}

}  // namespace pixolat
