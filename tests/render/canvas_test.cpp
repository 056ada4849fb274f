#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <utility>
#include <vector>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

class CanvasTest : public ViewTest {
protected:
    void SetUp() override { ResizeView(400, 300); }
    uint32_t At(int x, int y) { return view().at(x, y); }
    // Moves the cursor off the blocks a test looks at.
    void ParkCursor() {
        state().cursorX = image().desc.width - PixelWidthOf(image().desc);
        state().cursorY = image().desc.height - 1;
    }
};

TEST_F(CanvasTest, DefaultImageAtZoomTenShowsCornerDotsAndTheCursor) {
    ASSERT_EQ(editor.view().zoom, 10);
    ASSERT_EQ(editor.view().gridSetting, GridSetting::CornerDots);
    const uint32_t paper = Color(0x51);
    // Block (0, 0) carries the cursor: ring inset 2, fill inset 3.
    EXPECT_EQ(At(1, 1), paper);
    EXPECT_EQ(At(2, 2), kCursorRing);
    EXPECT_EQ(At(7, 2), kCursorRing);
    EXPECT_EQ(At(3, 3), kCursorFill);
    EXPECT_EQ(At(6, 6), kCursorFill);
    EXPECT_EQ(At(8, 8), paper);
    // Dots: white on cell borders (x or y a multiple of 8), grey elsewhere.
    EXPECT_EQ(At(10, 0), kCellDot);
    EXPECT_EQ(At(10, 10), kPixelDot);
    EXPECT_EQ(At(80, 10), kCellDot);
    EXPECT_EQ(At(10, 80), kCellDot);
    EXPECT_EQ(At(11, 11), paper);
    EXPECT_EQ(platform.statusTexts[0], "0,0");
    EXPECT_EQ(platform.statusTexts[1], "0 $51");
}

TEST_F(CanvasTest, EachGridSettingSpacesTheBlocks) {
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    ParkCursor();
    image().plane.at(8, 0) = 1;  // block 8 shows cell color 1
    image().plane.at(0, 8) = 1;  // and so does block row 8
    const uint32_t paper = Color(0x51), ink = Color(0x31);
    struct Case {
        GridSetting grid;
        int block8X;  // view x of block column 8
        int block1X;  // view x of block column 1
        int block8Y;  // view y of block row 8
    };
    for (Case c :
         {Case{GridSetting::PixelAndCellLines, 41, 5, 41}, Case{GridSetting::PixelLines, 40, 5, 40},
          Case{GridSetting::CellLines, 33, 4, 33}, Case{GridSetting::CornerDots, 32, 4, 32},
          Case{GridSetting::NoGrid, 32, 4, 32}}) {
        SCOPED_TRACE(int(c.grid));
        SetZoomAndGrid(4, c.grid);
        EXPECT_EQ(At(c.block8X + 1, 1), ink);
        EXPECT_EQ(At(c.block8X - 1, 1), c.block8X > 32 ? kViewBackground : paper);
        EXPECT_EQ(At(c.block1X + 1, 1), paper);
        EXPECT_EQ(At(c.block1X - 1, 1), c.block1X > 4 ? kViewBackground : paper);
        EXPECT_EQ(At(1, c.block8Y + 1), ink);
        EXPECT_EQ(At(1, c.block8Y - 1), c.block8Y > 32 ? kViewBackground : paper);
        EXPECT_EQ(At(c.block1X, 0), c.grid == GridSetting::CornerDots ? kCellDot : paper);
        EXPECT_EQ(At(c.block1X, c.block1X), c.grid == GridSetting::CornerDots ? kPixelDot : paper);
    }
}

