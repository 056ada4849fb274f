#pragma once
// The parts of the source reader that work on one section: its header line,
// and the stream of data characters that becomes pixel and color-map values.
// The data lines of a section join without a separator; "DB " is removed
// (also where a removal makes a new one), then every TAB and blank, and the
// rest is read three characters a value, each optionally followed by ",".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/image_store.h"
#include "formats/source_layout.h"

namespace pixolat {

// What a header line says, before it is applied to an image.
struct HeaderFields {
    std::string name;
    bool star = false;  // a size was given: multicolor Normal bitmap unless a keyword says else
    bool colorMapMode = false;
    std::optional<Layout> layout;
    std::optional<ColorMapKind> kind;
    std::optional<int> pixelWidth;
    std::optional<std::string> widthText, heightText;
    bool semicolon = false;
};

// Header lines start with a letter or ";" after blanks (TAB, blank, character
// 160 and the UTF-8 non-breaking space), except "DB" in any case.
HeaderFields ParseHeaderLine(std::string_view line);
// Sets the fields the header names; a size that is no 32-bit number throws.
void ApplyHeader(const HeaderFields& header, ImageDescriptor& desc);

// Where one section's values go, one value at a time.
class SectionData {
public:
    SectionData(Image& image, bool colorMapMode);
    // No further value is read: the color-map banks are full.
    bool done() const { return phase_ == Phase::Done; }
    void Put(uint8_t v);

private:
    enum class Phase { Pixels, ColorMaps, Done };
    struct Shape {
        int columns;
        int cells;
        int blockSize;
    };
    void StartColorMaps(Shape shape);

    Image& image_;
    CellWalk walk_;
    Phase phase_ = Phase::Pixels;
    std::size_t n_ = 0;
    std::size_t switchAt_;
    std::size_t storeLimit_;
    Shape shape_;
    int bank_ = 0, plane_ = 0, i_ = 0, cx_ = 0, cy_ = 0;
};

// The characters of one section's data lines, turned into values for a
// SectionData (or read and dropped when there is none).
class DataStream {
public:
    explicit DataStream(SectionData* sink) : sink_(sink) {}
    // Characters of a data line, up to its end or its comment.
    void Feed(const char* p, std::size_t n);
    // The section's data ends: a last short value is read.
    void End();
    std::size_t values() const { return values_; }

private:
    void Char(char c);
    void FlushTail();
    void Emit(char c);
    void Value(std::string_view chars);

    SectionData* sink_;
    // Characters that a following "B " or " " may still remove: a run of "D"
    // and possibly one "B" after it.
    std::size_t dRun_ = 0;
    bool b_ = false;
    char chunk_[3] = {};
    int length_ = 0;
    bool skipComma_ = false;
    std::size_t values_ = 0;
};

// One image as it was before a load changed it, kept small: pixel bytes are
// 0 or 1, so the plane is kept as bits.
class ImageBackup {
public:
    explicit ImageBackup(const Image& image);
    void Restore(Image& image) const;

private:
    ImageDescriptor desc_;
    bool packed_ = false;
    bool zero_ = false;
    std::string plane_;
    std::string attributes_;
};

}  // namespace pixolat
