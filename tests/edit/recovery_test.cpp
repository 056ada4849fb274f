// The recovery files: what counts as changed, one file per session, the
// question at exit when no file can be written, Recover Last Session, and
// the autosave that keeps work a killed editor would lose.
#include "edit/recovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "edit/editor.h"
#include "edit/source_files.h"
#include "formats/source_text.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

using namespace pixolat;
using pixolat::testing::ScriptedPlatform;
using pixolat::testing::TempFolder;
using ExitChoice = Platform::ExitChoice;

namespace {

void Draw(Editor& editor, int image, int x, int y) {
    editor.Dispatch([&] {
        if (image != editor.state().currentImage) editor.undo().BeforeImageChange(image);
        Image& target = editor.store().image(image);
        if (target.desc.width == 0) target.desc = {"", 320, 200, 1, {}, {}, 0, 0};
        target.plane.at(x, y) = 1;
    });
}

std::vector<std::string> SessionFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Ticks the autosave at `ms` on the platform's clock and waits for a write it started.
void TickAt(Editor& editor, ScriptedPlatform& platform, uint32_t ms) {
    platform.tickCount = ms;
    editor.recovery().Tick();
    editor.recovery().WaitForWrite();
}

}  // namespace

TEST(Recovery, OnlyImagesNoFileHoldsCountAsChanged) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder / "data";
    std::filesystem::create_directory(platform.dataFolder);
    {
        Editor editor(platform);
        Draw(editor, 0, 1, 1);
        // Another file opened into image 5 holds image 5, not the drawing on image 0.
        const std::string other = folder / "other.asm";
        std::ofstream(other, std::ios::binary) << "Other; 8*8 h\r\n\tDB $FF\r\n";
        editor.Dispatch([&] { editor.state().currentImage = 5; });
        editor.Dispatch([&] { OpenSourceFile(editor, other); });
        EXPECT_FALSE(editor.undo().ImageChangedSinceSaved(5));
        EXPECT_TRUE(editor.undo().ImageChangedSinceSaved(0));
        // Undoing the open changes image 5 from what the file holds.
        editor.Dispatch([&] { editor.undo().Undo(); });
        EXPECT_TRUE(editor.undo().ImageChangedSinceSaved(5));
        editor.Dispatch([&] { editor.undo().Redo(); });
        EXPECT_FALSE(editor.undo().ImageChangedSinceSaved(5));
        EXPECT_TRUE(editor.recovery().CloseQuery());
        EXPECT_TRUE(std::filesystem::is_regular_file(editor.recovery().path()));
        EXPECT_TRUE(platform.exitQuestions.empty());
    }
    {
        // Drawn, then undone: nothing is changed, nothing is written.
        Editor editor(platform);
        Draw(editor, 0, 2, 2);
        editor.Dispatch([&] { editor.undo().Undo(); });
        EXPECT_FALSE(editor.undo().ChangedSinceSaved());
        // Saved to a file: nothing to keep either.
        Draw(editor, 3, 2, 2);
        platform.fileDialogAnswers.push_back(folder / "saved.asm");
        editor.RunMenuCommand("mnuFileSaveSource");
        EXPECT_FALSE(editor.undo().ChangedSinceSaved());
        EXPECT_TRUE(editor.recovery().CloseQuery());
        EXPECT_TRUE(editor.recovery().path().empty());
    }
    EXPECT_EQ(SessionFiles(platform.dataFolder).size(), 1u);
}