TEST_F(CanvasTest, AtZoomOneEveryGridGivesTheSamePicture) {
    MakeImage(320, 200, 2, ColorMapKind::Dfli);
    image().plane.at(6, 3) = 1;
    SetZoomAndGrid(1, GridSetting::PixelAndCellLines);
    const std::vector<uint32_t> first = view().pixels;
    EXPECT_EQ(At(6, 3), Color(0x51));  // multicolor value 2: cell color 2
    EXPECT_EQ(At(7, 3), Color(0x51));
    EXPECT_EQ(At(320, 3), kViewBackground);
    for (int grid = 1; grid <= 4; ++grid) {
        SetZoomAndGrid(1, GridSetting(grid));
        EXPECT_EQ(view().pixels, first) << grid;
    }
    // Zoom 2: no dots yet; pixel lines put hires blocks 3 apart.
    MakeImage(320, 200, 1, ColorMapKind::Normal);
    ParkCursor();
    SetZoomAndGrid(2, GridSetting::CornerDots);
    EXPECT_EQ(At(0, 0), Color(0x51));
    SetZoomAndGrid(2, GridSetting::PixelLines);
    EXPECT_EQ(At(1, 1), Color(0x51));
    EXPECT_EQ(At(2, 1), kViewBackground);
    EXPECT_EQ(At(3, 1), Color(0x51));
}

TEST_F(CanvasTest, ColorMapKindsChooseBanksAndGrid) {
    // A "none" image takes each row pair's colors from its own bank but
    // draws dots and lines on 8-row cells; DFLI draws them on row pairs.
    for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Dfli, ColorMapKind::Normal}) {
        SCOPED_TRACE(int(kind));
        MakeImage(64, 64, 1, kind);
        ParkCursor();
        for (int bank = 0; bank < 4; ++bank)
            image().lummap.at(bank, 0, 0) = uint8_t(0x03 + 0x10 * bank);
        SetZoomAndGrid(4, GridSetting::CornerDots);
        const bool normal = kind == ColorMapKind::Normal;
        for (int y = 0; y < 8; ++y)
            EXPECT_EQ(At(1, 4 * y + 1), Color(normal ? 0x01 : 0x01 + 0x10 * (y / 2))) << y;
        const bool dfli = kind == ColorMapKind::Dfli;
        EXPECT_EQ(At(4, 8), dfli ? kCellDot : kPixelDot);  // block (1, 2)
        EXPECT_EQ(At(4, 12), kPixelDot);                   // block (1, 3)
        SetZoomAndGrid(4, GridSetting::CellLines);
        EXPECT_EQ(At(1, 8), dfli ? kViewBackground : Color(normal ? 0x01 : 0x11));
    }
}

TEST_F(CanvasTest, CursorMarkRingsDependOnZoom) {
    MakeImage(64, 64, 1, ColorMapKind::Normal);
    state().cursorX = 1;
    state().cursorY = 0;
    const uint32_t paper = Color(0x51);
    SetZoomAndGrid(4, GridSetting::NoGrid);  // no ring, whole block filled
    EXPECT_EQ(At(4, 0), kCursorFill);
    EXPECT_EQ(At(7, 3), kCursorFill);
    EXPECT_EQ(At(8, 0), paper);
    SetZoomAndGrid(5, GridSetting::NoGrid);  // fill inset 1
    EXPECT_EQ(At(5, 0), paper);
    EXPECT_EQ(At(6, 1), kCursorFill);
    SetZoomAndGrid(6, GridSetting::NoGrid);  // ring inset 1, fill inset 2
    EXPECT_EQ(At(6, 0), paper);
    EXPECT_EQ(At(7, 1), kCursorRing);
    EXPECT_EQ(At(10, 4), kCursorRing);
    EXPECT_EQ(At(8, 2), kCursorFill);
    EXPECT_EQ(At(11, 5), paper);
    state().cursorX = 0;
    SetZoomAndGrid(64, GridSetting::NoGrid);  // ring inset 12, fill inset 13
    EXPECT_EQ(At(11, 11), paper);
    EXPECT_EQ(At(12, 12), kCursorRing);
    EXPECT_EQ(At(51, 30), kCursorRing);
    EXPECT_EQ(At(13, 13), kCursorFill);
    EXPECT_EQ(At(50, 50), kCursorFill);
    EXPECT_EQ(At(52, 52), paper);
}

TEST_F(CanvasTest, StatusPanelsFollowTheCursor) {
    MakeImage(64, 64, 2, ColorMapKind::Normal);
    StorePixelValue(image(), 10, 7, 1);
    state().cursorX = 10;
    state().cursorY = 7;
    editor.viewArea().FullRedraw();
    EXPECT_EQ(editor.statusText(0), "5,7");
    EXPECT_EQ(editor.statusText(1), "1 $31");
    MakeImage(0, 0, 1, ColorMapKind::Normal);
    editor.viewArea().FullRedraw();
    EXPECT_EQ(editor.statusText(0), "undefined");
    EXPECT_EQ(editor.statusText(1), "empty");  // why there is no position
}

