#pragma once
// The view area of the editor window (view_area.cpp): its layout and
// splitters, the scroll bars, and the redraws the commands call.
#include "render/canvas.h"
#include "render/view_grid.h"

namespace pixolat {

class Editor;

class ViewArea {
public:
    explicit ViewArea(Editor& editor) : editor_(editor) {}

    // Window events. The client size counts the status bar but not the menu bar.
    void FormResize(int clientWidth, int clientHeight, int statusBarHeight);
    void FormActivate();
    // The splitters were dragged: the palette splitter's top, the preview
    // splitter's left, in client coordinates.
    void SplitterColorPaletteMoved(int top);
    void SplitterPreviewMoved(int left);
    void LayoutView();

    // The full redraw sequence after a change that can affect the whole
    // picture: view, preview and palette, then the cursor mark with status
    // panels 0 and 1, then the selection outline on top.
    void FullRedraw();
    // Redraws; nothing is drawn while the zoom is not yet set.
    void RedrawView();
    void DrawCursorAndStatus();
    void ToggleSelectionOutline();
    void DrawBlock(int x, int y);
    void RedrawCursorBlock();
    void RedrawCursorCell();
    void RedrawSelectionArea();
    ImageRect SelectionRect() const;

    // The blocks a step redraws may hold parts of the selection outline: it
    // is taken away first and drawn once, whole, on top at the end; the
    // toggles inside the step leave it off.
    template <class Step>
    void WithOutlineOff(Step step) {
        ToggleSelectionOutline();
        struct Hold {
            bool& off;
            explicit Hold(bool& flag) : off(flag) { off = true; }
            ~Hold() { off = false; }
        };
        {
            Hold hold(outlineHeldOff_);
            step();
        }
        ToggleSelectionOutline();
    }

    // The image pixel under a view point (x a multiple of the pixel width;
    // it may lie outside the image).
    ImagePoint ViewToImage(int vx, int vy) const;
    // Fits the scroll bars to the current image's size and the view.
    void UpdateScrollRanges();
    void ScrollCursorIntoView();

private:
    Editor& editor_;
    bool outlineHeldOff_ = false;

    Scene scene();
    // Over an empty image's bare view: what it is and how to give it a size.
    void DrawEmptyImageNote();
};

}  // namespace pixolat
