#include "convert/picture_codec_loader.h"

#include <dlfcn.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/picture/picture_codec_module.h"
#include "document/errors.h"

namespace pixolat {

namespace {

const std::string kCannot = "pictures cannot be read or written: ";
// The Debian package that installs the module.
constexpr char kPictureCodecPackage[] = "pixolat-picture-codec";

// The folder of the running program, with a slash at its end; empty when
// it cannot be told. The path it was started by comes from the kernel's
// start-up data, so no /proc is needed (a chroot or a container may lack it).
std::string ProgramFolder() {
    const auto started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    if (!started) return {};
    char* real = ::realpath(started, nullptr);
    if (!real) return {};
    const std::string program(real);
    std::free(real);
    return program.substr(0, program.find_last_of('/') + 1);
}

// Beside the program first: a build folder holds both, and a program run
// from it must not pick up an installed module of another build. Then the
// library folder relative to the program (an installed tree moved to another
// prefix) and the one it was built for.
std::vector<std::string> ModulePlaces() {
    std::vector<std::string> places;
    const auto add = [&places](const std::filesystem::path& place) {
        const std::string normal = place.lexically_normal().string();
        if (std::find(places.begin(), places.end(), normal) == places.end())
            places.push_back(normal);
    };
    const std::string folder = ProgramFolder();
    if (!folder.empty()) {
        add(std::filesystem::path(folder) / kPictureCodecModuleFile);
        add(std::filesystem::path(folder) / PIXOLAT_CODEC_MODULE_FROM_PROGRAM /
            kPictureCodecModuleFile);
    }
    add(std::filesystem::path(PIXOLAT_CODEC_MODULE_INSTALLED) / kPictureCodecModuleFile);
    return places;
}

std::string ModuleWhere(const std::vector<std::string>& places) {
    std::string where;
    for (const std::string& place : places) where += (where.empty() ? "" : " nor ") + place;
    return places.size() == 1 ? where + " does not exist" : "neither " + where + " exists";
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
                ModuleWhere(places) + "); install the package " + kPictureCodecPackage);
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
