#include "edit/tools.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "document/colors.h"
#include "document/pixels.h"
#include "document/text.h"
#include "edit/copy_paste.h"
#include "edit/drawing.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

struct ToolInfo {
    const char* name;
    const char* menuItem;
};

constexpr ToolInfo kTools[kToolCount] = {
    {"Freehand", "mnuToolsFreehand"},    {"Line", "mnuToolsLine"},
    {"Rectangle", "mnuToolsRectangle"},  {"Filled Rectangle", "mnuToolsFilledRectangle"},
    {"Ellipse", "mnuToolsEllipse"},      {"Filled Ellipse", "mnuToolsFilledEllipse"},
    {"Flood Fill", "mnuToolsFloodFill"}, {"Pick", "mnuToolsPick"},
    {"Brush", "mnuToolsBrush"},
};

std::optional<ShapeKind> ShapeOf(Tool tool) {
    switch (tool) {
        case Tool::Line:
            return ShapeKind::Line;
        case Tool::Rectangle:
            return ShapeKind::Rectangle;
        case Tool::FilledRectangle:
            return ShapeKind::FilledRectangle;
        case Tool::Ellipse:
            return ShapeKind::Ellipse;
        case Tool::FilledEllipse:
            return ShapeKind::FilledEllipse;
        default:
            return std::nullopt;
    }
}

ViewGrid GridOf(const Editor& editor) {
    return ViewGrid(editor.currentImage().desc, editor.view(), editor.view().xScroll.position(),
                    editor.view().yScroll.position());
}

// r clipped to the image and to the part of it the view shows.
std::optional<ImageRect> VisiblePart(const Editor& editor, const ImageRect& r) {
    const View& view = editor.view();
    if (editor.view().zoom <= 0 || view.canvas.width <= 0 || view.canvas.height <= 0)
        return std::nullopt;
    const ImageDescriptor& desc = editor.currentImage().desc;
    const ViewGrid grid = GridOf(editor);
    const int pw = grid.pixelWidth();
    const ImagePoint last = grid.ViewToImage(view.canvas.width - 1, view.canvas.height - 1);
    const Extent e = ImageExtent(desc);
    const ImageRect c{std::max(r.x1, grid.scrollColumn() * pw), std::max(r.y1, grid.scrollRow()),
                      std::min({r.x2, last.x, std::min(e.width, kPlaneWidth - pw + 1) - 1}),
                      std::min({r.y2, last.y, e.height - 1})};
    if (c.x1 > c.x2 || c.y1 > c.y2) return std::nullopt;
    return ImageRect{AlignDown(c.x1, pw), c.y1, c.x2, c.y2};
}

// The color a preview pixel of `value` shows: what the pixel will show once
// written, as far as the drawing mode tells.
ColorCode PreviewColor(const Editor& editor, int x, int y, PixelValue value) {
    const Image& image = editor.currentImage();
    const EditorState& s = editor.state();
    if (s.drawingMode == DrawingMode::PixelOnly) return ValueColorAt(image, x, y, value);
    if (image.desc.pixelWidth != 2) return value % 2 != 0 ? s.drawColor1 : s.drawColor2;
    if (value == 1) return s.drawColor1;
    if (value == 2) return s.drawColor2;
    return ValueColorAt(image, x, y, value);
}

void PaintBlock(Editor& editor, const ViewGrid& grid, int x, int y, PixelValue value) {
    const ViewPoint v = grid.ImageToView(x, y);
    const uint32_t color = DisplayColor(
        editor.state().rgbTable[std::size_t(PreviewColor(editor, x, y, value) & 0xFF)]);
    FillRect(editor.view().canvas, v.x, v.y, v.x + grid.blockWidth(), v.y + grid.zoom(), color);
}

// The blocks of the image under r, as the image has them.
void RestoreBlocks(Editor& editor, const ImageRect& r) {
    const auto c = VisiblePart(editor, r);
    if (!c) return;
    const int pw = PixelWidthOf(editor.currentImage().desc);
    for (int y = c->y1; y <= c->y2; ++y)
        for (int x = c->x1; x <= c->x2; x += pw) editor.viewArea().DrawBlock(x, y);
}

const CopyBuffer& Brush(const Editor& editor) {
    return editor.store().copyBuffer();
}

bool BrushEmpty(const Editor& editor) {
    return ImageExtent(Brush(editor).desc).width <= 0 ||
           ImageExtent(Brush(editor).desc).height <= 0;
}

