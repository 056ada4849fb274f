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
    auto* bar = new ScrollBarWidget(orientation, parent);
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
    ScrollBox1 = NewPanel("ScrollBox1", client_);
    img = new BufferWidget(view.canvas, "img", ScrollBox1);
    img->installEventFilter(this);
    xScroll = NewScrollBar(Qt::Horizontal, "xScroll", ScrollBox1);
    yScroll = NewScrollBar(Qt::Vertical, "yScroll", ScrollBox1);
    SplitterColorPalette = new SplitterWidget(Qt::Horizontal, "SplitterColorPalette", client_);
    PanelColorPalette = NewPanel("PanelColorPalette", client_);
    imgColorPalette = new BufferWidget(view.palette, "imgColorPalette", PanelColorPalette);
    SplitterPreview = new SplitterWidget(Qt::Vertical, "SplitterPreview", PanelColorPalette);
    PanelPreview = NewPanel("PanelPreview", PanelColorPalette);
    imgPreview = new BufferWidget(view.preview, "imgPreview", PanelPreview);

    // Small enough for any screen, large enough that the view keeps one
    // block of the highest zoom beside its scroll bars (the palette area
    // gives way first).
    client_->setMinimumSize(kMinViewAreaWidth, kMinViewAreaHeight + kSplitterThickness);
    client_->onResize = [this] { ClientResized(); };
    connect(xScroll, &QScrollBar::valueChanged, this,
            [this](int v) { Run([&] { editor_->view().xScroll.SetPosition(v); }); });
    connect(yScroll, &QScrollBar::valueChanged, this,
            [this](int v) { Run([&] { editor_->view().yScroll.SetPosition(v); }); });
    SplitterColorPalette->onMoved = [this](int top) {
        Run([&] { editor_->viewArea().SplitterColorPaletteMoved(top); });
    };
    SplitterPreview->onMoved = [this](int left) {
        Run([&] { editor_->viewArea().SplitterPreviewMoved(left); });
    };
    img->onMouseDown = [this](MouseButton b, ShiftState s, int x, int y) {
        Run([&] { editor_->imgMouseDown(b, s, x, y); });
    };
    img->onMouseMove = [this](ShiftState s, int x, int y) {
        Run([&] { editor_->imgMouseMove(s, x, y); });
    };
    img->onMouseUp = [this](MouseButton b, ShiftState s, int x, int y) {
        Run([&] { editor_->imgMouseUp(b, s, x, y); });
    };
    imgColorPalette->onMouseDown = [this](MouseButton b, ShiftState s, int x, int y) {
        Run([&] { editor_->palette().imgColorPaletteMouseDown(b, s, x, y); });
    };
    imgColorPalette->onMouseMove = [this](ShiftState s, int x, int y) {
        Run([&] { editor_->palette().imgColorPaletteMouseMove(s, x, y); });
    };
    imgColorPalette->onMouseUp = [this](MouseButton b, ShiftState s, int x, int y) {
        Run([&] { editor_->palette().imgColorPaletteMouseUp(b, s, x, y); });
    };
    client_->setFocus();
}

void TFormEditor::ClientResized() {
    const int statusHeight = statusBar()->isVisible() ? statusBar()->height() : 0;
    Run([&] {
        editor_->viewArea().FormResize(client_->width(), client_->height() + statusHeight,
                                       statusHeight);
    });
}

void TFormEditor::MirrorView() {
    const View& view = editor_->view();
    const ViewControls& c = view.controls;
    Place(ScrollBox1, c.scrollBox);
    Place(img, c.img);
    Place(xScroll, c.xScroll);
    Place(yScroll, c.yScroll);
    Place(SplitterColorPalette, c.splitterColorPalette);
    Place(PanelColorPalette, c.panelColorPalette);
    Place(imgColorPalette, c.imgColorPalette);
    Place(SplitterPreview, c.splitterPreview);
    Place(PanelPreview, c.panelPreview);
    Place(imgPreview, c.imgPreview);
    SplitterColorPalette->setVisible(view.paletteVisible);
    PanelColorPalette->setVisible(view.paletteVisible);
    Mirror(xScroll, view.xScroll);
    Mirror(yScroll, view.yScroll);
    img->update();
    imgColorPalette->update();
    imgPreview->update();
}

}  // namespace pixolat
