// The image's memory parts at chosen addresses.
#include "formats/prg_parts.h"

#include <algorithm>
#include <charconv>

#include "document/errors.h"
#include "document/text.h"
#include "formats/prg_format.h"

namespace pixolat {

namespace {

// Export .PRG's offsets: luminance, the two colors, color memory, bitmap.
constexpr std::size_t kLuminanceAt = 2, kColorsAt = 1024, kColorAt = 1026, kBitmapAt = 2050;
constexpr std::size_t kCells = 1000, kBitmapBytes = 8000;

std::string Address(int a) {
    return "$" + HexByte(a >> 8) + HexByte(a & 0xFF);
}

std::vector<uint8_t> Bank(const AttributePlane& plane, int bank) {
    std::vector<uint8_t> out;
    out.reserve(kCells);
    for (int cy = 0; cy < 25; ++cy)
        for (int cx = 0; cx < 40; ++cx) out.push_back(plane.at(bank, cx, cy));
    return out;
}

std::optional<int> ParseAddress(std::string_view text) {
    int base = 10;
    if (text.starts_with("$")) {
        text.remove_prefix(1);
        base = 16;
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > 0xFFFF)
        return std::nullopt;
    return value;
}

}  // namespace

std::string PartAddressesText(const PartAddresses& a) {
    std::string text = a.raw ? "raw" : "prg";
    text += " bitmap=" + Address(a.bitmap);
    for (int bank = 0; bank < kBanks; ++bank) {
        const std::string suffix = bank == 0 ? "" : std::to_string(bank);
        text += " luminance" + suffix + "=" + Address(a.luminance[std::size_t(bank)]);
        text += " color" + suffix + "=" + Address(a.color[std::size_t(bank)]);
    }
    return text + " colors=" + Address(a.colors);
}

std::optional<PartAddresses> ParsePartAddresses(std::string_view text, PartAddresses a) {
    while (!text.empty()) {
        const std::size_t blank = text.find_first_of(" \t,");
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (word.empty()) continue;
        if (word == "raw" || word == "prg") {
            a.raw = word == "raw";
            continue;
        }
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view name = word.substr(0, equals);
        const std::optional<int> address = ParseAddress(word.substr(equals + 1));
        if (!address) return std::nullopt;
        int* target = nullptr;
        if (name == "bitmap") target = &a.bitmap;
        if (name == "colors") target = &a.colors;
        for (int bank = 0; bank < kBanks; ++bank) {
            const std::string suffix = bank == 0 ? "" : std::to_string(bank);
            if (name == "luminance" + suffix) target = &a.luminance[std::size_t(bank)];
            if (name == "color" + suffix) target = &a.color[std::size_t(bank)];
        }
        if (!target) return std::nullopt;
        *target = *address;
    }
    return a;
}

std::vector<MemoryPart> ImageParts(const Image& image, const PartAddresses& a) {
    const std::vector<uint8_t> prg = EncodePrg(image);
    const auto slice = [&prg](std::size_t at, std::size_t n) {
        return std::vector<uint8_t>(prg.begin() + std::ptrdiff_t(at),
                                    prg.begin() + std::ptrdiff_t(at + n));
    };
    std::vector<MemoryPart> parts;
    parts.push_back({"bitmap", a.bitmap, slice(kBitmapAt, kBitmapBytes)});
    const bool dfli = image.desc.colorMapKind == ColorMapKind::Dfli;
    for (int bank = 0; bank < (dfli ? kBanks : 1); ++bank) {
        const std::string suffix = dfli ? std::to_string(bank) : "";
        const std::size_t b = std::size_t(bank);
        parts.push_back({"luminance" + suffix, a.luminance[b],
                         bank == 0 ? slice(kLuminanceAt, kCells) : Bank(image.lummap, bank)});
        parts.push_back({"color" + suffix, a.color[b],
                         bank == 0 ? slice(kColorAt, kCells) : Bank(image.colmap, bank)});
    }
    if (image.desc.pixelWidth == 2) parts.push_back({"colors", a.colors, slice(kColorsAt, 2)});
    return parts;
}

std::vector<uint8_t> AllPartsPrg(const std::vector<MemoryPart>& parts) {
    std::vector<const MemoryPart*> sorted;
    for (const MemoryPart& part : parts) sorted.push_back(&part);
    std::sort(sorted.begin(), sorted.end(),
              [](const MemoryPart* x, const MemoryPart* y) { return x->address < y->address; });
    if (sorted.empty()) return {};
    int end = sorted.front()->address;
    for (const MemoryPart* part : sorted) {
        if (part->address < end)
            throw Error("The " + part->name + " at " + Address(part->address) +
                        " overlaps the part before it.");
        end = part->address + int(part->bytes.size());
        if (end > 0x10000)
            throw Error("The " + part->name + " at " + Address(part->address) +
                        " runs past $FFFF.");
    }
    const int start = sorted.front()->address;
    std::vector<uint8_t> out(2 + std::size_t(end - start), 0);
    out[0] = uint8_t(start & 0xFF);
    out[1] = uint8_t(start >> 8);
    for (const MemoryPart* part : sorted)
        std::copy(part->bytes.begin(), part->bytes.end(),
                  out.begin() + 2 + std::ptrdiff_t(part->address - start));
    return out;
}

std::vector<uint8_t> PartFileBytes(const MemoryPart& part, bool raw) {
    std::vector<uint8_t> out;
    if (!raw) out = {uint8_t(part.address & 0xFF), uint8_t(part.address >> 8)};
    out.insert(out.end(), part.bytes.begin(), part.bytes.end());
    return out;
}

std::string PartFileName(const std::string& base, std::string_view name, bool raw) {
    return base + "_" + std::string(name) + (raw && name != "all" ? ".bin" : ".prg");
}

}  // namespace pixolat
