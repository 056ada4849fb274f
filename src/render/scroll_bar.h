#pragma once
// A scroll bar without a widget: a range, a position that always lies inside
// it, an enabled flag and a notification that runs whenever the position
// changes. The window mirrors it into its scroll bar widget.
#include <functional>

namespace pixolat {

class ScrollBar {
public:
    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    bool enabled() const { return enabled_; }

    // A maximum below the minimum is raised to it; the position is clamped
    // into the new range, which notifies when it moves.
    void SetRange(int min, int max);
    void SetPosition(int position);
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    // Runs after every change of the position.
    std::function<void()> onChange;

private:
    int min_ = 0;
    int max_ = 0;
    int position_ = 0;
    bool enabled_ = false;
};

}  // namespace pixolat