TEST(Recovery, EverySessionKeepsAFileOfItsOwnAndTheMenuListsTheLastTenNewestFirst) {
    setenv("TZ", "UTC", 1);
    tzset();
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    platform.unixTime = 1765000000;  // 2025-12-06 05:46:40 UTC
    {
        Editor first(platform);
        EXPECT_FALSE(MenuItemNamed(first.menu(), "mnuFileRecover").enabled);
        Draw(first, 0, 1, 1);
        Draw(first, 4, 1, 1);
        EXPECT_TRUE(first.recovery().CloseQuery());
    }
    {
        // Started in the same second, one pixel drawn: the first file stays.
        Editor second(platform);
        EXPECT_TRUE(MenuItemNamed(second.menu(), "mnuFileRecover").enabled);
        Draw(second, 0, 9, 9);
        platform.unixTime += 60;  // closed a minute later: listed first
        EXPECT_TRUE(second.recovery().CloseQuery());
    }
    EXPECT_EQ(
        SessionFiles(folder.path()),
        (std::vector<std::string>{"session-20251206-054640-2.asm", "session-20251206-054640.asm"}));
    platform.unixTime += 20 * 3600;  // the next day, 01:47
    Editor third(platform);
    EXPECT_EQ(MenuItemNamed(third.menu(), "mnuFileRecover1").caption,
              "Yesterday 05:47 \u2014 1 image");
    EXPECT_EQ(MenuItemNamed(third.menu(), "mnuFileRecover2").caption,
              "Yesterday 05:46 \u2014 2 images");
    EXPECT_TRUE(MenuItemNamed(third.menu(), "mnuFileRecover2").visible);
    EXPECT_FALSE(MenuItemNamed(third.menu(), "mnuFileRecover3").visible);
    EXPECT_EQ(SessionCaption({"", 0, platform.unixTime - 60, 3}, platform.unixTime),
              "Today 01:46 \u2014 3 images");
    EXPECT_EQ(SessionCaption({"", 0, 1700000000, 1}, platform.unixTime),
              "2023-11-14 22:13 \u2014 1 image");

    // Twelve more sessions, each a minute later: the newest ten stay.
    for (int n = 0; n < 12; ++n) {
        platform.unixTime += 60;
        Editor session(platform);
        Draw(session, 0, n, 0);
        EXPECT_TRUE(session.recovery().CloseQuery());
    }
    Editor last(platform);
    const std::vector<SessionFile>& listed = last.recovery().sessions();
    ASSERT_EQ(listed.size(), 10u);
    EXPECT_EQ(SessionFiles(folder.path()).size(), 10u);
    EXPECT_EQ(listed.front().savedAt, platform.unixTime);
    EXPECT_EQ(listed.back().savedAt, platform.unixTime - 9 * 60);
    EXPECT_TRUE(MenuItemNamed(last.menu(), "mnuFileRecover10").visible);
}

TEST(Recovery, RecoverBringsTheSessionBackAsOneStepAndAFailedRecoveryChangesNothing) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    std::string saved;
    {
        Editor editor(platform);
        Draw(editor, 0, 3, 4);
        editor.Dispatch([&] { editor.currentImage().desc.name = "Kept"; });
        saved = SaveSourceText(editor.store());
        EXPECT_TRUE(editor.recovery().CloseQuery());
    }
    platform.unixTime += 100;
    {
        Editor editor(platform);
        const std::string file = editor.recovery().sessions().at(0).path;
        editor.RunMenuCommand("mnuFileRecover1");
        EXPECT_EQ(SaveSourceText(editor.store()), saved);
        EXPECT_EQ(editor.caption(), "Editing Image #0");
        EXPECT_EQ(MenuItemNamed(editor.menu(), "mnuEditUndo").caption, "&Undo Recover Session");
        EXPECT_TRUE(platform.messages.empty());
        editor.RunMenuCommand("mnuEditUndo");
        EXPECT_EQ(editor.currentImage().plane.at(3, 4), 0);
        EXPECT_FALSE(editor.undo().ChangedSinceSaved());

        // The file turned into a folder after it was listed: said, and nothing changes.
        const std::string text = SaveSourceText(editor.store());
        std::filesystem::rename(file, file + ".moved");
        std::filesystem::create_directory(file);
        editor.RunMenuCommand("mnuFileRecover1");
        EXPECT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(SaveSourceText(editor.store()), text);
        EXPECT_FALSE(editor.undo().ChangedSinceSaved());
        EXPECT_TRUE(std::filesystem::is_directory(file));
    }
}

