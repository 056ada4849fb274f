// The mouse on the view: drawing, lines while dragging, Shift selection and
// the cursor following the pointer; and a pixel drawn at the cursor by key.
#include "edit/drawing.h"
#include "edit/editor.h"

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
    if (button != MouseButton::Left) return;
    // Until the release, everything drawn is one undo step, apart from what
    // a held value key drew before.
    if (InGesture()) EndStep();
    strokeActive_ = true;
    NameStep("Draw");
    const ImagePoint p = ViewToImage(vx, vy);
    dragOutside_.reset();
    if (!InCurrentImage(*this, p.x, p.y)) {
        // A drag that starts beside the image draws from where it entered.
        if (!(shift & kShift)) dragOutside_ = p;
        return;
    }
    if (shift & kShift) {
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
        PutPixel(*this, p.x, p.y, state_.currentPixelValue, true);
    });
}

void Editor::imgMouseMove(ShiftState shift, int vx, int vy) {
    // A release that went elsewhere (a dialog, another window) still ends the stroke.
    if (!(shift & kLeftButton)) strokeActive_ = false;
    const ImagePoint p = ViewToImage(vx, vy);
    const bool inside = InCurrentImage(*this, p.x, p.y);
    if ((shift & kLeftButton) && !(shift & kShift)) {
        const ImagePoint from =
            dragOutside_ ? *dragOutside_ : ImagePoint{state_.cursorX, state_.cursorY};
        WithOutlineOff([&] {
            RedrawCursorBlock();
            // The line leaves the cursor on its last pixel inside the image.
            DrawLine(*this, from.x, from.y, p.x, p.y, state_.currentPixelValue);
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
    if (!inside) return;
    if (shift & kLeftButton) {
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
    if (button == MouseButton::Left) {
        dragOutside_.reset();
        if (strokeActive_) {
            strokeActive_ = false;
            EndStep();
        }
    }
    // Another button let go while the left one is held ends the selection;
    // its outline goes with it.
    if (shift & kLeftButton) {
        ToggleSelectionOutline();
        state_.selectionActive = false;
    }
}

}  // namespace pixolat
