#include "app/qt/view_widgets.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace pixolat {

namespace {

MouseButton ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MouseButton::Left;
        case Qt::RightButton:
            return MouseButton::Right;
        default:
            return MouseButton::Middle;
    }
}

}  // namespace

ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    ShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= kShift;
    if (modifiers & Qt::AltModifier) shift |= kAlt;
    if (modifiers & Qt::ControlModifier) shift |= kCtrl;
    if (buttons & Qt::LeftButton) shift |= kLeftButton;
    if (buttons & Qt::RightButton) shift |= kRightButton;
    if (buttons & Qt::MiddleButton) shift |= kMiddleButton;
    return shift;
}

BufferWidget::BufferWidget(const RgbBuffer& buffer, const QString& name, QWidget* parent)
    : QWidget(parent), buffer_(buffer) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void BufferWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // On a scaled screen whole pixels are repeated, never blended.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int w = buffer_.width;
    const int h = buffer_.height;
    if (w > 0 && h > 0) {
        // The buffer's pixels are the desktop's 32-bit RGB already: wrap, don't convert.
        const QImage image(reinterpret_cast<const uchar*>(buffer_.pixels.data()), w, h,
                           qsizetype(w) * 4, QImage::Format_RGB32);
        painter.drawImage(0, 0, image);
    }
    if (width() > w) painter.fillRect(w, 0, width() - w, height(), palette().window());
    if (height() > h)
        painter.fillRect(0, h, std::min(w, width()), height() - h, palette().window());
}

void BufferWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (onMouseDown)
        onMouseDown(ButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()),
                    p.x(), p.y());
}

void BufferWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (onMouseMove) onMouseMove(ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
}

void BufferWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (onMouseUp)
        onMouseUp(ButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()),
                  p.x(), p.y());
}

SplitterWidget::SplitterWidget(Qt::Orientation orientation, const QString& name, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    setObjectName(name);
    setCursor(orientation == Qt::Horizontal ? Qt::SplitVCursor : Qt::SplitHCursor);
}

int SplitterWidget::PositionFor(QMouseEvent* event) const {
    const QPoint p = mapToParent(event->position().toPoint());
    const int pos = orientation_ == Qt::Horizontal ? p.y() : p.x();
    const int limit = orientation_ == Qt::Horizontal ? parentWidget()->height() - height()
                                                     : parentWidget()->width() - width();
    return std::clamp(pos - grabOffset_, 0, std::max(limit, 0));
}

void SplitterWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    grabOffset_ = orientation_ == Qt::Horizontal ? p.y() : p.x();
    dragging_ = true;
}

void SplitterWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    if (orientation_ == Qt::Horizontal)
        move(x(), PositionFor(event));
    else
        move(PositionFor(event), y());
}

void SplitterWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    if (onMoved) onMoved(PositionFor(event));
}

ClientArea::ClientArea(QWidget* parent) : QWidget(parent) {
    setObjectName("ClientArea");
    setFocusPolicy(Qt::StrongFocus);
}

void ClientArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) onResize();
}

}  // namespace pixolat
