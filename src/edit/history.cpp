#include "edit/history.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace pixolat {

namespace {

// The history's view of an image's bytes: plane, then colmap, then lummap.
// Every tile lies inside one of the three.
const uint8_t* TileOf(const Image& image, std::size_t offset) {
    if (offset < kPlaneBytes) return image.plane.data() + offset;
    offset -= kPlaneBytes;
    if (offset < kAttributeBytes) return image.colmap.data() + offset;
    return image.lummap.data() + (offset - kAttributeBytes);
}

uint8_t* TileOf(Image& image, std::size_t offset) {
    return const_cast<uint8_t*>(TileOf(std::as_const(image), offset));
}

bool SameDescriptor(const ImageDescriptor& a, const ImageDescriptor& b) {
    return a.name == b.name && a.width == b.width && a.height == b.height &&
           a.pixelWidth == b.pixelWidth && a.layout == b.layout &&
           a.colorMapKind == b.colorMapKind && a.color0 == b.color0 && a.color3 == b.color3;
}

// The three arrays in the history's view: first byte and size.
constexpr std::pair<std::size_t, std::size_t> kSegments[] = {
    {0, kPlaneBytes},
    {kPlaneBytes, kAttributeBytes},
    {kPlaneBytes + kAttributeBytes, kAttributeBytes},
};

int SegmentOf(std::size_t offset) {
    return offset < kPlaneBytes ? 0 : offset < kPlaneBytes + kAttributeBytes ? 1 : 2;
}

}  // namespace

std::size_t History::ImageChange::size() const {
    return sizeof(ImageChange) + before.name.capacity() + after.name.capacity() +
           tiles.capacity() * sizeof(uint32_t) + beforeBytes.capacity() + afterBytes.capacity();
}

std::size_t History::Size(const Step& step) {
    std::size_t size =
        sizeof(Step) + step.name.capacity() + step.revisions.capacity() * sizeof(Revision);
    for (const ImageChange& change : step.changes) size += change.size();
    return size;
}

const std::string& History::undoName() const {
    static const std::string none;
    return undo_.empty() ? none : undo_.back().name;
}

const std::string& History::redoName() const {
    static const std::string none;
    return redo_.empty() ? none : redo_.back().name;
}

void History::Take(const ImageStore& store, int index, Copy& copy) {
    const Image& image = store.image(index);
    copy.index = index;
    copy.desc = image.desc;
    copy.bytes.resize(kImageBytes);
    std::memcpy(copy.bytes.data(), image.plane.data(), kPlaneBytes);
    std::memcpy(copy.bytes.data() + kPlaneBytes, image.colmap.data(), kAttributeBytes);
    std::memcpy(copy.bytes.data() + kPlaneBytes + kAttributeBytes, image.lummap.data(),
                kAttributeBytes);
}

void History::BeforeChange(const ImageStore& store, int index) {
    if (index == shadow_.index || index == announced_.index) return;
    if (announced_.index >= 0) Compare(store, announced_);
    if (overBudget_) {
        // The step is lost anyway: no need to look further, but the image
        // counts as changed.
        if (std::find(touched_.begin(), touched_.end(), index) == touched_.end())
            touched_.push_back(index);
        return;
    }
    Take(store, index, announced_);
}

void History::Compare(const ImageStore& store, Copy& copy) {
    const Image& image = store.image(copy.index);
    ImageChange change;
    change.index = copy.index;
    change.before = copy.desc;
    change.after = image.desc;
    // Most steps change a few tiles: a block of tiles that is the same as a
    // whole is passed over with one comparison.
    constexpr std::size_t kBlockBytes = 16 * kTileBytes;
    for (const auto& [first, size] : kSegments) {
        for (std::size_t block = first; block < first + size; block += kBlockBytes) {
            const std::size_t blockEnd = std::min(block + kBlockBytes, first + size);
            if (std::memcmp(copy.bytes.data() + block, TileOf(image, block), blockEnd - block) == 0)
                continue;
            for (std::size_t offset = block; offset < blockEnd; offset += kTileBytes)
                if (std::memcmp(copy.bytes.data() + offset, TileOf(image, offset), kTileBytes) != 0)
                    change.tiles.push_back(uint32_t(offset));
        }
    }
    const bool descChanged = !SameDescriptor(change.before, change.after);
    copy.desc = image.desc;
    if (change.tiles.empty() && !descChanged) return;
    if (std::find(touched_.begin(), touched_.end(), copy.index) == touched_.end())
        touched_.push_back(copy.index);

    if (!overBudget_) {
        const std::size_t tileBytes = change.tiles.size() * kTileBytes;
        if (open_.bytes + 2 * tileBytes > budget_) {
            overBudget_ = true;
            open_ = Step{};
        } else {
            change.tiles.shrink_to_fit();
            change.beforeBytes.reserve(tileBytes);
            // The after-bytes are what the image holds until the step is
            // undone: Apply takes them then. Their room counts from now on.
            change.afterBytes.reserve(tileBytes);
        }
    }
    // Tiles that follow each other inside one of the three arrays are
    // copied in one piece.
    for (std::size_t i = 0; i < change.tiles.size();) {
        std::size_t j = i + 1;
        while (j < change.tiles.size() && change.tiles[j] == change.tiles[j - 1] + kTileBytes &&
               SegmentOf(change.tiles[j]) == SegmentOf(change.tiles[i]))
            ++j;
        const std::size_t bytes = (j - i) * kTileBytes;
        uint8_t* kept = copy.bytes.data() + change.tiles[i];
        const uint8_t* now = TileOf(image, change.tiles[i]);
        if (!overBudget_) change.beforeBytes.insert(change.beforeBytes.end(), kept, kept + bytes);
        std::memcpy(kept, now, bytes);
        i = j;
    }
    if (overBudget_) return;
    open_.bytes += change.size();
    open_.changes.push_back(std::move(change));
    if (open_.bytes > budget_) {
        overBudget_ = true;
        open_ = Step{};
    }
}

