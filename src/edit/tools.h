#pragma once
// The drawing tools: what a press, drag and release of the mouse on the view
// do. Freehand is the editor's own mouse drawing (editor_mouse.cpp); the
// shape tools show their shape over the view while it is dragged (never in
// the image) and write it at the release; Flood Fill, Pick and Brush act on
// a click. Every pixel write goes through PutPixel's rules (PutPixels), so
// the drawing mode and the selection act as they do for freehand drawing.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "document/image_store.h"
#include "edit/shapes.h"
#include "platform/platform.h"

namespace pixolat {

class Editor;

enum class Tool {
    Freehand,
    Line,
    Rectangle,
    FilledRectangle,
    Ellipse,
    FilledEllipse,
    FloodFill,
    Pick,
    Brush,
};
inline constexpr int kToolCount = 9;

// Name as the Tools menu and the status bar show it, and the menu item's
// component name.
const char* ToolName(Tool tool);
const char* ToolMenuItem(Tool tool);

// The tool in use and the gesture under way.
struct ToolState {
    Tool tool = Tool::Freehand;
    // The tool Pick returns to.
    Tool beforePick = Tool::Freehand;
    // A shape being dragged from `anchor` with `value`.
    bool dragging = false;
    ImagePoint anchor{0, 0};
    PixelValue value = 0;
    std::vector<Span> spans;
    // The brush shown at the pointer, and whether zeros are left out.
    std::optional<ImagePoint> brushAt;
    bool brushTransparent = false;
    // Image bounds of what is drawn over the view now, and the shape's
    // pixels among them (rows in order, no overlaps).
    std::optional<ImageRect> shown;
    std::vector<Span> shownSpans;
};

// Makes `tool` the tool in use; a preview shown goes.
void SelectTool(Editor& editor, Tool tool);

// Mouse events of the tools other than Freehand, with image points. The
// left button draws the current value, the right one value 0.
void ToolMouseDown(Editor& editor, ImagePoint p, MouseButton button, ShiftState shift);
void ToolMouseMove(Editor& editor, ImagePoint p, ShiftState shift);
void ToolMouseUp(Editor& editor);

// Esc while a shape is dragged: the preview goes and nothing is drawn.
bool ShapeDragActive(const Editor& editor);
void CancelShape(Editor& editor);

// Draws the preview again after the view was redrawn whole.
void PaintToolPreview(Editor& editor);

// The color codes values 0..3 show at the cursor's cell (hires: 0 and 1
// repeated), for the tool bar's swatches.
std::array<ColorCode, 4> ValueSwatchColors(const Editor& editor);

// The status hint of the current value and tool: "Value 1 - Line".
std::string ToolHintText(const Editor& editor);

}  // namespace pixolat