TEST_F(CanvasTest, SelectionOutlineEnclosesTheBlocksAndTogglesAway) {
    MakeImage(64, 64, 1, ColorMapKind::Normal);
    ParkCursor();
    SetZoomAndGrid(4, GridSetting::NoGrid);
    const std::vector<uint32_t> plain = view().pixels;
    state().selectionActive = true;
    state().selectionAnchorX = 2;
    state().selectionAnchorY = 2;
    state().selectionEndX = 1;
    state().selectionEndY = 1;
    editor.viewArea().ToggleSelectionOutline();
    const uint32_t xored = Color(0x51) ^ kSelectionXorMask;
    for (int i = 4; i <= 12; ++i) {
        EXPECT_EQ(At(4, i), xored);
        EXPECT_EQ(At(12, i), xored);  // just outside the last block
        EXPECT_EQ(At(i, 4), xored);
        EXPECT_EQ(At(i, 12), xored);
    }
    EXPECT_EQ(At(8, 8), Color(0x51));
    EXPECT_EQ(At(13, 12), Color(0x51));
    EXPECT_EQ(At(3, 4), Color(0x51));
    editor.viewArea().ToggleSelectionOutline();
    EXPECT_EQ(view().pixels, plain);

    // A wider pen is as wide on all four sides; at zoom 64, partly outside
    // the view, it also comes off again.
    for (int zoom : {10, 23, 64}) {
        SetZoomAndGrid(zoom, GridSetting::PixelAndCellLines);
        const std::vector<uint32_t> drawn = view().pixels;
        editor.viewArea().ToggleSelectionOutline();
        if (zoom < 64) {
            // The runs of changed pixels across the middle of the selection.
            const int mid = zoom * 2, pen = zoom / 5;
            std::vector<int> across, down;
            for (int i = 0, run = 0; i < view().width; ++i) {
                const bool changed =
                    view().at(i, mid) != drawn[std::size_t(mid * view().width + i)];
                if (changed) ++run;
                if (!changed && run) across.push_back(std::exchange(run, 0));
            }
            for (int i = 0, run = 0; i < view().height; ++i) {
                const bool changed =
                    view().at(mid, i) != drawn[std::size_t(i * view().width + mid)];
                if (changed) ++run;
                if (!changed && run) down.push_back(std::exchange(run, 0));
            }
            EXPECT_EQ(across, (std::vector<int>{pen, pen})) << zoom;
            EXPECT_EQ(down, (std::vector<int>{pen, pen})) << zoom;
        }
        EXPECT_NE(view().pixels, drawn);
        editor.viewArea().ToggleSelectionOutline();
        EXPECT_EQ(view().pixels, drawn) << zoom;
    }
}

TEST_F(CanvasTest, PreviewShowsTheImageOneToOne) {
    MakeImage(330, 210, 2, ColorMapKind::Normal);
    StorePixelValue(image(), 4, 1, 3);
    editor.viewArea().FullRedraw();
    const RgbBuffer& preview = editor.view().preview;
    ASSERT_EQ(preview.width, 320);
    ASSERT_EQ(preview.height, 200);
    EXPECT_EQ(preview.at(4, 1), Color(0x71));  // color3, two pixels wide
    EXPECT_EQ(preview.at(5, 1), Color(0x71));
    EXPECT_EQ(preview.at(6, 1), Color(0x00));  // color0
    EXPECT_EQ(preview.at(319, 199), Color(0x00));
    MakeImage(100, 50, 1, ColorMapKind::Normal);
    editor.viewArea().FullRedraw();
    EXPECT_EQ(preview.at(99, 49), Color(0x51));
    EXPECT_EQ(preview.at(100, 49), kViewBackground);
    EXPECT_EQ(preview.at(99, 50), kViewBackground);
}

