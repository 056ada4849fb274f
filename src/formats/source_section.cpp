// One section of source text: the header, the data values, and the backup
// that lets a failed load put the image back.
#include "formats/source_section.h"

#include <algorithm>
#include <cstring>

#include "document/text.h"

namespace pixolat {

namespace {

int ClampedSize(std::string_view text, int limit) {
    // Sizes beyond the plane would let every later operation run off it.
    return std::clamp(ParseNumber(text), 0, limit);
}

constexpr std::size_t kNever = std::size_t(-1);

}  // namespace

// "name; width*height h|m none|dfli charset|2x2charset colmap/lummap"
HeaderFields ParseHeaderLine(std::string_view line) {
    HeaderFields h;
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string_view::npos) {
        h.name = std::string(line);
        return h;
    }
    h.semicolon = true;
    h.name = std::string(TrimControls(line.substr(0, semicolon)));
    std::string_view rest = TrimControls(line.substr(semicolon + 1));
    h.star = rest.find('*') != std::string_view::npos;
    const auto take = [&rest](std::string_view keyword) {
        if (!rest.ends_with(keyword)) return false;
        rest = TrimControls(rest.substr(0, rest.size() - keyword.size()));
        return true;
    };
    if (take("colmap/lummap")) h.colorMapMode = true;
    if (take("2x2charset")) h.layout = Layout::Charset2x2;
    if (take("charset")) h.layout = Layout::Charset;
    if (take("dfli")) h.kind = ColorMapKind::Dfli;
    if (take("none")) h.kind = ColorMapKind::None;
    if (take("h")) h.pixelWidth = 1;
    if (take("m")) h.pixelWidth = 2;

    const std::size_t star = rest.find('*');
    if (star == std::string_view::npos) return h;
    std::string_view widthText = TrimControls(rest.substr(0, star));
    h.heightText = std::string(TrimControls(rest.substr(star + 1)));
    const std::size_t blank = widthText.find(' ');
    if (blank != std::string_view::npos) {
        h.name = std::string(TrimControls(widthText.substr(0, blank)));
        widthText = TrimControls(widthText.substr(blank + 1));
    }
    h.widthText = std::string(widthText);
    return h;
}

void ApplyHeader(const HeaderFields& h, ImageDescriptor& desc) {
    desc.name = h.name;
    if (!h.semicolon) return;
    if (h.star) {
        desc.pixelWidth = 2;
        desc.layout = Layout::Bitmap;
        desc.colorMapKind = ColorMapKind::Normal;
    }
    // The keywords in the order the reader of the plain text applies them.
    if (h.layout) desc.layout = *h.layout;
    if (h.kind) desc.colorMapKind = *h.kind;
    if (h.pixelWidth) desc.pixelWidth = *h.pixelWidth;
    if (h.widthText) {
        desc.width = ClampedSize(*h.widthText, kPlaneWidth);
        desc.height = ClampedSize(*h.heightText, kPlaneHeight);
    }
}

// A 320 x 200 section switches to color-map data after the 8192 values of a
// Plus/4 bitmap; a section of another size with a Normal or DFLI color map
// switches after its whole cells.
SectionData::SectionData(Image& image, bool colorMapMode)
    : image_(image),
      walk_(image.desc),
      switchAt_(kNever),
      storeLimit_(kNever),
      shape_{kScreenCellColumns, kScreenCells, kScreenBlock} {
    const ImageDescriptor& d = image.desc;
    const std::size_t cellValues = walk_.valueCount();
    if (cellValues == 0) storeLimit_ = 0;
    if (IsScreenSized(d)) {
        switchAt_ = kScreenPaddedValues;
        // The padding after the 8000 bitmap bytes is not part of the image.
        if (d.layout != Layout::Charset2x2) storeLimit_ = kScreenPixelValues;
    } else if (cellValues > 0 &&
               (d.colorMapKind == ColorMapKind::Normal || d.colorMapKind == ColorMapKind::Dfli)) {
        switchAt_ = cellValues;
        const int cells = walk_.columns() * walk_.rows();
        shape_ = Shape{walk_.columns(), cells, cells};
    }
    if (colorMapMode) StartColorMaps(Shape{kScreenCellColumns, kScreenCells, kScreenBlock});
}

void SectionData::StartColorMaps(Shape shape) {
    phase_ = Phase::ColorMaps;
    shape_ = shape;
    bank_ = plane_ = i_ = cx_ = cy_ = 0;
}

void SectionData::Put(uint8_t v) {
    if (phase_ == Phase::Pixels) {
        if (n_ < storeLimit_ && walk_.inPlane()) {
            const int x = walk_.x();
            const int y = walk_.y();
            for (int k = 0; k < 8; ++k) image_.plane.at(x + k, y) = uint8_t((v >> (7 - k)) & 1);
        }
        walk_.Step();
        if (++n_ == switchAt_) StartColorMaps(shape_);
        return;
    }
    if (phase_ != Phase::ColorMaps) return;
    // Per bank a luminance block, then a color block, of blockSize values
    // each; the first `cells` of them are cells `columns` to a row.
    if (i_ < shape_.cells) {
        AttributePlane& plane = plane_ == 0 ? image_.lummap : image_.colmap;
        plane.at(bank_, cx_, cy_) = v;
        if (++cx_ == shape_.columns) {
            cx_ = 0;
            ++cy_;
        }
    }
    if (++i_ < shape_.blockSize) return;
    i_ = cx_ = cy_ = 0;
    if (++plane_ < 2) return;
    plane_ = 0;
    if (++bank_ == kBanks) phase_ = Phase::Done;
}

