#include <gtest/gtest.h>

#include "document/colors.h"
#include "edit/editor.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;

TEST(EditorStart, ShowsTheDefaultImageAtTheTopLeft) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const EditorState& state = editor.state();
    const Image& image = editor.store().image(0);

    EXPECT_EQ(state.currentImage, 0);
    EXPECT_EQ(state.cursorX, 0);
    EXPECT_EQ(state.cursorY, 0);
    EXPECT_EQ(state.drawColor1, 0x31);
    EXPECT_EQ(state.drawColor2, 0x51);
    EXPECT_FALSE(state.selectionActive);

    const ImageDescriptor expected{"", 320, 200, 1, Layout::Bitmap, ColorMapKind::Normal, 0, 0x71};
    EXPECT_TRUE(
        image.desc.name == expected.name && image.desc.width == expected.width &&
        image.desc.height == expected.height && image.desc.pixelWidth == expected.pixelWidth &&
        image.desc.layout == expected.layout && image.desc.colorMapKind == expected.colorMapKind &&
        image.desc.color0 == expected.color0 && image.desc.color3 == expected.color3);

    // Every pixel of the default picture shows cell color 2 = $51.
    int others = 0;
    for (int x = 0; x < 320; ++x)
        for (int y = 0; y < 200; ++y) others += ColorCodeAt(image, x, y) != 0x51;
    EXPECT_EQ(others, 0);
    EXPECT_EQ(state.rgbTable[0x51], 0xB3ACB2);

    EXPECT_EQ(platform.statusTexts[3], "Ready.");
    EXPECT_EQ(platform.statusTexts[2], "Pixel & Color");
}
