// Source text that is not what the writer makes: random bytes, random
// mixtures of the format's own words, and a very long paste.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "document/errors.h"
#include "document/pixels.h"
#include "formats/source_text.h"

using namespace pixolat;

namespace {

// Loads the text and checks that the store stayed within its bounds: either
// the conversion error or a result, every size inside the plane.
void LoadAnything(ImageStore& store, int start, const std::string& text) {
    EditorState state;
    state.currentImage = start;
    try {
        const SourceLoadResult result = LoadSourceText(store, state, text);
        EXPECT_LE(result.sections, kImageCount - start);
    } catch (const Error& e) {
        // The three characters may hold a NUL, which ends what() early.
        const std::string message = e.what();
        EXPECT_TRUE(message.size() < 4 || message.ends_with("' is not a valid integer value"))
            << message;
    }
    ASSERT_GE(state.currentImage, start);
    ASSERT_LE(state.currentImage, kLastImage);
    for (int i = start; i <= state.currentImage; ++i) {
        const ImageDescriptor& d = store.image(i).desc;
        ASSERT_TRUE(d.width >= 0 && d.width <= kPlaneWidth) << d.width;
        ASSERT_TRUE(d.height >= 0 && d.height <= kPlaneHeight) << d.height;
    }
}

}  // namespace

TEST(SourceTextBadInput, RandomBytesAndRandomWordsNeverLeaveTheStore) {
    auto store = std::make_unique<ImageStore>();
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::size_t> sizes;
    for (std::size_t n = 0; n <= 300; ++n) sizes.push_back(n);
    for (int i = 0; i < 20; ++i) sizes.push_back(std::size_t(rng() % 20001));
    for (std::size_t size : sizes) {
        std::string text(size, '\0');
        for (char& c : text) c = char(byte(rng));
        LoadAnything(*store, size % 2 ? 0 : 250, text);
    }

    static const char* const kWords[] = {"DB ",
                                         "db ",
                                         "\tDB ",
                                         "$FF",
                                         "$00",
                                         "$7",
                                         "255",
                                         "-$10",
                                         "999",
                                         ",",
                                         ",",
                                         ",",
                                         "\r\n",
                                         "\n",
                                         "\r\n",
                                         "; ",
                                         "Pic",
                                         "logo ",
                                         "*",
                                         "320*200",
                                         "640*1024",
                                         "99999*99999",
                                         "0*0",
                                         "7*9",
                                         " h",
                                         " m",
                                         " none",
                                         " dfli",
                                         " charset",
                                         " 2x2charset",
                                         " colmap/lummap",
                                         "//",
                                         " ",
                                         "\t",
                                         "\xA0"};
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int words = int(rng() % 3000);
        for (int i = 0; i < words; ++i) text += kWords[word(rng)];
        LoadAnything(*store, round % 3 == 0 ? 254 : 0, text);
    }
}

TEST(SourceTextBadInput, AFiftyMegabytePasteFillsThePlaneAndStopsAtItsEdge) {
    auto store = std::make_unique<ImageStore>();
    Image& next = store->image(1);
    next.plane.at(0, 0) = 1;
    std::string text = "Big; 640*1000 h none\r\n";
    const std::string line = "\tDB $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF\r\n";
    text.reserve(50u << 20);
    while (text.size() + line.size() <= (50u << 20)) text += line;
    EditorState state;
    const SourceLoadResult result = LoadSourceText(*store, state, text);
    EXPECT_EQ(result.sections, 1);
    EXPECT_EQ(state.currentImage, 0);
    const Image& big = store->image(0);
    EXPECT_EQ(big.plane.at(0, 0), 1);
    EXPECT_EQ(big.plane.at(639, 1023), 1);  // the cells below the image, to the plane's edge
    EXPECT_EQ(next.plane.at(0, 0), 1);
    EXPECT_EQ(next.plane.at(1, 0), 0);  // nothing ran on into the next image
}
