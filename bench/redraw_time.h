#pragma once
// The time of one full redraw of the editor's view, best of 20: the unit the
// editing benchmarks report their events in.
#include <algorithm>
#include <chrono>

#include "edit/editor.h"

namespace pixolat {

inline double FullRedrawSeconds(Editor& editor) {
    using Clock = std::chrono::steady_clock;
    double best = 1e9;
    for (int run = 0; run < 20; ++run) {
        const auto start = Clock::now();
        editor.viewArea().FullRedraw();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace pixolat
