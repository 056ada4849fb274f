#pragma once
// Undo and redo without a hook in every operation.
//
// The history keeps a shadow copy of one image, the current one. When a step
// ends (after an event that is not inside a gesture), the current image is
// compared with the shadow in tiles; the tiles that differ, before and after,
// and the descriptors make the step, and the shadow catches up. Operations
// that change other images than the current one announce each image before
// they touch it (BeforeChange), and that image is compared the same way.
//
// Memory: only the changed tiles are kept, within a byte budget. The oldest
// steps go first; a single step larger than the whole budget drops the
// history (the step itself stays done).
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "document/image_store.h"

namespace pixolat {

inline constexpr std::size_t kHistoryBudget = std::size_t(256) << 20;
// The bytes of one image as the history sees them: plane, colmap, lummap.
inline constexpr std::size_t kImageBytes = kPlaneBytes + 2 * kAttributeBytes;
// Compared and kept in runs of this many bytes: a quarter of a pixel column,
// or 256 cells of an attribute bank.
inline constexpr std::size_t kTileBytes = 256;
static_assert(kPlaneBytes % kTileBytes == 0 && kAttributeBytes % kTileBytes == 0);

class History {
public:
    enum class StepEnd {
        Unchanged,  // nothing changed: no step
        Recorded,   // a step was added to the undo list
        TooLarge,   // the changes did not fit the budget: the history is gone
    };

    explicit History(std::size_t budget = kHistoryBudget) : budget_(budget) {}
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Makes the shadow a copy of image `index`, as it is now.
    void Sync(const ImageStore& store, int index) { Take(store, index, shadow_); }
    // The shadow takes the descriptor of its image again (after a fix-up of
    // the descriptor that is no step of its own).
    void SyncDescriptor(const ImageStore& store) {
        if (shadow_.index >= 0) shadow_.desc = store.image(shadow_.index).desc;
    }
    int shadowIndex() const { return shadow_.index; }

    // An operation is about to change image `index` (any image). Images other
    // than the shadow's are copied here and compared at the step's end, or
    // when the next image is announced: announce an image when the previous
    // one is done with.
    void BeforeChange(const ImageStore& store, int index);

    // Ends the step begun at the last end, sync or undo: whatever changed
    // becomes one step called `name`, which makes `currentImage` current again
    // on redo. The shadow then follows `currentImage`.
    StepEnd EndStep(const ImageStore& store, int currentImage, std::string_view name);

    // Forgets what the step under way changed: the caller has put every image
    // back as it was when the step began (a load that failed half way).
    void DropOpenStep(const ImageStore& store);

    // A number that changes whenever image `index` takes data no earlier
    // state had, and that undo and redo bring back with the data: equal
    // numbers mean equal images, so whoever kept a copy can tell whether it
    // is still current. 0 is the image as it was at start.
    uint64_t revision(int index) const { return revisions_.at(std::size_t(index)); }

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    const std::string& undoName() const;
    const std::string& redoName() const;

    // Restores the images of the last step as they were before it and returns
    // the image that was current then; the shadow follows that image. Call
    // it between steps (right after EndStep, Undo or Redo).
    int Undo(ImageStore& store);
    // Does the last undone step again and returns the image current after it.
    int Redo(ImageStore& store);

    void Clear();
    std::size_t bytes() const { return bytes_; }
    std::size_t undoSteps() const { return undo_.size(); }
    std::size_t budget() const { return budget_; }
    // A smaller budget drops the oldest steps that no longer fit.
    void SetBudget(std::size_t budget);

private:
    // One image's changes: descriptors and the changed tiles, each tile's
    // before- and after-bytes in tile order. The after-bytes are taken at
    // the first undo (the image holds them until then); their room counts
    // from the start, but is taken only then.
    struct ImageChange {
        int index = 0;
        ImageDescriptor before;
        ImageDescriptor after;
        std::vector<uint32_t> tiles;  // first byte of each tile in the image's bytes
        std::vector<uint8_t> beforeBytes;
        std::vector<uint8_t> afterBytes;
        std::size_t size() const;
    };
    struct Revision {
        int index = 0;
        uint64_t before = 0;
        uint64_t after = 0;
    };
    struct Step {
        std::string name;
        int imageBefore = 0;
        int imageAfter = 0;
        std::vector<ImageChange> changes;
        std::vector<Revision> revisions;
        std::size_t bytes = 0;
    };
    // One image as it was when the step began: plane, colmap and lummap,
    // each in a buffer of its own, so that a step can take one whole.
    struct Copy {
        int index = -1;
        ImageDescriptor desc;
        std::array<std::vector<uint8_t>, 3> arrays;
        // The byte at `offset` of the history's view of the image.
        uint8_t* at(std::size_t offset);
    };

    static void Take(const ImageStore& store, int index, Copy& copy);
    // Adds the differences between `copy` and the store to the open step and
    // brings `copy` up to date.
    void Compare(const ImageStore& store, Copy& copy);
    // Writes a change's before- or after-state into the store, and into the
    // shadow when it holds that image.
    void Apply(ImageStore& store, ImageChange& change, bool forward);
    static std::size_t Size(const Step& step);

    std::size_t budget_;
    std::size_t bytes_ = 0;
    Copy shadow_;
    Copy announced_;  // the other image announced last
    Step open_;       // the changes found so far in the step under way
    bool overBudget_ = false;
    // The images the open step changed, known even when its data is not kept.
    std::vector<int> touched_;
    std::vector<uint64_t> revisions_ = std::vector<uint64_t>(kImageCount, 0);
    uint64_t lastRevision_ = 0;
    std::deque<Step> undo_;
    std::vector<Step> redo_;
};

}  // namespace pixolat
