// The drawing tools: each shape against a plain per-pixel reference, on
// hires and multicolor images of every color map kind; the preview over the
// view, Esc, undo, the right button, flood fill against a plain fill, Pick,
// Brush, the tool keys and zooming with the wheel and the main keyboard.
#include "edit/tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <set>

#include "document/colors.h"
#include "edit/commands/tool_commands.h"
#include "edit/drawing.h"
#include "edit/key_map.h"
#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

using Pixels = std::set<std::pair<int, int>>;  // (x, y)

// Every byte a tool could change.
std::string Bytes(const Image& m) {
    std::string b(reinterpret_cast<const char*>(m.plane.data()), kPlaneBytes);
    b.append(reinterpret_cast<const char*>(m.colmap.data()), kAttributeBytes);
    b.append(reinterpret_cast<const char*>(m.lummap.data()), kAttributeBytes);
    return b + char(m.desc.color0) + char(m.desc.color3);
}

// Where two Bytes() differ first, or "" when they are the same.
std::string Difference(const std::string& a, const std::string& b) {
    const auto at = std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin();
    if (std::size_t(at) == a.size()) return "";
    if (std::size_t(at) < kPlaneBytes)
        return "pixel " + std::to_string(at / kPlaneHeight) + "," +
               std::to_string(at % kPlaneHeight);
    return "attribute byte " + std::to_string(std::size_t(at) - kPlaneBytes);
}

// The plain definitions, pixel by pixel, in columns c of pw.
bool InEllipse(int c, int y, int c1, int y1, int c2, int y2) {
    if (c < c1 || c > c2 || y < y1 || y > y2) return false;
    const int64_t a = c2 - c1 + 1, b = y2 - y1 + 1;
    const int64_t x = 2 * c - (c1 + c2), yy = 2 * y - (y1 + y2);
    return std::abs(x) <= 1 || std::abs(yy) <= 1 ||
           x * x * b * b + yy * yy * a * a <= a * a * b * b;
}

Pixels ReferenceShape(ShapeKind kind, ImagePoint p, ImagePoint q, int pw) {
    const int c1 = std::min(p.x, q.x) / pw, c2 = std::max(p.x, q.x) / pw;
    const int y1 = std::min(p.y, q.y), y2 = std::max(p.y, q.y);
    Pixels out;
    for (int y = y1; y <= y2; ++y)
        for (int c = c1; c <= c2; ++c) {
            const bool border = c == c1 || c == c2 || y == y1 || y == y2;
            const bool in = InEllipse(c, y, c1, y1, c2, y2);
            const bool edge =
                in &&
                (!InEllipse(c - 1, y, c1, y1, c2, y2) || !InEllipse(c + 1, y, c1, y1, c2, y2) ||
                 !InEllipse(c, y - 1, c1, y1, c2, y2) || !InEllipse(c, y + 1, c1, y1, c2, y2));
            const bool take = kind == ShapeKind::Rectangle         ? border
                              : kind == ShapeKind::FilledRectangle ? true
                              : kind == ShapeKind::Ellipse         ? edge
                                                                   : in;
            if (take) out.insert({c * pw, y});
        }
    return out;
}

Pixels PixelsOf(const std::vector<Span>& spans, int pw) {
    Pixels out;
    for (const Span& s : spans)
        for (int x = s.x1; x <= s.x2; x += pw) out.insert({x, s.y});
    return out;
}