// The brush's pixels in image positions when its corner is at p: one call
// per buffer pixel with its value.
template <class Visit>
void ForEachBrushPixel(const Editor& editor, ImagePoint p, Visit visit) {
    const CopyBuffer& brush = Brush(editor);
    const int bpw = PixelWidthOf(brush.desc);
    const Extent e = ImageExtent(brush.desc);
    for (int bx = 0; bx < e.width && bx + bpw <= kPlaneWidth; bx += bpw)
        for (int by = 0; by < e.height; ++by)
            visit(p.x + bx, p.y + by, PixelValueAt(brush, bx, by));
}

ImageRect BrushBounds(const Editor& editor, ImagePoint p) {
    const Extent e = ImageExtent(Brush(editor).desc);
    return {p.x, p.y, p.x + e.width - 1, p.y + e.height - 1};
}

void PaintPreview(Editor& editor) {
    ToolState& t = editor.tools();
    const auto shownPart = [&](const ImageRect& r) { return VisiblePart(editor, r); };
    const ViewGrid grid = GridOf(editor);
    const int pw = grid.pixelWidth();
    if (t.dragging && !t.spans.empty()) {
        for (const Span& s : t.spans) {
            const auto c = shownPart({s.x1, s.y, s.x2, s.y});
            if (!c) continue;
            for (int x = c->x1; x <= c->x2; x += pw) PaintBlock(editor, grid, x, s.y, t.value);
        }
        t.shown = SpanBounds(t.spans);
    } else if (t.brushAt && !BrushEmpty(editor)) {
        const auto c = shownPart(BrushBounds(editor, *t.brushAt));
        if (!c) return;
        const int bpw = PixelWidthOf(Brush(editor).desc);
        ForEachBrushPixel(editor, *t.brushAt, [&](int x, int y, PixelValue v) {
            // Brush pixels are painted by the image's pixel they fall in.
            const int ax = AlignDown(x, pw);
            if (ax < c->x1 || ax > c->x2 || y < c->y1 || y > c->y2) return;
            if (t.brushTransparent && v == 0) return;
            PaintBlock(editor, grid, ax, y, bpw == pw ? v : v % 2);
        });
        t.shown = BrushBounds(editor, *t.brushAt);
    }
}

// Takes the preview away and draws the new one, redrawing only the blocks of
// the old one's bounds; the cursor follows the pointer inside the image.
template <class Change>
void UpdatePreview(Editor& editor, std::optional<ImagePoint> cursor, Change change) {
    ToolState& t = editor.tools();
    editor.viewArea().ToggleSelectionOutline();
    editor.viewArea().RedrawCursorBlock();
    if (t.shown) RestoreBlocks(editor, *t.shown);
    t.shown.reset();
    change();
    PaintPreview(editor);
    if (cursor && InCurrentImage(editor, cursor->x, cursor->y)) {
        editor.state().cursorX = cursor->x;
        editor.state().cursorY = cursor->y;
    }
    editor.viewArea().DrawCursorAndStatus();
    editor.viewArea().ToggleSelectionOutline();
}

void RemovePreview(Editor& editor) {
    ToolState& t = editor.tools();
    UpdatePreview(editor, std::nullopt, [&] {
        t.dragging = false;
        t.spans.clear();
        t.brushAt.reset();
    });
}

std::vector<ImageRect> RectsOf(const std::vector<Span>& spans) {
    std::vector<ImageRect> rects;
    rects.reserve(spans.size());
    for (const Span& s : spans) rects.push_back({s.x1, s.y, s.x2, s.y});
    return rects;
}

// Writes pixels and shows the result; the cursor stays at p.
void WriteAndRedraw(Editor& editor, const std::vector<ImageRect>& rects, PixelValue value,
                    ImagePoint p) {
    PutPixels(editor, rects, value);
    if (InCurrentImage(editor, p.x, p.y)) {
        editor.state().cursorX = p.x;
        editor.state().cursorY = p.y;
    }
    editor.viewArea().FullRedraw();
}

void FloodFill(Editor& editor, ImagePoint p, PixelValue value) {
    const ImageRect clip = editor.viewArea().SelectionRect();
    WriteAndRedraw(editor, FloodRegion(editor.currentImage(), p, clip), value, p);
}

