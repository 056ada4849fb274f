#include "app/qt/tool_bar.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QToolButton>

#include "document/text.h"
#include "edit/editor.h"
#include "edit/tools.h"

namespace pixolat {

namespace {

constexpr int kSwatchSize = 22;

QIcon SwatchIcon(QColor color, int value, bool current) {
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // The current value's frame is thick and dark; the others have a thin one.
    painter.fillRect(0, 0, kSwatchSize, kSwatchSize, current ? Qt::black : Qt::gray);
    const int inset = current ? 3 : 1;
    painter.fillRect(inset, inset, kSwatchSize - 2 * inset, kSwatchSize - 2 * inset,
                     current ? Qt::white : color);
    if (current) painter.fillRect(5, 5, kSwatchSize - 10, kSwatchSize - 10, color);
    // The value's digit, in black or white against its color, bold when current.
    QFont font = painter.font();
    font.setPixelSize(current ? 12 : 10);
    font.setBold(current);
    painter.setFont(font);
    painter.setPen(color.lightness() > 128 ? Qt::black : Qt::white);
    painter.drawText(QRect(0, 0, kSwatchSize, kSwatchSize), Qt::AlignCenter,
                     QString::number(value));
    return QIcon(pixmap);
}

}  // namespace

QIcon ToolIcon(const QString& name) {
    QSvgRenderer renderer(":/icons/" + name + ".svg");
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

ToolBar::ToolBar(QWidget* parent) : QToolBar("Tools", parent) {
    setObjectName("ToolBar1");
    setMovable(false);
    setFloatable(false);
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(24, 24));
    swatchesStart_ = addSeparator();
    for (int v = 0; v < 4; ++v) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("ValueSwatch%1").arg(v));
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(kSwatchSize, kSwatchSize));
        // The current value's button is also shown pressed.
        button->setCheckable(true);
        connect(button, &QToolButton::clicked, this, [this, v] {
            if (onSwatchClicked) onSwatchClicked(v);
        });
        addWidget(button);
        swatches_[std::size_t(v)] = button;
    }
}

void ToolBar::AddTool(QAction* action, const QString& iconName) {
    action->setIcon(ToolIcon(iconName));
    insertAction(swatchesStart_, action);
    if (QWidget* button = widgetForAction(action)) button->setFocusPolicy(Qt::NoFocus);
}

void ToolBar::MirrorSwatches(const Editor& editor) {
    const auto codes = ValueSwatchColors(editor);
    const EditorState& s = editor.state();
    const bool multi = editor.currentImage().desc.pixelWidth == 2;
    for (int v = 0; v < 4; ++v) {
        const ColorCode code = codes[std::size_t(v)];
        const RgbColor rgb = s.rgbTable[std::size_t(code & 0xFF)];
        const QColor color(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
        QToolButton* button = swatches_[std::size_t(v)];
        const bool current = s.currentPixelValue == v;
        button->setIcon(SwatchIcon(color, v, current));
        button->setChecked(current);
        const QString tip =
            QString("Value %1: $%2%3%4")
                .arg(v)
                .arg(QString::fromStdString(HexByte(code & 0xFF)))
                .arg(multi || v < 2 ? "" : " (hires: as value " + QString::number(v % 2) + ")")
                .arg(current ? ", drawing with it" : "");
        button->setToolTip(tip);
        button->setStatusTip(tip);
    }
}

}  // namespace pixolat
