// The full view redraw against a plain renderer that draws every visible
// block on its own, straight from each pixel's color code and the block
// geometry, over random pictures at many zooms, grids and scroll positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "document/colors.h"
#include "render/canvas.h"

namespace pixolat {
namespace {

struct Planes {
    std::vector<uint8_t> plane = std::vector<uint8_t>(kPlaneBytes);
    std::vector<uint8_t> colmap = std::vector<uint8_t>(kAttributeBytes);
    std::vector<uint8_t> lummap = std::vector<uint8_t>(kAttributeBytes);
    Image image{ImageDescriptor{}, PixelPlane(plane.data()), AttributePlane(colmap.data()),
                AttributePlane(lummap.data())};
};

// Random pixels (now and then a stray byte that is neither 0 nor 1) and
// random attributes in every bank.
void Randomize(Image& image, std::mt19937& random) {
    for (int x = 0; x < kPlaneWidth; ++x)
        for (int y = 0; y < kPlaneHeight; ++y)
            image.plane.at(x, y) = uint8_t(random() % 97 == 0 ? random() : random() & 1);
    for (std::size_t i = 0; i < kAttributeBytes; ++i) {
        image.colmap.data()[i] = uint8_t(random());
        image.lummap.data()[i] = uint8_t(random());
    }
    image.desc.color0 = int(random() & 0xFF);
    image.desc.color3 = int(random() & 0xFF);
}

// Each visible block drawn one by one, as the grid setting places it.
std::vector<uint32_t> ReferenceView(const Image& image, const EditorState& state, const View& view,
                                    int width, int height, int c, int r) {
    std::vector<uint32_t> picture(std::size_t(width) * height, kViewBackground);
    const ImageDescriptor& d = image.desc;
    const int pw = d.pixelWidth == 2 ? 2 : 1;
    const int zoom = view.zoom;
    const int grid = int(view.gridSetting);
    const bool pixelLines = zoom >= 2 && (grid == 0 || grid == 1);
    const bool cellLines = zoom >= 2 && (grid == 0 || grid == 2);
    const bool dots = zoom >= 3 && grid == 3;
    const bool dfli = d.colorMapKind == ColorMapKind::Dfli;
    const int pitchW = pw * zoom + (pixelLines ? 1 : 0);
    const int pitchH = zoom + (pixelLines ? 1 : 0);
    const int f = 8 / pw;
    const int g = dfli ? 2 : 8;
    const int xEnd = std::min(d.width, c * pw + width / zoom + 1);
    const int yEnd = std::min(d.height, r + height / zoom + 1);
    for (int y = r; y < yEnd; ++y)
        for (int x = c * pw; x < xEnd; x += pw) {
            const int px = (x - pw * c) / pw;
            const int py = y - r;
            const int vx = (cellLines ? (c % f + px) / f : 0) + px * pitchW;
            const int vy = (cellLines ? (r % g + py) / g : 0) + py * pitchH;
            const uint32_t color = DisplayColor(state.rgbTable[ColorCodeAt(image, x, y) & 0xFF]);
            for (int j = vy; j < std::min(vy + zoom, height); ++j)
                for (int i = vx; i < std::min(vx + pw * zoom, width); ++i)
                    picture[std::size_t(j) * width + i] = color;
            if (dots && vx < width && vy < height)
                picture[std::size_t(vy) * width + vx] =
                    (x % 8 == 0 || (dfli ? y % 2 == 0 : y % 8 == 0)) ? kCellDot : kPixelDot;
        }
    return picture;
}

TEST(FullRedraw, MatchesBlockByBlockDrawing) {
    Planes planes;
    Image& image = planes.image;
    EditorState state;
    BuildRgbTable(state.rgbTable);
    View view;
    view.xScroll.SetRange(0, 1000);
    view.yScroll.SetRange(0, 1000);
    std::mt19937 random(5);
    struct Scroll {
        int column;
        int row;
    };
    struct Size {
        int width;
        int height;
    };
    for (int pw = 1; pw <= 2; ++pw)
        for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Normal, ColorMapKind::Dfli}) {
            Randomize(image, random);
            image.desc.width = pw == 1 ? 401 : 400;
            image.desc.height = 203;
            image.desc.pixelWidth = pw;
            image.desc.colorMapKind = kind;
            // A view that cuts the image and one wider than it at low zooms.
            for (Size size : {Size{333, 157}, Size{900, 120}}) {
                view.canvas.Resize(size.width, size.height);
                for (Scroll scroll : {Scroll{0, 0}, Scroll{3, 5}, Scroll{13, 27}})
                    for (int zoom : {1, 2, 3, 5, 7, 64})
                        for (int grid = 0; grid <= 4; ++grid) {
                            SCOPED_TRACE(::testing::Message()
                                         << "pw " << pw << " kind " << int(kind) << " view "
                                         << size.width << "x" << size.height << " scroll "
                                         << scroll.column << "," << scroll.row << " zoom " << zoom
                                         << " grid " << grid);
                            view.zoom = zoom;
                            view.gridSetting = GridSetting(grid);
                            view.xScroll.SetPosition(scroll.column);
                            view.yScroll.SetPosition(scroll.row);
                            RedrawViewPicture(Scene{image, state, view});
                            const std::vector<uint32_t> expected =
                                ReferenceView(image, state, view, size.width, size.height,
                                              scroll.column, scroll.row);
                            const auto wrong = std::mismatch(expected.begin(), expected.end(),
                                                             view.canvas.pixels.begin());
                            if (wrong.first != expected.end()) {
                                const auto at = wrong.first - expected.begin();
                                ADD_FAILURE() << "first wrong view pixel at " << at % size.width
                                              << "," << at / size.width << ": " << std::hex
                                              << *wrong.second << " instead of " << *wrong.first;
                                return;
                            }
                        }
            }
        }
}

// Redrawing every block one by one after a change gives the same view and
// preview as a full redraw of the changed image, at widths that cut a
// multicolor pixel and previews narrower and wider than the image.
TEST(FullRedraw, BlockByBlockRedrawMatchesTheFullRedraw) {
    Planes planes;
    Image& image = planes.image;
    EditorState state;
    BuildRgbTable(state.rgbTable);
    View view;
    view.zoom = 3;
    view.gridSetting = GridSetting::PixelLines;
    view.canvas.Resize(700, 200);
    std::mt19937 random(9);
    for (int pw = 1; pw <= 2; ++pw)
        for (int width : {100, 101, 37})
            for (int previewWidth : {64, 101, 102, 200}) {
                SCOPED_TRACE(::testing::Message()
                             << "pw " << pw << " width " << width << " preview " << previewWidth);
                image.desc =
                    ImageDescriptor{"", width, 40, pw, Layout::Bitmap, ColorMapKind::Normal, 0, 0};
                view.controls.imgPreview = ControlRect{0, 0, previewWidth, 30};
                const Scene scene{image, state, view};
                Randomize(image, random);
                RedrawPreview(scene);
                Randomize(image, random);
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < width; x += pw) DrawBlock(scene, x, y);
                const std::vector<uint32_t> partial = view.preview.pixels;
                RedrawPreview(scene);
                EXPECT_EQ(partial, view.preview.pixels);
            }
}

}  // namespace
}  // namespace pixolat
