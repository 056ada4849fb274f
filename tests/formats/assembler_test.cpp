// The dialects' texts assembled by the assemblers themselves: each must take
// the text and give exactly the values the db text holds, in order.
//
// PIXOLAT_ASSEMBLER_STORES sets how many random stores a run assembles (24
// unless told; `make test-assemblers` runs 200), PIXOLAT_ASSEMBLER_SEED
// repeats a run whose seed a failure showed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/text.h"
#include "formats/source_text.h"
#include "support/temp_folder.h"

using namespace pixolat;

namespace {

// The README's commands, building at address 0; IN and OUT are the files.
struct Assembler {
    SourceSyntax syntax;
    std::string command;
};
const Assembler kAssemblers[] = {
    {SourceSyntax::Tass64, "64tass --quiet --nostart -o OUT IN"},
    {SourceSyntax::Acme, "acme --setpc 0 -f plain -o OUT IN"},
    {SourceSyntax::Ca65,
     "ca65 -o IN.o IN && ld65 -t none -S 0 -D __STACKSTART__=0x10000 "
     "-D __STACKSIZE__=0 -o OUT IN.o"},
    {SourceSyntax::Dasm,
     "printf '\\torg 0\\n\\tinclude \"IN\"\\n' > IN.main && dasm IN.main -f3 -oOUT"},
    {SourceSyntax::Xa, "xa -o OUT IN"},
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
        text.replace(at, from.size(), to), at += to.size();
    return text;
}

std::vector<std::string> Lines(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (const uint8_t b : bytes) {
        line += char(b);
        if (b == '\n') lines.push_back(std::move(line)), line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The values of the db text's data lines, in order.
std::vector<uint8_t> DbValues(const std::vector<std::string>& lines) {
    std::vector<uint8_t> values;
    for (const std::string& line : lines) {
        if (!line.starts_with("\tDB ")) continue;
        for (std::size_t i = 4; i + 2 < line.size(); i += 4)
            values.push_back(uint8_t(HexDigitValue(line[i + 1]) * 16 + HexDigitValue(line[i + 2])));
    }
    return values;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Assembles the text in pieces of whole lines (a 6502 assembler holds 64 KB)
// and joins the bytes; an assembler that fails names its output.
std::vector<uint8_t> Assemble(const Assembler& assembler, const std::vector<std::string>& lines,
                              const pixolat::testing::TempFolder& folder) {
    std::vector<uint8_t> bytes;
    constexpr std::size_t kLinesPerPiece = 2000;
    for (std::size_t first = 0; first < lines.size(); first += kLinesPerPiece) {
        const std::string in = folder / "piece.s", out = folder / "piece.bin";
        std::ofstream(in, std::ios::binary | std::ios::trunc) << [&] {
            std::string piece;
            for (std::size_t i = first; i < lines.size() && i < first + kLinesPerPiece; ++i)
                piece += lines[i];
            return piece;
        }();
        std::remove(out.c_str());
        const std::string log = folder / "log.txt";
        const std::string command =
            Replaced(Replaced(assembler.command, "OUT", out), "IN", in) + " > " + log + " 2>&1";
        if (std::system(command.c_str()) != 0) {
            const std::vector<uint8_t> said = ReadAll(log);
            ADD_FAILURE() << command << " failed:\n" << std::string(said.begin(), said.end());
            return {};
        }
        const std::vector<uint8_t> piece = ReadAll(out);
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    return bytes;
}

ImageDescriptor RandomDescriptor(std::mt19937& rng) {
    std::uniform_int_distribution<int> width(1, 640), height(1, 1024), small(1, 48), three(0, 2);
    const int shape = int(rng() % 3);
    static const char* const kNames[] = {"Logo",        "logo", "lda",     "my \"pic\" // a;b",
                                         "image3",      "",     "x*/ /*y", "\xC3\xA9t\xC3\xA9",
                                         "Title_Screen"};
    ImageDescriptor d;
    d.name = kNames[rng() % std::size(kNames)];
    d.width = shape == 0 ? 320 : shape == 1 ? width(rng) : small(rng);
    d.height = shape == 0 ? 200 : shape == 1 ? height(rng) : small(rng);
    d.pixelWidth = 1 + int(rng() % 2);
    d.layout = Layout(three(rng));
    d.colorMapKind = ColorMapKind(three(rng));
    d.color0 = ColorCode(rng() & 0xFF);
    d.color3 = ColorCode(rng() & 0xFF);
    return d;
}

}  // namespace

TEST(Assemblers, TakeEveryDialectAndGiveTheDbValues) {
    const char* storesText = std::getenv("PIXOLAT_ASSEMBLER_STORES");
    const char* seedText = std::getenv("PIXOLAT_ASSEMBLER_SEED");
    const int stores = storesText ? std::atoi(storesText) : 24;
    const unsigned seed =
        seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("PIXOLAT_ASSEMBLER_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);
    const pixolat::testing::TempFolder folder;
    for (int n = 0; n < stores && !HasFailure(); ++n) {
        auto store = std::make_unique<ImageStore>();
        for (int images = 1 + int(rng() % 3); images > 0; --images) {
            Image& image = store->image(int(rng() % kImageCount));
            image.desc = RandomDescriptor(rng);
            for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = rng() & 1;
            for (std::size_t i = 0; i < kAttributeBytes; ++i) {
                image.colmap.data()[i] = uint8_t(rng());
                image.lummap.data()[i] = uint8_t(rng());
            }
        }
        const std::vector<uint8_t> expected = DbValues(Lines(SourceFileBytes(*store, 0)));
        for (const Assembler& assembler : kAssemblers) {
            SCOPED_TRACE(std::string(SyntaxName(assembler.syntax)) + ", store " +
                         std::to_string(n));
            const std::vector<uint8_t> built =
                Assemble(assembler, Lines(SourceFileBytes(*store, 0, assembler.syntax)), folder);
            EXPECT_EQ(built.size(), expected.size());
            EXPECT_TRUE(built == expected);
        }
    }
}
