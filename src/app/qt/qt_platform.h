#pragma once
// The platform services on Qt: dialogs, settings, files, pictures, text,
// help and the event loop. Window-bound services go to the attached window.
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSettings>
#include <functional>
#include <memory>

#include "app/qt/help_viewer.h"
#include "edit/editor_platform.h"
#include "platform/file_locks.h"

class QWidget;
class QMainWindow;
class QSettings;

namespace pixolat {

// The part of the editor window the platform talks to.
class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    virtual QMainWindow* window() = 0;
    virtual void SetPanelText(int panel, const QString& text) = 0;
};

class QtPlatform : public EditorPlatform {
public:
    QtPlatform();
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;
    void Attach(PlatformWindow* window) { window_ = window; }

    void SetStatusText(int panel, const std::string& text) override;
    void SetCaption(const std::string& text) override;
    WindowBounds GetWindowBounds() override;
    void SetWindowBounds(const WindowBounds& bounds) override;
    WindowState GetWindowState() override;
    void SetWindowState(WindowState state) override;
    void CloseMainWindow() override;
    int FrameWidth() override { return 4; }
    int FrameHeight() override { return 4; }

    void ShowMessage(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    ExitChoice AskBeforeExit(const std::string& text) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> OpenPictureDialog() override;
    std::string DialogFolder() override { return dialogFolder_; }
    void SetDialogFolder(const std::string& folder) override { dialogFolder_ = folder; }
    std::string ShowTextWindow(const std::string& text, TextWindowPurpose purpose,
                               const std::string& title) override;

    bool SettingExists(const std::string& name) override;
    int32_t ReadSettingInt(const std::string& name) override;
    std::string ReadSettingText(const std::string& name) override;
    void WriteSettingInt(const std::string& name, int32_t value) override;
    void WriteSettingText(const std::string& name, const std::string& value) override;

    bool FileExists(const std::string& path) override;
    std::vector<uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) override;
    bool ReadFileInPieces(const std::string& path, std::size_t maxBytes,
                          const std::function<void(std::string_view)>& piece) override;
    void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
    bool CreateNewFile(const std::string& path) override { return CreateNewFileAt(path); }
    std::unique_ptr<Lock> TryLock(const std::string& path) override { return TryLockAt(path); }
    std::string ProgramPath() override;
    std::string DataFolder() override;
    std::string ExportPicturePath() override;
    std::string PictureTypeOf(const std::vector<uint8_t>& head) override;

    Picture LoadPicture(const std::string& path) override;
    Picture LoadPictureCorner(const std::string& path, int maxWidth, int maxHeight) override;
    void SavePictureAsBitmap(const std::string& path, const Picture& picture) override;
    void SavePicture(const std::string& path, const Picture& picture) override;
    void CopyPictureToClipboard(const Picture& picture) override;

    int TextWidth(const std::string& text) override;
    void DrawText(PixelTarget target, int x, int y, const std::string& text,
                  uint32_t color) override;

    void ShowHelpTopic(const std::string& helpFile, const std::string& topic) override;
    void ShowHelpContext(const std::string& helpFile, int context) override;

    void ProcessPendingEvents() override;
    uint32_t TickCount() override;
    bool ShowImageProperties(ImagePropertiesDialog& dialog) override;
    bool ShowImportPicture(const Picture& picture, Image& result) override;
    void OpenMaskProcessor() override;

    // Opens the Mask Processor; set by the program so the platform need not
    // know the window.
    std::function<void(QWidget* parent)> openMaskProcessor;

    // The help window, once help was asked for; it stays open beside the editor.
    HelpViewer* helpViewer() const { return helpViewer_; }

    // The settings go to this file instead of the user's store (tests).
    void UseSettingsFile(const QString& path);
    // Writes the settings out now, not only when the program ends.
    void SyncSettings();
    // What the user is told once about a settings store that could not be
    // read and was set aside; empty when it was good.
    std::string TakeSettingsNote();

private:
    QWidget* parentWidget();
    HelpViewer& EnsureHelpViewer();
    QSettings& Settings();
    void OpenSettings(const QString& file, QSettings::Format format,
                      const std::function<std::unique_ptr<QSettings>()>& open);
    PlatformWindow* window_ = nullptr;
    QElapsedTimer clock_;
    QPointer<HelpViewer> helpViewer_;
    std::unique_ptr<QSettings> settings_;
    std::string dialogFolder_;
    std::string settingsNote_;
};

// Window bounds as stored, made safe for the screens there are now: kept when
// the window's top edge lies on one of them (so its title bar can be grabbed),
// else moved to the default place on the first screen; a size larger than
// that screen shrinks to it, and a size below the smallest usable window grows
// to it.
QRect BoundsOnScreens(const QRect& stored, const QList<QRect>& screens, const QPoint& defaultPlace);

// "Text|*.a;*.b|All|*.*" as a Qt name filter "Text (*.a *.b);;All (*)".
QString QtNameFilter(const std::string& filter);

}  // namespace pixolat