// Every preview pixel shows the color its image pixel has, for random
// pictures and attributes, stray plane bytes included.
TEST_F(CanvasTest, PreviewShowsEachPixelsColorCode) {
    std::mt19937 random(11);
    for (int pw = 1; pw <= 2; ++pw)
        for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Normal, ColorMapKind::Dfli}) {
            MakeImage(300, 190, pw, kind);
            image().desc.color0 = 0x24;
            for (int x = 0; x < 300; ++x)
                for (int y = 0; y < 190; ++y)
                    image().plane.at(x, y) = uint8_t(random() % 50 == 0 ? random() : random() & 1);
            for (std::size_t i = 0; i < kAttributeBytes; ++i) {
                image().colmap.data()[i] = uint8_t(random());
                image().lummap.data()[i] = uint8_t(random());
            }
            editor.viewArea().FullRedraw();
            const RgbBuffer& preview = editor.view().preview;
            int wrong = 0;
            for (int y = 0; y < 190; ++y)
                for (int x = 0; x < 300; ++x)
                    if (preview.at(x, y) != Color(ColorCodeAt(image(), x / pw * pw, y))) ++wrong;
            EXPECT_EQ(wrong, 0) << pw << " " << int(kind);
            // At zoom 1 the view shows the same pixels.
            SetZoomAndGrid(1, GridSetting::CornerDots);
            for (int y = 1; y < 190; ++y)
                for (int x = 2; x < 300; ++x)
                    if (view().at(x, y) != preview.at(x, y)) ++wrong;
            EXPECT_EQ(wrong, 0) << pw << " " << int(kind);
            SetZoomAndGrid(10, GridSetting::CornerDots);
        }
}

// The partial redraws must leave the same picture as a full redraw would:
// every pixel drawn with the mouse relies on it.
TEST_F(CanvasTest, PartialRedrawsMatchTheFullRedraw) {
    ResizeView(151, 100);  // odd: a multicolor block is cut at the right edge
    for (int pw = 1; pw <= 2; ++pw)
        for (ColorMapKind kind : {ColorMapKind::Normal, ColorMapKind::Dfli})
            for (int grid = 0; grid <= 4; ++grid)
                for (int zoom : {1, 2, 3, 4, 7, 64}) {
                    SCOPED_TRACE(::testing::Message()
                                 << pw << " " << int(kind) << " " << grid << " " << zoom);
                    MakeImage(200, 160, pw, kind);
                    editor.view().zoom = zoom;
                    editor.view().gridSetting = GridSetting(grid);
                    editor.viewArea().UpdateScrollRanges();
                    editor.view().xScroll.SetPosition(3);
                    editor.view().yScroll.SetPosition(5);
                    state().cursorX = 3 * pw;
                    state().cursorY = 5;
                    editor.viewArea().FullRedraw();
                    for (int y = 5; y < 21; ++y)
                        for (int x = 3 * pw; x < 16 * pw + 3; x += pw)
                            if ((x + y) % 3 == 0) StorePixelValue(image(), x, y, 1 + pw);
                    image().colmap.at(0, 1, 1) = 0x72;
                    state().cursorX = 9 * pw;
                    state().cursorY = 9;
                    editor.viewArea().RedrawSelectionArea();
                    editor.viewArea().DrawCursorAndStatus();
                    const std::vector<uint32_t> partial = view().pixels;
                    const std::vector<uint32_t> previewPartial = editor.view().preview.pixels;
                    editor.viewArea().FullRedraw();
                    ASSERT_EQ(partial, view().pixels);
                    ASSERT_EQ(previewPartial, editor.view().preview.pixels);
                }
}

