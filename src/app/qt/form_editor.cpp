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
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QUrl>

#include "app/qt/view_widgets.h"
#include "edit/source_files.h"

namespace pixolat {

namespace {
constexpr int kPanelWidths[kStatusPanels] = {80, 80, 80, 200};
constexpr Qt::Alignment kPanelAlignments[kStatusPanels] = {
    Qt::AlignRight | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter,
    Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter};
}  // namespace

TFormEditor::TFormEditor(QtPlatform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform) {
    setObjectName("TFormEditor");
    BuildStatusBar();
    platform_.Attach(this);
    editor_ = std::make_unique<Editor>(platform_);
    setWindowTitle(QString::fromStdString(editor_->caption()));
    setGeometry(240, 100, 780, 580);
    BuildViewArea();
    BuildMenus();
    setAcceptDrops(true);
    // A session that ends may never close the window: keep the images then too.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this] { Run([this] { WriteRecoveryFile(*editor_); }); });
    MirrorCore();
}

TFormEditor::~TFormEditor() {
    platform_.Attach(nullptr);
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
        this, [this, paths] { Run([&] { editor_->AcceptDroppedFiles(paths); }); },
        Qt::QueuedConnection);
}

void TFormEditor::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < kStatusPanels; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        panels_[i]->setFixedWidth(kPanelWidths[i]);
        panels_[i]->setAlignment(kPanelAlignments[i]);
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panels_[i]);
    }
}

void TFormEditor::SetPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < kStatusPanels) panels_[panel]->setText(text);
}

void TFormEditor::BuildMenus() {
    QMenu* current = nullptr;
    for (const MenuItem& item : editor_->menu()) {
        const QString name = QString::fromStdString(item.name);
        if (item.kind == MenuItem::Kind::Menu) {
            current = menuBar()->addMenu(QString::fromStdString(item.caption));
            current->setObjectName(name);
            continue;
        }
        if (!current) continue;
        QAction* action = item.kind == MenuItem::Kind::Separator ? current->addSeparator()
                                                                 : current->addAction(QString());
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

// Nothing asks a question: the images go to the recovery file.
void TFormEditor::closeEvent(QCloseEvent* event) {
    Run([this] { WriteRecoveryFile(*editor_); });
    QMainWindow::closeEvent(event);
}

void TFormEditor::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Run([this] { editor_->FormActivate(); });
}

// The single keys of the commands built so far, until the keyboard map takes them over.
void TFormEditor::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return QMainWindow::keyPressEvent(event);
    const char* command = nullptr;
    switch (event->key()) {
        case Qt::Key_G:
            command = "mnuViewToggleGrid";
            break;
        case Qt::Key_Z:
            command = "mnuViewZoomToggle";
            break;
        case Qt::Key_Plus:
            command = "mnuViewZoomIn";
            break;
        case Qt::Key_Minus:
            command = "mnuViewZoomOut";
            break;
        case Qt::Key_L:
            command = "mnuFileLoad";
            break;
        case Qt::Key_S:
            command = "mnuFileSave";
            break;
        case Qt::Key_X:
            Run([this] { editor_->platform().OpenMaskProcessor(); });
            return;
        default:
            return QMainWindow::keyPressEvent(event);
    }
    Run([this, command] { editor_->RunMenuCommand(command); });
}

void TFormEditor::MirrorCore() {
    for (const MenuItem& item : editor_->menu()) {
        QAction* action = actions_.value(QString::fromStdString(item.name));
        if (!action) continue;
        if (item.kind == MenuItem::Kind::Command)
            action->setText(QString::fromStdString(item.DisplayCaption()));
        action->setChecked(item.checked);
        action->setVisible(item.visible);
        action->setEnabled(item.enabled);
    }
    for (int i = 0; i < kStatusPanels; ++i)
        panels_[i]->setText(QString::fromStdString(editor_->statusText(i)));
    setWindowTitle(QString::fromStdString(editor_->caption()));
    MirrorView();
}

}  // namespace pixolat
