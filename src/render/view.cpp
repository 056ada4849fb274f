#include "render/view.h"

#include <algorithm>

namespace pixolat {

namespace {

ControlRect Rect(int left, int top, int width, int height) {
    return {left, top, std::max(width, 0), std::max(height, 0)};
}

}  // namespace

int PaletteAreaRoom(const View& view) {
    return std::max(view.clientHeight - view.statusBarHeight - kSplitterThickness, 0);
}

int PreviewRoom(const View& view) {
    return std::max(view.clientWidth - kSplitterThickness, 0);
}

int ShownPaletteHeight(const View& view) {
    return std::clamp(view.paletteHeight, 0,
                      std::max(PaletteAreaRoom(view) - kMinViewAreaHeight, 0));
}

int ViewAreaHeight(const View& view) {
    int h = view.clientHeight - view.statusBarHeight;
    if (view.paletteVisible) h -= ShownPaletteHeight(view) + kSplitterThickness;
    return h;
}

void PlaceControls(View& view) {
    ViewControls& c = view.controls;
    const int w = view.clientWidth;
    const int h = ViewAreaHeight(view);
    c.scrollBox = Rect(0, 0, w, h);
    const int xTop = h - kScrollBarThickness - view.frameWidth;
    const int yLeft = w - kScrollBarThickness - view.frameWidth;
    c.xScroll = Rect(0, xTop, w - kScrollBarThickness - view.frameHeight, kScrollBarThickness);
    c.yScroll = Rect(yLeft, 0, kScrollBarThickness, h - kScrollBarThickness - view.frameHeight);
    if (yLeft > 0) c.img.width = yLeft;
    if (xTop > 0) c.img.height = xTop;
    if (view.canvas.width != c.img.width || view.canvas.height != c.img.height)
        view.canvas.Resize(c.img.width, c.img.height);

    const int paletteTop = std::max(h, 0);
    c.splitterColorPalette = Rect(0, paletteTop, w, kSplitterThickness);
    c.panelColorPalette = Rect(0, paletteTop + kSplitterThickness, w, ShownPaletteHeight(view));
    const int previewWidth = std::clamp(view.previewWidth, 0, std::max(w, 0));
    const int panelHeight = c.panelColorPalette.height;
    c.panelPreview = Rect(w - previewWidth, 0, previewWidth, panelHeight);
    c.imgPreview = Rect(0, 0, previewWidth, panelHeight);
    const int splitterLeft = std::max(w - previewWidth - kSplitterThickness, 0);
    c.splitterPreview = Rect(splitterLeft, 0, kSplitterThickness, panelHeight);
    c.imgColorPalette = Rect(0, 0, splitterLeft, panelHeight);
}

}  // namespace pixolat
