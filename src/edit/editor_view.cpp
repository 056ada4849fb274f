// The editor's view: window events, the redraw operations the commands call,
// and scrolling.
#include <algorithm>

#include "edit/editor.h"

namespace pixolat {

namespace {

// Whole cursor moves left to the scroll bars stay well inside this.
constexpr int kMaxScrollSteps = 4 * (kPlaneWidth + kPlaneHeight);

}  // namespace

void Editor::FormResize(int clientWidth, int clientHeight, int statusBarHeight) {
    view_.clientWidth = clientWidth;
    view_.clientHeight = clientHeight;
    view_.statusBarHeight = statusBarHeight;
    LayoutView();
}

void Editor::FormActivate() {
    FullRedraw();
}

void Editor::LayoutView() {
    view_.frameWidth = platform_.FrameWidth();
    view_.frameHeight = platform_.FrameHeight();
    PlaceControls(view_);
    UpdateScrollRanges();
    if (state_.zoom > 0) {
        FullRedraw();
        ScrollCursorIntoView();
    }
}

void Editor::FullRedraw() {
    RedrawView();
    // A shape being dragged or the brush stays over the view.
    if (state_.zoom > 0) PaintToolPreview(*this);
    DrawCursorAndStatus();
    ToggleSelectionOutline();
}

void Editor::RedrawView() {
    if (state_.zoom <= 0) return;
    RedrawViewPicture(scene());
    RedrawPreview(scene());
    DrawPalette();
    DrawPaletteMarker();
}

void Editor::DrawCursorAndStatus() {
    DrawCursorMark(scene());
    SetStatusText(0, CursorPositionText(currentImage().desc, state_));
    SetStatusText(1, CursorValueText(currentImage(), state_));
}

void Editor::ToggleSelectionOutline() {
    if (outlineHeldOff_) return;
    pixolat::ToggleSelectionOutline(scene());
}

void Editor::DrawBlock(int x, int y) {
    pixolat::DrawBlock(scene(), x, y);
}

void Editor::RedrawCursorBlock() {
    DrawBlock(state_.cursorX, state_.cursorY);
}

void Editor::RedrawCursorCell() {
    ToggleSelectionOutline();
    const int pw = PixelWidthOf(currentImage().desc);
    const bool dfli = currentImage().desc.colorMapKind == ColorMapKind::Dfli;
    const int x0 = state_.cursorX / 8 * 8;
    const int rows = dfli ? 2 : 8;
    const int y0 = state_.cursorY / rows * rows;
    for (int y = y0; y < y0 + rows; ++y)
        for (int x = x0; x < x0 + 8; x += pw) DrawBlock(x, y);
}

void Editor::RedrawSelectionArea() {
    ToggleSelectionOutline();
    const ImageDescriptor& desc = currentImage().desc;
    const ImageRect r = SelectionRect();
    // Only blocks inside the image are drawn; bounding the loops keeps a
    // stray corner from turning into a long walk over nothing.
    const int x2 = std::min(r.x2, ImageExtent(desc).width - 1);
    const int y2 = std::min(r.y2, ImageExtent(desc).height - 1);
    const int pw = PixelWidthOf(desc);
    for (int y = std::max(r.y1, 0); y <= y2; ++y)
        for (int x = std::max(r.x1, 0); x <= x2; x += pw) DrawBlock(x, y);
}

ImageRect Editor::SelectionRect() const {
    return pixolat::SelectionRect(currentImage().desc, state_);
}

ImagePoint Editor::ViewToImage(int vx, int vy) const {
    return ViewGrid(currentImage().desc, state_, view_.xScroll.position(), view_.yScroll.position())
        .ViewToImage(vx, vy);
}

void Editor::UpdateScrollRanges() {
    const ImageDescriptor& desc = currentImage().desc;
    const ViewGrid grid(desc, state_, 0, 0);
    const int vw = view_.canvas.width;
    const int vh = view_.canvas.height;
    const int pitchW = grid.pitchWidth();
    const int pitchH = grid.pitchHeight();
    int columns = vw / pitchW;
    int rows = vh / pitchH;
    if (grid.cellLines()) {
        columns = (vw - (vw / pitchW) / grid.blocksPerCell()) / pitchW;
        rows = (vh - (vh / pitchH) / grid.rowsPerCell()) / pitchH;
    }
    const int imageColumns = ImageExtent(desc).width / grid.pixelWidth();
    const int imageRows = ImageExtent(desc).height;
    // A bar that is not needed rests at 0 with nothing to scroll.
    const bool scrollX = columns < imageColumns;
    view_.xScroll.SetEnabled(scrollX);
    view_.xScroll.SetRange(0, scrollX ? imageColumns - columns : 0);
    const bool scrollY = rows < imageRows;
    view_.yScroll.SetEnabled(scrollY);
    view_.yScroll.SetRange(0, scrollY ? imageRows - rows : 0);
}

void Editor::ScrollCursorIntoView() {
    if (state_.zoom <= 0) return;
    const ImageDescriptor& desc = currentImage().desc;
    const ViewGrid start(desc, state_, 0, 0);
    const int vw = view_.canvas.width;
    const int vh = view_.canvas.height;
    if (vw < start.pitchWidth() || vh < start.pitchHeight()) return;
    int c = view_.xScroll.position();
    int r = view_.yScroll.position();
    for (int step = 0; step < kMaxScrollSteps; ++step) {
        const ViewPoint v =
            ViewGrid(desc, state_, c, r).ImageToView(state_.cursorX, state_.cursorY);
        if (v.x + start.pitchWidth() > vw)
            ++c;
        else if (v.x < 0)
            --c;
        else if (v.y + start.pitchHeight() > vh)
            ++r;
        else if (v.y < 0)
            --r;
        else
            break;
    }
    view_.xScroll.SetPosition(c);
    view_.yScroll.SetPosition(r);
}

}  // namespace pixolat
