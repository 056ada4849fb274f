// Source files read back exactly; a text that fails changes nothing; the
// reader reads any text split anywhere as the plain reader reads it whole.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "document/errors.h"
#include "document/pixels.h"
#include "document/text.h"
#include "formats/source_meta.h"
#include "formats/source_section.h"
#include "formats/source_text.h"

using namespace pixolat;

namespace {

// Names a user may type and the header cannot carry.
std::string HostileName(std::mt19937& rng) {
    static const std::string kAlphabet[] = {
        "a", "Z",    " ",    "\t", ";",  "/", "//",   "DB", "d",    "1",    "_",
        "$", "\xC2", "\xA0", "\"", "\\", "*", "\r\n", "\n", "\x01", "\xFF", "\xE2\x82\xAC"};
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kAlphabet) - 1);
    std::string name;
    for (int n = length(rng); n > 0; --n) name += kAlphabet[pick(rng)];
    return name;
}

void RandomImage(Image& image, std::mt19937& rng, const std::string& name) {
    std::uniform_int_distribution<int> width(1, 640), height(1, 1024), small(1, 40), three(0, 2);
    const bool screen = rng() % 4 == 0;
    const bool big = rng() % 3 == 0;
    image.desc = {name,
                  screen ? 320
                  : big  ? width(rng)
                         : small(rng),
                  screen ? 200
                  : big  ? height(rng)
                         : small(rng),
                  1 + int(rng() % 2),
                  Layout(three(rng)),
                  ColorMapKind(three(rng)),
                  ColorCode(rng() & 0xFF),
                  ColorCode(rng() & 0xFF)};
    const Extent e = ImageExtent(image.desc);
    for (int x = 0; x < e.width; ++x)
        for (int y = 0; y < e.height; ++y) image.plane.at(x, y) = rng() & 1;
    // Cells of every bank: some images keep the reset colors in the banks
    // their kind does not write.
    ResetImageColors(image);
    image.desc.color0 = ColorCode(rng() & 0xFF);
    if (rng() % 2 == 0)
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image.colmap.data()[i] = uint8_t(rng());
            image.lummap.data()[i] = uint8_t(rng());
        }
}

void Scramble(Image& image, std::mt19937& rng) {
    image.desc = {"old", 8, 8, 2, Layout::Charset, ColorMapKind::Dfli, 0x33, 0x44};
    for (int i = 0; i < 4000; ++i) image.plane.at(int(rng() % 640), int(rng() % 1024)) = 1;
    for (std::size_t i = 0; i < kAttributeBytes; i += 7) image.colmap.data()[i] = 0x99;
}

// Whether b shows what a shows: descriptor, colors, pixels and cells of every
// bank within a's extent.
std::string Difference(const Image& a, const Image& b) {
    const ImageDescriptor &d = a.desc, &e = b.desc;
    if (d.name != e.name) return "name '" + e.name + "' instead of '" + d.name + "'";
    if (d.width != e.width || d.height != e.height || d.pixelWidth != e.pixelWidth ||
        d.layout != e.layout || d.colorMapKind != e.colorMapKind || d.color0 != e.color0 ||
        d.color3 != e.color3)
        return "descriptor";
    for (int x = 0; x < d.width; ++x)
        for (int y = 0; y < d.height; ++y)
            if (a.plane.at(x, y) != b.plane.at(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    for (int bank = 0; bank < kBanks; ++bank)
        for (int cx = 0; cx * 8 < d.width; ++cx)
            for (int cy = 0; cy * 8 < d.height; ++cy)
                if (a.colmap.at(bank, cx, cy) != b.colmap.at(bank, cx, cy) ||
                    a.lummap.at(bank, cx, cy) != b.lummap.at(bank, cx, cy))
                    return "cell " + std::to_string(bank) + ":" + std::to_string(cx) + "," +
                           std::to_string(cy);
    return "";
}

// Feeds the text in pieces of random sizes.
SourceLoadResult FeedInPieces(ImageStore& store, EditorState& state, std::string_view text,
                              std::mt19937& rng, std::size_t largest) {
    SourceTextReader reader(store, state, {}, {.skipByteOrderMark = true});
    while (!text.empty()) {
        const std::size_t n = std::min(text.size(), 1 + rng() % largest);
        reader.Feed(text.substr(0, n));
        text.remove_prefix(n);
    }
    return reader.Finish();
}

// A fingerprint of the images a test text reaches (0 to 9), to prove that
// nothing changed.
uint64_t Fingerprint(const ImageStore& store) {
    uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](const uint8_t* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    };
    for (int i = 0; i < 10; ++i) {
        const Image& image = store.image(i);
        const std::string desc = image.desc.name + "|" + std::to_string(image.desc.width) + "|" +
                                 std::to_string(image.desc.height) + "|" +
                                 std::to_string(image.desc.color0);
        mix(reinterpret_cast<const uint8_t*>(desc.data()), desc.size());
        mix(image.plane.data(), kPlaneBytes);
        mix(image.colmap.data(), kAttributeBytes);
        mix(image.lummap.data(), kAttributeBytes);
    }
    return h;
}

}  // namespace

