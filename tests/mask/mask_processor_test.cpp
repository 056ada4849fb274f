#include "mask/mask_processor.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include "document/errors.h"
#include "support/scripted_platform.h"

using namespace pixolat;

namespace {

constexpr int kKeyD = 68, kKeypadPlus = 107, kKeypadMinus = 109;
constexpr const char* kOutput = "mask.bmp.NEW.BMP";

// A window whose event processing can run a step of the test, as a click
// arriving while an operation is under way would.
struct CaptionLog : MaskProcessorView {
    std::vector<std::string> captions;
    std::function<void()> onEvents;
    int pendingEventRuns = 0;
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    void ProcessPendingEvents() override {
        ++pendingEventRuns;
        if (onEvents) onEvents();
    }
    std::string last() const { return captions.empty() ? std::string() : captions.back(); }
    std::vector<std::string> warnings;
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
};

// A platform whose bitmap saving can be made to fail.
struct SaveFailingPlatform : pixolat::testing::ScriptedPlatform {
    bool failSaving = false;
    void SavePictureAsBitmap(const std::string& path, const Picture& picture) override {
        if (failSaving) throw Error("Cannot write file \"" + path + "\".");
        ScriptedPlatform::SavePictureAsBitmap(path, picture);
    }
};

uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

// A picture given row by row.
Picture Rows(std::initializer_list<std::initializer_list<uint32_t>> rows) {
    Picture picture;
    picture.height = int(rows.size());
    picture.width = int(rows.begin()->size());
    for (const auto& row : rows) picture.pixels.insert(picture.pixels.end(), row);
    return picture;
}

Picture Sized(int width, int height, uint32_t color) {
    return Picture{width, height,
                   std::vector<uint32_t>(std::size_t(width) * std::size_t(height), color)};
}

// A pattern one row high whose pixels have these reds (green and blue set
// differently, so only red may decide the level).
Picture RedRow(std::initializer_list<int> reds) {
    Picture picture{int(reds.size()), 1, {}};
    for (int red : reds) picture.pixels.push_back(Rgb(red, 255 - red, 77));
    return picture;
}

const uint32_t kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255),
               kWhite = Rgb(255, 255, 255);

class MaskProcessorTest : public ::testing::Test {
protected:
    SaveFailingPlatform platform;
    CaptionLog view;
    MaskProcessor processor{platform, view};

    void PreProcess(const Picture& mask) {
        platform.pictures["mask.bmp"] = mask;
        processor.PreProcess("mask.bmp");
    }
    void Patterns(const Picture& pattern1, const Picture& pattern2) {
        platform.pictures["p1.bmp"] = pattern1;
        platform.pictures["p2.bmp"] = pattern2;
    }
    void Process() { processor.Process("mask.bmp", "p1.bmp", "p2.bmp"); }
    bool Saved() const { return platform.savedBitmaps.count(kOutput) > 0; }
    // The saved output's greys row by row; every pixel must be a grey.
    std::vector<std::vector<int>> OutputGreys() {
        std::vector<std::vector<int>> greys;
        const auto it = platform.savedBitmaps.find(kOutput);
        if (it == platform.savedBitmaps.end()) return greys;
        const Picture& out = it->second;
        for (int y = 0; y < out.height; ++y) {
            greys.emplace_back();
            for (int x = 0; x < out.width; ++x) {
                const uint32_t c = out.at(x, y);
                EXPECT_EQ(c, (c & 0xFF) * 0x010101u) << "not a grey at " << x << "," << y;
                greys.back().push_back(int(c & 0xFF));
            }
        }
        return greys;
    }
    void Keys(int row, int column, std::initializer_list<int> keys) {
        for (int key : keys) EXPECT_TRUE(processor.GridKeyDown(row, column, key)) << key;
    }
    std::vector<std::string> GridRow(int row) {
        return {processor.GridCell(row, 0), processor.GridCell(row, 1), processor.GridCell(row, 2)};
    }
};

using Row = std::vector<std::string>;
using Greys = std::vector<std::vector<int>>;

