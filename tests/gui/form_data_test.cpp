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
    void fileMenuHasLoadAndSave() {
        QtPlatform platform;
        TFormEditor window(platform);
        QAction* load = window.action("mnuFileLoad");
        QAction* save = window.action("mnuFileSave");
        QAction* separator = window.action("mnuFile1");
        QVERIFY(load && save && separator);
        QCOMPARE(load->text(), QString("&Load (as source)\tL"));
        QCOMPARE(save->text(), QString("&Save (as source)\tS"));
        QVERIFY(separator->isSeparator());
    }

    void saveShowsTheStoreAsText() {
        QtPlatform platform;
        TFormEditor window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.editor().store().image(0).plane.at(0, 0) = 1;
        const std::vector<uint8_t> bytes = SourceFileBytes(window.editor().store(), 0);
        const QString expected =
            QString::fromStdString(std::string(bytes.begin(), bytes.end())).remove('\r');
        WithGfxDataWindow(
            [&] { window.action("mnuFileSave")->trigger(); },
            [&](TFormData& form) {
                QCOMPARE(form.windowTitle(), QString("Gfx Data"));
                QCOMPARE(form.geometry(), QRect(268, 143, 411, 275));
                QCOMPARE(form.memoText->geometry(), form.rect());
                // CR LF line ends show as plain line breaks, empty lines included.
                const QString shown = form.memoText->toPlainText();
                QVERIFY(shown.startsWith("//@ current 0\n\t; 320*200 h\n//@ image 0 colors"));
                QCOMPARE(shown, expected);
                QCOMPARE(form.memoText->textCursor().selectedText().size(), expected.size());
                QVERIFY(QFontInfo(form.memoText->font()).fixedPitch());
                QCOMPARE(form.memoText->lineWrapMode(), QPlainTextEdit::NoWrap);
                QVERIFY(form.memoText->horizontalScrollBar()->isVisible());
                QVERIFY(form.memoText->verticalScrollBar()->isVisible());
            });
        // Esc closed the window and the command returned.
        QVERIFY(!QApplication::activeModalWidget());
    }

    // What the window shows, pasted back, gives the image its index, exact
    // name and colors again, in any syntax; the title names the syntax.
    void saveThenLoadKeepsNamesAndIndices() {
        for (const SourceSyntax syntax : {SourceSyntax::Db, SourceSyntax::Tass64}) {
            QtPlatform platform;
            TFormEditor window(platform);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.editor().ui().sourceSyntax = syntax;
            Image& image = window.editor().store().image(3);
            image.desc = {"my \"pic\" // a;b",  16,   8,   2, Layout::Bitmap,
                          ColorMapKind::Normal, 0x12, 0x34};
            image.plane.at(15, 7) = 1;
            QString shown;
            WithGfxDataWindow([&] { window.action("mnuFileSave")->trigger(); },
                              [&](TFormData& form) {
                                  QCOMPARE(form.windowTitle(),
                                           syntax == SourceSyntax::Db
                                               ? QString("Gfx Data")
                                               : QString("Gfx Data (64tass source)"));
                                  shown = form.memoText->toPlainText();
                              });
            QVERIFY(window.statusPanel(3)->text().startsWith("Saved 2 images as "));

            QtPlatform otherPlatform;
            TFormEditor other(otherPlatform);
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
            WithGfxDataWindow([&] { other.action("mnuFileLoad")->trigger(); },
                              [&](TFormData& form) { form.memoText->insertPlainText(shown); });
            const Image& back = other.editor().store().image(3);
            QCOMPARE(QString::fromStdString(back.desc.name), QString("my \"pic\" // a;b"));
            QCOMPARE(back.desc.color0, 0x12);
            QCOMPARE(back.desc.color3, 0x34);
            QCOMPARE(int(back.plane.at(15, 7)), 1);
            QCOMPARE(other.editor().state().currentImage, 0);
        }
    }

    void loadReadsWhatWasPasted() {
        QtPlatform platform;
        TFormEditor window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect editorBounds = window.geometry();
        WithGfxDataWindow([&] { window.action("mnuFileLoad")->trigger(); },
                          [&](TFormData& form) {
                              QCOMPARE(form.geometry(), editorBounds.adjusted(40, 40, -40, -40));
                              QVERIFY(form.memoText->toPlainText().isEmpty());
                              // Typed and pasted text alike; keys other than Esc edit.
                              QTest::keyClicks(form.memoText, "Pic; 16*8 h none");
                              form.memoText->insertPlainText("\n\tDB $FF,$00\n");
                          });
        const Image& image = window.editor().store().image(0);
        QCOMPARE(QString::fromStdString(image.desc.name), QString("Pic"));
        QCOMPARE(image.desc.width, 16);
        QCOMPARE(int(image.plane.at(7, 0)), 1);
        QCOMPARE(int(image.plane.at(7, 1)), 0);
        QCOMPARE(window.statusPanel(3)->text(), QString("Loaded source text (1 image)."));
    }
};

PIXOLAT_GUI_TEST(FormDataTest);
#include "form_data_test.moc"