// Random stores, hostile names, every size, layout, kind and bank: saved as a
// file in every dialect and read back in random pieces, into a fresh store and
// into one whose images hold other work, they come back at their indices,
// exactly.
TEST(SourceFile, RandomStoresReadBackExactly) {
    std::mt19937 rng(17);
    auto source = std::make_unique<ImageStore>();
    auto target = std::make_unique<ImageStore>();
    for (int round = 0; round < 12; ++round) {
        const SourceSyntax syntax = kSourceSyntaxes[round % std::size(kSourceSyntaxes)];
        SCOPED_TRACE(SyntaxName(syntax));
        for (int i = 0; i < kImageCount; ++i) source->image(i).desc = {};
        std::vector<int> used;
        for (int n = 0; n < 8; ++n) {
            const int index = int(rng() % kImageCount);
            RandomImage(source->image(index), rng, HostileName(rng));
            used.push_back(index);
        }
        const int current = int(rng() % kImageCount);
        const std::vector<uint8_t> bytes = SourceFileBytes(*source, current, syntax);
        const std::string text(bytes.begin(), bytes.end());

        const bool fresh = round % 4 < 2;
        if (fresh) target = std::make_unique<ImageStore>();
        for (int index : used) Scramble(target->image(index), rng);
        EditorState state;
        state.currentImage = int(rng() % kImageCount);
        const SourceLoadResult result = FeedInPieces(*target, state, text, rng, 5000);
        EXPECT_TRUE(result.restoredCurrent);
        EXPECT_EQ(state.currentImage, current);
        EXPECT_EQ(result.droppedSections, 0);
        for (int i = 0; i < kImageCount; ++i) {
            const Image& saved = source->image(i);
            const bool empty = saved.desc.width <= 0 || saved.desc.height <= 0;
            if (!empty) {
                EXPECT_EQ(Difference(saved, target->image(i)), "")
                    << "round " << round << ", image " << i;
            } else if (fresh) {
                EXPECT_EQ(target->image(i).desc.width, 0) << "image " << i;
            }
        }
    }
}

// Every name reads back through the plain text as its readable form, and a
// name the header carries as it is stays as it is.
TEST(SourceFile, ReadableNamesReadBackAsHeaderNames) {
    std::mt19937 rng(3);
    auto store = std::make_unique<ImageStore>();
    for (int n = 0; n < 300; ++n) {
        const std::string name = HostileName(rng);
        store->image(0).desc = {name, 8, 8, 1, Layout::Bitmap, ColorMapKind::None, 0, 0};
        const std::string text = SaveSourceText(*store);
        store->image(0).desc = {};
        EditorState state;
        LoadSourceText(*store, state, text);
        EXPECT_EQ(store->image(0).desc.name, ReadableName(name)) << text;
        EXPECT_EQ(store->image(0).desc.width, 8) << text;
        EXPECT_EQ(ReadableName(ReadableName(name)), ReadableName(name));
        EXPECT_EQ(UnquoteName(QuoteName(name)), name);
    }
    const std::pair<const char*, const char*> names[] = {
        {"Logo", "Logo"},
        {"2nd try", "Img_2nd try"},
        {"_tmp", "Img__tmp"},
        {"Dbase", "Img_Dbase"},
        {"a//b", "a/_b"},
        {"x;y\tz ", "x_y_z"},
        {"", ""},
        {"Gr\xC3\xB6\xC3\x9F"
         "e",
         "Gr____e"},
    };
    for (const auto& [name, readable] : names) EXPECT_EQ(ReadableName(name), readable) << name;
}

