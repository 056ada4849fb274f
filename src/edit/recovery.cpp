#include "edit/recovery.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <sstream>

#include "document/errors.h"
#include "document/image_store.h"
#include "document/pixels.h"
#include "edit/commands/file_commands.h"
#include "edit/editor.h"
#include "edit/image_switching.h"
#include "edit/source_files.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

constexpr const char* kHeaderStart = "// Pixolat session started ";
constexpr const char* kEarlierFileName = "recovery.asm";
constexpr const char* kNoFolder = "there is no folder for this program's data";

bool IsEmpty(const ImageDescriptor& desc) {
    return desc.width <= 0 || desc.height <= 0;
}

int CountImages(const ImageStore& store) {
    int n = 0;
    for (int i = 0; i < kImageCount; ++i) n += IsEmpty(store.image(i).desc) ? 0 : 1;
    return n;
}

constexpr const char* kChangesStart = "// Pixolat session changes to ";

std::vector<uint8_t> FileBytes(const ImageStore& store, int currentImage, int64_t startedAt,
                               int64_t savedAt, int number) {
    const std::string header = SessionHeader(startedAt, savedAt, CountImages(store), number);
    std::vector<uint8_t> bytes(header.begin(), header.end());
    const std::vector<uint8_t> text = SourceFileBytes(store, currentImage);
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

// The images of `changed` as the file of the whole store numbered `number`
// lacks them; read after that file, they replace its sections.
std::vector<uint8_t> ChangesBytes(const ImageStore& store, const std::vector<int>& changed,
                                  int currentImage, int number, int64_t savedAt) {
    std::string text = kChangesStart + std::to_string(number) + " saved " +
                       std::to_string(savedAt) + " images " + std::to_string(CountImages(store)) +
                       "\r\n" + SourceFileStart(currentImage);
    for (int index : changed) text += SourceFileSection(store, index);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The first line of a file, at most 200 bytes of it.
std::string FirstLine(Platform* platform, const std::string& path) {
    std::vector<uint8_t> bytes;
    try {
        bytes = platform->ReadFile(path, 200);
    } catch (const std::exception&) {
        return {};
    }
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), uint8_t('\r')));
}