TEST(Shapes, RectanglesAndEllipsesAreThePlainDefinitionsSymmetricAndTouchTheBox) {
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        const int pw = 1 + int(rng() % 2);
        const ImagePoint p{int(rng() % 30) * pw, int(rng() % 30)};
        const ImagePoint q{int(rng() % 30) * pw, int(rng() % 30)};
        for (ShapeKind kind : {ShapeKind::Rectangle, ShapeKind::FilledRectangle, ShapeKind::Ellipse,
                               ShapeKind::FilledEllipse}) {
            const Pixels got = PixelsOf(ShapeSpans(kind, p, q, pw), pw);
            ASSERT_EQ(got, ReferenceShape(kind, p, q, pw))
                << int(kind) << " " << p.x << "," << p.y << " " << q.x << "," << q.y;
            const int x1 = std::min(p.x, q.x), x2 = std::max(p.x, q.x);
            const int y1 = std::min(p.y, q.y), y2 = std::max(p.y, q.y);
            bool top = false, bottom = false, left = false, right = false;
            for (const auto& [x, y] : got) {
                ASSERT_TRUE(got.count({x1 + x2 - x, y}) && got.count({x, y1 + y2 - y}));
                top |= y == y1, bottom |= y == y2, left |= x == x1, right |= x == x2;
            }
            EXPECT_TRUE(top && bottom && left && right);
        }
    }
    // A box one pixel high is a line, whatever its width.
    EXPECT_EQ(PixelsOf(ShapeSpans(ShapeKind::Ellipse, {2, 5}, {30, 5}, 2), 2).size(), 15u);
    EXPECT_EQ(PixelsOf(ShapeSpans(ShapeKind::Ellipse, {7, 0}, {7, 40}, 1), 1).size(), 41u);
}

TEST(Shapes, AnEllipseOutlineHasNoGapsAtAnySize) {
    for (int w = 1; w <= 40; w += 3)
        for (int h = 1; h <= 40; h += 2) {
            const Pixels ring =
                PixelsOf(ShapeSpans(ShapeKind::Ellipse, {0, 0}, {w - 1, h - 1}, 1), 1);
            // Walking the 8-connected neighbours from one pixel reaches them all.
            Pixels seen{*ring.begin()};
            std::deque<std::pair<int, int>> todo{*ring.begin()};
            while (!todo.empty()) {
                const auto [x, y] = todo.front();
                todo.pop_front();
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        if (ring.count({x + dx, y + dy}) && seen.insert({x + dx, y + dy}).second)
                            todo.push_back({x + dx, y + dy});
            }
            ASSERT_EQ(seen.size(), ring.size()) << w << "x" << h;
        }
}

// An editor at zoom 4 without a grid: pixel (x, y) lies at view (4 x, 4 y).
class ToolsTest : public ViewTest {
protected:
    std::mt19937 rng{11};

    void SetUp() override {
        ResizeView(400, 300);
        SetZoomAndGrid(4, GridSetting::NoGrid);
    }
    void Use(Tool tool) { editor.RunMenuCommand(ToolMenuItem(tool)); }
    void Down(ImagePoint p, MouseButton b = MouseButton::Left, ShiftState s = 0) {
        const ShiftState held = b == MouseButton::Left ? kLeftButton : kRightButton;
        editor.imgMouseDown(b, s | held, p.x * 4 + 1, p.y * 4 + 1);
    }
    void Move(ImagePoint p, ShiftState s = kLeftButton) {
        editor.imgMouseMove(s, p.x * 4 + 1, p.y * 4 + 1);
    }
    void Up(ImagePoint p, MouseButton b = MouseButton::Left) {
        editor.imgMouseUp(b, 0, p.x * 4 + 1, p.y * 4 + 1);
    }
    void Randomize() {
        Image& m = image();
        for (int x = 0; x < kPlaneWidth; ++x)
            for (int y = 0; y < 200; ++y) m.plane.at(x, y) = uint8_t(rng() % 5 == 0);
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            m.colmap.data()[i] = uint8_t(rng());
            m.lummap.data()[i] = uint8_t(rng());
        }
        editor.viewArea().FullRedraw();
    }
    ImagePoint RandomPoint(int w, int h) {
        const int pw = PixelWidthOf(image().desc);
        return {int(rng() % unsigned(w / pw)) * pw, int(rng() % unsigned(h))};
    }
    void ExpectViewIsWhole() {
        const std::vector<DisplayPixel> shown = view().pixels;
        editor.viewArea().FullRedraw();
        ASSERT_EQ(shown, view().pixels);
    }
};

