#include "edit/tools.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "document/colors.h"
#include "document/pixels.h"
#include "document/text.h"
#include "edit/copy_paste.h"
#include "edit/drawing.h"
#include "edit/editor.h"
#include "edit/flood_fill.h"

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

// Pastes the brush with its corner at p as Paste does at the cursor; with
// `transparent` its zero pixels keep the image's pixels.
void PasteBrush(Editor& editor, ImagePoint p, bool transparent) {
    Image& image = editor.currentImage();
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
}

// What a paste at p may change: the brush's pixels, and the whole cells
// under them, whose colors are pasted on the cell grid.
ImageRect BrushReach(const Editor& editor, ImagePoint p) {
    const ImageRect r = BrushBounds(editor, p);
    return {std::max(r.x1, 0) / 8 * 8, std::max(r.y1, 0) / 8 * 8, r.x2 | 7, r.y2 | 7};
}

// The brush shown as a click at p would write it: pasted into the image, its
// reach drawn, and the image put back as it was.
void DrawBrushPreview(Editor& editor, ImagePoint p, bool transparent) {
    const auto c = VisiblePart(editor, BrushReach(editor, p));
    if (!c) return;
    Image& image = editor.currentImage();
    const std::vector<uint8_t> colmap(image.colmap.data(), image.colmap.data() + kAttributeBytes);
    const std::vector<uint8_t> lummap(image.lummap.data(), image.lummap.data() + kAttributeBytes);
    const Extent e = ImageExtent(Brush(editor).desc);
    const int x0 = std::clamp(p.x, 0, kPlaneWidth),
              x1 = std::clamp(p.x + e.width + 1, 0, kPlaneWidth);
    const int y0 = std::clamp(p.y, 0, kPlaneHeight),
              y1 = std::clamp(p.y + e.height, 0, kPlaneHeight);
    std::vector<uint8_t> plane(std::size_t(x1 - x0) * std::size_t(y1 - y0));
    for (int x = x0; x < x1; ++x)
        std::memcpy(&plane[std::size_t(x - x0) * std::size_t(y1 - y0)], image.plane.column(x) + y0,
                    std::size_t(y1 - y0));
    PasteBrush(editor, p, transparent);
    const int pw = PixelWidthOf(image.desc);
    for (int y = c->y1; y <= c->y2; ++y)
        for (int x = c->x1; x <= c->x2; x += pw) editor.viewArea().DrawBlock(x, y);
    std::copy(colmap.begin(), colmap.end(), image.colmap.data());
    std::copy(lummap.begin(), lummap.end(), image.lummap.data());
    for (int x = x0; x < x1; ++x)
        std::memcpy(image.plane.column(x) + y0, &plane[std::size_t(x - x0) * std::size_t(y1 - y0)],
                    std::size_t(y1 - y0));
}

// The spans' pixels in rows, then columns, with overlapping or touching
// spans of a row joined.
std::vector<Span> Normalized(std::vector<Span> spans, int pw) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return std::tie(a.y, a.x1) < std::tie(b.y, b.x1);
    });
    std::vector<Span> out;
    for (const Span& s : spans) {
        if (!out.empty() && out.back().y == s.y && s.x1 <= out.back().x2 + pw)
            out.back().x2 = std::max(out.back().x2, s.x2);
        else
            out.push_back(s);
    }
    return out;
}

// The pixels of `a` that are not in `b`; both normalized.
std::vector<Span> SpansMinus(const std::vector<Span>& a, const std::vector<Span>& b, int pw) {
    std::vector<Span> out;
    auto j = b.begin();
    for (const Span& s : a) {
        while (j != b.end() && (j->y < s.y || (j->y == s.y && j->x2 < s.x1))) ++j;
        int from = s.x1;
        for (auto k = j; k != b.end() && k->y == s.y && k->x1 <= s.x2; ++k) {
            if (k->x1 > from) out.push_back({s.y, from, k->x1 - pw});
            from = std::max(from, k->x2 + pw);
        }
        if (from <= s.x2) out.push_back({s.y, from, s.x2});
    }
    return out;
}

bool InSpans(const std::vector<Span>& spans, int x, int y) {
    return std::any_of(spans.begin(), spans.end(),
                       [&](const Span& s) { return s.y == y && s.x1 <= x && x <= s.x2; });
}

// The image's blocks under the spans, as the image has them.
void RestoreSpans(Editor& editor, const std::vector<Span>& spans) {
    const int pw = PixelWidthOf(editor.currentImage().desc);
    for (const Span& s : spans) {
        const auto c = VisiblePart(editor, {s.x1, s.y, s.x2, s.y});
        if (!c) continue;
        for (int x = c->x1; x <= c->x2; x += pw) editor.viewArea().DrawBlock(x, s.y);
    }
}