std::tm LocalTime(int64_t seconds) {
    const std::time_t t = std::time_t(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::string TwoDigits(int n) {
    return std::string(1, char('0' + n / 10 % 10)) + char('0' + n % 10);
}

std::optional<SessionFile> ReadSessionHeader(Platform* platform, const std::string& path) {
    const std::string line = FirstLine(platform, path);
    if (!line.starts_with(kHeaderStart)) return std::nullopt;
    std::istringstream in(line.substr(std::strlen(kHeaderStart)));
    SessionFile file;
    file.path = path;
    std::string saved, images, whole;
    int number = 0;
    if (!(in >> file.startedAt >> saved >> file.savedAt >> images >> file.images) ||
        saved != "saved" || images != "images")
        return std::nullopt;
    // A file of changes counts when it was made for this very file.
    if (!(in >> whole >> number) || whole != "whole") return file;
    const std::string changes = SessionChangesPath(path);
    const std::string changesLine = FirstLine(platform, changes);
    if (!changesLine.starts_with(kChangesStart)) return file;
    std::istringstream after(changesLine.substr(std::strlen(kChangesStart)));
    int base = 0;
    int64_t savedAt = 0;
    int count = 0;
    if (after >> base >> saved >> savedAt >> images >> count && base == number &&
        saved == "saved" && images == "images") {
        file.savedAt = savedAt;
        file.images = count;
        file.changes = changes;
    }
    return file;
}

// The file name from the start time, in UTC so that it sorts by time.
std::string SessionFileName(int64_t startedAt, int attempt) {
    const std::time_t t = std::time_t(startedAt);
    std::tm tm{};
    gmtime_r(&t, &tm);
    std::string name = "session-" + std::to_string(tm.tm_year + 1900) + TwoDigits(tm.tm_mon + 1) +
                       TwoDigits(tm.tm_mday) + "-" + TwoDigits(tm.tm_hour) + TwoDigits(tm.tm_min) +
                       TwoDigits(tm.tm_sec);
    if (attempt > 1) name += "-" + std::to_string(attempt);
    return name + ".asm";
}

}  // namespace

std::string SessionHeader(int64_t startedAt, int64_t savedAt, int images, int whole) {
    return kHeaderStart + std::to_string(startedAt) + " saved " + std::to_string(savedAt) +
           " images " + std::to_string(images) +
           (whole > 0 ? " whole " + std::to_string(whole) : std::string()) + "\r\n";
}

namespace {
std::string Stem(const std::string& sessionPath) {
    return sessionPath.ends_with(".asm") ? sessionPath.substr(0, sessionPath.size() - 4)
                                         : sessionPath;
}
}  // namespace

std::string SessionLockPath(const std::string& sessionPath) {
    return Stem(sessionPath) + ".lock";
}

std::string SessionChangesPath(const std::string& sessionPath) {
    return Stem(sessionPath) + ".changes";
}

std::string SessionCaption(const SessionFile& file, int64_t now) {
    const std::tm saved = LocalTime(file.savedAt);
    const std::tm today = LocalTime(now);
    const std::tm yesterday = LocalTime(now - 24 * 60 * 60);
    auto sameDay = [](const std::tm& a, const std::tm& b) {
        return a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
    };
    std::string day;
    if (sameDay(saved, today))
        day = "Today";
    else if (sameDay(saved, yesterday))
        day = "Yesterday";
    else
        day = std::to_string(saved.tm_year + 1900) + "-" + TwoDigits(saved.tm_mon + 1) + "-" +
              TwoDigits(saved.tm_mday);
    const std::string images =
        file.images < 0 ? "an earlier version's session"
                        : std::to_string(file.images) + (file.images == 1 ? " image" : " images");
    return day + " " + TwoDigits(saved.tm_hour) + ":" + TwoDigits(saved.tm_min) + " \u2014 " +
           images;
}

std::vector<SessionFile> ListSessionFiles(Platform& platform, const std::string& folder) {
    std::vector<SessionFile> files;
    if (folder.empty()) return files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!it->is_regular_file(ec)) continue;
        if (name == kEarlierFileName) {
            // The one file of earlier versions: listed until a later session
            // recovers it, so an update loses no work.
            SessionFile file;
            file.path = it->path().string();
            file.images = -1;
            const auto time = std::filesystem::last_write_time(it->path(), ec);
            if (!ec)
                file.savedAt = std::chrono::duration_cast<std::chrono::seconds>(
                                   std::chrono::file_clock::to_sys(time).time_since_epoch())
                                   .count();
            files.push_back(file);
            continue;
        }
        if (!name.starts_with("session-") || !name.ends_with(".asm")) continue;
        if (auto file = ReadSessionHeader(&platform, it->path().string())) files.push_back(*file);
    }
    std::sort(files.begin(), files.end(), [](const SessionFile& a, const SessionFile& b) {
        return a.savedAt != b.savedAt ? a.savedAt > b.savedAt : a.path > b.path;
    });
    return files;
}

SessionRecovery::SessionRecovery(Editor& editor)
    : editor_(editor),
      startedAt_(editor.platform().UnixTime()),
      written_(kImageCount, 0),
      wholeWritten_(kImageCount, 0),
      snapshotRevisions_(kImageCount, ~uint64_t(0)) {}

SessionRecovery::~SessionRecovery() {
    if (worker_.joinable()) worker_.join();
    // Closed: the lock goes, so the next start does not take this session
    // for one that was killed.
    std::error_code ec;
    if (lock_) std::filesystem::remove(SessionLockPath(path_), ec);
    // A name taken but never written holds nothing to recover.
    if (!path_.empty() && std::filesystem::file_size(path_, ec) == 0 && !ec)
        std::filesystem::remove(path_, ec);
}

