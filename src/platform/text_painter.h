#pragma once
// Text drawing, all the palette needs from the desktop: the labels of its
// cells in a small font.
#include <cstdint>
#include <string>

namespace pixolat {

// Pixels a text is drawn into: width x height, row by row, each 0xFFRRGGBB.
struct PixelTarget {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Text in the palette's small font, transparent background; what falls
    // outside the target is dropped.
    virtual int TextWidth(const std::string& text) = 0;
    virtual void DrawText(PixelTarget target, int x, int y, const std::string& text,
                          uint32_t color) = 0;
};

}  // namespace pixolat
