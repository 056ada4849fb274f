#pragma once
// Everything the editor needs from the desktop, as one interface with no
// toolkit in it. The desktop program implements it with Qt; tests use a
// scripted implementation that records what was shown and answers dialogs
// from a queue. Operations that fail throw pixolat::Error with the text the
// user is shown.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/image_store.h"
#include "document/picture.h"
#include "platform/picture_files.h"
#include "platform/text_painter.h"

namespace pixolat {

// Modifier keys and mouse buttons held during an event.
enum ShiftFlag : unsigned {
    kShift = 1,
    kAlt = 2,
    kCtrl = 4,
    kLeftButton = 8,
    kRightButton = 16,
    kMiddleButton = 32,
};
using ShiftState = unsigned;

enum class MouseButton { Left, Right, Middle };

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Filter in the "Description|*.a;*.b|Description|*.*" form, and the extension
// appended when the user types a name without one.
struct FileDialogOptions {
    std::string filter;
    std::string defaultExtension;
};

// How the Gfx Data text window is opened.
enum class TextWindowPurpose {
    Save,  // designed bounds, whole text selected
    Load,  // empty, placed relative to the editor window
};

// The narrow parts a layer that needs little takes on their own: text
// drawing (the palette) and picture files (the mask processor).
class Platform : public TextPainter, public PictureFiles {
public:
    virtual ~Platform() = default;

    // Status bar and window frame.
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual WindowBounds GetWindowBounds() = 0;
    virtual void SetWindowBounds(const WindowBounds& bounds) = 0;
    virtual WindowState GetWindowState() = 0;
    virtual void SetWindowState(WindowState state) = 0;
    // Closes the editor window, which ends the program.
    virtual void CloseMainWindow() = 0;
    // Sizing-border width and height of the window frame.
    virtual int FrameWidth() = 0;
    virtual int FrameHeight() = 0;

    // Message boxes.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
    // The one question at exit, asked only when work would be lost.
    enum class ExitChoice { SaveSourceFile, CloseAnyway, Cancel };
    virtual ExitChoice AskBeforeExit(const std::string& text) = 0;
    // Returns the typed text, or the initial text on Cancel.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& initial) = 0;
    // Returns the typed text, or nothing on Cancel.
    virtual std::optional<std::string> InputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& initial) = 0;

    // File dialogs: a full path, or nothing when cancelled. The save dialog
    // asks before overwriting an existing file.
    virtual std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> OpenPictureDialog() = 0;
    // The folder the file dialogs open in: the folder of the file last chosen
    // in any of them, kept across runs in the settings.
    virtual std::string DialogFolder() = 0;
    virtual void SetDialogFolder(const std::string& folder) = 0;

    // The Gfx Data window, modal: shows text and returns what it holds when
    // closed; the title names the source syntax of a saved text.
    virtual std::string ShowTextWindow(const std::string& text, TextWindowPurpose purpose,
                                       const std::string& title) = 0;

    // Per-user settings. ReadSettingInt throws when the value is missing or
    // not an integer; ReadSettingText reads a missing value as empty.
    virtual bool SettingExists(const std::string& name) = 0;
    virtual int32_t ReadSettingInt(const std::string& name) = 0;
    virtual std::string ReadSettingText(const std::string& name) = 0;
    virtual void WriteSettingInt(const std::string& name, int32_t value) = 0;
    virtual void WriteSettingText(const std::string& name, const std::string& value) = 0;

    // Files. ReadFile reads at most maxBytes from the start of the file;
    // WriteFile replaces the file whole or leaves it as it was.
    virtual bool FileExists(const std::string& path) = 0;
    virtual std::vector<uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) = 0;
    // Hands the file's bytes to `piece` in order, a bounded piece at a time,
    // so that a large file is never held whole; stops at maxBytes and then
    // returns false when the file goes on. What is not a regular file (a
    // pipe, a device, a folder) is refused before anything is read.
    virtual bool ReadFileInPieces(const std::string& path, std::size_t maxBytes,
                                  const std::function<void(std::string_view)>& piece) = 0;
    virtual void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
    // Creates an empty file at `path` when nothing is there, not even a link,
    // and answers whether it did: a name taken this way is this program's
    // alone. Throws when the file cannot be created for another reason.
    virtual bool CreateNewFile(const std::string& path) = 0;
    // A lock that other running programs see: while the returned object
    // lives, every other TryLock of the path gets nothing. The lock of a
    // program that ended, however it ended, is free again. The lock file
    // stays; nothing when the lock is held or cannot be had.
    class Lock {
    public:
        virtual ~Lock() = default;
    };
    virtual std::unique_ptr<Lock> TryLock(const std::string& path) = 0;
    virtual std::string ProgramPath() = 0;
    // The user's data folder for this program, created when missing; empty
    // when the system has none.
    virtual std::string DataFolder() = 0;

    // Where the view picture is written beside the clipboard copy.
    virtual std::string ExportPicturePath() = 0;

    // Pictures beyond the files (PictureFiles).
    // The type of picture the bytes (a file's first bytes) hold, judged by
    // their content ("bmp", "png", ...); empty when no picture reader takes them.
    virtual std::string PictureTypeOf(const std::vector<uint8_t>& head) = 0;
    virtual void CopyPictureToClipboard(const Picture& picture) = 0;

    // Help viewer.
    virtual void ShowHelpTopic(const std::string& helpFile, const std::string& topic) = 0;
    virtual void ShowHelpContext(const std::string& helpFile, int context) = 0;

    // Event loop and time.
    virtual void ProcessPendingEvents() = 0;
    // Milliseconds, wrapping at 2^32.
    virtual uint32_t TickCount() = 0;
    // The wall clock: seconds since 1970 (UTC).
    virtual int64_t UnixTime() {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    // Runs the Import Picture dialog on a picture: the user chooses how it is
    // converted while a preview shows the result. On OK the converted image
    // is in `result` (an image with planes of its own) and the answer is true.
    virtual bool ShowImportPicture(const Picture& picture, Image& result) = 0;

    // Opens the Mask Processor window modally.
    virtual void OpenMaskProcessor() = 0;
};

}  // namespace pixolat
