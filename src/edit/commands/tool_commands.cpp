#include "edit/commands/tool_commands.h"

#include <algorithm>

#include "edit/commands/view_commands.h"
#include "edit/editor.h"
#include "edit/tools.h"

namespace pixolat {

void SelectToolCommand(Editor& editor, int tool) {
    SelectTool(editor, Tool(tool));
}

void ChooseValueSwatch(Editor& editor, PixelValue value) {
    editor.state().currentPixelValue = std::clamp(value, 0, 3);
    editor.ShowStatus(ToolHintText(editor));
}

bool ShapeBeingDragged(const Editor& editor) {
    return ShapeDragActive(editor);
}

void CancelShapeKey(Editor& editor) {
    CancelShape(editor);
}

void ZoomAtPoint(Editor& editor, int steps, int vx, int vy) {
    if (steps == 0 || editor.view().zoom <= 0) return;
    const ImagePoint p = editor.viewArea().ViewToImage(vx, vy);
    for (int i = 0; i < std::abs(steps); ++i)
        (steps > 0 ? mnuViewZoomInClick : mnuViewZoomOutClick)(editor);
    // The scroll position that brings p's block back under (vx, vy): start
    // from the plain estimate and step until the block holds the point.
    const ImageDescriptor& desc = editor.currentImage().desc;
    View& view = editor.view();
    const ViewGrid start(desc, editor.view(), 0, 0);
    const int pw = start.pixelWidth();
    int c = p.x / pw - vx / start.pitchWidth();
    int r = p.y - vy / start.pitchHeight();
    for (int step = 0; step < 64; ++step) {
        const ViewPoint v = ViewGrid(desc, editor.view(), c, r).ImageToView(p.x, p.y);
        const bool left = v.x > vx, right = v.x + start.pitchWidth() <= vx;
        const bool up = v.y > vy, down = v.y + start.pitchHeight() <= vy;
        if (!left && !right && !up && !down) break;
        c += left ? 1 : right ? -1 : 0;
        r += up ? 1 : down ? -1 : 0;
    }
    view.xScroll.SetPosition(c);
    view.yScroll.SetPosition(r);
    editor.viewArea().FullRedraw();
}

}  // namespace pixolat