TEST_F(ToolsTest, EachShapeToolDrawsItsShapeOnEveryKindOfImageAsOneUndoStep) {
    const Tool tools[] = {Tool::Line, Tool::Rectangle, Tool::FilledRectangle, Tool::Ellipse,
                          Tool::FilledEllipse};
    const ShapeKind kinds[] = {ShapeKind::Line, ShapeKind::Rectangle, ShapeKind::FilledRectangle,
                               ShapeKind::Ellipse, ShapeKind::FilledEllipse};
    for (ColorMapKind kind : {ColorMapKind::None, ColorMapKind::Normal, ColorMapKind::Dfli})
        for (int pw : {1, 2})
            for (int t = 0; t < 5; ++t)
                for (int round = 0; round < 2; ++round) {
                    SCOPED_TRACE(::testing::Message() << int(kind) << " pw " << pw << " tool " << t
                                                      << " round " << round);
                    MakeImage(64, 48, pw, kind);
                    Randomize();
                    state().drawingMode = DrawingMode(rng() % 3);
                    state().currentPixelValue = int(rng() % 4);
                    state().selectionActive = round == 1;
                    state().selectionAnchorX = state().selectionAnchorY = 8;
                    state().selectionEndX = state().selectionEndY = 20;
                    editor.viewArea().FullRedraw();
                    editor.undo().EndStep();
                    const std::string before = Bytes(image());
                    const ImagePoint a = RandomPoint(64, 48), mid = RandomPoint(64, 48),
                                     b = RandomPoint(64, 48);
                    Use(tools[t]);
                    Down(a);
                    Move(mid);
                    ExpectViewIsWhole();
                    // From shape to shape only the pixels that differ are drawn.
                    Move(RandomPoint(64, 48));
                    ExpectViewIsWhole();
                    Move(b);
                    ASSERT_EQ(Difference(Bytes(image()), before),
                              "");  // the preview is over the view only
                    ExpectViewIsWhole();
                    Up(b);
                    const std::string drawn = Bytes(image());
                    const PixelValue value = state().currentPixelValue;
                    // Multicolor 0 and 3 in "Color only" change nothing: no step to undo.
                    if (drawn != before) editor.RunMenuCommand("mnuEditUndo");
                    ASSERT_EQ(Difference(Bytes(image()), before), "");
                    // Showing the restored hires image took the value into 0..1.
                    state().currentPixelValue = value;
                    // The reference: PutPixel on each pixel of the plain shape;
                    // a line as a freehand drag draws it.
                    if (kinds[t] == ShapeKind::Line) {
                        Use(Tool::Freehand);
                        Down(a);
                        Move(b);
                        Up(b);
                    } else {
                        for (const auto& [x, y] : ReferenceShape(kinds[t], a, b, pw)) {
                            state().cursorX = x;
                            state().cursorY = y;
                            PutPixel(editor, x, y, state().currentPixelValue, false);
                        }
                    }
                    ASSERT_EQ(Difference(Bytes(image()), drawn), "")
                        << a.x << "," << a.y << " " << mid.x << "," << mid.y << " " << b.x << ","
                        << b.y << " mode " << int(state().drawingMode) << " value "
                        << state().currentPixelValue;
                }
}

TEST_F(ToolsTest, PutPixelsEqualsPutPixelOnEveryPixel) {
    for (int round = 0; round < 24; ++round) {
        MakeImage(40 + 8 * int(rng() % 4), 32, 1 + int(rng() % 2), ColorMapKind(rng() % 3));
        Randomize();
        state().drawingMode = DrawingMode(rng() % 3);
        state().selectionActive = rng() % 2;
        state().selectionAnchorX = 4, state().selectionAnchorY = 6;
        state().selectionEndX = 30, state().selectionEndY = 17;
        const int pw = PixelWidthOf(image().desc);
        std::vector<ImageRect> rects;
        for (int i = 0; i < 5; ++i) {
            const ImagePoint p = RandomPoint(64, 40), q = RandomPoint(64, 40);
            rects.push_back({p.x - 2 * pw, p.y, p.x + q.x % 12, p.y + q.y % 12});
        }
        const PixelValue v = int(rng() % 4);
        const std::string before = Bytes(image());
        PutPixels(editor, rects, v);
        const std::string batched = Bytes(image());
        const ImagePoint cursor{state().cursorX, state().cursorY};
        std::copy(before.begin(), before.begin() + kPlaneBytes, image().plane.data());
        std::copy(before.begin() + kPlaneBytes, before.begin() + kPlaneBytes + kAttributeBytes,
                  image().colmap.data());
        std::copy(before.begin() + kPlaneBytes + kAttributeBytes,
                  before.begin() + kPlaneBytes + 2 * kAttributeBytes, image().lummap.data());
        for (const ImageRect& r : rects)
            for (int x = r.x1; x <= r.x2; x += pw)
                for (int y = r.y1; y <= r.y2; ++y)
                    if (InCurrentImage(editor, x, y)) {
                        state().cursorX = x;
                        state().cursorY = y;
                        PutPixel(editor, x, y, v, false);
                    }
        ASSERT_EQ(Difference(Bytes(image()), batched), "") << round;
        EXPECT_EQ(cursor.x, state().cursorX);
        EXPECT_EQ(cursor.y, state().cursorY);
    }
}

