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

// Runs the converter on input, writing output; measures its peak memory.
Outcome Convert(const QString& input, const QString& output) {
    const QString errPath = input + ".err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, 2);
        const QByteArray in = input.toLocal8Bit(), out = output.toLocal8Bit();
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

QByteArray Gif(int width, int height) {
    QByteArray gif("GIF89a");
    char size[4];
    qToLittleEndian(quint16(width), size);
    qToLittleEndian(quint16(height), size + 2);
    gif.append(size, 4).append("\xF0\0\0\0\0\0\xFF\xFF\xFF", 9);
    gif.append("\x2C\0\0\0\0", 5).append(size, 4).append("\0\x02\x02\x4C\x01\0;", 7);
    return gif;
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
    struct Case {
        const char* name;
        QByteArray bytes;
        int status;
        std::string said;  // in the one line on stderr; "" for none
    } cases[] = {
        // A progressive JPEG keeps every coefficient of the whole picture,
        // whatever part of it is kept: 8 GB for this one before it was refused.
        {"progressive.jpg", ClaimingJpeg(65500, 65500, true, true), 1,
         "It is 65500 \u00D7 65500 pixels and would take 8185 MB to decode; pictures that take "
         "up to 96 MB are read."},
        {"progressive-color.jpg", ClaimingJpeg(16000, 16000, true, false), 1,
         "It is 16000 \u00D7 16000 pixels and would take 735 MB"},
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        const Outcome outcome = Convert(path, dir.filePath("out.prg"));
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        // Beside the hint that a picture of many colors was read by bits of red.
        const auto hints = outcome.err.find("--convert matches its colors") != std::string::npos;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n') - hints,
                  c.said.empty() ? 0 : 1)
            << outcome.err;
        EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
        EXPECT_LT(outcome.peakKb - baseline.peakKb, 150 * 1024) << outcome.err;
    }
}
