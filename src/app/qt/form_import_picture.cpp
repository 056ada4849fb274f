#include "app/qt/form_import_picture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSettings>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "document/colors.h"

namespace pixolat {

namespace {

// Previews are shown this much larger than the Plus/4's pixels.
constexpr int kPreviewZoom = 2;

// Linear light to an sRGB byte by a table fine enough near black, instead of
// a power per channel (a tenth of a preview's time).
int SrgbByte(float linear) {
    constexpr int kSteps = 16384;
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> t(kSteps + 1);
        for (int i = 0; i <= kSteps; ++i)
            t[std::size_t(i)] = uint8_t(SrgbFromLinear(float(i) / kSteps) * 255.0f + 0.5f);
        return t;
    }();
    const float v = std::clamp(linear, 0.0f, 1.0f);
    return table[std::size_t(v * kSteps + 0.5f)];
}

QImage PictureImage(const LinearPicture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            const LinearRgb& p = picture.at(x, y);
            line[x] = qRgb(SrgbByte(p.r), SrgbByte(p.g), SrgbByte(p.b));
        }
    }
    return image;
}

QImage ConvertedImageOf(const Image& image) {
    QImage shown(image.desc.width, image.desc.height, QImage::Format_RGB32);
    const int step = image.desc.pixelWidth == 2 ? 2 : 1;
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            const auto& t = ColorTriplet(ColorCodeAt(image, x - x % step, y));
            line[x] = qRgb(t[0], t[1], t[2]);
        }
    }
    return shown;
}

bool SameAdjustments(const Adjustments& a, const Adjustments& b) {
    return a.brightness == b.brightness && a.contrast == b.contrast &&
           a.saturation == b.saturation && a.gamma == b.gamma;
}

QSlider* Slider(int low, int high, int value) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(low, high);
    slider->setValue(value);
    return slider;
}

// The slider with its value beside it ("lbl" + name), following it.
QWidget* WithValue(QSlider* slider, const QString& name, const QString& suffix) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* value = new QLabel;
    value->setObjectName("lbl" + name);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance("-100%") + 4);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const auto show = [value, suffix](int v) {
        value->setText((suffix.isEmpty() && v > 0 ? "+" : "") + QString::number(v) + suffix);
    };
    show(slider->value());
    QObject::connect(slider, &QSlider::valueChanged, value, show);
    layout->addWidget(slider, 1);
    layout->addWidget(value);
    return row;
}

}  // namespace

TFormImportPicture::TFormImportPicture(const Picture& picture, QSettings* settings, QWidget* parent,
                                       Conversion conversion)
    : QDialog(parent),
      picture_(picture),
      settings_(settings),
      conversion_(conversion ? std::move(conversion) : Conversion(ConvertScaled)) {
    setObjectName("TFormImportPicture");
    setWindowTitle("Import Picture");
    BuildControls();
    LoadSettings();
    connect(this, &QDialog::accepted, this, [this] { SaveSettings(); });
    worker_ = std::thread([this] { Work(false); });
    ditherWorker_ = std::thread([this] { Work(true); });
    RequestPreview();
}

TFormImportPicture::~TFormImportPicture() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
    ditherWorker_.join();
}

void TFormImportPicture::BuildControls() {
    cboMode = new QComboBox;
    cboMode->setObjectName("cboMode");
    cboMode->addItems({"Hires", "Multicolor", "Hires DFLI", "Multicolor DFLI"});
    cboDither = new QComboBox;
    cboDither->setObjectName("cboDither");
    cboDither->addItems({"None", "Ordered", "Error diffusion"});
    cboDither->setCurrentIndex(int(Dithering::Diffusion));
    cboFit = new QComboBox;
    cboFit->setObjectName("cboFit");
    cboFit->addItems({"Fit", "Crop", "Stretch"});
    cboFit->setCurrentIndex(int(Fitting::Crop));
    sldStrength = Slider(0, 100, 100);
    sldBrightness = Slider(-100, 100, 0);
    sldContrast = Slider(-100, 100, 0);
    sldSaturation = Slider(-100, 100, 0);
    spnGamma = new QDoubleSpinBox;
    spnGamma->setRange(0.2, 5.0);
    spnGamma->setSingleStep(0.1);
    spnGamma->setValue(1.0);

    auto* form = new QFormLayout;
    form->addRow("Mode:", cboMode);
    form->addRow("Dithering:", cboDither);
    form->addRow("Strength:", WithValue(sldStrength, "Strength", "%"));
    form->addRow("Size:", cboFit);
    form->addRow("Brightness:", WithValue(sldBrightness, "Brightness", ""));
    form->addRow("Contrast:", WithValue(sldContrast, "Contrast", ""));
    form->addRow("Saturation:", WithValue(sldSaturation, "Saturation", ""));
    form->addRow("Gamma:", spnGamma);

    imgBefore = new QLabel;
    imgAfter = new QLabel;
    for (QLabel* label : {imgBefore, imgAfter}) {
        label->setFixedSize(320 * kPreviewZoom, 200 * kPreviewZoom);
        label->setAlignment(Qt::AlignCenter);
    }
    auto* previews = new QHBoxLayout;
    previews->addWidget(imgBefore);
    previews->addWidget(imgAfter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(previews);
    layout->addLayout(form);
    layout->addWidget(buttons);

    for (QComboBox* box : {cboMode, cboDither, cboFit})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { RequestPreview(); });
    for (QSlider* slider : {sldStrength, sldBrightness, sldContrast, sldSaturation})
        connect(slider, &QSlider::valueChanged, this, [this] { RequestPreview(); });
    connect(spnGamma, &QDoubleSpinBox::valueChanged, this, [this] { RequestPreview(); });
}

