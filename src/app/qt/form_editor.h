#pragma once
// TFormEditor, the editor window: form_editor.cpp, its view area in form_editor_view.cpp.
// It translates Qt events into calls on the
// editor core and mirrors the core's state (texts, menu) into its widgets.
#include <QMainWindow>
#include <QMap>
#include <memory>

#include "app/qt/form_mask.h"
#include "app/qt/qt_platform.h"
#include "edit/editor.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QScrollBar;

namespace pixolat {

class BufferWidget;
class ClientArea;
class SplitterWidget;
class ToolBar;

class TFormEditor : public QMainWindow, public PlatformWindow {
    Q_OBJECT
public:
    explicit TFormEditor(QtPlatform& platform, QWidget* parent = nullptr);
    ~TFormEditor() override;

    Editor& editor() { return *editor_; }
    QAction* action(const QString& name) const { return actions_.value(name); }
    QLabel* statusPanel(int panel) const { return panels_[panel]; }
    ToolBar* toolBar() const { return toolBar_; }

    QMainWindow* window() override { return this; }
    void SetPanelText(int panel, const QString& text) override;

    // Runs a handler on the core through its dispatch point, then brings the
    // widgets up to date.
    template <class Handler>
    void Run(Handler&& handler) {
        ++running_;
        editor_->Dispatch(std::forward<Handler>(handler));
        --running_;
        MirrorCore();
    }
    // Whether a handler is under way (a dialog of a command may be up).
    bool Busy() const { return running_ > 0; }
    void MirrorCore();

    // The Mask Processor's way into this editor: its result imported into
    // the current image, and the help file.
    MaskWindowLinks MaskLinks();

protected:
    // Files dropped on the window go to the core, which picks the one to import.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Closing keeps the images in the recovery file and writes the settings.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // How often the recovery file's autosave looks for changed work.
    static constexpr int kAutosaveTickMs = 200;
    int running_ = 0;
    void ReleaseHeldKeys();
    void BuildMenus();
    void BuildStatusBar();
    void BuildToolBar();
    void BuildViewArea();
    void MirrorView();
    void ClientResized();

    QtPlatform& platform_;
    std::unique_ptr<Editor> editor_;
    QMap<QString, QAction*> actions_;
    QLabel* panels_[kStatusPanels] = {};
    ToolBar* toolBar_ = nullptr;

    ClientArea* client_ = nullptr;
    // The view area's controls, named as their object names.
    QWidget* ScrollBox1 = nullptr;
    BufferWidget* img = nullptr;
    QScrollBar* xScroll = nullptr;
    QScrollBar* yScroll = nullptr;
    SplitterWidget* SplitterColorPalette = nullptr;
    QWidget* PanelColorPalette = nullptr;
    BufferWidget* imgColorPalette = nullptr;
    SplitterWidget* SplitterPreview = nullptr;
    QWidget* PanelPreview = nullptr;
    BufferWidget* imgPreview = nullptr;
};

}  // namespace pixolat
