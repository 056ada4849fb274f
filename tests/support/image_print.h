#pragma once
// A fingerprint of the first images of a store and the current image, to tell
// whether they came back exactly: every descriptor field and a hash of every
// byte of the three planes.
#include <functional>
#include <string>
#include <string_view>

#include "document/image_store.h"

namespace pixolat::testing {

inline std::string PrintOf(const ImageStore& store, int current, int images = 3) {
    const auto hash = [](const uint8_t* p, std::size_t n) {
        return std::to_string(
            std::hash<std::string_view>()(std::string_view(reinterpret_cast<const char*>(p), n)));
    };
    std::string print = "current " + std::to_string(current);
    for (int i = 0; i < images; ++i) {
        const Image& m = store.image(i);
        const ImageDescriptor& d = m.desc;
        print += "\n" + d.name + " " + std::to_string(d.width) + "x" + std::to_string(d.height) +
                 " " + std::to_string(d.pixelWidth) + std::to_string(int(d.layout)) +
                 std::to_string(int(d.colorMapKind)) + " " + std::to_string(d.color0) + " " +
                 std::to_string(d.color3) + " " + hash(m.plane.data(), kPlaneBytes) + " " +
                 hash(m.colmap.data(), kAttributeBytes) + " " +
                 hash(m.lummap.data(), kAttributeBytes);
    }
    return print;
}

}  // namespace pixolat::testing
