#include "convert/converter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <ostream>

#include "conversion/picture_conversion.h"
#include "convert/messages.h"
#include "convert/options.h"
#include "convert/output_file.h"
#include "convert/picture_codec_loader.h"
#include "document/colors.h"
#include "document/errors.h"
#include "document/pixels.h"
#include "formats/picture_export.h"
#include "formats/picture_import.h"
#include "formats/prg_format.h"
#include "formats/prg_layouts.h"
#include "formats/prg_parts.h"
#include "formats/runnable_prg.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

// The codec's decode budget, not this, is what limits a converted picture.
constexpr int kMaxConvertedPictureSide = 1 << 16;

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

class Converter {
public:
    Converter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
        BuildRgbTable(state_.rgbTable);
        SetUpDefaultImage(store_);
    }

    void Run(const Options& options) {
        if (options.info) return Info(options.files[0], options.multicolor);
        if (options.convert)
            ConvertInto(options.files[0], options);
        else
            Read(options.files[0], options.multicolor);
        if (options.runnable) {
            const Image& image = Chosen(options.files[0], options.image);
            WriteWholeFile(options.files[1], EncodeRunnablePrg(image));
            const std::vector<std::string> lost = PrgLeftOut(image, RunnablePrgLayout(image));
            if (!lost.empty()) Warn(options.files[1] + ": " + LeftOutText(lost));
        } else if (options.parts) {
            WriteParts(options.files[1], Chosen(options.files[0], options.image),
                       options.partAddresses);
        } else {
            Write(options.files[1], options.files[0], options);
        }
    }