TEST_F(MaskProcessorTest, PreProcessListsColorsInFirstSeenOrderAndReportsEveryRow) {
    const uint32_t a = Rgb(10, 20, 30), b = Rgb(200, 0, 1), c = kWhite, d = Rgb(1, 2, 3);
    PreProcess(Rows({{a, b, a}, {c, a, b}, {c, c, d}}));
    ASSERT_EQ(processor.GridRowCount(), 5);
    EXPECT_EQ(GridRow(0), Row({"", "", ""}));
    EXPECT_EQ(GridRow(1), Row({std::to_string(a), "Color", "0"}));
    EXPECT_EQ(GridRow(2), Row({"65736", "Color", "0"}));
    EXPECT_EQ(GridRow(3), Row({"16777215", "Color", "0"}));
    EXPECT_EQ(GridRow(4), Row({std::to_string(d), "Color", "0"}));
    EXPECT_EQ(view.captions, (Row{"0/3", "1/3", "2/3", "Ready to process"}));
    EXPECT_EQ(view.pendingEventRuns, 3);

    // Every color left at Color with offset 0 renders black, at the mask's size.
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    view.captions.clear();
    Process();
    EXPECT_EQ(OutputGreys(), Greys(3, std::vector<int>(3, 0)));
    EXPECT_EQ(view.captions, (Row{"0/3", "1/3", "2/3", "Finished!"}));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MaskProcessorTest, PatternRedDecidesTheLevelAtEachBoundary) {
    PreProcess(Sized(8, 1, kBlue));
    const Picture reds = RedRow({0, 41, 42, 119, 120, 199, 200, 255});
    Patterns(reds, RedRow({255, 200, 199, 120, 119, 42, 41, 0}));

    Keys(1, 1, {'1'});
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0, 0, 84, 84, 168, 168, 255, 255}}));

    Keys(1, 1, {'2'});
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{255, 255, 168, 168, 84, 84, 0, 0}}));

    // The offset moves a pattern's levels and the result is clamped afterwards.
    Keys(1, 1, {'1'});
    Keys(1, 2, {'A'});
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0, 0, 0, 0, 84, 84, 168, 168}}));
    Keys(1, 2, {'1'});
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{84, 84, 168, 168, 255, 255, 255, 255}}));
}

// As the help says: the color's own shade plays no part (#808080 at offset 0
// is black, white at +1 the darker grey).
TEST_F(MaskProcessorTest, ColorRoleTakesItsLevelFromTheOffsetAlone) {
    const uint32_t colors[] = {0x808080, 0xFFFFFF, 3, 4, 5, 6, 7};
    PreProcess(
        Rows({{colors[0], colors[1], colors[2], colors[3], colors[4], colors[5], colors[6]}}));
    ASSERT_EQ(processor.GridRowCount(), 8);
    Keys(2, 2, {'1'});
    Keys(3, 2, {'2'});
    Keys(4, 2, {'3'});
    Keys(5, 2, {'3', kKeypadPlus, kKeypadPlus});  // +5
    Keys(6, 2, {'A'});                            // -1
    // Offsets are kept beyond the levels: +5 minus 3 is 2, not 0.
    Keys(7, 2, {'3', kKeypadPlus, kKeypadPlus, kKeypadMinus, kKeypadMinus, kKeypadMinus});
    EXPECT_EQ(processor.GridCell(5, 2), "5");
    EXPECT_EQ(processor.GridCell(6, 2), "-1");
    EXPECT_EQ(processor.GridCell(7, 2), "2");
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0, 84, 168, 255, 255, 0, 168}}));
}

TEST_F(MaskProcessorTest, SmallerPatternsAreTiledFromTheTopLeftCorner) {
    const uint32_t a = kRed, b = kGreen;
    PreProcess(Rows({{a, a, a, b, b}, {a, a, a, b, b}, {a, a, a, b, b}}));
    Patterns(Rows({{Rgb(0, 9, 9), Rgb(255, 0, 0)}, {Rgb(120, 0, 0), Rgb(42, 0, 0)}}),
             RedRow({200, 50, 0}));
    Keys(1, 1, {'1'});
    Keys(2, 1, {'2'});
    Process();
    EXPECT_EQ(OutputGreys(),
              Greys({{0, 255, 0, 255, 84}, {168, 84, 168, 255, 84}, {0, 255, 0, 255, 84}}));
}

