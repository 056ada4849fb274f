// Writes the store as source text.
#include <array>
#include <cstring>
#include <vector>

#include "document/text.h"
#include "formats/source_layout.h"
#include "formats/source_meta.h"
#include "formats/source_syntax.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

// "$XX," for every byte, so a value costs one four-byte copy.
struct HexTable {
    std::array<std::array<char, 4>, 256> text;
    HexTable() {
        for (int v = 0; v < 256; ++v)
            text[std::size_t(v)] = {'$', kHexDigits[v >> 4], kHexDigits[v & 15], ','};
    }
};
const HexTable kHex;

// The text under construction with the running value count of the current
// line; values go eight to a line. Room is made once per image (Reserve), so
// the appends themselves do not check; the buffer never shrinks before Take.
class SourceBuilder {
public:
    // Data lines begin with TAB, the dialect's directive and a blank.
    explicit SourceBuilder(SourceSyntax syntax = SourceSyntax::Db)
        : lead_("\t" + std::string(DataDirective(syntax)) + " ") {}

    // Characters a data line has beyond the db form's.
    std::size_t extraPerLine() const { return lead_.size() - 4; }

    // Makes room for n more characters.
    void Reserve(std::size_t n) {
        if (size_ + n > text_.size())
            text_.resize(std::max(text_.size() + text_.size() / 2, size_ + n));
    }

    void Append(std::string_view s) {
        Reserve(s.size());
        std::memcpy(text_.data() + size_, s.data(), s.size());
        size_ += s.size();
    }

    void AppendValue(uint8_t v) {
        char* p = text_.data() + size_;
        if (count_ == 0) p = CopyLead(p);
        std::memcpy(p, kHex.text[v].data(), 4);
        p += 4;
        if (++count_ == 8) {
            p[-1] = '\r';
            *p++ = '\n';
            count_ = 0;
        }
        size_ = std::size_t(p - text_.data());
    }

    // Eight values that start a line: one pixel row of a cell each.
    void AppendLine(const uint8_t* values) {
        char* p = CopyLead(text_.data() + size_);
        for (int i = 0; i < 8; ++i, p += 4) std::memcpy(p, kHex.text[values[i]].data(), 4);
        p[-1] = '\r';
        *p++ = '\n';
        size_ = std::size_t(p - text_.data());
    }

    void AppendZeros(int n) {
        for (int i = 0; i < n; ++i) AppendValue(0);
    }

    // Ends a partly filled line; after a full line this leaves an empty line.
    void EndLine() {
        if (size_ > 0 && text_[size_ - 1] == ',') --size_;
        Append("\r\n");
        count_ = 0;
    }

    void ResetCount() { count_ = 0; }

    std::string Take() {
        text_.resize(size_);
        return std::move(text_);
    }

private:
    // The db form's lead is copied as a constant: most text is written in it.
    char* CopyLead(char* p) const {
        if (db_) {
            std::memcpy(p, "\tDB ", 4);
            return p + 4;
        }
        std::memcpy(p, lead_.data(), lead_.size());
        return p + lead_.size();
    }

    std::string lead_;
    bool db_ = lead_ == "\tDB ";
    std::string text_;  // the first size_ characters are the text
    std::size_t size_ = 0;
    int count_ = 0;  // values on the current line
};

// The cell bytes of one image: bytes[cx * 1024 + y] holds the eight plane
// bytes (8 * cx + k, y), k = 0..7, bit 7 - k each, so the eight pixel rows of
// a cell lie side by side. Packing whole columns reads the column-major plane
// in order.
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
    // The eight pixel rows of cell (cx, cy).
    const uint8_t* cell(int cx, int cy) const {
        return bytes_.data() + std::size_t(cx) * kPlaneHeight + std::size_t(cy) * 8;
    }

private:
    std::vector<uint8_t> bytes_;
};

// Enough room for one image's text: at most 37 characters per eight values,
// plus empty lines, padding and the header.
std::size_t TextBound(const Image& image, std::size_t extraPerLine = 0) {
    const CellWalk walk(image.desc);
    const std::size_t values = walk.valueCount() + 2 * kBanks * kScreenBlock +
                               2 * kBanks * std::size_t(walk.columns() * walk.rows()) +
                               kScreenPaddedValues;
    const std::size_t line = 37 + extraPerLine;
    return image.desc.name.size() + 64 + values / 8 * line + line +
           2 * std::size_t(2 * kCellColumns + kCellRows + 32);
}

