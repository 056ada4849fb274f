#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "app/picture/picture_codec.h"
#include "app/qt/form_editor.h"
#include "app/qt/form_import_picture.h"
#include "edit/image_files.h"
#include "formats/prg_format.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

// Runs `inside` on the Import Picture dialog once it is open, then closes
// it with OK (accept) or Cancel, whatever `inside` found.
void OnDialog(std::function<void(TFormImportPicture&)> inside, bool accept) {
    QTimer::singleShot(0, [inside, accept] {
        auto* dialog = qobject_cast<TFormImportPicture*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        inside(*dialog);
        accept ? dialog->accept() : dialog->reject();
    });
}

// Waits for a preview after the one counted in `shown`; false when none comes.
bool NextPreview(const TFormImportPicture& dialog, int shown) {
    return QTest::qWaitFor([&] { return dialog.previewsShown() > shown; }, 30000);
}

// A photograph of the screen's size, as the benchmark converts it.
Picture Photograph() {
    return ReadPictureFile(PIXOLAT_SOURCE_DIR "/bench/pictures/chelsea.png", 640, 1024);
}

std::vector<uint8_t> Converted(const Picture& picture, const ConversionOptions& options) {
    auto converted = std::make_unique<ConvertedImage>();
    ConvertPicture(picture, options, *converted);
    return EncodePrg(converted->image());
}

}  // namespace

class ImportPictureTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void importIsOneUndoStepAndTheOptionsAreKeptForNextTime() {
        QTemporaryDir dir;
        QImage picture(400, 260, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x * 255 / 399, y * 255 / 259, (x ^ y) & 0xFF));
        const QString path = dir.filePath("photo.png");
        QVERIFY(picture.save(path, "PNG"));

        QtPlatform platform;
        TFormEditor form(platform);
        Editor& editor = form.editor();
        const std::vector<uint8_t> before = EncodePrg(editor.currentImage());
        const std::size_t steps = editor.undo().history().undoSteps();

        bool opened = false, diffusionFirst = false, allShown = true;
        std::vector<qint64> latencies, finalLatencies;
        OnDialog(
            [&](TFormImportPicture& dialog) {
                opened = true;
                diffusionFirst = dialog.cboDither->currentIndex() == int(Dithering::Diffusion);
                allShown = NextPreview(dialog, 0);
                // Each change shows its own preview; the time until it is shown.
                // The full (dithered) preview follows; the time until it is shown too.
                for (int i = 1; i <= 7 && allShown; ++i) {
                    const int shown = dialog.previewsShown();
                    const int finals = dialog.finalPreviewsShown();
                    QElapsedTimer timer;
                    timer.start();
                    if (i % 2 == 1)
                        dialog.sldBrightness->setValue(i * 4);
                    else
                        dialog.cboDither->setCurrentIndex((i / 2 - 1) % 3);
                    allShown = NextPreview(dialog, shown);
                    latencies.push_back(timer.elapsed());
                    allShown = allShown &&
                               QTest::qWaitFor([&] { return dialog.finalPreviewsShown() > finals; },
                                               30000);
                    finalLatencies.push_back(timer.elapsed());
                }
                const int shown = dialog.previewsShown();
                dialog.cboMode->setCurrentIndex(1);  // Multicolor
                dialog.cboDither->setCurrentIndex(int(Dithering::Ordered));
                allShown = allShown && NextPreview(dialog, shown);
            },
            true);
        editor.Dispatch([&] { ImportConvertedPicture(editor, path.toStdString()); });
        QVERIFY(opened);
        QVERIFY(diffusionFirst);
        QVERIFY(allShown);
        std::sort(latencies.begin(), latencies.end());
        std::sort(finalLatencies.begin(), finalLatencies.end());
        qInfo(
            "Import Picture preview shown %lld ms (median of %d) after an option change; "
            "in full %lld ms (median), %lld ms (slowest)",
            latencies[latencies.size() / 2], int(latencies.size()),
            finalLatencies[finalLatencies.size() / 2], finalLatencies.back());

        const ImageDescriptor& desc = editor.currentImage().desc;
        QCOMPARE(desc.width, 320);
        QCOMPARE(desc.height, 200);
        QCOMPARE(desc.pixelWidth, 2);
        QCOMPARE(desc.colorMapKind, ColorMapKind::Normal);
        QVERIFY(EncodePrg(editor.currentImage()) != before);
        QCOMPARE(editor.undo().history().undoSteps(), steps + 1);
        editor.undo().Undo();
        QVERIFY(EncodePrg(editor.currentImage()) == before);

        // The dialog opens as it was left; Cancel changes nothing.
        int mode = -1, dithering = -1, brightness = -1;
        QStringList values;  // what the sliders show beside them
        OnDialog(
            [&](TFormImportPicture& dialog) {
                mode = dialog.cboMode->currentIndex();
                dithering = dialog.cboDither->currentIndex();
                brightness = dialog.sldBrightness->value();
                dialog.sldContrast->setValue(-5);
                for (const char* name : {"lblStrength", "lblBrightness", "lblContrast"})
                    values << dialog.findChild<QLabel*>(name)->text();
            },
            false);
        editor.Dispatch([&] { ImportConvertedPicture(editor, path.toStdString()); });
        QCOMPARE(mode, 1);
        QCOMPARE(dithering, int(Dithering::Ordered));
        QCOMPARE(brightness, 28);
        QCOMPARE(values, (QStringList{"100%", "+28", "-5"}));
        QVERIFY(EncodePrg(editor.currentImage()) == before);
    }

    void aFailingWorkerIsShownAndOkTakesTheWorkersResult() {
        const Picture picture = Photograph();
        std::atomic<bool> failing = true;
        std::atomic<int> conversions = 0;
        TFormImportPicture dialog(picture, nullptr, nullptr,
                                  [&](const LinearPicture& scaled, const ConversionOptions& options,
                                      ConvertedImage& result, const Abandoned& abandoned) {
                                      if (failing) throw std::bad_alloc();
                                      ++conversions;
                                      return ConvertScaled(scaled, options, result, abandoned);
                                  });
        dialog.show();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return dialog.imgAfter->text() == "There is not enough memory for this preview.";
            },
            30000));
        // The dialog goes on: the next change is converted and shown.
        failing = false;
        dialog.sldBrightness->setValue(10);
        QVERIFY(QTest::qWaitFor([&] { return dialog.finalPreviewsShown() > 0; }, 30000));

        // OK converts nothing more: the result is the final preview's, and
        // what converting the picture afresh gives.
        const int converted = conversions;
        ConvertedImage result;
        QElapsedTimer ok;
        ok.start();
        dialog.Convert(result.image());
        const qint64 okMs = ok.elapsed();
        QCOMPARE(int(conversions), converted);
        QElapsedTimer afresh;
        afresh.start();
        const std::vector<uint8_t> expected = Converted(picture, dialog.Options());
        qInfo(
            "Import Picture OK on a 320 x 200 photograph: %lld ms; converting it afresh, as "
            "OK did on the window thread: %lld ms",
            okMs, afresh.elapsed());
        QVERIFY(EncodePrg(result.image()) == expected);
    }

    void theBeforePictureShowsWhenTheFullPreviewCameFirst() {
        const Picture picture = Photograph();
        std::atomic<bool> fullShown = false;
        TFormImportPicture dialog(
            picture, nullptr, nullptr,
            [&](const LinearPicture& scaled, const ConversionOptions& options,
                ConvertedImage& result, const Abandoned& abandoned) {
                // The quick, undithered preview is held back until the full one is shown.
                if (options.dithering == Dithering::None)
                    for (int wait = 0; wait < 1000 && !fullShown; ++wait)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                return ConvertScaled(scaled, options, result, abandoned);
            });
        QCOMPARE(dialog.Options().dithering, Dithering::Diffusion);
        dialog.show();
        QVERIFY(QTest::qWaitFor([&] { return dialog.finalPreviewsShown() > 0; }, 30000));
        fullShown = true;
        QVERIFY(QTest::qWaitFor([&] { return !dialog.imgBefore->pixmap().isNull(); }, 10000));
        QCOMPARE(dialog.finalPreviewsShown(), dialog.previewsShown());
    }
};

PIXOLAT_GUI_TEST(ImportPictureTest);
#include "import_picture_test.moc"
