#include "formats/prg_format.h"

namespace pixolat {

namespace {

int SwapNibbles(ColorCode v) {
    return (v & 0x0F) << 4 | (v >> 4 & 0x0F);
}

void AppendBank0(std::vector<uint8_t>& out, const AttributePlane& plane) {
    for (int cy = 0; cy < 25; ++cy)
        for (int cx = 0; cx < 40; ++cx) out.push_back(plane.at(0, cx, cy));
}

}  // namespace

std::vector<uint8_t> EncodePrg(const Image& image) {
    std::vector<uint8_t> out;
    out.reserve(kPrgExportSize);
    out.push_back(0x00);
    out.push_back(0x18);
    AppendBank0(out, image.lummap);
    if (image.desc.pixelWidth == 2) {
        out.insert(out.end(), 18, 0x00);
        out.insert(out.end(), {'M', 'U', 'L', 'T'});
        out.push_back(uint8_t(SwapNibbles(image.desc.color3)));
        out.push_back(uint8_t(SwapNibbles(image.desc.color0)));
    } else {
        out.insert(out.end(), 24, 0x00);
    }
    AppendBank0(out, image.colmap);
    out.insert(out.end(), 24, 0x00);
    for (int cy = 0; cy < 25; ++cy) {
        for (int cx = 0; cx < 40; ++cx) {
            for (int r = 0; r < 8; ++r) {
                uint8_t byte = 0;
                for (int k = 0; k < 8; ++k)
                    if (image.plane.at(8 * cx + k, 8 * cy + r) != 0) byte |= uint8_t(0x80 >> k);
                out.push_back(byte);
            }
        }
    }
    return out;
}

}  // namespace pixolat
