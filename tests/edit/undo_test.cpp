// Undo and redo through the editor: every kind of step, as the user makes
// it, undoes to the exact images and descriptors and redoes to the exact
// result; the keys and the Edit menu's captions and grey states.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "document/colors.h"
#include "document/text.h"
#include "edit/editor.h"
#include "edit/image_properties.h"
#include "edit/key_map.h"
#include "support/image_print.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;
using pixolat::testing::TempFolder;

namespace {

using Print = std::string;

Print PrintNow(const Editor& e) {
    return pixolat::testing::PrintOf(e.store(), e.state().currentImage);
}

struct UndoFixture {
    ScriptedPlatform platform;
    Editor editor{platform};
    TempFolder folder;
    std::mt19937 rng;

    // Image 0: a random picture of a random kind, the cursor somewhere in
    // it, sometimes a selection; image 1 holds something for the loads to cover.
    explicit UndoFixture(unsigned seed) : rng(seed) {
        editor.viewArea().FormResize(780, 580, 20);
        Image& image = editor.currentImage();
        image.desc = {"pic",          64 + int(rng() % 8) * 8, 48,   1 + int(rng() % 2),
                      Layout::Bitmap, ColorMapKind(rng() % 3), 0x12, 0x71};
        for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = rng() & 1;
        for (std::size_t i = 0; i < kAttributeBytes; ++i) {
            image.colmap.data()[i] = uint8_t(rng());
            image.lummap.data()[i] = uint8_t(rng());
        }
        editor.store().image(1).desc = {"other", 8, 8, 1, Layout::Charset, ColorMapKind::None,
                                        0,       0};
        editor.store().image(1).plane.at(3, 3) = 1;
        EditorState& s = editor.state();
        s.cursorX = 8 * int(rng() % 6);
        s.cursorY = int(rng() % 40);
        s.currentPixelValue = 1 + int(rng() % 2);
        if (rng() % 2) {
            s.selectionActive = true;
            s.selectionAnchorX = 2;
            s.selectionAnchorY = 3;
            s.selectionEndX = 30;
            s.selectionEndY = 20;
        }
        editor.view().zoom = 4;
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
        // The set-up above is where the history starts.
        editor.undo().EndStep();
        editor.undo().history().Clear();
        editor.undo().EndStep();
    }

    // The cell color 1 of the area's first cell, a code Replace Colors will find.
    std::string AreaColor() {
        const Image& image = editor.currentImage();
        const ImageRect area = editor.viewArea().SelectionRect();
        const int bank = BankOf(image.desc, area.y1);
        const Cell c = CellIndex(area.x1, area.y1);
        return "$" + HexByte(CellColor1(image.colmap.at(bank, c.column, c.row),
                                        image.lummap.at(bank, c.column, c.row)));
    }

