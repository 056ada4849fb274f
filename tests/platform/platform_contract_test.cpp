// The scripted platform the core tests use keeps the same contract as the
// real one (the window tests run the same checks on it).
#include "support/platform_contract.h"

#include <gtest/gtest.h>

#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace pixolat::testing {
namespace {

TEST(PlatformContract, TheScriptedPlatformKeepsIt) {
    TempFolder folder;
    ScriptedPlatform* current = nullptr;
    PlatformUnderTest under;
    under.folder = folder.path();
    under.start = [&] {
        auto platform = std::make_unique<ScriptedPlatform>();
        platform->dataFolder = folder.path() + "/data";
        std::filesystem::create_directories(platform->dataFolder);
        platform->tickCount = 0xFFFFFFF0;  // a counter about to wrap
        platform->unixTime = std::time(nullptr);
        current = platform.get();
        return platform;
    };
    under.restart = [&](Platform& previous) {
        std::unique_ptr<Platform> platform = under.start();
        static_cast<ScriptedPlatform&>(*platform).settings =
            static_cast<ScriptedPlatform&>(previous).settings;
        return platform;
    };
    under.wait = [&](unsigned ms) { current->tickCount += ms; };
    under.clipboardPicture = [](Platform& platform) -> std::optional<Picture> {
        auto& scripted = static_cast<ScriptedPlatform&>(platform);
        if (scripted.clipboard.empty()) return std::nullopt;
        return scripted.clipboard.back();
    };
    for (const ContractCheck& check : PlatformContract()) {
        SCOPED_TRACE(check.name);
        for (const std::string& fault : check.run(under)) ADD_FAILURE() << fault;
    }
}

}  // namespace
}  // namespace pixolat::testing