TEST_F(MaskProcessorTest, LongRunsAndSingleDotsKeepTheirColors) {
    // Runs longer and shorter than the eight pixels compared at a time, with
    // changes at every position inside such a group.
    const std::string row = "AAAAAAAAAAAAAAAAAAAABAAAAAAAAACCCCCCCCDDDAAAAAAAAAAAAAAAABCDCD";
    const uint32_t colors[] = {kRed, kGreen, kBlue, kWhite};
    Picture mask{int(row.size()), 2, {}};
    for (int y = 0; y < 2; ++y)
        for (char c : row) mask.pixels.push_back(colors[c - 'A']);
    PreProcess(mask);
    ASSERT_EQ(processor.GridRowCount(), 5);
    Keys(2, 2, {'1'});
    Keys(3, 2, {'2'});
    Keys(4, 2, {'3'});
    Patterns(Sized(1, 1, 0), Sized(1, 1, 0));
    Process();
    std::vector<int> expected;
    for (char c : row) expected.push_back(LevelToGrey(c - 'A'));
    EXPECT_EQ(OutputGreys(), Greys({expected, expected}));
}

TEST_F(MaskProcessorTest, SecondPreProcessStartsFromAnEmptyTable) {
    PreProcess(Rows({{kRed, kGreen, kBlue}}));
    Keys(2, 1, {'1'});
    Keys(2, 2, {'3'});
    Keys(3, 2, {'3'});
    // A single-color mask: one row, and with Color at offset 0 a black picture.
    PreProcess(Sized(3, 2, kGreen));
    ASSERT_EQ(processor.GridRowCount(), 2);
    EXPECT_EQ(GridRow(1), Row({std::to_string(kGreen), "Color", "0"}));
    EXPECT_EQ(processor.GridCell(2, 0), "");
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0, 0, 0}, {0, 0, 0}}));
}

TEST_F(MaskProcessorTest, GridKeysEditRoleAndOffsetOfTheCurrentRow) {
    PreProcess(Rows({{kRed, kGreen}}));
    const std::pair<int, const char*> roleKeys[] = {{'1', "Mask1"}, {'2', "Mask2"}, {'C', "Color"}};
    for (const auto& [key, word] : roleKeys) {
        Keys(2, 1, {key});
        EXPECT_EQ(GridRow(2), Row({std::to_string(kGreen), word, "0"}));
        EXPECT_EQ(int(processor.table()[1].role), key == 'C' ? 2 : key - '1');
    }
    const struct {
        int key;
        const char* text;
        int offset;
    } offsetKeys[] = {{'1', "+1", 1},  {'2', "+2", 2},  {'3', "+3", 3}, {'0', "0", 0},
                      {'A', "-1", -1}, {'B', "-2", -2}, {'C', "-3", -3}};
    for (const auto& [key, text, offset] : offsetKeys) {
        Keys(2, 2, {key});
        EXPECT_EQ(processor.GridCell(2, 2), text);
        EXPECT_EQ(processor.table()[1].levelOffset, offset);
    }
    Keys(2, 2, {kKeypadPlus});
    EXPECT_EQ(processor.GridCell(2, 2), "-2");
    Keys(2, 2, {kKeypadMinus, kKeypadMinus});
    EXPECT_EQ(processor.GridCell(2, 2), "-4");
    EXPECT_EQ(processor.table()[1].levelOffset, -4);
    EXPECT_EQ(view.last(), "Ready to process");

    // Other keys in the role and offset columns show their code and pass on.
    EXPECT_FALSE(processor.GridKeyDown(2, 1, kKeyD));
    EXPECT_EQ(view.last(), "68");
    EXPECT_FALSE(processor.GridKeyDown(2, 2, 39));
    EXPECT_EQ(view.last(), "39");
    EXPECT_FALSE(processor.GridKeyDown(2, 1, kKeypadPlus));
    EXPECT_EQ(view.last(), "107");
    EXPECT_EQ(GridRow(2), Row({std::to_string(kGreen), "Color", "-4"}));
    // The color column and the header row take no edits.
    view.captions.clear();
    EXPECT_FALSE(processor.GridKeyDown(2, 0, '1'));
    EXPECT_FALSE(processor.GridKeyDown(2, 0, kKeyD));
    EXPECT_FALSE(processor.GridKeyDown(0, 1, '1'));
    EXPECT_TRUE(view.captions.empty());
    EXPECT_EQ(GridRow(0), Row({"", "", ""}));
    EXPECT_EQ(GridRow(1), Row({"255", "Color", "0"}));
    EXPECT_EQ(GridRow(2), Row({std::to_string(kGreen), "Color", "-4"}));
}

