#pragma once
// The colors of a mask in the order they were first met, each with the role
// and level offset the user gives it. A hash index keeps the look-up constant
// however many colors are already in the table.
#include <array>
#include <cstdint>
#include <vector>

#include "document/rgb_color.h"

namespace pixolat {

// Where a mask color takes its grey level from. The values are the ones the
// grid edits (0, 1, 2).
enum class MaskRole : uint8_t { Mask1 = 0, Mask2 = 1, Color = 2 };

struct MaskColorEntry {
    RgbColor color = 0;
    MaskRole role = MaskRole::Color;
    int32_t levelOffset = 0;
};

class MaskColorTable {
public:
    // Entry indices must fit the one byte per pixel of the class map.
    static constexpr int kCapacity = 256;

    // The index of color's entry; a color not met before gets a new entry
    // (role Color, offset 0). -1 when the table is full.
    int FindOrAdd(RgbColor color);
    void Clear();

    int size() const { return int(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    MaskColorEntry& operator[](int i) { return entries_[std::size_t(i)]; }
    const MaskColorEntry& operator[](int i) const { return entries_[std::size_t(i)]; }

private:
    // Power of two, four times the capacity: probes stay short.
    static constexpr int kSlots = 1024;
    static int Hash(uint32_t color) { return int((color * 0x9E3779B1u) >> 22); }

    std::vector<MaskColorEntry> entries_;
    std::array<uint32_t, kSlots> keys_{};
    std::array<uint16_t, kSlots> slots_{};  // entry index + 1; 0 marks a free slot
};

}  // namespace pixolat
