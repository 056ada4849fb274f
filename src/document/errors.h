#pragma once
// Failures of file, picture and number operations. The text is what the user
// sees: commands let it unwind to the editor's dispatch point, which shows it
// in a message box and keeps running.
#include <stdexcept>
#include <string>

namespace pixolat {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text), text_(text) {}
    // The whole text, also past a NUL byte, where what() would stop.
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace pixolat
