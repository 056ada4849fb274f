#include "convert/converter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>

#include "document/colors.h"
#include "document/errors.h"
#include "document/pixels.h"
#include "formats/picture_files.h"
#include "formats/picture_import.h"
#include "formats/prg_format.h"
#include "formats/runnable_prg.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

const char* const kUsage =
    "usage: pixolat-convert [--multicolor] [--image N] INPUT OUTPUT\n"
    "       pixolat-convert --runnable [--image N] INPUT OUTPUT.prg\n"
    "       pixolat-convert --info FILE\n"
    "\n"
    "Converts Plus/4 graphics the way the editor imports and exports them.\n"
    "The kind of each file follows from its extension:\n"
    "  .prg .p4i                  Plus/4 program file (output: 10050 bytes at $1800)\n"
    "  .asm .s .inc .src .txt     the editor's source text (all images)\n"
    "  .png .bmp                  picture (input: pixel values from bits of red;\n"
    "                             output: the image 1:1 in the editor's colors)\n"
    "Picture input reads PNG and uncompressed BMP; other picture kinds must be\n"
    "converted to one of them first.\n"
    "\n"
    "  --multicolor   import a picture as multicolor (default hires)\n"
    "  --image N      the image of a source text to write as .prg or picture (default 0)\n"
    "  --runnable     write a .prg that shows the picture on the Plus/4: LOAD and RUN it,\n"
    "                 any key returns to BASIC (hires and multicolor, not DFLI)\n"
    "  --info FILE    print the recognised layout, size, pixel width and color map kind\n"
    "  --version      print the program's version\n";

enum class FileKind { Unknown, Prg, Source, Picture };

std::string Extension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

FileKind KindOf(const std::string& path) {
    const std::string ext = Extension(path);
    if (ext == ".prg" || ext == ".p4i") return FileKind::Prg;
    if (ext == ".png" || ext == ".bmp") return FileKind::Picture;
    if (ext == ".asm" || ext == ".s" || ext == ".inc" || ext == ".src" || ext == ".txt")
        return FileKind::Source;
    return FileKind::Unknown;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot read " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes;
    char chunk[65536];
    while (bytes.size() < maxBytes && in) {
        in.read(chunk, std::streamsize(std::min(sizeof chunk, maxBytes - bytes.size())));
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    }
    if (in.bad()) throw Error("cannot read " + path);
    return bytes;
}

// Writes to a temporary file beside the target and renames it over the
// target only when every byte is on disk, so a failure leaves no cut file.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) throw Error("cannot write " + path + ": " + std::strerror(errno));
    const auto fail = [&](int error) {
        ::close(fd);
        std::remove(temporary.c_str());
        throw Error("cannot write " + path + ": " + std::strerror(error != 0 ? error : EIO));
    };
    // mkstemp makes the file private; the output gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) fail(errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) fail(n < 0 ? errno : EIO);
        done += std::size_t(n);
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        throw Error("cannot write " + path + ": " + std::strerror(error));
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        throw Error("cannot write " + path + ": " + std::strerror(error));
    }
}

Picture LoadPictureFile(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, std::size_t(1) << 30);
    try {
        return Extension(path) == ".png" ? DecodePng(bytes) : DecodeBmp(bytes);
    } catch (const Error& e) {
        throw Error(path + ": " + e.what());
    }
}

const char* ColorMapName(ColorMapKind kind) {
    switch (kind) {
        case ColorMapKind::Normal:
            return "Normal";
        case ColorMapKind::Dfli:
            return "DFLI";
        default:
            return "None";
    }
}

const char* LayoutName(Layout layout) {
    switch (layout) {
        case Layout::Charset:
            return "Charset";
        case Layout::Charset2x2:
            return "2x2 Charset";
        default:
            return "Bitmap";
    }
}

