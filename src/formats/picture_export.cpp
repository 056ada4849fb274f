#include "formats/picture_export.h"

namespace pixolat {

Picture RenderImage(const Image& stored, const RgbTable& rgb) {
    // Any pixel width but multicolor reads as hires, so no pixel reads a
    // column past the plane.
    Image image = stored;
    if (image.desc.pixelWidth != 2) image.desc.pixelWidth = 1;
    const Extent e = ImageExtent(image.desc);
    Picture picture;
    picture.width = e.width;
    picture.height = e.height;
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    const int step = image.desc.pixelWidth == 2 ? 2 : 1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) = rgb[std::size_t(ColorCodeAt(image, x - x % step, y))];
    return picture;
}

}  // namespace pixolat
