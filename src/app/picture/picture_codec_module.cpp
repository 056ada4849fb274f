#include "app/picture/picture_codec_module.h"

#include <QCoreApplication>
#include <QStringList>
#include <exception>
#include <new>
#include <optional>

#include "document/errors.h"

namespace pixolat {

namespace {

// PNG and BMP are written by handlers built into QtGui, yet a writer first
// loads every image plugin (and the libraries they need) to ask whether one
// of them would rather write the type: a good part of a whole .prg to .png
// conversion. Until a picture is read the plugins are left out; the first
// read brings them back. A converter writes after it reads, never before.
class PluginsHeldBack {
public:
    void HoldBack() {
        if (read_ || saved_) return;
        saved_ = QCoreApplication::libraryPaths();
        QCoreApplication::setLibraryPaths({});
    }
    void BeforeRead() {
        read_ = true;
        if (!saved_) return;
        QCoreApplication::setLibraryPaths(*saved_);
        saved_.reset();
    }

private:
    bool read_ = false;
    std::optional<QStringList> saved_;
};

PluginsHeldBack& Plugins() {
    static PluginsHeldBack plugins;
    return plugins;
}

// The text the converter's own catch blocks would have made of a failure;
// never empty after one, since empty means done.
template <typename Call>
void Guarded(std::string& error, Call call) {
    error.clear();
    try {
        call();
        return;
    } catch (const Error& e) {
        error = e.text();
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
    }
    if (error.empty()) error = "unexpected failure in the picture codec";
}

void ReadCall(const std::string& path, int maxWidth, int maxHeight, Picture& picture,
              PictureSize& fullSize, std::string& error) {
    Guarded(error, [&] {
        Plugins().BeforeRead();
        picture = ReadPictureFile(path, maxWidth, maxHeight, &fullSize);
    });
}

bool CanReadCall(const std::string& extension) {
    try {
        Plugins().BeforeRead();
        return CanReadPictureType(extension);
    } catch (...) {
        return false;
    }
}

bool IsPictureCall(const uint8_t* bytes, std::size_t size) {
    try {
        Plugins().BeforeRead();
        return !PictureTypeOf(std::span(bytes, size)).empty();
    } catch (...) {
        return false;
    }
}

void EncodeCall(const Picture& picture, PictureFileType type, std::vector<uint8_t>& bytes,
                std::string& error) {
    Guarded(error, [&] {
        Plugins().HoldBack();
        bytes = EncodePictureFile(picture, type);
    });
}

const PictureCodecCalls kCalls{.release = PIXOLAT_VERSION,
                               .readPictureFile = ReadCall,
                               .canReadPictureType = CanReadCall,
                               .encodePictureFile = EncodeCall,
                               .isPicture = IsPictureCall};

}  // namespace

}  // namespace pixolat

extern "C" __attribute__((visibility("default"))) const pixolat::PictureCodecCalls*
PixolatPictureCodecCalls() {
    return &pixolat::kCalls;
}