std::string Describe(const Image& image) {
    return std::to_string(image.desc.width) + " x " + std::to_string(image.desc.height) + ", " +
           (image.desc.pixelWidth == 2 ? "multicolor" : "hires") + ", color map " +
           ColorMapName(image.desc.colorMapKind) + ", layout " + LayoutName(image.desc.layout);
}

// The image 1:1 in the editor's colors; a multicolor pixel covers both its columns.
Picture RenderImage(const Image& stored, const RgbTable& rgb) {
    // Any pixel width but multicolor reads as hires, so no pixel reads a
    // column past the plane.
    Image image = stored;
    if (image.desc.pixelWidth != 2) image.desc.pixelWidth = 1;
    Picture picture;
    picture.width = image.desc.width;
    picture.height = image.desc.height;
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    const int step = image.desc.pixelWidth == 2 ? 2 : 1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) =
                uint32_t(rgb[std::size_t(ColorCodeAt(image, x - x % step, y))]) & 0xFFFFFF;
    return picture;
}

struct Options {
    std::vector<std::string> files;
    bool multicolor = false;
    bool info = false;
    bool runnable = false;
    int image = 0;
};

class Converter {
public:
    Converter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
        BuildRgbTable(state_.rgbTable);
        SetUpDefaultImage(store_);
    }

    int Run(const Options& options) {
        try {
            if (options.info) return Info(options.files[0]);
            Read(options.files[0], options.multicolor);
            if (options.runnable)
                WriteWholeFile(options.files[1], EncodeRunnablePrg(Chosen(options.image)));
            else
                Write(options.files[1], options.image);
            return 0;
        } catch (const Error& e) {
            err_ << "pixolat-convert: " << e.what() << "\n";
            return 1;
        }
    }

