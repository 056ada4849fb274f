#pragma once
// Converts a true-color picture into a Plus/4 image: hires (two colors per
// 8 x 8 cell), multicolor (two colors per 4 x 8 cell of double-wide pixels
// plus the image-wide color0 and color3), either with a DFLI color map (the
// cell colors change every two rows). Colors are matched perceptually against
// the editor's color table, each cell's pair (and the image-wide pair) chosen
// by a search that minimises the summed difference; the pixels are then
// dithered between their cell's own colors.
#include <cstdint>
#include <memory>
#include <vector>

#include "conversion/cell_search.h"
#include "conversion/parallel.h"
#include "conversion/source_picture.h"
#include "document/image_store.h"
#include "document/picture.h"

namespace pixolat {

enum class Dithering { None, Ordered, Diffusion };

struct ConversionOptions {
    bool multicolor = false;
    bool dfli = false;
    Dithering dithering = Dithering::None;
    int strength = 100;  // percent of full dithering, 0..100
    Adjustments adjustments;
    Fitting fitting = Fitting::Crop;
    int width = 320;   // hires columns, rounded down to whole cells, 8..640
    int height = 200;  // rows, 1..1024
    ColorMetric metric = ColorMetric::Weighted;
};

// The target size the options give, within the plane.
Extent ConversionExtent(const ConversionOptions& options);

// The working buffers of a conversion, several megabytes: kept with its
// result, so that converting again into the same result (as a preview does
// at every change) reuses them instead of faulting in new ones.
struct ConversionBuffers;

// An image with planes of its own, outside the store: the result of a
// conversion, made in any thread.
class ConvertedImage {
public:
    ConvertedImage();
    ~ConvertedImage();
    ConvertedImage(const ConvertedImage&) = delete;
    ConvertedImage& operator=(const ConvertedImage&) = delete;
    Image& image() { return image_; }
    const Image& image() const { return image_; }
    ConversionBuffers& buffers() { return *buffers_; }

private:
    std::vector<uint8_t> plane_, colmap_, lummap_;
    Image image_;
    std::unique_ptr<ConversionBuffers> buffers_;
};

// The picture on the target's screen pixels (320 columns across in hires and
// multicolor alike): the slow step, which depends only on the size and fitting.
LinearPicture ScaleForConversion(const Picture& picture, const ConversionOptions& options);

// The rest of the conversion, from a picture ScaleForConversion made with
// the same options. The result has a Normal color map (DFLI with options.dfli)
// and bitmap layout; every bank holds the colors, so the kind can be changed.
// `abandoned`, when given, is asked between the steps: once it says true,
// the conversion stops and returns false, the result's image left as it was.
// A picture of another size throws std::invalid_argument.
bool ConvertScaled(const LinearPicture& scaled, const ConversionOptions& options,
                   ConvertedImage& result, const Abandoned& abandoned = {});

void ConvertPicture(const Picture& picture, const ConversionOptions& options,
                    ConvertedImage& result);

// Puts a converted image into a store image: size, pixel width, layout, color
// map kind, image colors, every pixel of the plane and every bank. The name
// stays.
void StoreConvertedImage(const Image& converted, Image& target);

}  // namespace pixolat
