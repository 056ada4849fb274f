#include "mask/mask_processor.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "document/errors.h"

namespace pixolat {

namespace {

constexpr const char* kReady = "Ready to process";
constexpr const char* kFinished = "Finished!";
constexpr const char* kNoMask = "Pre-process a mask first";
constexpr const char* kEmptyMask = "The mask has no pixels";
constexpr const char* kTooManyColors = "The mask has more than 256 colors";
constexpr const char* kTooLarge = "The mask is larger than 16001 x 1024 pixels";

// Virtual-key codes the grid understands.
constexpr int kKey0 = 48, kKey1 = 49, kKey2 = 50, kKey3 = 51;
constexpr int kKeyA = 65, kKeyB = 66, kKeyC = 67;
constexpr int kKeypadPlus = 107, kKeypadMinus = 109;

const char* RoleWord(MaskRole role) {
    switch (role) {
        case MaskRole::Mask1:
            return "Mask1";
        case MaskRole::Mask2:
            return "Mask2";
        default:
            return "Color";
    }
}

std::string OffsetText(int32_t offset, bool signedDigit) {
    std::string digits = std::to_string(offset);
    return signedDigit && offset > 0 ? std::string(1, '+').append(digits) : digits;
}

// Where the run of the color at row[x] ends. Eight pixels are compared at a
// time in a form the compiler turns into vector compares.
int RunEnd(const uint32_t* row, int x, int width) {
    const uint32_t color = row[x];
    int end = x + 1;
    if (end < width && row[end] != color) return end;  // noisy masks: runs of one
    for (; end + 8 <= width; end += 8) {
        uint32_t differ = 0;
        for (int i = 0; i < 8; ++i) differ |= row[end + i] ^ color;
        if (differ != 0) break;
    }
    while (end < width && row[end] == color) ++end;
    return end;
}

bool IsEmpty(const Picture& picture) {
    return picture.width <= 0 || picture.height <= 0;
}

}  // namespace

void MaskClassMap::Reset(int width, int height) {
    const std::size_t size = std::size_t(width) * std::size_t(height);
    if (size > capacity_) {
        // Each index is written by Pre-process before it is read: no zero fill.
        indices_ = std::make_unique_for_overwrite<uint8_t[]>(size);
        capacity_ = size;
    }
    width_ = width;
    height_ = height;
}

class MaskProcessor::BusyScope {
public:
    explicit BusyScope(MaskProcessor& processor) : processor_(processor) {
        processor_.busy_ = true;
        processor_.cancelled_ = false;
    }
    ~BusyScope() { processor_.busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    MaskProcessor& processor_;
};

MaskProcessor::MaskProcessor(PictureFiles& pictures, MaskProcessorView& view)
    : pictures_(pictures), view_(view) {
    grid_.resize(2);
}

const std::string& MaskProcessor::GridCell(int row, int column) const {
    static const std::string kNone;
    if (row < 0 || row >= GridRowCount() || column < 0 || column >= kColumns) return kNone;
    return grid_[std::size_t(row)][std::size_t(column)];
}

void MaskProcessor::Cancel() {
    if (busy_) cancelled_ = true;
}

// Back to the state of a fresh window: no mask, no colors, the header row and
// one empty row.
void MaskProcessor::DiscardMask() {
    table_.Clear();
    // The map's memory stays for the next mask: a second Pre-process of a
    // large mask then costs no fresh pages.
    classMap_.Clear();
    grid_.assign(2, {});
}

bool MaskProcessor::ProgressAfterRow(int y, int height) {
    // Pending events keep the window responsive; the busy flag turns away
    // the clicks and keys they deliver meanwhile.
    view_.ProcessPendingEvents();
    if (cancelled_) return false;
    view_.SetCaption(std::to_string(y) + "/" + std::to_string(height));
    return true;
}

void MaskProcessor::PreProcess(const std::string& maskPath) {
    if (busy_) return;
    BusyScope busy(*this);
    const Picture mask = LoadWholePicture(maskPath);
    DiscardMask();
    view_.GridChanged();
    if (IsEmpty(mask)) {
        view_.SetCaption(kEmptyMask);
        return;
    }
    if (mask.width > MaskClassMap::kMaxWidth || mask.height > MaskClassMap::kMaxHeight) {
        view_.SetCaption(kTooLarge);
        return;
    }
    if (!ClassifyRows(mask)) return;
    FillGrid();
    view_.GridChanged();
    view_.SetCaption(kReady);
}

// Fills the table and the class map row by row. On a refusal or a cancel the
// half-read mask is dropped, so Process never sees part of a mask.
bool MaskProcessor::ClassifyRows(const Picture& mask) {
    classMap_.Reset(mask.width, mask.height);
    // Masks are drawn in flat areas: most pixels repeat their left neighbour.
    bool haveLast = false;
    uint32_t lastColor = 0;
    uint8_t lastIndex = 0;
    for (int y = 0; y < mask.height; ++y) {
        const uint32_t* source = mask.pixels.data() + std::size_t(y) * std::size_t(mask.width);
        uint8_t* target = classMap_.row(y);
        for (int x = 0; x < mask.width;) {
            const uint32_t color = source[x];
            if (!haveLast || color != lastColor) {
                const int index = table_.FindOrAdd(color);
                if (index < 0) {
                    DiscardMask();
                    view_.GridChanged();
                    view_.SetCaption(kTooManyColors);
                    return false;
                }
                haveLast = true;
                lastColor = color;
                lastIndex = uint8_t(index);
            }
            const int end = RunEnd(source, x, mask.width);
            if (end - x == 1)
                target[x] = lastIndex;
            else
                std::memset(target + x, lastIndex, std::size_t(end - x));
            x = end;
        }
        if (!ProgressAfterRow(y, mask.height)) {
            DiscardMask();
            view_.GridChanged();
            return false;
        }
    }
    return true;
}

void MaskProcessor::FillGrid() {
    grid_.assign(std::size_t(std::max(table_.size(), 1)) + 1, {});
    for (int i = 0; i < table_.size(); ++i)
        grid_[std::size_t(i) + 1] = {std::to_string(table_[i].color), "Color", "0"};
}

// The platform hands out whole pictures; a picture whose pixels do not cover
// its size is treated like one that could not be loaded. What a cut or
// damaged file left is used, and the user told so.
Picture MaskProcessor::LoadWholePicture(const std::string& path) {
    Picture picture = pictures_.LoadPicture(path);
    if (picture.width < 0 || picture.height < 0 ||
        picture.pixels.size() < std::size_t(picture.width) * std::size_t(picture.height))
        throw Error("Cannot load picture \"" + path + "\".");
    if (!picture.damage.empty()) view_.ShowWarning(picture.damage);
    return picture;
}

MaskColorEntry* MaskProcessor::EntryAtRow(int row) {
    if (row < 1 || row > table_.size()) return nullptr;
    return &table_[row - 1];
}

bool MaskProcessor::GridKeyDown(int row, int column, int key) {
    if (busy_ || (column != 1 && column != 2)) return false;
    MaskColorEntry* entry = EntryAtRow(row);
    if (column == 1) {
        MaskRole role;
        switch (key) {
            case kKey1:
                role = MaskRole::Mask1;
                break;
            case kKey2:
                role = MaskRole::Mask2;
                break;
            case kKeyC:
                role = MaskRole::Color;
                break;
            default:
                view_.SetCaption(std::to_string(key));
                return false;
        }
        if (!entry) return false;
        entry->role = role;
        grid_[std::size_t(row)][1] = RoleWord(role);
        return true;
    }
    int32_t offset;
    switch (key) {
        case kKey0:
            offset = 0;
            break;
        case kKey1:
        case kKey2:
        case kKey3:
            offset = key - kKey0;
            break;
        case kKeyA:
        case kKeyB:
        case kKeyC:
            offset = -(key - kKeyA + 1);
            break;
        case kKeypadPlus:
        case kKeypadMinus:
            offset = entry ? entry->levelOffset : 0;
            break;
        default:
            view_.SetCaption(std::to_string(key));
            return false;
    }
    if (!entry) return false;
    // Offsets are not limited; they only stop at the ends of their type.
    if (key == kKeypadPlus && offset < std::numeric_limits<int32_t>::max()) ++offset;
    if (key == kKeypadMinus && offset > std::numeric_limits<int32_t>::min()) --offset;
    entry->levelOffset = offset;
    // The digit keys write a signed digit, the keypad keys a plain number.
    const bool keypad = key == kKeypadPlus || key == kKeypadMinus;
    grid_[std::size_t(row)][2] = OffsetText(offset, !keypad);
    return true;
}

void MaskProcessor::Process(const std::string& maskPath, const std::string& pattern1Path,
                            const std::string& pattern2Path) {
    if (busy_) return;
    if (!HasMask()) {
        view_.SetCaption(kNoMask);
        return;
    }
    BusyScope busy(*this);
    const Picture pattern1 = LoadWholePicture(pattern1Path);
    const Picture pattern2 = LoadWholePicture(pattern2Path);
    for (int i = 0; i < table_.size(); ++i) {
        if (table_[i].role == MaskRole::Mask1 && IsEmpty(pattern1)) {
            view_.SetCaption("Pattern 1 has no pixels");
            return;
        }
        if (table_[i].role == MaskRole::Mask2 && IsEmpty(pattern2)) {
            view_.SetCaption("Pattern 2 has no pixels");
            return;
        }
    }
    MaskRenderer renderer(table_, pattern1, pattern2);
    const int width = classMap_.width();
    const int height = classMap_.height();
    output_.width = width;
    output_.height = height;
    output_.pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        renderer.RenderRow(y, classMap_.row(y), width,
                           output_.pixels.data() + std::size_t(y) * std::size_t(width));
        if (!ProgressAfterRow(y, height)) return;
    }
    pictures_.SavePictureAsBitmap(ResultPath(maskPath), output_);
    view_.SetCaption(kFinished);
}

}  // namespace pixolat
