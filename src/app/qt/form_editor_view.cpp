// TFormEditor's view area: the view with its scroll bars, the palette area
// with palette and preview, and the splitters. The core decides every
// control's place; the widgets follow it after each event.
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>

#include "app/qt/form_editor.h"
#include "app/qt/view_widgets.h"

namespace pixolat {

namespace {

QScrollBar* NewScrollBar(Qt::Orientation orientation, const QString& name, QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setSingleStep(1);
    bar->setPageStep(kScrollPageStep);
    return bar;
}

QWidget* NewPanel(const QString& name, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

void Place(QWidget* widget, const ControlRect& r) {
    widget->setGeometry(r.left, r.top, r.width, r.height);
}

void Mirror(QScrollBar* bar, const ScrollBar& model) {
    const QSignalBlocker blocker(bar);
    bar->setRange(model.min(), model.max());
    bar->setValue(model.position());
    bar->setEnabled(model.enabled());
}

}  // namespace

void TFormEditor::BuildViewArea() {
    View& view = editor_->view();
    client_ = new ClientArea(this);
    setCentralWidget(client_);
    scrollBox_ = NewPanel("ScrollBox1", client_);
    img_ = new BufferWidget(view.view, "img", scrollBox_);
    xScroll_ = NewScrollBar(Qt::Horizontal, "xScroll", scrollBox_);
    yScroll_ = NewScrollBar(Qt::Vertical, "yScroll", scrollBox_);
    splitterColorPalette_ = new SplitterWidget(Qt::Horizontal, "SplitterColorPalette", client_);
    panelColorPalette_ = NewPanel("PanelColorPalette", client_);
    imgColorPalette_ = new BufferWidget(view.palette, "imgColorPalette", panelColorPalette_);
    splitterPreview_ = new SplitterWidget(Qt::Vertical, "SplitterPreview", panelColorPalette_);
    panelPreview_ = NewPanel("PanelPreview", panelColorPalette_);
    imgPreview_ = new BufferWidget(view.preview, "imgPreview", panelPreview_);

    // Small enough for any screen, large enough that the view keeps one
    // block of the highest zoom beside its scroll bars (the palette area
    // gives way first).
    client_->setMinimumSize(kMinViewAreaWidth, kMinViewAreaHeight + kSplitterThickness);
    client_->onResize = [this] { ClientResized(); };
    connect(xScroll_, &QScrollBar::valueChanged, this,
            [this](int v) { Run([&] { editor_->view().xScroll.SetPosition(v); }); });
    connect(yScroll_, &QScrollBar::valueChanged, this,
            [this](int v) { Run([&] { editor_->view().yScroll.SetPosition(v); }); });
    splitterColorPalette_->onMoved = [this](int top) {
        Run([&] { editor_->SplitterColorPaletteMoved(top); });
    };
    splitterPreview_->onMoved = [this](int left) {
        Run([&] { editor_->SplitterPreviewMoved(left); });
    };
    imgColorPalette_->onMouseDown = [this](MouseButton b, ShiftState s, int x, int y) {
        Run([&] { editor_->imgColorPaletteMouseDown(b, s, x, y); });
    };
    imgColorPalette_->onMouseMove = [this](ShiftState s, int x, int y) {
        Run([&] { editor_->imgColorPaletteMouseMove(s, x, y); });
    };
    imgColorPalette_->onMouseUp = [this](MouseButton b, ShiftState s, int x, int y) {
        Run([&] { editor_->imgColorPaletteMouseUp(b, s, x, y); });
    };
    client_->setFocus();
}

void TFormEditor::ClientResized() {
    const int statusHeight = statusBar()->isVisible() ? statusBar()->height() : 0;
    Run([&] {
        editor_->FormResize(client_->width(), client_->height() + statusHeight, statusHeight);
    });
}

void TFormEditor::MirrorView() {
    const View& view = editor_->view();
    const ViewControls& c = view.controls;
    Place(scrollBox_, c.scrollBox);
    Place(img_, c.img);
    Place(xScroll_, c.xScroll);
    Place(yScroll_, c.yScroll);
    Place(splitterColorPalette_, c.splitterColorPalette);
    Place(panelColorPalette_, c.panelColorPalette);
    Place(imgColorPalette_, c.imgColorPalette);
    Place(splitterPreview_, c.splitterPreview);
    Place(panelPreview_, c.panelPreview);
    Place(imgPreview_, c.imgPreview);
    splitterColorPalette_->setVisible(view.paletteVisible);
    panelColorPalette_->setVisible(view.paletteVisible);
    Mirror(xScroll_, view.xScroll);
    Mirror(yScroll_, view.yScroll);
    img_->update();
    imgColorPalette_->update();
    imgPreview_->update();
}

}  // namespace pixolat
