#include "app/qt/form_editor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <cstdlib>

#include "app/qt/tool_bar.h"
#include "app/qt/view_widgets.h"
#include "app/qt/virtual_key.h"
#include "document/escaped_text.h"
#include "edit/commands/help_commands.h"
#include "edit/commands/tool_commands.h"
#include "edit/image_files.h"
#include "edit/recovery.h"
#include "edit/start_editor.h"

namespace pixolat {

namespace {
// The last panel's width is its least; it takes the rest of the bar.
constexpr int kPanelWidths[kStatusPanels] = {80, 80, 80, 200};
constexpr Qt::Alignment kPanelAlignments[kStatusPanels] = {
    Qt::AlignRight | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter,
    Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter};

// A status panel that shows a text too long for it cut with "…" at the end
// (the whole text is its tooltip), instead of cut off mid-word.
class ElidingPanel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        const QRect room =
            contentsRect().adjusted(margin() + 2, margin(), -margin() - 2, -margin());
        painter.drawText(room, int(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

}  // namespace

TFormEditor::TFormEditor(QtPlatform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform) {
    setObjectName("TFormEditor");
    BuildStatusBar();
    // The default bounds come first: the stored ones, read at start-up, replace them.
    setGeometry(240, 100, 780, 580);
    platform_.Attach(this);
    editor_ = std::make_unique<Editor>(platform_);
    setWindowTitle(QString::fromStdString(editor_->caption()));
    BuildViewArea();
    BuildMenus();
    BuildToolBar();
    setAcceptDrops(true);
    // A session that ends may never close the window: keep the images then too.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this] { Run([this] { editor_->recovery().WriteNow(); }); });
    const std::string settingsNote = platform_.TakeSettingsNote();
    if (!settingsNote.empty()) editor_->ShowStatus(settingsNote);
    // Changed work goes on to the recovery file while the user works.
    auto* autosave = new QTimer(this);
    autosave->setObjectName("AutosaveTimer");
    connect(autosave, &QTimer::timeout, this, [this] {
        const std::string status = editor_->statusText(kStatusPanels - 1);
        editor_->recovery().Tick();
        const std::string& now = editor_->statusText(kStatusPanels - 1);
        if (now != status) SetPanelText(kStatusPanels - 1, QString::fromStdString(now));
    });
    autosave->start(kAutosaveTickMs);
    // Keys go to the window with the focus: when that is another one (the
    // help window, a dialog, another program), none held here comes up here.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        if (focused != windowHandle()) ReleaseHeldKeys();
    });
    MirrorCore();
}

TFormEditor::~TFormEditor() {
    platform_.Attach(nullptr);
}

// Changed images go to the recovery file; only when it cannot be written
// does the user get a question, and may keep the window.
void TFormEditor::closeEvent(QCloseEvent* event) {
    bool close = false;
    Run([&] { close = editor_->recovery().CloseQuery(); });
    if (!close) {
        event->ignore();
        return;
    }
    Run([this] { SaveSettings(*editor_); });
    platform_.SyncSettings();
    QMainWindow::closeEvent(event);
}

// F1 on a highlighted menu item asks for that item's help; on an open menu
// with nothing highlighted, for the menu's.
bool TFormEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        const QAction* active = menu->activeAction();
        const std::string name = (active ? active->objectName() : menu->objectName()).toStdString();
        Run([&] { ShowMenuItemHelp(*editor_, name); });
        return true;
    }
    // The wheel over the view scrolls it by the desktop's lines per notch
    // (blocks here): vertical by default, horizontal with Shift or a sideways wheel.
    if (watched == img && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        // With Ctrl the wheel zooms, keeping the pixel under the pointer there.
        if (wheel->modifiers().testFlag(Qt::ControlModifier)) {
            const int steps = wheel->angleDelta().y() / 120;
            const QPoint p = wheel->position().toPoint();
            if (steps != 0) Run([&] { ZoomAtPoint(*editor_, steps, p.x(), p.y()); });
            return true;
        }
        const bool sideways = wheel->modifiers().testFlag(Qt::ShiftModifier) ||
                              std::abs(wheel->angleDelta().x()) > std::abs(wheel->angleDelta().y());
        QScrollBar* bar = sideways ? xScroll : yScroll;
        const QPoint delta = wheel->angleDelta();
        const int steps = (sideways && delta.x() != 0 ? delta.x() : delta.y()) / 120;
        if (bar->isEnabled() && steps != 0)
            bar->setValue(bar->value() - steps * QApplication::wheelScrollLines());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormEditor::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    event->acceptProposedAction();
    // Imported once the drop is over: a message box opened inside the drop
    // would keep the application the files came from waiting.
    QMetaObject::invokeMethod(
        this, [this, paths] { Run([&] { AcceptDroppedFiles(*editor_, paths); }); },
        Qt::QueuedConnection);
}

void TFormEditor::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < kStatusPanels; ++i) {
        const bool last = i == kStatusPanels - 1;
        panels_[i] = last ? new ElidingPanel(bar) : new QLabel(bar);
        panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        if (last) {
            // As on the desktop this layout comes from, the last panel takes
            // the rest of the bar's width; it shrinks below 200 only with the window.
            panels_[i]->setMinimumWidth(40);
            panels_[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        } else {
            panels_[i]->setFixedWidth(kPanelWidths[i]);
        }
        panels_[i]->setAlignment(kPanelAlignments[i]);
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panels_[i], last ? 1 : 0);
    }
}

