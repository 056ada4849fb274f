#pragma once
// An editor on the scripted platform with a view of a chosen size, and
// helpers to read its pictures.
#include <gtest/gtest.h>

#include "document/colors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "support/scripted_platform.h"

namespace pixolat::testing {

// Client height = view + scroll bar and frame (20) + splitter and palette
// (4 + 200) + status bar (20); client width = view + 20.
inline constexpr int kStatusBar = 20;

class ViewTest : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    Editor editor{platform};

    EditorState& state() { return editor.state(); }
    Image& image() { return editor.currentImage(); }
    const RgbBuffer& view() { return editor.view().canvas; }

    // Lays the window out so that the view picture is w x h. A view lower
    // than the palette area lets stand beside it takes a window too low for
    // any palette.
    void ResizeView(int w, int h) {
        const View& v = editor.view();
        const int shown = h + 20 >= kMinViewAreaHeight ? v.paletteHeight : 0;
        const int palette = v.paletteVisible ? shown + kSplitterThickness : 0;
        editor.viewArea().FormResize(w + 20, h + 20 + palette + kStatusBar, kStatusBar);
        ASSERT_EQ(view().width, w);
        ASSERT_EQ(view().height, h);
    }

    // Palette picture w x h (the preview takes 320 + 4 of the client width).
    void ResizePalette(int w, int h) {
        editor.view().paletteHeight = h;
        editor.viewArea().FormResize(w + 324, h + 400, kStatusBar);
        ASSERT_EQ(palette().width, w);
        ASSERT_EQ(palette().height, h);
    }
    const RgbBuffer& palette() { return editor.view().palette; }

    // The display color of a color code.
    uint32_t Color(int code) { return DisplayColor(state().rgbTable[std::size_t(code)]); }

    // Makes the current image w x h with every hires bit 0, pixel width and kind as given.
    void MakeImage(int w, int h, int pixelWidth, ColorMapKind kind) {
        ImageDescriptor& d = image().desc;
        d.width = w;
        d.height = h;
        d.pixelWidth = pixelWidth;
        d.colorMapKind = kind;
        for (int x = 0; x < kPlaneWidth; ++x)
            std::fill(image().plane.column(x), image().plane.column(x) + kPlaneHeight, 0);
        ResetImageColors(image());
        NormalizeCurrentImage(editor.store(), state());
    }

    void SetZoomAndGrid(int zoom, GridSetting grid) {
        editor.view().zoom = zoom;
        editor.view().gridSetting = grid;
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
    }
};

}  // namespace pixolat::testing
