// File > Save (as source) and Load (as source) through the scripted platform.
#include <gtest/gtest.h>

#include "edit/editor.h"
#include "edit/recovery.h"
#include "formats/source_text.h"
#include "support/scripted_platform.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;

TEST(SourceCommands, SaveShowsTheTextOfEveryImageAndChangesNothing) {
    ScriptedPlatform platform;
    Editor editor(platform);
    editor.store().image(0).plane.at(7, 0) = 1;
    editor.store().image(4).desc = {"Tiny", 8, 1, 2, Layout::Bitmap, ColorMapKind::None, 0, 0};
    editor.RunMenuCommand("mnuFileSave");
    ASSERT_EQ(platform.textWindows.size(), 1u);
    const std::string& text = platform.textWindows[0];
    // The text of a source file: each image's index, exact name and colors
    // come back through Load (as source).
    const std::string head =
        "//@ current 0\r\n\t; 320*200 h\r\n//@ image 0 colors $00 $71 name \"\"\r\n"
        "\tDB $01,$00,$00,";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find("$00\r\n\r\nTiny\t; 8*1 m none\r\n//@ image 4 colors $00 $00 name "
                        "\"Tiny\"\r\n"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\n\tDB $00,$00,$00,$00,$00,$00,$00,$00\r\n"));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(editor.state().currentImage, 0);
    EXPECT_EQ(editor.store().image(0).desc.width, 320);
    EXPECT_EQ(platform.textWindowTitle, "Gfx Data");
    EXPECT_EQ(editor.statusText(3), "Saved 2 images as db source to the Gfx Data window");

    // Nothing to save: the window opens empty.
    editor.store().image(0).desc.width = 0;
    editor.store().image(4).desc.height = 0;
    editor.RunMenuCommand("mnuFileSave");
    EXPECT_EQ(platform.textWindows.at(1), "");
}

// What Save (as source) shows reads back through Load (as source) exactly: a
// name the header cannot carry and the image's index, in the remembered syntax.
TEST(SourceCommands, SaveThenLoadThroughTheWindowKeepsNamesAndIndices) {
    for (const char* syntax : {"db", "ca65"}) {
        SCOPED_TRACE(syntax);
        ScriptedPlatform platform;
        platform.settings["SourceSyntax"] = std::string(syntax);
        Editor editor(platform);
        Image& image = editor.store().image(3);
        image.desc = {"my \"pic\" // a;b", 16,   8,   2, Layout::Bitmap,
                      ColorMapKind::None,  0x12, 0x34};
        image.plane.at(15, 7) = 1;
        editor.state().currentImage = 3;
        editor.RunMenuCommand("mnuFileSave");
        if (std::string(syntax) == "ca65") {
            EXPECT_EQ(platform.textWindowTitle, "Gfx Data (ca65 source)");
            EXPECT_EQ(editor.statusText(3), "Saved 2 images as ca65 source to the Gfx Data window");
        }

        ScriptedPlatform otherPlatform;
        Editor other(otherPlatform);
        otherPlatform.textWindowAnswers.push_back(platform.textWindows.at(0));
        other.RunMenuCommand("mnuFileLoad");
        EXPECT_TRUE(otherPlatform.messages.empty());
        EXPECT_EQ(other.state().currentImage, 3);
        const ImageDescriptor& back = other.store().image(3).desc;
        EXPECT_EQ(back.name, image.desc.name);
        EXPECT_EQ(back.color0, 0x12);
        EXPECT_EQ(back.color3, 0x34);
        EXPECT_EQ(other.store().image(3).plane.at(15, 7), 1);
    }
    // The menu's choice is kept in the settings.
    ScriptedPlatform platform;
    Editor editor(platform);
    editor.RunMenuCommand("mnuFileSyntaxXa");
    EXPECT_EQ(platform.settings["SourceSyntax"], "xa");
    EXPECT_TRUE(editor.menu()[11].checked);
}

TEST(SourceCommands, LoadReadsWhatTheUserPastedFromTheCurrentImageOn) {
    ScriptedPlatform platform;
    Editor editor(platform);
    editor.state().currentImage = 2;
    editor.state().cursorX = 300;
    platform.textWindowAnswers.push_back(
        "Sky; 16*8 m none\n\tDB $C0,000,000,000,000,000,000,000\n"
        "\tDB 000,000,000,000,000,000,000,$03\n"
        "Sea; 8*8 h\n\tDB $FF\n");
    editor.RunMenuCommand("mnuFileLoad");
    ASSERT_EQ(platform.textWindows.size(), 1u);
    EXPECT_EQ(platform.textWindows[0], "");  // the load window opens empty
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(editor.state().currentImage, 3);
    const Image& sky = editor.store().image(2);
    EXPECT_EQ(sky.desc.name, "Sky");
    EXPECT_EQ(sky.desc.width, 16);
    EXPECT_EQ(sky.desc.pixelWidth, 2);
    EXPECT_EQ(sky.plane.at(0, 0) + sky.plane.at(1, 0), 2);
    EXPECT_EQ(sky.plane.at(14, 7) + sky.plane.at(15, 7), 2);
    EXPECT_EQ(editor.currentImage().desc.name, "Sea");
    EXPECT_EQ(editor.currentImage().plane.at(7, 0), 1);
    // The cursor is kept inside the image that is now current.
    EXPECT_EQ(editor.state().cursorX, 7);
    EXPECT_EQ(editor.statusText(3), "Loaded source text (2 images).");
    // The last image read is the one now edited, and the caption says so.
    EXPECT_EQ(platform.caption, "Editing Image #3");
}

TEST(SourceCommands, ALoadThatFailsShowsTheErrorAndChangesNothing) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::string before = SaveSourceText(editor.store());
    platform.textWindowAnswers.push_back(
        "Ok; 8*1 h none\r\n\tDB $AA\r\nMid; 8*1 h none\r\n\tDB $01\r\n"
        "Bad; 8*2 h none\r\n\tDB $81,db $01\r\n");
    editor.RunMenuCommand("mnuFileLoad");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "line 6: 'db$' is not a valid integer value");
    EXPECT_EQ(SaveSourceText(editor.store()), before);
    EXPECT_EQ(editor.state().currentImage, 0);
    EXPECT_EQ(editor.statusText(3), "Ready.");  // no success reported
    EXPECT_FALSE(MenuItemNamed(editor.menu(), "mnuEditUndo").enabled);

    // Sections beyond image 256 are named in a message.
    platform.messages.clear();
    editor.state().currentImage = 256;
    platform.textWindowAnswers.push_back("A; 8*1 h none\n$01\nB; 8*1 h none\n$02\n");
    editor.RunMenuCommand("mnuFileLoad");
    EXPECT_EQ(editor.store().image(256).desc.name, "A");
    EXPECT_EQ(editor.statusText(3), "Loaded source text (1 image).");
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{"1 image did not fit after image #256 and was not read: "
                                       "\"B\". Read the text from a lower image to get them."});
}

