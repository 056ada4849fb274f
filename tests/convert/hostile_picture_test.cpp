// Pictures whose headers claim far more than their files hold, and files cut
// short: the converter (and with it the editor's picture codec) refuses them
// by their size before decoding, in bounded memory, with one line that says
// why, or reads them and says what was missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <fstream>

#include "document/image_store.h"
#include "formats/prg_format.h"

namespace {

struct Outcome {
    int status = -1;
    std::string err;
    long peakKb = 0;  // the largest resident size the program reached
};

// Runs the converter on input, writing output (converting the picture with
// `convert`, when given); measures its peak memory.
Outcome Convert(const QString& input, const QString& output, const char* convert = nullptr) {
    const QString errPath = input + ".err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, 2);
        const QByteArray in = input.toLocal8Bit(), out = output.toLocal8Bit();
        if (convert)
            execl(PIXOLAT_CONVERT_PROGRAM, PIXOLAT_CONVERT_PROGRAM, "--convert", convert,
                  in.constData(), out.constData(), static_cast<char*>(nullptr));
        else
            execl(PIXOLAT_CONVERT_PROGRAM, PIXOLAT_CONVERT_PROGRAM, in.constData(), out.constData(),
                  static_cast<char*>(nullptr));
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.peakKb = usage.ru_maxrss;
    std::ifstream text(errPath.toStdString());
    outcome.err.assign(std::istreambuf_iterator<char>(text), std::istreambuf_iterator<char>());
    return outcome;
}

// A small JPEG whose frame header is made to claim width x height.
QByteArray ClaimingJpeg(int width, int height, bool progressive, bool gray) {
    QImage image(64, 64, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image));
    for (qsizetype at = 2; at + 9 < bytes.size();) {
        const auto marker = uchar(bytes[at + 1]);
        if (marker == 0xC0 || marker == 0xC2) {
            qToBigEndian(quint16(height), bytes.data() + at + 5);
            qToBigEndian(quint16(width), bytes.data() + at + 7);
            break;
        }
        at += 2 + qFromBigEndian<quint16>(bytes.constData() + at + 2);
    }
    return bytes;
}

void Chunk(QByteArray& png, const char* type, const QByteArray& data) {
    char be[4];
    qToBigEndian(quint32(data.size()), be);
    png.append(be, 4);
    const QByteArray typed = QByteArray(type) + data;
    png.append(typed);
    quint32 crc = 0xFFFFFFFFu;
    for (char c : typed) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    qToBigEndian(~crc, be);
    png.append(be, 4);
}

// A 1-bit gray PNG of width x height, all black.
QByteArray MonoPng(int width, int height) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 1;  // bit depth, gray
    Chunk(png, "IHDR", header);
    const QByteArray rows(qsizetype(height) * ((width + 7) / 8 + 1), '\0');
    Chunk(png, "IDAT", qCompress(rows).mid(4));  // the zlib stream, without Qt's length
    Chunk(png, "IEND", QByteArray());
    return png;
}

QByteArray Bitmap(int width, int height, int dataBytes) {
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian(quint32(54 + dataBytes), bmp.data() + 2);
    qToLittleEndian(quint32(54), bmp.data() + 10);
    qToLittleEndian(quint32(40), bmp.data() + 14);
    qToLittleEndian(qint32(width), bmp.data() + 18);
    qToLittleEndian(qint32(height), bmp.data() + 22);
    bmp[26] = 1;
    bmp[28] = 24;
    return bmp + QByteArray(dataBytes, '\x55');
}

// A run-length encoded 8-bit BMP of width x height that ends at once: a
// kilobyte that claims width x height bytes.
QByteArray RunLengthBitmap(int width, int height) {
    QByteArray bmp = Bitmap(width, height, 0);
    bmp[28] = 8;
    bmp[30] = 1;  // RLE8
    qToLittleEndian(quint32(54 + 1024), bmp.data() + 10);
    return bmp + QByteArray(1024, '\0') + QByteArray("\0\1", 2);  // the palette, end of picture
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, format).write(image));
    return bytes;
}

QByteArray Gif(int width, int height) {
    QByteArray gif("GIF89a");
    char size[4];
    qToLittleEndian(quint16(width), size);
    qToLittleEndian(quint16(height), size + 2);
    gif.append(size, 4).append("\xF0\0\0\0\0\0\xFF\xFF\xFF", 9);
    gif.append("\x2C\0\0\0\0", 5).append(size, 4).append("\0\x02\x02\x4C\x01\0;", 7);
    return gif;
}

// A GIF of gray noise; its codes stay 9 bits wide (a clear code before the
// table grows), so it is written without a compressor.
QByteArray NoiseGif(int width, int height) {
    QByteArray gif = Gif(width, height).left(10);
    gif.append("\xF7\0\0", 3);
    for (int i = 0; i < 256; ++i) gif.append(3, char(i));
    gif.append(QByteArray("\x2C\0\0\0\0", 5) + gif.mid(6, 4) + QByteArray("\0\x08", 2));
    QByteArray codes;
    quint32 bits = 0;
    int held = 0;
    const auto put = [&](int code) {
        bits |= quint32(code) << held;
        for (held += 9; held >= 8; held -= 8, bits >>= 8) codes.append(char(bits & 0xFF));
    };
    put(256);
    for (int i = 0; i < width * height; ++i) {
        put((i * 7919) >> 3 & 0xFF);
        if (i % 250 == 249) put(256);
    }
    put(257);
    if (held > 0) codes.append(char(bits & 0xFF));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    return gif.append("\0;", 2);
}

}  // namespace