// A dialect's labels are identifiers its assembler takes, unique in the text;
// the exact name comes back from its comment line unless the label was edited.
TEST(SourceFile, DialectLabelsAreIdentifiersAndNamesComeBack) {
    auto store = std::make_unique<ImageStore>();
    const std::pair<std::string, std::string> names[] = {
        {"Logo", "Logo"},
        {"logo", "image1_logo"},
        {"lda", "image2_lda"},
        {"my \"pic\" // a;b", "image3_my__pic_____a_b"},
        {"image7", "image4_image7"},
        {"", "image5"},
    };
    for (int i = 0; i < int(std::size(names)); ++i)
        store->image(i).desc = {names[i].first, 8, 8, 1, Layout::Bitmap, ColorMapKind::None, 0, 0};
    for (const SourceSyntax syntax : {SourceSyntax::Tass64, SourceSyntax::Ca65}) {
        const std::vector<uint8_t> bytes = SourceFileBytes(*store, 3, syntax);
        std::string text(bytes.begin(), bytes.end());
        const std::string colon = syntax == SourceSyntax::Ca65 ? ":" : "";
        for (const auto& [name, label] : names)
            EXPECT_NE(text.find("\n" + label + colon + "\t; 8*8 h none\r\n"), std::string::npos)
                << label;
        text.replace(text.find("\nLogo"), 5, "\nTitle");
        auto target = std::make_unique<ImageStore>();
        EditorState state;
        LoadSourceText(*target, state, text);
        EXPECT_EQ(target->image(0).desc.name, "Title");
        for (int i = 1; i < int(std::size(names)); ++i)
            EXPECT_EQ(target->image(i).desc.name, names[i].first);
        EXPECT_EQ(state.currentImage, 3);
    }
}

// A text that fails half way (a bad value, a cut file, a header past the
// limits) puts back every image and the current image, and names the line.
TEST(SourceFile, ATextThatFailsChangesNothingAndNamesTheLine) {
    auto store = std::make_unique<ImageStore>();
    SetUpDefaultImage(*store);
    std::mt19937 rng(9);
    RandomImage(store->image(3), rng, "Kept");
    store->image(4).plane.at(5, 5) = 1;
    const uint64_t before = Fingerprint(*store);
    const std::pair<std::string, std::string> cases[] = {
        {"A; 8*1 h none\r\n\tDB $01\r\nB; 8*1 h\r\n\r\n\tDB $0G\r\n",
         "line 5: '$0G' is not a valid integer value"},
        {"A; 8*1 h none\n\tDB $01\rB; 99999999999*1 h\n", "line 3: "},
        {"A; 8*1 h none\n\tDB $01,$", "line 2: '$' is not a valid integer value"},
        {"//@ image 3 colors $00 $71 name \"x\"\nA; 8*8 m\n//@ image 3 colors $00 $71 name "
         "\"A\"\n\tDB $FF,$FF,x",
         "line 4: 'x' is not a valid integer value"},
        // A dialect's data lines keep their directive and number form.
        {";@ syntax 64tass\nA\t; 8*1 h none\n\t.byte $01\n\tDB $01\n",
         "line 4: a data line must begin with \".byte\""},
        {";@ syntax acme\r\nA\t; 8*1 h none\r\n\t!byte $01,$0G\r\n",
         "line 3: '$0G' is not a valid integer value"},
    };
    for (const auto& [text, message] : cases) {
        EditorState state;
        state.currentImage = 3;
        state.cursorX = 200;
        std::string error = "no error";
        try {
            FeedInPieces(*store, state, text, rng, 3);
        } catch (const Error& e) {
            error = e.text();
        }
        EXPECT_EQ(error.substr(0, message.size()), message);
        EXPECT_EQ(state.currentImage, 3);
        EXPECT_EQ(state.cursorX, 200);
        EXPECT_EQ(Fingerprint(*store), before) << text;
    }
    // A reader given up before its end puts everything back too.
    EditorState state;
    {
        SourceTextReader reader(*store, state);
        reader.Feed("A; 8*8 h none\n\tDB $FF\nB; 8*8 h\n\tDB $FF\n");
    }
    EXPECT_EQ(Fingerprint(*store), before);
}

