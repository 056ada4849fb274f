#include "app/qt/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "app/picture/picture_codec.h"
#include "app/picture/picture_qimage.h"
#include "app/qt/form_data.h"
#include "app/qt/form_import_picture.h"
#include "app/qt/form_properties.h"
#include "document/errors.h"
#include "document/escaped_text.h"
#include "render/rgb_buffer.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pixolat {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

// Message texts join their lines with CR, which Qt's labels do not break at:
// every CR, alone or before LF, becomes the LF they do break at.
QString MessageText(const std::string& s) {
    QString text = Q(EscapeControls(s, true));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QFont LabelFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont);
    font.setPixelSize(10);
    return font;
}

}  // namespace

QString QtNameFilter(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == "*.*") p = "*";
        QString description = parts[i];
        const int paren = description.indexOf(" (");
        if (paren >= 0) description.truncate(paren);
        filters << description + " (" + patterns.join(' ') + ")";
    }
    return filters.join(";;");
}

QtPlatform::QtPlatform() {
    clock_.start();
}

QSettings& QtPlatform::Settings() {
    // The user's store where the toolkit keeps it, looked at before the
    // toolkit opens (and reads) it.
    if (!settings_)
        OpenSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         "/Varno/Pixolat.conf",
                     QSettings::NativeFormat,
                     [] { return std::make_unique<QSettings>("Varno", "Pixolat"); });
    return *settings_;
}

void QtPlatform::UseSettingsFile(const QString& path) {
    OpenSettings(path, QSettings::IniFormat,
                 [&] { return std::make_unique<QSettings>(path, QSettings::IniFormat); });
}

// A store that cannot be read (a line cut short, another format, a folder in
// its place) would read every setting as missing and never be written again:
// it is kept beside, under ".bad", and a fresh store is written at close. What
// is no regular file (a pipe would wait for a writer for ever) or far larger
// than any store this program writes is set aside so before it is read.
void QtPlatform::OpenSettings(const QString& file, QSettings::Format format,
                              const std::function<std::unique_ptr<QSettings>()>& open) {
    const auto readable = [](const QFileInfo& info) {
        constexpr qint64 kLargestStore = 1 << 20;
        return !info.exists() || (info.isFile() && info.size() <= kLargestStore);
    };
    const QFileInfo info(file);
    if (readable(info)) {
        std::unique_ptr<QSettings> settings = open();
        settings->allKeys();  // the store is read, and its status known, on first use
        if (!info.exists() || settings->status() != QSettings::FormatError) {
            settings_ = std::move(settings);
            return;
        }
    }
    settings_.reset();
    const QString kept = file + ".bad";
    if (QFileInfo(kept).isFile()) QFile::remove(kept);
    const bool moved = QDir().rename(file, kept);
    // One that stays in place is never read: the settings last for the session.
    settings_ = std::make_unique<QSettings>(readable(QFileInfo(file)) ? file : QString(), format);
    settingsNote_ = moved ? "The settings could not be read; the file is kept as " +
                                S(QFileInfo(kept).fileName()) +
                                " and new settings are saved at close."
                          : "The settings could not be read (" + S(file) + ").";
}

std::string QtPlatform::TakeSettingsNote() {
    Settings();
    return std::exchange(settingsNote_, std::string());
}

void QtPlatform::SyncSettings() {
    Settings().sync();
}

QtPlatform::~QtPlatform() {
    // A help window without a parent is not deleted by any window.
    if (helpViewer_ && !helpViewer_->parent()) delete helpViewer_;
}

QWidget* QtPlatform::parentWidget() {
    if (QWidget* active = QApplication::activeModalWidget()) return active;
    return window_ ? window_->window() : nullptr;
}

void QtPlatform::SetStatusText(int panel, const std::string& text) {
    if (window_) window_->SetPanelText(panel, Q(EscapeControls(text)));
}

void QtPlatform::SetCaption(const std::string& text) {
    if (window_) window_->window()->setWindowTitle(Q(EscapeControls(text)));
}