TEST_F(ToolsTest, TheRightButtonDrawsValueZeroWithEveryTool) {
    MakeImage(96, 72, 2, ColorMapKind::Normal);
    for (int x = 0; x < 96; ++x)
        for (int y = 0; y < 72; ++y) image().plane.at(x, y) = 1;  // every pixel 3
    state().currentPixelValue = 3;
    Use(Tool::Freehand);
    Down({10, 10}, MouseButton::Right);
    editor.imgMouseMove(kRightButton, 20 * 4 + 1, 10 * 4 + 1);
    Up({20, 10}, MouseButton::Right);
    for (int x = 10; x <= 20; x += 2) EXPECT_EQ(PixelValueAt(image(), x, 10), 0) << x;
    Use(Tool::FilledRectangle);
    Down({30, 30}, MouseButton::Right);
    editor.imgMouseMove(kRightButton, 40 * 4 + 1, 35 * 4 + 1);
    Up({40, 35}, MouseButton::Right);
    EXPECT_EQ(PixelValueAt(image(), 30, 30) + PixelValueAt(image(), 40, 35), 0);
    EXPECT_EQ(PixelValueAt(image(), 42, 35), 3);
    // Fill with the right button: the zeros of the rectangle stay, the 3s become 0.
    Use(Tool::FloodFill);
    Down({0, 0}, MouseButton::Right);
    Up({0, 0}, MouseButton::Right);
    for (int x = 0; x < 96; x += 2)
        for (int y = 0; y < 72; ++y) ASSERT_EQ(PixelValueAt(image(), x, y), 0);
    EXPECT_EQ(state().currentPixelValue, 3);
    EXPECT_EQ(
        MenuItemNamed(editor.menu(), "mnuEditUndo").caption.find("Flood Fill") != std::string::npos,
        true);
}

TEST_F(ToolsTest, EscDropsTheShapeAndTheReleaseThenDrawsNothing) {
    MakeImage(96, 72, 1, ColorMapKind::Normal);
    Randomize();
    editor.undo().EndStep();
    const std::string before = Bytes(image());
    const std::vector<DisplayPixel> shownBefore = view().pixels;
    const std::string undo = MenuItemNamed(editor.menu(), "mnuEditUndo").caption;
    state().currentPixelValue = 1;
    state().drawColor1 = 0x32;
    Use(Tool::Rectangle);
    Down({10, 10});
    Move({50, 40});
    // The preview shows drawing color 1 on the rectangle's edge, over the view only.
    EXPECT_EQ(view().at(30 * 4 + 1, 10 * 4 + 1), Color(0x32));
    EXPECT_EQ(Difference(Bytes(image()), before), "");
    editor.FormKeyDown(kKeyEscape, kLeftButton);
    Move({60, 50});
    Up({60, 50});
    EXPECT_EQ(Difference(Bytes(image()), before), "");
    EXPECT_EQ(MenuItemNamed(editor.menu(), "mnuEditUndo").caption, undo);
    EXPECT_EQ(editor.caption(), kEditorCaption);
    editor.viewArea().RedrawCursorBlock();
    state().cursorX = state().cursorY = 0;
    editor.viewArea().FullRedraw();
    EXPECT_EQ(view().pixels, shownBefore);
    // Without a shape Esc is a key without a command, as before.
    editor.FormKeyDown(kKeyEscape, 0);
    EXPECT_EQ(editor.caption(), "Unhandled keypress: 27");
}

// A pixel value read from Bytes().
PixelValue ValueIn(const std::string& bytes, int pw, int x, int y) {
    const auto at = [&](int c) {
        return int(bytes[std::size_t(c) * kPlaneHeight + std::size_t(y)]);
    };
    return pw == 2 ? 2 * at(x) + at(x + 1) : at(x);
}

