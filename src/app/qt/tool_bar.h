#pragma once
// The tool bar under the menu: the Tools menu's actions with their icons,
// and four swatches showing the colors values 0 to 3 show at the cursor's
// cell, the current value framed. A swatch click chooses its value.
#include <QToolBar>
#include <array>
#include <functional>

#include "document/editor_state.h"

class QAction;
class QToolButton;

namespace pixolat {

class Editor;

class ToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit ToolBar(QWidget* parent);

    // Puts a tool's action (the Tools menu item's) on the bar with its icon.
    void AddTool(QAction* action, const QString& iconName);
    // Mirrors the swatches' colors and the current value from the core.
    void MirrorSwatches(const Editor& editor);
    QToolButton* swatch(int value) const { return swatches_[std::size_t(value)]; }

    std::function<void(int value)> onSwatchClicked;

private:
    std::array<QToolButton*, 4> swatches_{};
    QAction* swatchesStart_ = nullptr;
};

// A tool's icon drawn from its SVG file at the sizes a tool bar asks for.
QIcon ToolIcon(const QString& name);

}  // namespace pixolat