std::vector<uint64_t> SessionRecovery::Revisions() const {
    std::vector<uint64_t> revisions(kImageCount);
    for (int i = 0; i < kImageCount; ++i)
        revisions[std::size_t(i)] = editor_.undo().history().revision(i);
    return revisions;
}

// Work the file does not hold yet, and that no source file holds either. A
// file someone removed holds nothing.
bool SessionRecovery::NeedsWrite() const {
    if (!editor_.undo().ChangedSinceSaved()) return false;
    if (Revisions() != written_) return true;
    std::error_code ec;
    return !path_.empty() && !std::filesystem::is_regular_file(path_, ec);
}

// The file's name is taken by creating it, so two sessions started in the
// same second each get one of their own, and a name something else holds (a
// link planted there) is passed over, never written through.
std::string SessionRecovery::ChoosePath() {
    Platform& platform = editor_.platform();
    if (!path_.empty()) {
        std::error_code ec;
        if (std::filesystem::is_symlink(path_, ec))
            throw Error("its file \"" + path_ + "\" was replaced by a link");
        return path_;
    }
    const std::string folder = platform.DataFolder();
    if (folder.empty()) throw Error(kNoFolder);
    for (int attempt = 1;; ++attempt) {
        const std::string path = folder + "/" + SessionFileName(startedAt_, attempt);
        if (!platform.CreateNewFile(path)) continue;
        lock_ = platform.TryLock(SessionLockPath(path));
        return path;
    }
}

void SessionRecovery::Tick() noexcept {
    try {
        TickOnce();
    } catch (const std::exception& e) {
        ShowFailure(e.what());
    } catch (...) {
        ShowFailure("an unknown error");
    }
}

void SessionRecovery::TickOnce() {
    Platform& platform = editor_.platform();
    const uint32_t now = platform.TickCount();
    if (worker_.joinable()) {
        if (workerDone_.load(std::memory_order_acquire)) {
            TakeWriteResult();
            const uint32_t took = platform.TickCount() - writeStartedAt_;
            pauseMs_ = std::min(kAutosaveLongestPauseMs, took * kAutosavePauseFactor);
        }
        return;
    }
    if (!NeedsWrite()) {
        pending_ = false;
        return;
    }
    // The wait runs from the first change the file lacks, through strokes:
    // drawing without a pause is still kept, between two strokes.
    if (!pending_) {
        pending_ = true;
        pendingSince_ = now;
    }
    if (editor_.undo().InGesture()) return;
    if (uint32_t(now - pendingSince_) < kAutosaveDelayMs) return;
    if (uint32_t(now - writeStartedAt_) < pauseMs_) return;
    if (failed_ && uint32_t(now - failedAt_) < kAutosaveRetryMs) return;
    if (!CopyChangedImages()) return;
    writeStartedAt_ = now;
    pending_ = false;  // what changes from here on waits its own turn
    StartWrite(uint32_t(now - wholeWrittenAt_) >= kFullRewriteGapMs || !ChangesWriteWillDo());
}

// Whether a file of changes can say what changed since the whole store was
// written: not before there is such a file, not for an image emptied (the
// text has no section for it), and not when most of the store changed.
bool SessionRecovery::ChangesWriteWillDo() const {
    if (wholeWrites_ == 0) return false;
    int changed = 0;
    for (int i = 0; i < kImageCount; ++i) {
        if (snapshotRevisions_[std::size_t(i)] == wholeWritten_[std::size_t(i)]) continue;
        if (IsEmpty(snapshot_->image(i).desc)) return false;
        ++changed;
    }
    return changed <= kImageCount / 4;
}