// The clicked pixel's value becomes the current value and its color that
// value's drawing color; then the tool used before Pick is back.
void PickAt(Editor& editor, ImagePoint p) {
    EditorState& s = editor.state();
    const Image& image = editor.currentImage();
    const PixelValue v = PixelValueAt(image, p.x, p.y);
    const ColorCode color = ColorCodeAt(image, p.x, p.y);
    s.currentPixelValue = v;
    const bool multi = image.desc.pixelWidth == 2;
    if (v == 1) s.drawColor1 = color;
    if (multi ? v == 2 : v == 0) s.drawColor2 = color;
    SelectTool(editor, editor.tools().beforePick);
    editor.ShowStatus("Picked value " + std::to_string(v) + ", color $" + HexByte(color & 0xFF));
}

// Pastes the brush with its corner at p as Paste does at the cursor; with
// `transparent` its zero pixels keep the image's pixels. The right button
// clears the image's pixels under the brush's non-zero ones.
void StampBrush(Editor& editor, ImagePoint p, bool erase, bool transparent) {
    if (BrushEmpty(editor)) return;
    Image& image = editor.currentImage();
    if (erase) {
        std::vector<ImageRect> rects;
        const int pw = PixelWidthOf(image.desc);
        ForEachBrushPixel(editor, p, [&](int x, int y, PixelValue v) {
            if (v != 0) rects.push_back({AlignDown(x, pw), y, AlignDown(x, pw), y});
        });
        return WriteAndRedraw(editor, rects, 0, p);
    }
    const CopyBuffer& brush = Brush(editor);
    const Extent e = ImageExtent(brush.desc);
    const int bpw = PixelWidthOf(brush.desc);
    const int columns = std::max(0, std::min({e.width + bpw - 1, kPlaneWidth - p.x}));
    const int rows = std::max(0, std::min(e.height, kPlaneHeight - p.y));
    // The image's bytes under the brush, to put back where the brush is 0.
    std::vector<uint8_t> under;
    if (transparent && p.x >= 0 && p.y >= 0) {
        under.resize(std::size_t(columns) * std::size_t(rows));
        for (int c = 0; c < columns; ++c)
            std::memcpy(&under[std::size_t(c) * std::size_t(rows)],
                        image.plane.column(p.x + c) + p.y, std::size_t(rows));
    }
    if (!PasteBuffer(image, brush, p.x, p.y, editor.state().drawingMode)) return;
    if (transparent && editor.state().drawingMode != DrawingMode::ColorOnly) {
        for (int c = 0; c < columns; c += bpw)
            for (int r = 0; r < rows; ++r) {
                if (PixelValueAt(brush, c, r) != 0) continue;
                for (int k = 0; k < bpw && c + k < columns; ++k)
                    image.plane.column(p.x + c + k)[p.y + r] =
                        under[std::size_t(c + k) * std::size_t(rows) + std::size_t(r)];
            }
    }
    WriteAndRedraw(editor, {}, 0, p);
}

}  // namespace

const char* ToolName(Tool tool) {
    return kTools[int(tool)].name;
}

const char* ToolMenuItem(Tool tool) {
    return kTools[int(tool)].menuItem;
}

void SelectTool(Editor& editor, Tool tool) {
    ToolState& t = editor.tools();
    if (t.dragging || t.brushAt) RemovePreview(editor);
    if (tool == Tool::Pick && t.tool != Tool::Pick) t.beforePick = t.tool;
    t.tool = tool;
    editor.ShowStatus(ToolHintText(editor));
}

void ToolMouseDown(Editor& editor, ImagePoint p, MouseButton button, ShiftState shift) {
    ToolState& t = editor.tools();
    const bool erase = button == MouseButton::Right;
    const PixelValue value = erase ? 0 : editor.state().currentPixelValue;
    const bool inside = InCurrentImage(editor, p.x, p.y);
    if (const auto shape = ShapeOf(t.tool)) {
        // A shape may start beside the image; only its part inside is drawn.
        UpdatePreview(editor, p, [&] {
            t.brushAt.reset();
            t.dragging = true;
            t.anchor = p;
            t.value = value;
            t.spans = ShapeSpans(*shape, p, p, PixelWidthOf(editor.currentImage().desc));
        });
        return;
    }
    if (!inside) return;
    switch (t.tool) {
        case Tool::FloodFill:
            return FloodFill(editor, p, value);
        case Tool::Pick:
            return PickAt(editor, p);
        case Tool::Brush:
            t.brushAt.reset();
            t.shown.reset();
            return StampBrush(editor, p, erase, (shift & kCtrl) != 0);
        default:
            return;
    }
}

