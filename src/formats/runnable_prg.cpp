#include "formats/runnable_prg.h"

#include <algorithm>

#include "document/errors.h"
#include "formats/dfli_viewer_hires_bytes.h"
#include "formats/dfli_viewer_multicolor_bytes.h"
#include "formats/prg_format.h"
#include "formats/runnable_viewer_bytes.h"

namespace pixolat {

namespace {

constexpr std::size_t kPictureAddress = 0x1800;
constexpr std::size_t kPictureOffset = kRunnablePictureOffset;

static_assert(kRunnableViewer[0] == (kRunnableLoadAddress & 0xFF) &&
                  kRunnableViewer[1] == kRunnableLoadAddress >> 8,
              "the viewer must be assembled for the BASIC start");
static_assert(sizeof kRunnableViewer <= kPictureOffset, "the viewer must end before $1800");
static_assert(kPictureOffset + kPrgExportSize - 2 == kRunnablePrgSize);
// The DFLI viewers fit the program parts of the $1001 DFLI layouts.
static_assert(sizeof kDfliViewerHires <= kHiresDfliBase &&
              sizeof kDfliViewerMulticolor <= kMulticolorDfliBase);
static_assert(kDfliViewerHires[0] == (kDfliLoadAddress & 0xFF) &&
              kDfliViewerMulticolor[1] == kDfliLoadAddress >> 8);

}  // namespace

PrgLayout RunnablePrgLayout(const Image& image) {
    return image.desc.colorMapKind == ColorMapKind::Dfli ? PrgLayout::Dfli : PrgLayout::Bitmap;
}

std::vector<uint8_t> EncodeRunnablePrg(std::span<const uint8_t> plainExport) {
    if (plainExport.size() != kPrgExportSize || plainExport[0] != (kPictureAddress & 0xFF) ||
        plainExport[1] != kPictureAddress >> 8)
        throw Error("not a picture exported at $1800");
    // The whole file at once, zeros between the viewer and the picture.
    std::vector<uint8_t> out(kRunnablePrgSize, 0);
    std::copy(std::begin(kRunnableViewer), std::end(kRunnableViewer), out.begin());
    std::copy(plainExport.begin() + 2, plainExport.end(),
              out.begin() + std::ptrdiff_t(kPictureOffset));
    return out;
}

std::vector<uint8_t> EncodeRunnablePrg(const Image& image) {
    if (RunnablePrgLayout(image) == PrgLayout::Bitmap) return EncodeRunnablePrg(EncodePrg(image));
    // The viewer without its load address, which the layout has.
    const std::span<const uint8_t> viewer = image.desc.pixelWidth == 2
                                                ? std::span<const uint8_t>(kDfliViewerMulticolor)
                                                : std::span<const uint8_t>(kDfliViewerHires);
    return EncodeDfliPrg(image, viewer.subspan(2));
}

}  // namespace pixolat