// The header line; in a dialect the name is the image's label, and ca65
// wants a colon after it.
void AppendHeader(SourceBuilder& out, const ImageDescriptor& d, std::string_view label,
                  SourceSyntax syntax = SourceSyntax::Db) {
    out.Append(label);
    if (syntax == SourceSyntax::Ca65) out.Append(":");
    out.Append("\t; ");
    out.Append(std::to_string(d.width));
    out.Append("*");
    out.Append(std::to_string(d.height));
    // A pixel width of 0 (a never-used image) shows as hires, so it is saved as hires.
    out.Append(d.pixelWidth == 2 ? " m" : " h");
    if (d.colorMapKind == ColorMapKind::None) out.Append(" none");
    if (d.colorMapKind == ColorMapKind::Dfli) out.Append(" dfli");
    if (d.layout == Layout::Charset) out.Append(" charset");
    if (d.layout == Layout::Charset2x2) out.Append(" 2x2charset");
    out.Append("\r\n");
    out.ResetCount();
}

// Every cell is one full line. An empty line separates cell rows (bitmap),
// cell columns (charset) or quarters (2x2 charset), in the order CellWalk
// gives, which the reader follows.
void AppendPixels(SourceBuilder& out, const Image& image) {
    const CellWalk walk(image.desc);
    const CellBytes bytes(image, walk.spannedColumns());
    const int columns = walk.columns();
    const int rows = walk.rows();
    switch (image.desc.layout) {
        case Layout::Charset:
            for (int cx = 0; cx < columns; ++cx) {
                if (cx > 0) out.Append("\r\n");
                for (int cy = 0; cy < rows; ++cy) out.AppendLine(bytes.cell(cx, cy));
            }
            break;
        case Layout::Charset2x2: {
            const int blockColumns = walk.spannedColumns() / 2;
            const int blockRows = (rows + 1) / 2;
            // A 320 x 200 image keeps the 8192 bytes of a Plus/4 bitmap:
            // 1024 characters, which hold every character inside the image.
            std::size_t cellsLeft = walk.valueCount() / 8;
            if (IsScreenSized(image.desc)) cellsLeft = kScreenPaddedValues / 8;
            for (int quarter = 0; quarter < 4 && cellsLeft > 0; ++quarter) {
                if (quarter > 0) out.Append("\r\n");
                for (int by = 0; by < blockRows && cellsLeft > 0; ++by)
                    for (int bx = 0; bx < blockColumns && cellsLeft > 0; ++bx, --cellsLeft)
                        out.AppendLine(bytes.cell(bx * 2 + (quarter & 1), by * 2 + (quarter >> 1)));
            }
            break;
        }
        default:
            for (int cy = 0; cy < rows; ++cy) {
                if (cy > 0) out.Append("\r\n");
                for (int cx = 0; cx < columns; ++cx) out.AppendLine(bytes.cell(cx, cy));
            }
            break;
    }
}

void AppendColorMap(SourceBuilder& out, const Image& image) {
    const ImageDescriptor& d = image.desc;
    const bool screen = IsScreenSized(d);
    const CellWalk walk(d);
    const int banks = d.colorMapKind == ColorMapKind::Dfli ? kBanks : 1;
    if (screen && d.layout != Layout::Charset2x2) {
        out.EndLine();
        out.AppendZeros(int(kScreenPaddedValues - kScreenPixelValues));
    }
    const int padding = screen ? kScreenBlock - kScreenCells : 0;
    for (int bank = 0; bank < banks; ++bank) {
        for (const AttributePlane* plane : {&image.lummap, &image.colmap}) {
            out.EndLine();
            for (int cy = 0; cy < walk.rows(); ++cy)
                for (int cx = 0; cx < walk.columns(); ++cx)
                    out.AppendValue(plane->at(bank, cx, cy));
            if (padding > 0) {
                out.EndLine();
                out.AppendZeros(padding);
            }
        }
    }
    out.EndLine();
}

