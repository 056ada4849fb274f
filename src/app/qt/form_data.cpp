#include "app/qt/form_data.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace pixolat {

QFont GfxDataFont() {
    const auto fixed = [](const QFont& font) { return QFontInfo(font).fixedPitch(); };
    QFont font("Lucida Console");
    if (QFontInfo(font).family().compare("Lucida Console", Qt::CaseInsensitive) == 0 && fixed(font))
        return font;
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (fixed(font)) return font;
    // Some platforms (the offscreen one among them) name no fixed font; any
    // installed fixed-pitch family will do.
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family)) continue;
        QFont candidate(family, font.pointSize());
        if (fixed(candidate)) return candidate;
    }
    return font;
}

TFormData::TFormData(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormData");
    setWindowTitle("Gfx Data");
    setModal(true);
    memoText = new QPlainTextEdit(this);
    memoText->setObjectName("memoText");
    memoText->setFont(GfxDataFont());
    // Long data lines scroll sideways rather than wrap.
    memoText->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoText->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memoText);
}

void TFormData::PrepareForSave(const QString& text) {
    setGeometry(268, 143, 411, 275);
    memoText->setPlainText(text);
    memoText->selectAll();
}

void TFormData::PrepareForLoad(const QRect& editor) {
    setGeometry(editor.left() + 40, editor.top() + 40, editor.width() - 80, editor.height() - 80);
    memoText->clear();
}

bool TFormData::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memoText && event->type() == QEvent::KeyPress &&
        memoTextKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TFormData::memoTextKeyPress(int key) {
    if (key != Qt::Key_Escape) return false;
    close();
    return true;
}

}  // namespace pixolat