TEST_F(MaskProcessorTest, KeysBeforeAnyMaskChangeNothing) {
    EXPECT_EQ(processor.GridRowCount(), 2);
    EXPECT_FALSE(processor.GridKeyDown(1, 1, '1'));
    EXPECT_FALSE(processor.GridKeyDown(1, 2, kKeypadPlus));
    EXPECT_EQ(GridRow(1), Row({"", "", ""}));
}

TEST_F(MaskProcessorTest, MasksBeyondTheTableOrTheMapAreRefusedWhole) {
    Picture many{257, 1, {}};
    for (uint32_t i = 0; i < 257; ++i) many.pixels.push_back(i * 40503u & 0xFFFFFF);
    PreProcess(Rows({{kRed, kGreen}}));
    PreProcess(many);
    EXPECT_EQ(view.last(), "The mask has more than 256 colors");
    EXPECT_EQ(processor.GridRowCount(), 2);
    EXPECT_EQ(GridRow(1), Row({"", "", ""}));
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    Process();
    EXPECT_EQ(view.last(), "Pre-process a mask first");
    EXPECT_FALSE(Saved());

    many.width = 256;
    many.pixels.pop_back();
    PreProcess(many);
    EXPECT_EQ(view.last(), "Ready to process");
    ASSERT_EQ(processor.GridRowCount(), 257);
    EXPECT_EQ(processor.GridCell(256, 0), std::to_string(255u * 40503u & 0xFFFFFF));

    for (const Picture& large : {Sized(16002, 1, kRed), Sized(1, 1025, kRed)}) {
        PreProcess(large);
        EXPECT_EQ(view.last(), "The mask is larger than 16001 x 1024 pixels");
        EXPECT_EQ(processor.GridRowCount(), 2);
        EXPECT_FALSE(processor.HasMask());
    }
    for (const Picture& largest : {Sized(16001, 1, kRed), Sized(1, 1024, kRed)}) {
        PreProcess(largest);
        EXPECT_EQ(view.last(), "Ready to process");
    }
    PreProcess(Picture{});
    EXPECT_EQ(view.last(), "The mask has no pixels");
    EXPECT_FALSE(processor.HasMask());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MaskProcessorTest, ProcessWithoutAMaskAsksForPreProcessFirst) {
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    platform.pictures["mask.bmp"] = Sized(2, 2, kRed);
    Process();
    EXPECT_EQ(view.captions, Row{"Pre-process a mask first"});
    EXPECT_FALSE(Saved());
    EXPECT_EQ(view.pendingEventRuns, 0);
}

TEST_F(MaskProcessorTest, AnEmptyPatternIsRefusedOnlyWhenAColorUsesIt) {
    PreProcess(Rows({{kRed, kGreen}}));
    Patterns(Sized(0, 0, 0), Sized(1, 1, kWhite));
    Keys(2, 1, {'2'});
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0, 255}}));
    platform.savedBitmaps.clear();
    Keys(1, 1, {'1'});
    Process();
    EXPECT_EQ(view.last(), "Pattern 1 has no pixels");
    EXPECT_FALSE(Saved());
}