// The plain flood fill: a queue of pixels, each looked at once.
Pixels PlainFill(const Image& m, ImagePoint start, ImageRect clip) {
    const int pw = PixelWidthOf(m.desc);
    const auto inside = [&](int x, int y) {
        return x >= std::max(clip.x1, 0) && y >= std::max(clip.y1, 0) && x <= clip.x2 &&
               y <= clip.y2 && x < m.desc.width && y < m.desc.height;
    };
    Pixels out;
    if (!inside(start.x, start.y)) return out;
    const PixelValue v = PixelValueAt(m, start.x, start.y);
    std::deque<std::pair<int, int>> todo{{start.x, start.y}};
    out.insert({start.x, start.y});
    while (!todo.empty()) {
        const auto [x, y] = todo.front();
        todo.pop_front();
        for (const auto& [nx, ny] : {std::pair{x - pw, y}, {x + pw, y}, {x, y - 1}, {x, y + 1}})
            if (inside(nx, ny) && PixelValueAt(m, nx, ny) == v && out.insert({nx, ny}).second)
                todo.push_back({nx, ny});
    }
    return out;
}

TEST_F(ToolsTest, FloodFillFillsWhatAPlainFillReachesInsideImageAndSelection) {
    for (int round = 0; round < 40; ++round) {
        const int pw = 1 + int(rng() % 2);
        MakeImage(80 + 8 * int(rng() % 3), 64, pw, ColorMapKind(rng() % 3));
        Randomize();
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 100; ++y) image().plane.at(x, y) = uint8_t(rng() % 3 == 0);
        state().selectionActive = round % 2;
        state().selectionAnchorX = 6 * pw, state().selectionAnchorY = 5;
        state().selectionEndX = 30 * pw, state().selectionEndY = 40;
        state().drawingMode = DrawingMode(round % 6 / 2);
        state().drawColor1 = ColorCode(rng() % 128);
        state().drawColor2 = ColorCode(rng() % 128);
        editor.undo().EndStep();
        const ImagePoint p = RandomPoint(80, 64);
        const Pixels region = PlainFill(image(), p, editor.viewArea().SelectionRect());
        const std::string beforeBytes = Bytes(image());
        // Mostly a value the region does not have, so every pixel shows it;
        // sometimes its own value (only cell colors change), for hires also
        // as 2 or 3 (the pixels store bit 0).
        const bool changes = round % 5 != 4;
        const PixelValue target = PixelValueAt(image(), p.x, p.y);
        const PixelValue value = changes ? (target + 1) % (pw == 2 ? 4 : 2)
                                         : target + (pw == 1 ? 2 * int(rng() % 2) : 0);
        state().currentPixelValue = value;
        Use(Tool::FloodFill);
        Down(p);
        Up(p);
        const std::string filled = Bytes(image());
        if (state().drawingMode != DrawingMode::ColorOnly && changes) {
            for (int x = 0; x < image().desc.width; x += pw)
                for (int y = 0; y < 64; ++y)
                    ASSERT_EQ(PixelValueAt(image(), x, y) != ValueIn(beforeBytes, pw, x, y),
                              region.count({x, y}) == 1)
                        << round << ": " << x << "," << y;
        }
        // A click outside the selection fills nothing and makes no step; nor
        // does "Color only" with a value that shows no cell color.
        if (filled != beforeBytes) {
            editor.RunMenuCommand("mnuEditUndo");
            ASSERT_EQ(Difference(Bytes(image()), beforeBytes), "") << round;
            editor.RunMenuCommand("mnuEditRedo");
            ASSERT_EQ(Difference(Bytes(image()), filled), "") << round;
            editor.RunMenuCommand("mnuEditUndo");
        }
        // Every write is PutPixel's, cell colors included, in each drawing mode.
        for (const auto& [x, y] : region) {
            state().cursorX = x;
            state().cursorY = y;
            PutPixel(editor, x, y, value, false);
        }
        ASSERT_EQ(Difference(Bytes(image()), filled), "")
            << round << " mode " << int(state().drawingMode);
    }
    // A serpent through the whole largest image: one region 640 x 1024 long
    // and narrow, which a fill that recursed per pixel could not survive.
    MakeImage(640, 1024, 1, ColorMapKind::Normal);
    state().selectionActive = false;
    for (int x = 1; x < 640; x += 2)
        for (int y = 0; y < 1024; ++y)
            image().plane.at(x, y) = (x / 2 % 2 == 0) ? y != 1023 : y != 0;
    state().currentPixelValue = 1;
    Use(Tool::FloodFill);
    Down({0, 0});
    Up({0, 0});
    for (int x = 0; x < 640; ++x)
        for (int y = 0; y < 1024; ++y) ASSERT_EQ(image().plane.at(x, y), 1) << x << "," << y;
}

