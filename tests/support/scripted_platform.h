#pragma once
// A platform for tests: records what the editor shows and answers its
// dialogs from queues, so a test can say "the user types $52, then presses
// Cancel". Files are real (tests use temporary folders); settings live in a
// map; pictures are kept in a map by path.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "edit/editor_platform.h"
#include "platform/file_locks.h"

namespace pixolat::testing {

class ScriptedPlatform : public EditorPlatform {
public:
    // What was shown, in order.
    std::vector<std::string> messages;      // plain and information boxes
    std::vector<std::string> questions;     // yes/no questions
    std::vector<std::string> inputPrompts;  // caption + ": " + prompt + " [" + initial + "]"
    std::vector<std::string> textWindows;   // texts shown in the Gfx Data window
    std::string textWindowTitle;            // the last one's title
    std::vector<std::string> helpRequests;
    std::string statusTexts[4];
    std::string caption;
    int maskProcessorOpenings = 0;
    int pendingEventRuns = 0;
    bool closeRequested = false;
    std::vector<Picture> clipboard;

    // Answers, taken from the front; an empty queue answers No / Cancel.
    std::deque<bool> yesNoAnswers;
    std::deque<ExitChoice> exitAnswers;  // empty: Cancel
    std::vector<std::string> exitQuestions;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> fileDialogAnswers;
    std::deque<std::string> textWindowAnswers;  // what the user left in the window

    std::map<std::string, std::string> settings;  // every value as text
    bool settingsWritable = true;  // false: every write fails, as a read-only store does
    std::string dialogFolder;
    std::string exportPicturePath = "/home/user/export.bmp";
    std::map<std::string, Picture> pictures;  // pictures "on disk" by path
    std::map<std::string, Picture> savedBitmaps;
    uint32_t tickCount = 0;
    WindowBounds bounds{240, 100, 780, 580};
    WindowState windowState = WindowState::Normal;
    std::string programPath = "/opt/pixolat/pixolat";
    std::string dataFolder;  // none unless a test gives one
    int textCharWidth = 6;   // the width of one label character

    void SetStatusText(int panel, const std::string& text) override;
    void SetCaption(const std::string& text) override { caption = text; }
    WindowBounds GetWindowBounds() override { return bounds; }
    void SetWindowBounds(const WindowBounds& b) override { bounds = b; }
    WindowState GetWindowState() override { return windowState; }
    void SetWindowState(WindowState s) override { windowState = s; }
    void CloseMainWindow() override { closeRequested = true; }
    int FrameWidth() override { return 4; }
    int FrameHeight() override { return 4; }

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowInformation(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override;
    ExitChoice AskBeforeExit(const std::string& text) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> OpenPictureDialog() override;
    std::string DialogFolder() override { return dialogFolder; }
    void SetDialogFolder(const std::string& folder) override { dialogFolder = folder; }
    std::string ShowTextWindow(const std::string& text, TextWindowPurpose purpose,
                               const std::string& title) override;

    bool SettingExists(const std::string& name) override { return settings.count(name) > 0; }
    int32_t ReadSettingInt(const std::string& name) override;
    std::string ReadSettingText(const std::string& name) override;
    void WriteSettingInt(const std::string& name, int32_t value) override;
    void WriteSettingText(const std::string& name, const std::string& value) override;

    bool FileExists(const std::string& path) override;
    std::vector<uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) override;
    bool ReadFileInPieces(const std::string& path, std::size_t maxBytes,
                          const std::function<void(std::string_view)>& piece) override;
    // The largest piece ReadFileInPieces hands on: small in tests, so that
    // texts split across pieces are read everywhere.
    std::size_t pieceBytes = 4096;
    void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
    bool CreateNewFile(const std::string& path) override { return CreateNewFileAt(path); }
    std::unique_ptr<Lock> TryLock(const std::string& path) override { return TryLockAt(path); }
    std::string ProgramPath() override { return programPath; }
    std::string DataFolder() override { return dataFolder; }

    std::string ExportPicturePath() override { return exportPicturePath; }
    // Knows the BMP and PNG signatures.
    std::string PictureTypeOf(const std::vector<uint8_t>& head) override;
    Picture LoadPicture(const std::string& path) override;
    void SavePictureAsBitmap(const std::string& path, const Picture& picture) override;
    void CopyPictureToClipboard(const Picture& picture) override { clipboard.push_back(picture); }

    // Labels are drawn as filled boxes textCharWidth wide per character and 8 high.
    int TextWidth(const std::string& text) override;
    void DrawText(PixelTarget target, int x, int y, const std::string& text,
                  uint32_t color) override;

    void ShowHelpTopic(const std::string& helpFile, const std::string& topic) override;
    void ShowHelpContext(const std::string& helpFile, int context) override;

    void ProcessPendingEvents() override { ++pendingEventRuns; }
    uint32_t TickCount() override { return tickCount; }
    int64_t UnixTime() override { return unixTime; }
    int64_t unixTime = 1765000000;  // a fixed day, 2025-12-06
    void OpenMaskProcessor() override { ++maskProcessorOpenings; }

    // The user's work in the Image Properties dialog: gets the dialog after
    // its activation and returns whether it closed with OK. Without a
    // script the dialog is cancelled.
    std::function<bool(ImagePropertiesDialog&)> propertiesScript;
    int propertiesOpenings = 0;
    bool ShowImageProperties(ImagePropertiesDialog& dialog) override;

    // The user's work in the Import Picture dialog: gets the picture and the
    // result image and returns whether it closed with OK. Without a script
    // the dialog is cancelled.
    std::function<bool(const Picture&, Image&)> importPictureScript;
    int importPictureOpenings = 0;
    bool ShowImportPicture(const Picture& picture, Image& result) override {
        ++importPictureOpenings;
        return importPictureScript ? importPictureScript(picture, result) : false;
    }

    // The file dialogs' options, as last asked.
    FileDialogOptions lastDialogOptions;
};

}  // namespace pixolat::testing