TEST_F(MaskProcessorTest, LoadAndSaveFailuresStopWithTheLastProgressCaption) {
    PreProcess(Rows({{kRed}, {kGreen}}));
    Keys(2, 2, {'3'});
    EXPECT_THROW(processor.PreProcess("missing.bmp"), Error);
    // The failed load changed nothing: the table and its edits are still there.
    EXPECT_EQ(view.last(), "Ready to process");
    EXPECT_EQ(GridRow(2), Row({std::to_string(kGreen), "Color", "+3"}));

    platform.pictures["p1.bmp"] = Sized(1, 1, kWhite);
    EXPECT_THROW(Process(), Error);
    EXPECT_EQ(view.last(), "Ready to process");
    EXPECT_FALSE(Saved());

    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    platform.failSaving = true;
    EXPECT_THROW(Process(), Error);
    EXPECT_EQ(view.last(), "1/2");
    EXPECT_FALSE(Saved());

    // A picture whose pixels do not cover its size counts as unreadable.
    platform.failSaving = false;
    platform.pictures["p2.bmp"] = Picture{4, 4, std::vector<uint32_t>(3, kWhite)};
    EXPECT_THROW(Process(), Error);
    EXPECT_FALSE(Saved());
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0}, {255}}));
}

TEST_F(MaskProcessorTest, ClicksAndKeysDuringAnOperationAreTurnedAway) {
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    platform.pictures["other.bmp"] = Sized(5, 5, kBlue);
    view.onEvents = [&] {
        processor.PreProcess("other.bmp");
        processor.Process("mask.bmp", "p1.bmp", "p2.bmp");
        EXPECT_FALSE(processor.GridKeyDown(1, 2, '3'));
    };
    PreProcess(Rows({{kRed, kGreen}, {kGreen, kGreen}}));
    EXPECT_EQ(processor.GridRowCount(), 3);
    EXPECT_EQ(GridRow(1), Row({"255", "Color", "0"}));
    EXPECT_FALSE(Saved());
    Process();
    EXPECT_EQ(OutputGreys(), Greys({{0, 0}, {0, 0}}));
    EXPECT_EQ(view.last(), "Finished!");
    EXPECT_EQ(platform.savedBitmaps.size(), 1u);
}

TEST_F(MaskProcessorTest, ClosingTheWindowMidwayKeepsNoHalfResult) {
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    PreProcess(Sized(2, 3, kRed));
    view.onEvents = [&] { processor.Cancel(); };
    Process();
    EXPECT_FALSE(Saved());
    EXPECT_NE(view.last(), "Finished!");
    PreProcess(Sized(2, 3, kGreen));
    EXPECT_FALSE(processor.HasMask());
    EXPECT_EQ(GridRow(1), Row({"", "", ""}));
    view.onEvents = nullptr;
    Process();
    EXPECT_EQ(view.last(), "Pre-process a mask first");
}

TEST_F(MaskProcessorTest, APictureReadFromACutFileIsUsedAndTheUserTold) {
    Picture mask = Sized(2, 2, kRed);
    mask.damage = "Picture \"mask.bmp\" is cut short: 10 of 70 bytes.";
    PreProcess(mask);
    EXPECT_EQ(view.warnings, Row{mask.damage});
    EXPECT_EQ(view.last(), "Ready to process");
    Picture pattern = Sized(1, 1, kWhite);
    pattern.damage = "Picture \"p2.bmp\" may be damaged: bad row.";
    Patterns(Sized(1, 1, kWhite), pattern);
    Process();
    EXPECT_EQ(view.warnings, (Row{mask.damage, pattern.damage}));
    EXPECT_EQ(view.last(), "Finished!");
    // Whole files say nothing.
    Patterns(Sized(1, 1, kWhite), Sized(1, 1, kWhite));
    Process();
    EXPECT_EQ(view.warnings.size(), 2u);
}

}  // namespace