TEST_F(ToolsTest, PickTakesValueAndColorAndReturnsToTheToolBefore) {
    MakeImage(96, 72, 2, ColorMapKind::Normal);
    StorePixelValue(image(), 12, 3, 2);
    image().colmap.at(0, 1, 0) = 0x07;
    image().lummap.at(0, 1, 0) = 0x50;  // cell color 2 = $57
    Use(Tool::Ellipse);
    editor.FormKeyDown('O', 0);
    EXPECT_TRUE(MenuItemNamed(editor.menu(), "mnuToolsPick").checked);
    Down({12, 3});
    Up({12, 3});
    EXPECT_EQ(state().currentPixelValue, 2);
    EXPECT_EQ(state().drawColor2, 0x57);
    EXPECT_EQ(editor.tools().tool, Tool::Ellipse);
    EXPECT_TRUE(MenuItemNamed(editor.menu(), "mnuToolsEllipse").checked);
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuToolsPick").checked);
    EXPECT_EQ(image().colmap.at(0, 1, 0), 0x07);  // a pipette changes no cell

    // Hires: value 1 takes the first drawing color, value 0 the second; the
    // other one stays.
    MakeImage(64, 64, 1, ColorMapKind::Normal);
    image().plane.at(9, 9) = 1;
    image().colmap.at(0, 1, 1) = 0x25;
    image().lummap.at(0, 1, 1) = 0x61;
    state().drawColor1 = state().drawColor2 = 0;
    editor.FormKeyDown('O', 0);
    Down({9, 9});
    Up({9, 9});
    EXPECT_EQ(state().drawColor1, ColorCodeAt(image(), 9, 9));
    EXPECT_EQ(state().drawColor2, 0);
    editor.FormKeyDown('O', 0);
    Down({10, 9});
    Up({10, 9});
    EXPECT_EQ(state().drawColor2, ColorCodeAt(image(), 10, 9));
    EXPECT_NE(state().drawColor1, state().drawColor2);
}

TEST_F(ToolsTest, BrushFollowsThePointerAndPastesWithZerosTransparentOnCtrl) {
    MakeImage(96, 72, 1, ColorMapKind::Normal);
    state().drawingMode = DrawingMode::PixelOnly;
    // A 4 x 1 brush: 1 0 0 1.
    image().plane.at(0, 0) = image().plane.at(3, 0) = 1;
    state().selectionActive = true;
    state().selectionAnchorX = state().selectionAnchorY = state().selectionEndY = 0;
    state().selectionEndX = 3;
    editor.FormKeyDown('C', kCtrl);
    state().selectionActive = false;
    for (int x = 20; x < 40; ++x) image().plane.at(x, 10) = 1;
    editor.viewArea().FullRedraw();
    editor.FormKeyDown('B', 0);
    const std::string before = Bytes(image());
    editor.imgMouseMove(0, 22 * 4 + 1, 10 * 4 + 1);
    EXPECT_EQ(Difference(Bytes(image()), before), "");
    ExpectViewIsWhole();
    // Ctrl+click: the brush's 0 pixels keep the image's 1s.
    Down({22, 10}, MouseButton::Left, kCtrl);
    Up({22, 10});
    for (int x = 20; x < 40; ++x) EXPECT_EQ(image().plane.at(x, 10), 1) << x;
    // A plain click writes the brush as it is.
    Down({30, 10});
    Up({30, 10});
    EXPECT_EQ(image().plane.at(31, 10) + image().plane.at(32, 10), 0);
    EXPECT_EQ(image().plane.at(30, 10) + image().plane.at(33, 10), 2);
    // The right button clears the image under the brush's 1s.
    Down({20, 10}, MouseButton::Right);
    Up({20, 10}, MouseButton::Right);
    EXPECT_EQ(image().plane.at(20, 10) + image().plane.at(23, 10), 0);
    EXPECT_EQ(image().plane.at(21, 10) + image().plane.at(22, 10), 2);
    editor.FormKeyDown('N', 0);
    ExpectViewIsWhole();
}