// Copies images whose revision differs from the snapshot's for at most one
// time slice; true when the snapshot equals the store.
bool SessionRecovery::CopyChangedImages() {
    if (!snapshot_) snapshot_ = std::make_unique<ImageStore>();
    const auto start = std::chrono::steady_clock::now();
    bool copied = false;
    for (int i = 0; i < kImageCount; ++i) {
        const uint64_t revision = editor_.undo().history().revision(i);
        if (snapshotRevisions_[std::size_t(i)] == revision) continue;
        if (copied &&
            std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(sliceMs_))
            return false;
        const Image& from = editor_.store().image(i);
        Image& to = snapshot_->image(i);
        to.desc = from.desc;
        // An empty image's planes are never written: leave the pages untouched.
        if (!IsEmpty(from.desc)) {
            std::memcpy(to.plane.data(), from.plane.data(), kPlaneBytes);
            std::memcpy(to.colmap.data(), from.colmap.data(), kAttributeBytes);
            std::memcpy(to.lummap.data(), from.lummap.data(), kAttributeBytes);
        }
        snapshotRevisions_[std::size_t(i)] = revision;
        copied = true;
    }
    snapshotImage_ = editor_.state().currentImage;
    return true;
}

void SessionRecovery::StartWrite(bool whole) {
    std::string path;
    try {
        path = ChoosePath();
    } catch (const std::exception& e) {
        ShowFailure(e.what());
        return;
    }
    path_ = path;
    workerDone_.store(false);
    workerError_.clear();
    const int64_t savedAt = editor_.platform().UnixTime();
    const int current = snapshotImage_;
    const int number = whole ? wholeWrites_ + 1 : wholeWrites_;
    std::vector<int> changed;
    for (int i = 0; !whole && i < kImageCount; ++i)
        if (snapshotRevisions_[std::size_t(i)] != wholeWritten_[std::size_t(i)])
            changed.push_back(i);
    std::thread worker([this, path, savedAt, current, whole, number, changed] {
        try {
            Platform& platform = editor_.platform();
            if (whole) {
                platform.WriteFile(path,
                                   FileBytes(*snapshot_, current, startedAt_, savedAt, number));
                // Changes to an earlier whole file no longer belong: gone or ignored.
                std::error_code ec;
                std::filesystem::remove(SessionChangesPath(path), ec);
            } else {
                // Written through, a link planted at the name would put the work elsewhere.
                const std::string changesPath = SessionChangesPath(path);
                std::error_code ec;
                if (std::filesystem::is_symlink(changesPath, ec))
                    std::filesystem::remove(changesPath, ec);
                platform.WriteFile(changesPath,
                                   ChangesBytes(*snapshot_, changed, current, number, savedAt));
            }
        } catch (const std::exception& e) {
            workerError_ = e.what();
        }
        workerDone_.store(true, std::memory_order_release);
    });
    worker_ = std::move(worker);
    writingWhole_ = whole;
}

void SessionRecovery::TakeWriteResult() {
    worker_.join();
    if (workerError_.empty()) {
        written_ = snapshotRevisions_;
        if (writingWhole_) {
            wholeWritten_ = written_;
            wholeWrittenAt_ = writeStartedAt_;
            ++wholeWrites_;
        }
        failed_ = false;
        Prune();
    } else {
        ShowFailure(workerError_);
    }
}

void SessionRecovery::WaitForWrite() {
    if (worker_.joinable()) TakeWriteResult();
}

void SessionRecovery::ShowFailure(const std::string& why) {
    failed_ = true;
    failedAt_ = editor_.platform().TickCount();
    const std::string text = "Work cannot be kept for recovery: " + why;
    if (text != shownFailure_) editor_.ShowStatus(text);
    shownFailure_ = text;
}