    std::string WriteFile(const std::string& name, const std::string& text) {
        const std::string path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

struct StepKind {
    const char* name;  // as the Undo item shows it
    std::function<void(UndoFixture&)> make;
    std::function<void(UndoFixture&)> prepare = nullptr;  // a step of its own, if any
};

void Menu(UndoFixture& f, const char* item) {
    f.editor.RunMenuCommand(item);
}

// A press, three drags and the release of the left button on the view.
void Stroke(UndoFixture& f) {
    Editor& e = f.editor;
    e.Dispatch([&] { e.imgMouseDown(MouseButton::Left, kLeftButton, 10, 10); });
    for (int i = 1; i <= 3; ++i)
        e.Dispatch([&] { e.imgMouseMove(kLeftButton, 10 + 37 * i, 10 + 21 * i); });
    e.Dispatch([&] { e.imgMouseUp(MouseButton::Left, 0, 10, 10); });
}

// Two releases on one palette color within the double-click time.
void PaletteDoubleClick(UndoFixture& f) {
    Editor& e = f.editor;
    for (uint32_t tick : {1000u, 1100u}) {
        f.platform.tickCount = tick;
        e.Dispatch([&] { e.palette().imgColorPaletteMouseUp(MouseButton::Right, 0, 40, 30); });
    }
}

const std::vector<StepKind>& Kinds() {
    static const std::vector<StepKind> kinds = {
        {"Draw", Stroke},
        {"Fill", [](UndoFixture& f) { Menu(f, "mnuDrawFill"); }},
        {"Invert", [](UndoFixture& f) { f.editor.FormKeyDown('I', 0); }},
        // A value key held through a run of cursor moves, and M with an arrow.
        {"Draw",
         [](UndoFixture& f) {
             f.editor.FormKeyDown('1', 0);
             for (int i = 0; i < 3; ++i) f.editor.FormKeyDown(kKeyRight, 0);
             f.editor.FormKeyDown(kKeyDown, 0);
             f.editor.FormKeyUp('1', 0);
         }},
        {"Move Area",
         [](UndoFixture& f) {
             f.editor.FormKeyDown('M', 0);
             f.editor.FormKeyDown(kKeyRight, 0);
             f.editor.FormKeyUp('M', 0);
         }},
        {"Flip Horizontally", [](UndoFixture& f) { Menu(f, "mnuDrawFlipHorizontally"); }},
        {"Flip Vertically", [](UndoFixture& f) { Menu(f, "mnuDrawFlipVertically"); }},
        {"Replace Colors",
         [](UndoFixture& f) {
             f.platform.inputAnswers = {f.AreaColor(), "$7F"};
             Menu(f, "mnuDrawReplaceColors");
         }},
        {"Remap Colors",
         [](UndoFixture& f) {
             f.platform.inputAnswers = {"1", "2"};
             Menu(f, "mnuDrawRemapColors");
         },
         [](UndoFixture& f) {
             f.editor.Dispatch([&] { f.editor.currentImage().desc.pixelWidth = 2; });
         }},
        {"Paste", [](UndoFixture& f) { Menu(f, "mnuEditPaste"); },
         [](UndoFixture& f) {
             Menu(f, "mnuEditCopy");
             f.editor.state().cursorX = 16;
             f.editor.state().cursorY = 5;
         }},
        {"Set Color",
         [](UndoFixture& f) {
             f.platform.inputAnswers = {"$2E", "$61"};
             Menu(f, "mnuDrawSetColor");
         }},
        {"Set Color", PaletteDoubleClick},
        {"Toggle Hires/Multi", [](UndoFixture& f) { Menu(f, "mnuDrawHires"); }},
        {"Image Properties",
         [](UndoFixture& f) {
             f.platform.propertiesScript = [](ImagePropertiesDialog& d) {
                 d.Change(ImagePropertiesDialog::EditName, "new");
                 d.Change(ImagePropertiesDialog::EditWidth, "24");
                 d.layout = 2;
                 return d.cmdOkClick();
             };
             Menu(f, "mnuViewImageProperties");
         }},
        {"Import .PRG",
         [](UndoFixture& f) {
             std::string prg(10050, '\x5A');
             prg[0] = 0x00, prg[1] = 0x18, prg[1020] = 'M';
             f.platform.fileDialogAnswers.push_back(f.WriteFile("a.prg", prg));
             Menu(f, "mnuFileImportPRG");
         }},
        {"Import .BMP",
         [](UndoFixture& f) {
             Picture picture{12, 10, std::vector<uint32_t>(120, 0x00FF)};
             f.platform.pictures["p.bmp"] = picture;
             f.platform.fileDialogAnswers.push_back("p.bmp");
             Menu(f, "mnuFileImportBMP");
         }},
        // Loads fill the current image and the next: one step over both, and
        // the current image moves with it.
        {"Load",
         [](UndoFixture& f) {
             f.platform.textWindowAnswers.push_back(
                 "A; 16*8 m none\n\tDB $C0,$0F\nB; 8*8 h\n\tDB $FF\n");
             Menu(f, "mnuFileLoad");
         }},
        {"Open Source File",
         [](UndoFixture& f) {
             f.platform.fileDialogAnswers.push_back(
                 f.WriteFile("s.asm", "A\t; 8*8 h charset\r\n\tDB $81\r\nB; 8*16 m dfli\r\n"));
             Menu(f, "mnuFileOpenSource");
         }},
    };
    return kinds;
}

}  // namespace

TEST(Undo, EveryKindOfStepUndoesToTheExactImagesAndRedoesToTheExactResult) {
    for (const StepKind& kind : Kinds()) {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(std::string(kind.name) + ", seed " + std::to_string(seed));
            UndoFixture f(seed);
            Editor& e = f.editor;
            if (kind.prepare) kind.prepare(f);
            const Print before = PrintNow(e);
            const std::size_t steps = e.undo().history().undoSteps();
            kind.make(f);
            const Print after = PrintNow(e);
            ASSERT_TRUE(f.platform.messages.empty()) << f.platform.messages[0];
            ASSERT_NE(after.substr(after.find('\n')), before.substr(before.find('\n')));
            ASSERT_EQ(e.undo().history().undoSteps(), steps + 1);
            EXPECT_EQ(MenuItemNamed(e.menu(), "mnuEditUndo").caption,
                      std::string("&Undo ") + kind.name);
            EXPECT_FALSE(MenuItemNamed(e.menu(), "mnuEditRedo").enabled);

            e.RunMenuCommand("mnuEditUndo");
            EXPECT_EQ(PrintNow(e), before);
            EXPECT_EQ(MenuItemNamed(e.menu(), "mnuEditRedo").caption,
                      std::string("&Redo ") + kind.name);
            EXPECT_TRUE(MenuItemNamed(e.menu(), "mnuEditRedo").enabled);
            e.RunMenuCommand("mnuEditRedo");
            EXPECT_EQ(PrintNow(e), after);
            EXPECT_EQ(e.undo().history().undoSteps(), steps + 1);
        }
    }
}

TEST(Undo, CtrlZAndCtrlYOrCtrlShiftZUndoAndRedoWhileTheOtherZKeysZoom) {
    UndoFixture f(9);
    Editor& e = f.editor;
    EXPECT_FALSE(MenuItemNamed(e.menu(), "mnuEditUndo").enabled ||
                 MenuItemNamed(e.menu(), "mnuEditRedo").enabled);
    e.FormKeyDown('Z', kCtrl);  // greyed, Undo still keeps Ctrl+Z from the zoom
    EXPECT_EQ(e.view().zoom, 4);
    const Print before = PrintNow(e);
    Menu(f, "mnuDrawFill");
    const Print filled = PrintNow(e);
    e.FormKeyDown('Z', kCtrl);
    EXPECT_EQ(PrintNow(e), before);
    EXPECT_EQ(e.statusText(3), "Undone: Fill");
    e.FormKeyDown('Y', kCtrl);
    EXPECT_EQ(PrintNow(e), filled);
    e.FormKeyDown('Z', kCtrl);
    e.FormKeyDown('Z', kCtrl | kShift);
    EXPECT_EQ(PrintNow(e), filled);
    for (ShiftState shift : {ShiftState(0), ShiftState(kShift), ShiftState(kAlt)}) {
        const int zoom = e.view().zoom;
        e.FormKeyDown('Z', shift);
        EXPECT_NE(e.view().zoom, zoom);
    }

    // Ctrl+Z in the middle of a stroke takes back what it drew so far.
    e.Dispatch([&] { e.imgMouseDown(MouseButton::Left, kLeftButton, 10, 10); });
    e.Dispatch([&] { e.imgMouseMove(kLeftButton, 90, 60); });
    EXPECT_EQ(MenuItemNamed(e.menu(), "mnuEditUndo").caption,
              "&Undo Fill");  // the stroke is under way
    e.FormKeyDown('Z', kCtrl | kLeftButton);
    EXPECT_EQ(PrintNow(e), filled);
    EXPECT_EQ(MenuItemNamed(e.menu(), "mnuEditRedo").caption, "&Redo Draw");
}

TEST(Undo, AStepPastTheBudgetStaysDoneAndSaysItCannotBeUndone) {
    UndoFixture f(4);
    Editor& e = f.editor;
    Menu(f, "mnuDrawFlipVertically");
    e.undo().history().SetBudget(16 * 1024);
    e.state().selectionActive = false;
    Menu(f, "mnuDrawFill");
    EXPECT_EQ(e.statusText(3), "This step cannot be undone.");
    EXPECT_FALSE(MenuItemNamed(e.menu(), "mnuEditUndo").enabled ||
                 MenuItemNamed(e.menu(), "mnuEditRedo").enabled);
    EXPECT_EQ(PixelValueAt(e.currentImage(), 60, 40), e.state().currentPixelValue);
}