// What the brush shows at the pointer is what a click there writes, pixel
// for pixel of the view, in every drawing mode, grid and kind of image: in
// "Pixel & Color" the cells take the brush's colors on the cell grid.
TEST_F(ToolsTest, TheBrushPreviewIsWhatAClickWrites) {
    const DrawingMode modes[] = {DrawingMode::PixelAndColor, DrawingMode::PixelOnly,
                                 DrawingMode::ColorOnly};
    int cases = 0;
    for (const int pw : {1, 2})
        for (const ColorMapKind kind : {ColorMapKind::Normal, ColorMapKind::Dfli})
            for (const DrawingMode mode : modes)
                for (const bool transparent : {false, true}) {
                    SCOPED_TRACE(::testing::Message()
                                 << pw << int(kind) << int(mode) << transparent);
                    MakeImage(96, 72, pw, kind);
                    SetZoomAndGrid(
                        4, cases % 2 ? GridSetting::PixelAndCellLines : GridSetting::NoGrid);
                    Randomize();
                    state().drawingMode = mode;
                    // A brush of odd size from an odd place, pasted off the cell grid.
                    const ImagePoint from = RandomPoint(40, 40);
                    state().selectionActive = true;
                    state().selectionAnchorX = from.x;
                    state().selectionAnchorY = from.y;
                    state().selectionEndX = from.x + 10 * pw;
                    state().selectionEndY = from.y + 13;
                    editor.FormKeyDown('C', kCtrl);
                    state().selectionActive = false;
                    Use(Tool::Brush);
                    const ImagePoint at = RandomPoint(60, 50);
                    const ShiftState ctrl = transparent ? ShiftState(kCtrl) : ShiftState(0);
                    const std::string before = Bytes(image());
                    Move(at, ctrl);
                    ASSERT_EQ(Difference(Bytes(image()), before), "");
                    const std::vector<DisplayPixel> preview = view().pixels;
                    Down(at, MouseButton::Left, ctrl);
                    Up(at);
                    ASSERT_NE(Difference(Bytes(image()), before), "");
                    EXPECT_TRUE(preview == view().pixels);
                    ++cases;
                }
    EXPECT_EQ(cases, 24);
}

