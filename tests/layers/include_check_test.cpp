// The build's include check against the layer table: runs the check the way
// the build does, on a copy of the table with one file that includes what the
// case names.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct CheckResult {
    bool passed = false;
    std::string output;
};

// The check's output goes to `log`, outside the checked tree.
CheckResult RunCheck(const fs::path& root, const std::string& layer, const fs::path& log) {
    const std::string command = std::string("\"") + PIXOLAT_CMAKE + "\" -DLAYER=" + layer +
                                " -DROOT=\"" + root.string() + "\" -P \"" + PIXOLAT_SOURCE_DIR +
                                "/tools/check_includes.cmake\" > \"" + log.string() + "\" 2>&1";
    CheckResult result;
    result.passed = std::system(command.c_str()) == 0;
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    result.output = text.str();
    return result;
}

class IncludeCheckTest : public ::testing::Test {
protected:
    fs::path root = fs::temp_directory_path() /
                    ("pixolat_include_check_" +
                     std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());

    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(root / "src");
        fs::copy_file(fs::path(PIXOLAT_SOURCE_DIR) / "src/README.md", root / "src/README.md");
    }
    void TearDown() override { fs::remove_all(root); }

    CheckResult CheckOneInclude(const std::string& layer, const std::string& include) {
        fs::create_directories(root / "src" / layer);
        std::ofstream(root / "src" / layer / "probe.h")
            << "#pragma once\n#include " << include << "\n";
        return RunCheck(root, layer, root / "check.log");
    }
};

TEST_F(IncludeCheckTest, EachLayerMayIncludeOnlyWhatItsRowNames) {
    struct Case {
        const char* layer;
        const char* include;
        bool allowed;
    };
    const Case cases[] = {
        // The platform layer sits at the bottom beside document.
        {"platform", "\"document/picture.h\"", true},
        {"platform", "<vector>", true},
        {"platform", "\"edit/editor.h\"", false},
        {"platform", "\"render/rgb_buffer.h\"", false},
        {"platform", "\"mask/mask_processor.h\"", false},
        {"platform", "\"app/qt/qt_platform.h\"", false},
        {"platform", "<QImage>", false},
        // Layers that need little take the narrow interface only.
        {"render", "\"platform/text_painter.h\"", true},
        {"render", "\"platform/platform.h\"", false},
        {"mask", "\"platform/picture_files.h\"", true},
        {"mask", "\"platform/platform.h\"", false},
        {"formats", "\"platform/picture_files.h\"", false},
        {"edit", "\"platform/platform.h\"", true},
        {"document", "\"platform/platform.h\"", false},
        {"edit", "\"app/qt/form_editor.h\"", false},
        // Angle brackets name our folders as much as quotes do.
        {"document", "<edit/editor.h>", false},
        {"formats", "<platform/platform.h>", false},
        {"render", "<document/picture.h>", true},
        {"formats", "<sys/stat.h>", true},
    };
    for (const Case& c : cases) {
        fs::remove_all(root / "src" / c.layer);
        const CheckResult result = CheckOneInclude(c.layer, c.include);
        EXPECT_EQ(result.passed, c.allowed) << c.layer << " " << c.include << "\n" << result.output;
        if (!c.allowed) {
            // The failure names the file and the rule.
            EXPECT_NE(result.output.find(std::string("src/") + c.layer + "/probe.h"),
                      std::string::npos)
                << result.output;
            EXPECT_NE(result.output.find("src/README.md"), std::string::npos) << result.output;
        }
    }
}

// Past the check, the compiler itself: a layer's include root holds only
// what its row names, so an include reaching the wrong way does not compile.
TEST_F(IncludeCheckTest, ALayersIncludeRootHoldsOnlyWhatItMayUse) {
    struct Case {
        const char* layer;
        const char* include;
        bool compiles;
    };
    const Case cases[] = {
        {"document", "<document/picture.h>", true}, {"document", "<edit/editor.h>", false},
        {"document", "\"render/canvas.h\"", false}, {"render", "<platform/text_painter.h>", true},
        {"render", "<platform/platform.h>", false}, {"formats", "<render/view.h>", false},
        {"edit", "<render/view.h>", true},          {"edit", "<mask/mask_processor.h>", false},
    };
    for (const Case& c : cases) {
        const fs::path probe = root / "probe.cpp";
        std::ofstream(probe) << "#include " << c.include << "\n";
        const std::string command = std::string("\"") + PIXOLAT_CXX +
                                    "\" -std=c++20 -fsyntax-only -I\"" + PIXOLAT_INCLUDE_ROOTS +
                                    "/" + c.layer + "\" \"" + probe.string() + "\" > \"" +
                                    (root / "compile.log").string() + "\" 2>&1";
        EXPECT_EQ(std::system(command.c_str()) == 0, c.compiles) << c.layer << " " << c.include;
    }
}

TEST_F(IncludeCheckTest, ALayerWithoutARowIsRefused) {
    const CheckResult result = CheckOneInclude("tools", "\"document/picture.h\"");
    EXPECT_FALSE(result.passed);
    EXPECT_NE(result.output.find("no row for the layer `tools`"), std::string::npos)
        << result.output;
}

TEST_F(IncludeCheckTest, TheTreeAsItIsPasses) {
    for (const char* layer : {"document", "platform", "render", "formats", "mask", "edit"}) {
        const CheckResult result = RunCheck(PIXOLAT_SOURCE_DIR, layer, root / "check.log");
        EXPECT_TRUE(result.passed) << layer << "\n" << result.output;
    }
}

}  // namespace
