// The Draw, Edit and View menu commands as a user meets them: the input
// boxes, the messages, the selection and the image switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "document/colors.h"
#include "render/canvas.h"
#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

class EditingCommandsTest : public ViewTest {
protected:
    void SetUp() override {
        ResizeView(400, 300);
        SetZoomAndGrid(4, GridSetting::CornerDots);
    }
    void Run(const char* command) { editor.RunMenuCommand(command); }
    int Color1() { return CellColor1(image().colmap.at(0, 0, 0), image().lummap.at(0, 0, 0)); }
};

TEST_F(EditingCommandsTest, SetColorProposesTheCellColorsAndRejectsBadNumbers) {
    image().colmap.at(0, 0, 0) = 0x21;
    image().lummap.at(0, 0, 0) = 0x57;
    platform.inputAnswers = {"$52", std::nullopt};
    Run("mnuDrawSetColor");
    EXPECT_EQ(platform.inputPrompts.at(0), "Color 1: Enter Color 1 (-1 to leave unchanged) [$72]");
    EXPECT_EQ(platform.inputPrompts.at(1), "Color 2: Enter Color 2 (-1 to leave unchanged) [$51]");
    EXPECT_EQ(Color1(), 0x72);  // Cancel in the second box changes nothing
    EXPECT_EQ(state().drawColor1, 0x31);

    for (const char* bad : {"-$10", "12345678901"}) {
        platform.inputAnswers = {bad};
        Run("mnuDrawSetColor");
        EXPECT_EQ(platform.messages.back(),
                  std::string("'") + bad + "' is not a valid integer value");
        EXPECT_EQ(Color1(), 0x72);
    }
    platform.inputAnswers = {"$52", "-1"};
    Run("mnuDrawSetColor");
    EXPECT_EQ(Color1(), 0x52);
    EXPECT_EQ(state().drawColor1, 0x52);
    EXPECT_EQ(state().drawColor2, 0x51);
}

TEST_F(EditingCommandsTest, ReplaceAndRemapRefuseInvalidColors) {
    const std::size_t shown = platform.messages.size();
    platform.inputAnswers = {"$51", "$51"};
    Run("mnuDrawReplaceColors");
    platform.inputAnswers = {std::nullopt, std::nullopt};  // both Cancel: $00 and $00
    Run("mnuDrawReplaceColors");
    ASSERT_EQ(platform.messages.size(), shown + 2);
    EXPECT_EQ(platform.messages.back(), "Invalid colors selected.");
    platform.inputAnswers = {"$51", "$31"};
    Run("mnuDrawReplaceColors");
    EXPECT_EQ(CellColor2(image().colmap.at(0, 0, 0), image().lummap.at(0, 0, 0)), 0x31);
    EXPECT_EQ(CellColor2(image().colmap.at(0, 39, 24), image().lummap.at(0, 39, 24)), 0x31);

    // On a hires image Remap asks for color codes; on a multicolor one for values.
    platform.inputPrompts.clear();
    platform.inputAnswers = {"abc", "$31"};
    Run("mnuDrawRemapColors");
    EXPECT_EQ(platform.inputPrompts.at(0), "Enter color code to replace: Color code [$00]");
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    image().plane.at(1, 0) = 1;  // value 1 at (0, 0)
    platform.inputAnswers = {"1", "2"};
    Run("mnuDrawRemapColors");
    EXPECT_EQ(PixelValueAt(image(), 0, 0), 2);
    EXPECT_EQ(PixelValueAt(image(), 2, 0), 0);
    platform.inputAnswers = {"1", "4"};
    Run("mnuDrawRemapColors");
    EXPECT_EQ(platform.messages.back(), "Invalid colors selected.");
    EXPECT_EQ(PixelValueAt(image(), 0, 0), 2);
}

TEST_F(EditingCommandsTest, SelectAllCopyAndPaste) {
    MakeImage(320, 200, 2, ColorMapKind::Normal);
    state().selectionStartPending = false;
    Run("EditSelectAll");
    EXPECT_EQ(editor.viewArea().SelectionRect().x2, 318);
    EXPECT_TRUE(state().selectionStartPending);  // the next Shift-move starts anew
    Run("mnuEditDeselect");

    // Nothing copied yet: Paste changes nothing, the selection included.
    Run("mnuEditPaste");
    EXPECT_FALSE(state().selectionActive);

    // Fill and copy a 4 x 2 block, paste it elsewhere: it is the new selection.
    state().selectionActive = true;
    state().selectionAnchorX = 8;
    state().selectionAnchorY = 8;
    state().selectionEndX = 14;
    state().selectionEndY = 9;
    state().currentPixelValue = 3;
    Run("mnuDrawFill");
    Run("mnuEditCopy");
    state().cursorX = 20;
    state().cursorY = 10;
    Run("mnuEditPaste");
    EXPECT_EQ(editor.viewArea().SelectionRect().x1, 20);
    EXPECT_EQ(editor.viewArea().SelectionRect().x2, 26);
    EXPECT_EQ(editor.viewArea().SelectionRect().y2, 11);
    EXPECT_EQ(PixelValueAt(image(), 26, 11), 3);
    EXPECT_EQ(PixelValueAt(image(), 28, 11), 0);
    // The full redraw shows the pasted pixel (multicolor 3 shows color3).
    EXPECT_EQ(view().at(13 * 8 + 5, 11 * 4 + 2), Color(0x71));
    EXPECT_EQ(view().at(14 * 8 + 5, 11 * 4 + 2), Color(0x00));
}