void PaintSpans(Editor& editor, const ViewGrid& grid, const std::vector<Span>& spans,
                PixelValue value) {
    const int pw = grid.pixelWidth();
    for (const Span& s : spans) {
        const auto c = VisiblePart(editor, {s.x1, s.y, s.x2, s.y});
        if (!c) continue;
        for (int x = c->x1; x <= c->x2; x += pw) PaintBlock(editor, grid, x, s.y, value);
    }
}

void PaintPreview(Editor& editor) {
    ToolState& t = editor.tools();
    const ViewGrid grid = GridOf(editor);
    const int pw = grid.pixelWidth();
    if (t.dragging && !t.spans.empty()) {
        t.shownSpans = Normalized(t.spans, pw);
        PaintSpans(editor, grid, t.shownSpans, t.value);
        t.shown = SpanBounds(t.spans);
    } else if (t.brushAt && !BrushEmpty(editor)) {
        DrawBrushPreview(editor, *t.brushAt, t.brushTransparent);
        t.shown = BrushReach(editor, *t.brushAt);
    }
}

// Takes the preview away and draws the new one; the cursor follows the
// pointer inside the image. From one shape to the next only the pixels that
// differ are drawn (a drag event of a large filled shape touches a row or
// two); the brush redraws its old bounds.
template <class Change>
void UpdatePreview(Editor& editor, std::optional<ImagePoint> cursor, Change change) {
    ToolState& t = editor.tools();
    EditorState& s = editor.state();
    editor.viewArea().ToggleSelectionOutline();
    const ImagePoint oldCursor{s.cursorX, s.cursorY};
    editor.viewArea().RedrawCursorBlock();
    const std::vector<Span> old = std::move(t.shownSpans);
    t.shownSpans.clear();
    if (t.shown && old.empty()) RestoreBlocks(editor, *t.shown);
    t.shown.reset();
    change();
    if (t.dragging && !t.spans.empty()) {
        const ViewGrid grid = GridOf(editor);
        const int pw = grid.pixelWidth();
        const std::vector<Span> now = Normalized(t.spans, pw);
        RestoreSpans(editor, SpansMinus(old, now, pw));
        PaintSpans(editor, grid, SpansMinus(now, old, pw), t.value);
        // The cursor's block was drawn from the image above.
        if (InSpans(now, oldCursor.x, oldCursor.y))
            PaintSpans(editor, grid, {{oldCursor.y, oldCursor.x, oldCursor.x}}, t.value);
        t.shownSpans = now;
        t.shown = SpanBounds(now);
    } else {
        RestoreSpans(editor, old);
        PaintPreview(editor);
    }
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

// Column runs side by side with the same rows become one rectangle: a
// fill of a plain area then writes each cell color entry once, not once
// per column.
std::vector<ImageRect> MergedRuns(std::vector<ImageRect> runs, int pw) {
    std::sort(runs.begin(), runs.end(), [](const ImageRect& a, const ImageRect& b) {
        return std::tie(a.y1, a.y2, a.x1) < std::tie(b.y1, b.y2, b.x1);
    });
    std::vector<ImageRect> rects;
    for (const ImageRect& run : runs) {
        if (!rects.empty() && rects.back().y1 == run.y1 && rects.back().y2 == run.y2 &&
            rects.back().x2 + pw == run.x1)
            rects.back().x2 = run.x2;
        else
            rects.push_back(run);
    }
    return rects;
}

// Where the fill writes pixels of a value the region does not show, the
// pixels it writes mark what is done: it writes the plane as it searches.
// Otherwise (only cell colors change) the region is found first.
void FloodFill(Editor& editor, ImagePoint p, PixelValue value) {
    const ImageRect clip = editor.viewArea().SelectionRect();
    Image& image = editor.currentImage();
    if (editor.state().drawingMode != DrawingMode::ColorOnly &&
        StoredValue(image.desc, value) != PixelValueAt(image, p.x, p.y)) {
        ColorCellsOfRuns(editor, FillRegion(image, p, clip, value), value);
        return WriteAndRedraw(editor, {}, value, p);
    }
    WriteAndRedraw(editor, MergedRuns(FloodRegion(image, p, clip), PixelWidthOf(image.desc)), value,
                   p);
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

// Pastes the brush with its corner at p as PasteBrush does; the right button
// clears the image's pixels under the brush's non-zero ones.
void StampBrush(Editor& editor, ImagePoint p, bool erase, bool transparent) {
    if (BrushEmpty(editor)) return;
    if (erase) {
        std::vector<ImageRect> rects;
        const int pw = PixelWidthOf(editor.currentImage().desc);
        ForEachBrushPixel(editor, p, [&](int x, int y, PixelValue v) {
            if (v != 0) rects.push_back({AlignDown(x, pw), y, AlignDown(x, pw), y});
        });
        return WriteAndRedraw(editor, rects, 0, p);
    }
    PasteBrush(editor, p, transparent);
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
    t.shownSpans.clear();
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
    t.shownSpans.clear();
    PaintPreview(editor);
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