// Sections past image 256 of a plain text are counted and named.
TEST(SourceFile, SectionsThatDoNotFitAreNamed) {
    auto store = std::make_unique<ImageStore>();
    EditorState state;
    state.currentImage = 255;
    const SourceLoadResult result =
        LoadSourceText(*store, state,
                       "P; 8*1 h\n$FF\nQ; 8*1 h\n$FF\nR; 8*1 h\n$FF\nS\nT; 8*1 h\n$FF\n"
                       "U; 8*1 h\n$FF\n");
    EXPECT_EQ(result.sections, 2);
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(result.droppedSections, 3);
    EXPECT_EQ(result.droppedNames, (std::vector<std::string>{"R", "T", "U"}));
    EXPECT_EQ(state.currentImage, 256);
    EXPECT_EQ(store->image(256).desc.name, "Q");
}

// A header pasted from a web page starts with a UTF-8 non-breaking space:
// it is a blank, as character 160 is.
TEST(SourceFile, ANonBreakingSpaceBeforeAHeaderIsABlank) {
    auto store = std::make_unique<ImageStore>();
    EditorState state;
    LoadSourceText(*store, state,
                   "\xC2\xA0Logo\t; 16*8 h none\r\n\tDB $FF\r\n\xA0\xC2\xA0;8*8 h none\r\n$01\r\n");
    EXPECT_EQ(store->image(0).desc.width, 16);
    EXPECT_EQ(store->image(0).plane.at(0, 0), 1);
    EXPECT_EQ(store->image(1).desc.width, 8);
    EXPECT_EQ(store->image(1).plane.at(7, 0), 1);
    EXPECT_EQ(state.currentImage, 1);
}

namespace {

// The reader as the text's rules state it, reading the whole text at once:
// lines cut at "//", data lines joined, "DB " erased until none is left,
// TABs and blanks removed, three characters a value.
SourceLoadResult PlainLoad(ImageStore& store, EditorState& state, std::string_view text) {
    SourceLoadResult result;
    std::string pending;
    bool headerOnly = false, colorMapMode = false, data = false, stop = false;
    const auto flush = [&] {
        NormalizeCurrentImage(store, state);
        std::string clean = EraseAll(pending, "DB ");
        std::erase_if(clean, [](char c) { return c == '\t' || c == ' '; });
        SectionData sink(store.image(state.currentImage), colorMapMode);
        for (std::size_t pos = 0; pos < clean.size() && !sink.done();) {
            const std::string_view chars = std::string_view(clean).substr(pos, 3);
            pos += chars.size();
            if (pos < clean.size() && clean[pos] == ',') ++pos;
            ++result.values;
            sink.Put(uint8_t(ParseWholeNumber(chars) & 0xFF));
        }
        pending.clear();
        ++result.sections;
        headerOnly = false;
    };
    std::size_t p = 0;
    while (p < text.size() && !stop) {
        while (p < text.size() && (text[p] == '\r' || text[p] == '\n')) ++p;
        const std::size_t start = p;
        while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
        if (p == start) continue;
        std::string_view line = text.substr(start, p - start);
        line = line.substr(0, line.find("//"));
        std::size_t i = 0;
        while (i < line.size() && (IsBlank(line[i]) || line.substr(i, 2) == "\xC2\xA0"))
            i += line[i] == '\xC2' ? 2 : 1;
        const char key = i < line.size() ? UpperAscii(line[i]) : '\0';
        const bool db = key == 'D' && i + 1 < line.size() && UpperAscii(line[i + 1]) == 'B';
        if (!(key == ';' || (key >= 'A' && key <= 'Z' && !db))) {
            data = data || !line.empty();
            pending += line;
            continue;
        }
        if (!pending.empty() || data) {
            flush();
            data = false;
            if (state.currentImage == kLastImage) {
                result.truncated = true;
                break;
            }
            ++state.currentImage;
            ResetImageColors(store.image(state.currentImage));
        }
        const HeaderFields header = ParseHeaderLine(line);
        ApplyHeader(header, store.image(state.currentImage).desc);
        colorMapMode = header.colorMapMode;
        headerOnly = true;
    }
    if (!result.truncated && (!pending.empty() || data)) flush();
    if (headerOnly) ++result.sections;
    return result;
}

// Texts made of the pieces that matter to the reader's rules.
std::string RandomText(std::mt19937& rng) {
    static const char* kPieces[] = {"\r\n",
                                    "\n",
                                    "\r",
                                    "DB ",
                                    "D",
                                    "B",
                                    " ",
                                    "\t",
                                    "$",
                                    "F",
                                    "0",
                                    "7",
                                    ",",
                                    "$AB,",
                                    "$DB,",
                                    "$0D,",
                                    "//",
                                    "/",
                                    "db",
                                    "1",
                                    "Pic; ",
                                    "8*8 ",
                                    "16*3 ",
                                    "h",
                                    " m",
                                    " none",
                                    " dfli",
                                    " charset",
                                    " 2x2charset",
                                    " colmap/lummap",
                                    ";",
                                    "\xC2\xA0",
                                    "\xA0",
                                    "\xC2",
                                    "x",
                                    "\tDB $FF,$00,$81,$7E\r\n",
                                    "320*200 m\r\n",
                                    "//@ image 2 colors $01 $02 name \"N\"\r\n"};
    // Mostly well-formed lines, so that most texts read to their end.
    static const char* kLines[] = {"\tDB $FF,$00,$81,$7E\r\n", "$AB,$DB,$0D\r\n", "Pic; 16*8 h\r\n",
                                   "; 8*8 m none\r\n"};
    std::string text;
    for (int n = int(rng() % 40); n > 0; --n)
        text += rng() % 3 == 0 ? kPieces[rng() % std::size(kPieces)]
                               : kLines[rng() % std::size(kLines)];
    return text;
}

}  // namespace

