#include <gtest/gtest.h>

#include <climits>

#include "document/colors.h"
#include "document/pixels.h"

using namespace pixolat;

namespace {

// Positions that probe the start, the end and the inside of every plane.
bool ImageLooksUnused(const Image& image) {
    const ImageDescriptor& d = image.desc;
    if (!d.name.empty() || d.width != 0 || d.height != 0 || d.pixelWidth != 0 ||
        d.layout != Layout::Bitmap || d.colorMapKind != ColorMapKind::None || d.color0 != 0 ||
        d.color3 != 0)
        return false;
    for (auto [x, y] : {std::pair{0, 0}, {639, 1023}, {320, 512}, {1, 1022}})
        if (image.plane.at(x, y) != 0) return false;
    for (auto [cx, cy] : {std::pair{0, 0}, {79, 127}, {40, 64}})
        for (int bank = 0; bank < kBanks; ++bank)
            if (image.colmap.at(bank, cx, cy) != 0 || image.lummap.at(bank, cx, cy) != 0)
                return false;
    return true;
}

}  // namespace

TEST(ImageStore, ImagesStartEmptyAndDoNotOverlap) {
    ImageStore store;
    for (int i = 0; i < kImageCount; ++i) EXPECT_TRUE(ImageLooksUnused(store.image(i))) << i;
    EXPECT_TRUE(ImageLooksUnused(store.copyBuffer()));

    // The last byte of every plane of image 1 and of the last image stays theirs.
    for (Image* image : {&store.image(1), &store.image(kLastImage)}) {
        image->plane.at(639, 1023) = 1;
        image->colmap.at(3, 79, 127) = 0xAA;
        image->lummap.at(3, 79, 127) = 0xBB;
        EXPECT_EQ(image->colmap.at(0, 0, 0), 0);
        EXPECT_EQ(image->lummap.at(0, 0, 0), 0);
    }
    EXPECT_TRUE(ImageLooksUnused(store.image(0)));
    EXPECT_TRUE(ImageLooksUnused(store.image(2)));
    EXPECT_TRUE(ImageLooksUnused(store.copyBuffer()));

    // The plane is column-major: the row after the last of a column is the next column.
    Image& image = store.image(3);
    image.plane.at(5, 1023) = 1;
    EXPECT_EQ(image.plane.column(6)[-1], 1);
    EXPECT_EQ(image.plane.column(6)[0], 0);
}

TEST(PixelValues, MulticolorUsesTwoHiresBytesPerPixel) {
    ImageStore store;
    Image& image = store.image(1);
    image.desc.pixelWidth = 2;
    StorePixelValue(image, 10, 4, 2);
    EXPECT_EQ(image.plane.at(10, 4), 1);
    EXPECT_EQ(image.plane.at(11, 4), 0);
    EXPECT_EQ(PixelValueAt(image, 10, 4), 2);
    for (int v = 0; v < 4; ++v) {
        StorePixelValue(image, 638, 1023, v);
        EXPECT_EQ(PixelValueAt(image, 638, 1023), v);
        EXPECT_EQ(image.plane.at(638, 1023), v / 2);
        EXPECT_EQ(image.plane.at(639, 1023), v % 2);
    }

    // Read as hires, the same bytes are two pixels.
    image.desc.pixelWidth = 1;
    EXPECT_EQ(PixelValueAt(image, 10, 4), 1);
    EXPECT_EQ(PixelValueAt(image, 11, 4), 0);
    // A hires write keeps only the low bit and touches one byte.
    StorePixelValue(image, 10, 4, 2);
    EXPECT_EQ(image.plane.at(10, 4), 0);
    StorePixelValue(image, 10, 4, 3);
    EXPECT_EQ(image.plane.at(10, 4), 1);
    EXPECT_EQ(image.plane.at(11, 4), 0);
}

