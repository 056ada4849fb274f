#include "app/picture/picture_codec.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

#include "app/picture/picture_qimage.h"
#include "document/errors.h"

namespace pixolat {

namespace {

QString FileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string LoadFailure(const std::string& path, const std::string& reason) {
    return "Cannot load picture \"" + path + "\". " + reason;
}

// Bytes per decoded pixel in the format the reader will hand out; a reader
// that cannot tell is taken to hand out 32-bit pixels.
std::int64_t DecodedPixelBytes(QImage::Format format) {
    if (format == QImage::Format_Invalid) return 4;
    return std::max<std::int64_t>(1, (QImage::toPixelFormat(format).bitsPerPixel() + 7) / 8);
}

// Refuses, before anything is decoded, a picture that would not fit the budget.
void CheckDecodedSize(const std::string& path, const QImageReader& reader, QSize size, QSize kept) {
    const std::int64_t pixelBytes = DecodedPixelBytes(reader.imageFormat());
    const bool clipped = reader.supportsOption(QImageIOHandler::ClipRect);
    const QSize decoded = clipped ? kept : size;
    if (std::int64_t(decoded.width()) * decoded.height() * pixelBytes <= kPictureDecodeBudget)
        return;
    throw Error(LoadFailure(path, "It is " + std::to_string(size.width()) + " \u00D7 " +
                                      std::to_string(size.height()) + " pixels; pictures up to " +
                                      std::to_string(kPictureDecodeBudget / pixelBytes) +
                                      " pixels are read."));
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
    QImageReader reader(FileName(path));
    reader.setAllocationLimit(int(kPictureDecodeBudget >> 20));
    const QSize size = reader.size();
    const QSize kept(std::min(size.width(), maxWidth), std::min(size.height(), maxHeight));
    if (size.isValid()) {
        CheckDecodedSize(path, reader, size, kept);
        if (kept != size) reader.setClipRect(QRect(QPoint(0, 0), kept));
    }
    QImage image = reader.read();
    if (image.isNull()) throw Error(LoadFailure(path, reader.errorString().toStdString()));
    if (fullSize)
        *fullSize = size.isValid() ? PictureSize{size.width(), size.height()}
                                   : PictureSize{image.width(), image.height()};
    if (image.width() > maxWidth || image.height() > maxHeight)
        image = image.copy(0, 0, std::min(image.width(), maxWidth),
                           std::min(image.height(), maxHeight));
    image = image.convertToFormat(QImage::Format_RGB32);
    Picture picture;
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
