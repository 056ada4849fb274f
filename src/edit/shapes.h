#pragma once
// The shapes the drawing tools drag out, as the image pixels they cover.
// Coordinates are hires positions; x of every pixel is a multiple of the
// pixel width pw, and a shape's pixels are counted in columns of pw.
// Pixels may lie outside the image: whoever draws them clips.
#include <cstdlib>
#include <utility>
#include <vector>

#include "render/canvas.h"
#include "render/view_grid.h"

namespace pixolat {

// Pixels x1, x1 + pw, ..., x2 of row y (inclusive, x1 <= x2).
struct Span {
    int y;
    int x1;
    int x2;
};

enum class ShapeKind { Line, Rectangle, FilledRectangle, Ellipse, FilledEllipse };

// Rounds x down to a multiple of pw, also left of the image.
inline int AlignDown(int x, int pw) {
    return x >= 0 ? x / pw * pw : -((-x + pw - 1) / pw) * pw;
}

// Halves go to the even neighbour.
int RoundHalfToEven(double v);

// The points of the line from (x1, y1) to (x2, y2) in drawing order: one per
// column (of pw) or per row, whichever is longer, the other coordinate
// rounded with halves to even. The freehand drag draws the same points.
template <class Visit>
void ForEachLinePoint(int x1, int y1, int x2, int y2, int pw, Visit visit) {
    if (x1 == x2 && y1 == y2) return visit(x1, y1);
    const int dxp = std::abs((x1 - x2) / pw);
    const int dy = std::abs(y1 - y2);
    if (dxp > dy) {
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        for (int x = x1; x <= x2; x += pw) {
            const double t = double(x - x1) / double(x2 - x1);
            visit(x, RoundHalfToEven(t * double(y2 - y1) + y1));
        }
    } else {
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        for (int y = y1; y <= y2; ++y) {
            const double t = double(y - y1) / double(y2 - y1);
            visit(AlignDown(RoundHalfToEven(t * double(x2 - x1) + x1), pw), y);
        }
    }
}

// The pixels of a shape dragged from `from` to `to` (both aligned to pw):
// a line between them, or a rectangle or an ellipse fitted to the box they
// span. An ellipse is symmetric about the box's middle, touches all four
// sides and has no gaps; a box one pixel high or wide gives a line.
std::vector<Span> ShapeSpans(ShapeKind kind, ImagePoint from, ImagePoint to, int pw);

// The smallest rectangle holding every span (spans must not be empty).
ImageRect SpanBounds(const std::vector<Span>& spans);

}  // namespace pixolat
