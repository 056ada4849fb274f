#pragma once
// The grey output of the mask processor, one row at a time: each mask pixel's
// table entry decides whether its level comes from pattern 1, pattern 2 or
// its offset alone; the patterns are tiled from the top-left corner.
#include <cstdint>
#include <vector>

#include "document/picture.h"
#include "mask/mask_color_table.h"

namespace pixolat {

// Red below 42 is level 0, below 120 level 1, below 200 level 2, else 3.
int GreyToLevel(int red);
// Levels are clamped to 0..3 and give 0, 84, 168 and 255.
int LevelToGrey(int64_t level);

class MaskRenderer {
public:
    // Takes the roles and offsets as they are now, so later edits do not mix
    // into a picture under way. A pattern no entry uses may be empty.
    MaskRenderer(const MaskColorTable& table, const Picture& pattern1, const Picture& pattern2);

    // Output row y (24-bit grey, red in the low byte) from that row's entry
    // indices; every index must be below the table's size.
    void RenderRow(int y, const uint8_t* classes, int width, RgbColor* target);

private:
    // A pattern as grey levels, one byte per pixel.
    struct LevelMap {
        int width = 1;
        int height = 1;
        std::vector<uint8_t> levels = {0};
    };
    static LevelMap LevelsOf(const Picture& pattern);
    static void TileRow(const LevelMap& map, int y, std::vector<uint8_t>& row, int width);

    LevelMap levels1_;
    LevelMap levels2_;
    // The output pixel by entry * 16 + pattern-1 level * 4 + pattern-2 level.
    std::vector<RgbColor> pixelFor_;
    std::vector<uint8_t> row1_;
    std::vector<uint8_t> row2_;
};

}  // namespace pixolat
