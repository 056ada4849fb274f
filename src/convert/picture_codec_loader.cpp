#include "convert/picture_codec_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "app/picture/picture_codec_module.h"
#include "document/errors.h"

namespace pixolat {

namespace {

const std::string kCannot = "pictures cannot be read or written: ";

// The folder of the running program, with a slash at its end; empty when
// the system does not tell.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || std::size_t(length) >= sizeof path) return {};
    const std::string program(path, std::size_t(length));
    return program.substr(0, program.find_last_of('/') + 1);
}

// Beside the program first: a build folder holds both, and a program run
// from it must not pick up an installed module of another build.
std::vector<std::string> ModulePlaces() {
    const std::string folder = ProgramFolder();
    if (folder.empty()) return {};
    const std::filesystem::path installed =
        std::filesystem::path(folder) / PIXOLAT_CODEC_MODULE_FROM_PROGRAM / kPictureCodecModuleFile;
    return {folder + kPictureCodecModuleFile, installed.lexically_normal().string()};
}

std::string ModuleWhere(const std::vector<std::string>& places) {
    std::string where;
    for (const std::string& place : places) where += (where.empty() ? "" : " nor ") + place;
    return where.empty() ? "the program's folder is unknown" : "neither " + where + " exists";
}

const PictureCodecCalls& OpenModule() {
    const std::vector<std::string> places = ModulePlaces();
    for (const std::string& place : places) {
        if (::access(place.c_str(), F_OK) != 0) continue;
        // Kept open until the process ends: the toolkit's own clean-up at
        // exit runs code of the module.
        void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            // The loader's reason starts with the path, which the message names already.
            const char* reason = ::dlerror();
            std::string why = reason ? reason : "no reason given";
            if (why.starts_with(place + ": ")) why.erase(0, place.size() + 2);
            throw Error(kCannot + "the picture codec " + place + " does not load (" + why + ")");
        }
        const auto entry =
            reinterpret_cast<PictureCodecEntry>(::dlsym(module, kPictureCodecModuleEntry));
        const PictureCodecCalls* calls = entry ? entry() : nullptr;
        if (!calls || calls->version != kPictureCodecModuleVersion ||
            calls->size != sizeof(PictureCodecCalls) || !calls->release ||
            std::strcmp(calls->release, PIXOLAT_VERSION) != 0 || !calls->readPictureFile ||
            !calls->canReadPictureType || !calls->encodePictureFile)
            throw Error(kCannot + place + " is not the picture codec of pixolat-convert " +
                        PIXOLAT_VERSION);
        return *calls;
    }
    throw Error(kCannot + "the picture codec " + kPictureCodecModuleFile + " is not installed (" +
                ModuleWhere(places) + ")");
}

// Opened once; a failure is tried again at the next call.
const PictureCodecCalls& Codec() {
    static const PictureCodecCalls& calls = OpenModule();
    return calls;
}

}  // namespace

Picture CodecReadPicture(const std::string& path, int maxWidth, int maxHeight,
                         PictureSize* fullSize) {
    Picture picture;
    PictureSize size;
    std::string error;
    Codec().readPictureFile(path, maxWidth, maxHeight, picture, size, error);
    if (!error.empty()) throw Error(error);
    if (fullSize) *fullSize = size;
    return picture;
}

bool CodecCanReadPictureType(const std::string& extension) {
    return Codec().canReadPictureType(extension);
}

bool CodecIsPicture(std::span<const uint8_t> head) {
    return Codec().isPicture(head.data(), head.size());
}

std::vector<uint8_t> CodecEncodePicture(const Picture& picture, PictureFileType type) {
    std::vector<uint8_t> bytes;
    std::string error;
    Codec().encodePictureFile(picture, type, bytes, error);
    if (!error.empty()) throw Error(error);
    return bytes;
}

}  // namespace pixolat
