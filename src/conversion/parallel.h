#pragma once
// Long work: split into parts that share no data written while they run,
// done side by side where the machine has the cores (the caller fixes the
// parts, so a result never depends on how many cores there were), and given
// up when its result is no longer wanted.
#include <cstdint>
#include <functional>

namespace pixolat {

// Asked by long work between its steps: true when its result is no longer
// wanted.
using Abandoned = std::function<bool()>;

// Runs work(0) .. work(parts - 1) and returns when all are done; the first
// exception a part throws is thrown again here.
void InParallel(int parts, const std::function<void(int part)>& work);

// The share of [0, count) that part `part` of `parts` takes.
struct Range {
    int begin = 0, end = 0;
};
inline Range PartOf(int count, int part, int parts) {
    return {int(int64_t(count) * part / parts), int(int64_t(count) * (part + 1) / parts)};
}

}  // namespace pixolat
