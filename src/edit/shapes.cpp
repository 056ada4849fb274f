#include "edit/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pixolat {

int RoundHalfToEven(double v) {
    return int(std::nearbyint(v));
}

namespace {

// A box in pixel columns (of pw) and rows, corners sorted.
struct Box {
    int c1;
    int y1;
    int c2;
    int y2;
};

Box BoxOf(ImagePoint a, ImagePoint b, int pw) {
    const int ca = AlignDown(a.x, pw) / pw;
    const int cb = AlignDown(b.x, pw) / pw;
    return {std::min(ca, cb), std::min(a.y, b.y), std::max(ca, cb), std::max(a.y, b.y)};
}

void AddSpan(std::vector<Span>& spans, int y, int c1, int c2, int pw) {
    spans.push_back({y, c1 * pw, c2 * pw});
}

std::vector<Span> RectangleSpans(const Box& b, int pw, bool filled) {
    std::vector<Span> spans;
    for (int y = b.y1; y <= b.y2; ++y) {
        if (filled || y == b.y1 || y == b.y2) {
            AddSpan(spans, y, b.c1, b.c2, pw);
        } else {
            AddSpan(spans, y, b.c1, b.c1, pw);
            if (b.c2 != b.c1) AddSpan(spans, y, b.c2, b.c2, pw);
        }
    }
    return spans;
}

// The ellipse in doubled coordinates about the box's middle: with A and B
// the box's width and height, the pixel at X = 2c - (c1 + c2), Y = 2y - (y1 + y2)
// lies inside when X²B² + Y²A² <= A²B²; the middle one or two pixels of
// every row and the middle rows always are, so that the ellipse touches all
// four sides of the box, however flat.
// HalfWidth is the largest such |X| of a row.
class Ellipse {
public:
    explicit Ellipse(const Box& b) : box_(b), a_(b.c2 - b.c1 + 1), b_(b.y2 - b.y1 + 1) {}

    int HalfWidth(int y) const {
        const int64_t yy = 2 * int64_t(y) - (box_.y1 + box_.y2);
        if (yy >= -1 && yy <= 1) return int(a_ - 1);
        const int64_t room = a_ * a_ * (b_ * b_ - yy * yy);
        const int parity = int((a_ - 1) % 2);
        int64_t x = int64_t(std::sqrt(double(room))) / b_;
        while (x > 0 && x * x * b_ * b_ > room) --x;
        while ((x + 1) * (x + 1) * b_ * b_ <= room) ++x;
        if ((x - parity) % 2 != 0) --x;
        return int(std::clamp<int64_t>(x, parity, a_ - 1));
    }

private:
    Box box_;
    int64_t a_;
    int64_t b_;
};

std::vector<Span> EllipseSpans(const Box& b, int pw, bool filled) {
    std::vector<Span> spans;
    const Ellipse ellipse(b);
    const int sum = b.c1 + b.c2;
    const int parity = (b.c2 - b.c1) % 2;
    for (int y = b.y1; y <= b.y2; ++y) {
        const int h = ellipse.HalfWidth(y);
        const int left = (sum - h) / 2;
        const int right = (sum + h) / 2;
        if (filled) {
            AddSpan(spans, y, left, right, pw);
            continue;
        }
        // The outline: pixels whose neighbour above or below lies outside,
        // and the row's two ends.
        const int above = y > b.y1 ? ellipse.HalfWidth(y - 1) : -1;
        const int below = y < b.y2 ? ellipse.HalfWidth(y + 1) : -1;
        const int covered = std::min(above, below);
        int inner = covered < parity ? parity : covered + 2;
        inner = std::min(inner, h);
        if (inner <= 1) {
            AddSpan(spans, y, left, right, pw);
        } else {
            AddSpan(spans, y, left, (sum - inner) / 2, pw);
            AddSpan(spans, y, (sum + inner) / 2, right, pw);
        }
    }
    return spans;
}

}  // namespace

std::vector<Span> ShapeSpans(ShapeKind kind, ImagePoint from, ImagePoint to, int pw) {
    const Box box = BoxOf(from, to, pw);
    switch (kind) {
        case ShapeKind::Line: {
            std::vector<Span> spans;
            ForEachLinePoint(from.x, from.y, to.x, to.y, pw, [&](int x, int y) {
                spans.push_back({y, x, x});
            });
            return spans;
        }
        case ShapeKind::Rectangle:
            return RectangleSpans(box, pw, false);
        case ShapeKind::FilledRectangle:
            return RectangleSpans(box, pw, true);
        case ShapeKind::Ellipse:
            return EllipseSpans(box, pw, false);
        case ShapeKind::FilledEllipse:
            return EllipseSpans(box, pw, true);
    }
    return {};
}

ImageRect SpanBounds(const std::vector<Span>& spans) {
    ImageRect r{spans.front().x1, spans.front().y, spans.front().x2, spans.front().y};
    for (const Span& s : spans) {
        r.x1 = std::min(r.x1, s.x1);
        r.x2 = std::max(r.x2, s.x2);
        r.y1 = std::min(r.y1, s.y);
        r.y2 = std::max(r.y2, s.y);
    }
    return r;
}

}  // namespace pixolat
