#pragma once
// 24-bit RGB with red in the low byte (red + 256 * green + 65536 * blue): the
// encoding of the color table, of picture files' pixels and of the numbers
// the mask processor shows. The Plus/4 color code is ColorCode
// (image_store.h); the window's pixels are DisplayPixel (render/rgb_buffer.h).
#include <cstdint>

namespace pixolat {

using RgbColor = uint32_t;

inline constexpr RgbColor MakeRgbColor(int red, int green, int blue) {
    return RgbColor(red & 0xFF) | RgbColor(green & 0xFF) << 8 | RgbColor(blue & 0xFF) << 16;
}
inline constexpr int RedOf(RgbColor c) {
    return int(c & 0xFF);
}
inline constexpr int GreenOf(RgbColor c) {
    return int(c >> 8 & 0xFF);
}
inline constexpr int BlueOf(RgbColor c) {
    return int(c >> 16 & 0xFF);
}

}  // namespace pixolat
