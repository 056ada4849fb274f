#pragma once
// The first steps of a conversion: the picture scaled to the target's pixel
// grid in linear light, then the tone and color adjustments.
#include <vector>

#include "conversion/color_science.h"
#include "document/picture.h"

namespace pixolat {

// How a picture of another shape meets the target: whole with black bars,
// filling it with the overflow cut off evenly, or stretched to it.
enum class Fitting { Fit, Crop, Stretch };

// Linear light pixels row by row.
struct LinearPicture {
    int width = 0;
    int height = 0;
    std::vector<LinearRgb> pixels;

    const LinearRgb& at(int x, int y) const {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

// The picture resampled onto width x height target pixels that are each
// pixelWidth columns wide on screen (2 for multicolor), with a Mitchell
// filter widened by the reduction so that no detail aliases. A picture
// without pixels gives a black target.
LinearPicture ScalePicture(const Picture& picture, int width, int height, int pixelWidth,
                           Fitting fitting);

// Brightness, contrast and saturation -100..100 (0 leaves the picture as it
// is) and gamma 0.2..5 (1 leaves it; above 1 brightens the mid tones), applied
// to the gamma-encoded values as a picture editor does.
struct Adjustments {
    int brightness = 0;
    int contrast = 0;
    int saturation = 0;
    double gamma = 1.0;

    bool IsNeutral() const {
        return brightness == 0 && contrast == 0 && saturation == 0 && gamma == 1.0;
    }
};

void Adjust(LinearPicture& picture, const Adjustments& adjustments);

}  // namespace pixolat
