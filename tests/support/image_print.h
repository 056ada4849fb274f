#pragma once
// A fingerprint of images, to tell whether they came back exactly: every
// descriptor field and a hash of every byte of the three planes.
#include <array>
#include <functional>
#include <string_view>

#include "document/image_store.h"

namespace pixolat::testing {

struct ImagePrint {
    ImageDescriptor desc;
    std::size_t bytes = 0;
    bool operator==(const ImagePrint& o) const {
        return desc.name == o.desc.name && desc.width == o.desc.width &&
               desc.height == o.desc.height && desc.pixelWidth == o.desc.pixelWidth &&
               desc.layout == o.desc.layout && desc.colorMapKind == o.desc.colorMapKind &&
               desc.color0 == o.desc.color0 && desc.color3 == o.desc.color3 && bytes == o.bytes;
    }
};

inline ImagePrint PrintOf(const Image& image) {
    auto hash = [](const uint8_t* p, std::size_t n) {
        return std::hash<std::string_view>()(std::string_view(reinterpret_cast<const char*>(p), n));
    };
    return ImagePrint{image.desc, hash(image.plane.data(), kPlaneBytes) * 31 +
                                      hash(image.colmap.data(), kAttributeBytes) * 7 +
                                      hash(image.lummap.data(), kAttributeBytes)};
}

// Images 0..N-1 and the current image.
template <int N>
struct StorePrint {
    int current = 0;
    std::array<ImagePrint, N> images;
    bool operator==(const StorePrint&) const = default;
};

template <int N>
StorePrint<N> PrintOf(const ImageStore& store, int current) {
    StorePrint<N> s{current, {}};
    for (int i = 0; i < N; ++i) s.images[std::size_t(i)] = PrintOf(store.image(i));
    return s;
}

}  // namespace pixolat::testing
