// The editor's view area: window events, the redraw operations the commands
// call, and scrolling.
#include "edit/view_area.h"

#include <algorithm>

#include "edit/editor.h"

namespace pixolat {

namespace {

// Whole cursor moves left to the scroll bars stay well inside this.
constexpr int kMaxScrollSteps = 4 * (kPlaneWidth + kPlaneHeight);

}  // namespace

Scene ViewArea::scene() {
    return Scene{editor_.currentImage(), editor_.state(), editor_.view()};
}

void ViewArea::FormResize(int clientWidth, int clientHeight, int statusBarHeight) {
    editor_.view().clientWidth = clientWidth;
    editor_.view().clientHeight = clientHeight;
    editor_.view().statusBarHeight = statusBarHeight;
    LayoutView();
}

void ViewArea::FormActivate() {
    FullRedraw();
}

void ViewArea::LayoutView() {
    editor_.view().frameWidth = editor_.platform().FrameWidth();
    editor_.view().frameHeight = editor_.platform().FrameHeight();
    PlaceControls(editor_.view());
    UpdateScrollRanges();
    if (editor_.view().zoom > 0) {
        FullRedraw();
        ScrollCursorIntoView();
    }
}

void ViewArea::FullRedraw() {
    RedrawView();
    // A shape being dragged or the brush stays over the view.
    if (editor_.view().zoom > 0) PaintToolPreview(editor_);
    DrawCursorAndStatus();
    ToggleSelectionOutline();
}

void ViewArea::RedrawView() {
    if (editor_.view().zoom <= 0) return;
    RedrawViewPicture(scene());
    DrawEmptyImageNote();
    RedrawPreview(scene());
    editor_.palette().DrawPalette();
    editor_.palette().DrawPaletteMarker();
}

void ViewArea::DrawEmptyImageNote() {
    const ImageDescriptor& desc = editor_.currentImage().desc;
    if (desc.width > 0 && desc.height > 0) return;
    // An empty image would leave a bare background: say what it is and how
    // to give it pixels.
    RgbBuffer& view = editor_.view().canvas;
    const std::string lines[] = {"Image #" + std::to_string(editor_.state().currentImage) +
                                     " is empty (" + std::to_string(desc.width) + " x " +
                                     std::to_string(desc.height) + ").",
                                 "Press P (Image Properties) to give it a size."};
    int y = view.height / 2 - 12;
    for (const std::string& line : lines) {
        const int x = (view.width - editor_.platform().TextWidth(line)) / 2;
        editor_.platform().DrawText(view, x, y, line, PackRgb(255, 255, 255));
        y += 16;
    }
}

void ViewArea::DrawCursorAndStatus() {
    DrawCursorMark(scene());
    editor_.SetStatusText(0, CursorPositionText(editor_.currentImage().desc, editor_.state()));
    const ImageDescriptor& desc = editor_.currentImage().desc;
    // Panel 0 reads "undefined" then; panel 1 says why.
    const bool empty = desc.width <= 0 || desc.height <= 0;
    editor_.SetStatusText(
        1, empty ? "empty" : CursorValueText(editor_.currentImage(), editor_.state()));
}

void ViewArea::ToggleSelectionOutline() {
    if (outlineHeldOff_) return;
    pixolat::ToggleSelectionOutline(scene());
}

void ViewArea::DrawBlock(int x, int y) {
    pixolat::DrawBlock(scene(), x, y);
}

void ViewArea::RedrawCursorBlock() {
    DrawBlock(editor_.state().cursorX, editor_.state().cursorY);
}

void ViewArea::RedrawCursorCell() {
    ToggleSelectionOutline();
    const int pw = PixelWidthOf(editor_.currentImage().desc);
    const bool dfli = editor_.currentImage().desc.colorMapKind == ColorMapKind::Dfli;
    const int x0 = editor_.state().cursorX / 8 * 8;
    const int rows = dfli ? 2 : 8;
    const int y0 = editor_.state().cursorY / rows * rows;
    for (int y = y0; y < y0 + rows; ++y)
        for (int x = x0; x < x0 + 8; x += pw) DrawBlock(x, y);
}

void ViewArea::RedrawSelectionArea() {
    ToggleSelectionOutline();
    const ImageDescriptor& desc = editor_.currentImage().desc;
    const ImageRect r = SelectionRect();
    // Only blocks inside the image are drawn; bounding the loops keeps a
    // stray corner from turning into a long walk over nothing.
    const int x2 = std::min(r.x2, ImageExtent(desc).width - 1);
    const int y2 = std::min(r.y2, ImageExtent(desc).height - 1);
    const int pw = PixelWidthOf(desc);
    for (int y = std::max(r.y1, 0); y <= y2; ++y)
        for (int x = std::max(r.x1, 0); x <= x2; x += pw) DrawBlock(x, y);
}

ImageRect ViewArea::SelectionRect() const {
    return pixolat::SelectionRect(editor_.currentImage().desc, editor_.state());
}

ImagePoint ViewArea::ViewToImage(int vx, int vy) const {
    return ViewGrid(editor_.currentImage().desc, editor_.view(), editor_.view().xScroll.position(),
                    editor_.view().yScroll.position())
        .ViewToImage(vx, vy);
}

void ViewArea::UpdateScrollRanges() {
    const ImageDescriptor& desc = editor_.currentImage().desc;
    const ViewGrid grid(desc, editor_.view(), 0, 0);
    const int vw = editor_.view().canvas.width;
    const int vh = editor_.view().canvas.height;
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
    editor_.view().xScroll.SetEnabled(scrollX);
    editor_.view().xScroll.SetRange(0, scrollX ? imageColumns - columns : 0);
    const bool scrollY = rows < imageRows;
    editor_.view().yScroll.SetEnabled(scrollY);
    editor_.view().yScroll.SetRange(0, scrollY ? imageRows - rows : 0);
}

void ViewArea::ScrollCursorIntoView() {
    if (editor_.view().zoom <= 0) return;
    const ImageDescriptor& desc = editor_.currentImage().desc;
    const ViewGrid start(desc, editor_.view(), 0, 0);
    const int vw = editor_.view().canvas.width;
    const int vh = editor_.view().canvas.height;
    if (vw < start.pitchWidth() || vh < start.pitchHeight()) return;
    int c = editor_.view().xScroll.position();
    int r = editor_.view().yScroll.position();
    for (int step = 0; step < kMaxScrollSteps; ++step) {
        const ViewPoint v = ViewGrid(desc, editor_.view(), c, r)
                                .ImageToView(editor_.state().cursorX, editor_.state().cursorY);
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
    editor_.view().xScroll.SetPosition(c);
    editor_.view().yScroll.SetPosition(r);
}

// The palette area keeps a height of whole multiples of 8 rows.
void ViewArea::SplitterColorPaletteMoved(int top) {
    View& view = editor_.view();
    const int room = PaletteAreaRoom(view);
    int height = std::clamp(room - top, 0, room);
    if (height % 8 != 0) {
        editor_.platform().ProcessPendingEvents();
        height = (height + 7) / 8 * 8;
        if (height > room) height -= 8;
    }
    // The remembered top alone would miss moves that change the height: the
    // first move to the very top (the remembered top starts at 0), or a move
    // back to the old top after the window changed size.
    const int newTop = room - height;
    if (newTop == view.splitterColorPaletteTag && height == view.paletteHeight) return;
    view.paletteHeight = height;
    view.splitterColorPaletteTag = newTop;
    LayoutView();
    editor_.palette().DrawPalette();
    editor_.palette().DrawPaletteMarker();
}

void ViewArea::SplitterPreviewMoved(int left) {
    View& view = editor_.view();
    const int room = PreviewRoom(view);
    const int width = std::clamp(room - left, 0, room);
    const int newLeft = room - width;
    if (newLeft == view.splitterPreviewTag && width == view.previewWidth) return;
    view.previewWidth = width;
    view.splitterPreviewTag = newLeft;
    LayoutView();
    editor_.palette().DrawPalette();
    editor_.palette().DrawPaletteMarker();
}

}  // namespace pixolat