WindowBounds QtPlatform::GetWindowBounds() {
    if (!window_) return {};
    const QRect r = window_->window()->normalGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

namespace {
// Smaller than this, the menu bar and the status panels no longer fit.
constexpr int kMinWindowWidth = 200;
constexpr int kMinWindowHeight = 150;
// How much of the top edge must lie on a screen for the window to be reachable.
constexpr int kGrabWidth = 40;
constexpr QPoint kDefaultPlace(240, 100);
}  // namespace

QRect BoundsOnScreens(const QRect& stored, const QList<QRect>& screens,
                      const QPoint& defaultPlace) {
    if (screens.isEmpty()) return stored;
    QRect bounds = stored;
    const QRect& first = screens.front();
    bounds.setWidth(
        std::clamp(bounds.width(), kMinWindowWidth, std::max(kMinWindowWidth, first.width())));
    bounds.setHeight(
        std::clamp(bounds.height(), kMinWindowHeight, std::max(kMinWindowHeight, first.height())));
    const QRect topEdge(bounds.left(), bounds.top(), bounds.width(), 1);
    for (const QRect& screen : screens) {
        const QRect shared = screen.intersected(topEdge);
        if (!shared.isEmpty() && shared.width() >= std::min(kGrabWidth, bounds.width()))
            return bounds;
    }
    bounds.moveTopLeft(first.topLeft() + defaultPlace);
    // A default place that leaves the window hanging off a small screen moves in.
    if (bounds.right() > first.right()) bounds.moveRight(first.right());
    if (bounds.bottom() > first.bottom()) bounds.moveBottom(first.bottom());
    bounds.moveLeft(std::max(bounds.left(), first.left()));
    bounds.moveTop(std::max(bounds.top(), first.top()));
    return bounds;
}

void QtPlatform::SetWindowBounds(const WindowBounds& b) {
    if (!window_) return;
    // Stored bounds may come from a monitor that is no longer connected.
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) screens << screen->availableGeometry();
    const QRect wanted(b.left, b.top, b.width, b.height);
    window_->window()->setGeometry(BoundsOnScreens(wanted, screens, kDefaultPlace));
}

WindowState QtPlatform::GetWindowState() {
    if (!window_) return WindowState::Normal;
    const Qt::WindowStates s = window_->window()->windowState();
    if (s & Qt::WindowMinimized) return WindowState::Minimized;
    if (s & Qt::WindowMaximized) return WindowState::Maximized;
    return WindowState::Normal;
}

void QtPlatform::SetWindowState(WindowState state) {
    if (!window_) return;
    QMainWindow* w = window_->window();
    switch (state) {
        case WindowState::Minimized:
            w->setWindowState(Qt::WindowMinimized);
            break;
        case WindowState::Maximized:
            w->setWindowState(Qt::WindowMaximized);
            break;
        default:
            w->setWindowState(Qt::WindowNoState);
            break;
    }
}

void QtPlatform::CloseMainWindow() {
    if (window_) window_->window()->close();
}

void QtPlatform::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), MessageText(text),
                    QMessageBox::Ok, parentWidget());
    box.exec();
}

void QtPlatform::ShowInformation(const std::string& text) {
    QMessageBox::information(parentWidget(), QCoreApplication::applicationName(),
                             MessageText(text));
}

bool QtPlatform::AskYesNo(const std::string& text) {
    return QMessageBox::question(parentWidget(), QCoreApplication::applicationName(),
                                 MessageText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

Platform::ExitChoice QtPlatform::AskBeforeExit(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), MessageText(text),
                    QMessageBox::NoButton, parentWidget());
    QPushButton* save = box.addButton("Save Source File...", QMessageBox::AcceptRole);
    QPushButton* close = box.addButton("Close Anyway", QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return ExitChoice::SaveSourceFile;
    if (box.clickedButton() == close) return ExitChoice::CloseAnyway;
    return ExitChoice::Cancel;
}

std::string QtPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& initial) {
    return InputQuery(caption, prompt, initial).value_or(initial);
}

