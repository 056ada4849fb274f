#pragma once
// The canvas: the current image drawn block by block into the view picture
// with its grid, the cursor mark and the selection outline, and the image
// at 1:1 in the preview picture. The pictures are a function of the image,
// the editor state and the scroll position alone.
//
// The steady picture is: background, the visible blocks with grid dots, the
// cursor mark, and the selection outline combined by exclusive or on top,
// so that drawing the outline twice removes it.
#include <array>
#include <cstdint>
#include <string>

#include "document/editor_state.h"
#include "document/image_store.h"
#include "render/rgb_buffer.h"
#include "render/view.h"
#include "render/view_grid.h"

namespace pixolat {

inline constexpr uint32_t kViewBackground = PackRgb(64, 128, 160);
inline constexpr uint32_t kCursorRing = PackRgb(255, 100, 150);
inline constexpr uint32_t kCursorFill = PackRgb(255, 200, 250);
inline constexpr uint32_t kSelectionXorMask = 0x00FF8040u;  // 255, 128, 64
inline constexpr uint32_t kCellDot = PackRgb(255, 255, 255);
inline constexpr uint32_t kPixelDot = PackRgb(128, 128, 128);

// Fills [x0, x1) x [y0, y1), clipped to the picture.
void FillRect(RgbBuffer& b, int x0, int y0, int x1, int y1, uint32_t color);

// What a redraw reads and where it draws.
struct Scene {
    const Image& image;
    const EditorState& state;
    View& view;
};

using DisplayTable = std::array<DisplayPixel, 256>;
DisplayTable DisplayColors(const RgbTable& table);

// Inclusive image coordinates.
struct ImageRect {
    int x1;
    int y1;
    int x2;
    int y2;
};

// The selection's bounds when a selection is active, else the whole image.
ImageRect SelectionRect(const ImageDescriptor& desc, const EditorState& state);

// The view grid at the scroll bars' positions.
ViewGrid GridOf(const Scene& scene);

// The block of image pixel (x, y) and its preview pixel; grid lines beside
// the block stay as they are. Pixels outside the image are not drawn.
void DrawBlock(const Scene& scene, int x, int y);

// The whole view picture: background, and every visible block with its dots.
void RedrawViewPicture(const Scene& scene);

// The preview picture at the preview control's size: the image at 1:1 from
// the top-left corner, the rest in the background color.
void RedrawPreview(const Scene& scene);

// The cursor mark: from zoom 6 up a ring inset by zoom div 5 around a fill
// inset one more; below that a fill inset by zoom div 5.
void DrawCursorMark(const Scene& scene);

// Status panel 0: the cursor column and row, or "undefined"; panel 1: the
// pixel value and color code at the cursor (empty while it lies outside the image).
std::string CursorPositionText(const ImageDescriptor& desc, const EditorState& state);
std::string CursorValueText(const Image& image, const EditorState& state);

// Draws or removes the selection outline: an exclusive or with a pen of
// zoom div 5 pixels (at least one), each pixel combined once.
void ToggleSelectionOutline(const Scene& scene);

}  // namespace pixolat
