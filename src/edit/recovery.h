#pragma once
// The recovery files: every session keeps its changed work in a file of its
// own in the user's data folder, named by the session's start time, so that
// a session nobody recovered is never overwritten by the next one. The last
// ten sessions' files are kept; File > Recover Last Session lists them.
//
// The file is written while the user works (autosave) and when the window
// closes. An autosave never holds the window up: at each tick it copies a
// few of the images that changed since the last copy into a snapshot store,
// and once the snapshot equals the store it writes the snapshot from a
// thread of its own. Images are told apart by their history revisions, so
// a copy taken before a later change is taken again.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace pixolat {

class Editor;
class ImageStore;

inline constexpr int kKeptSessions = 10;
// Changed work starts on its way to the file this long after the first
// change the file does not hold, between strokes however long the drawing
// goes on; a full store is copied and written well within 10 seconds.
inline constexpr uint32_t kAutosaveDelayMs = 4000;
// A write is followed by a pause of this many times the time it took (at
// most kAutosaveLongestPauseMs), so that writing a large store never takes
// more than a small share of the time however often it changes.
inline constexpr uint32_t kAutosavePauseFactor = 20;
inline constexpr uint32_t kAutosaveLongestPauseMs = 30000;
// Between two writes of the whole store, only the images that changed are
// written, to a file of changes beside it.
inline constexpr uint32_t kFullRewriteGapMs = 30000;
// After a failed write, the next try waits this long.
inline constexpr uint32_t kAutosaveRetryMs = 30000;
// The time an autosave tick may spend copying images (at least one).
inline constexpr uint32_t kSnapshotSliceMs = 5;

struct SessionFile {
    std::string path;
    int64_t startedAt = 0;  // seconds since 1970 (UTC)
    int64_t savedAt = 0;
    int images = 0;  // -1: the file of an earlier version, not counted
    // The file of the images changed since the whole store was written; empty
    // when there is none that belongs to this file.
    std::string changes = {};
};

// The recovery files in the folder, newest first, with the single file
// earlier versions wrote. Files without the recovery header line are not listed.
std::vector<SessionFile> ListSessionFiles(Platform& platform, const std::string& folder);
// "Today 14:32 — 3 images", in local time; "Yesterday", or the date, when older.
std::string SessionCaption(const SessionFile& file, int64_t now);
// The first line of a recovery file: a comment the source text reader skips.
// `whole` numbers the session's writes of the whole store (0: not said).
std::string SessionHeader(int64_t startedAt, int64_t savedAt, int images, int whole = 0);
// The lock a running session holds on its file, so that no other session
// deletes it; left behind, unlocked, by a session that did not close.
std::string SessionLockPath(const std::string& sessionPath);
std::string SessionChangesPath(const std::string& sessionPath);

class SessionRecovery {
public:
    explicit SessionRecovery(Editor& editor);
    ~SessionRecovery();  // waits for a write under way
    SessionRecovery(const SessionRecovery&) = delete;
    SessionRecovery& operator=(const SessionRecovery&) = delete;

    // Called often by the window (a few times a second) and after events:
    // moves changed work on towards the file. Never throws; a failed write
    // is shown in the status bar and tried again later.
    void Tick() noexcept;
    // The time a tick may spend copying images; 0 copies one image a tick.
    void SetSnapshotSliceMs(uint32_t ms) { sliceMs_ = ms; }
    // Whether an autosave thread is writing now.
    bool Writing() const { return worker_.joinable(); }
    // Waits for a write under way and takes its result.
    void WaitForWrite();

    // Writes the whole store now if the file does not hold the work yet, and
    // throws Error saying why when it cannot.
    void WriteNow();
    // The window is closing. Returns whether it may: true when the file holds
    // all changed work (or nothing was changed). When the file cannot be
    // written, the user is told why and chooses to save a source file, to
    // close anyway, or to keep the window.
    bool CloseQuery();
    // The file for this session, once one was written.
    const std::string& path() const { return path_; }

    // The other sessions' files, newest first, as the menu lists them.
    const std::vector<SessionFile>& sessions() const { return sessions_; }
    // The menu's caption of sessions()[n] ("Today 14:32 — 3 images").
    std::string SessionCaptionOf(std::size_t n) const;
    // Reads the n-th listed session (0 is the newest) into the store as one
    // step: each image to its own index, the current image and caption as
    // they were.
    void Recover(std::size_t n);
    // Lists the other sessions' files again, with the captions the
    // Recover Last Session submenu shows.
    void ListSessions();
    // Whether the newest listed session ended without closing (killed, or
    // the machine stopped): its lock was left behind and no program holds it.
    bool LastSessionDidNotClose() const;

private:
    void TickOnce();
    bool NeedsWrite() const;
    std::vector<uint64_t> Revisions() const;
    std::string ChoosePath();
    bool CopyChangedImages();
    bool ChangesWriteWillDo() const;
    void StartWrite(bool whole);
    void TakeWriteResult();
    void Prune();
    void ShowFailure(const std::string& why);

    Editor& editor_;
    int64_t startedAt_;
    std::string path_;
    // Revisions the file holds; the snapshot's revisions and current image.
    std::vector<uint64_t> written_;
    // What the file of the whole store holds: revisions, when it was
    // written, and its number (the file of changes names it).
    std::vector<uint64_t> wholeWritten_;
    uint32_t wholeWrittenAt_ = 0;
    int wholeWrites_ = 0;
    bool writingWhole_ = false;
    bool pruned_ = false;
    std::unique_ptr<ImageStore> snapshot_;
    std::vector<uint64_t> snapshotRevisions_;
    int snapshotImage_ = 0;
    uint32_t sliceMs_ = kSnapshotSliceMs;
    std::vector<SessionFile> sessions_;
    std::vector<std::string> captions_;

    std::unique_ptr<Platform::Lock> lock_;
    // The first change the file does not hold; the pause after the last write.
    bool pending_ = false;
    uint32_t pendingSince_ = 0;
    uint32_t writeStartedAt_ = 0;
    uint32_t pauseMs_ = 0;
    bool failed_ = false;
    uint32_t failedAt_ = 0;
    std::string shownFailure_;

    std::thread worker_;
    std::atomic<bool> workerDone_{false};
    std::string workerError_;  // set by the worker before it is done
};

}  // namespace pixolat
