#include "formats/prg_format.h"

namespace pixolat {

namespace {

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
        out.push_back(SwapNibbles(image.desc.color3));
        out.push_back(SwapNibbles(image.desc.color0));
    } else {
        out.insert(out.end(), 24, 0x00);
    }
    AppendBank0(out, image.colmap);
    out.insert(out.end(), 24, 0x00);
    // Bitmap: cell rows of 40 cells, 8 bytes a cell. Walking down plane
    // columns keeps the reads sequential.
    const std::size_t bitmap = out.size();
    out.resize(bitmap + 8000, 0);
    for (int x = 0; x < 320; ++x) {
        const uint8_t* column = image.plane.column(x);  // rows 0..199, 8 per cell row
        const uint8_t bit = uint8_t(0x80 >> (x % 8));
        uint8_t* cell = out.data() + bitmap + std::size_t(x / 8) * 8;
        for (int cy = 0; cy < 25; ++cy, cell += 320, column += 8)
            for (int r = 0; r < 8; ++r) cell[r] |= column[r] != 0 ? bit : uint8_t(0);
    }
    return out;
}

}  // namespace pixolat