std::optional<std::string> QtPlatform::InputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWidget(), Q(caption), Q(prompt),
                                               QLineEdit::Normal, Q(initial), &ok);
    if (!ok) return std::nullopt;
    return S(text);
}

namespace {
// The dialog opens in the folder last used; choosing a file makes its folder that.
std::optional<std::string> RunDialog(QFileDialog& dialog, std::string& folder) {
    if (!folder.empty() && QFileInfo(Q(folder)).isDir()) dialog.setDirectory(Q(folder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    folder = S(QFileInfo(path).absolutePath());
    return S(path);
}

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogOptions& options,
                                         QFileDialog::AcceptMode mode, std::string& folder) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtNameFilter(options.filter));
    dialog.setDefaultSuffix(Q(options.defaultExtension));
    // Qt's save dialog asks before overwriting unless told otherwise.
    return RunDialog(dialog, folder);
}
}  // namespace

std::optional<std::string> QtPlatform::OpenFileDialog(const FileDialogOptions& options) {
    return RunFileDialog(parentWidget(), options, QFileDialog::AcceptOpen, dialogFolder_);
}

std::optional<std::string> QtPlatform::SaveFileDialog(const FileDialogOptions& options) {
    return RunFileDialog(parentWidget(), options, QFileDialog::AcceptSave, dialogFolder_);
}

std::optional<std::string> QtPlatform::OpenPictureDialog() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        if (CanReadPictureType(format.toStdString()))
            patterns << "*." + QString::fromLatin1(format);
    QFileDialog dialog(parentWidget());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter("All pictures (" + patterns.join(' ') + ");;All Files (*)");
    return RunDialog(dialog, dialogFolder_);
}

std::string QtPlatform::ShowTextWindow(const std::string& text, TextWindowPurpose purpose,
                                       const std::string& title) {
    TFormData form(parentWidget());
    form.setWindowTitle(Q(title));
    if (purpose == TextWindowPurpose::Save)
        form.PrepareForSave(Q(text));
    else
        form.PrepareForLoad(window_ ? window_->window()->geometry() : QRect(268, 143, 411, 275));
    form.exec();
    return S(form.memoText->toPlainText());
}

bool QtPlatform::SettingExists(const std::string& name) {
    return Settings().status() == QSettings::NoError && Settings().contains(Q(name));
}

int32_t QtPlatform::ReadSettingInt(const std::string& name) {
    // A store that cannot be read counts as one without the value.
    if (Settings().status() != QSettings::NoError) throw Error("Cannot read the settings.");
    const QVariant value = Settings().value(Q(name));
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!value.isValid() || !ok || number < INT32_MIN || number > INT32_MAX)
        throw Error("Invalid data type for '" + name + "'");
    return int32_t(number);
}

std::string QtPlatform::ReadSettingText(const std::string& name) {
    return S(Settings().value(Q(name)).toString());
}

namespace {
void CheckWritable(QSettings& settings) {
    if (!settings.isWritable() || settings.status() != QSettings::NoError)
        throw Error("Cannot write the settings.");
}
}  // namespace

void QtPlatform::WriteSettingInt(const std::string& name, int32_t value) {
    CheckWritable(Settings());
    Settings().setValue(Q(name), value);
}

void QtPlatform::WriteSettingText(const std::string& name, const std::string& value) {
    CheckWritable(Settings());
    Settings().setValue(Q(name), Q(value));
}

bool QtPlatform::FileExists(const std::string& path) {
    return QFileInfo(Q(path)).isFile();
}