TEST(SourceCommands, TheFileMenuListsLoadAndSaveFirst) {
    ScriptedPlatform platform;
    Editor editor(platform);
    const std::vector<MenuItem>& menu = editor.menu();
    ASSERT_GE(menu.size(), 7u);
    EXPECT_EQ(menu[0].name, "mnuFile");
    EXPECT_EQ(menu[1].DisplayCaption(), "&Load (as source)\tL");
    EXPECT_EQ(menu[1].helpContext, 2101);
    EXPECT_EQ(menu[2].DisplayCaption(), "&Save (as source)\tS");
    EXPECT_EQ(menu[2].helpContext, 2102);
    // The source file items come between Save (as source) and the separator:
    // the source syntax's submenu, and last a submenu of the recovered sessions.
    EXPECT_EQ(menu[5].name, "mnuFileSourceSyntax");
    EXPECT_EQ(menu[12].name, "mnuFileRecover");
    EXPECT_TRUE(menu[12].submenu);
    std::size_t next = 13;
    while (next < menu.size() && menu[next].parent == "mnuFileRecover") ++next;
    EXPECT_EQ(next, 13u + kKeptSessions);
    ASSERT_LT(next, menu.size());
    EXPECT_EQ(menu[next].name, "mnuFile1");
    EXPECT_EQ(menu[next].kind, MenuItem::Kind::Separator);
}