TEST(Recovery, WhenNoFileCanBeWrittenClosingAsksAndOnlyThen) {
    TempFolder folder;
    ScriptedPlatform platform;
    // A data folder that is a file: nothing can be created in it.
    platform.dataFolder = folder / "data";
    std::ofstream(platform.dataFolder) << "x";
    Editor editor(platform);
    EXPECT_TRUE(editor.recovery().CloseQuery());  // nothing changed: no question
    EXPECT_TRUE(platform.exitQuestions.empty());

    Draw(editor, 0, 1, 1);
    platform.exitAnswers = {ExitChoice::Cancel};
    EXPECT_FALSE(editor.recovery().CloseQuery());
    ASSERT_EQ(platform.exitQuestions.size(), 1u);
    EXPECT_NE(platform.exitQuestions[0].find("cannot be kept for recovery"), std::string::npos);
    EXPECT_NE(platform.exitQuestions[0].find(platform.dataFolder), std::string::npos);

    platform.exitAnswers = {ExitChoice::CloseAnyway};
    EXPECT_TRUE(editor.recovery().CloseQuery());

    // Save Source File, its dialog cancelled: asked again; then saved.
    platform.exitAnswers = {ExitChoice::SaveSourceFile, ExitChoice::SaveSourceFile};
    platform.fileDialogAnswers = {std::nullopt, folder / "kept.asm"};
    EXPECT_TRUE(editor.recovery().CloseQuery());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "kept.asm"));

    // No data folder at all says so too.
    platform.dataFolder.clear();
    Draw(editor, 0, 2, 2);
    platform.exitAnswers = {ExitChoice::Cancel};
    EXPECT_FALSE(editor.recovery().CloseQuery());
    EXPECT_NE(platform.exitQuestions.back().find("no folder"), std::string::npos);
}

TEST(Recovery, AutosaveKeepsAStrokeAKilledEditorWouldLose) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    {
        Editor editor(platform);
        TickAt(editor, platform, 1000);  // nothing changed: nothing written
        EXPECT_TRUE(editor.recovery().path().empty());
        Draw(editor, 0, 5, 6);
        TickAt(editor, platform, 2000);
        TickAt(editor, platform, 2000 + kAutosaveDelayMs - 1);
        EXPECT_TRUE(editor.recovery().path().empty());
        // 31 seconds idle after the stroke: it is in the file.
        for (uint32_t t = 2000; t <= 33000; t += 200) TickAt(editor, platform, t);
        EXPECT_TRUE(std::filesystem::is_regular_file(editor.recovery().path()));
        // The editor is killed: no close.
    }
    platform.unixTime += 60;
    Editor next(platform);
    ASSERT_EQ(next.recovery().sessions().size(), 1u);
    next.RunMenuCommand("mnuFileRecover1");
    EXPECT_EQ(next.store().image(0).plane.at(5, 6), 1);
}

TEST(Recovery, AChangeWhileTheSnapshotIsTakenReachesTheFile) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    Editor editor(platform);
    editor.recovery().SetSnapshotSliceMs(0);  // one image a tick
    for (int i = 0; i < 3; ++i) Draw(editor, i, i, i);
    platform.tickCount = 0;
    editor.recovery().Tick();
    platform.tickCount = kAutosaveDelayMs;
    editor.recovery().Tick();
    ASSERT_FALSE(editor.recovery().Writing());
    Draw(editor, 0, 7, 7);
    for (int n = 0; n < 1000 && !editor.recovery().Writing(); ++n) editor.recovery().Tick();
    editor.recovery().WaitForWrite();
    std::ifstream in(editor.recovery().path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<uint8_t> now = SourceFileBytes(editor.store(), editor.state().currentImage);
    EXPECT_TRUE(text.ends_with(std::string(now.begin(), now.end())));
}

TEST(Recovery, TheFileOfAnEarlierVersionIsListedAndRecovered) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    std::ofstream(folder / "recovery.asm", std::ios::binary) << "Old; 8*8 h\r\n\tDB $FF\r\n";
    Editor editor(platform);
    ASSERT_EQ(editor.recovery().sessions().size(), 1u);
    EXPECT_NE(MenuItemNamed(editor.menu(), "mnuFileRecover1")
                  .caption.find("an earlier version's session"),
              std::string::npos);
    editor.RunMenuCommand("mnuFileRecover1");
    EXPECT_EQ(editor.currentImage().desc.name, "Old");
    EXPECT_EQ(editor.currentImage().plane.at(0, 0), 1);
}
