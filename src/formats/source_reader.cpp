// Reads source text into the store.
#include <algorithm>

#include "document/pixels.h"
#include "document/text.h"
#include "formats/source_layout.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

// Header lines start with a letter or ";", except those starting with "DB"
// in any case, which are data lines like everything else.
bool IsHeaderLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return false;
    const char key = UpperAscii(line[i]);
    if (key == ';') return true;
    if (key < 'A' || key > 'Z') return false;
    const bool db = key == 'D' && i + 1 < line.size() && UpperAscii(line[i + 1]) == 'B';
    return !db;
}

int ClampedSize(std::string_view text, int limit) {
    // Sizes beyond the plane would let every later operation run off it.
    return std::clamp(ParseNumber(text), 0, limit);
}

// "name; width*height h|m none|dfli charset|2x2charset colmap/lummap"
void ParseHeader(std::string_view line, ImageDescriptor& desc, bool& colorMapMode) {
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string_view::npos) {
        desc.name = std::string(line);
        return;
    }
    desc.name = std::string(TrimControls(line.substr(0, semicolon)));
    std::string_view rest = TrimControls(line.substr(semicolon + 1));
    if (rest.find('*') != std::string_view::npos) {
        desc.pixelWidth = 2;
        desc.layout = Layout::Bitmap;
        desc.colorMapKind = ColorMapKind::Normal;
    }
    const auto take = [&rest](std::string_view keyword) {
        if (!rest.ends_with(keyword)) return false;
        rest = TrimControls(rest.substr(0, rest.size() - keyword.size()));
        return true;
    };
    if (take("colmap/lummap")) colorMapMode = true;
    if (take("2x2charset")) desc.layout = Layout::Charset2x2;
    if (take("charset")) desc.layout = Layout::Charset;
    if (take("dfli")) desc.colorMapKind = ColorMapKind::Dfli;
    if (take("none")) desc.colorMapKind = ColorMapKind::None;
    if (take("h")) desc.pixelWidth = 1;
    if (take("m")) desc.pixelWidth = 2;

    const std::size_t star = rest.find('*');
    if (star == std::string_view::npos) return;
    std::string_view widthText = TrimControls(rest.substr(0, star));
    const std::string_view heightText = TrimControls(rest.substr(star + 1));
    const std::size_t blank = widthText.find(' ');
    if (blank != std::string_view::npos) {
        desc.name = std::string(TrimControls(widthText.substr(0, blank)));
        widthText = TrimControls(widthText.substr(blank + 1));
    }
    desc.width = ClampedSize(widthText, kPlaneWidth);
    desc.height = ClampedSize(heightText, kPlaneHeight);
}

// The data text without "DB " (removed as often as removing creates a new
// one), TABs and blanks.
std::string CleanData(std::string_view data) {
    std::string out = EraseAll(data, "DB ");
    std::erase_if(out, [](char c) { return c == '\t' || c == ' '; });
    return out;
}

// Values of three characters each ("$XX" or three decimal digits), each
// optionally followed by a comma.
class ValueReader {
public:
    explicit ValueReader(std::string_view text) : text_(text) {}
    bool more() const { return pos_ < text_.size(); }
    std::size_t taken() const { return taken_; }