TEST(PixelValues, BankOfFollowsTheColorMapKind) {
    ImageDescriptor desc;
    for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Dfli}) {
        desc.colorMapKind = kind;
        const int expected[16] = {0, 0, 1, 1, 2, 2, 3, 3, 0, 0, 1, 1, 2, 2, 3, 3};
        for (int y = 0; y < 16; ++y) EXPECT_EQ(BankOf(desc, y), expected[y]) << y;
        EXPECT_EQ(BankOf(desc, 1023), 3);
        EXPECT_EQ(BankOf(desc, 1016), 0);
    }
    desc.colorMapKind = ColorMapKind::Normal;
    for (int y : {0, 1, 2, 3, 7, 10, 1023}) EXPECT_EQ(BankOf(desc, y), 0);

    const Cell last = CellIndex(639, 1023);
    EXPECT_EQ(last.column, 79);
    EXPECT_EQ(last.row, 127);
    const Cell inner = CellIndex(15, 8);
    EXPECT_EQ(inner.column, 1);
    EXPECT_EQ(inner.row, 1);
}

TEST(PixelValues, ResetImageColorsChangesOnlyTheColors) {
    ImageStore store;
    Image& image = store.image(7);
    image.desc = {"logo", 100, 50, 2, Layout::Charset, ColorMapKind::Dfli, 5, 6};
    image.plane.at(3, 3) = 1;
    ResetImageColors(image);
    EXPECT_EQ(image.desc.name, "logo");
    EXPECT_EQ(image.desc.layout, Layout::Charset);
    EXPECT_EQ(image.desc.color0, 0);
    EXPECT_EQ(image.desc.color3, 0x71);
    EXPECT_EQ(image.plane.at(3, 3), 1);
    // Every bank shows cell colors $31 and $51, as a fresh image does.
    for (int bank = 0; bank < kBanks; ++bank)
        for (auto [cx, cy] : {std::pair{0, 0}, {79, 127}, {12, 99}}) {
            EXPECT_EQ(CellColor1(image.colmap.at(bank, cx, cy), image.lummap.at(bank, cx, cy)),
                      0x31);
            EXPECT_EQ(CellColor2(image.colmap.at(bank, cx, cy), image.lummap.at(bank, cx, cy)),
                      0x51);
        }
    EXPECT_TRUE(ImageLooksUnused(store.image(6)));
    EXPECT_TRUE(ImageLooksUnused(store.image(8)));
}

TEST(PixelValues, ShrinkingAndRegrowingAnImageKeepsItsPixels) {
    ImageStore store;
    EditorState state;
    SetUpDefaultImage(store);
    Image& image = store.image(0);
    StorePixelValue(image, 300, 10, 1);
    image.desc.width = 160;
    NormalizeCurrentImage(store, state);
    image.desc.width = 320;
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(PixelValueAt(image, 300, 10), 1);
}

class Normalize : public ::testing::Test {
protected:
    ImageStore store;
    EditorState state;
    ImageDescriptor& desc() { return store.image(state.currentImage).desc; }
    void SetCursor(int x, int y) {
        state.cursorX = x;
        state.cursorY = y;
    }
    void SetSelection(int ax, int ay, int ex, int ey) {
        state.selectionAnchorX = ax;
        state.selectionAnchorY = ay;
        state.selectionEndX = ex;
        state.selectionEndY = ey;
    }
};

TEST_F(Normalize, ANeverUsedImageBecomesHiresWithTheCursorOutside) {
    state.currentImage = 5;
    SetCursor(40, 30);
    SetSelection(10, 10, 20, 20);
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(desc().pixelWidth, 1);
    EXPECT_EQ(desc().width, 0);
    EXPECT_EQ(desc().height, 0);
    EXPECT_EQ(state.cursorX, -1);
    EXPECT_EQ(state.cursorY, -1);
    EXPECT_EQ(state.selectionAnchorX, -1);
    EXPECT_EQ(state.selectionAnchorY, -1);
    EXPECT_EQ(state.selectionEndX, -1);
    EXPECT_EQ(state.selectionEndY, -1);
}