private:
    // Reads the input into the store the way the editor would.
    void Read(const std::string& path, bool multicolor) {
        switch (KindOf(path)) {
            case FileKind::Prg:
                ReadPrg(path);
                break;
            case FileKind::Source:
                ReadSource(path);
                break;
            case FileKind::Picture:
                ReadPicture(path, multicolor);
                break;
            default:
                throw Error(path + ": unknown kind of input file (see --help)");
        }
    }

    int ReadPrg(const std::string& path) {
        return ReadPrg(path, ReadWholeFile(path, kPrgReadLimit));
    }

    int ReadPrg(const std::string& path, const std::vector<uint8_t>& bytes) {
        const int format = DecodePrg(bytes, store_.image(0));
        if (format == 0) throw Error(path + ": Could not determine PRG format.");
        NormalizeCurrentImage(store_, state_);
        return format;
    }

    // From image 0 on, one image for each section of the text.
    SourceLoadResult ReadSource(const std::string& path) {
        const std::vector<uint8_t> bytes = ReadWholeFile(path, kSourceFileLimit);
        state_.currentImage = 0;
        SourceLoadResult result;
        try {
            result = LoadSourceFile(store_, state_, bytes);
        } catch (const Error& e) {
            throw Error(path + ": " + e.what());
        }
        if (result.sections == 0) throw Error(path + ": the text holds no image");
        NormalizeCurrentImage(store_, state_);
        return result;
    }

    // Into the default 320 x 200 image, enlarged to the picture as the editor
    // does when the user answers Yes.
    void ReadPicture(const std::string& path, bool multicolor) {
        ImportPicture(LoadPictureFile(path), multicolor);
    }

    void ImportPicture(const Picture& picture, bool multicolor) {
        Image& image = store_.image(0);
        image.desc.pixelWidth = multicolor ? 2 : 1;
        const PictureArea area = PictureImportArea(picture);
        if (image.desc.width < area.width || image.desc.height < area.height) {
            image.desc.width = area.width;
            image.desc.height = area.height;
        }
        ImportPicturePixels(picture, image);
    }

    const Image& Chosen(int index) const {
        if (index < 0 || index > kLastImage)
            throw Error("there is no image " + std::to_string(index));
        const Image& image = store_.image(index);
        if (image.desc.width <= 0 || image.desc.height <= 0)
            throw Error("image " + std::to_string(index) + " is empty");
        return image;
    }

    void Write(const std::string& path, int index) {
        switch (KindOf(path)) {
            case FileKind::Prg:
                WriteWholeFile(path, EncodePrg(Chosen(index)));
                break;
            case FileKind::Picture: {
                const Picture picture = RenderImage(Chosen(index), state_.rgbTable);
                WriteWholeFile(path,
                               Extension(path) == ".png" ? EncodePng(picture) : EncodeBmp(picture));
                break;
            }
            case FileKind::Source: {
                WriteWholeFile(path, SourceFileBytes(store_));
                break;
            }
            default:
                throw Error(path + ": unknown kind of output file (see --help)");
        }
    }

    int Info(const std::string& path) {
        switch (KindOf(path)) {
            case FileKind::Prg: {
                const std::vector<uint8_t> bytes = ReadWholeFile(path, kPrgReadLimit);
                const int format = ReadPrg(path, bytes);
                char load[8];
                std::snprintf(load, sizeof load, "$%04X", bytes[0] + 256 * bytes[1]);
                out_ << path << ": PRG format " << format << " (" << PrgFormatName(format)
                     << "), load address " << load << ", " << bytes.size()
                     << (bytes.size() == kPrgReadLimit ? " bytes or more" : " bytes") << "\n";
                out_ << "image 0: " << Describe(store_.image(0)) << "\n";
                break;
            }
            case FileKind::Picture: {
                const Picture picture = LoadPictureFile(path);
                out_ << path << ": picture, " << picture.width << " x " << picture.height << "\n";
                ImportPicture(picture, false);
                out_ << "image 0: " << Describe(store_.image(0)) << "\n";
                break;
            }
            case FileKind::Source: {
                const SourceLoadResult result = ReadSource(path);
                out_ << path << ": source text, " << result.sections
                     << (result.sections == 1 ? " image" : " images")
                     << (result.truncated ? " (sections past image 256 dropped)" : "") << "\n";
                for (int i = 0; i < kImageCount; ++i) {
                    const Image& image = store_.image(i);
                    if (image.desc.width > 0 && image.desc.height > 0)
                        out_ << "image " << i << ": " << Describe(image)
                             << (image.desc.name.empty() ? "" : ", \"" + image.desc.name + "\"")
                             << "\n";
                }
                break;
            }
            default:
                throw Error(path + ": unknown kind of file (see --help)");
        }
        return 0;
    }

    std::ostream& out_;
    std::ostream& err_;
    ImageStore store_;
    EditorState state_;
};

}  // namespace

int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << "pixolat-convert " << PIXOLAT_VERSION << "\n";
            return 0;
        }
        if (arg == "--multicolor") {
            options.multicolor = true;
        } else if (arg == "--runnable") {
            options.runnable = true;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--image" || arg.rfind("--image=", 0) == 0) {
            std::string value =
                arg == "--image" ? (i + 1 < args.size() ? args[++i] : "") : arg.substr(8);
            char* end = nullptr;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || n < 0 || n > kLastImage) {
                err << "pixolat-convert: --image needs a number from 0 to " << kLastImage << "\n";
                return 2;
            }
            options.image = int(n);
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "pixolat-convert: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else {
            options.files.push_back(arg);
        }
    }
    if (options.files.size() != (options.info ? 1u : 2u)) {
        err << kUsage;
        return 2;
    }
    if (options.runnable && (options.info || KindOf(options.files[1]) != FileKind::Prg)) {
        err << "pixolat-convert: --runnable writes a .prg file\n";
        return 2;
    }
    // The store is large; it is reserved only once the arguments are known good.
    auto converter = std::make_unique<Converter>(out, err);
    return converter->Run(options);
}

}  // namespace pixolat
