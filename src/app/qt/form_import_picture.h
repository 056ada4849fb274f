#pragma once
// TFormImportPicture, the Import Picture dialog: how a true-color picture is
// converted (mode, dithering, fitting, adjustments), with the picture and
// its conversion side by side. Previews are converted in worker threads, so
// the window never waits for them; the newest options always win. One worker
// shows every change without dithering at once; the other follows with the
// dithered picture, which takes several times as long.
#include <QDialog>
#include <QImage>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "conversion/picture_conversion.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSettings;
class QSlider;

namespace pixolat {

class TFormImportPicture : public QDialog {
    Q_OBJECT
public:
    // The conversion the workers run (ConvertScaled unless a test counts or
    // fails them).
    using Conversion = std::function<bool(const LinearPicture&, const ConversionOptions&,
                                          ConvertedImage&, const Abandoned&)>;

    // The controls start as the settings left them at the last OK (when
    // given), and OK saves them there.
    TFormImportPicture(const Picture& picture, QSettings* settings = nullptr,
                       QWidget* parent = nullptr, Conversion conversion = {});
    ~TFormImportPicture() override;

    // The options the controls show.
    ConversionOptions Options() const;
    // The picture converted with the shown options into result (on OK): the
    // workers' result for them, waited for if it is still under way, and
    // converted here only when the workers failed.
    void Convert(Image& result);
    // How many previews have been shown, and how many of them show the
    // options in full (dithered too), for tests that wait for one.
    int previewsShown() const { return previewsShown_; }
    int finalPreviewsShown() const { return finalPreviewsShown_; }

    QComboBox* cboMode = nullptr;
    QComboBox* cboDither = nullptr;
    QComboBox* cboFit = nullptr;
    QSlider* sldStrength = nullptr;
    QSlider* sldBrightness = nullptr;
    QSlider* sldContrast = nullptr;
    QSlider* sldSaturation = nullptr;
    QDoubleSpinBox* spnGamma = nullptr;
    QLabel* imgBefore = nullptr;
    QLabel* imgAfter = nullptr;

private:
    // Shows the previews the workers have left in ready_ (on the window's thread).
    Q_INVOKABLE void ShowReadyPreviews();
    void BuildControls();
    void LoadSettings();
    void SaveSettings();
    // Hands the shown options to the worker.
    void RequestPreview();
    // before may be null (kept as shown); a final preview is not replaced by
    // a quick one of the same options.
    void ShowPreview(uint64_t generation, const QImage& before, const QImage& after, bool final);
    // A worker's failure, shown in place of its preview.
    void ShowFailure(uint64_t generation, const QString& text);
    // The quick worker converts without dithering; the other, dithered.
    void Work(bool dithered);
    // The picture scaled for the options' fitting: made by whichever worker
    // asks first, the slow step of a large picture, and shared.
    std::shared_ptr<const LinearPicture> ScaledFor(const ConversionOptions& options);

    const Picture& picture_;
    QSettings* settings_ = nullptr;
    Conversion conversion_;
    int previewsShown_ = 0, finalPreviewsShown_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<ConversionOptions> pending_, pendingDithered_;
    uint64_t generation_ = 0;
    uint64_t finalShown_ = 0;  // the generation of the last final preview
    bool stop_ = false;
    // The last result that shows the options in full, for OK, and the
    // generation it is of; the generation of the last failure.
    std::condition_variable finished_;
    ConvertedImage imported_;
    uint64_t importedFor_ = 0, failedFor_ = 0;
    struct ReadyPreview {
        uint64_t generation;
        QImage before, after;
        bool final;
    };
    std::vector<ReadyPreview> ready_;
    std::thread worker_, ditherWorker_;

    std::mutex scaleMutex_;
    std::shared_ptr<const LinearPicture> scaled_;
    Fitting scaledFor_ = Fitting::Fit;
};

}  // namespace pixolat