// Random texts, split at random, read as the plain whole-text reader reads
// them: the same images, values, errors and current image.
TEST(SourceFile, TheStreamingReaderReadsAsThePlainReader) {
    std::mt19937 rng(23);
    auto streamed = std::make_unique<ImageStore>();
    auto plain = std::make_unique<ImageStore>();
    int compared = 0, failed = 0;
    for (int n = 0; n < 400; ++n) {
        const std::string text = RandomText(rng);
        // The reference knows no "//@" lines: those stay plain comments to it.
        if (text.find("//@") != std::string::npos) continue;
        const int first = rng() % 8 == 0 ? 250 : 0;
        EditorState a, b;
        a.currentImage = b.currentImage = first;
        std::string errorA, errorB;
        SourceLoadResult ra, rb;
        try {
            ra = FeedInPieces(*streamed, a, text, rng, 7);
        } catch (const Error& e) {
            errorA = e.text().substr(e.text().find(": ") + 2);
        }
        try {
            rb = PlainLoad(*plain, b, text);
        } catch (const Error& e) {
            errorB = e.text();
        }
        ASSERT_EQ(errorA, errorB) << text;
        if (!errorB.empty()) {
            // The streaming reader put everything back; the plain one keeps
            // what it read, which is taken back here.
            ++failed;
            for (int i = first; i <= b.currentImage; ++i) {
                Image& from = streamed->image(i);
                Image& to = plain->image(i);
                to.desc = from.desc;
                std::memcpy(to.plane.data(), from.plane.data(), kPlaneBytes);
                std::memcpy(to.colmap.data(), from.colmap.data(), kAttributeBytes);
                std::memcpy(to.lummap.data(), from.lummap.data(), kAttributeBytes);
            }
            continue;
        }
        ++compared;
        ASSERT_EQ(ra.sections, rb.sections) << text;
        ASSERT_EQ(ra.values, rb.values) << text;
        ASSERT_EQ(ra.truncated, rb.truncated) << text;
        ASSERT_EQ(a.currentImage, b.currentImage) << text;
        for (int i = first; i <= b.currentImage; ++i)
            ASSERT_EQ(Difference(plain->image(i), streamed->image(i)), "")
                << "image " << i << ": " << text;
    }
    EXPECT_GT(compared, 80);
    EXPECT_GT(failed, 20);
}