void ToolMouseMove(Editor& editor, ImagePoint p, ShiftState shift) {
    ToolState& t = editor.tools();
    if (t.dragging) {
        const auto shape = ShapeOf(t.tool);
        if (!shape) return;
        UpdatePreview(editor, p, [&] {
            t.spans = ShapeSpans(*shape, t.anchor, p, PixelWidthOf(editor.currentImage().desc));
        });
        return;
    }
    if (t.tool == Tool::Brush && !(shift & (kLeftButton | kRightButton)) && !BrushEmpty(editor)) {
        UpdatePreview(editor, p, [&] {
            t.brushAt = p;
            t.brushTransparent = (shift & kCtrl) != 0;
        });
    }
}

void ToolMouseUp(Editor& editor) {
    ToolState& t = editor.tools();
    if (!t.dragging) return;
    const std::vector<Span> spans = t.spans;
    const ImagePoint cursor{editor.state().cursorX, editor.state().cursorY};
    t.dragging = false;
    t.spans.clear();
    t.shown.reset();
    WriteAndRedraw(editor, RectsOf(spans), t.value, cursor);
}

bool ShapeDragActive(const Editor& editor) {
    return editor.tools().dragging;
}

void CancelShape(Editor& editor) {
    if (ShapeDragActive(editor)) RemovePreview(editor);
}

void PaintToolPreview(Editor& editor) {
    ToolState& t = editor.tools();
    t.shown.reset();
    PaintPreview(editor);
}

std::vector<ImageRect> FloodRegion(const Image& image, ImagePoint start, ImageRect clip) {
    const int pw = PixelWidthOf(image.desc);
    const Extent e = ImageExtent(image.desc);
    const ImageRect r{std::max(clip.x1, 0), std::max(clip.y1, 0),
                      std::min({clip.x2, e.width - 1, kPlaneWidth - pw}),
                      std::min(clip.y2, e.height - 1)};
    std::vector<ImageRect> runs;
    if (start.x < r.x1 || start.x > r.x2 || start.y < r.y1 || start.y > r.y2) return runs;
    const int x0 = AlignDown(r.x1 + pw - 1, pw);
    const int columns = (r.x2 - x0) / pw + 1;
    const int rows = r.y2 - r.y1 + 1;
    if (columns <= 0 || rows <= 0 || (start.x - x0) % pw != 0) return runs;
    const PixelValue target = PixelValueAt(image, start.x, start.y);
    std::vector<uint8_t> seen(std::size_t(columns) * std::size_t(rows), 0);
    auto done = [&](int x, int y) -> uint8_t& {
        return seen[std::size_t((x - x0) / pw) * std::size_t(rows) + std::size_t(y - r.y1)];
    };
    auto open = [&](int x, int y) { return !done(x, y) && PixelValueAt(image, x, y) == target; };
    // Seeds of column runs still to fill: the program's own stack, never the call stack.
    std::vector<ImagePoint> seeds{start};
    while (!seeds.empty()) {
        const ImagePoint s = seeds.back();
        seeds.pop_back();
        if (!open(s.x, s.y)) continue;
        int top = s.y;
        int bottom = s.y;
        while (top > r.y1 && open(s.x, top - 1)) --top;
        while (bottom < r.y2 && open(s.x, bottom + 1)) ++bottom;
        for (int y = top; y <= bottom; ++y) done(s.x, y) = 1;
        runs.push_back({s.x, top, s.x, bottom});
        for (const int nx : {s.x - pw, s.x + pw}) {
            if (nx < x0 || nx > r.x2) continue;
            bool inRun = false;
            for (int y = top; y <= bottom; ++y) {
                const bool o = open(nx, y);
                if (o && !inRun) seeds.push_back({nx, y});
                inRun = o;
            }
        }
    }
    return runs;
}

std::array<ColorCode, 4> ValueSwatchColors(const Editor& editor) {
    const EditorState& s = editor.state();
    std::array<ColorCode, 4> colors{};
    const Image& image = editor.currentImage();
    const bool inside = InCurrentImage(editor, s.cursorX, s.cursorY);
    for (int v = 0; v < 4; ++v)
        colors[std::size_t(v)] = inside ? ValueColorAt(image, s.cursorX, s.cursorY, v) : 0;
    return colors;
}

std::string ToolHintText(const Editor& editor) {
    return "Value " + std::to_string(editor.state().currentPixelValue) + " - " +
           ToolName(editor.tools().tool);
}

}  // namespace pixolat