TEST_F(ToolsTest, ATransparentMulticolorBrushKeepsBothBitsOfTheImagesPixels) {
    MakeImage(96, 72, 2, ColorMapKind::Normal);
    state().drawingMode = DrawingMode::PixelOnly;
    // A brush of four pixels, 3 0 0 3, over a row of 2 1 2 1 ...
    StorePixelValue(image(), 0, 0, 3);
    StorePixelValue(image(), 6, 0, 3);
    state().selectionActive = true;
    state().selectionAnchorX = state().selectionAnchorY = state().selectionEndY = 0;
    state().selectionEndX = 6;
    editor.FormKeyDown('C', kCtrl);
    state().selectionActive = false;
    for (int x = 20; x < 40; x += 2) StorePixelValue(image(), x, 10, x % 4 ? 1 : 2);
    editor.FormKeyDown('B', 0);
    Down({20, 10}, MouseButton::Left, kCtrl);
    Up({20, 10});
    const int expected[] = {3, 1, 2, 3, 2, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(PixelValueAt(image(), 20 + 2 * i, 10), expected[i]) << i;
}

TEST_F(ToolsTest, ToolKeysMenuHintsAndZoomKeys) {
    const std::pair<int, ShiftState> keys[] = {{'N', 0},      {'W', 0}, {'Q', 0},
                                               {'Q', kShift}, {'E', 0}, {'E', kShift},
                                               {'B', kShift}, {'O', 0}, {'B', 0}};
    for (int t = 0; t < kToolCount; ++t) {
        if (t > 0) editor.FormKeyDown('N', 0);
        editor.FormKeyDown(keys[t].first, keys[t].second);
        EXPECT_EQ(int(editor.tools().tool), t);
        const std::string hint = MenuItemNamed(editor.menu(), ToolMenuItem(Tool(t))).keyHint;
        EXPECT_EQ(hint, (keys[t].second ? "Shift + " : "") + std::string(1, char(keys[t].first)));
    }
    EXPECT_EQ(editor.statusText(3), "Value 0 - Brush");
    ChooseValueSwatch(editor, 1);
    EXPECT_EQ(state().currentPixelValue, 1);
    EXPECT_EQ(editor.statusText(3), "Value 1 - Brush");
    // The main keyboard's + (= and Shift + =) and - zoom, as the keypad's do.
    const int zoom = editor.view().zoom;
    editor.FormKeyDown(kKeyPlusEquals, 0);
    editor.FormKeyDown(kKeyPlusEquals, kShift);
    EXPECT_EQ(editor.view().zoom, zoom + 2);
    editor.FormKeyDown(kKeyMinus, 0);
    EXPECT_EQ(editor.view().zoom, zoom + 1);
    EXPECT_EQ(editor.caption(), kEditorCaption);
}

TEST_F(ToolsTest, CtrlWheelZoomKeepsThePixelUnderThePointer) {
    MakeImage(640, 400, 1, ColorMapKind::Normal);
    for (GridSetting grid :
         {GridSetting::NoGrid, GridSetting::CornerDots, GridSetting::PixelAndCellLines}) {
        SetZoomAndGrid(4, grid);
        for (const auto& [vx, vy] : {std::pair{200, 150}, {13, 290}, {399, 0}}) {
            const ImagePoint p = editor.viewArea().ViewToImage(vx, vy);
            ZoomAtPoint(editor, 3, vx, vy);
            EXPECT_EQ(editor.view().zoom, 12);  // 6, 8, 12
            const ImagePoint q = editor.viewArea().ViewToImage(vx, vy);
            EXPECT_EQ(q.x, p.x) << vx;
            EXPECT_EQ(q.y, p.y) << vy;
            ZoomAtPoint(editor, -3, vx, vy);
            EXPECT_EQ(editor.view().zoom, 4);
            const ImagePoint back = editor.viewArea().ViewToImage(vx, vy);
            EXPECT_EQ(back.x, p.x) << vx;
            EXPECT_EQ(back.y, p.y) << vy;
        }
    }
    // The wheel's steps grow with the zoom: 1 to 64 and back in 11 notches each.
    std::vector<int> zooms{1};
    while (zooms.back() < 64) zooms.push_back(WheelZoomStep(zooms.back(), 1));
    EXPECT_EQ(zooms, (std::vector<int>{1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64}));
    EXPECT_EQ(WheelZoomStep(64, 1), 64);
    EXPECT_EQ(WheelZoomStep(64, -11), 1);
    EXPECT_EQ(WheelZoomStep(5, 1), 6);  // a zoom the keys reached joins the steps
    EXPECT_EQ(WheelZoomStep(5, -1), 4);
}

TEST_F(ToolsTest, ExportPictureWritesTheImageOneToOneWithMulticolorPixelsTwoWide) {
    MakeImage(10, 3, 2, ColorMapKind::Normal);
    image().desc.color3 = 0x71;
    StorePixelValue(image(), 4, 1, 3);
    platform.fileDialogAnswers.push_back("/pictures/out.png");
    editor.RunMenuCommand("mnuFileExportPicture");
    const Picture& p = platform.savedBitmaps.at("/pictures/out.png");
    ASSERT_EQ(p.width, 10);
    ASSERT_EQ(p.height, 3);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(p.at(x, 1), state().rgbTable[x / 2 == 2 ? 0x71 : image().desc.color0]) << x;
    EXPECT_EQ(editor.statusText(3), "Exported picture (/pictures/out.png)");
    // Cancel writes nothing; an empty image has no picture.
    editor.RunMenuCommand("mnuFileExportPicture");
    MakeImage(0, 0, 1, ColorMapKind::Normal);
    editor.RunMenuCommand("mnuFileExportPicture");
    EXPECT_EQ(platform.savedBitmaps.size(), 1u);
    EXPECT_EQ(platform.messages.back(), "The image is empty: there is no picture to export.");
}

}  // namespace
}  // namespace pixolat::testing
