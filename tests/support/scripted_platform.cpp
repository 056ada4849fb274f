#include "support/scripted_platform.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "document/errors.h"
#include "edit/image_properties.h"
#include "render/rgb_buffer.h"

namespace pixolat::testing {

namespace {
template <class T>
std::optional<T> TakeFront(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> answer = queue.front();
    queue.pop_front();
    return answer;
}
}  // namespace

void ScriptedPlatform::SetStatusText(int panel, const std::string& text) {
    if (panel >= 0 && panel < 4) statusTexts[panel] = text;
}

bool ScriptedPlatform::AskYesNo(const std::string& text) {
    questions.push_back(text);
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

Platform::ExitChoice ScriptedPlatform::AskBeforeExit(const std::string& text) {
    exitQuestions.push_back(text);
    if (exitAnswers.empty()) return ExitChoice::Cancel;
    const ExitChoice answer = exitAnswers.front();
    exitAnswers.pop_front();
    return answer;
}

std::string ScriptedPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) {
    return InputQuery(caption, prompt, initial).value_or(initial);
}

std::optional<std::string> ScriptedPlatform::InputQuery(const std::string& caption,
                                                        const std::string& prompt,
                                                        const std::string& initial) {
    inputPrompts.push_back(caption + ": " + prompt + " [" + initial + "]");
    return TakeFront(inputAnswers);
}

std::optional<std::string> ScriptedPlatform::OpenFileDialog(const FileDialogOptions& options) {
    lastDialogOptions = options;
    return TakeFront(fileDialogAnswers);
}

std::optional<std::string> ScriptedPlatform::SaveFileDialog(const FileDialogOptions& options) {
    lastDialogOptions = options;
    return TakeFront(fileDialogAnswers);
}

std::optional<std::string> ScriptedPlatform::OpenPictureDialog() {
    return TakeFront(fileDialogAnswers);
}

std::string ScriptedPlatform::ShowTextWindow(const std::string& text, TextWindowPurpose,
                                             const std::string& title) {
    textWindows.push_back(text);
    textWindowTitle = title;
    if (textWindowAnswers.empty()) return text;
    std::string answer = textWindowAnswers.front();
    textWindowAnswers.pop_front();
    return answer;
}

int32_t ScriptedPlatform::ReadSettingInt(const std::string& name) {
    auto it = settings.find(name);
    if (it == settings.end()) throw Error("Invalid data type for '" + name + "'");
    try {
        std::size_t used = 0;
        const long long value = std::stoll(it->second, &used);
        if (used != it->second.size() || value < INT32_MIN || value > INT32_MAX) throw 0;
        return int32_t(value);
    } catch (...) {
        throw Error("Invalid data type for '" + name + "'");
    }
}

std::string ScriptedPlatform::ReadSettingText(const std::string& name) {
    auto it = settings.find(name);
    return it == settings.end() ? std::string() : it->second;
}

void ScriptedPlatform::WriteSettingInt(const std::string& name, int32_t value) {
    WriteSettingText(name, std::to_string(value));
}

void ScriptedPlatform::WriteSettingText(const std::string& name, const std::string& value) {
    if (!settingsWritable) throw Error("Cannot write the settings.");
    settings[name] = value;
}

bool ScriptedPlatform::FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::vector<uint8_t> ScriptedPlatform::ReadFile(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    std::ifstream in(path, std::ios::binary);
    if (std::filesystem::is_directory(path, ec) || !in)
        throw Error("Cannot open file \"" + path + "\".");
    std::vector<uint8_t> bytes;
    char piece[4096];
    while (bytes.size() < maxBytes && in) {
        in.read(piece, std::streamsize(std::min(sizeof piece, maxBytes - bytes.size())));
        bytes.insert(bytes.end(), piece, piece + in.gcount());
    }
    return bytes;
}

bool ScriptedPlatform::ReadFileInPieces(const std::string& path, std::size_t maxBytes,
                                        const std::function<void(std::string_view)>& piece) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec))
        throw Error("Cannot open file \"" + path + "\". It is not a regular file.");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("Cannot open file \"" + path + "\".");
    std::vector<char> buffer(pieceBytes);
    std::size_t total = 0;
    while (in) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        const std::size_t read = std::size_t(in.gcount());
        const std::size_t n = std::min(read, maxBytes - total);
        if (n > 0) piece(std::string_view(buffer.data(), n));
        total += n;
        if (n < read) return false;
    }
    return true;
}

void ScriptedPlatform::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw Error("Cannot create file \"" + path + "\".");
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            throw Error("Cannot write file \"" + path + "\".");
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw Error("Cannot create file \"" + path + "\".");
    }
}

std::string ScriptedPlatform::PictureTypeOf(const std::vector<uint8_t>& head) {
    const auto begins = [&head](std::string_view magic) {
        return head.size() >= magic.size() &&
               std::equal(magic.begin(), magic.end(), head.begin(),
                          [](char m, uint8_t b) { return uint8_t(m) == b; });
    };
    if (begins("BM")) return "bmp";
    if (begins("\x89PNG\r\n\x1A\n")) return "png";
    return {};
}

Picture ScriptedPlatform::LoadPicture(const std::string& path) {
    auto it = pictures.find(path);
    if (it == pictures.end()) throw Error("Cannot open picture \"" + path + "\".");
    return it->second;
}

void ScriptedPlatform::SavePictureAsBitmap(const std::string& path, const Picture& picture) {
    savedBitmaps[path] = picture;
    pictures[path] = picture;  // and loads back, as a saved file does
}

int ScriptedPlatform::TextWidth(const std::string& text) {
    return int(text.size()) * textCharWidth;
}

void ScriptedPlatform::DrawText(PixelTarget target, int x, int y, const std::string& text,
                                uint32_t color) {
    const int width = TextWidth(text);
    for (int row = y; row < y + 8; ++row)
        for (int col = x; col < x + width; ++col)
            if (col >= 0 && row >= 0 && col < target.width && row < target.height)
                target.pixels[std::size_t(row) * std::size_t(target.width) + std::size_t(col)] =
                    color;
}

void ScriptedPlatform::ShowHelpTopic(const std::string& helpFile, const std::string& topic) {
    helpRequests.push_back(helpFile + "#" + topic);
}

void ScriptedPlatform::ShowHelpContext(const std::string& helpFile, int context) {
    helpRequests.push_back(helpFile + "#" + std::to_string(context));
}

bool ScriptedPlatform::ShowImageProperties(ImagePropertiesDialog& dialog) {
    ++propertiesOpenings;
    dialog.FormActivate();
    return propertiesScript ? propertiesScript(dialog) : false;
}

}  // namespace pixolat::testing