std::vector<uint8_t> QtPlatform::ReadFile(const std::string& path, std::size_t maxBytes) {
    QFile file(Q(path));
    // A pipe or a device would block the editor or never end.
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        throw Error("Cannot open file \"" + path + "\". " +
                    (info.isDir() ? "It is a folder." : "It is not a regular file."));
    if (!file.open(QIODevice::ReadOnly))
        throw Error("Cannot open file \"" + path + "\". " + S(file.errorString()));
    // Read in pieces: maxBytes is a limit, not a size to allocate up front.
    constexpr std::size_t kPiece = 1 << 16;
    std::vector<uint8_t> bytes;
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(kPiece, maxBytes - bytes.size());
        const std::size_t have = bytes.size();
        bytes.resize(have + want);
        const qint64 read = file.read(reinterpret_cast<char*>(bytes.data() + have), qint64(want));
        if (read < 0) throw Error("Cannot read file \"" + path + "\". " + S(file.errorString()));
        bytes.resize(have + std::size_t(read));
        if (read == 0) break;
    }
    return bytes;
}

bool QtPlatform::ReadFileInPieces(const std::string& path, std::size_t maxBytes,
                                  const std::function<void(std::string_view)>& piece) {
    // Opening a pipe would wait for a writer, and a device may never end.
    const QFileInfo info(Q(path));
    if (info.exists() && !info.isFile())
        throw Error("Cannot open file \"" + path + "\". " +
                    (info.isDir() ? "It is a folder." : "It is not a regular file."));
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Error("Cannot open file \"" + path + "\". " + S(file.errorString()));
    std::vector<char> buffer(std::size_t(1) << 20);
    std::size_t total = 0;
    for (;;) {
        const qint64 read = file.read(buffer.data(), qint64(buffer.size()));
        if (read < 0) throw Error("Cannot read file \"" + path + "\". " + S(file.errorString()));
        if (read == 0) return true;
        const std::size_t n = std::min(std::size_t(read), maxBytes - total);
        if (n > 0) piece(std::string_view(buffer.data(), n));
        total += n;
        if (n < std::size_t(read)) return false;
    }
}

namespace {

void WriteAll(QFileDevice& file, const std::vector<uint8_t>& bytes) {
    const char* data = reinterpret_cast<const char*>(bytes.data());
    qint64 left = qint64(bytes.size());
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0) break;
        data += written;
        left -= written;
    }
    if (left > 0) throw Error(S(file.errorString()));
}

// Opens a pipe or a device for writing. A pipe nobody reads would keep the
// editor waiting for ever: that is refused at once.
void OpenInPlace(QFile& device, const std::string& path) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(Q(path)).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw Error("Cannot create file \"" + path + "\". " +
                    (error == ENXIO ? std::string("No program reads from it.")
                                    : std::string(std::strerror(error))));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (device.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return;
    ::close(fd);
#else
    device.setFileName(Q(path));
    if (device.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
#endif
    throw Error("Cannot create file \"" + path + "\". " + S(device.errorString()));
}

}  // namespace

void QtPlatform::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const QFileInfo info(Q(path));
    if (info.isDir()) throw Error("Cannot create file \"" + path + "\". It is a folder.");
    // A pipe or a device cannot be replaced by a renamed file (that would put
    // a plain file in its place): it is written directly.
    if (info.exists() && !info.isFile()) {
        QFile device;
        OpenInPlace(device, path);
        try {
            WriteAll(device, bytes);
        } catch (const Error& e) {
            throw Error("Cannot write file \"" + path + "\". " + e.text());
        }
        return;
    }
    // QSaveFile writes a temporary file and renames it over the target only
    // when everything was written, so a failure leaves the old file untouched.
    // Unbuffered, because a buffered QSaveFile can report a commit as done
    // when the final flush stopped short (a full disk, a file size limit),
    // which would replace the old file with a cut one.
    QSaveFile file(Q(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Error("Cannot create file \"" + path + "\". " + S(file.errorString()));
    std::string reason;
    try {
        WriteAll(file, bytes);
    } catch (const Error& e) {
        reason = e.text();
    }
    if (!reason.empty() || !file.commit()) {
        if (reason.empty()) reason = S(file.errorString());
        file.cancelWriting();
        throw Error("Cannot write file \"" + path + "\". " + reason);
    }
}

std::string QtPlatform::ProgramPath() {
    return S(QCoreApplication::applicationFilePath());
}

std::string QtPlatform::DataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) return std::string();
    return S(folder);
}