// A selection corner on the right half of a multicolor pixel would make
// the selection's redraw pair the wrong columns.
TEST_F(Normalize, AlignsTheSelectionCornersAsTheCursor) {
    desc() = {"", 160, 100, 2, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    SetSelection(163, 5, 7, 99);
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.selectionAnchorX, 158);
    EXPECT_EQ(state.selectionEndX, 6);
    EXPECT_EQ(state.selectionAnchorY, 5);
    EXPECT_EQ(state.selectionEndY, 99);
    desc().width = 0;  // nothing to select: corners outside, not pulled to 0
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.selectionAnchorX, -1);
    EXPECT_EQ(state.selectionEndX, -1);
}

TEST_F(Normalize, AlignsTheCursorAndLimitsTheDrawingValue) {
    desc() = {"", 320, 200, 2, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    SetCursor(7, 5);
    state.currentPixelValue = 3;
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.cursorX, 6);
    EXPECT_EQ(state.currentPixelValue, 3);  // multicolor keeps 3

    desc().pixelWidth = 1;
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.currentPixelValue, 1);
    EXPECT_EQ(state.cursorX, 6);

    desc().pixelWidth = 7;
    SetCursor(9, 5);
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(desc().pixelWidth, 2);
    EXPECT_EQ(state.cursorX, 8);

    desc().pixelWidth = -3;
    state.currentPixelValue = 2;
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(desc().pixelWidth, 1);
    EXPECT_EQ(state.currentPixelValue, 1);
}

TEST_F(Normalize, PullsCursorAndCornersIntoTheImageButRaisesOnlyTheCursor) {
    desc() = {"", 100, 50, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    SetCursor(-4, -9);
    SetSelection(-3, -2, 500, 700);
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.cursorX, 0);
    EXPECT_EQ(state.cursorY, 0);
    EXPECT_EQ(state.selectionAnchorX, -3);
    EXPECT_EQ(state.selectionAnchorY, -2);
    EXPECT_EQ(state.selectionEndX, 99);
    EXPECT_EQ(state.selectionEndY, 49);

    SetCursor(300, 300);
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.cursorX, 99);
    EXPECT_EQ(state.cursorY, 49);
}

TEST_F(Normalize, AMulticolorCursorStaysOnAPixelAtAnOddRightEdge) {
    desc() = {"", 100, 50, 2, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
    SetCursor(300, 10);
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.cursorX, 98);
    EXPECT_EQ(PixelValueAt(store.image(0), state.cursorX, state.cursorY), 0);

    desc().width = 1;  // one half pixel wide: the cursor is still on column 0
    NormalizeCurrentImage(store, state);
    EXPECT_EQ(state.cursorX, 0);
}

TEST_F(Normalize, AnySizeLeavesTheCursorInsideThePlane) {
    const int sizes[] = {INT_MIN, -1, 0, 1, 639, 640, 641, 1023, 1024, 1025, INT_MAX};
    for (int w : sizes)
        for (int h : sizes)
            for (int pw : {INT_MIN, 0, 1, 2, 3, INT_MAX}) {
                desc() = {"", w, h, pw, Layout::Bitmap, ColorMapKind::Dfli, 0, 0};
                SetCursor(INT_MAX - 1, INT_MAX);
                SetSelection(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
                NormalizeCurrentImage(store, state);
                const ImageDescriptor& d = desc();
                ASSERT_TRUE(d.width >= 0 && d.width <= kPlaneWidth) << w;
                ASSERT_TRUE(d.height >= 0 && d.height <= kPlaneHeight) << h;
                ASSERT_TRUE(d.pixelWidth == 1 || d.pixelWidth == 2) << pw;
                ASSERT_EQ(state.cursorX,
                          d.width == 0 ? -1 : (d.width - 1) / d.pixelWidth * d.pixelWidth);
                ASSERT_EQ(state.cursorY, d.height - 1);
                ASSERT_LE(state.selectionAnchorX, d.width - 1);
                ASSERT_LE(state.selectionAnchorY, d.height - 1);
                ASSERT_EQ(state.selectionEndX, INT_MIN);
                // The cursor's pixel is readable without leaving the plane.
                if (state.cursorX >= 0 && state.cursorY >= 0)
                    (void)PixelValueAt(store.image(0), state.cursorX, state.cursorY);
            }
}