// The full redraw draws whole rows at a time; it must leave exactly what
// drawing every visible block on the background would: at any scroll
// phase, view and image size, zoom, grid, pixel width and color map kind,
// stray plane bytes included.
TEST_F(CanvasTest, FullRedrawMatchesDrawingEveryVisibleBlock) {
    std::mt19937 random(5);
    MakeImage(640, 1024, 1, ColorMapKind::Normal);
    for (int x = 0; x < kPlaneWidth; ++x)
        for (int y = 0; y < kPlaneHeight; ++y)
            image().plane.at(x, y) = uint8_t(random() % 40 == 0 ? random() : random() & 1);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image().colmap.data()[i] = uint8_t(random());
        image().lummap.data()[i] = uint8_t(random());
    }
    image().desc.color0 = 0x24;
    image().desc.color3 = 0x66;
    state().cursorX = state().cursorY = 0;
    const int zooms[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 16, 33, 64};
    for (int round = 0; round < 150; ++round) {
        ResizeView(1 + int(random() % 300), 1 + int(random() % 200));
        ImageDescriptor& d = image().desc;
        d.pixelWidth = 1 + int(random() % 2);
        d.colorMapKind = ColorMapKind(random() % 3);
        d.width = random() % 4 == 0 ? 640 : int(random() % 641);
        d.height = random() % 4 == 0 ? 1024 : int(random() % 1025);
        editor.view().zoom = zooms[random() % 12];
        editor.view().gridSetting = GridSetting(random() % 5);
        editor.viewArea().UpdateScrollRanges();
        // Often at the start, else anywhere in range.
        const ScrollBar& xs = editor.view().xScroll;
        const ScrollBar& ys = editor.view().yScroll;
        editor.view().xScroll.SetPosition(random() % 3 ? int(random() % (xs.max() + 1)) : 0);
        editor.view().yScroll.SetPosition(random() % 3 ? int(random() % (ys.max() + 1)) : 0);
        editor.viewArea().RedrawView();
        const std::vector<uint32_t> full = view().pixels;

        RgbBuffer& v = editor.view().canvas;
        std::fill(v.pixels.begin(), v.pixels.end(), kViewBackground);
        const int pw = d.pixelWidth, zoom = editor.view().zoom;
        const int c = editor.view().xScroll.position(), r = editor.view().yScroll.position();
        const int xEnd = std::min(d.width, c * pw + v.width / zoom + 1);
        const int yEnd = std::min(d.height, r + v.height / zoom + 1);
        for (int y = r; y < yEnd; ++y)
            for (int x = c * pw; x < xEnd; x += pw) editor.viewArea().DrawBlock(x, y);
        ASSERT_EQ(full, v.pixels) << "round " << round << ": view " << v.width << " x " << v.height
                                  << ", image " << d.width << " x " << d.height << ", pw " << pw
                                  << ", kind " << int(d.colorMapKind) << ", zoom " << zoom
                                  << ", grid " << int(editor.view().gridSetting) << ", scroll " << c
                                  << ", " << r;
    }
}

TEST_F(CanvasTest, OddSizesAndSettingsDrawNothingOutsideTheBuffers) {
    for (int w : {0, 1, 7, 639, 640})
        for (int h : {0, 1, 1023, 1024})
            for (int zoom : {INT_MIN, -1, 0, 1, 2, 64, 65, INT_MAX})
                for (int grid : {0, 3, 9}) {
                    MakeImage(w, h, w % 2 ? 1 : 2, ColorMapKind::Dfli);
                    editor.view().zoom = zoom;
                    editor.view().gridSetting = GridSetting(grid);
                    state().selectionActive = true;
                    editor.viewArea().UpdateScrollRanges();
                    editor.viewArea().FullRedraw();
                    editor.viewArea().RedrawSelectionArea();
                    editor.viewArea().RedrawCursorCell();
                    editor.viewArea().ScrollCursorIntoView();
                    editor.RunMenuCommand("mnuViewZoomIn");
                    editor.RunMenuCommand("mnuViewZoomToggle");
                    editor.RunMenuCommand("mnuViewToggleGrid");
                    EXPECT_LE(editor.view().zoom, 64);
                }
    // A window too small for the view keeps the view picture's last width or height.
    struct Case {
        int clientWidth, clientHeight, viewWidth, viewHeight;
    };
    for (Case c : {Case{0, 0, 400, 300}, Case{1, 1, 400, 300}, Case{3, 500, 400, 256},
                   Case{500, 2, 480, 256}}) {
        editor.viewArea().FormResize(c.clientWidth, c.clientHeight, kStatusBar);
        EXPECT_EQ(view().width, c.viewWidth);
        EXPECT_EQ(view().height, c.viewHeight);
    }
}

}  // namespace
}  // namespace pixolat::testing
