#include "edit/commands/tool_commands.h"

#include <algorithm>
#include <iterator>

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

int WheelZoomStep(int zoom, int steps) {
    // Each notch moves about a third of the way: 1 to 64 in 11 notches.
    static constexpr int kWheelZooms[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};
    for (; steps > 0; --steps) {
        const int* next = std::upper_bound(std::begin(kWheelZooms), std::end(kWheelZooms), zoom);
        zoom = next == std::end(kWheelZooms) ? kWheelZooms[11] : *next;
    }
    for (; steps < 0; ++steps) {
        const int* next = std::lower_bound(std::begin(kWheelZooms), std::end(kWheelZooms), zoom);
        zoom = next == std::begin(kWheelZooms) ? kWheelZooms[0] : *(next - 1);
    }
    return zoom;
}

void ZoomAtPoint(Editor& editor, int steps, int vx, int vy) {
    if (steps == 0 || editor.view().zoom <= 0) return;
    const ImagePoint p = editor.viewArea().ViewToImage(vx, vy);
    SetZoom(editor, WheelZoomStep(editor.view().zoom, steps));
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