private:
    // Reads the input into the store the way the editor would.
    void Read(const std::string& path, bool multicolor) {
        switch (InputKindOf(path)) {
            case FileKind::Prg:
                ReadPrg(path, ReadFileStart(path, kPrgReadLimit));
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

    PrgFormat ReadPrg(const std::string& path, const std::vector<uint8_t>& bytes) {
        const PrgFormat format = DecodePrg(bytes, store_.image(0));
        if (format == PrgFormat::Unknown) throw Error(path + ": Could not determine PRG format.");
        inputFormat_ = format;
        NormalizeCurrentImage(store_, state_);
        return format;
    }

    // From image 0 on, one image for each section of the text (each at its
    // own index when the text is a source file with its "//@" lines). The
    // text is read in pieces as it comes; a file past the limit is refused,
    // never cut.
    SourceLoadResult ReadSource(const std::string& path) {
        state_.currentImage = 0;
        SourceLoadResult result;
        {
            SourceTextReader reader(store_, state_, {}, {.skipByteOrderMark = true});
            const auto read = [&](std::string_view piece) {
                try {
                    reader.Feed(piece);
                } catch (const Error& e) {
                    throw Error(path + ": " + ShownCoreMessage(e.text()));
                }
            };
            ReadFileInPieces(path, kSourceFileLimit, "2 GiB", read);
            try {
                result = reader.Finish();
            } catch (const Error& e) {
                throw Error(path + ": " + ShownCoreMessage(e.text()));
            }
        }
        if (result.values == 0) throw Error(path + " holds no image data");
        if (result.truncated)
            Warn(path + ": the store holds 257 images; " + std::to_string(result.droppedSections) +
                 " sections after the 257th were dropped");
        NormalizeCurrentImage(store_, state_);
        return result;
    }

    // Into the default 320 x 200 image, enlarged to the picture as the editor
    // does when the user answers Yes.
    PictureSize ReadPicture(const std::string& path, bool multicolor) {
        PictureSize size;
        const Picture picture = CodecReadPicture(path, kPlaneWidth, kPlaneHeight, &size);
        Image& image = store_.image(0);
        image.desc.pixelWidth = multicolor ? 2 : 1;
        const PictureArea area = PictureImportArea(picture);
        if (image.desc.width < area.width || image.desc.height < area.height) {
            image.desc.width = area.width;
            image.desc.height = area.height;
        }
        ImportPicturePixels(picture, image);
        if (!picture.damage.empty()) Warn(picture.damage);
        const int values = multicolor ? 4 : 2;
        if (PictureHasMoreColors(picture, std::size_t(values)))
            Warn(path + " has more colors than " + std::to_string(values) +
                 " pixel values: each pixel's value was read from bits of its red; "
                 "--convert matches its colors");
        return size;
    }

    // A true-color picture, whole, converted into image 0. The codec refuses
    // a picture too large to decode as the editor's import does.
    void ConvertInto(const std::string& path, const Options& options) {
        const Picture picture =
            CodecReadPicture(path, kMaxConvertedPictureSide, kMaxConvertedPictureSide);
        ConversionOptions conversion = options.conversion;
        conversion.multicolor = conversion.multicolor || options.multicolor;
        auto result = std::make_unique<ConvertedImage>();
        ConvertPicture(picture, conversion, *result);
        StoreConvertedImage(result->image(), store_.image(0));
        NormalizeCurrentImage(store_, state_);
    }

    const Image& Chosen(const std::string& input, int index) const {
        const Image& image = store_.image(index);
        if (image.desc.width <= 0 || image.desc.height <= 0)
            throw Error(input + ": image " + std::to_string(index) + " is empty");
        return image;
    }

    // Every part and the all-parts file; addresses that overlap write nothing.
    void WriteParts(const std::string& base, const Image& image, const PartAddresses& addresses) {
        const std::vector<MemoryPart> parts = ImageParts(image, addresses);
        const std::vector<uint8_t> all = AllPartsPrg(parts);
        for (const MemoryPart& part : parts)
            WriteWholeFile(PartFileName(base, part.name, addresses.raw),
                           PartFileBytes(part, addresses.raw));
        WriteWholeFile(PartFileName(base, "all", addresses.raw), all);
    }

    void Write(const std::string& path, const std::string& input, const Options& options) {
        const int index = options.image;
        switch (OutputKindOf(path)) {
            case FileKind::Prg: {
                const Image& image = Chosen(input, index);
                // A character set read from a .prg is one, in the order it had.
                const bool charsetInput = inputFormat_ == PrgFormat::CharsetRows ||
                                          inputFormat_ == PrgFormat::CharsetColumns;
                const PrgLayout layout = options.layoutGiven ? options.layout
                                         : charsetInput      ? PrgLayout::Charset
                                                             : KeepingPrgLayout(image);
                WriteWholeFile(
                    path, layout == PrgLayout::Charset && charsetInput
                              ? EncodeCharsetPrg(image, inputFormat_ == PrgFormat::CharsetColumns)
                              : EncodePrgLayout(image, layout));
                const std::vector<std::string> lost = PrgLeftOut(image, layout);
                if (!lost.empty()) Warn(path + ": " + LeftOutText(lost));
                break;
            }
            case FileKind::Picture: {
                const Picture picture = RenderImage(Chosen(input, index), state_.rgbTable);
                WriteWholeFile(path, CodecEncodePicture(picture, Extension(path) == ".png"
                                                                     ? PictureFileType::Png
                                                                     : PictureFileType::Bmp));
                break;
            }
            case FileKind::Source: {
                WriteWholeFile(path, SourceFileBytes(store_, state_.currentImage, options.syntax));
                break;
            }
            default:
                throw Error(path + ": unknown kind of output file (see --help)");
        }
    }

    void Info(const std::string& path, bool multicolor) {
        const std::string shown = EscapeControls(path);
        switch (InputKindOf(path)) {
            case FileKind::Prg: {
                const std::vector<uint8_t> bytes = ReadFileStart(path, kPrgReadLimit);
                const PrgFormat format = ReadPrg(path, bytes);
                char load[8];
                std::snprintf(load, sizeof load, "$%04X", bytes[0] + 256 * bytes[1]);
                out_ << shown << ": PRG format " << int(format) << " (" << PrgFormatName(format)
                     << "), load address " << load << ", " << bytes.size()
                     << (bytes.size() == kPrgReadLimit ? " bytes or more" : " bytes") << "\n";
                out_ << "image 0: " << Describe(store_.image(0)) << "\n";
                break;
            }
            case FileKind::Picture: {
                const PictureSize size = ReadPicture(path, multicolor);
                out_ << shown << ": picture, " << size.width << " x " << size.height << "\n";
                out_ << "image 0: " << Describe(store_.image(0)) << "\n";
                break;
            }
            case FileKind::Source: {
                const SourceLoadResult result = ReadSource(path);
                out_ << shown << ": source text, " << result.sections
                     << (result.sections == 1 ? " image" : " images")
                     << (result.truncated ? " (sections past image 256 dropped)" : "") << "\n";
                for (int i = 0; i < kImageCount; ++i) {
                    const Image& image = store_.image(i);
                    if (image.desc.width > 0 && image.desc.height > 0)
                        out_ << "image " << i << ": " << Describe(image)
                             << (image.desc.name.empty()
                                     ? ""
                                     : ", \"" + EscapeControls(image.desc.name) + "\"")
                             << "\n";
                }
                break;
            }
            default:
                throw Error(path + ": unknown kind of file (see --help)");
        }
    }

    void Warn(const std::string& text) {
        err_ << "pixolat-convert: warning: " << EscapeControls(text) << "\n";
    }

    std::ostream& out_;
    std::ostream& err_;
    PrgFormat inputFormat_ = PrgFormat::Unknown;
    ImageStore store_;
    EditorState state_;
};

void Report(std::ostream& err, const std::string& text) {
    err << "pixolat-convert: " << EscapeControls(text) << "\n";
}

// Everything written to stdout must have arrived: a full disk or a closed
// pipe is a failure, not a success with a cut report.
void CheckOutput(std::ostream& out) {
    errno = 0;
    out.flush();
    if (!out)
        throw Error(std::string("cannot write the standard output: ") +
                    std::strerror(errno != 0 ? errno : EIO));
}

int Convert(const Options& options, std::ostream& out, std::ostream& err) {
    // The store is large; it is reserved only once the arguments are known good.
    auto converter = std::make_unique<Converter>(out, err);
    converter->Run(options);
    CheckOutput(out);
    return 0;
}

}  // namespace

int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const ParsedOptions parsed = ParseOptions(args);
        if (!parsed.usageError.empty()) {
            Report(err, parsed.usageError);
            err << "Try 'pixolat-convert --help'.\n";
            return 2;
        }
        if (parsed.options.help || parsed.options.version) {
            if (parsed.options.help)
                out << UsageText();
            else
                out << "pixolat-convert " << PIXOLAT_VERSION << "\n";
            CheckOutput(out);
            return 0;
        }
        return Convert(parsed.options, out, err);
    } catch (const Error& e) {
        Report(err, e.text());
    } catch (const std::bad_alloc&) {
        Report(err, "out of memory");
    } catch (const std::exception& e) {
        Report(err, e.what());
    } catch (...) {
        Report(err, "unexpected failure");
    }
    return 1;
}

}  // namespace pixolat
