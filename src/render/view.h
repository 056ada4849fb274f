#pragma once
// The editor window's view area without widgets: the three pictures the
// renderer draws (view, preview, palette), the two scroll bars, and the
// placement of every control of the area, computed from the window's client
// size, the palette area's height and the preview's width. The window places
// its widgets where this says and paints the pictures one to one.
#include <cstdint>

#include "render/rgb_buffer.h"
#include "render/scroll_bar.h"

namespace pixolat {

inline constexpr int kScrollBarThickness = 16;
inline constexpr int kScrollPageStep = 32;
inline constexpr int kSplitterThickness = 4;
inline constexpr int kInitialPaletteHeight = 200;
inline constexpr int kInitialPreviewWidth = 320;
// The smallest view area: one block of the highest zoom (multicolor, with a
// pixel and a cell line) beside and above the scroll bars and the frame. The
// palette area gives way before the view area gets smaller than this.
inline constexpr int kMinViewAreaWidth = 2 * 64 + 2 + kScrollBarThickness + 4;
inline constexpr int kMinViewAreaHeight = 64 + 2 + kScrollBarThickness + 4;

// How the view grid is drawn; stored and persisted as the number.
enum class GridSetting : uint8_t {
    PixelAndCellLines = 0,
    PixelLines = 1,
    CellLines = 2,
    CornerDots = 3,
    NoGrid = 4,
};

// The Toggle Grid order: each setting to the next, NoGrid (and any number
// past it) back to the first.
inline GridSetting NextGridSetting(GridSetting g) {
    return g >= GridSetting::NoGrid ? GridSetting::PixelAndCellLines : GridSetting(uint8_t(g) + 1);
}

// A control's place in the client area (left, top, width, height).
struct ControlRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ViewControls {
    ControlRect scrollBox;             // ScrollBox1
    ControlRect img;                   // inside scrollBox
    ControlRect xScroll;               // inside scrollBox
    ControlRect yScroll;               // inside scrollBox
    ControlRect splitterColorPalette;  // SplitterColorPalette
    ControlRect panelColorPalette;     // PanelColorPalette
    ControlRect imgColorPalette;       // inside panelColorPalette
    ControlRect splitterPreview;       // inside panelColorPalette
    ControlRect panelPreview;          // inside panelColorPalette
    ControlRect imgPreview;            // inside panelPreview
};

struct View {
    RgbBuffer canvas;   // img: the image zoomed, with grid and cursor
    RgbBuffer preview;  // imgPreview
    RgbBuffer palette;  // imgColorPalette
    ScrollBar xScroll;  // the scroll column
    ScrollBar yScroll;  // the scroll row

    int32_t zoom = -1;  // not yet set until the settings are read
    int32_t savedZoom = 0;
    GridSetting gridSetting = GridSetting::CornerDots;
    // The palette picture's cells, measured when it is drawn.
    int32_t paletteCellWidth = 0;
    int32_t paletteCellHeight = 0;

    // What the window reports: its client size (status bar included, menu
    // bar excluded), the status bar's height and the frame's sizing border.
    int clientWidth = 0;
    int clientHeight = 0;
    int statusBarHeight = 0;
    int frameWidth = 4;
    int frameHeight = 4;

    // The palette area: shown or hidden as one; its height and the preview's
    // width change only through the splitters and the properties dialog.
    bool paletteVisible = true;
    int paletteHeight = kInitialPaletteHeight;
    int previewWidth = kInitialPreviewWidth;
    // Where each splitter stood when its move was last handled.
    int splitterColorPaletteTag = 0;
    int splitterPreviewTag = 0;

    ViewControls controls;
};

// Height left for the view area above the palette area.
int ViewAreaHeight(const View& view);
// Height the palette area is shown at: its own height, less what the view
// area needs to keep kMinViewAreaHeight. The palette height itself stays,
// so the area grows back with the window.
int ShownPaletteHeight(const View& view);

// Places every control for the current sizes and resizes the view picture.
// A layout that leaves no room keeps the view picture's previous width or
// height.
void PlaceControls(View& view);

// Height the palette area and its splitter can share: the client area
// below the menu bar less the status bar and the splitter itself.
int PaletteAreaRoom(const View& view);
// Width of the palette area less the preview splitter.
int PreviewRoom(const View& view);

}  // namespace pixolat
