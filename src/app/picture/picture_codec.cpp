#include "app/picture/picture_codec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <span>

#include "app/picture/picture_header.h"
#include "app/picture/picture_qimage.h"
#include "document/errors.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pixolat {

namespace {

// The head of a file that holds every header the codec reads itself.
constexpr qint64 kHeadBytes = 256 << 10;

QString FileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string LoadFailure(const std::string& path, const std::string& reason) {
    return "Cannot load picture \"" + path + "\". " + reason;
}

std::int64_t Megabytes(std::int64_t bytes) {
    return (bytes >> 20) + ((bytes & ((1 << 20) - 1)) != 0);
}

// The toolkit's and its libraries' messages while a picture decodes
// ("Corrupt JPEG data: ...", "libpng error: Read Error", which libpng writes
// to the standard error itself), kept for the one message the user is shown
// instead of reaching the terminal on their own. Notes below warning level
// are dropped.
class DecoderMessages {
public:
    DecoderMessages() : previous_(qInstallMessageHandler(Collect)) {
        current_ = this;
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        capture_ = std::tmpfile();
        savedStderr_ = capture_ ? ::dup(STDERR_FILENO) : -1;
        if (savedStderr_ >= 0) ::dup2(::fileno(capture_), STDERR_FILENO);
#endif
    }
    ~DecoderMessages() {
        Release();
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    // Ends the capture; what the libraries wrote joins the messages.
    void Release() {
#ifdef Q_OS_UNIX
        if (savedStderr_ >= 0) {
            std::fflush(stderr);
            ::dup2(savedStderr_, STDERR_FILENO);
            ::close(savedStderr_);
            savedStderr_ = -1;
            char text[1024];
            std::rewind(capture_);
            const std::size_t n = std::fread(text, 1, sizeof text, capture_);
            for (const QString& line : QString::fromLocal8Bit(text, qsizetype(n)).split('\n'))
                Add(line);
        }
        if (capture_) std::fclose(capture_);
        capture_ = nullptr;
#endif
    }

    bool Mention(const char* text) const {
        return std::any_of(texts_.begin(), texts_.end(),
                           [&](const QString& t) { return t.contains(QLatin1String(text)); });
    }
    std::string Joined() const {
        return texts_.join(QLatin1String("; ")).toStdString();
    }
    bool empty() const {
        return texts_.isEmpty();
    }

private:
    static void Collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (current_ && type != QtDebugMsg && type != QtInfoMsg) current_->Add(text);
    }

    void Add(const QString& text) {
        QString line = text.simplified();
        while (line.endsWith(QLatin1Char('.'))) line.chop(1);
        // A damaged file can repeat one complaint for every row.
        if (!line.isEmpty() && texts_.size() < 4 && !texts_.contains(line)) texts_ << line;
    }

