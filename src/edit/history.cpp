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

// A tile that changed mostly differs in its first bytes: a look at them
// spares a call of memcmp per tile when many changed.
bool TileDiffers(const uint8_t* a, const uint8_t* b) {
    uint64_t wa, wb;
    std::memcpy(&wa, a, sizeof wa);
    std::memcpy(&wb, b, sizeof wb);
    return wa != wb || std::memcmp(a, b, kTileBytes) != 0;
}

// Array `segment` of the image, appended to an empty buffer (a new buffer is
// written once, not cleared first).
void TakeArray(const Image& image, int segment, std::vector<uint8_t>& bytes) {
    const auto [first, size] = kSegments[segment];
    const uint8_t* from = TileOf(image, first);
    bytes.clear();
    bytes.reserve(size);
    bytes.insert(bytes.end(), from, from + size);
}

}  // namespace

std::size_t History::ImageChange::size() const {
    return sizeof(ImageChange) + before.name.capacity() + after.name.capacity() +
           tiles.capacity() * sizeof(uint32_t) + beforeBytes.capacity() +
           std::max(afterBytes.capacity(), tiles.size() * kTileBytes);
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

uint8_t* History::Copy::at(std::size_t offset) {
    const int segment = SegmentOf(offset);
    return arrays[std::size_t(segment)].data() + (offset - kSegments[segment].first);
}

void History::Take(const ImageStore& store, int index, Copy& copy) {
    const Image& image = store.image(index);
    copy.index = index;
    copy.desc = image.desc;
    for (int segment = 0; segment < 3; ++segment)
        TakeArray(image, segment, copy.arrays[std::size_t(segment)]);
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
    std::array<std::size_t, 3> changed{};  // tiles of each array
    // Most steps change a few tiles: a block of tiles that is the same as a
    // whole is passed over with one comparison.
    constexpr std::size_t kBlockBytes = 16 * kTileBytes;
    for (int segment = 0; segment < 3; ++segment) {
        const auto [first, size] = kSegments[segment];
        for (std::size_t block = first; block < first + size; block += kBlockBytes) {
            const std::size_t blockEnd = std::min(block + kBlockBytes, first + size);
            if (std::memcmp(copy.at(block), TileOf(image, block), blockEnd - block) == 0) continue;
            for (std::size_t offset = block; offset < blockEnd; offset += kTileBytes)
                if (TileDiffers(copy.at(offset), TileOf(image, offset))) {
                    change.tiles.push_back(uint32_t(offset));
                    ++changed[std::size_t(segment)];
                }
        }
    }
    const bool descChanged = !SameDescriptor(change.before, change.after);
    copy.desc = image.desc;
    if (change.tiles.empty() && !descChanged) return;
    if (std::find(touched_.begin(), touched_.end(), copy.index) == touched_.end())
        touched_.push_back(copy.index);

    // An array of which nearly every tile changed goes whole into a change
    // of its own: the copy's buffer becomes its before-bytes (a tile that
    // did not change too) and the copy takes the array again, one copy of
    // the array rather than two.
    std::array<bool, 3> whole{};
    std::size_t tileBytes = 0;
    for (int segment = 0; segment < 3; ++segment) {
        const std::size_t size = kSegments[segment].second;
        const std::size_t bytes = changed[std::size_t(segment)] * kTileBytes;
        whole[std::size_t(segment)] = bytes >= size / 8 * 7;
        tileBytes += whole[std::size_t(segment)] ? size : bytes;
    }
    if (!overBudget_ && open_.bytes + 2 * tileBytes > budget_) {
        overBudget_ = true;
        open_ = Step{};
    }
    if (overBudget_) whole = {};
    std::vector<ImageChange> wholes;
    for (int segment = 0; segment < 3; ++segment) {
        if (!whole[std::size_t(segment)]) continue;
        const auto [first, size] = kSegments[segment];
        ImageChange& part = wholes.emplace_back();
        part.index = change.index;
        part.before = change.before;
        part.after = change.after;
        part.tiles.reserve(size / kTileBytes);
        for (std::size_t offset = first; offset < first + size; offset += kTileBytes)
            part.tiles.push_back(uint32_t(offset));
        part.beforeBytes = std::move(copy.arrays[std::size_t(segment)]);
        TakeArray(image, segment, copy.arrays[std::size_t(segment)]);
    }
    std::erase_if(change.tiles, [&](uint32_t t) { return whole[std::size_t(SegmentOf(t))]; });
    if (!overBudget_) {
        change.tiles.shrink_to_fit();
        change.beforeBytes.reserve(change.tiles.size() * kTileBytes);
    }
    // Tiles that follow each other inside one of the three arrays are
    // copied in one piece.
    for (std::size_t i = 0; i < change.tiles.size();) {
        std::size_t j = i + 1;
        while (j < change.tiles.size() && change.tiles[j] == change.tiles[j - 1] + kTileBytes &&
               SegmentOf(change.tiles[j]) == SegmentOf(change.tiles[i]))
            ++j;
        const std::size_t bytes = (j - i) * kTileBytes;
        uint8_t* kept = copy.at(change.tiles[i]);
        const uint8_t* now = TileOf(image, change.tiles[i]);
        if (!overBudget_) change.beforeBytes.insert(change.beforeBytes.end(), kept, kept + bytes);
        std::memcpy(kept, now, bytes);
        i = j;
    }
    if (overBudget_) return;
    // A change without tiles still carries a new descriptor.
    if (!change.tiles.empty() || wholes.empty()) wholes.push_back(std::move(change));
    for (ImageChange& part : wholes) {
        open_.bytes += part.size();
        open_.changes.push_back(std::move(part));
    }
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
    if (!forward && change.afterBytes.empty()) {
        change.afterBytes.reserve(change.tiles.size() * kTileBytes);
        for (const uint32_t offset : change.tiles) {
            const uint8_t* now = TileOf(image, offset);
            change.afterBytes.insert(change.afterBytes.end(), now, now + kTileBytes);
        }
    }
    image.desc = forward ? change.after : change.before;
    const std::vector<uint8_t>& bytes = forward ? change.afterBytes : change.beforeBytes;
    const bool shadowed = change.index == shadow_.index;
    if (shadowed) shadow_.desc = image.desc;
    for (std::size_t i = 0; i < change.tiles.size(); ++i) {
        const uint8_t* tile = bytes.data() + i * kTileBytes;
        std::memcpy(TileOf(image, change.tiles[i]), tile, kTileBytes);
        if (shadowed) std::memcpy(shadow_.at(change.tiles[i]), tile, kTileBytes);
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
