#pragma once
// The widgets of the editor's view area. They hold no state of their own:
// a buffer widget paints a picture of the core one to one, and the
// splitters and the client area report what the user did.
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QWidget>
#include <functional>

#include "platform/platform.h"
#include "render/rgb_buffer.h"

namespace pixolat {

// Modifier keys and mouse buttons of a Qt event as the core's set.
ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// Paints an RgbBuffer at 1:1 from its top-left corner, never scaled or
// smoothed, and passes mouse presses, moves and releases on.
class BufferWidget : public QWidget {
    Q_OBJECT
public:
    BufferWidget(const RgbBuffer& buffer, const QString& name, QWidget* parent);

    std::function<void(MouseButton, ShiftState, int x, int y)> onMouseDown;
    std::function<void(ShiftState, int x, int y)> onMouseMove;
    std::function<void(MouseButton, ShiftState, int x, int y)> onMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const RgbBuffer& buffer_;
};

// A splitter bar. While dragged it follows the pointer; when let go it
// reports where it stands (its top, or its left for a vertical bar) in its
// parent's coordinates, and the core decides where it finally rests.
class SplitterWidget : public QWidget {
    Q_OBJECT
public:
    SplitterWidget(Qt::Orientation orientation, const QString& name, QWidget* parent);

    std::function<void(int position)> onMoved;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int PositionFor(QMouseEvent* event) const;

    Qt::Orientation orientation_;
    int grabOffset_ = 0;
    bool dragging_ = false;
};

// A scroll bar whose thumb keeps its smallest length, as with a page size of
// 0. Sized by the page step of 32 columns, the thumb would fill most of the
// bar for a short range, and what is left of the groove would read as a
// thumb at the far end.
class ScrollBarWidget : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    void initStyleOption(QStyleOptionSlider* option) const override {
        QScrollBar::initStyleOption(option);
        option->pageStep = 0;
    }
};

// The client area below the menu bar; reports its size changes.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent);
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Tab and Shift+Tab are keys of the editor, not a walk between controls:
    // none of them takes the focus.
    bool focusNextPrevChild(bool) override { return false; }
};

}  // namespace pixolat
