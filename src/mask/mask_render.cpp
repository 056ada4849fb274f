#include "mask/mask_render.h"

#include <algorithm>
#include <cstring>

namespace pixolat {

int GreyToLevel(int red) {
    if (red < 42) return 0;
    if (red < 120) return 1;
    if (red < 200) return 2;
    return 3;
}

int LevelToGrey(int64_t level) {
    static constexpr int kGreys[4] = {0, 84, 168, 255};
    return kGreys[std::clamp<int64_t>(level, 0, 3)];
}

MaskRenderer::MaskRenderer(const MaskColorTable& table, const Picture& pattern1,
                           const Picture& pattern2)
    : levels1_(LevelsOf(pattern1)), levels2_(LevelsOf(pattern2)), pixelFor_(16 * 256, 0) {
    for (int i = 0; i < table.size(); ++i) {
        const MaskColorEntry& entry = table[i];
        for (int level1 = 0; level1 < 4; ++level1)
            for (int level2 = 0; level2 < 4; ++level2) {
                // Offsets may lie far outside 0..3; only the sum is clamped.
                int64_t level = entry.levelOffset;
                if (entry.role == MaskRole::Mask1) level += level1;
                if (entry.role == MaskRole::Mask2) level += level2;
                const int grey = LevelToGrey(level);
                pixelFor_[std::size_t(i * 16 + level1 * 4 + level2)] =
                    MakeRgbColor(grey, grey, grey);
            }
    }
}

MaskRenderer::LevelMap MaskRenderer::LevelsOf(const Picture& pattern) {
    LevelMap map;
    // An empty pattern stands as one pixel of level 0 that no entry reads.
    if (pattern.width <= 0 || pattern.height <= 0) return map;
    map.width = pattern.width;
    map.height = pattern.height;
    map.levels.resize(std::size_t(map.width) * std::size_t(map.height));
    for (std::size_t i = 0; i < map.levels.size(); ++i)
        map.levels[i] = uint8_t(GreyToLevel(RedOf(pattern.pixels[i])));
    return map;
}

// The pattern's row for output row y, repeated across the width by copying
// what is already tiled, so a one-pixel pattern costs no more than a wide one.
void MaskRenderer::TileRow(const LevelMap& map, int y, std::vector<uint8_t>& row, int width) {
    row.resize(std::size_t(width));
    const uint8_t* source =
        map.levels.data() + std::size_t(y % map.height) * std::size_t(map.width);
    const int first = std::min(map.width, width);
    std::memcpy(row.data(), source, std::size_t(first));
    for (int filled = first; filled < width;) {
        const int count = std::min(filled, width - filled);
        std::memcpy(row.data() + filled, row.data(), std::size_t(count));
        filled += count;
    }
}

void MaskRenderer::RenderRow(int y, const uint8_t* classes, int width, RgbColor* target) {
    if (width <= 0) return;
    TileRow(levels1_, y, row1_, width);
    TileRow(levels2_, y, row2_, width);
    // Both patterns' levels in one byte first, a pass the compiler vectorizes,
    // so each pixel then costs one table look-up.
    uint8_t* levels = row1_.data();
    const uint8_t* levels2 = row2_.data();
    for (int x = 0; x < width; ++x) levels[x] = uint8_t(levels[x] << 2 | levels2[x]);
    const RgbColor* pixelFor = pixelFor_.data();
    for (int x = 0; x < width; ++x) target[x] = pixelFor[unsigned(classes[x]) << 4 | levels[x]];
}

}  // namespace pixolat
