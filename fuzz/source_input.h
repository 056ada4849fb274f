#pragma once
// Shared by the source text fuzz targets: a leading byte 1..8 starts the load
// at image 256..249, so texts with more sections than images are covered;
// any other input is text read from image 0.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/image_store.h"

struct SourceInput {
    int startImage = 0;
    std::string_view text;

    SourceInput(const uint8_t* data, std::size_t size)
        : text(reinterpret_cast<const char*>(data), size) {
        if (size > 0 && data[0] >= 1 && data[0] <= 8) {
            startImage = pixolat::kImageCount - data[0];
            text.remove_prefix(1);
        }
    }
};
