#include "edit/image_properties.h"

#include <gtest/gtest.h>

#include "support/view_fixture.h"

namespace pixolat::testing {
namespace {

using D = ImagePropertiesDialog;

class ImagePropertiesTest : public ViewTest {
protected:
    void SetUp() override { ResizeView(400, 300); }
    D Dialog() {
        D dialog(platform, image().desc);
        dialog.FormActivate();
        return dialog;
    }
    // Types a text into a box key by key, as the window passes it on.
    static void Type(D& d, D::Box box, const std::string& keys) {
        for (char c : keys) {
            if (d.KeyPress(box, c)) d.Change(box, d.text(box) + c);
            d.KeyUp(box);
        }
    }
};

TEST_F(ImagePropertiesTest, PixelAndCharBoxesFollowEachOtherWithinTheirLimits) {
    D d = Dialog();
    EXPECT_EQ(d.text(D::EditWidth), "320");
    EXPECT_EQ(d.text(D::EditHeightC), "25");
    EXPECT_EQ(d.colorMap, 1);
    EXPECT_FALSE(d.multiColor);

    d.Change(D::EditWidthC, "");
    Type(d, D::EditWidthC, "100");  // 1 -> 8, 10 -> 80, 100 is above 80 chars
    EXPECT_EQ(d.text(D::EditWidth), "80");
    EXPECT_EQ(d.caption(), "48");                  // the code of the last typed character
    EXPECT_TRUE(d.KeyPress(D::EditWidthC, '\t'));  // Tab leaves the box: no character
    EXPECT_EQ(d.caption(), "48");

    d.Change(D::EditHeightC, "");
    Type(d, D::EditHeightC, "0012");  // the height answers with its chars in plain decimal
    EXPECT_EQ(d.text(D::EditHeight), "96");
    EXPECT_EQ(d.text(D::EditHeightC), "12");

    d.Change(D::EditWidth, "639");
    EXPECT_FALSE(d.KeyPress(D::EditWidth, '+'));
    EXPECT_EQ(d.text(D::EditWidthC), "80");  // the limit itself is in range
    EXPECT_FALSE(d.KeyPress(D::EditWidth, '+'));
    EXPECT_EQ(d.text(D::EditWidth), "640");
    d.Change(D::EditWidthC, "40");
    d.KeyPress(D::EditWidthC, '+');
    EXPECT_EQ(d.text(D::EditWidthC), "41");
    EXPECT_EQ(d.text(D::EditWidth), "328");
    d.Change(D::EditHeight, "0");
    d.KeyPress(D::EditHeight, '-');
    EXPECT_EQ(d.text(D::EditHeight), "0");
    // A number that cannot be converted shows the conversion message.
    d.Change(D::EditWidth, "-$10");
    d.KeyUp(D::EditWidth);
    EXPECT_EQ(platform.messages.back(), "'-$10' is not a valid integer value");
}

TEST_F(ImagePropertiesTest, OkChecksTheRangesAndAppliesTheDescriptor) {
    D d = Dialog();
    d.Change(D::EditWidth, "700");
    d.Change(D::EditHeight, "2000");
    EXPECT_FALSE(d.cmdOkClick());
    EXPECT_EQ(platform.messages.back(),
              "Invalid width, must be 0-640.\rInvalid height, must be 0-1024.\r");
    d.Change(D::EditWidth, "1,000");
    d.Change(D::EditHeight, "100");
    EXPECT_FALSE(d.cmdOkClick());
    d.Change(D::EditWidth, "1,00");
    EXPECT_TRUE(d.cmdOkClick());

    // Applied: a smaller multicolor DFLI image with the cursor pulled inside.
    state().cursorX = 101;  // just outside the new size
    state().cursorY = 0;
    state().selectionActive = true;
    state().selectionEndX = 7;
    platform.propertiesScript = [](D& dialog) {
        dialog.Change(D::EditName, "logo");
        dialog.Change(D::EditWidth, "101");
        dialog.Change(D::EditHeight, "0");
        dialog.multiColor = true;
        dialog.colorMap = 2;
        dialog.layout = 1;
        return dialog.cmdOkClick();
    };
    editor.RunMenuCommand("mnuViewImageProperties");
    const ImageDescriptor& desc = image().desc;
    EXPECT_EQ(desc.name, "logo");
    EXPECT_EQ(desc.width, 101);
    EXPECT_EQ(desc.height, 0);
    EXPECT_EQ(desc.pixelWidth, 2);
    EXPECT_EQ(desc.colorMapKind, ColorMapKind::Dfli);
    EXPECT_EQ(desc.layout, Layout::Charset);
    EXPECT_EQ(state().cursorX, 100);
    EXPECT_EQ(state().cursorY, -1);
    EXPECT_EQ(state().selectionEndX, 6);
    // The panels never shrink below their first size for a small image: the
    // palette keeps usable cells and the preview shows a 320-wide image whole.
    EXPECT_EQ(editor.view().previewWidth, 320);
    EXPECT_EQ(editor.view().paletteHeight, 200);

    // Cancel changes nothing.
    platform.propertiesScript = [](D& dialog) {
        dialog.Change(D::EditWidth, "8");
        return false;
    };
    editor.RunMenuCommand("mnuViewImageProperties");
    EXPECT_EQ(desc.width, 101);
    EXPECT_EQ(platform.propertiesOpenings, 2);

    // An empty image given a size gets a cursor the keys can draw at.
    platform.propertiesScript = [](D& dialog) {
        dialog.Change(D::EditHeight, "8");
        return dialog.cmdOkClick();
    };
    editor.RunMenuCommand("mnuViewImageProperties");
    EXPECT_EQ(state().cursorY, 0);
    EXPECT_EQ(platform.statusTexts[0], "50,0");

    // A larger image widens the preview to show it whole.
    platform.propertiesScript = [](D& dialog) {
        dialog.Change(D::EditWidth, "400");
        return dialog.cmdOkClick();
    };
    editor.RunMenuCommand("mnuViewImageProperties");
    EXPECT_EQ(editor.view().previewWidth, 400);
}

}  // namespace
}  // namespace pixolat::testing
