// Parts at chosen addresses, loaded back into a 64 KB memory, give Export
// .PRG's bytes.
#include "formats/prg_parts.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "document/errors.h"
#include "formats/prg_format.h"

using namespace pixolat;

namespace {

using Memory = std::vector<uint8_t>;

// Loads a .PRG file where its first two bytes say.
void Load(Memory& memory, const std::vector<uint8_t>& prg) {
    ASSERT_GE(prg.size(), 2u);
    const std::size_t at = prg[0] | std::size_t(prg[1]) << 8;
    ASSERT_LE(at + prg.size() - 2, memory.size());
    std::copy(prg.begin() + 2, prg.end(), memory.begin() + std::ptrdiff_t(at));
}

// One image of a store of its own (the store holds the planes).
std::unique_ptr<ImageStore> RandomImage(std::mt19937& rng, int pixelWidth, ColorMapKind kind) {
    auto store = std::make_unique<ImageStore>();
    Image* image = &store->image(0);
    image->desc = {"P",
                   320,
                   200,
                   pixelWidth,
                   Layout::Bitmap,
                   kind,
                   ColorCode(rng() & 0xFF),
                   ColorCode(rng() & 0xFF)};
    for (std::size_t i = 0; i < kPlaneBytes; ++i) image->plane.data()[i] = rng() & 1;
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image->colmap.data()[i] = uint8_t(rng());
        image->lummap.data()[i] = uint8_t(rng());
    }
    return store;
}

}  // namespace

// At the default addresses the parts rebuild Export .PRG's memory (all but
// its "MULT" mark, which is no part); the all-parts file holds the same.
TEST(PrgParts, DefaultAddressesRebuildTheExportedMemory) {
    std::mt19937 rng(5);
    for (const int pixelWidth : {1, 2}) {
        for (const ColorMapKind kind : {ColorMapKind::Normal, ColorMapKind::Dfli}) {
            const auto store = RandomImage(rng, pixelWidth, kind);
            const Image* image = &store->image(0);
            const std::vector<MemoryPart> parts = ImageParts(*image, PartAddresses());
            EXPECT_EQ(parts.size(),
                      std::size_t(kind == ColorMapKind::Dfli ? 9 : 3) + (pixelWidth == 2 ? 1 : 0));
            Memory memory(0x10000, 0), all(0x10000, 0);
            for (const MemoryPart& part : parts) Load(memory, PartFileBytes(part, false));
            Load(all, AllPartsPrg(parts));
            EXPECT_TRUE(memory == all);
            std::vector<uint8_t> exported = EncodePrg(*image);
            if (pixelWidth == 2) std::fill(exported.begin() + 1020, exported.begin() + 1024, 0);
            const Memory shown(memory.begin() + 0x1800, memory.begin() + 0x1800 + 10048);
            EXPECT_TRUE(shown == Memory(exported.begin() + 2, exported.end()));
            // DFLI's other banks are each bank's cells, row by row.
            if (kind == ColorMapKind::Dfli) {
                EXPECT_EQ(memory[0x5400 + 40 * 3 + 7], image->colmap.at(3, 7, 3));
            }
        }
    }
}

// At random addresses each part lands where asked, raw files lack only the
// address, and the all-parts file holds every part at its address.
TEST(PrgParts, ChosenAddressesAreWhereThePartsLoad) {
    std::mt19937 rng(11);
    const auto store = RandomImage(rng, 2, ColorMapKind::Normal);
    const Image* image = &store->image(0);
    const std::vector<uint8_t> exported = EncodePrg(*image);
    for (int round = 0; round < 20; ++round) {
        // Four slots of 8 KB in random order keep the parts apart.
        int slots[] = {0, 1, 2, 3, 4, 5, 6, 7};
        std::shuffle(std::begin(slots), std::end(slots), rng);
        PartAddresses a;
        a.bitmap = slots[0] * 0x2000 + int(rng() % 0x100);
        a.luminance[0] = slots[1] * 0x2000 + int(rng() % 0x1000);
        a.color[0] = slots[2] * 0x2000 + int(rng() % 0x1000);
        a.colors = slots[3] * 0x2000 + int(rng() % 0x1FFE);
        const std::optional<PartAddresses> text = ParsePartAddresses(PartAddressesText(a));
        ASSERT_TRUE(text);
        EXPECT_EQ(PartAddressesText(*text), PartAddressesText(a));
        Memory memory(0x10000, 0);
        Load(memory, AllPartsPrg(ImageParts(*image, a)));
        const auto at = [&memory](int address, std::size_t n) {
            return Memory(memory.begin() + address, memory.begin() + address + std::ptrdiff_t(n));
        };
        EXPECT_TRUE(at(a.bitmap, 8000) == Memory(exported.begin() + 2050, exported.end()));
        EXPECT_TRUE(at(a.luminance[0], 1000) ==
                    Memory(exported.begin() + 2, exported.begin() + 1002));
        EXPECT_TRUE(at(a.color[0], 1000) ==
                    Memory(exported.begin() + 1026, exported.begin() + 2026));
        EXPECT_TRUE(at(a.colors, 2) == Memory(exported.begin() + 1024, exported.begin() + 1026));
        const MemoryPart bitmap = ImageParts(*image, a).front();
        EXPECT_TRUE(PartFileBytes(bitmap, true) == bitmap.bytes);
    }
}

// Parts that overlap or run past $FFFF, and addresses that are no address,
// are refused.
TEST(PrgParts, ImpossibleAddressesAreRefused) {
    std::mt19937 rng(2);
    const auto store = RandomImage(rng, 1, ColorMapKind::Normal);
    const Image* image = &store->image(0);
    PartAddresses a;
    a.luminance[0] = 0x2100;  // inside the bitmap
    EXPECT_THROW(AllPartsPrg(ImageParts(*image, a)), Error);
    a = PartAddresses();
    a.bitmap = 0xF000;
    EXPECT_THROW(AllPartsPrg(ImageParts(*image, a)), Error);
    for (const char* text : {"bitmap=$10000", "bitmap=", "bitmap=$20G0", "screen=$0400", "$2000"})
        EXPECT_FALSE(ParsePartAddresses(text)) << text;
    const std::optional<PartAddresses> raw = ParsePartAddresses("raw color2=0x4000");
    ASSERT_TRUE(raw);
    EXPECT_TRUE(raw->raw);
    EXPECT_EQ(raw->color[2], 0x4000);
    EXPECT_EQ(raw->bitmap, 0x2000);
}
