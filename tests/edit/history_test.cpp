// The undo history on its own: random edits on random images, undone and
// redone against fingerprints of every image they touched.
#include "edit/history.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string_view>

#include "formats/source_text.h"
#include "support/image_print.h"

using namespace pixolat;

namespace {

constexpr int kImagesUsed = 4;

// The images only: where the current image ends up is checked on its own.
std::string SnapshotOf(const ImageStore& store, int) {
    return pixolat::testing::PrintOf(store, 0, kImagesUsed);
}

// A rectangle of the plane and a few cells set to random values, sometimes a
// descriptor field, sometimes nothing at all.
void RandomEdit(Image& image, std::mt19937& rng) {
    auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    switch (pick(5)) {
        case 0:
            return;  // an event that changes nothing
        case 1:
            image.desc.width = pick(641);
            image.desc.name = "n" + std::to_string(pick(100));
            image.desc.colorMapKind = ColorMapKind(pick(3));
            return;
        default:
            break;
    }
    const int x0 = pick(640), y0 = pick(1024);
    const int x1 = x0 + pick(std::min(640 - x0, 1 + pick(300))), y1 = y0 + pick(1024 - y0);
    const uint8_t bit = uint8_t(pick(2));
    for (int x = x0; x <= x1 && x < kPlaneWidth; ++x)
        for (int y = y0; y <= y1 && y < kPlaneHeight; ++y) image.plane.at(x, y) = bit;
    for (int n = pick(40); n > 0; --n) {
        image.colmap.at(pick(4), pick(80), pick(128)) = uint8_t(rng());
        image.lummap.at(pick(4), pick(80), pick(128)) = uint8_t(rng());
    }
}

}  // namespace

TEST(History, UndoAndRedoGiveBackExactlyTheImagesOfEveryStep) {
    auto store = std::make_unique<ImageStore>();
    std::mt19937 rng(12);
    History history;
    int current = 0;
    history.Sync(*store, current);
    // timeline[k] is the store after k steps, `at` where undo has brought it;
    // step k began on image before[k] and ended on image after[k].
    std::vector<std::string> timeline{SnapshotOf(*store, current)};
    std::vector<int> before{0}, after{0};
    std::size_t at = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int action = int(rng() % 10);
        if (action < 2 && history.CanUndo()) {
            ASSERT_GT(at, 0u);
            current = history.Undo(*store);
            EXPECT_EQ(current, before[at]);
            --at;
        } else if (action < 4 && history.CanRedo()) {
            ASSERT_LT(at + 1, timeline.size());
            current = history.Redo(*store);
            ++at;
            EXPECT_EQ(current, after[at]);
        } else if (action == 4) {
            current = int(rng() % kImagesUsed);  // switching images is not a step
            EXPECT_EQ(history.EndStep(*store, current, "Switch"), History::StepEnd::Unchanged);
        } else {
            // Edits of the current image, and sometimes of others announced first,
            // as the source reader announces them; the step may end elsewhere.
            const int start = current;
            RandomEdit(store->image(current), rng);
            for (int other = int(rng() % 3); other > 0; --other) {
                const int index = int(rng() % kImagesUsed);
                history.BeforeChange(*store, index);
                RandomEdit(store->image(index), rng);
            }
            if (rng() % 4 == 0) current = int(rng() % kImagesUsed);
            const std::string now = SnapshotOf(*store, current);
            const bool changed = now != timeline[at];
            const History::StepEnd end = history.EndStep(*store, current, "Edit");
            ASSERT_EQ(end, changed ? History::StepEnd::Recorded : History::StepEnd::Unchanged);
            if (changed) {
                ++at;
                timeline.resize(at);
                before.resize(at);
                after.resize(at);
                timeline.push_back(now);
                before.push_back(start);
                after.push_back(current);
                EXPECT_FALSE(history.CanRedo());
                EXPECT_EQ(history.undoName(), "Edit");
            }
        }
        ASSERT_EQ(SnapshotOf(*store, current), timeline[at]);
        ASSERT_EQ(history.undoSteps(), at);
        ASSERT_EQ(history.CanRedo(), at + 1 < timeline.size());
    }
    EXPECT_GT(timeline.size(), 100u);
}

TEST(History, KeepsAHundredWholeImageStepsAndDropsWhatPassesTheBudget) {
    auto store = std::make_unique<ImageStore>();
    Image& image = store->image(0);
    const auto fill = [&](History& history, int step) {
        std::fill_n(image.plane.data(), kPlaneBytes, uint8_t(step & 1));
        std::fill_n(image.colmap.data(), kAttributeBytes, uint8_t(step));
        return history.EndStep(*store, 0, "Fill");
    };
    History history;
    history.Sync(*store, 0);
    for (int step = 1; step <= 100; ++step)
        ASSERT_EQ(fill(history, step), History::StepEnd::Recorded);
    EXPECT_EQ(history.undoSteps(), 100u);

    // A budget of three such steps keeps the newest three, and one below a
    // single step's size drops the history but leaves the step done.
    history.SetBudget(3 * (2 * (kPlaneBytes + kAttributeBytes) + 64 * 1024));
    EXPECT_EQ(history.undoSteps(), 3u);
    while (history.CanUndo()) history.Undo(*store);
    EXPECT_EQ(image.colmap.at(0, 0, 0), 97);
    history.SetBudget(kPlaneBytes);
    EXPECT_EQ(fill(history, 6), History::StepEnd::TooLarge);
    EXPECT_FALSE(history.CanUndo() || history.CanRedo());
    EXPECT_EQ(history.bytes(), 0u);
    EXPECT_EQ(image.colmap.at(3, 79, 127), 6);
    // Also when the step is spread over several images announced one by one.
    for (int i = 1; i <= 3; ++i) {
        history.BeforeChange(*store, i);
        std::fill_n(store->image(i).plane.data(), kPlaneBytes / 3, uint8_t(1));
    }
    EXPECT_EQ(history.EndStep(*store, 3, "Load"), History::StepEnd::TooLarge);
    store->image(3).desc.width = 8;
    EXPECT_EQ(history.EndStep(*store, 3, "Properties"), History::StepEnd::Recorded);
}
