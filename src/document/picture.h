#pragma once
// A picture as the picture files hold it: RgbColor pixels row by row.
#include <cstddef>
#include <string>
#include <vector>

#include "document/rgb_color.h"

namespace pixolat {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<RgbColor> pixels;  // row by row
    // What was wrong with the file of a picture read anyway (cut short,
    // damaged), as the user is told it; empty for a whole file.
    std::string damage = {};

    RgbColor at(int x, int y) const {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
    RgbColor& at(int x, int y) {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

}  // namespace pixolat