void DataStream::Feed(const char* p, std::size_t n) {
    const char* const end = p + n;
    while (p < end) {
        // The common case, "$XX," with nothing held back: one value at once.
        // The comma keeps a "D" or "B" among the digits from forming "DB ".
        if (end - p >= 4 && p[0] == '$' && p[3] == ',' && dRun_ == 0 && !b_ && length_ == 0 &&
            sink_ != nullptr && !sink_->done()) {
            const int high = HexDigitValue(p[1]);
            const int low = HexDigitValue(p[2]);
            if ((high | low) >= 0) {
                skipComma_ = false;
                ++values_;
                sink_->Put(uint8_t(high * 16 + low));
                p += 4;
                continue;
            }
        }
        Char(*p++);
    }
}

// "DB " is removed where the removal of earlier ones makes it: only a blank
// can complete it, and only after a "D" and a "B" still held.
void DataStream::Char(char c) {
    switch (c) {
        case ' ':
            if (b_ && dRun_ > 0) {
                --dRun_;
                b_ = false;
                return;
            }
            FlushTail();
            return;  // blanks are dropped
        case 'D':
            if (b_) FlushTail();
            ++dRun_;
            return;
        case 'B':
            if (!b_ && dRun_ > 0) {
                b_ = true;
                return;
            }
            FlushTail();
            Emit(c);
            return;
        case '\t':
            FlushTail();
            return;  // TABs are dropped
        default:
            FlushTail();
            Emit(c);
    }
}

void DataStream::FlushTail() {
    // A long run of "D" fails as a value at once unless the section reads
    // no more values: then it is dropped without being spelled out.
    for (; dRun_ > 0 && !(sink_ == nullptr || sink_->done()); --dRun_) Emit('D');
    dRun_ = 0;
    if (b_) Emit('B');
    b_ = false;
}

void DataStream::Emit(char c) {
    if (sink_ == nullptr || sink_->done()) return;
    if (skipComma_) {
        skipComma_ = false;
        if (c == ',') return;
    }
    chunk_[length_++] = c;
    if (length_ < 3) return;
    length_ = 0;
    Value(std::string_view(chunk_, 3));
    skipComma_ = true;
}

void DataStream::Value(std::string_view chars) {
    ++values_;
    if (chars.size() == 3 && chars[0] == '$' && HexDigitValue(chars[1]) >= 0 &&
        HexDigitValue(chars[2]) >= 0) {
        sink_->Put(uint8_t(HexDigitValue(chars[1]) * 16 + HexDigitValue(chars[2])));
        return;
    }
    sink_->Put(uint8_t(ParseWholeNumber(chars) & 0xFF));
}

void DataStream::End() {
    FlushTail();
    if (length_ > 0 && sink_ != nullptr && !sink_->done())
        Value(std::string_view(chunk_, std::size_t(length_)));
    length_ = 0;
}

ImageBackup::ImageBackup(const Image& image) : desc_(image.desc) {
    const uint8_t* plane = image.plane.data();
    uint64_t any = 0;
    for (std::size_t i = 0; i < kPlaneBytes; i += 8) {
        uint64_t word;
        std::memcpy(&word, plane + i, 8);
        any |= word;
    }
    const uint8_t* colmap = image.colmap.data();
    const uint8_t* lummap = image.lummap.data();
    uint64_t anyAttribute = 0;
    for (std::size_t i = 0; i < kAttributeBytes; i += 8) {
        uint64_t a, b;
        std::memcpy(&a, colmap + i, 8);
        std::memcpy(&b, lummap + i, 8);
        anyAttribute |= a | b;
    }
    // A never-used image is all zero pages: nothing to keep.
    zero_ = any == 0 && anyAttribute == 0;
    if (zero_) return;
    attributes_.assign(reinterpret_cast<const char*>(colmap), kAttributeBytes);
    attributes_.append(reinterpret_cast<const char*>(lummap), kAttributeBytes);
    packed_ = (any & ~uint64_t(0x0101010101010101)) == 0;
    if (!packed_) {
        plane_.assign(reinterpret_cast<const char*>(plane), kPlaneBytes);
        return;
    }
    plane_.resize(kPlaneBytes / 8);
    for (std::size_t i = 0; i < kPlaneBytes; i += 8) {
        uint64_t word;
        std::memcpy(&word, plane + i, 8);
        // Gathers the low bit of each byte, first byte highest.
        plane_[i / 8] = char((word * 0x8040201008040201ull) >> 56);
    }
}

void ImageBackup::Restore(Image& image) const {
    image.desc = desc_;
    uint8_t* plane = image.plane.data();
    if (zero_) {
        std::memset(plane, 0, kPlaneBytes);
        std::memset(image.colmap.data(), 0, kAttributeBytes);
        std::memset(image.lummap.data(), 0, kAttributeBytes);
        return;
    }
    std::memcpy(image.colmap.data(), attributes_.data(), kAttributeBytes);
    std::memcpy(image.lummap.data(), attributes_.data() + kAttributeBytes, kAttributeBytes);
    if (!packed_) {
        std::memcpy(plane, plane_.data(), kPlaneBytes);
        return;
    }
    for (std::size_t i = 0; i < kPlaneBytes; ++i)
        plane[i] = uint8_t((static_cast<unsigned char>(plane_[i / 8]) >> (7 - i % 8)) & 1);
}

}  // namespace pixolat
