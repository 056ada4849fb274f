// The mouse on the view: drawing, lines while dragging, Shift selection and
// the cursor following the pointer; and a pixel drawn at the cursor by key.
#include "edit/drawing.h"
#include "edit/editor.h"
#include "edit/tools.h"

namespace pixolat {

// The blocks a mouse step redraws may hold parts of the selection outline,
// and a drawn pixel's cell colors redraw whole cells under it: the outline
// is taken away first and drawn once, whole, on top at the end.
template <class Step>
void Editor::WithOutlineOff(Step step) {
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

void Editor::imgMouseDown(MouseButton button, ShiftState shift, int vx, int vy) {
    const bool right = button == MouseButton::Right;
    if (button != MouseButton::Left && !right) return;
    // The other button pressed during a stroke starts nothing.
    if (shift & (right ? kLeftButton : kRightButton)) return;
    // Until the release, everything drawn is one undo step, apart from what
    // a held value key drew before.
    if (InGesture()) EndStep();
    strokeActive_ = true;
    strokeButton_ = right ? kRightButton : kLeftButton;
    strokeValue_ = right ? 0 : state_.currentPixelValue;
    const Tool tool = tools_.tool;
    const bool select = !right && (shift & kShift);
    // Pick has nothing to erase with: its right button draws as Freehand's does.
    freehandStroke_ = select || tool == Tool::Freehand || (tool == Tool::Pick && right);
    const ImagePoint p = ViewToImage(vx, vy);
    dragOutside_.reset();
    if (!freehandStroke_) {
        NameStep(ToolName(tool));
        ToolMouseDown(*this, p, button, shift);
        return;
    }
    NameStep("Draw");
    if (!InCurrentImage(*this, p.x, p.y)) {
        // A drag that starts beside the image draws from where it entered.
        if (!select) dragOutside_ = p;
        return;
    }
    if (select) {
        ToggleSelectionOutline();
        state_.selectionEndX = state_.cursorX;
        state_.selectionEndY = state_.cursorY;
        RedrawCursorBlock();
        state_.cursorX = state_.selectionAnchorX = p.x;
        state_.cursorY = state_.selectionAnchorY = p.y;
        state_.selectionActive = true;
        DrawCursorAndStatus();
        ToggleSelectionOutline();
        ScrollCursorIntoView();
        return;
    }
    WithOutlineOff([&] {
        RedrawCursorBlock();
        state_.cursorX = p.x;
        state_.cursorY = p.y;
        PutPixel(*this, p.x, p.y, strokeValue_, true);
    });
}

void Editor::imgMouseMove(ShiftState shift, int vx, int vy) {
    // A release that went elsewhere (a dialog, another window) still ends the
    // stroke; a shape dragged so far is dropped.
    if (strokeActive_ && !(shift & strokeButton_)) strokeActive_ = false;
    const ImagePoint p = ViewToImage(vx, vy);
    if (tools_.dragging) {
        if (strokeActive_)
            ToolMouseMove(*this, p, shift);
        else
            CancelShape(*this);
        return;
    }
    const bool inside = InCurrentImage(*this, p.x, p.y);
    const ShiftState button = strokeActive_ ? strokeButton_ : kLeftButton;
    const bool freehand = strokeActive_ ? freehandStroke_ : tools_.tool == Tool::Freehand;
    const PixelValue value = strokeActive_ ? strokeValue_ : state_.currentPixelValue;
    if ((shift & button) && freehand && !(button == kLeftButton && (shift & kShift))) {
        const ImagePoint from =
            dragOutside_ ? *dragOutside_ : ImagePoint{state_.cursorX, state_.cursorY};
        WithOutlineOff([&] {
            RedrawCursorBlock();
            // The line leaves the cursor on its last pixel inside the image.
            DrawLine(*this, from.x, from.y, p.x, p.y, value);
            if (inside) {
                state_.cursorX = p.x;
                state_.cursorY = p.y;
                dragOutside_.reset();
            } else {
                dragOutside_ = p;
            }
            DrawCursorAndStatus();
        });
        return;
    }
    dragOutside_.reset();
    if (tools_.tool == Tool::Brush && !(shift & (kLeftButton | kRightButton)))
        return ToolMouseMove(*this, p, shift);
    if (!inside) return;
    if ((shift & kLeftButton) && (shift & kShift)) {
        ToggleSelectionOutline();
        RedrawCursorBlock();
        state_.cursorX = p.x;
        state_.cursorY = p.y;
        DrawCursorAndStatus();
        if (!state_.selectionActive) {
            state_.selectionActive = true;
            state_.selectionAnchorX = p.x;
            state_.selectionAnchorY = p.y;
        }
        state_.selectionEndX = p.x;
        state_.selectionEndY = p.y;
        ToggleSelectionOutline();
        return;
    }
    WithOutlineOff([&] {
        RedrawCursorBlock();
        state_.cursorX = p.x;
        state_.cursorY = p.y;
        DrawCursorAndStatus();
    });
}

void Editor::DrawPixelAtCursor(PixelValue value) {
    WithOutlineOff([&] { PutPixel(*this, state_.cursorX, state_.cursorY, value, true); });
}

void Editor::imgMouseUp(MouseButton button, ShiftState shift, int, int) {
    ShiftState released = 0;
    if (button == MouseButton::Left) released = kLeftButton;
    if (button == MouseButton::Right) released = kRightButton;
    if (released == kLeftButton) dragOutside_.reset();
    if (strokeActive_ && released == strokeButton_) {
        dragOutside_.reset();
        // A shape is written at the release, as the stroke's one step.
        if (tools_.dragging) ToolMouseUp(*this);
        strokeActive_ = false;
        EndStep();
    }
    // Another button let go while the left one is held ends the selection;
    // its outline goes with it.
    if (shift & kLeftButton) {
        ToggleSelectionOutline();
        state_.selectionActive = false;
    }
}

}  // namespace pixolat