void TFormEditor::BuildToolBar() {
    toolBar_ = new ToolBar(this);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    static const char* const icons[kToolCount] = {"freehand",         "line",    "rectangle",
                                                  "filled_rectangle", "ellipse", "filled_ellipse",
                                                  "flood_fill",       "pick",    "brush"};
    for (int t = 0; t < kToolCount; ++t) {
        QAction* action = actions_.value(ToolMenuItem(Tool(t)));
        if (!action) continue;
        toolBar_->AddTool(action, icons[t]);
        const MenuItem& item = MenuItemNamed(editor_->menu(), ToolMenuItem(Tool(t)));
        const QString tip =
            QString("%1 (%2)").arg(ToolName(Tool(t)), QString::fromStdString(item.keyHint));
        action->setToolTip(tip);
        action->setStatusTip(tip);
    }
    // A photograph's way in, beside the tools.
    if (QAction* import = actions_.value("mnuFileImportPicture")) {
        toolBar_->AddTool(import, "import_picture");
        const MenuItem& item = MenuItemNamed(editor_->menu(), "mnuFileImportPicture");
        const QString tip =
            QString("Import Picture, converting its colors (%1)").arg(item.shortcut.c_str());
        import->setToolTip(tip);
        import->setStatusTip(tip);
    }
    toolBar_->onSwatchClicked = [this](int value) {
        Run([&] { ChooseValueSwatch(*editor_, value); });
    };
}

void TFormEditor::SetPanelText(int panel, const QString& text) {
    if (panel < 0 || panel >= kStatusPanels) return;
    panels_[panel]->setText(text);
    if (panel == kStatusPanels - 1) panels_[panel]->setToolTip(text);
}

void TFormEditor::BuildMenus() {
    QMenu* current = nullptr;
    QMap<QString, QMenu*> submenus;
    // A menu that opens takes the keys: the held ones are never heard coming up.
    const auto releaseKeysOn = [this](QMenu* menu) {
        connect(menu, &QMenu::aboutToShow, this, [this] { ReleaseHeldKeys(); });
    };
    for (const MenuItem& item : editor_->menu()) {
        const QString name = QString::fromStdString(item.name);
        if (item.kind == MenuItem::Kind::Menu) {
            current = menuBar()->addMenu(QString::fromStdString(item.caption));
            current->setObjectName(name);
            current->installEventFilter(this);
            releaseKeysOn(current);
            continue;
        }
        QMenu* into =
            item.parent.empty() ? current : submenus.value(QString::fromStdString(item.parent));
        if (!into) continue;
        if (item.submenu) {
            QMenu* submenu = into->addMenu(QString());
            submenu->setObjectName(name);
            submenu->installEventFilter(this);
            submenus.insert(name, submenu);
            submenu->menuAction()->setObjectName(name);
            actions_.insert(name, submenu->menuAction());
            continue;
        }
        QAction* action = item.kind == MenuItem::Kind::Separator ? into->addSeparator()
                                                                 : into->addAction(QString());
        action->setObjectName(name);
        if (item.kind == MenuItem::Kind::Command) {
            action->setCheckable(item.checkable);
            // "Ctrl+Y; Ctrl+Shift+Z": one action, several shortcuts.
            if (!item.shortcut.empty())
                action->setShortcuts(
                    QKeySequence::listFromString(QString::fromStdString(item.shortcut)));
            action->setStatusTip(QString::fromStdString(item.hint));
            const std::string command = item.name;
            connect(action, &QAction::triggered, this,
                    [this, command] { Run([&] { editor_->RunMenuCommand(command); }); });
        }
        actions_.insert(name, action);
    }
}

void TFormEditor::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow())
        Run([this] { editor_->viewArea().FormActivate(); });
    else
        ReleaseHeldKeys();
}

void TFormEditor::ReleaseHeldKeys() {
    Run([this] { editor_->ReleaseHeldKeys(); });
}

// Every key goes to the core's key map; menu shortcuts never get here.
void TFormEditor::keyPressEvent(QKeyEvent* event) {
    const KeyPress press = KeyPressOf(*event);
    Run([&] { editor_->FormKeyDown(press.key, press.shift); });
}

// A held key repeats its presses but is released once, when it comes up.
void TFormEditor::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    const KeyPress press = KeyPressOf(*event);
    Run([&] { editor_->FormKeyUp(press.key, press.shift); });
}

MaskWindowLinks TFormEditor::MaskLinks() {
    return {[this](const std::string& path) { Run([&] { ImportMaskResult(*editor_, path); }); },
            editor_->ui().helpFile};
}

void TFormEditor::MirrorCore() {
    for (const MenuItem& item : editor_->menu()) {
        QAction* action = actions_.value(QString::fromStdString(item.name));
        if (!action) continue;
        if (item.kind == MenuItem::Kind::Command)
            action->setText(QString::fromStdString(item.DisplayCaption()));
        if (item.submenu) action->menu()->setEnabled(item.enabled);
        action->setChecked(item.checked);
        action->setVisible(item.visible);
        action->setEnabled(item.enabled);
    }
    for (int i = 0; i < kStatusPanels; ++i)
        SetPanelText(i, QString::fromStdString(EscapeControls(editor_->statusText(i))));
    setWindowTitle(QString::fromStdString(EscapeControls(editor_->caption())));
    if (toolBar_) toolBar_->MirrorSwatches(*editor_);
    MirrorView();
}

}  // namespace pixolat
