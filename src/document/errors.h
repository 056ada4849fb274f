#pragma once
// Failures of file, picture and number operations. The text is what the user
// sees: commands let it unwind to the editor's dispatch point, which shows it
// in a message box and keeps running.
#include <stdexcept>
#include <string>

namespace pixolat {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace pixolat
