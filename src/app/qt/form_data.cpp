#include "app/qt/form_data.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace pixolat {

QFont GfxDataFont() {
    QFont font("Lucida Console");
    font.setStyleHint(QFont::TypeWriter);
    const QFontInfo info(font);
    if (info.family().compare("Lucida Console", Qt::CaseInsensitive) == 0 && info.fixedPitch())
        return font;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
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