// A "//@" line as the dialect's comment.
std::string MetaInSyntax(std::string line, SourceSyntax syntax) {
    if (syntax != SourceSyntax::Db) line.replace(0, kMetaStart.size(), MetaPrefix(syntax));
    return line;
}

// The cells of the banks that the DB lines leave out (all of them without a
// color map, banks 1 to 3 of a Normal one), where they differ from the reset
// colors that the reader starts each image with.
void AppendCellsMeta(SourceBuilder& out, const Image& image, SourceSyntax syntax) {
    const ImageDescriptor& d = image.desc;
    if (d.colorMapKind == ColorMapKind::Dfli) return;
    const CellWalk walk(d);
    const int columns = std::min(walk.columns(), kCellColumns);
    const int rows = std::min(walk.rows(), kCellRows);
    std::vector<uint8_t> cells(std::size_t(columns) * std::size_t(rows));
    for (int bank = d.colorMapKind == ColorMapKind::Normal ? 1 : 0; bank < kBanks; ++bank) {
        for (const bool luminance : {true, false}) {
            const AttributePlane& plane = luminance ? image.lummap : image.colmap;
            const uint8_t reset = luminance ? 0x53 : 0x11;
            bool plain = true;
            for (int cy = 0; cy < rows; ++cy)
                for (int cx = 0; cx < columns; ++cx) {
                    const uint8_t v = plane.at(bank, cx, cy);
                    cells[std::size_t(cy) * std::size_t(columns) + std::size_t(cx)] = v;
                    plain = plain && v == reset;
                }
            if (plain) continue;
            for (std::size_t first = 0; first < cells.size(); first += kCellsPerMetaLine)
                out.Append(
                    MetaInSyntax(CellsMetaLine(luminance, bank, first, cells.data() + first,
                                               std::min(kCellsPerMetaLine, cells.size() - first)),
                                 syntax));
        }
    }
}

void AppendImage(SourceBuilder& out, const Image& image) {
    out.Reserve(TextBound(image));
    AppendHeader(out, image.desc, ReadableName(image.desc.name));
    AppendPixels(out, image);
    if (image.desc.colorMapKind != ColorMapKind::None) AppendColorMap(out, image);
}

bool IsEmpty(const Image& image) {
    return image.desc.width <= 0 || image.desc.height <= 0;
}

}  // namespace

std::string SaveSourceText(const ImageStore& store) {
    SourceBuilder out;
    for (int i = 0; i < kImageCount; ++i)
        if (!IsEmpty(store.image(i))) AppendImage(out, store.image(i));
    return out.Take();
}

std::string SourceFileStart(int currentImage, SourceSyntax syntax) {
    return SyntaxLine(syntax) + MetaInSyntax(CurrentMetaLine(currentImage), syntax);
}

std::string SourceFileSection(const ImageStore& store, int index, SourceSyntax syntax) {
    const Image& image = store.image(index);
    if (IsEmpty(image)) return std::string();
    SourceBuilder out(syntax);
    out.Reserve(TextBound(image, out.extraPerLine()));
    if (syntax == SourceSyntax::Db) {
        AppendHeader(out, image.desc, ReadableName(image.desc.name));
        out.Append(ImageMetaLine(index, image.desc));
    } else {
        AppendHeader(out, image.desc, ImageLabel(store, index), syntax);
        out.Append(MetaInSyntax(ImageMetaLine(index, image.desc, true), syntax));
    }
    AppendCellsMeta(out, image, syntax);
    AppendPixels(out, image);
    if (image.desc.colorMapKind != ColorMapKind::None) AppendColorMap(out, image);
    return out.Take();
}

std::vector<uint8_t> SourceFileBytes(const ImageStore& store, int currentImage,
                                     SourceSyntax syntax) {
    std::vector<uint8_t> bytes;
    // Room for the whole text up front: growing would copy it several times.
    std::size_t bound = 64;
    for (int i = 0; i < kImageCount; ++i)
        if (!IsEmpty(store.image(i))) bound += TextBound(store.image(i), 8) + 128;
    bytes.reserve(bound);
    const auto append = [&bytes](const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
    };
    append(SourceFileStart(currentImage, syntax));
    for (int i = 0; i < kImageCount; ++i) append(SourceFileSection(store, i, syntax));
    return bytes;
}

}  // namespace pixolat
