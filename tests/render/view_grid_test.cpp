#include "render/view_grid.h"

#include <gtest/gtest.h>

namespace pixolat {
namespace {

struct Setting {
    int zoom;
    int grid;
    int pixelWidth;
    ColorMapKind kind;
};

ImageDescriptor Descriptor(int pixelWidth, ColorMapKind kind) {
    ImageDescriptor d;
    d.width = 640;
    d.height = 1024;
    d.pixelWidth = pixelWidth;
    d.colorMapKind = kind;
    return d;
}

View ViewWith(int zoom, GridSetting grid) {
    View s;
    s.zoom = zoom;
    s.gridSetting = grid;
    return s;
}

// Left of and above the view: the division truncates toward zero, with the
// cell lines counted as if the view began at a cell boundary.
int TruncatedBlock(int v, int pitch, int period, bool cellLines) {
    const int lines = cellLines ? (v / pitch) / period : 0;
    return (v - lines) / pitch;
}

// Every view point in the view maps back to the pixel whose block (or the
// grid line after it) holds it, and every point in the two blocks before the
// view follows the truncating division, at every scroll phase, zoom, grid,
// pixel width and color map kind.
TEST(ViewGrid, ViewToImageIsTheExactInverseOfImageToView) {
    for (int zoom = 1; zoom <= 64; ++zoom)
        for (int grid = 0; grid <= 4; ++grid)
            for (int pw = 1; pw <= 2; ++pw)
                for (ColorMapKind kind : {ColorMapKind::Normal, ColorMapKind::Dfli}) {
                    const ImageDescriptor d = Descriptor(pw, kind);
                    const View s = ViewWith(zoom, GridSetting(grid));
                    for (int scroll = 0; scroll < 17; ++scroll) {
                        const ViewGrid g(d, s, scroll, scroll);
                        const int blocks = zoom > 16 ? 4 : 19;
                        for (int p = -2; p < blocks; ++p) {
                            const int x = (scroll + p) * pw;
                            const int y = scroll + p;
                            const ViewPoint from = g.ImageToView(x, y);
                            const ViewPoint to = g.ImageToView(x + pw, y + 1);
                            const bool lines = zoom >= 2 && (grid == 0 || grid == 2);
                            const int rows = kind == ColorMapKind::Dfli ? 2 : 8;
                            for (int vx = from.x; vx < to.x; ++vx)
                                ASSERT_EQ(g.ViewToImage(vx, 0).x,
                                          vx >= 0
                                              ? x
                                              : (TruncatedBlock(vx, g.pitchWidth(), 8 / pw, lines) +
                                                 scroll) *
                                                    pw)
                                    << "zoom " << zoom << " grid " << grid << " pw " << pw
                                    << " scroll " << scroll << " vx " << vx;
                            for (int vy = from.y; vy < to.y; ++vy)
                                ASSERT_EQ(
                                    g.ViewToImage(0, vy).y,
                                    vy >= 0
                                        ? y
                                        : TruncatedBlock(vy, g.pitchHeight(), rows, lines) + scroll)
                                    << "zoom " << zoom << " grid " << grid << " kind " << int(kind)
                                    << " scroll " << scroll << " vy " << vy;
                        }
                    }
                }
}

TEST(ViewGrid, CellLinesFollowTheImageCellsWhateverTheScrollPosition) {
    // Hires at zoom 4 with cell lines, scrolled to column 3: blocks sit 4
    // apart and the first extra view pixel comes after 5 block columns.
    const ViewGrid hires(Descriptor(1, ColorMapKind::Normal), ViewWith(4, GridSetting::CellLines),
                         3, 0);
    EXPECT_EQ(hires.pitchWidth(), 4);
    for (int px = 0; px < 5; ++px) EXPECT_EQ(hires.ColumnToView(px), 4 * px);
    EXPECT_EQ(hires.ColumnToView(5), 21);
    EXPECT_EQ(hires.ColumnToView(13), 54);

    // Multicolor: blocks 8 x 4, a line after every 4 blocks and every 8 rows.
    const ViewGrid multi(Descriptor(2, ColorMapKind::Normal), ViewWith(4, GridSetting::CellLines),
                         0, 0);
    EXPECT_EQ(multi.blockWidth(), 8);
    EXPECT_EQ(multi.ImageToView(6, 7).x, 24);
    EXPECT_EQ(multi.ImageToView(8, 7).x, 33);
    EXPECT_EQ(multi.ImageToView(8, 7).y, 28);
    EXPECT_EQ(multi.ImageToView(8, 8).y, 33);

    // DFLI: a line after every second row.
    const ViewGrid dfli(Descriptor(1, ColorMapKind::Dfli), ViewWith(4, GridSetting::CellLines), 0,
                        0);
    EXPECT_EQ(dfli.RowToView(1), 4);
    EXPECT_EQ(dfli.RowToView(2), 9);
    EXPECT_EQ(dfli.RowToView(4), 18);

    // Pixel and cell lines at zoom 10: pitch 11, and 12 across a cell border.
    const ViewGrid both(Descriptor(1, ColorMapKind::Normal),
                        ViewWith(10, GridSetting::PixelAndCellLines), 0, 0);
    EXPECT_EQ(both.ColumnToView(7), 77);
    EXPECT_EQ(both.ColumnToView(8), 89);
}

// A drag that overshoots the view's top-left corner by less than a block
// still lands on the first visible pixel; a whole block further is the one
// before it.
TEST(ViewGrid, PointsJustOutsideTheViewMapToTheFirstVisiblePixel) {
    const ViewGrid g(Descriptor(2, ColorMapKind::Normal),
                     ViewWith(8, GridSetting::PixelAndCellLines), 0, 0);
    EXPECT_EQ(g.ViewToImage(-1, -1).x, 0);
    EXPECT_EQ(g.ViewToImage(-1, -1).y, 0);
    EXPECT_EQ(g.ViewToImage(-(g.pitchWidth() - 1), -(g.pitchHeight() - 1)).x, 0);
    EXPECT_EQ(g.ViewToImage(-g.pitchWidth(), 0).x, -2);
    EXPECT_EQ(g.ViewToImage(0, -g.pitchHeight()).y, -1);
}

// Zoom and grid values from outside their ranges still give a usable grid.
TEST(ViewGrid, SettingsOutOfRangeStayUsable) {
    const ImageDescriptor never;  // pixel width 0
    for (int zoom : {-1, 0, 65, 100000})
        for (int grid : {5, 255}) {
            const ViewGrid g(never, ViewWith(zoom, GridSetting(grid)), 0, 0);
            EXPECT_LE(g.zoom(), 64);
            EXPECT_EQ(g.ViewToImage(g.ImageToView(7, 9).x, g.ImageToView(7, 9).y).x, 7);
        }
}

}  // namespace
}  // namespace pixolat