namespace {

// The settings' names of the controls.
const char* const kModeKey = "ImportPicture/Mode";
const char* const kDitherKey = "ImportPicture/Dithering";
const char* const kFitKey = "ImportPicture/Size";
const char* const kStrengthKey = "ImportPicture/Strength";
const char* const kBrightnessKey = "ImportPicture/Brightness";
const char* const kContrastKey = "ImportPicture/Contrast";
const char* const kSaturationKey = "ImportPicture/Saturation";
const char* const kGammaKey = "ImportPicture/Gamma";

// A stored choice within the list, else the control keeps what it shows.
void LoadIndex(const QSettings& settings, const char* key, QComboBox* box) {
    bool ok = false;
    const int index = settings.value(key).toInt(&ok);
    if (ok && index >= 0 && index < box->count()) box->setCurrentIndex(index);
}

void LoadValue(const QSettings& settings, const char* key, QSlider* slider) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    if (ok) slider->setValue(value);  // the slider keeps to its range
}

}  // namespace

void TFormImportPicture::LoadSettings() {
    if (settings_ == nullptr || settings_->status() != QSettings::NoError) return;
    LoadIndex(*settings_, kModeKey, cboMode);
    LoadIndex(*settings_, kDitherKey, cboDither);
    LoadIndex(*settings_, kFitKey, cboFit);
    LoadValue(*settings_, kStrengthKey, sldStrength);
    LoadValue(*settings_, kBrightnessKey, sldBrightness);
    LoadValue(*settings_, kContrastKey, sldContrast);
    LoadValue(*settings_, kSaturationKey, sldSaturation);
    bool ok = false;
    const double gamma = settings_->value(kGammaKey).toDouble(&ok);
    if (ok) spnGamma->setValue(gamma);
}

void TFormImportPicture::SaveSettings() {
    if (settings_ == nullptr || !settings_->isWritable()) return;
    settings_->setValue(kModeKey, cboMode->currentIndex());
    settings_->setValue(kDitherKey, cboDither->currentIndex());
    settings_->setValue(kFitKey, cboFit->currentIndex());
    settings_->setValue(kStrengthKey, sldStrength->value());
    settings_->setValue(kBrightnessKey, sldBrightness->value());
    settings_->setValue(kContrastKey, sldContrast->value());
    settings_->setValue(kSaturationKey, sldSaturation->value());
    settings_->setValue(kGammaKey, spnGamma->value());
}

ConversionOptions TFormImportPicture::Options() const {
    ConversionOptions options;
    options.multicolor = cboMode->currentIndex() % 2 == 1;
    options.dfli = cboMode->currentIndex() >= 2;
    options.dithering = Dithering(cboDither->currentIndex());
    options.fitting = Fitting(cboFit->currentIndex());
    options.strength = sldStrength->value();
    options.adjustments = {sldBrightness->value(), sldContrast->value(), sldSaturation->value(),
                           spnGamma->value()};
    return options;
}

void TFormImportPicture::Convert(Image& result) {
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock,
                       [&] { return importedFor_ == generation_ || failedFor_ == generation_; });
        if (importedFor_ == generation_) {
            StoreConvertedImage(imported_.image(), result);
            return;
        }
    }
    // What failed there is tried once more here; a failure again is the
    // command's, shown as its error.
    auto converted = std::make_unique<ConvertedImage>();
    ConvertPicture(picture_, Options(), *converted);
    StoreConvertedImage(converted->image(), result);
}

void TFormImportPicture::RequestPreview() {
    sldStrength->setEnabled(cboDither->currentIndex() != int(Dithering::None));
    {
        std::lock_guard lock(mutex_);
        pending_ = Options();
        const bool dithered = pending_->dithering != Dithering::None && pending_->strength > 0;
        pendingDithered_ = dithered ? pending_ : std::nullopt;
        ++generation_;
    }
    wake_.notify_all();
}

