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

// Whether the GIF's blocks run on to its trailer: the toolkit's reader shows
// a cut one as far as it goes without a word.
bool GifIsCut(QFile& file) {
    const qint64 size = file.size();
    const uchar* bytes = size > 13 ? file.map(0, size) : nullptr;
    if (bytes == nullptr) return size <= 13;
    qint64 at = 13;
    const auto table = [&](uchar flags) {
        if (flags & 0x80) at += 3 * (qint64(2) << (flags & 7));
    };
    // Data sub-blocks up to the empty one; false when the file ends first.
    const auto blocks = [&] {
        while (at < size && bytes[at] != 0) at += 1 + bytes[at];
        return at++ < size;
    };
    table(bytes[10]);
    bool cut = true;
    while (at < size) {
        const uchar kind = bytes[at++];
        if (kind == 0x3B) {
            cut = false;
            break;
        }
        if (kind == 0x21) {
            ++at;  // the label
            if (!blocks()) break;
        } else if (kind == 0x2C) {
            if (at + 9 > size) break;
            table(bytes[at + 8]);
            at += 10;  // and the code size
            if (!blocks()) break;
        } else {
            break;  // not a block: what follows is no picture data
        }
    }
    file.unmap(const_cast<uchar*>(bytes));
    return cut;
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
    // Besides the decoder's own memory, the kept part is expanded to 4 bytes a
    // pixel, the picture handed on; both are held at once.
    const std::int64_t heldBytes =
        std::min(declared ? declared->decoderBytes : 0, INT64_MAX / 4) +
        std::min(SizeProduct(std::min<std::int64_t>(plan.width, maxSize.width()),
                             std::min<std::int64_t>(plan.height, maxSize.height())),
                 INT64_MAX / 4) *
            4;
    plan.bytes =
        std::min(SizeProduct(plan.decodedPixels, bits) / 8, INT64_MAX - heldBytes) + heldBytes;
    return plan;
}

bool IsDrawing(const QByteArray& format) {
    return format.toLower().startsWith("svg");
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
    // A drawing is no picture of pixels to convert, and a compressed one can
    // inflate without bound before its size is known.
    const QByteArray format = reader.format();
    if (IsDrawing(format) || head.startsWith("\x1f\x8b"))
        throw Error(LoadFailure(path, "SVG drawings are not read; save it as a PNG first."));
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
    std::string cut = CutShort(declared, file.size());
    if (cut.empty() && format == "gif" && GifIsCut(file))
        cut = "the file ends before its last picture's data does";
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
    const QImage image = Decode(file, path, QSize(maxWidth, maxHeight), fullSize, picture.damage);
    picture.width = std::min(image.width(), maxWidth);
    picture.height = std::min(image.height(), maxHeight);
    // A reader that did not tell the size before decoding was held only by
    // the toolkit's limit; the kept part is counted now.
    const std::int64_t held =
        std::int64_t(image.sizeInBytes()) + SizeProduct(picture.width, picture.height) * 4;
    if (held > kPictureDecodeBudget)
        throw Error(LoadFailure(path, TooLarge(image.width(), image.height(), held)));
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    // Expanded a strip of rows at a time, so that the decoded picture and the
    // kept one are the only whole copies.
    const int stripRows = std::max(1, (1 << 20) / std::max(1, 4 * picture.width));
    for (int top = 0; top < picture.height; top += stripRows) {
        const int rows = std::min(stripRows, picture.height - top);
        const bool whole = image.format() == QImage::Format_RGB32;
        const QImage strip =
            whole ? image
                  : image.copy(0, top, picture.width, rows).convertToFormat(QImage::Format_RGB32);
        if (strip.isNull())
            throw Error(LoadFailure(path, "There is not enough memory to read its pixels."));
        const int first = whole ? top : 0;
        for (int y = 0; y < rows; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(strip.constScanLine(first + y));
            for (int x = 0; x < picture.width; ++x) {
                const QRgb c = line[x];
                picture.at(x, top + y) =
                    uint32_t(qRed(c)) | uint32_t(qGreen(c)) << 8 | uint32_t(qBlue(c)) << 16;
            }
        }
    }
    return picture;
}

bool CanReadPictureType(const std::string& extension) {
    return !IsDrawing(QByteArray::fromStdString(extension)) &&
           QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(extension));
}

std::string PictureTypeOf(std::span<const uint8_t> bytes) {
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    qsizetype(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    const QByteArray format = QImageReader::imageFormat(&buffer).toLower();
    return IsDrawing(format) ? std::string() : format.toStdString();
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
