#include "support/platform_contract.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace pixolat::testing {

namespace {

using Faults = std::vector<std::string>;

std::vector<uint8_t> Pattern(std::size_t n, unsigned seed) {
    std::vector<uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = uint8_t(i * 7 + seed + i / 251);
    return bytes;
}

// The error text of the call, or "" when it does not throw.
template <class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what()[0] ? e.what() : "(an error without text)";
    }
    return "";
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `call` with files limited to `bytes`: a write past it fails with
// EFBIG, as on a full disk, and that holds even for root.
template <class Call>
void WithFileSizeLimit(rlim_t bytes, Call call) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    call();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}

Faults TickCountFollowsRealTime(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    for (int round = 0; round < 3; ++round) {
        const uint32_t before = platform->TickCount();
        under.wait(50);
        const uint32_t passed = platform->TickCount() - before;  // wraps like the counter
        if (passed < 45 || passed > 200)
            faults.push_back("50 ms of waiting showed as " + std::to_string(passed) + " ms");
    }
    const int64_t skew = platform->UnixTime() - int64_t(std::time(nullptr));
    if (skew < -2 || skew > 2)
        faults.push_back("the wall clock is " + std::to_string(skew) + " s off the system's");
    return faults;
}

Faults DataFolderIsWritableAndKept(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    const std::string folder = platform->DataFolder();
    if (folder.empty()) return {"there is no data folder"};
    const std::string path = folder + "/contract-check.bin";
    const auto bytes = Pattern(3000, 1);
    if (auto e = ErrorOf([&] { platform->WriteFile(path, bytes); }); !e.empty())
        return {"the data folder cannot be written: " + e};
    auto next = under.restart(*platform);
    platform.reset();
    if (next->DataFolder() != folder)
        faults.push_back("the next start's data folder is \"" + next->DataFolder() + "\", not \"" +
                         folder + "\"");
    else if (next->ReadFile(path, 1 << 20) != bytes)
        faults.push_back("the file in the data folder changed across a restart");
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return faults;
}

Faults WritesReplaceTheWholeFileOrNothing(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    const std::string folder = under.folder + "/writes";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/picture.prg";
    for (const std::size_t size : {std::size_t(10050), std::size_t(3), std::size_t(0)}) {
        const auto bytes = Pattern(size, unsigned(size));
        platform->WriteFile(path, bytes);
        if (platform->ReadFile(path, 1 << 20) != bytes)
            faults.push_back("a file of " + std::to_string(size) + " bytes did not read back");
    }
    const auto old = Pattern(100, 5);
    platform->WriteFile(path, old);
    std::string error;
    WithFileSizeLimit(64 * 1024, [&] {
        error = ErrorOf([&] { platform->WriteFile(path, Pattern(200 * 1024, 9)); });
    });
    if (error.empty()) faults.push_back("a write the disk could not hold was reported as done");
    if (platform->ReadFile(path, 1 << 20) != old)
        faults.push_back("a failed write changed the file it was to replace");
    if (FilesIn(folder) != std::vector<std::string>{"picture.prg"})
        faults.push_back("a failed write left files behind");

    const std::string missing = folder + "/no/such/folder/picture.prg";
    if (ErrorOf([&] { platform->WriteFile(missing, old); }).empty())
        faults.push_back("a write into a missing folder was reported as done");
    if (ErrorOf([&] { platform->WriteFile(folder, old); }).empty() ||
        !std::filesystem::is_directory(folder))
        faults.push_back("a write over a folder was not refused");
    return faults;
}

Faults NewFilesAreOursAloneAndLocksExclude(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    auto other = under.start();  // another running program
    const std::string folder = under.folder + "/names";
    std::filesystem::create_directories(folder);
    const std::string name = folder + "/session.asm";
    if (!platform->CreateNewFile(name) || std::filesystem::file_size(name) != 0)
        faults.push_back("a free name was not taken as an empty file");
    if (other->CreateNewFile(name)) faults.push_back("a taken name was taken again");
    const std::string target = folder + "/elsewhere";
    std::ofstream(target) << "kept";
    std::filesystem::create_symlink(target, folder + "/planted.asm");
    std::filesystem::create_symlink(folder + "/nothing", folder + "/dangling.asm");
    if (platform->CreateNewFile(folder + "/planted.asm") ||
        platform->CreateNewFile(folder + "/dangling.asm") ||
        std::filesystem::file_size(target) != 4 || std::filesystem::exists(folder + "/nothing"))
        faults.push_back("a name held by a link was taken through the link");
    if (ErrorOf([&] { platform->CreateNewFile(folder + "/no/such/file"); }).empty())
        faults.push_back("a name in a missing folder was not an error");

    const std::string lockPath = folder + "/session.lock";
    auto held = platform->TryLock(lockPath);
    if (!held) faults.push_back("a free lock could not be had");
    if (other->TryLock(lockPath) || platform->TryLock(lockPath))
        faults.push_back("a held lock was had twice");
    held.reset();
    if (!other->TryLock(lockPath)) faults.push_back("a released lock could not be had again");
    return faults;
}

