#pragma once
// The pictures the window shows: the view, preview and palette buffers.
// Their pixels are DisplayPixel, 0xFFRRGGBB (the desktop's native 32-bit
// RGB), so the window paints them without conversion; DisplayColor is the
// one conversion from the color table's RgbColor.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/rgb_color.h"
#include "platform/text_painter.h"

namespace pixolat {

using DisplayPixel = uint32_t;

inline constexpr DisplayPixel PackRgb(int r, int g, int b) {
    return 0xFF000000u | (uint32_t(r & 0xFF) << 16) | (uint32_t(g & 0xFF) << 8) |
           uint32_t(b & 0xFF);
}

// A color table entry (red in the low byte) as a picture pixel.
inline constexpr DisplayPixel DisplayColor(RgbColor c) {
    return PackRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

struct RgbBuffer {
    int width = 0;
    int height = 0;
    std::vector<DisplayPixel> pixels;  // row by row

    void Resize(int w, int h) {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        pixels.assign(std::size_t(width) * std::size_t(height), PackRgb(0, 0, 0));
    }
    DisplayPixel* row(int y) { return pixels.data() + std::size_t(y) * std::size_t(width); }
    const DisplayPixel* row(int y) const {
        return pixels.data() + std::size_t(y) * std::size_t(width);
    }
    DisplayPixel at(int x, int y) const { return row(y)[x]; }
    // Text is drawn straight into the buffer's pixels.
    operator PixelTarget() { return PixelTarget{pixels.data(), width, height}; }
};

}  // namespace pixolat