std::string QtPlatform::ExportPicturePath() {
#ifdef Q_OS_WIN
    return "c:\\export.bmp";
#else
    return S(QDir::home().filePath("export.bmp"));
#endif
}

Picture QtPlatform::LoadPicture(const std::string& path) {
    return ReadPictureFile(path, INT_MAX, INT_MAX);
}

Picture QtPlatform::LoadPictureCorner(const std::string& path, int maxWidth, int maxHeight) {
    return ReadPictureFile(path, maxWidth, maxHeight);
}

std::string QtPlatform::PictureTypeOf(const std::vector<uint8_t>& head) {
    return pixolat::PictureTypeOf(std::span<const uint8_t>(head));
}

void QtPlatform::SavePictureAsBitmap(const std::string& path, const Picture& picture) {
    // Encoded whole in memory first, then the same checked, atomic write as
    // every other file: a failure leaves the old file and reports it.
    WriteFile(path, EncodePictureFile(picture, PictureFileType::Bmp));
}

void QtPlatform::SavePicture(const std::string& path, const Picture& picture) {
    const bool png = QFileInfo(Q(path)).suffix().compare("png", Qt::CaseInsensitive) == 0;
    WriteFile(path, EncodePictureFile(picture, png ? PictureFileType::Png : PictureFileType::Bmp));
}

void QtPlatform::CopyPictureToClipboard(const Picture& picture) {
    QApplication::clipboard()->setImage(ToQImage(picture));
}

int QtPlatform::TextWidth(const std::string& text) {
    return QFontMetrics(LabelFont()).horizontalAdvance(Q(text));
}

void QtPlatform::DrawText(PixelTarget target, int x, int y, const std::string& text,
                          uint32_t color) {
    if (!target.pixels || target.width <= 0 || target.height <= 0) return;
    QImage image(reinterpret_cast<uchar*>(target.pixels), target.width, target.height,
                 qsizetype(target.width) * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(LabelFont());
    painter.setPen(QColor::fromRgb(color));
    const QFontMetrics metrics(painter.font());
    painter.drawText(x, y + metrics.ascent(), Q(text));
}

// Help asked for while a modal dialog runs belongs to that dialog: a window
// of the editor would sit behind it, blocked, until the dialog closed.
HelpViewer& QtPlatform::EnsureHelpViewer() {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == helpViewer_) owner = window_ ? window_->window() : nullptr;
    if (!helpViewer_) {
        helpViewer_ = new HelpViewer(owner);
    } else if (helpViewer_->parentWidget() != owner) {
        helpViewer_->setParent(owner, helpViewer_->windowFlags());
    }
    return *helpViewer_;
}

void QtPlatform::ShowHelpTopic(const std::string& helpFile, const std::string& topic) {
    EnsureHelpViewer().ShowTopic(Q(helpFile), Q(topic));
}

void QtPlatform::ShowHelpContext(const std::string& helpFile, int context) {
    EnsureHelpViewer().ShowContext(Q(helpFile), context);
}

void QtPlatform::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

uint32_t QtPlatform::TickCount() {
    // Counted from the system's start, like the machine's tick counter: a
    // count from the program's start would make a first palette click on the
    // black cell (the remembered click is color 0 at time 0) a double-click.
    // The timer's reference is the moment it was started; what has elapsed
    // since makes it the time now.
    return uint32_t(clock_.msecsSinceReference() + clock_.elapsed());
}

bool QtPlatform::ShowImageProperties(ImagePropertiesDialog& dialog) {
    TFormProperties form(dialog, parentWidget());
    return form.exec() == QDialog::Accepted;
}

bool QtPlatform::ShowImportPicture(const Picture& picture, Image& result) {
    TFormImportPicture form(picture, &Settings(), parentWidget());
    if (form.exec() != QDialog::Accepted) return false;
    form.Convert(result);
    return true;
}

void QtPlatform::OpenMaskProcessor() {
    if (openMaskProcessor) openMaskProcessor(parentWidget());
}

}  // namespace pixolat