    static inline DecoderMessages* current_ = nullptr;
    QtMessageHandler previous_;
    QStringList texts_;
    std::FILE* capture_ = nullptr;
    int savedStderr_ = -1;
};

// The toolkit's allocation limit, raised for one picture that the codec let
// through and restored after it.
class AllocationLimit {
public:
    explicit AllocationLimit(std::int64_t megabytes) : saved_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(int(std::min<std::int64_t>(megabytes, INT_MAX)));
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(saved_); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int saved_;
};

std::string TooLarge(std::int64_t width, std::int64_t height, std::int64_t bytes) {
    return "It is " + std::to_string(width) + " \u00D7 " + std::to_string(height) +
           " pixels and would take " + std::to_string(Megabytes(bytes)) +
           " MB to decode; pictures that take up to " + std::to_string(kPictureDecodeBudget >> 20) +
           " MB are read.";
}

// "the file holds 1000 of the 921600 bytes of its pixel data", or "" when
// the file holds them all or its format does not tell.
std::string CutShort(const std::optional<DeclaredPicture>& declared, qint64 fileSize) {
    if (!declared || declared->pixelDataBytes <= 0) return "";
    const std::int64_t held = std::max<std::int64_t>(0, fileSize - declared->pixelDataOffset);
    if (held >= declared->pixelDataBytes) return "";
    return "the file holds " + std::to_string(held) + " of the " +
           std::to_string(declared->pixelDataBytes) + " bytes of its pixel data";
}

// What decoding the picture would take, from the toolkit's view of the file
// and the codec's own reading of its header, whichever is larger.
struct DecodePlan {
    std::int64_t width = -1;  // -1: the size is unknown before decoding
    std::int64_t height = -1;
    std::int64_t decodedPixels = 0;
    std::int64_t bytes = 0;
};

DecodePlan PlanDecode(const QImageReader& reader, const std::optional<DeclaredPicture>& declared,
                      QSize maxSize) {
    DecodePlan plan;
    const QSize size = reader.size();
    if (size.isValid()) {
        plan.width = size.width();
        plan.height = size.height();
    } else if (declared) {
        plan.width = declared->width;
        plan.height = declared->height;
    } else {
        return plan;
    }
    int bits = declared ? declared->bitsPerPixel : 32;
    // The JPEG reader names an unset format when it could not read the
    // header: the format counts only with a size, and only one in the table.
    const int format = size.isValid() ? int(reader.imageFormat()) : 0;
    if (format > QImage::Format_Invalid && format < QImage::NImageFormats)
        bits = std::max<int>(bits, QImage::toPixelFormat(QImage::Format(format)).bitsPerPixel());
    // Only a reader that decodes a part of the picture on its own saves the rest.
    plan.decodedPixels = reader.supportsOption(QImageIOHandler::ClipRect)
                             ? SizeProduct(std::min<std::int64_t>(plan.width, maxSize.width()),
                                           std::min<std::int64_t>(plan.height, maxSize.height()))
                             : SizeProduct(plan.width, plan.height);
    const std::int64_t decoderBytes = declared ? declared->decoderBytes : 0;
    plan.bytes = std::min(SizeProduct(plan.decodedPixels, bits) / 8, INT64_MAX - decoderBytes) +
                 decoderBytes;
    return plan;
}

void OpenRegularFile(QFile& file, const std::string& path) {
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        throw Error(
            LoadFailure(path, info.isDir() ? "It is a folder." : "It is not a regular file."));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(LoadFailure(path, file.errorString().toStdString()));
}

// The decoded picture, checked against the budget before anything is decoded.
QImage Decode(QFile& file, const std::string& path, QSize maxSize, PictureSize* fullSize,
              std::string& damage) {
    const QByteArray head = file.peek(kHeadBytes);
    const std::optional<DeclaredPicture> declared = ReadPictureHeader(
        std::span(reinterpret_cast<const uint8_t*>(head.constData()), std::size_t(head.size())));
    DecoderMessages messages;
    QImageReader reader(&file);
    const QSize size = reader.size();
    const DecodePlan checked = PlanDecode(reader, declared, maxSize);
    if (checked.width >= 0 && checked.bytes > kPictureDecodeBudget)
        throw Error(LoadFailure(path, TooLarge(checked.width, checked.height, checked.bytes)));
    // The toolkit counts 4 bytes a pixel whatever it decodes to: it must not
    // refuse what the budget lets through, and is the limit when nothing
    // told the size.
    const AllocationLimit limit(
        std::max(kPictureDecodeBudget >> 20, Megabytes(SizeProduct(checked.decodedPixels, 4)) + 1));
    const QSize kept = size.boundedTo(maxSize);
    if (size.isValid() && kept != size) reader.setClipRect(QRect(QPoint(0, 0), kept));
    QImage image = reader.read();
    messages.Release();
    const std::string cut = CutShort(declared, file.size());
    if (image.isNull()) {
        std::string reason = reader.errorString().toStdString();
        if (!cut.empty())
            reason = "It is cut short: " + cut;
        else if (messages.Mention("allocation limit"))
            reason = "It would take more than " + std::to_string(kPictureDecodeBudget >> 20) +
                     " MB to decode; pictures that take up to " +
                     std::to_string(kPictureDecodeBudget >> 20) + " MB are read";
        else if (!messages.empty())
            reason += " (" + messages.Joined() + ")";
        throw Error(LoadFailure(path, reason + "."));
    }
    if (!cut.empty())
        damage = "Picture \"" + path + "\" is cut short: " + cut + ".";
    else if (!messages.empty())
        damage = "Picture \"" + path + "\" may be damaged: " + messages.Joined() + ".";
    if (fullSize)
        *fullSize = size.isValid() ? PictureSize{size.width(), size.height()}
                                   : PictureSize{image.width(), image.height()};
    return image;
}

}  // namespace

QImage ToQImage(const Picture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.at(x, y);
            line[3 * x] = uchar(c);
            line[3 * x + 1] = uchar(c >> 8);
            line[3 * x + 2] = uchar(c >> 16);
        }
    }
    return image;
}

Picture ReadPictureFile(const std::string& path, int maxWidth, int maxHeight,
                        PictureSize* fullSize) {
    QFile file(FileName(path));
    OpenRegularFile(file, path);
    Picture picture;
    QImage image = Decode(file, path, QSize(maxWidth, maxHeight), fullSize, picture.damage);
    if (image.width() > maxWidth || image.height() > maxHeight)
        image = image.copy(0, 0, std::min(image.width(), maxWidth),
                           std::min(image.height(), maxHeight));
    image = image.convertToFormat(QImage::Format_RGB32);
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            const QRgb c = line[x];
            picture.at(x, y) =
                uint32_t(qRed(c)) | uint32_t(qGreen(c)) << 8 | uint32_t(qBlue(c)) << 16;
        }
    }
    return picture;
}

bool CanReadPictureType(const std::string& extension) {
    return QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(extension));
}

std::string PictureTypeOf(std::span<const uint8_t> bytes) {
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    qsizetype(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    return QImageReader::imageFormat(&buffer).toLower().toStdString();
}

std::vector<uint8_t> EncodePictureFile(const Picture& picture, PictureFileType type) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, type == PictureFileType::Png ? "png" : "bmp");
    // Deflate level 1 (Qt maps quality 80 to it): the editor's flat colors
    // pack well at it, and the default level costs several times the time.
    if (type == PictureFileType::Png) writer.setQuality(80);
    if (!writer.write(ToQImage(picture)))
        throw Error("Cannot encode picture. " + writer.errorString().toStdString());
    const QByteArray& bytes = buffer.data();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace pixolat