Faults ReadsStopAtTheLimitAndRefuseWhatIsNoFile(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    const std::string folder = under.folder + "/reads";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/big.bin";
    const auto bytes = Pattern(70000, 3);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    if (platform->ReadFile(path, 10) != std::vector<uint8_t>(bytes.begin(), bytes.begin() + 10))
        faults.push_back("ReadFile did not stop at its limit");
    if (platform->ReadFile(path, SIZE_MAX) != bytes)
        faults.push_back("ReadFile did not read the whole file");
    for (const std::size_t limit : {std::size_t(65537), std::size_t(70000), SIZE_MAX}) {
        std::vector<uint8_t> got;
        const bool whole = platform->ReadFileInPieces(path, limit, [&](std::string_view piece) {
            got.insert(got.end(), piece.begin(), piece.end());
        });
        const std::size_t expected = std::min(limit, bytes.size());
        if (whole != (limit >= bytes.size()) ||
            got != std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(expected)))
            faults.push_back("the pieces up to " + std::to_string(limit) +
                             " bytes were not the file's bytes in order");
    }
    const std::string pipe = folder + "/pipe";
    mkfifo(pipe.c_str(), 0600);
    if (ErrorOf([&] { platform->ReadFileInPieces(pipe, 100, [](std::string_view) {}); }).empty())
        faults.push_back("a pipe was read instead of refused");
    if (ErrorOf([&] { platform->ReadFile(folder, 100); }).empty())
        faults.push_back("a folder was read instead of refused");
    if (!platform->FileExists(path) || platform->FileExists(folder) ||
        platform->FileExists(folder + "/gone.prg"))
        faults.push_back("FileExists does not tell files from folders and missing files");
    return faults;
}

Faults SettingsRoundTripAndOutliveTheProgram(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    const std::string text = "/home/u/pic, \"1\" = 2;\u00e9.prg";
    platform->WriteSettingInt("Zoom", 17);
    platform->WriteSettingInt("WindowLeft", -240);
    platform->WriteSettingText("MRU1", text);
    platform->WriteSettingText("Grid", "abc");
    auto check = [&](Platform& p, const char* when) {
        const std::string at = std::string(" ") + when;
        if (!p.SettingExists("Zoom") || p.ReadSettingInt("Zoom") != 17 ||
            p.ReadSettingInt("WindowLeft") != -240)
            faults.push_back("numbers did not read back" + at);
        if (p.ReadSettingText("MRU1") != text) faults.push_back("a text did not read back" + at);
        if (ErrorOf([&] { p.ReadSettingInt("Grid"); }).empty())
            faults.push_back("a text read as a number" + at);
        if (p.SettingExists("MRU4") || !p.ReadSettingText("MRU4").empty() ||
            ErrorOf([&] { p.ReadSettingInt("MRU4"); }).empty())
            faults.push_back("a missing setting did not read as missing" + at);
    };
    check(*platform, "at once");
    auto next = under.restart(*platform);
    platform.reset();
    check(*next, "at the next start");
    return faults;
}

Faults ClipboardAndDialogFolderKeepWhatWasPut(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    Picture picture;
    picture.width = 3;
    picture.height = 2;
    picture.pixels = {MakeRgbColor(255, 0, 0), MakeRgbColor(0, 255, 0),     MakeRgbColor(0, 0, 255),
                      MakeRgbColor(1, 2, 3),   MakeRgbColor(250, 251, 252), 0};
    platform->CopyPictureToClipboard(picture);
    const std::optional<Picture> got = under.clipboardPicture(*platform);
    if (!got || got->width != 3 || got->height != 2 || got->pixels != picture.pixels)
        faults.push_back("the clipboard did not give back the picture put on it");
    platform->SetDialogFolder(under.folder);
    if (platform->DialogFolder() != under.folder)
        faults.push_back("the dialogs' folder is not the one last set");

    const std::string bitmap = under.folder + "/picture.bmp";
    platform->SavePictureAsBitmap(bitmap, picture);
    const Picture loaded = platform->LoadPicture(bitmap);
    if (loaded.width != 3 || loaded.height != 2 || loaded.pixels != picture.pixels)
        faults.push_back("a picture saved as a bitmap did not load back with its colors");
    return faults;
}

Faults TextStaysInsideItsTarget(PlatformUnderTest& under) {
    Faults faults;
    auto platform = under.start();
    if (!(platform->TextWidth("MM") > platform->TextWidth("M") && platform->TextWidth("M") > 0))
        faults.push_back("text widths do not grow with the text");
    std::vector<uint32_t> pixels(40 * 16, 0xFF000000);
    platform->DrawText({pixels.data(), 40, 16}, 2, 1, "$7F", 0xFFFFFFFF);
    if (std::count(pixels.begin(), pixels.end(), 0xFF000000u) == long(pixels.size()))
        faults.push_back("text drawn inside the target left no mark");
    std::fill(pixels.begin(), pixels.end(), 0xFF000000);
    platform->DrawText({pixels.data(), 40, 16}, 45, 1, "$7F", 0xFFFFFFFF);
    platform->DrawText({pixels.data(), 40, 16}, 2, 30, "$7F", 0xFFFFFFFF);
    if (std::count(pixels.begin(), pixels.end(), 0xFF000000u) != long(pixels.size()))
        faults.push_back("text drawn outside the target marked it");
    return faults;
}

}  // namespace

const std::vector<ContractCheck>& PlatformContract() {
    static const std::vector<ContractCheck> checks = {
        {"the tick count follows real time", TickCountFollowsRealTime},
        {"the data folder is writable and kept across a restart", DataFolderIsWritableAndKept},
        {"a write replaces the whole file or nothing", WritesReplaceTheWholeFileOrNothing},
        {"new files are the program's alone and locks exclude",
         NewFilesAreOursAloneAndLocksExclude},
        {"reads stop at the limit and refuse what is no file",
         ReadsStopAtTheLimitAndRefuseWhatIsNoFile},
        {"settings round-trip and outlive the program", SettingsRoundTripAndOutliveTheProgram},
        {"the clipboard and the dialogs' folder keep what was put",
         ClipboardAndDialogFolderKeepWhatWasPut},
        {"text stays inside its target", TextStaysInsideItsTarget},
    };
    return checks;
}

}  // namespace pixolat::testing