TEST_F(EditingCommandsTest, SelectAllOnAnEmptyImageSelectsNothingForTheNextImage) {
    Run("mnuViewImageNext");  // image 1 has never been used
    Run("EditSelectAll");
    EXPECT_FALSE(state().selectionActive);
    Run("mnuViewImagePrev");
    EXPECT_FALSE(state().selectionActive);
    // Fill works on the whole image again, not on pixel (0, 0).
    state().currentPixelValue = 1;
    Run("mnuDrawFill");
    EXPECT_EQ(PixelValueAt(image(), 319, 199), 1);
}

TEST_F(EditingCommandsTest, NextAndPrevImageShowTheImageInCaptionAndStatus) {
    Run("mnuViewImagePrev");
    EXPECT_EQ(platform.caption, "");
    state().selectionStartPending = false;
    Run("mnuViewImageNext");
    EXPECT_TRUE(state().selectionStartPending);
    EXPECT_EQ(platform.caption, "Editing Image #1");
    EXPECT_EQ(platform.statusTexts[3], "Editing Image #1: (untitled)");
    EXPECT_EQ(image().desc.pixelWidth, 1);
    EXPECT_EQ(platform.statusTexts[0], "undefined");
    // An empty image says so, in the status bar and over the bare view.
    EXPECT_EQ(platform.statusTexts[1], "empty");
    const auto white =
        std::count(view().pixels.begin(), view().pixels.end(), PackRgb(255, 255, 255));
    EXPECT_GT(white, 0);
    Run("mnuViewImagePrev");
    EXPECT_NE(platform.statusTexts[1], "empty");
    Run("mnuViewImageNext");
    state().currentImage = kLastImage;
    Run("mnuViewImageNext");
    EXPECT_EQ(state().currentImage, kLastImage);
    EXPECT_EQ(platform.caption, "Editing Image #1");
    editor.store().image(kLastImage - 1).desc.name = "logo";
    Run("mnuViewImagePrev");
    EXPECT_EQ(platform.statusTexts[3], "Editing Image #255: logo");
}

// An empty image has nothing to select: the selection ends there, and back
// on an image with pixels the area commands reach the whole image again.
TEST_F(EditingCommandsTest, ASelectionEndsOnAnEmptyImage) {
    state().selectionActive = true;
    state().selectionAnchorX = state().selectionAnchorY = 8;
    state().selectionEndX = state().selectionEndY = 12;
    Run("mnuViewImageNext");
    EXPECT_FALSE(state().selectionActive);
    Run("mnuViewImagePrev");
    editor.FormKeyDown('I', 0);
    EXPECT_EQ(PixelValueAt(image(), 0, 0), 1);
    EXPECT_EQ(PixelValueAt(image(), 319, 199), 1);
    EXPECT_EQ(view().at(2, 0), kCursorFill);  // no outline left over the cursor
}

// A pixel drawn by key or menu at a corner of the selection, and the view
// copied to the clipboard, redraw the cursor's block under the outline: the
// outline stays whole, and deselecting leaves no piece of it behind.
TEST_F(EditingCommandsTest, RedrawingTheCursorOnTheSelectionOutlineKeepsItWhole) {
    SetZoomAndGrid(10, GridSetting::NoGrid);
    const std::pair<DrawingMode, std::function<void()>> cases[] = {
        {DrawingMode::PixelAndColor, [&] { editor.FormKeyDown('1', 0); }},
        {DrawingMode::PixelOnly, [&] { editor.FormKeyDown('1', 0); }},
        {DrawingMode::PixelAndColor, [&] { Run("mnuDrawPixel1"); }},
        {DrawingMode::PixelOnly, [&] { Run("mnuDrawPixel0"); }},
        {DrawingMode::PixelOnly, [&] { editor.FormKeyDown('C', kCtrl | kAlt); }},
    };
    int n = 0;
    for (const auto& [mode, action] : cases) {
        state().drawingMode = mode;
        state().selectionActive = true;
        state().selectionAnchorX = state().selectionAnchorY = 8;
        state().selectionEndX = state().selectionEndY = 12;
        state().cursorX = state().cursorY = 8;
        editor.viewArea().FullRedraw();
        action();
        const std::vector<DisplayPixel> drawn = view().pixels;
        Run("mnuEditDeselect");
        const std::vector<DisplayPixel> deselected = view().pixels;
        editor.viewArea().FullRedraw();
        EXPECT_EQ(deselected, view().pixels) << "case " << n;
        state().selectionActive = true;
        editor.viewArea().FullRedraw();
        EXPECT_EQ(drawn, view().pixels) << "case " << n;
        ++n;
    }
}

}  // namespace
}  // namespace pixolat::testing
