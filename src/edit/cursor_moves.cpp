#include "edit/cursor_moves.h"

#include <algorithm>
#include <optional>

#include "edit/area_operations.h"
#include "edit/drawing.h"
#include "edit/editor.h"
#include "render/canvas.h"

namespace pixolat {

namespace {

// Enough of a file's start to tell its picture type.
constexpr std::size_t kPictureProbeBytes = 4096;

// Copies the pw bytes of the pixel at (fromX, fromY) to (toX, toY).
void CopyPixel(PixelPlane& plane, int pw, int toX, int toY, int fromX, int fromY) {
    for (int i = 0; i < pw; ++i) plane.at(toX + i, toY) = plane.at(fromX + i, fromY);
}

Picture PictureOf(const RgbBuffer& buffer) {
    Picture picture;
    picture.width = buffer.width;
    picture.height = buffer.height;
    picture.pixels.resize(buffer.pixels.size());
    std::transform(
        buffer.pixels.begin(), buffer.pixels.end(), picture.pixels.begin(),
        [](uint32_t c) { return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16); });
    return picture;
}

}  // namespace

void MoveCursorTo(Editor& editor, int x, int y, bool shift) {
    EditorState& state = editor.state();
    editor.viewArea().ToggleSelectionOutline();
    if (shift && state.selectionStartPending) {
        state.selectionActive = true;
        state.selectionStartPending = false;
        state.selectionAnchorX = state.cursorX;
        state.selectionAnchorY = state.cursorY;
    } else if (!shift) {
        state.selectionStartPending = true;
    }
    editor.viewArea().RedrawCursorBlock();
    state.cursorX = x;
    state.cursorY = y;
    // The end corner follows before the pen draws: a pixel drawn in a color
    // mode colors the whole selection, and that must be the selection being
    // made, not the rectangle up to the previous selection's corner.
    if (shift) {
        state.selectionEndX = x;
        state.selectionEndY = y;
    }
    bool penColoredSelection = false;
    for (int n = 0; n < 4; ++n) {
        if (!editor.ui().drawKeyHeld[std::size_t(n)]) continue;
        PutPixel(editor, state.cursorX, state.cursorY, n, true);
        editor.viewArea().RedrawCursorBlock();
        penColoredSelection = state.selectionActive && state.drawingMode != DrawingMode::PixelOnly;
    }
    if (penColoredSelection) {
        // Recoloring the selection redrew it with its outline while the
        // outline was off; a full redraw leaves exactly one outline.
        editor.viewArea().FullRedraw();
    } else {
        editor.viewArea().DrawCursorAndStatus();
        editor.viewArea().ToggleSelectionOutline();
    }
    editor.viewArea().ScrollCursorIntoView();
}

void MoveArea(Editor& editor, int dx, int dy) {
    Image& image = editor.currentImage();
    const std::optional<ImageRect> area =
        ClipToImage(image.desc, editor.viewArea().SelectionRect());
    if (!area) return;
    const auto [x1, y1, x2, y2] = *area;
    const int pw = image.desc.pixelWidth == 2 ? 2 : 1;
    PixelPlane& plane = image.plane;
    ImageRect vacated = *area;
    if (dx < 0) {
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x + pw <= x2; x += pw) CopyPixel(plane, pw, x, y, x + pw, y);
        vacated.x1 = x2;
    } else if (dx > 0) {
        for (int x = x2; x - pw >= x1; x -= pw)
            for (int y = y1; y <= y2; ++y) CopyPixel(plane, pw, x, y, x - pw, y);
        vacated.x2 = x1;
    } else if (dy < 0) {
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x <= x2; x += pw) CopyPixel(plane, pw, x, y, x, y + 1);
        vacated.y1 = y2;
    } else {
        for (int y = y2; y > y1; --y)
            for (int x = x1; x <= x2; x += pw) CopyPixel(plane, pw, x, y, x, y - 1);
        vacated.y2 = y1;
    }
    FillArea(image, vacated, editor.state().currentPixelValue);
    editor.viewArea().RedrawSelectionArea();
    editor.viewArea().DrawCursorAndStatus();
    editor.viewArea().ToggleSelectionOutline();
}

void CopyViewPicture(Editor& editor) {
    // The cursor's block is redrawn under the outline, which goes on top again.
    editor.viewArea().ToggleSelectionOutline();
    editor.viewArea().RedrawCursorBlock();
    editor.viewArea().ToggleSelectionOutline();
    const Picture picture = PictureOf(editor.view().canvas);
    Platform& platform = editor.platform();
    platform.CopyPictureToClipboard(picture);
    editor.ShowStatus("Copied To Clipboard");
    // Written beside the clipboard copy; a failure shows its message and
    // leaves the cursor mark off until the next redraw. The fixed name may
    // be a file of the user's: only a BMP picture there is replaced.
    const std::string path = platform.ExportPicturePath();
    if (!platform.FileExists(path) ||
        platform.PictureTypeOf(platform.ReadFile(path, kPictureProbeBytes)) == "bmp")
        platform.SavePictureAsBitmap(path, picture);
    else
        platform.ShowMessage("The view picture was not written: \"" + path +
                             "\" is not a BMP picture, and it is kept as it is.");
    editor.viewArea().ToggleSelectionOutline();
    editor.viewArea().DrawCursorAndStatus();
    editor.viewArea().ToggleSelectionOutline();
}

}  // namespace pixolat