TEST(HostilePictures, RefusedByTheirSizeOrReadWithinMemoryAndSaidInOneLine) {
    QTemporaryDir dir;
    static pixolat::ImageStore store;
    const QString tiny = dir.filePath("tiny.prg");
    {
        const std::vector<uint8_t> prg = pixolat::EncodePrg(store.image(0));
        QFile file(tiny);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(prg.data()), qsizetype(prg.size()));
    }
    const Outcome baseline = Convert(tiny, dir.filePath("tiny.png"));
    ASSERT_EQ(baseline.status, 0) << baseline.err;

    const QByteArray fullJpeg = ClaimingJpeg(64, 64, true, false);
    const QByteArray noise = NoiseGif(64, 64);
    struct Case {
        const char* name;
        QByteArray bytes;
        int status;
        std::string said;               // in the one line on stderr; "" for none
        const char* convert = nullptr;  // converted whole, as Import Picture does
        long beyondKb = 150 * 1024;     // memory beyond the baseline's
    } cases[] = {
        // A progressive JPEG keeps every coefficient of the whole picture,
        // whatever part of it is kept: 8 GB for this one before it was refused.
        {"progressive.jpg", ClaimingJpeg(65500, 65500, true, true), 1,
         "It is 65500 \u00D7 65500 pixels and would take 8188 MB to decode; pictures that take "
         "up to 96 MB are read."},
        {"progressive-color.jpg", ClaimingJpeg(16000, 16000, true, false), 1,
         "It is 16000 \u00D7 16000 pixels and would take 738 MB"},
        // One scan decodes row by row: only the used corner is decoded.
        {"baseline.jpg", ClaimingJpeg(65500, 65500, false, false), 0,
         "may be damaged: Corrupt JPEG data: premature end of data segment."},
        {"huge.bmp", Bitmap(100000, 100000, 100), 1, "It is 100000 \u00D7 100000 pixels"},
        {"huge.ppm", "P6\n100000 100000\n255\n" + QByteArray(100, 'a'), 1,
         "It is 100000 \u00D7 100000 pixels"},
        {"huge.xpm", "/* XPM */\nstatic char *x[] = {\n\"100000 100000 2 1\",\n\"a c #000000\"};\n",
         1, "It is 100000 \u00D7 100000 pixels"},
        {"huge.gif", Gif(20000, 20000), 1, "It is 20000 \u00D7 20000 pixels"},
        // One bit a pixel decodes in 10 MB: read, not refused.
        {"mono.png", MonoPng(9000, 9000), 0, ""},
        {"cut.bmp", Bitmap(640, 480, 1000), 0,
         "is cut short: the file holds 1000 of the 921600 bytes of its pixel data."},
        {"cut.png", MonoPng(9000, 9000).left(300), 1,
         "Unable to read image data (libpng error: Read Error)."},
        {"cut.jpg", fullJpeg.left(fullJpeg.size() / 2), 0, "may be damaged"},
        {"cut.gif", noise.left(noise.size() / 2), 0,
         "is cut short: the file ends before its last picture's data does."},
        // Converted whole, a picture is expanded to 4 bytes a pixel: counted
        // before decoding (they took 2 GB and 797 MB).
        {"mono-whole.png", MonoPng(16000, 16000), 1,
         "It is 16000 \u00D7 16000 pixels and would take 1008 MB to decode", "hires"},
        {"runs.bmp", RunLengthBitmap(10000, 10000), 1,
         "It is 10000 \u00D7 10000 pixels and would take 477 MB to decode", "hires"},
        // Scaling memory follows the picture, not its shape (it took 250 MB).
        {"tall.png", Encoded(QImage(1, 65536, QImage::Format_RGB32), "png"), 0, "", "multicolor",
         64 * 1024},
        // A drawing, whatever its name, is no picture of pixels.
        {"drawing.png", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\"/>", 1,
         "SVG drawings are not read; save it as a PNG first."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        const Outcome outcome = Convert(path, dir.filePath("out.prg"), c.convert);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        // Besides what the export leaves out of a picture larger than 320 x 200,
        // and the hint that a picture of many colors was read by bits of red.
        const auto lines = std::count(outcome.err.begin(), outcome.err.end(), '\n');
        const bool cutToScreen =
            outcome.err.find(": left out everything past") != std::string::npos;
        const bool hint = outcome.err.find("--convert matches its colors") != std::string::npos;
        EXPECT_EQ(lines - (cutToScreen ? 1 : 0) - (hint ? 1 : 0), c.said.empty() ? 0 : 1)
            << outcome.err;
        EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
        EXPECT_LT(outcome.peakKb - baseline.peakKb, c.beyondKb) << outcome.err;
    }
}
