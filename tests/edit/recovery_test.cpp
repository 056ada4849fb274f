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

TEST(Recovery, DrawingWithoutAPauseIsKeptBetweenStrokesAndNotRewrittenAtEveryTick) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    Editor editor(platform);
    editor.state().currentPixelValue = 1;
    int writes = 0;
    uint32_t firstChange = 0, firstKept = 0;
    auto tick = [&](uint32_t t) {
        platform.tickCount = t;
        const bool wasWriting = editor.recovery().Writing();
        editor.recovery().Tick();
        if (!wasWriting && editor.recovery().Writing()) ++writes;
        editor.recovery().WaitForWrite();
    };
    // 61 s of strokes, each 2.8 s of dragging and one tick between them; the
    // value keys change the picture at every tick between strokes too.
    uint32_t t = 1000;
    for (int stroke = 0; t < 62000; ++stroke) {
        editor.Dispatch(
            [&] { editor.imgMouseDown(MouseButton::Left, kLeftButton, stroke * 10, 0); });
        if (stroke == 0) firstChange = t;
        for (int n = 0; n < 14; ++n, t += 200) {
            editor.Dispatch([&] { editor.imgMouseMove(kLeftButton, stroke * 10, n * 10 + 10); });
            tick(t);
        }
        editor.Dispatch([&] { editor.imgMouseUp(MouseButton::Left, 0, stroke * 10, 150); });
        tick(t);
        if (firstKept == 0 && !editor.recovery().path().empty()) firstKept = t;
        t += 200;
    }
    ASSERT_NE(firstKept, 0u) << "strokes without a pause were never kept";
    EXPECT_LE(firstKept - firstChange, 10000u);
    // A write at most every kAutosaveDelayMs while the work changes.
    EXPECT_LE(writes, int(61000 / kAutosaveDelayMs) + 1);
    EXPECT_GE(writes, 5);
}

TEST(Recovery, ASessionsFileIsItsOwnFromTheStartAndNoLinkIsFollowed) {
    TempFolder folder;
    const std::string data = folder / "data";
    std::filesystem::create_directory(data);
    // A link planted at the first name this second would give, pointing out.
    std::filesystem::create_symlink(folder / "outside.asm", data + "/session-20251206-054640.asm");
    ScriptedPlatform first, second;
    first.dataFolder = second.dataFolder = data;
    first.unixTime = second.unixTime = 1765000000;  // both started in the same second
    Editor a(first), b(second);
    Draw(a, 0, 1, 1);
    Draw(b, 0, 2, 2);
    a.recovery().WriteNow();
    b.recovery().WriteNow();
    Draw(a, 0, 3, 3);
    Draw(b, 0, 4, 4);
    b.recovery().WriteNow();
    a.recovery().WriteNow();
    EXPECT_FALSE(std::filesystem::exists(folder / "outside.asm"));
    ASSERT_NE(a.recovery().path(), b.recovery().path());
    for (Editor* editor : {&a, &b}) {
        std::ifstream in(editor->recovery().path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        const auto work = SourceFileBytes(editor->store(), editor->state().currentImage);
        EXPECT_TRUE(text.ends_with(std::string(work.begin(), work.end())));
    }
}

TEST(Recovery, ARunningSessionsFileOutlivesPruningAndAKilledOneIsAnnounced) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    auto running = std::make_unique<Editor>(platform);
    Draw(*running, 0, 5, 5);
    running->recovery().WriteNow();
    const std::string kept = running->recovery().path();
    for (int n = 0; n < 12; ++n) {
        platform.unixTime += 60;
        Editor session(platform);
        EXPECT_EQ(platform.statusTexts[3], "Ready.");  // nothing was killed
        Draw(session, 0, n, 0);
        EXPECT_TRUE(session.recovery().CloseQuery());
    }
    ASSERT_TRUE(std::filesystem::exists(kept)) << "a running session's file was pruned";
    // Its file deleted behind its back: closing writes it again.
    std::filesystem::remove(kept);
    EXPECT_TRUE(running->recovery().CloseQuery());
    EXPECT_TRUE(std::filesystem::exists(kept));

    // A session that ends without closing leaves its lock: the next start says so.
    platform.unixTime += 600;
    running.reset();
    Editor closed(platform);
    EXPECT_EQ(platform.statusTexts[3], "Ready.");
    std::string killed;
    {
        platform.unixTime += 60;
        Editor session(platform);
        Draw(session, 0, 9, 9);
        session.recovery().WriteNow();
        killed = session.recovery().path();
    }
    // What a kill leaves: the lock file, held by no one.
    std::ofstream{SessionLockPath(killed)};
    platform.unixTime += 60;
    Editor next(platform);
    EXPECT_EQ(platform.statusTexts[3],
              "The last session did not close: its work is in File > Recover Last Session.");
}

TEST(Recovery, BetweenWholeWritesOnlyTheChangedImagesAreWrittenAndRecovered) {
    TempFolder folder;
    ScriptedPlatform platform;
    platform.dataFolder = folder.path();
    auto readAll = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    {
        Editor editor(platform);
        for (int i = 0; i < 5; ++i) Draw(editor, i, i, 1);
        for (uint32_t t = 0; t <= 6000; t += 200) TickAt(editor, platform, t);
        const std::string whole = readAll(editor.recovery().path());
        ASSERT_FALSE(whole.empty());
        Draw(editor, 3, 7, 7);
        const std::string changesPath = SessionChangesPath(editor.recovery().path());
        std::filesystem::create_symlink(folder / "outside", changesPath);
        for (uint32_t t = 6200; t <= 12000; t += 200) TickAt(editor, platform, t);
        EXPECT_FALSE(std::filesystem::exists(folder / "outside"));
        EXPECT_EQ(readAll(editor.recovery().path()), whole);  // the whole file is left alone
        const std::string changes = readAll(changesPath);
        EXPECT_LT(changes.size(), whole.size() / 3) << "more than image 3 was written";
        Draw(editor, 4, 8, 8);
        for (uint32_t t = 12200; t <= 18000; t += 200) TickAt(editor, platform, t);
        // Killed: no close.
    }
    platform.unixTime += 60;
    Editor next(platform);
    next.RunMenuCommand("mnuFileRecover1");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(next.store().image(i).desc.width, 320) << i;
        EXPECT_EQ(next.store().image(i).plane.at(i, 1), 1) << i;
    }
    EXPECT_EQ(next.store().image(3).plane.at(7, 7), 1);
    EXPECT_EQ(next.store().image(4).plane.at(8, 8), 1);
}
