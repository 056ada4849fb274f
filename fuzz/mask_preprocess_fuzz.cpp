// Any bytes as a mask picture (two size bytes, then three bytes a pixel):
// the Mask Processor's pre-process builds its table and class map, or
// refuses the mask, without reading or writing outside them.
#include <cstddef>
#include <cstdint>

#include "document/errors.h"
#include "mask/mask_processor.h"
#include "support/scripted_platform.h"

namespace {
class QuietView : public pixolat::MaskProcessorView {
public:
    void SetCaption(const std::string&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static pixolat::testing::ScriptedPlatform platform;
    static QuietView view;
    pixolat::Picture mask;
    mask.width = 1 + data[0] % 128;
    mask.height = 1 + data[1] % 128;
    // Short inputs repeat their pixels; a picture may also hold fewer pixels
    // than its size says (a damaged loader's picture), which is refused.
    const std::size_t pixels = (size - 2) / 3;
    const std::size_t count = std::size_t(mask.width) * std::size_t(mask.height);
    for (std::size_t i = 0; pixels > 0 && i < (data[0] & 128 ? pixels : count); ++i) {
        const uint8_t* p = data + 2 + 3 * (i % pixels);
        mask.pixels.push_back(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
    platform.pictures["mask.bmp"] = mask;
    pixolat::MaskProcessor processor(platform, view);
    try {
        processor.PreProcess("mask.bmp");
    } catch (const pixolat::Error&) {
    }
    return 0;
}
