// Any bytes as the converter's command line (arguments split at NUL bytes):
// the parser answers with options or one usage error, and an error shown
// escaped is one line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/messages.h"
#include "convert/options.h"
#include "document/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    pixolat::ParsedOptions parsed;
    try {
        parsed = pixolat::ParseOptions(args);
    } catch (const pixolat::Error& e) {
        // The picture codec module could not be opened to tell an unknown
        // extension's kind: a failure of one line, as the converter shows it.
        if (pixolat::EscapeControls(e.text()).find('\n') != std::string::npos) __builtin_trap();
        return 0;
    }
    const pixolat::Options& options = parsed.options;
    if (parsed.usageError.empty() && !options.help && !options.version &&
        options.files.size() != (options.info ? 1u : 2u))
        __builtin_trap();
    if (options.image < 0 || options.image > 256) __builtin_trap();
    if (pixolat::EscapeControls(parsed.usageError).find('\n') != std::string::npos)
        __builtin_trap();
    return 0;
}
