#pragma once
// What the editor relies on from every platform, written once and run
// against each implementation: the scripted one the core tests use and the
// one the program runs on. A check returns the faults it found as texts.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pixolat::testing {

struct PlatformUnderTest {
    // A new instance of the platform, as at a program start.
    std::function<std::unique_ptr<Platform>()> start;
    // The next program start after `previous` ended: the same user, settings
    // and data folder.
    std::function<std::unique_ptr<Platform>(Platform& previous)> restart;
    // Lets `ms` milliseconds of the platform's time pass.
    std::function<void(unsigned ms)> wait;
    // The picture on the clipboard, if there is one.
    std::function<std::optional<Picture>(Platform&)> clipboardPicture;
    // A folder of its own for the check's files.
    std::string folder;
};

struct ContractCheck {
    const char* name;
    std::function<std::vector<std::string>(PlatformUnderTest&)> run;
};

const std::vector<ContractCheck>& PlatformContract();

}  // namespace pixolat::testing
