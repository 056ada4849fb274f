#include "app/qt/form_data.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/qt/form_editor.h"
#include "formats/source_text.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

// Runs `open`, which shows a Gfx Data window modally; once the window is up,
// `inside` works in it, and the window is closed with Esc like a user would.
void WithGfxDataWindow(const std::function<void()>& open,
                       const std::function<void(TFormData&)>& inside) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TFormData*>(QApplication::activeModalWidget());
        if (!form || !form->isVisible()) return;
        poll.stop();
        seen = true;
        inside(*form);
        QTest::keyClick(form->memoText, Qt::Key_Escape);
    });
    poll.start();
    open();
    QVERIFY(seen);
}

}  // namespace

class FormDataTest : public QObject {
    Q_OBJECT
  private slots:
    void saveWindowShowsTheWholeTextSelectedInAFixedFont() {
        TFormData form;
        form.PrepareForSave("Logo\t; 8*8 h\r\n\tDB $00,$01\r\n\r\n\tDB $53\r\n");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString("Gfx Data"));
        QCOMPARE(form.geometry(), QRect(268, 143, 411, 275));
        QCOMPARE(form.memoText->geometry(), form.rect());
        // Line ends show as line breaks, the empty line included.
        QCOMPARE(form.memoText->toPlainText(),
                 QString("Logo\t; 8*8 h\n\tDB $00,$01\n\n\tDB $53\n"));
        const QTextCursor cursor = form.memoText->textCursor();
        QCOMPARE(cursor.selectionStart(), 0);
        QCOMPARE(cursor.selectionEnd(), form.memoText->toPlainText().size());
        QVERIFY(QFontInfo(form.memoText->font()).fixedPitch());
        QCOMPARE(form.memoText->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(form.memoText->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(form.memoText->horizontalScrollBar()->isVisible());
        QCOMPARE(form.memoText->lineWrapMode(), QPlainTextEdit::NoWrap);

        QTest::keyClick(form.memoText, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    void loadWindowIsEmptyAndPlacedOnTheEditor() {
        TFormData form;
        form.PrepareForLoad(QRect(100, 50, 780, 580));
        QCOMPARE(form.geometry(), QRect(140, 90, 700, 500));
        QVERIFY(form.memoText->toPlainText().isEmpty());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Keys other than Esc edit the text.
        QTest::keyClicks(form.memoText, "DB $01");
        QCOMPARE(form.memoText->toPlainText(), QString("DB $01"));
        QVERIFY(form.isVisible());
    }

    void fileMenuHasLoadAndSave() {
        QtPlatform platform;
        TFormEditor editor(platform);
        QAction* load = editor.action("mnuFileLoad");
        QAction* save = editor.action("mnuFileSave");
        QAction* separator = editor.action("mnuFile1");
        QVERIFY(load && save && separator);
        QCOMPARE(load->text(), QString("&Load (as source)\tL"));
        QCOMPARE(save->text(), QString("&Save (as source)\tS"));
        QVERIFY(separator->isSeparator());
    }

    void saveShowsTheStoreAsText() {
        QtPlatform platform;
        TFormEditor editor(platform);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.editor().store().image(0).plane.at(0, 0) = 1;
        const QString expected =
            QString::fromStdString(SaveSourceText(editor.editor().store())).remove('\r');
        QString shown;
        QRect bounds;
        int selected = 0;
        WithGfxDataWindow([&] { editor.action("mnuFileSave")->trigger(); },
                          [&](TFormData& form) {
                              shown = form.memoText->toPlainText();
                              bounds = form.geometry();
                              selected = form.memoText->textCursor().selectedText().size();
                          });
        QCOMPARE(shown.left(29), QString("\t; 320*200 h\n\tDB $80,$00,$00,"));
        QCOMPARE(shown, expected);
        QCOMPARE(selected, expected.size());
        QCOMPARE(bounds, QRect(268, 143, 411, 275));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void loadReadsWhatWasPasted() {
        QtPlatform platform;
        TFormEditor editor(platform);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QRect editorBounds = editor.geometry();
        QRect bounds;
        bool empty = false;
        WithGfxDataWindow([&] { editor.action("mnuFileLoad")->trigger(); },
                          [&](TFormData& form) {
                              bounds = form.geometry();
                              empty = form.memoText->toPlainText().isEmpty();
                              form.memoText->insertPlainText("Pic; 16*8 h none\n\tDB $FF,$00\n");
                          });
        QVERIFY(empty);
        QCOMPARE(bounds, editorBounds.adjusted(40, 40, -40, -40));
        const Image& image = editor.editor().store().image(0);
        QCOMPARE(QString::fromStdString(image.desc.name), QString("Pic"));
        QCOMPARE(image.desc.width, 16);
        QCOMPARE(int(image.plane.at(7, 0)), 1);
        QCOMPARE(int(image.plane.at(7, 1)), 0);
        QCOMPARE(editor.statusPanel(3)->text(), QString("Loaded source text (1 image)."));
    }
};

PIXOLAT_GUI_TEST(FormDataTest);
#include "form_data_test.moc"
