// Writes the store as source text.
#include <array>
#include <cstring>
#include <vector>

#include "formats/source_layout.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

using source::CellWalk;

// "$XX" for every byte, so a value costs one copy instead of a formatting call.
struct HexTable {
    std::array<std::array<char, 3>, 256> text;
    HexTable() {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (int v = 0; v < 256; ++v) text[std::size_t(v)] = {'$', kDigits[v >> 4], kDigits[v & 15]};
    }
};
const HexTable kHex;

// The text under construction with the running value count of the current
// line. Values are appended eight to a line.
class SourceBuilder {
public:
    void Append(std::string_view s) { text().append(s); }

    void AppendValue(uint8_t v) {
        char* p = Room(10);
        if (count_ % 8 == 0) {
            std::memcpy(p, "\tDB ", 4);
            p += 4;
        }
        std::memcpy(p, kHex.text[v].data(), 3);
        p += 3;
        if (count_ % 8 == 7) {
            *p++ = '\r';
            *p++ = '\n';
        } else {
            *p++ = ',';
        }
        size_ = std::size_t(p - text_.data());
        ++count_;
    }

    void AppendZeros(int n) {
        for (int i = 0; i < n; ++i) AppendValue(0);
    }

    // Ends a partly filled line; after a full line this leaves an empty line.
    void EndLine() {
        Sync();
        if (!text_.empty() && text_.back() == ',') text_.pop_back();
        text_.append("\r\n");
        count_ = 0;
    }

    void ResetCount() { count_ = 0; }

    std::string Take() {
        Sync();
        return std::move(text_);
    }

    // Every append other than AppendValue first drops the spare room.
    std::string& text() {
        Sync();
        return text_;
    }

private:
    // Spare room at the end of text_ lets AppendValue write without checks;
    // size_ is the length in use.
    char* Room(std::size_t n) {
        if (size_ == npos) size_ = text_.size();
        if (size_ + n > text_.size()) text_.resize(std::max(text_.size() * 2, size_ + n + 4096));
        return text_.data() + size_;
    }
    void Sync() {
        if (size_ != npos) text_.resize(size_);
        size_ = npos;
    }

    static constexpr std::size_t npos = std::size_t(-1);
    std::string text_;
    std::size_t size_ = npos;
    int count_ = 0;
};

// The cell bytes of one image: bytes[cx * 1024 + y] holds the eight plane
// bytes (8 * cx + k, y), k = 0..7, bit 7 - k each. Packing whole columns
// at once reads the column-major plane in order.
class CellBytes {
public:
    CellBytes(const Image& image, int columns) : bytes_(std::size_t(columns) * kPlaneHeight) {
        for (int cx = 0; cx < columns; ++cx) {
            uint8_t* out = bytes_.data() + std::size_t(cx) * kPlaneHeight;
            for (int k = 0; k < 8; ++k) {
                const uint8_t* in = image.plane.column(cx * 8 + k);
                const int shift = 7 - k;
                for (int y = 0; y < kPlaneHeight; ++y) out[y] |= uint8_t((in[y] & 1) << shift);
            }
        }
    }
    uint8_t at(int x, int y) const { return bytes_[std::size_t(x / 8) * kPlaneHeight + std::size_t(y)]; }

private:
    std::vector<uint8_t> bytes_;
};

void AppendHeader(SourceBuilder& out, const ImageDescriptor& d) {
    std::string& text = out.text();
    text += d.name;
    text += "\t; ";
    text += std::to_string(d.width);
    text += '*';
    text += std::to_string(d.height);
    // A pixel width of 0 (a never-used image) shows as hires, so it is saved as hires.
    text += d.pixelWidth == 2 ? " m" : " h";
    if (d.colorMapKind == ColorMapKind::None) text += " none";
    if (d.colorMapKind == ColorMapKind::Dfli) text += " dfli";
    if (d.layout == Layout::Charset) text += " charset";
    if (d.layout == Layout::Charset2x2) text += " 2x2charset";
    text += "\r\n";
    out.ResetCount();
}

void AppendPixels(SourceBuilder& out, const Image& image) {
    CellWalk walk(image.desc);
    const CellBytes bytes(image, walk.spannedColumns());
    std::size_t count = walk.valueCount();
    // A 320 x 200 image in the 2x2 layout keeps the 8192 bytes of a Plus/4
    // bitmap; they hold every character inside the image.
    if (source::IsScreenSized(image.desc) && image.desc.layout == Layout::Charset2x2)
        count = source::kScreenPaddedValues;
    for (std::size_t n = 0; n < count; ++n) {
        out.AppendValue(bytes.at(walk.x(), walk.y()));
        // An empty line between cell rows, cell columns or quarters.
        if (walk.Step() && n + 1 < count) out.Append("\r\n");
    }
}

void AppendColorMap(SourceBuilder& out, const Image& image) {
    const ImageDescriptor& d = image.desc;
    const bool screen = source::IsScreenSized(d);
    const CellWalk walk(d);
    const int banks = d.colorMapKind == ColorMapKind::Dfli ? kBanks : 1;
    if (screen && d.layout != Layout::Charset2x2) {
        out.EndLine();
        out.AppendZeros(int(source::kScreenPaddedValues - source::kScreenPixelValues));
    }
    const int padding = screen ? source::kScreenBlock - source::kScreenCells : 0;
    for (int bank = 0; bank < banks; ++bank) {
        for (const AttributePlane* plane : {&image.lummap, &image.colmap}) {
            out.EndLine();
            for (int cy = 0; cy < walk.rows(); ++cy)
                for (int cx = 0; cx < walk.columns(); ++cx) out.AppendValue(plane->at(bank, cx, cy));
            if (padding > 0) {
                out.EndLine();
                out.AppendZeros(padding);
            }
        }
    }
    out.EndLine();
}

}  // namespace

std::string SaveSourceText(const ImageStore& store) {
    SourceBuilder out;
    for (int i = 0; i < kImageCount; ++i) {
        const Image& image = store.image(i);
        if (image.desc.width <= 0 || image.desc.height <= 0) continue;
        AppendHeader(out, image.desc);
        AppendPixels(out, image);
        if (image.desc.colorMapKind != ColorMapKind::None) AppendColorMap(out, image);
    }
    return out.Take();
}

}  // namespace pixolat