    uint8_t Next() {
        ++taken_;
        const char* p = text_.data() + pos_;
        if (text_.size() - pos_ >= 3 && p[0] == '$') {
            const int high = HexDigitValue(p[1]);
            const int low = HexDigitValue(p[2]);
            if ((high | low) >= 0) {
                pos_ += 3;
                if (pos_ < text_.size() && text_[pos_] == ',') ++pos_;
                return uint8_t(high * 16 + low);
            }
        }
        const std::string_view chars = text_.substr(pos_, 3);
        pos_ += chars.size();
        if (pos_ < text_.size() && text_[pos_] == ',') ++pos_;
        return uint8_t(ParseWholeNumber(chars) & 0xFF);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t taken_ = 0;
};

// Where the color-map values of a section go: per bank a luminance block and
// a color block of `blockSize` values each, the first `cells` of which are
// cells `columns` to a row.
struct ColorMapShape {
    int columns;
    int cells;
    int blockSize;
};

void ReadColorMaps(ValueReader& values, Image& image, ColorMapShape shape) {
    for (int bank = 0; bank < kBanks && values.more(); ++bank) {
        for (AttributePlane* plane : {&image.lummap, &image.colmap}) {
            int cx = 0, cy = 0;
            for (int i = 0; i < shape.blockSize && values.more(); ++i) {
                const uint8_t v = values.Next();
                if (i >= shape.cells) continue;
                plane->at(bank, cx, cy) = v;
                if (++cx == shape.columns) {
                    cx = 0;
                    ++cy;
                }
            }
        }
    }
}

constexpr ColorMapShape kScreenShape{kScreenCellColumns, kScreenCells, kScreenBlock};

void StoreCellByte(Image& image, int x, int y, uint8_t v) {
    for (int k = 0; k < 8; ++k) image.plane.at(x + k, y) = uint8_t((v >> (7 - k)) & 1);
}

// Reads one section's data into the image. A 320 x 200 section switches to
// color-map data after the 8192 values of a Plus/4 bitmap; a section of
// another size with a Normal or DFLI color map switches after its whole cells.
// Returns the number of values read.
std::size_t ParseSectionData(Image& image, std::string_view data, bool colorMapMode) {
    const std::string clean = CleanData(data);
    ValueReader values(clean);
    if (colorMapMode) {
        ReadColorMaps(values, image, kScreenShape);
        return values.taken();
    }
    const ImageDescriptor& d = image.desc;
    CellWalk walk(d);
    const std::size_t cellValues = walk.valueCount();
    constexpr std::size_t kNever = std::size_t(-1);
    std::size_t switchAt = kNever;
    std::size_t storeLimit = cellValues == 0 ? 0 : kNever;
    ColorMapShape shape = kScreenShape;
    if (IsScreenSized(d)) {
        switchAt = kScreenPaddedValues;
        // The padding after the 8000 bitmap bytes is not part of the image.
        if (d.layout != Layout::Charset2x2) storeLimit = kScreenPixelValues;
    } else if (cellValues > 0 &&
               (d.colorMapKind == ColorMapKind::Normal || d.colorMapKind == ColorMapKind::Dfli)) {
        switchAt = cellValues;
        shape = ColorMapShape{walk.columns(), walk.columns() * walk.rows(),
                              walk.columns() * walk.rows()};
    }
    std::size_t n = 0;
    for (; n < switchAt && values.more(); ++n) {
        const uint8_t v = values.Next();
        if (n < storeLimit && walk.inPlane()) StoreCellByte(image, walk.x(), walk.y(), v);
        walk.Step();
    }
    if (n == switchAt) ReadColorMaps(values, image, shape);
    return values.taken();
}

// Splits the text into lines at runs of CR and LF and hands each non-empty
// line to `line`.
template <class LineFn>
void ForEachLine(std::string_view text, LineFn&& line) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        while (p < end && (*p == '\r' || *p == '\n')) ++p;
        const char* start = p;
        while (p < end && *p != '\r' && *p != '\n') ++p;
        if (p > start && !line(std::string_view(start, std::size_t(p - start)))) return;
    }
}

std::string_view CutComment(std::string_view line) {
    const std::size_t slashes = line.find("//");
    return slashes == std::string_view::npos ? line : line.substr(0, slashes);
}

class SourceLoader {
public:
    SourceLoader(ImageStore& store, EditorState& state, const BeforeImageChange& beforeChange)
        : store_(store), state_(state), beforeChange_(beforeChange) {
        state_.currentImage = std::clamp(state_.currentImage, 0, kLastImage);
    }

    // Returns false once the store is full and the rest must be dropped.
    bool Line(std::string_view line) {
        line = CutComment(line);
        if (!IsHeaderLine(line)) {
            pending_.append(line);
            return true;
        }
        if (!pending_.empty()) {
            Flush();
            if (state_.currentImage == kLastImage) {
                result_.truncated = true;
                return false;
            }
            ++state_.currentImage;
            Touch();
            ResetImageColors(store_.image(state_.currentImage));
        }
        colorMapMode_ = false;
        Touch();
        ParseHeader(line, store_.image(state_.currentImage).desc, colorMapMode_);
        touched_ = true;
        return true;
    }

    SourceLoadResult Finish() {
        if (!pending_.empty() && !result_.truncated) Flush();
        if (touched_) ++result_.sections;
        return result_;
    }

private:
    void Flush() {
        Touch();
        NormalizeCurrentImage(store_, state_);
        result_.values +=
            ParseSectionData(store_.image(state_.currentImage), pending_, colorMapMode_);
        pending_.clear();
        ++result_.sections;
        touched_ = false;
    }

    // Announces the current image before its first change.
    void Touch() {
        if (state_.currentImage == announced_) return;
        announced_ = state_.currentImage;
        if (beforeChange_) beforeChange_(announced_);
    }

    ImageStore& store_;
    EditorState& state_;
    const BeforeImageChange& beforeChange_;
    int announced_ = -1;
    std::string pending_;
    bool colorMapMode_ = false;
    bool touched_ = false;
    SourceLoadResult result_;
};

}  // namespace

SourceLoadResult LoadSourceText(ImageStore& store, EditorState& state, std::string_view text,
                                const BeforeImageChange& beforeChange) {
    SourceLoader loader(store, state, beforeChange);
    ForEachLine(text, [&loader](std::string_view line) { return loader.Line(line); });
    return loader.Finish();
}

SourceLoadResult LoadSourceFile(ImageStore& store, EditorState& state,
                                const std::vector<uint8_t>& bytes,
                                const BeforeImageChange& beforeChange) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return LoadSourceText(store, state, text, beforeChange);
}

}  // namespace pixolat
