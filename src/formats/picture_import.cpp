#include "formats/picture_import.h"

#include <algorithm>
#include <vector>

namespace pixolat {

PictureArea PictureImportArea(const Picture& picture) {
    const Extent extent = ClipToPlane(picture.width, picture.height);
    // A picture whose pixel list is shorter than its size claims gives only the rows it holds.
    const std::size_t rows = picture.pixels.size() / std::size_t(std::max(picture.width, 1));
    return {extent.width, int(std::min<std::size_t>(std::size_t(extent.height), rows))};
}

void ImportPicturePixels(const Picture& picture, Image& image) {
    const PictureArea area = PictureImportArea(picture);
    const int step = image.desc.pixelWidth == 2 ? 2 : 1;
    for (int x = 0; x <= area.width - step; x += step) {
        uint8_t* column = image.plane.column(x);
        for (int y = 0; y < area.height; ++y) {
            const int red = RedOf(picture.at(x, y));
            if (step == 1) {
                column[y] = uint8_t(red & 1);
            } else {
                column[y] = uint8_t(red >> 6 & 1);
                column[kPlaneHeight + y] = uint8_t(red >> 7 & 1);
            }
        }
    }
}

bool PictureHasMoreColors(const Picture& picture, std::size_t count) {
    const PictureArea area = PictureImportArea(picture);
    std::vector<RgbColor> seen;  // at most count + 1: a linear search stays short
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const RgbColor c = picture.at(x, y);
            if (std::find(seen.begin(), seen.end(), c) != seen.end()) continue;
            if (seen.size() == count) return true;
            seen.push_back(c);
        }
    return false;
}

}  // namespace pixolat