History::StepEnd History::EndStep(const ImageStore& store, int currentImage,
                                  std::string_view name) {
    if (announced_.index >= 0) {
        Compare(store, announced_);
        announced_ = Copy{};  // releases the copy
    }
    if (shadow_.index >= 0) Compare(store, shadow_);

    std::vector<Revision> revisions;
    for (int index : touched_) {
        uint64_t& revision = revisions_[std::size_t(index)];
        revisions.push_back({index, revision, ++lastRevision_});
        revision = lastRevision_;
    }
    touched_.clear();

    StepEnd result = StepEnd::Unchanged;
    if (overBudget_) {
        Clear();
        result = StepEnd::TooLarge;
    } else if (!open_.changes.empty()) {
        open_.name = name;
        open_.imageBefore = shadow_.index;
        open_.imageAfter = currentImage;
        open_.revisions = std::move(revisions);
        open_.bytes = Size(open_);
        for (const Step& step : redo_) bytes_ -= step.bytes;
        redo_.clear();
        bytes_ += open_.bytes;
        undo_.push_back(std::move(open_));
        while (bytes_ > budget_ && undo_.size() > 1) {
            bytes_ -= undo_.front().bytes;
            undo_.pop_front();
        }
        result = StepEnd::Recorded;
    }
    open_ = Step{};
    overBudget_ = false;
    if (currentImage != shadow_.index) Sync(store, currentImage);
    return result;
}

void History::DropOpenStep(const ImageStore& store) {
    open_ = Step{};
    touched_.clear();
    overBudget_ = false;
    announced_ = Copy{};
    if (shadow_.index >= 0) Sync(store, shadow_.index);
}

void History::Apply(ImageStore& store, ImageChange& change, bool forward) {
    Image& image = store.image(change.index);
    if (!forward && change.afterBytes.empty())
        for (const uint32_t offset : change.tiles) {
            const uint8_t* now = TileOf(image, offset);
            change.afterBytes.insert(change.afterBytes.end(), now, now + kTileBytes);
        }
    image.desc = forward ? change.after : change.before;
    const std::vector<uint8_t>& bytes = forward ? change.afterBytes : change.beforeBytes;
    const bool shadowed = change.index == shadow_.index;
    if (shadowed) shadow_.desc = image.desc;
    for (std::size_t i = 0; i < change.tiles.size(); ++i) {
        const uint8_t* tile = bytes.data() + i * kTileBytes;
        std::memcpy(TileOf(image, change.tiles[i]), tile, kTileBytes);
        if (shadowed) std::memcpy(shadow_.bytes.data() + change.tiles[i], tile, kTileBytes);
    }
}

int History::Undo(ImageStore& store) {
    if (undo_.empty()) return shadow_.index;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change)
        Apply(store, *change, false);
    for (const Revision& revision : step.revisions)
        revisions_[std::size_t(revision.index)] = revision.before;
    const int current = step.imageBefore;
    redo_.push_back(std::move(step));
    if (current != shadow_.index) Sync(store, current);
    return current;
}

int History::Redo(ImageStore& store) {
    if (redo_.empty()) return shadow_.index;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    for (ImageChange& change : step.changes) Apply(store, change, true);
    for (const Revision& revision : step.revisions)
        revisions_[std::size_t(revision.index)] = revision.after;
    const int current = step.imageAfter;
    undo_.push_back(std::move(step));
    if (current != shadow_.index) Sync(store, current);
    return current;
}

void History::SetBudget(std::size_t budget) {
    budget_ = budget;
    while (bytes_ > budget_ && !redo_.empty()) {
        bytes_ -= redo_.front().bytes;
        redo_.erase(redo_.begin());
    }
    while (bytes_ > budget_ && !undo_.empty()) {
        bytes_ -= undo_.front().bytes;
        undo_.pop_front();
    }
}

void History::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

}  // namespace pixolat