void SessionRecovery::WriteNow() {
    WaitForWrite();
    if (!NeedsWrite()) return;
    const std::string path = ChoosePath();
    editor_.platform().WriteFile(
        path, FileBytes(editor_.store(), editor_.state().currentImage, startedAt_,
                        editor_.platform().UnixTime(), wholeWrites_ + 1));
    std::error_code ec;
    std::filesystem::remove(SessionChangesPath(path), ec);
    path_ = path;
    written_ = Revisions();
    wholeWritten_ = written_;
    wholeWrittenAt_ = editor_.platform().TickCount();
    ++wholeWrites_;
    failed_ = false;
    Prune();
}

bool SessionRecovery::CloseQuery() {
    editor_.undo().EndStep();
    std::string why;
    try {
        WriteNow();
        return true;
    } catch (const std::exception& e) {
        why = e.what();
    }
    Platform& platform = editor_.platform();
    for (;;) {
        switch (platform.AskBeforeExit("The images cannot be kept for recovery: " + why +
                                       ".\n\nSave them to a source file before closing?")) {
            case Platform::ExitChoice::CloseAnyway:
                return true;
            case Platform::ExitChoice::Cancel:
                return false;
            case Platform::ExitChoice::SaveSourceFile:
                try {
                    mnuFileSaveSourceClick(editor_);
                } catch (const std::exception& e) {
                    platform.ShowMessage(e.what());
                }
                if (!editor_.undo().ChangedSinceSaved()) return true;
                break;
        }
    }
}

// Keeps this session's file and the newest others, ten in all; the file of
// a session that is still running (its lock held) is never deleted.
void SessionRecovery::Prune() {
    // The folder gains a file only with this session's first write; later
    // writes would scan it for nothing.
    if (pruned_) return;
    pruned_ = true;
    Platform& platform = editor_.platform();
    const std::string folder = std::filesystem::path(path_).parent_path().string();
    std::vector<SessionFile> files = ListSessionFiles(platform, folder);
    int kept = 0;
    for (const SessionFile& file : files) {
        if (file.path == path_) continue;
        if (++kept < kKeptSessions) continue;
        const std::string lockPath = SessionLockPath(file.path);
        if (!platform.TryLock(lockPath)) continue;
        std::error_code ec;
        std::filesystem::remove(file.path, ec);
        std::filesystem::remove(SessionChangesPath(file.path), ec);
        std::filesystem::remove(lockPath, ec);
    }
}

bool SessionRecovery::LastSessionDidNotClose() const {
    if (sessions_.empty() || sessions_.front().images < 0) return false;
    const std::string lockPath = SessionLockPath(sessions_.front().path);
    std::error_code ec;
    return std::filesystem::is_regular_file(lockPath, ec) && editor_.platform().TryLock(lockPath);
}

void SessionRecovery::ListSessions() {
    sessions_.clear();
    captions_.clear();
    const int64_t now = editor_.platform().UnixTime();
    for (SessionFile& file : ListSessionFiles(editor_.platform(), editor_.platform().DataFolder()))
        if (file.path != path_ && sessions_.size() < std::size_t(kKeptSessions)) {
            captions_.push_back(SessionCaption(file, now));
            sessions_.push_back(std::move(file));
        }
}

std::string SessionRecovery::SessionCaptionOf(std::size_t n) const {
    return n < captions_.size() ? captions_[n] : std::string();
}

void SessionRecovery::Recover(std::size_t n) {
    if (n >= sessions_.size()) return;
    const SessionFile file = sessions_[n];
    // A file that cannot be read, or fails half way, changes nothing.
    const SourceLoadResult read = file.changes.empty()
                                      ? ReadSourceFile(editor_, file.path)
                                      : ReadSourceFiles(editor_, {file.path, file.changes});
    // The caption names the image the session was on, as after an image switch.
    ShowCurrentImage(editor_);
    std::string text =
        "Recovered the session of " + SessionCaption(file, editor_.platform().UnixTime());
    if (read.droppedSections > 0)
        text += "; " + std::to_string(read.droppedSections) + " did not fit after image #256";
    editor_.ShowStatus(text + ".");
}

}  // namespace pixolat
