#include "document/image_store.h"

#include <cstdlib>
#include <new>

namespace pixolat {

namespace {
constexpr std::size_t kImageBytes = kPlaneBytes + 2 * kAttributeBytes;
constexpr std::size_t kRecords = kImageCount + 1;
}  // namespace

void ImageStore::FreeDeleter::operator()(uint8_t* p) const {
    std::free(p);
}

ImageStore::ImageStore() {
    // calloc of a block this size is served by fresh zero pages that the
    // system maps only when first touched, so start-up stays small and fast.
    auto* bytes = static_cast<uint8_t*>(std::calloc(kRecords, kImageBytes));
    if (bytes == nullptr) throw std::bad_alloc();
    memory_.reset(bytes);
    images_.resize(kRecords);
    for (std::size_t i = 0; i < kRecords; ++i) {
        uint8_t* base = bytes + i * kImageBytes;
        images_[i].plane = PixelPlane(base);
        images_[i].colmap = AttributePlane(base + kPlaneBytes);
        images_[i].lummap = AttributePlane(base + kPlaneBytes + kAttributeBytes);
    }
}

}  // namespace pixolat
