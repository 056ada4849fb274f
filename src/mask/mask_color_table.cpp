#include "mask/mask_color_table.h"

namespace pixolat {

int MaskColorTable::FindOrAdd(RgbColor color) {
    int slot = Hash(color);
    while (slots_[std::size_t(slot)] != 0) {
        if (keys_[std::size_t(slot)] == color) return slots_[std::size_t(slot)] - 1;
        slot = (slot + 1) & (kSlots - 1);
    }
    if (size() >= kCapacity) return -1;
    entries_.push_back({color, MaskRole::Color, 0});
    keys_[std::size_t(slot)] = color;
    slots_[std::size_t(slot)] = uint16_t(entries_.size());
    return size() - 1;
}

void MaskColorTable::Clear() {
    entries_.clear();
    slots_.fill(0);
}

}  // namespace pixolat
