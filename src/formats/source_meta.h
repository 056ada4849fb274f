#pragma once
// The lines that make a source file read back exactly. The plain source text
// loses what its header line cannot say: the image's index, a name that is
// not a header word, the two multicolor colors, cells of banks the DB lines
// leave out, and which image was current. Source files carry these in comment
// lines beginning "//@", which any reader that cuts lines at "//" skips:
//   //@ current 5                       once per file, before the first header
//   //@ image 5 colors $00 $71 name "2nd try"   right after the image's header
//   //@ lummap 1 0 535353...            cells row by row from cell 0, hex pairs
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/image_store.h"

namespace pixolat {

inline constexpr std::string_view kMetaStart = "//@";

// The name as the header line can carry it: printable ASCII without ";",
// TAB or "//", starting with a letter other than "DB", no trailing blanks.
// A name that is already such is returned unchanged.
std::string ReadableName(std::string_view name);

// The name in double quotes; quote, backslash and every byte outside
// printable ASCII as a backslash escape, so the line holds no line break.
// Plain: only letters, digits, blanks, "_" and "-" as they are, so that no
// assembler's comment or preprocessor rule can touch the line.
std::string QuoteName(std::string_view name, bool plain = false);
// The name back from QuoteName's form; nothing when it is not that form.
std::optional<std::string> UnquoteName(std::string_view quoted);

struct ImageMeta {
    int index = 0;
    ColorCode color0 = 0;
    ColorCode color3 = 0;
    std::string name;
};

std::string CurrentMetaLine(int currentImage);
std::string ImageMetaLine(int index, const ImageDescriptor& desc, bool plainName = false);

// The cells of one bank of one attribute plane, cells row by row.
struct CellsMeta {
    bool luminance = false;
    int bank = 0;
    std::size_t first = 0;
    std::vector<uint8_t> values;
};
inline constexpr std::size_t kCellsPerMetaLine = 64;
std::string CellsMetaLine(bool luminance, int bank, std::size_t first, const uint8_t* values,
                          std::size_t count);

// What one "//@" line says; a line that is none of these is a plain comment.
struct MetaLine {
    std::optional<int> current;
    std::optional<ImageMeta> image;
    std::optional<CellsMeta> cells;
};
MetaLine ParseMetaLine(std::string_view line);

}  // namespace pixolat