void TFormImportPicture::ShowPreview(uint64_t generation, const QImage& before, const QImage& after,
                                     bool final) {
    bool showAfter = true;
    {
        // A preview of options changed since is dropped; the newer one comes.
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
        // A quick preview after the full one of the same options brings only
        // the "before" picture.
        showAfter = final || finalShown_ != generation;
        if (final) finalShown_ = generation;
    }
    const QSize size(320 * kPreviewZoom, 200 * kPreviewZoom);
    if (!before.isNull())
        imgBefore->setPixmap(QPixmap::fromImage(
            before.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    if (!showAfter) return;
    imgAfter->setPixmap(QPixmap::fromImage(after.scaled(size)));
    ++previewsShown_;
    if (final) ++finalPreviewsShown_;
}

void TFormImportPicture::ShowFailure(uint64_t generation, const QString& text) {
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
    }
    imgAfter->setText(text);
}

std::shared_ptr<const LinearPicture> TFormImportPicture::ScaledFor(
    const ConversionOptions& options) {
    std::lock_guard lock(scaleMutex_);
    if (!scaled_ || scaledFor_ != options.fitting) {
        scaled_ = std::make_shared<const LinearPicture>(ScaleForConversion(picture_, options));
        scaledFor_ = options.fitting;
    }
    return scaled_;
}

// A worker: converts the newest options; the scaled picture is kept while
// only the matching and dithering change, the "before" picture while the
// adjustments stay too. The quick worker converts every change, without
// dithering, and shows the "before" picture; with dithering, the other
// worker's result replaces its preview. A dithered conversion takes several
// times as long, so a change still shows at once while one is under way.
void TFormImportPicture::Work(bool dithered) {
    std::unique_ptr<ConvertedImage> converted;
    std::shared_ptr<const LinearPicture> scaled;
    // Not an optional: GCC's optimiser then takes its members for unset.
    Adjustments beforeFor{};
    bool haveBefore = false;
    QImage before;
    std::optional<ConversionOptions>& pending = dithered ? pendingDithered_ : pending_;
    for (;;) {
        ConversionOptions options;
        uint64_t generation = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || pending.has_value(); });
            if (stop_) return;
            options = *pending;
            pending.reset();
            generation = generation_;
        }
        // Whatever fails (memory above all) fails this preview, not the
        // editor: it is shown, and the next change tries again.
        try {
            if (!converted) converted = std::make_unique<ConvertedImage>();
            // Both modes convert from the picture on the screen's pixels.
            std::shared_ptr<const LinearPicture> nowScaled = ScaledFor(options);
            if (nowScaled != scaled) haveBefore = false;
            scaled = std::move(nowScaled);
            if (!dithered && (!haveBefore || !SameAdjustments(beforeFor, options.adjustments))) {
                haveBefore = false;
                LinearPicture adjusted = *scaled;
                Adjust(adjusted, options.adjustments);
                before = PictureImage(adjusted);
                beforeFor = options.adjustments;
                haveBefore = true;
            }
            const bool final =
                dithered || options.dithering == Dithering::None || options.strength == 0;
            if (!final) options.dithering = Dithering::None;
            // A conversion whose options changed on the way gives way to the new ones.
            const auto abandoned = [&] {
                std::lock_guard lock(mutex_);
                return stop_ || generation_ != generation;
            };
            if (!conversion_(*scaled, options, *converted, abandoned)) continue;
            if (final) {
                {
                    std::lock_guard lock(mutex_);
                    if (generation == generation_) {
                        StoreConvertedImage(converted->image(), imported_.image());
                        importedFor_ = generation;
                    }
                }
                finished_.notify_all();
            }
            const QImage after = ConvertedImageOf(converted->image());
            {
                std::lock_guard lock(mutex_);
                ready_.push_back({generation, dithered ? QImage() : before, after, final});
            }
            // By name, so the previews pass through ready_ and its lock, never
            // through a callable made on this thread and run on the window's.
            QMetaObject::invokeMethod(this, "ShowReadyPreviews", Qt::QueuedConnection);
        } catch (const std::exception& e) {
            // What was under way may be half made.
            converted.reset();
            scaled.reset();
            haveBefore = false;
            {
                std::lock_guard lock(mutex_);
                failedFor_ = generation;
            }
            finished_.notify_all();
            try {
                const QString text =
                    dynamic_cast<const std::bad_alloc*>(&e)
                        ? QString("There is not enough memory for this preview.")
                        : "The preview could not be made: " + QString::fromStdString(e.what());
                QMetaObject::invokeMethod(
                    this, [this, generation, text] { ShowFailure(generation, text); },
                    Qt::QueuedConnection);
            } catch (const std::exception&) {
                // Saying so needs memory too; OK still converts.
            }
        }
    }
}

void TFormImportPicture::ShowReadyPreviews() {
    std::vector<ReadyPreview> ready;
    {
        std::lock_guard lock(mutex_);
        ready.swap(ready_);
    }
    for (const ReadyPreview& preview : ready)
        ShowPreview(preview.generation, preview.before, preview.after, preview.final);
}

}  // namespace pixolat
