// The mouse on the view: drawing, lines while dragging, Shift selection and
// the cursor following the pointer.
#include "edit/drawing.h"
#include "edit/editor.h"
#include "edit/tools.h"

namespace pixolat {

void Editor::imgMouseDown(MouseButton button, ShiftState shift, int vx, int vy) {
    const bool right = button == MouseButton::Right;
    if (button != MouseButton::Left && !right) return;
    // The other button pressed during a stroke starts nothing.
    if (shift & (right ? kLeftButton : kRightButton)) return;
    // Until the release, everything drawn is one undo step, apart from what
    // a held value key drew before.
    if (undo_.InGesture()) undo_.EndStep();
    ui_.strokeActive = true;
    strokeButton_ = right ? kRightButton : kLeftButton;
    strokeValue_ = right ? 0 : state_.currentPixelValue;
    const Tool tool = tools_.tool;
    const bool select = !right && (shift & kShift);
    // Pick has nothing to erase with: its right button draws as Freehand's does.
    freehandStroke_ = select || tool == Tool::Freehand || (tool == Tool::Pick && right);
    const ImagePoint p = viewArea_.ViewToImage(vx, vy);
    dragOutside_.reset();
    // The pen starts at value 0, the background: a first stroke shows nothing.
    if (!right && !select && strokeValue_ == 0 && tool != Tool::Pick && !ui_.valueZeroSaid) {
        ui_.valueZeroSaid = true;
        ShowStatus(kValueZeroNote);
    }
    if (!freehandStroke_) {
        undo_.NameStep(ToolName(tool));
        ToolMouseDown(*this, p, button, shift);
        return;
    }
    undo_.NameStep("Draw");
    if (!InCurrentImage(*this, p.x, p.y)) {
        // A drag that starts beside the image draws from where it entered.
        if (!select) dragOutside_ = p;
        return;
    }
    if (select) {
        viewArea_.ToggleSelectionOutline();
        state_.selectionEndX = state_.cursorX;
        state_.selectionEndY = state_.cursorY;
        viewArea_.RedrawCursorBlock();
        state_.cursorX = state_.selectionAnchorX = p.x;
        state_.cursorY = state_.selectionAnchorY = p.y;
        state_.selectionActive = true;
        viewArea_.DrawCursorAndStatus();
        viewArea_.ToggleSelectionOutline();
        viewArea_.ScrollCursorIntoView();
        return;
    }
    viewArea_.WithOutlineOff([&] {
        viewArea_.RedrawCursorBlock();
        state_.cursorX = p.x;
        state_.cursorY = p.y;
        PutPixel(*this, p.x, p.y, strokeValue_, true);
    });
}

void Editor::imgMouseMove(ShiftState shift, int vx, int vy) {
    // A release that went elsewhere (a dialog, another window) still ends the
    // stroke; a shape dragged so far is dropped.
    if (ui_.strokeActive && !(shift & strokeButton_)) ui_.strokeActive = false;
    const ImagePoint p = viewArea_.ViewToImage(vx, vy);
    if (tools_.dragging) {
        if (ui_.strokeActive)
            ToolMouseMove(*this, p, shift);
        else
            CancelShape(*this);
        return;
    }
    const bool inside = InCurrentImage(*this, p.x, p.y);
    const ShiftState button = ui_.strokeActive ? strokeButton_ : kLeftButton;
    const bool freehand = ui_.strokeActive ? freehandStroke_ : tools_.tool == Tool::Freehand;
    const PixelValue value = ui_.strokeActive ? strokeValue_ : state_.currentPixelValue;
    if ((shift & button) && freehand && !(button == kLeftButton && (shift & kShift))) {
        const ImagePoint from =
            dragOutside_ ? *dragOutside_ : ImagePoint{state_.cursorX, state_.cursorY};
        viewArea_.WithOutlineOff([&] {
            viewArea_.RedrawCursorBlock();
            // The line leaves the cursor on its last pixel inside the image.
            DrawLine(*this, from.x, from.y, p.x, p.y, value);
            if (inside) {
                state_.cursorX = p.x;
                state_.cursorY = p.y;
                dragOutside_.reset();
            } else {
                dragOutside_ = p;
            }
            viewArea_.DrawCursorAndStatus();
        });
        return;
    }
    dragOutside_.reset();
    if (tools_.tool == Tool::Brush && !(shift & (kLeftButton | kRightButton)))
        return ToolMouseMove(*this, p, shift);
    if (!inside) return;
    if ((shift & kLeftButton) && (shift & kShift)) {
        viewArea_.ToggleSelectionOutline();
        viewArea_.RedrawCursorBlock();
        state_.cursorX = p.x;
        state_.cursorY = p.y;
        viewArea_.DrawCursorAndStatus();
        if (!state_.selectionActive) {
            state_.selectionActive = true;
            state_.selectionAnchorX = p.x;
            state_.selectionAnchorY = p.y;
        }
        state_.selectionEndX = p.x;
        state_.selectionEndY = p.y;
        viewArea_.ToggleSelectionOutline();
        return;
    }
    viewArea_.WithOutlineOff([&] {
        viewArea_.RedrawCursorBlock();
        state_.cursorX = p.x;
        state_.cursorY = p.y;
        viewArea_.DrawCursorAndStatus();
    });
}

void Editor::imgMouseUp(MouseButton button, ShiftState shift, int, int) {
    ShiftState released = 0;
    if (button == MouseButton::Left) released = kLeftButton;
    if (button == MouseButton::Right) released = kRightButton;
    if (released == kLeftButton) dragOutside_.reset();
    if (ui_.strokeActive && released == strokeButton_) {
        dragOutside_.reset();
        // A shape is written at the release, as the stroke's one step.
        if (tools_.dragging) ToolMouseUp(*this);
        ui_.strokeActive = false;
        undo_.EndStep();
    }
    // Another button let go while the left one is held ends the selection;
    // its outline goes with it.
    if (shift & kLeftButton) {
        viewArea_.ToggleSelectionOutline();
        state_.selectionActive = false;
    }
}

}  // namespace pixolat
